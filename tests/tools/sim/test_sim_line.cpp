// The simulated serial line: pacing at the baud rate, line noise while the
// monitor's rate differs, the record of what was sent, and the hang-up.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "SimTestSupport.h"

using namespace std::chrono;

namespace {

const std::string CorpusFile = std::string(LUMAROKUB_CORPUS_DIR) + "/neo-m8n.log";

// Bytes per second seen by a reader over about `window`, from the first byte on.
double MeasureRate(unsigned long baud, milliseconds window) {
    SimOptions o = FastOptions();
    o.Baud = baud;
    o.ReplayFile = CorpusFile;
    o.Loop = true;
    RunningSim s(o);
    EXPECT_TRUE(s.Ok);
    std::string all;
    EXPECT_TRUE(s.Port.ReadUntil([](const std::string& b) { return !b.empty(); }, seconds(2), all));
    const auto start = steady_clock::now();
    const size_t first = all.size();
    all += s.Port.ReadFor(window);
    const duration<double> elapsed = steady_clock::now() - start;
    return (all.size() - first) / elapsed.count();
}

TEST(SimLine, OutputIsPacedAtTheBaudRate) {
    // Ten bits a byte. The reader may lag a little on a busy machine; the
    // simulator must never run ahead of the line.
    const double slow = MeasureRate(9600, milliseconds(2000));
    EXPECT_GT(slow, 960 * 0.85);
    EXPECT_LT(slow, 960 * 1.04);
    const double fast = MeasureRate(115200, milliseconds(1000));
    EXPECT_GT(fast, 11520 * 0.85);
    EXPECT_LT(fast, 11520 * 1.04);
}

TEST(SimLine, NoiseWhileTheRatesDifferThenSentences) {
    SimOptions o = FastOptions();
    o.Baud = 9600;
    ReceiverSimulator sim(o);
    std::string error;
    ASSERT_TRUE(sim.Open(error)) << error;
    // Nobody has set the line yet: a new pseudo-terminal reports 38400.
    ASSERT_TRUE(sim.Start(error));
    ASSERT_TRUE(WaitFor([&] { return sim.Status().SlaveBaud == 38400; }, seconds(2)));
    EXPECT_TRUE(sim.Status().Mismatched);

    MonitorPort port;
    ASSERT_TRUE(port.Open(sim.SlavePath(), 4800));
    // While mismatched, commands are lost like any bytes at the wrong rate.
    ASSERT_TRUE(port.Write("$PSRF104,0,0,0,96000,237759,922,12,4*2E\r\n"));
    const std::string noise = port.ReadFor(milliseconds(1200));
    ASSERT_GT(noise.size(), 100u);
    EXPECT_EQ(noise.find('$'), std::string::npos);
    size_t high = 0;
    for (char c : noise) high += static_cast<uint8_t>(c) >= 0x80;
    EXPECT_GT(high, noise.size() * 3 / 4);
    EXPECT_EQ(sim.Status().Commands, 0);
    EXPECT_EQ(sim.Status().Restarts[static_cast<int>(StartKind::Cold)], 0);

    ASSERT_TRUE(port.SetBaud(9600));
    std::string all;
    ASSERT_TRUE(port.ReadUntil([](const std::string& b) { return SentencesOf(b).size() >= 10; },
                               seconds(5), all));
    // Past the first sentence nothing is noise any more.
    const auto sentences = SentencesOf(all);
    for (size_t i = 1; i < sentences.size(); ++i)
        EXPECT_TRUE(SentenceChecksumOk(sentences[i])) << sentences[i];
    EXPECT_FALSE(sim.Status().Mismatched);

    ASSERT_TRUE(port.Write("$PSRF104,0,0,0,96000,237759,922,12,4*2E\r\n"));
    EXPECT_TRUE(WaitFor(
        [&] { return sim.Status().Restarts[static_cast<int>(StartKind::Cold)] == 1; }, seconds(2)));
    sim.Stop();
}

// Noise the simulator sent at the old rate never reaches a reader after it
// set the right one, whenever the simulator notices the change: a probe that
// opens at the right rate reads sentences only.
TEST(SimLine, NoNoiseFollowsTheChangeToTheRightRate) {
    SimOptions o = FastOptions();
    o.Baud = 9600;
    ReceiverSimulator sim(o);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    MonitorPort port;
    ASSERT_TRUE(port.Open(sim.SlavePath(), 4800));
    ASSERT_TRUE(WaitFor([&] { return sim.Status().NoiseBytes > 300; }, seconds(20)));
    ASSERT_TRUE(port.SetBaud(9600));  // no flush: what was sent stays unread
    ASSERT_TRUE(WaitFor([&] { return !sim.Status().Mismatched; }, seconds(20)));
    std::string all;
    ASSERT_TRUE(port.ReadUntil([](const std::string& b) { return SentencesOf(b).size() >= 3; },
                               seconds(20), all));
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](char c) { return (c & 0x80) != 0; }), 0)
        << all.size() << " bytes";
    sim.Stop();
}

TEST(SimLine, ANewLineAtTheSimulatorsOwnRateIsNotNoise) {
    SimOptions o = FastOptions();
    o.Baud = 38400;
    ReceiverSimulator sim(o);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(WaitFor([&] { return sim.Status().SlaveBaud == 38400; }, seconds(2)));
    EXPECT_FALSE(sim.Status().Mismatched);
}

TEST(SimLine, RecordHoldsEveryByteSent) {
    char name[] = "/tmp/lumarokub-sim-record-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    SimOptions o = FastOptions();
    o.RecordFile = name;
    o.Faults.Garbage = 0.2;
    std::string received;
    {
        ReceiverSimulator sim(o);
        std::string error;
        ASSERT_TRUE(sim.Open(error)) << error;
        MonitorPort port;
        ASSERT_TRUE(port.Open(sim.SlavePath(), 9600));  // noise first, then the rates match
        ASSERT_TRUE(sim.Start(error));
        received = port.ReadFor(milliseconds(500));
        port.SetBaud(o.Baud);
        received += port.ReadFor(milliseconds(800));
        // Let the line go quiet between epochs before stopping, so nothing
        // is left unread.
        ASSERT_TRUE(WaitFor([&] { return sim.Sent().size() > 0; }, seconds(1)));
        sim.Stop();
        received += port.ReadFor(milliseconds(50));
    }
    std::ifstream file(name, std::ios::binary);
    std::stringstream recorded;
    recorded << file.rdbuf();
    unlink(name);
    ASSERT_GT(received.size(), 1000u);
    ASSERT_GE(recorded.str().size(), received.size());
    EXPECT_EQ(recorded.str().substr(0, received.size()), received);
}

TEST(SimLine, HangupClosesTheLine) {
    SimOptions o = FastOptions();
    o.HangupAfterS = 0.4;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    const std::string path = s.Sim.SlavePath();
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
    ASSERT_TRUE(s.Port.WaitForHangup(seconds(5)));
    EXPECT_TRUE(WaitFor([&] { return s.Sim.Status().HungUp; }, seconds(2)));
    s.Port.Close();
    EXPECT_NE(access(path.c_str(), F_OK), 0);  // the device is gone
}

}  // namespace
