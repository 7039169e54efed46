// lumarokub-ttff against the receiver simulator on a pseudo-terminal: the
// times it measures are the simulator's own, to within one of its cycles, and
// a run that cannot reach a fix in time makes the program fail.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/sim/ProgramRunner.h"
#include "tools/sim/ReceiverSimulator.h"

using namespace std::chrono_literals;

namespace {

constexpr double TimeScale = 10;  // simulated seconds per real second
constexpr double Cold2D = 30, Cold3D = 35;
constexpr double CycleSeconds = 1.0 / TimeScale;  // one simulated second
constexpr double Slack = 0.4;  // the reader's and the tick's delays on a busy machine

std::unique_ptr<ReceiverSimulator> StartReceiver(SimProtocol protocol = SimProtocol::Nmea) {
    SimOptions o;
    o.Protocol = protocol;
    o.Baud = 115200;
    o.TimeScale = TimeScale;
    o.Times[static_cast<int>(StartKind::Cold)] = {Cold2D, Cold3D};
    auto sim = std::make_unique<ReceiverSimulator>(o);
    std::string error;
    EXPECT_TRUE(sim->Start(error)) << error;
    return sim;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> f;
    std::stringstream s(line);
    for (std::string x; std::getline(s, x, ',');) f.push_back(x);
    if (!line.empty() && line.back() == ',') f.emplace_back();
    return f;
}

TEST(TtffProgram, ColdStartTimesAreTheSimulatorsWithinACycle) {
    auto sim = StartReceiver();
    const std::string csv = testing::TempDir() + "ttff-" + std::to_string(getpid()) + ".csv";
    Program ttff({LUMAROKUB_TTFF_PROGRAM, "--port", sim->SlavePath(), "--baud", "115200", "--kind",
                  "cold", "--runs", "2", "--timeout", "20", "--pause", "0.2", "--csv", csv});
    ASSERT_EQ(ttff.Wait(60s), 0) << ttff.Out() << ttff.Err();
    EXPECT_NE(ttff.Out().find("cold starts: 2 runs, 0 timed out"), std::string::npos) << ttff.Out();
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "run,kind,fix2d_s,fix3d_s,receiver_ttff_s,result,rtk_float_s,rtk_fixed_s");
    for (int run = 1; run <= 2; ++run) {
        ASSERT_TRUE(std::getline(in, line));
        const auto f = Fields(line);
        ASSERT_EQ(f.size(), 8u) << line;
        EXPECT_EQ(f[0], std::to_string(run));
        EXPECT_EQ(f[5], "fix");
        const double fix2d = std::stod(f[2]) * TimeScale, fix3d = std::stod(f[3]) * TimeScale;
        EXPECT_GE(fix2d, Cold2D - 1) << line;  // tenths of real seconds: one simulated second
        EXPECT_LE(fix2d, Cold2D + (CycleSeconds + Slack) * TimeScale) << line;
        EXPECT_GE(fix3d, Cold3D - 1) << line;
        EXPECT_LE(fix3d, Cold3D + (CycleSeconds + Slack) * TimeScale) << line;
    }
    // Each run's restart goes out as the SiRF text and the CFG-RST frame, and
    // the simulator acts on both.
    EXPECT_EQ(sim->Status().Restarts[static_cast<int>(StartKind::Cold)], 4);
    std::remove(csv.c_str());
}

// A u-blox receiver tells its own time to first fix (NAV-STATUS), in its
// own seconds: the simulator's simulated ones.
TEST(TtffProgram, AUbloxReceiversOwnTimeToFirstFixIsReported) {
    auto sim = StartReceiver(SimProtocol::Both);
    const std::string csv = testing::TempDir() + "ttff-ubx-" + std::to_string(getpid()) + ".csv";
    Program ttff({LUMAROKUB_TTFF_PROGRAM, "--port", sim->SlavePath(), "--baud", "115200", "--kind",
                  "cold", "--runs", "1", "--timeout", "20", "--pause", "0", "--csv", csv});
    ASSERT_EQ(ttff.Wait(60s), 0) << ttff.Out() << ttff.Err();
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    ASSERT_TRUE(std::getline(in, line));
    const auto f = Fields(line);
    ASSERT_EQ(f.size(), 8u) << line;
    EXPECT_NEAR(std::stod(f[4]), Cold2D, 1.0) << line;
    std::remove(csv.c_str());
}

TEST(TtffProgram, ARunWithoutFixInTimeFails) {
    auto sim = StartReceiver();
    Program ttff({LUMAROKUB_TTFF_PROGRAM, "--port", sim->SlavePath(), "--baud", "115200", "--kind",
                  "cold", "--runs", "1", "--timeout", "1", "--pause", "0"});
    EXPECT_EQ(ttff.Wait(30s), 1) << ttff.Out() << ttff.Err();
    EXPECT_NE(ttff.Out().find("run 1: timed out"), std::string::npos) << ttff.Out();
}

TEST(TtffProgram, NonsenseIsRefusedWithItsReason) {
    Program kind({LUMAROKUB_TTFF_PROGRAM, "--port", "/dev/null", "--kind", "lukewarm"});
    EXPECT_EQ(kind.Wait(10s), 2);
    EXPECT_NE(kind.Err().find("--kind"), std::string::npos) << kind.Err();
    Program url({LUMAROKUB_TTFF_PROGRAM, "--port", "tcp://:x"});
    EXPECT_EQ(url.Wait(10s), 2);
    Program none({LUMAROKUB_TTFF_PROGRAM, "--runs", "3"});
    EXPECT_EQ(none.Wait(10s), 2);
    EXPECT_NE(none.Err().find("--port"), std::string::npos) << none.Err();
}

// The receiver vanishing in the middle of a run ends the campaign at once
// (not at the run's time-out), with the reason; the cut run is left out.
TEST(TtffProgram, AReceiverThatGoesAwayEndsTheCampaignAtOnce) {
    auto sim = StartReceiver();
    const std::string csv = testing::TempDir() + "ttff-gone-" + std::to_string(getpid()) + ".csv";
    Program ttff({LUMAROKUB_TTFF_PROGRAM, "--port", sim->SlavePath(), "--baud", "115200", "--kind",
                  "cold", "--runs", "3", "--timeout", "600", "--pause", "0", "--csv", csv});
    const auto restarted = [&] {
        return sim->Status().Restarts[static_cast<int>(StartKind::Cold)];
    };
    const auto limit = std::chrono::steady_clock::now() + 30s;
    while (restarted() == 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(10ms);
    ASSERT_GE(restarted(), 1) << ttff.Err();  // as the SiRF sentence and the UBX frame
    const std::string path = sim->SlavePath();
    sim->Stop();  // the line closes: the device is gone
    ASSERT_EQ(ttff.Wait(60s), 2) << ttff.Out() << ttff.Err();
    EXPECT_NE(ttff.Err().find(path + ": the device is gone"), std::string::npos) << ttff.Err();
    EXPECT_EQ(ttff.Out().find("run 1"), std::string::npos) << ttff.Out();
    EXPECT_NE(ttff.Out().find("cold starts: 0 runs, 0 timed out"), std::string::npos) << ttff.Out();
    EXPECT_NE(ttff.Out().find("3D: 0 runs, min --, median --"), std::string::npos) << ttff.Out();
    std::ifstream in(csv);
    std::string header, row;
    std::getline(in, header);
    std::getline(in, row);
    EXPECT_EQ(row.substr(0, 5), "# 2D,") << "no run row";
    std::remove(csv.c_str());
}

// What cannot work is refused before a restart goes out: a link that only
// receives, a CSV file that cannot be created; a CSV write that fails is
// a failure too.
TEST(TtffProgram, WhatCannotWorkIsRefusedAndAFailedWriteIsAFailure) {
    auto sim = StartReceiver();
    const struct {
        const char* port;  // "" for the simulator's
        const char* csv;
        const char* says;
        bool restarts;
    } cases[] = {
        {"udp://:10110", "", "receive-only", false},
        {"gpsd://127.0.0.1:1", "", "receive-only", false},
        {"file:///tmp/capture.txt", "", "receive-only", false},
        {"", "/nonexistent-dir/runs.csv", "cannot write /nonexistent-dir/runs.csv", false},
        {"", "/dev/full", "cannot write /dev/full: No space left on device", true},
    };
    for (const auto& c : cases) {
        const int before = sim->Status().Restarts[static_cast<int>(StartKind::Hot)];
        std::vector<std::string> args = {LUMAROKUB_TTFF_PROGRAM,
                                         "--port",
                                         *c.port ? c.port : sim->SlavePath(),
                                         "--baud",
                                         "115200",
                                         "--kind",
                                         "hot",
                                         "--runs",
                                         "1",
                                         "--timeout",
                                         "20",
                                         "--pause",
                                         "0"};
        if (*c.csv) args.insert(args.end(), {"--csv", c.csv});
        Program ttff(args);
        EXPECT_EQ(ttff.Wait(60s), 2) << c.says << '\n' << ttff.Out() << ttff.Err();
        EXPECT_NE(ttff.Err().find(c.says), std::string::npos) << ttff.Err();
        const int after = sim->Status().Restarts[static_cast<int>(StartKind::Hot)];
        EXPECT_EQ(after > before, c.restarts) << c.says;
    }
}

}  // namespace
