// Every capture of the corpus, framed and dispatched as the reader does: after
// each receiver cycle (the sentences between two changes of the reported UTC
// time) the satellites in view of each talker are exactly those its complete
// GSV sets of that cycle listed, counted here on their own from the raw text.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framing/Framing.h"
#include "nmea/Dispatch.h"

namespace fs = std::filesystem;

namespace {

struct TextSource {
    const std::string& Bytes;
    size_t Pos = 0;
    uint8_t ReadByte() { return Pos < Bytes.size() ? static_cast<uint8_t>(Bytes[Pos++]) : 0; }
    void Pause(unsigned) {}
    void PurgeTransmit() {}
    void Unread() { --Pos; }
};

// A decimal number, or -1 when the text is not one.
int Number(const std::string& text, int base = 10) {
    if (text.empty() || text.size() > 6) return -1;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)) || (base == 10 && !std::isdigit(c)))
            return -1;
    return std::stoi(text, nullptr, base);
}

std::vector<std::string> Split(const std::string& body) {
    std::vector<std::string> fields;
    std::stringstream in(body);
    std::string field;
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (!body.empty() && body.back() == ',') fields.push_back("");
    return fields;
}

// The fields between the address and the '*' when the checksum is right.
bool SoundFields(const std::string& sentence, std::vector<std::string>& fields) {
    const size_t star = sentence.find('*');
    if (sentence.size() < 7 || star == std::string::npos || star + 3 > sentence.size())
        return false;
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
    if (sum == 0 || int(sum) != Number(sentence.substr(star + 1, 2), 16)) return false;
    fields = Split(sentence.substr(1, star - 1));
    return true;
}

const std::set<std::string> Talkers = {"GP", "GN", "GL", "GA", "GB", "BD", "GQ", "GI"};

// One talker's GSV pages of one signal, as far as they arrived in order.
struct PendingSet {
    int NextPage = 1;
    int Total = 0;
    std::set<int> Prns;
};

class CycleCounter {
  public:
    // Takes one sound sentence; true when it started a new cycle.
    bool Take(const std::vector<std::string>& f) {
        const std::string talker = f[0].substr(0, 2), type = f[0].substr(2);
        if (!Talkers.count(talker)) return false;
        if (type == "GSV") TakeGsv(talker, f);
        const size_t timeField = type == "GLL" ? 5 : 1;
        const bool timed = type == "GGA" || type == "RMC" || type == "ZDA" || type == "GLL";
        if (!timed || f.size() <= timeField || f[timeField].empty() || f[timeField] == FTime)
            return false;
        FTime = f[timeField];
        FClosed.clear();
        for (const auto& [talker, signals] : FCurrent)
            for (const auto& [signal, prns] : signals)
                FClosed[talker].insert(prns.begin(), prns.end());
        FCurrent.clear();
        return true;
    }
    // Satellites per talker listed by the complete sets of the cycle just closed.
    const std::map<std::string, std::set<int>>& Closed() const { return FClosed; }

  private:
    void TakeGsv(const std::string& talker, const std::vector<std::string>& f) {
        if (f.size() < 4) return;
        const size_t entries = (f.size() - 4) / 4;
        const std::string signal = (f.size() - 4) % 4 == 1 ? f.back() : "";
        const int total = Number(f[1]), page = Number(f[2]);
        std::string key = talker + "/" + signal;
        // A last page may carry the signal id its set's other pages lack.
        if (page > 1 && FPending[key].NextPage != page && FPending[talker + "/"].NextPage == page)
            key = talker + "/";
        PendingSet& set = FPending[key];
        if (page == 1) set = PendingSet{1, total, {}};
        const bool wellFormed = (f.size() - 4) % 4 <= 1 && entries <= 4;
        if (!wellFormed || page != set.NextPage || total != set.Total) {
            set.NextPage = 0;
            return;
        }
        for (size_t k = 0; k < entries; ++k) {
            for (size_t i = 4 + 4 * k; i < 8 + 4 * k; ++i)
                if (!f[i].empty() && Number(f[i]) < 0) {
                    set.NextPage = 0;  // a page of garbage breaks the set
                    return;
                }
            if (Number(f[4 + 4 * k]) > 0) set.Prns.insert(Number(f[4 + 4 * k]));
        }
        ++set.NextPage;
        if (page == total) FCurrent[talker][key] = set.Prns;
    }

    std::string FTime;
    std::map<std::string, PendingSet> FPending;
    // The last complete set of each talker and signal in the running cycle.
    std::map<std::string, std::map<std::string, std::set<int>>> FCurrent;
    std::map<std::string, std::set<int>> FClosed;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> CorpusLogs() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(LUMAROKUB_CORPUS_DIR))
        if (entry.path().extension() == ".log") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CorpusSky, SatellitesInViewPerTalkerMatchEachCycle) {
    int multiFiles = 0;
    for (const std::string& name : CorpusLogs()) {
        const std::string bytes = ReadAll(fs::path(LUMAROKUB_CORPUS_DIR) / name);
        TextSource source{bytes};
        NMEA_Manager store;
        CycleCounter counter;
        char buffer[SentenceBufferSize];
        int checkedCycles = 0;
        bool multi = false;
        while (source.Pos < bytes.size()) {
            const uint16_t length =
                FrameSentence(source, buffer, [&] { return source.Pos >= bytes.size(); });
            if (length == 0) continue;
            const std::string_view sentence = SentenceText(buffer, length);
            DispatchSentence(sentence, store, nullptr);
            std::vector<std::string> fields;
            if (!SoundFields(std::string(sentence), fields) || !counter.Take(fields)) continue;
            if (counter.Closed().empty()) continue;
            for (const std::string& talker : Talkers) {
                const auto it = counter.Closed().find(talker);
                const int expected = it == counter.Closed().end() ? 0 : int(it->second.size());
                multi |= talker != "GP" && expected > 0;
                EXPECT_EQ(store.Sky.InViewOf(TalkerFromText(talker)), expected)
                    << name << " talker " << talker << " cycle ending at " << sentence;
            }
            ++checkedCycles;
        }
        multiFiles += multi;
        if (multi) {
            EXPECT_TRUE(store.Sky.Extended()) << name;
            EXPECT_GT(checkedCycles, 0) << name;
        }
    }
    EXPECT_GE(multiFiles, 15);  // the corpus holds this many multi-system captures
}

}  // namespace
