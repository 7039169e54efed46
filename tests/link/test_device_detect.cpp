// The detection thread against simulated receivers on real pseudo-terminals:
// ports and rates are tried in order until a receiver answers.
#include <gtest/gtest.h>

#include <memory>

#include "link/ThreadGpsDeviceDetect.h"
#include "serial/YComPort.h"
#include "tests/link/SimReceivers.h"
#include "tests/serial/PtyPair.h"
#include "tests/thread/TestEventLoop.h"
#include "tools/sim/ReceiverSimulator.h"

namespace {

using namespace std::chrono_literals;

// Records what the detection thread did to the panel, on the test's UI thread.
class RecordingTarget : public DetectTarget {
  public:
    void SelectPort(int index) override { Ports.push_back(index); }
    void SelectBaud(int index) override { Bauds.push_back(index); }
    void SetButtonCaption(const std::string& caption) override { Caption = caption; }
    void EnableWatchTimer() override { ++WatchEnabled; }
    void ClearProlificFound() override { ProlificCleared = true; }
    void RefreshStatus() override { ++StatusRefreshes; }
    void StopFixTimer() override { ++FixTimerStops; }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        Messages.push_back(text + "|" + caption);
    }
    std::vector<int> Ports, Bauds;
    std::string Caption = "Close";
    int WatchEnabled = 0, StatusRefreshes = 0, FixTimerStops = 0;
    bool ProlificCleared = false;
    std::vector<std::string> Messages;
};

// Stands in for the suspended reader thread: notes that it was released.
class ParkedReader : public YThread {
  public:
    ParkedReader() : YThread(true) {}
    // Ends the thread before the object goes: never destroy a running thread's object.
    ~ParkedReader() override {
        Terminate();
        WaitFor();
    }
    std::atomic<bool> Released{false};

  protected:
    void Execute() override { Released = true; }
};

class DeviceDetect : public ::testing::Test {
  protected:
    void SetUp() override { FReader.Start(); }
    void TearDown() override {
        FDetect.reset();
        FPort.ClosePort();
    }

    // Runs one detection over the given list until it ends.
    void Run(int32_t mode, std::vector<std::string> ports, int selectedPort, int selectedBaud) {
        DetectLists lists{std::move(ports), selectedPort, selectedBaud};
        FDetect = std::make_unique<TGpsDeviceDetect>(false, lists, mode, &Target, Config, &FPort,
                                                     &FReader);
        FDetect->SetDispatcher(&Loop);
        FDetect->Start();
        ASSERT_TRUE(Loop.RunUntil([&] { return FDetect->Finished(); }, 60s));
        Loop.RunFor(20ms);  // what the thread queued last
    }

    // The released reader runs when the system schedules it: wait for that.
    bool ReaderReleased() {
        return Loop.RunUntil([&] { return FReader.Released.load(); }, 60s);
    }

    TestEventLoop Loop;
    RecordingTarget Target;
    GPSConfig Config;
    YComPort FPort;
    ParkedReader FReader;
    std::unique_ptr<TGpsDeviceDetect> FDetect;
};

TEST_F(DeviceDetect, GeneralOpensAPortWithNothingBehindIt) {
    PtyPair pty;
    Config.SetPort(pty.Port());
    Config.BaudRate = 9600;
    Run(ModeGeneral, {pty.Path()}, 0, 1);
    EXPECT_TRUE(Config.IsPortOpen());
    EXPECT_TRUE(FPort.IsOpen());
    EXPECT_TRUE(Target.Messages.empty());
    EXPECT_TRUE(ReaderReleased());
}

TEST_F(DeviceDetect, GeneralOnAMissingPortSaysSo) {
    Config.SetPort(Source::Device("/dev/lumarokub-no-such-port"));
    Run(ModeGeneral, {"/dev/lumarokub-no-such-port"}, 0, 0);
    EXPECT_FALSE(Config.IsPortOpen());
    EXPECT_EQ(Target.Messages,
              (std::vector<std::string>{"port doesn't exist: /dev/lumarokub-no-such-port|error"}));
    EXPECT_EQ(Target.Caption, "Open");
    EXPECT_TRUE(Target.ProlificCleared);
    EXPECT_EQ(Target.WatchEnabled, 1);
    EXPECT_FALSE(FReader.Released);
}

TEST_F(DeviceDetect, GeneralOnABusyPortSaysWhy) {
    PtyPair pty;
    YComPort other;  // another program holding the port
    ASSERT_TRUE(OpenPort(&other, pty.Port(), 9600, 8, 0, 1));
    Config.SetPort(pty.Port());
    Run(ModeGeneral, {pty.Path()}, 0, 0);
    EXPECT_FALSE(Config.IsPortOpen());
    ASSERT_EQ(Target.Messages.size(), 1u);
    // The port is there: it is named as unusable, not as missing.
    EXPECT_EQ(Target.Messages[0].rfind(pty.Path() + " can't be opened\n\n", 0), 0u)
        << Target.Messages[0];
    EXPECT_NE(Target.Messages[0].find("in use"), std::string::npos) << Target.Messages[0];
    // The holder is named: here this very process.
    const std::string holder = "held by ";
    EXPECT_NE(Target.Messages[0].find("(pid " + std::to_string(getpid()) + ")"), std::string::npos)
        << Target.Messages[0];
    EXPECT_NE(Target.Messages[0].find(holder), std::string::npos) << Target.Messages[0];
    other.ClosePort();
}

TEST_F(DeviceDetect, PortDetectFindsTheReceiverOnTheThirdPort) {
    PtyPair first, second;
    auto receiver = StartReceiver(9600);
    Run(ModePortDetect, {first.Path(), second.Path(), receiver->SlavePath()}, 0, 1);
    EXPECT_TRUE(Config.IsPortOpen());
    EXPECT_EQ(Config.Port(), Source::Device(receiver->SlavePath()));
    EXPECT_EQ(Config.BaudRate, 9600);
    EXPECT_EQ(Target.Ports, (std::vector<int>{0, 1, 2, 2}));
    EXPECT_TRUE(Target.Messages.empty());
    EXPECT_TRUE(ReaderReleased());
}

TEST_F(DeviceDetect, BaudDetectSkipsLineNoiseUntilTheRateMatches) {
    auto receiver = StartReceiver(38400);
    StartMismatched(*receiver);
    Run(ModeBaudDetect, {receiver->SlavePath()}, 0, 0);
    EXPECT_TRUE(Config.IsPortOpen());
    EXPECT_EQ(Config.BaudRate, 38400);
    EXPECT_EQ(Target.Bauds, (std::vector<int>{0, 1, 2, 3, 3}));
    EXPECT_GT(Target.StatusRefreshes, 0);
    EXPECT_TRUE(Target.Messages.empty());
}

TEST_F(DeviceDetect, BaudDetectOnAPortThatCannotOpen) {
    Run(ModeBaudDetect, {"/dev/lumarokub-no-such-port"}, 0, 0);
    EXPECT_FALSE(Config.IsPortOpen());
    EXPECT_EQ(Target.Bauds, (std::vector<int>{0}));
    EXPECT_EQ(Target.Messages, (std::vector<std::string>{"no GPS device detected|error"}));
    EXPECT_EQ(Target.FixTimerStops, 1);
    EXPECT_EQ(Target.WatchEnabled, 1);
}

TEST_F(DeviceDetect, AutoDetectFindsTheRateOnTheSecondPort) {
    PtyPair silent;
    auto receiver = StartReceiver(57600);
    Run(ModeAutoDetect, {silent.Path(), receiver->SlavePath()}, 0, 0);
    EXPECT_TRUE(Config.IsPortOpen());
    EXPECT_EQ(Config.Port(), Source::Device(receiver->SlavePath()));
    EXPECT_EQ(Config.BaudRate, 57600);
    EXPECT_EQ(Target.Bauds.back(), 4);
    EXPECT_EQ(Target.Ports.back(), 1);
}

TEST_F(DeviceDetect, CloseDuringDetectionEndsQuietly) {
    PtyPair a, b;
    DetectLists lists{{a.Path(), b.Path()}, 0, 0};
    FDetect = std::make_unique<TGpsDeviceDetect>(false, lists, ModeAutoDetect, &Target, Config,
                                                 &FPort, &FReader);
    FDetect->SetDispatcher(&Loop);
    FDetect->Start();
    Loop.RunFor(300ms);
    const auto asked = std::chrono::steady_clock::now();
    FDetect->Terminate();
    FDetect->WaitFor();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    Loop.RunFor(20ms);
    EXPECT_EQ(Target.Bauds, (std::vector<int>{0}));  // no further trial
    EXPECT_TRUE(Target.Messages.empty());
    EXPECT_FALSE(Config.IsPortOpen());
}

TEST_F(DeviceDetect, CloseModeClosesTheLink) {
    PtyPair pty;
    ASSERT_TRUE(OpenPort(&FPort, pty.Port(), 9600, 8, 0, 1));
    Config.SetPortOpen(true);
    Run(ModeClose, {}, 0, 0);
    EXPECT_FALSE(FPort.IsOpen());
    EXPECT_FALSE(Config.IsPortOpen());
    EXPECT_EQ(Target.Caption, "Open");
    EXPECT_EQ(Target.StatusRefreshes, 1);
}

}  // namespace
