// lumarokub-decode on UBX captures: one JSON line per frame, in stream order
// with the NMEA sentences, and the UBX state with the receiver's identity.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "DecodeRunner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path UbxCorpusDir = fs::path(LUMAROKUB_CORPUS_DIR) / ".." / "ubx";

TEST(DecodeUbx, EachFrameIsOneLineOfNamedFields) {
    const DecodeRun run = RunDecode(Quoted((UbxCorpusDir / "ublox-lea-m8f.log").string()));
    ASSERT_EQ(run.Status, 0);
    std::istringstream lines(run.Out);
    std::string line;
    int frames = 0;
    int pvts = 0;
    while (std::getline(lines, line)) {
        const json j = json::parse(line);
        if (!j.contains("ubx")) continue;
        ++frames;
        EXPECT_EQ(line.rfind("{\"ubx\":", 0), 0u) << line;  // the name comes first
        EXPECT_TRUE(j.at("valid").get<bool>()) << line;
        if (j["ubx"] != "NAV-PVT") continue;
        ++pvts;
        EXPECT_EQ(j["class"], 1);
        EXPECT_EQ(j["id"], 7);
        EXPECT_NEAR(j["lat"].get<double>(), -34.908, 0.01);
        EXPECT_NEAR(j["lon"].get<double>(), 138.596, 0.01);
    }
    EXPECT_EQ(frames, 193);  // every frame whose checksum verifies
    EXPECT_EQ(pvts, 28);
}

TEST(DecodeUbx, FinalStateHoldsTheReceiverAndTheCounts) {
    const DecodeRun run =
        RunDecode("--final " + Quoted((UbxCorpusDir / "ublox-lea-m8f.log").string()));
    ASSERT_EQ(run.Status, 0);
    const json ubx = json::parse(run.Out).at("Ubx");
    EXPECT_EQ(ubx["frames"], 193);
    EXPECT_EQ(ubx["receiver"]["hardware"], "00080000");
    EXPECT_EQ(ubx["receiver"]["software"], "2.20 (81289)");
    EXPECT_EQ(ubx["records"]["ACK-NAK"]["message"], "CFG-MSG");
    int counted = 0;
    for (const json& c : ubx["counts"]) counted += c["frames"].get<int>();
    EXPECT_EQ(counted, 193);
}

TEST(DecodeUbx, NmeaCaptureHasNoUbxState) {
    const DecodeRun run =
        RunDecode("--final " + Quoted((fs::path(LUMAROKUB_CORPUS_DIR) / "bu353s4.log").string()));
    ASSERT_EQ(run.Status, 0);
    EXPECT_FALSE(json::parse(run.Out).contains("Ubx"));
}

}  // namespace
