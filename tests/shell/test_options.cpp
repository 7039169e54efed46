#include <gtest/gtest.h>

#include <vector>

#include "shell/StartupOptions.h"
#include "views/Config.h"

namespace {

bool Parse(std::vector<const char*> args, StartupOptions& options, std::string& error) {
    args.insert(args.begin(), "lumarokub");
    return ParseStartupOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(StartupOptions, NoOptionsIsTheOrdinaryStart) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_TRUE(o.Ports.empty());
    EXPECT_EQ(o.BaudRate, 0);
    EXPECT_TRUE(o.ScreenshotFile.empty());
    EXPECT_FALSE(o.Help);
}

TEST(StartupOptions, PortsRateAndScreenshot) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--port", "/dev/pts/4", "--port", "/dev/rfcomm0", "--baud", "115200",
                       "--screenshot", "shot.png", "--after", "1.5"},
                      o, error))
        << error;
    EXPECT_EQ(o.Ports, (std::vector<std::string>{"/dev/pts/4", "/dev/rfcomm0"}));
    EXPECT_EQ(o.BaudRate, 115200);
    EXPECT_EQ(o.ScreenshotFile, "shot.png");
    EXPECT_DOUBLE_EQ(o.ScreenshotAfter, 1.5);
}

TEST(StartupOptions, LinkUrlsAreCheckedAndPlayIsAFileLink) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--port", "tcp://127.0.0.1:4001", "--play", "capture.txt"}, o, error))
        << error;
    EXPECT_EQ(o.Ports, (std::vector<std::string>{"tcp://127.0.0.1:4001", "file://capture.txt"}));
    EXPECT_EQ(o.PlayFile, "capture.txt");
    StartupOptions bad;
    EXPECT_FALSE(Parse({"--port", "tcp://127.0.0.1"}, bad, error));
    EXPECT_NE(error.find("the port is missing"), std::string::npos) << error;
}

TEST(StartupOptions, ModeOfTheStartUpConnectionAndDemo) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_EQ(o.Mode, 0) << "General unless told";
    EXPECT_FALSE(o.Demo);
    const std::pair<const char*, int> modes[] = {
        {"general", 0}, {"port", 1}, {"baud", 2}, {"auto", 3}};
    for (const auto& [text, mode] : modes) {
        StartupOptions m;
        ASSERT_TRUE(Parse({"--mode", text, "--demo"}, m, error)) << error;
        EXPECT_EQ(m.Mode, mode) << text;
        EXPECT_TRUE(m.Demo);
    }
    for (const char* bad : {"Auto", "3", ""}) {
        StartupOptions m;
        EXPECT_FALSE(Parse({"--mode", bad}, m, error)) << bad;
        EXPECT_NE(error.find("mode"), std::string::npos);
    }
    EXPECT_FALSE(Parse({"--mode"}, o, error));
}

TEST(StartupOptions, ScreenshotDelayDefaultsToThreeSeconds) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--screenshot", "a.png"}, o, error));
    EXPECT_DOUBLE_EQ(o.ScreenshotAfter, 3.0);
}

TEST(StartupOptions, EvaluationPageByName) {
    std::string error;
    const char* pages[] = {"ttff", "accuracy", "signals", "satellites", "messages"};
    for (int i = 0; i < 5; ++i) {
        StartupOptions o;
        ASSERT_TRUE(Parse({"--evaluation", pages[i]}, o, error)) << error;
        EXPECT_EQ(o.EvaluationTab, i) << pages[i];
    }
    StartupOptions o;
    EXPECT_EQ(o.EvaluationTab, -1);
    EXPECT_FALSE(Parse({"--evaluation", "Signals"}, o, error));
    EXPECT_NE(error.find("signals"), std::string::npos) << "the message lists the pages";
}

TEST(StartupOptions, CampaignKindAndRuns) {
    std::string error;
    StartupOptions o;
    ASSERT_TRUE(Parse({"--campaign", "warm"}, o, error)) << error;
    EXPECT_EQ(o.CampaignKind, 1);
    EXPECT_EQ(o.CampaignRuns, 10);
    ASSERT_TRUE(Parse({"--campaign", "factory,1000"}, o, error)) << error;
    EXPECT_EQ(o.CampaignKind, 3);
    EXPECT_EQ(o.CampaignRuns, 1000);
    for (const char* bad : {"Cold", "cold,", "cold,0", "cold,1001", "cold,5x", ",5"}) {
        StartupOptions b;
        EXPECT_FALSE(Parse({"--campaign", bad}, b, error)) << bad;
        EXPECT_NE(error.find("--campaign"), std::string::npos);
    }
}

TEST(StartupOptions, WindowSizeAndPixelRatio) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_EQ(o.WindowWidth, 0) << "kept or default unless told";
    EXPECT_EQ(o.PixelRatio, 0);
    ASSERT_TRUE(Parse({"--size", "1280x900", "--pixel-ratio", "2"}, o, error)) << error;
    EXPECT_EQ(o.WindowWidth, 1280);
    EXPECT_EQ(o.WindowHeight, 900);
    EXPECT_DOUBLE_EQ(o.PixelRatio, 2.0);
    ASSERT_TRUE(Parse({"--size", "420x498", "--pixel-ratio", "1.5"}, o, error)) << error;
    EXPECT_EQ(o.WindowWidth, 420);
    EXPECT_DOUBLE_EQ(o.PixelRatio, 1.5);
    // Smaller than the default window, malformed or beyond any screen: refused.
    for (const char* bad : {"419x900", "1280x497", "1280", "1280x", "x900", "1280x900x2",
                            "1280X900", "-1280x900", "16385x900", "1280x99999999999"}) {
        StartupOptions b;
        EXPECT_FALSE(Parse({"--size", bad}, b, error)) << bad;
        EXPECT_NE(error.find("--size"), std::string::npos) << bad;
    }
    for (const char* bad : {"0.5", "4.5", "two", "2x", "nan", ""}) {
        StartupOptions b;
        EXPECT_FALSE(Parse({"--pixel-ratio", bad}, b, error)) << bad;
        EXPECT_NE(error.find("--pixel-ratio"), std::string::npos) << bad;
    }
}

TEST(StartupOptions, Help) {
    StartupOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, o, error));
    EXPECT_TRUE(o.Help);
    EXPECT_NE(std::string(StartupUsage).find("--screenshot"), std::string::npos);
}

TEST(StartupOptions, BadInputIsRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"-x"},
        {"--port"},
        {"--port", ""},
        {"--baud", "14400"},
        {"--baud", "96OO"},
        {"--baud"},
        {"--after", "2"},
        {"--screenshot", "a.png", "--after", "-1"},
        {"--screenshot", "a.png", "--after", "nan"},
        {"stray"},
    };
    for (const auto& args : bad) {
        StartupOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(LayoutConfig, PanelsTileTheWindow) {
    EXPECT_EQ(Config.ClientWidth, 420);
    EXPECT_EQ(Config.ClientHeight, 498);
    EXPECT_EQ(Config.ConsoleHeight, 168);
    EXPECT_EQ(Config.ButtonPanelHeight, 70);
    EXPECT_EQ(Config.AboutTop, 130);
    EXPECT_EQ(Config.AboutHeight, 75);
    // Every panel lies inside the client area.
    for (const LayoutRect& r :
         {Config.SkyView, Config.SnrChart, Config.Status, Config.Console, Config.GpsInfo,
          Config.About, Config.PortPanel, Config.RestartPanel, Config.UtilPanel}) {
        EXPECT_LE(r.Left + r.Width, Config.ClientWidth);
        EXPECT_LE(r.Top + r.Height, Config.ClientHeight);
    }
}

}  // namespace
