// What the receiver says: well-formed sentences in receiver order, GSV sets,
// the multi-constellation output decoded by the monitor's own core, replay
// fidelity, faults, and the same output for the same seed.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "SimTestSupport.h"
#include "framing/Framing.h"
#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"
#include "tools/sim/NmeaText.h"

using namespace std::chrono;

namespace {

constexpr size_t MaxNmeaLength = 82;  // '$' to the line end included

// Reads until `epochs` GGA sentences of the given talker have arrived.
std::string ReadEpochs(RunningSim& s, int epochs, const std::string& gga = "GPGGA") {
    std::string all;
    const auto enough = [&](const std::string& b) {
        int n = 0;
        for (const std::string& x : SentencesOf(b)) n += TypeOf(x) == gga;
        return n > epochs;  // the last one complete with its epoch
    };
    EXPECT_TRUE(s.Port.ReadUntil(enough, seconds(10), all));
    return all;
}

// The sentences of whole epochs: from the first GGA to before the last.
std::vector<std::vector<std::string>> Epochs(const std::string& bytes,
                                             const std::string& gga = "GPGGA") {
    std::vector<std::vector<std::string>> epochs;
    for (const std::string& s : SentencesOf(bytes)) {
        if (TypeOf(s) == gga) epochs.emplace_back();
        if (!epochs.empty()) epochs.back().push_back(s);
    }
    if (!epochs.empty()) epochs.pop_back();
    return epochs;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream all;
    all << f.rdbuf();
    return all.str();
}

// Checks one GSV set (the pages of one talker in an epoch) and returns its satellites.
std::vector<std::vector<std::string>> CheckGsvSet(const std::vector<std::string>& pages) {
    std::vector<std::vector<std::string>> sats;
    const auto first = Fields(pages[0]);
    const int total = std::stoi(first[1]);
    const int inView = std::stoi(first[3]);
    EXPECT_EQ(static_cast<int>(pages.size()), total);
    EXPECT_EQ(total, inView == 0 ? 1 : (inView + 3) / 4);
    for (size_t p = 0; p < pages.size(); ++p) {
        const auto f = Fields(pages[p]);
        EXPECT_EQ(std::stoi(f[1]), total);
        EXPECT_EQ(std::stoi(f[2]), static_cast<int>(p + 1));
        EXPECT_EQ(std::stoi(f[3]), inView);
        EXPECT_EQ((f.size() - 4) % 4, 0u) << pages[p];
        for (size_t k = 4; k + 3 < f.size(); k += 4) {
            sats.push_back({f[k], f[k + 1], f[k + 2], f[k + 3]});
            EXPECT_LE(std::stoi(f[k + 1]), 90);
            EXPECT_LT(std::stoi(f[k + 2]), 360);
            if (!f[k + 3].empty()) {
                EXPECT_GE(std::stoi(f[k + 3]), 10);
                EXPECT_LE(std::stoi(f[k + 3]), 60);
            }
        }
    }
    EXPECT_EQ(static_cast<int>(sats.size()), inView);
    return sats;
}

TEST(SimOutput, GpEpochsAreWellFormedAndInReceiverOrder) {
    SimOptions o = FastOptions();
    o.Zda = true;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    const std::string all = ReadEpochs(s, 6);
    for (const StreamPiece& p : SplitStream(all)) {
        ASSERT_EQ(p.Type, StreamPiece::Sentence);
        EXPECT_TRUE(SentenceChecksumOk(p.Bytes)) << p.Bytes;
        EXPECT_LE(p.Bytes.size(), MaxNmeaLength) << p.Bytes;
    }
    bool someUntracked = false, someTracked = false;
    for (const auto& epoch : Epochs(all)) {
        std::vector<std::string> types, gsv;
        for (const std::string& x : epoch) {
            types.push_back(TypeOf(x));
            if (TypeOf(x) == "GPGSV") gsv.push_back(x);
        }
        ASSERT_FALSE(gsv.empty());
        std::vector<std::string> expected = {"GPGGA", "GPGLL", "GPGSA"};
        expected.insert(expected.end(), gsv.size(), "GPGSV");
        expected.insert(expected.end(), {"GPRMC", "GPVTG", "GPZDA"});
        EXPECT_EQ(types, expected);
        const auto sats = CheckGsvSet(gsv);
        EXPECT_LE(sats.size(), 16u);  // one set of at most four pages for a GP-only monitor
        EXPECT_GE(sats.size(), 4u);
        for (const auto& sat : sats) (sat[3].empty() ? someUntracked : someTracked) = true;
        // The satellites used (GSA) are tracked ones in view.
        const auto gsa = Fields(epoch[2]);
        for (size_t k = 3; k < 15; ++k) {
            if (gsa[k].empty()) continue;
            const bool tracked = std::any_of(sats.begin(), sats.end(), [&](const auto& sat) {
                return sat[0] == gsa[k] && !sat[3].empty();
            });
            EXPECT_TRUE(tracked) << gsa[k];
        }
        // The fix agrees across sentences.
        const auto gga = Fields(epoch[0]);
        const auto rmc = Fields(epoch[epoch.size() - 3]);
        EXPECT_EQ(gga[1], rmc[1]);
        EXPECT_EQ(gga[2] + gga[3] + gga[4] + gga[5], rmc[3] + rmc[4] + rmc[5] + rmc[6]);
        EXPECT_EQ(gga[6] == "1", rmc[2] == "A");
    }
    EXPECT_TRUE(someUntracked);  // some satellites in view with an empty SNR
    EXPECT_TRUE(someTracked);
}

TEST(SimOutput, ColdStartHasNoFixAtFirst) {
    SimOptions o = FastOptions();
    o.FirstStart = StartKind::Cold;
    o.Times[static_cast<int>(StartKind::Cold)] = {3, 4};
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    const auto epochs = Epochs(ReadEpochs(s, 6));
    ASSERT_GE(epochs.size(), 5u);
    const auto gga = Fields(epochs[0][0]);
    EXPECT_EQ(gga[6], "0");
    EXPECT_TRUE(gga[1].empty());  // no time yet after a cold start
    EXPECT_TRUE(gga[2].empty());
    EXPECT_EQ(Fields(epochs[0][2])[2], "1");  // GSA: no fix
    std::vector<std::string> fixTypes;
    for (const auto& e : epochs) fixTypes.push_back(Fields(e[2])[2]);
    EXPECT_EQ(std::vector<std::string>(fixTypes.begin(), fixTypes.begin() + 5),
              (std::vector<std::string>{"1", "1", "1", "2", "3"}));
    EXPECT_EQ(Fields(epochs[4][0])[6], "1");
}

TEST(SimOutput, MultiConstellationDecodedByTheMonitorsCore) {
    SimOptions o = FastOptions();
    o.Talkers = TalkerMode::Multi;
    o.Baud = 460800;  // a minute of output in a few seconds
    o.TimeScale = 20;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    std::string all = ReadEpochs(s, 60, "GNGGA");
    all.resize(all.rfind("\r\n") +
               2);  // whole sentences only: the framer takes a lone CR as an end

    // What went out is what the simulator says it sent, byte for byte.
    std::string sent;
    for (const SentItem& item : s.Sim.Sent()) sent += item.Bytes;
    ASSERT_GE(sent.size(), all.size() - 2000);
    const size_t common = std::min(sent.size(), all.size());
    EXPECT_EQ(all.substr(0, common), sent.substr(0, common));

    std::set<std::string> types;
    for (const auto& epoch : Epochs(all, "GNGGA")) {
        std::map<std::string, std::vector<std::string>> gsv;
        std::vector<int> systems;
        for (const std::string& x : epoch) {
            const auto f = Fields(x);
            types.insert(f[0]);
            if (f[0].substr(2) == "GSV") gsv[f[0]].push_back(x);
            if (f[0] == "GNGSA") systems.push_back(std::stoi(f[18]));
        }
        EXPECT_EQ(systems, (std::vector<int>{1, 2, 3, 4}));  // one GSA per constellation
        size_t inView = 0;
        for (const auto& set : gsv) inView += CheckGsvSet(set.second).size();
        EXPECT_GT(inView, 16u);
    }
    EXPECT_EQ(types, (std::set<std::string>{"GNGGA", "GNGLL", "GNGSA", "GPGSV", "GLGSV", "GAGSV",
                                            "GBGSV", "GNRMC", "GNVTG"}));

    // The monitor's framing and dispatch over the same bytes.
    NMEA_Manager store;
    MemoryByteSource source(all.data(), all.size());
    char buffer[SentenceBufferSize];
    std::vector<std::string> framed;
    int gpgsvValid = 0;
    while (!source.AtEnd()) {
        const uint16_t length = FrameSentence(source, buffer, [] { return false; });
        if (length == 0) continue;
        const std::string_view sentence = SentenceText(buffer, length);
        const DispatchResult r = DispatchSentence(sentence, store, nullptr);
        framed.emplace_back(sentence);
        EXPECT_TRUE(r.Valid) << sentence;
        if (sentence.substr(1, 5) == "GPGSV") gpgsvValid += r.Valid;
    }
    // Every sentence framed whole (the last may be cut off by the end of the read).
    const auto sentences = SentencesOf(all);
    ASSERT_GE(framed.size(), sentences.size());
    for (size_t i = 0; i < sentences.size(); ++i) EXPECT_EQ(framed[i] + "\n", sentences[i]);
    EXPECT_GT(gpgsvValid, 60);

    // The store's satellites are the last complete GPGSV set; the GL, GA and
    // GB sets in between did not disturb it.
    std::vector<std::string> lastSet, set;
    bool setOpen = false;
    for (const std::string& x : sentences) {
        if (TypeOf(x) != "GPGSV") continue;
        const auto f = Fields(x);
        if (f[2] == "1") set.clear();
        set.push_back(x);
        setOpen = f[2] != f[1];
        if (!setOpen) lastSet = set;
    }
    // The read ended inside a set: its first pages have already replaced
    // the store's table, and the last complete set is gone.
    if (setOpen) return;
    const auto sats = CheckGsvSet(lastSet);
    ASSERT_EQ(store.Gsv.InView, sats.size());
    for (size_t i = 0; i < sats.size(); ++i) {
        EXPECT_EQ(store.Gsv.Satellites[i].Prn, std::stoi(sats[i][0]));
        EXPECT_EQ(store.Gsv.Satellites[i].Elevation, std::stoi(sats[i][1]));
        EXPECT_EQ(store.Gsv.Satellites[i].Azimuth, std::stoi(sats[i][2]));
        EXPECT_EQ(store.Gsv.Satellites[i].Snr, sats[i][3].empty() ? 0 : std::stoi(sats[i][3]));
    }
}

TEST(SimOutput, SatellitesSentAreTheReceiversOwn) {
    SimOptions o = FastOptions();
    o.Talkers = TalkerMode::Multi;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    // Catch an epoch whose output has gone out completely.
    EpochState epoch;
    std::vector<SentItem> items;
    ASSERT_TRUE(WaitFor(
        [&] {
            epoch = s.Sim.LastEpoch();
            items = s.Sim.Sent();
            return std::any_of(items.begin(), items.end(), [&](const SentItem& i) {
                return i.Epoch == epoch.Index && i.Bytes.compare(1, 5, "GNVTG") == 0;
            });
        },
        seconds(5)));
    std::map<std::string, std::vector<std::vector<std::string>>> listed;
    std::map<std::string, std::vector<std::string>> pages;
    for (const SentItem& i : items)
        if (i.Epoch == epoch.Index && i.Bytes.compare(3, 3, "GSV") == 0)
            pages[i.Bytes.substr(1, 2)].push_back(i.Bytes);
    for (const auto& p : pages) listed[p.first] = CheckGsvSet(p.second);
    static const char* const Talkers[] = {"GP", "GL", "GA", "GB"};
    std::map<std::string, size_t> next;
    for (const SatelliteView& v : epoch.Satellites) {
        const std::string talker = Talkers[static_cast<int>(v.System)];
        const auto& sat = listed[talker].at(next[talker]++);
        EXPECT_EQ(std::stoi(sat[0]), v.Prn);
        EXPECT_EQ(std::stoi(sat[1]), v.Elevation);
        EXPECT_EQ(std::stoi(sat[2]), v.Azimuth);
        EXPECT_EQ(sat[3].empty() ? -1 : std::stoi(sat[3]), v.Snr);
    }
    for (const auto& l : listed) EXPECT_EQ(next[l.first], l.second.size());
}

TEST(SimOutput, AnOverloadedLineLeavesOutWholeEpochs) {
    // About 1650 bytes an epoch on a line that carries 960 a period.
    SimOptions o = FastOptions();
    o.Talkers = TalkerMode::Multi;
    o.Baud = 38400;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    const auto epochs = Epochs(ReadEpochs(s, 5, "GNGGA"), "GNGGA");
    ASSERT_GE(epochs.size(), 4u);
    double last = -1;
    int gaps = 0;
    for (const auto& epoch : epochs) {
        EXPECT_EQ(TypeOf(epoch.back()), "GNVTG");  // every epoch sent is whole
        const std::string time = Fields(epoch[0])[1];
        const double t = std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(2, 2)) * 60 +
                         std::stod(time.substr(4));
        // A short no-fix epoch may still fit in one period.
        if (last >= 0) {
            EXPECT_TRUE(t - last == 1 || t - last == 2) << t - last;
            gaps += t - last == 2;
        }
        last = t;
    }
    EXPECT_GE(gaps, 2);
    EXPECT_GE(s.Sim.Status().EpochsSkipped, 2);
}

TEST(SimOutput, SameSeedSameBytes) {
    SimOptions o = FastOptions();
    o.Faults = {0.1, 0.1, 0.1};
    o.Seed = 1234;
    SimOptions other = o;
    other.Seed = 1235;
    RunningSim a(o), b(o), c(other);
    ASSERT_TRUE(a.Ok && b.Ok && c.Ok);
    std::string ra, rb, rc;
    const auto enough = [](const std::string& x) { return x.size() >= 4000; };
    ASSERT_TRUE(a.Port.ReadUntil(enough, seconds(10), ra));
    ASSERT_TRUE(b.Port.ReadUntil(enough, seconds(10), rb));
    ASSERT_TRUE(c.Port.ReadUntil(enough, seconds(10), rc));
    EXPECT_EQ(ra.substr(0, 4000), rb.substr(0, 4000));
    EXPECT_NE(ra.substr(0, 4000), rc.substr(0, 4000));
}

TEST(SimOutput, FaultsOnDemand) {
    SimOptions o = FastOptions();
    o.Faults = {0.25, 0.25, 0.25};
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    const std::string all = ReadEpochs(s, 12);
    int sentences = 0, bad = 0, longOnes = 0, bursts = 0;
    for (const StreamPiece& p : SplitStream(all)) {
        if (p.Type == StreamPiece::Stray) {
            ++bursts;
            EXPECT_EQ(p.Bytes.find('$'), std::string::npos);
            continue;
        }
        if (p.Type != StreamPiece::Sentence) continue;
        ++sentences;
        bad += !SentenceChecksumOk(p.Bytes);
        longOnes += p.Bytes.size() > 102;
    }
    // About a quarter each; loose bounds.
    EXPECT_GT(sentences, 80);
    EXPECT_GT(bad, sentences / 10);
    EXPECT_LT(bad, sentences / 2);
    EXPECT_GT(longOnes, sentences / 10);
    EXPECT_LT(longOnes, sentences / 2);
    EXPECT_GT(bursts, sentences / 10);
    int faulty = 0;
    for (const SentItem& i : s.Sim.Sent()) faulty += i.Faulty;
    EXPECT_GT(faulty, 0);
}

// The lines of a log as they go on the wire: comments out, CR LF ends.
std::string ExpectedReplay(const std::string& path) {
    std::istringstream in(ReadFile(path));
    std::string line, out;
    while (std::getline(in, line)) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        out += line + "\r\n";
    }
    return out;
}

TEST(SimReplay, BytesOutAreTheFilesSentences) {
    for (const char* name : {"neo-m8n.log", "ublox-8.log", "telit-pls83-w.log"}) {
        const std::string path = std::string(LUMAROKUB_CORPUS_DIR) + "/" + name;
        const std::string expected = ExpectedReplay(path);
        SimOptions o = FastOptions();
        o.Baud = 460800;
        o.ReplayFile = path;
        RunningSim s(o);
        ASSERT_TRUE(s.Ok);
        std::string all;
        s.Port.ReadUntil([&](const std::string& b) { return b.size() >= expected.size(); },
                         seconds(10), all);
        all += s.Port.ReadFor(milliseconds(100));
        EXPECT_TRUE(WaitFor([&] { return s.Sim.Status().ReplayFinished; }, seconds(2)));
        EXPECT_EQ(all.size(), expected.size()) << name;
        EXPECT_TRUE(all == expected) << name;
    }
}

TEST(SimReplay, RateAndLoop) {
    const std::string path = std::string(LUMAROKUB_CORPUS_DIR) + "/neo-m8n.log";
    const std::string expected = ExpectedReplay(path);
    SimOptions o = FastOptions();
    o.ReplayFile = path;
    o.ReplayRate = 40;
    o.Loop = true;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    const auto start = steady_clock::now();
    std::string all;
    ASSERT_TRUE(s.Port.ReadUntil([](const std::string& b) { return SentencesOf(b).size() >= 30; },
                                 seconds(5), all));
    const duration<double> elapsed = steady_clock::now() - start;
    EXPECT_GT(elapsed.count(), 29 / 40.0 * 0.9);  // never faster than the rate asked for
    // The loop goes round: twice the file's lines, in order.
    SimOptions fast = o;
    fast.ReplayRate = 0;
    fast.Baud = 460800;
    RunningSim t(fast);
    ASSERT_TRUE(t.Ok);
    std::string twice;
    ASSERT_TRUE(t.Port.ReadUntil(
        [&](const std::string& b) { return b.size() >= 2 * expected.size(); }, seconds(10), twice));
    EXPECT_EQ(twice.substr(0, 2 * expected.size()), expected + expected);
}

}  // namespace
