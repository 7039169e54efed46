// The decoder's command line: inputs, outputs and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>

#include "DecodeRunner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class DecodeCli : public ::testing::Test {
  protected:
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path path = fs::temp_directory_path() / ("lumarokub_decode_" + name);
        std::ofstream(path, std::ios::binary) << bytes;
        FFiles.push_back(path);
        return path;
    }
    void TearDown() override {
        for (const auto& f : FFiles) fs::remove(f);
    }
    std::vector<fs::path> FFiles;
};

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

TEST_F(DecodeCli, OneJsonObjectPerSentence) {
    const auto file = Write("lines", Gga + "\r\n$GPXYZ,1*00\r\n$GPGSV,1,1,01,03,45,100,30*7A\n");
    const DecodeRun run = RunDecode(Quoted(file.string()));
    ASSERT_EQ(run.Status, 0);
    std::istringstream lines(run.Out);
    std::string line;
    std::vector<json> objects;
    while (std::getline(lines, line)) objects.push_back(json::parse(line));
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0],
              json({{"sentence", Gga}, {"valid", true}, {"type", "GGA"}, {"refresh", true}}));
    EXPECT_EQ(objects[1].at("type"), nullptr);
    EXPECT_EQ(objects[1].at("valid"), false);
    EXPECT_EQ(objects[2].at("type"), "GSV");
}

// A high-precision receiver (seven decimals of a minute): the texts carry
// nine decimals of a degree, rounded; the records keep 1e-5 degrees cut
// towards zero, and the exact values stand beside them.
TEST_F(DecodeCli, FinalStateKeepsTheReceiversPrecision) {
    const auto file = Write(
        "rtk",
        "$GNGGA,023042.00,2037.7279012,S,15111.1200000,W,4,12,0.6,12.3456,M,23.9,M,1.0,0000*52\r\n$"
        "GNRMC,023042.00,A,2037.7279012,S,15111.1200000,W,0.012,54.70,101226,,,R*50\r\n");
    const DecodeRun run = RunDecode("--final " + Quoted(file.string()));
    ASSERT_EQ(run.Status, 0);
    const json state = json::parse(run.Out);
    const json& display = state.at("display");
    EXPECT_EQ(display.at("LatText"), "S 20.628798353");  // 20.62879835333...
    EXPECT_EQ(display.at("LonText"), "W 151.185333333");
    EXPECT_EQ(display.at("AltText"), "12.3456");
    EXPECT_EQ(display.at("CourseText"), "54.70");
    EXPECT_EQ(display.at("SpeedText"), "0.006 m/sec");
    for (const char* record : {"Gga", "Rmc"}) {
        const json& r = state.at(record);
        EXPECT_EQ(r.at("Latitude"), -2062879) << record;
        EXPECT_EQ(r.at("Longitude"), -15118533) << record;
        const json& latitude = state.at("Exact").at(record).at("Latitude");
        EXPECT_DOUBLE_EQ(latitude.at("Degrees").get<double>(), -(20 + 37.7279012 / 60));
        EXPECT_EQ(latitude.at("MinuteDecimals"), 7);
    }
    EXPECT_EQ(state.at("Gga").at("Altitude"), 1234560);
    EXPECT_EQ(state.at("Rmc").at("Course"), 547);
    EXPECT_EQ(state.at("Exact").at("Rmc").at("Speed").at("Decimals"), 3);
}

TEST_F(DecodeCli, FinalStateHoldsStoredValuesAndCounts) {
    const auto file = Write("final", Gga + "\r\n");
    const DecodeRun run = RunDecode("--final <" + Quoted(file.string()));
    ASSERT_EQ(run.Status, 0);
    const json state = json::parse(run.Out);
    EXPECT_EQ(state.at("Gga").at("Hdop"), 8999);
    EXPECT_EQ(state.at("Gga").at("Altitude"), 54540000);
    EXPECT_EQ(state.at("Gga").at("AltitudeUnit"), "M");
    EXPECT_EQ(state.at("display").at("LatText"), "N 48.11730");
    EXPECT_EQ(state.at("display").at("FixModeText"), "3D");  // the GGA tells it: no GSA came
    EXPECT_EQ(state.at("Gsa").at("UsedPrn").size(), 12u);
    EXPECT_EQ(state.at("Gsv").at("Satellites").size(), 16u);
    EXPECT_EQ(state.at("Gsv").at("Pages").size(), 4u);
    EXPECT_EQ(state.at("Rmc").at("MagVariationDir"), "");
    EXPECT_EQ(state.at("counts"), json({{"sentences", 1}, {"valid", 1}, {"refreshes", 1}}));
}

TEST_F(DecodeCli, UnreadableInputAndBadOptions) {
    EXPECT_EQ(RunDecode("/nonexistent/capture.log").Status, 2);
    EXPECT_EQ(RunDecode(Quoted(fs::temp_directory_path().string())).Status, 2);
    EXPECT_EQ(RunDecode("--bogus").Status, 2);
    EXPECT_EQ(RunDecode("a b").Status, 2);
    EXPECT_EQ(RunDecode("--help").Status, 0);
}

TEST_F(DecodeCli, GarbageNeverCrashes) {
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 200000; ++i) {
        const int kind = random() % 10;
        if (kind == 0)
            garbage += Gga + (random() % 2 ? "\r\n" : "\n");
        else if (kind == 1)
            garbage += '$';
        else if (kind == 2)
            garbage += std::string(random() % 300, 'A');
        else
            garbage += static_cast<char>(random());
    }
    garbage += "$GPGGA,1,2";  // no final line end
    const auto file = Write("garbage", garbage);
    const DecodeRun run = RunDecode("--final " + Quoted(file.string()));
    ASSERT_EQ(run.Status, 0);
    EXPECT_GT(json::parse(run.Out).at("counts").at("valid").get<int>(), 1000);
    EXPECT_EQ(RunDecode(Quoted(file.string())).Status, 0);
}

TEST_F(DecodeCli, EmptyInput) {
    const DecodeRun run = RunDecode("--final </dev/null");
    ASSERT_EQ(run.Status, 0);
    EXPECT_EQ(json::parse(run.Out).at("counts").at("sentences"), 0);
}

}  // namespace
