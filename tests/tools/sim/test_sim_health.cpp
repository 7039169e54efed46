// The interference watch end to end: the simulator jammed or spoofed at a
// set moment, its output recorded and decoded by lumarokub-decode --final,
// which must show the alarm within two seconds of that moment, and nothing
// over a clean run.
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "ProgramRunner.h"
#include "SimTestSupport.h"

using namespace std::chrono;
using nlohmann::json;

namespace {

constexpr int64_t MsPerDay = 86400000;
constexpr int64_t AlarmWithinMs = 2000;

struct Scenario {
    const char* Name;
    double JamAtS;
    double SpoofAtS;
    SimProtocol Protocol;
    std::set<std::string> Kinds;  // the alarms expected, each raised once
};

int UbxFrames(const std::string& bytes) {
    int n = 0;
    for (const StreamPiece& p : SplitStream(bytes)) n += p.Type == StreamPiece::Ubx;
    return n;
}

// Runs the simulator for 'epochs' epochs and decodes its record with --final.
json RunAndDecode(SimOptions o, int epochs) {
    char record[] = "/tmp/lumarokub-sim-health-XXXXXX";
    const int fd = mkstemp(record);
    EXPECT_GE(fd, 0);
    close(fd);
    o.RecordFile = record;
    json state;
    {
        RunningSim s(o);
        EXPECT_TRUE(s.Ok);
        std::string all;
        EXPECT_TRUE(s.Port.ReadUntil(
            [&](const std::string&) { return s.Sim.Status().Epochs > epochs; }, seconds(60), all));
        s.Sim.Stop();
        EXPECT_EQ(UbxFrames(all) > 0, o.Protocol != SimProtocol::Nmea);
    }
    Program final({LUMAROKUB_DECODE_PROGRAM, "--final", record});
    EXPECT_EQ(final.Wait(seconds(30)), 0) << final.Err();
    unlink(record);
    return json::parse(final.Out());
}

SimOptions HealthOptions(const Scenario& c) {
    SimOptions o = FastOptions();
    o.Talkers = TalkerMode::Multi;
    o.Baud = 460800;
    o.TimeScale = 20;
    o.Protocol = c.Protocol;
    o.Interference.JamAtS = c.JamAtS;
    o.Interference.SpoofAtS = c.SpoofAtS;
    // An NMEA-only receiver tells neither indicator nor flag.
    const bool ubx = c.Protocol != SimProtocol::Nmea;
    o.Interference.RfRate = ubx ? 1 : 0;
    o.Interference.SpanRate = ubx ? 4 : 0;
    o.Interference.SecSigRate = ubx ? 1 : 0;
    return o;
}

const Scenario Scenarios[] = {
    {"jamming", 20, -1, SimProtocol::Both, {"jamming", "cno-drop"}},
    {"spoofing", -1, 20, SimProtocol::Both, {"spoofing", "position-jump"}},
    // An NMEA-only receiver: the C/N0 and the position give the attack away.
    {"jamming, NMEA only", 20, -1, SimProtocol::Nmea, {"jamming", "cno-drop"}},
    {"spoofing, NMEA only", -1, 20, SimProtocol::Nmea, {"spoofing", "position-jump"}},
};

TEST(SimHealth, EachAttackRaisesItsAlarmsWithinTwoSeconds) {
    for (const Scenario& c : Scenarios) {
        SCOPED_TRACE(c.Name);
        const json state = RunAndDecode(HealthOptions(c), 30);
        ASSERT_TRUE(state.contains("Events")) << state.dump();
        const int64_t startMs = FastOptions().StartUnixMs % MsPerDay;
        const double attackS = c.JamAtS >= 0 ? c.JamAtS : c.SpoofAtS;
        std::multiset<std::string> raised;
        for (const json& e : state["Events"]) {
            raised.insert(e["kind"].get<std::string>());
            const int64_t afterMs =
                e["utcMs"].get<int64_t>() - startMs - static_cast<int64_t>(attackS * 1000);
            EXPECT_GE(afterMs, 0) << e.dump();
            EXPECT_LE(afterMs, AlarmWithinMs) << e.dump();
        }
        // The NMEA-only receiver cannot report: its own alarms are absent.
        std::set<std::string> expected = c.Kinds;
        if (c.Protocol == SimProtocol::Nmea) {
            expected.erase("jamming");
            expected.erase("spoofing");
        }
        EXPECT_EQ(std::set<std::string>(raised.begin(), raised.end()), expected);
        EXPECT_EQ(raised.size(), expected.size()) << "each alarm once";
        if (c.Protocol != SimProtocol::Nmea) {
            ASSERT_TRUE(state.contains("Health"));
            const json& h = state["Health"];
            EXPECT_EQ(h["jamming"], c.JamAtS >= 0 ? "critical" : "ok");
            EXPECT_EQ(h["spoofing"], c.SpoofAtS >= 0 ? "indicated" : "none");
            EXPECT_EQ(h["blocks"].size(), 2u);
            ASSERT_EQ(h["spectrum"].size(), 2u);
            EXPECT_EQ(h["spectrum"][0]["centerHz"], 1575420000);
        } else {
            EXPECT_FALSE(state.contains("Health"));
        }
    }
}

// Ten simulated minutes of a clean receiver, moving, with every health
// message on: the watch stays quiet.
TEST(SimHealth, ACleanRunRaisesNothing) {
    SimOptions o = HealthOptions({"clean", -1, -1, SimProtocol::Both, {}});
    o.TimeScale = 120;
    o.SpeedKmh = 90;
    const json state = RunAndDecode(o, 600);
    EXPECT_FALSE(state.contains("Events")) << state["Events"].dump();
    ASSERT_TRUE(state.contains("Health"));
    EXPECT_EQ(state["Health"]["jamming"], "ok");
    EXPECT_EQ(state["Health"]["spoofing"], "none");
}

}  // namespace
