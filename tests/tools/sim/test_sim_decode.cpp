// The monitor's decoder tool over the simulator's output: a minute of the
// multi-constellation receiver decoded from the record file, and the GP
// receiver read live through the monitor's own serial port code.
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ProgramRunner.h"
#include "SimTestSupport.h"

using namespace std::chrono;
using nlohmann::json;

namespace {

std::vector<json> JsonLines(const std::string& text) {
    std::vector<json> list;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) list.push_back(json::parse(line));
    return list;
}

// The sentences the simulator says it sent, without their line ends.
std::vector<std::string> SentSentences(const ReceiverSimulator& sim) {
    std::vector<std::string> list;
    for (const SentItem& item : sim.Sent())
        if (item.Type == SentItem::Sentence)
            list.push_back(item.Bytes.substr(0, item.Bytes.size() - 2));
    return list;
}

TEST(SimDecode, AMinuteOfMultiConstellationOutput) {
    char record[] = "/tmp/lumarokub-sim-decode-XXXXXX";
    const int fd = mkstemp(record);
    ASSERT_GE(fd, 0);
    close(fd);
    SimOptions o = FastOptions();
    o.Talkers = TalkerMode::Multi;
    o.Baud = 460800;
    o.TimeScale = 15;
    o.RecordFile = record;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    std::string all;
    ASSERT_TRUE(s.Port.ReadUntil(
        [](const std::string& b) {
            int n = 0;
            for (const std::string& x : SentencesOf(b)) n += TypeOf(x) == "GNGGA";
            return n > 60;
        },
        seconds(20), all));
    s.Sim.Stop();
    const std::vector<std::string> sent = SentSentences(s.Sim);
    EXPECT_EQ(s.Sim.Status().EpochsSkipped, 0);

    Program each({LUMAROKUB_DECODE_PROGRAM, record});
    ASSERT_EQ(each.Wait(seconds(20)), 0) << each.Err();
    const std::vector<json> lines = JsonLines(each.Out());
    // Every sentence sent, in order (the record may end with a part of one more).
    ASSERT_GE(lines.size(), sent.size());
    ASSERT_GT(sent.size(), 60u * 15);  // some 19 sentences an epoch
    for (size_t i = 0; i < sent.size(); ++i) {
        const std::string sentence = lines[i]["sentence"];
        ASSERT_EQ(sentence, sent[i]);
        EXPECT_TRUE(lines[i]["valid"].get<bool>()) << sentence;
        if (sentence.compare(1, 5, "GPGSV") == 0) {
            EXPECT_EQ(lines[i]["type"], "GSV");
        }
    }

    // The final state holds the last complete GPGSV set, untouched by the
    // other constellations' sets after it.
    Program final({LUMAROKUB_DECODE_PROGRAM, "--final", record});
    ASSERT_EQ(final.Wait(seconds(20)), 0) << final.Err();
    const json state = json::parse(final.Out());
    std::vector<std::vector<std::string>> lastSet, set;
    bool setOpen = false;
    for (const json& line : lines) {
        const std::string x = line["sentence"];
        const auto f = Fields(x + "\r\n");
        if (f[0] != "GPGSV") continue;
        if (f[2] == "1") set.clear();
        for (size_t k = 4; k + 3 < f.size(); k += 4)
            set.push_back({f[k], f[k + 1], f[k + 2], f[k + 3]});
        setOpen = f[2] != f[1];
        if (!setOpen) lastSet = set;
    }
    // The receiver stopped in the middle of a set: its first pages have
    // already replaced the store's table, and the last complete set is gone.
    if (setOpen) return;
    ASSERT_FALSE(lastSet.empty());
    EXPECT_EQ(state["Gsv"]["InView"].get<size_t>(), lastSet.size());
    for (size_t i = 0; i < lastSet.size(); ++i) {
        const json& sat = state["Gsv"]["Satellites"][i];
        EXPECT_EQ(sat["Prn"].get<int>(), std::stoi(lastSet[i][0]));
        EXPECT_EQ(sat["Elevation"].get<int>(), std::stoi(lastSet[i][1]));
        EXPECT_EQ(sat["Azimuth"].get<int>(), std::stoi(lastSet[i][2]));
        EXPECT_EQ(sat["Snr"].get<int>(), lastSet[i][3].empty() ? 0 : std::stoi(lastSet[i][3]));
    }
    unlink(record);
}

TEST(SimDecode, TheMonitorsPortReadsTheReceiverLive) {
    SimOptions o = FastOptions();
    o.Baud = 9600;
    ReceiverSimulator sim(o);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    // The monitor's port code sets the rate itself; until then the line is noise.
    Program decode(
        {LUMAROKUB_DECODE_PROGRAM, "--port", sim.SlavePath(), "--baud", "9600", "--count", "20"});
    ASSERT_EQ(decode.Wait(seconds(20)), 0) << decode.Err();
    const std::vector<json> lines = JsonLines(decode.Out());
    ASSERT_EQ(lines.size(), 20u);
    const std::vector<std::string> sent = SentSentences(sim);
    // What the monitor read is a run of what was sent.
    const std::string first = lines[0]["sentence"];
    auto at = std::find(sent.begin(), sent.end(), first);
    ASSERT_NE(at, sent.end()) << first;
    for (const json& line : lines) {
        ASSERT_NE(at, sent.end());
        EXPECT_EQ(line["sentence"].get<std::string>(), *at++);
        EXPECT_TRUE(line["valid"].get<bool>()) << line["sentence"];
    }
    sim.Stop();
}

}  // namespace
