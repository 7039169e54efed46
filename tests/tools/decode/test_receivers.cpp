// What a user sees of real receivers whose output trips simple decoders:
// several solutions per epoch, NMEA 4.10 GSV pages, big GPS sets, doubled
// '$', checksums of 00 and lost fixes. Each capture is decoded by the
// decoder tool; the expected values are read from the capture here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "DecodeRunner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path CorpusDir = LUMAROKUB_CORPUS_DIR;
using Fields = std::vector<std::string>;

std::string ReadCapture(const std::string& name) {
    std::ifstream in(CorpusDir / (name + ".log"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ChecksumGood(const std::string& text) {
    const size_t star = text.find('*');
    if (star == std::string::npos || star + 3 > text.size()) return false;
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(text[i]);
    const std::string digits = text.substr(star + 1, 2);
    if (!std::isxdigit(static_cast<unsigned char>(digits[0])) ||
        !std::isxdigit(static_cast<unsigned char>(digits[1])))
        return false;
    return std::stoul(digits, nullptr, 16) == sum;
}

// The sound sentences of a capture as field lists ("GPGGA", "123519", ...),
// every '$' starting a sentence of its own.
std::vector<Fields> SoundSentences(const std::string& bytes) {
    std::vector<Fields> out;
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        for (size_t at = line.find('$'); at != std::string::npos;) {
            const size_t next = line.find('$', at + 1);
            const std::string text = line.substr(at, next - at);
            at = next;
            if (!ChecksumGood(text)) continue;
            Fields f;
            std::istringstream parts(text.substr(1, text.find('*') - 1));
            std::string field;
            while (std::getline(parts, field, ',')) f.push_back(field);
            if (text[text.find('*') - 1] == ',') f.emplace_back();
            out.push_back(f);
        }
    }
    return out;
}

template <class Predicate>
Fields LastWhere(const std::vector<Fields>& sentences, Predicate&& wanted) {
    for (auto it = sentences.rbegin(); it != sentences.rend(); ++it)
        if (wanted(*it)) return *it;
    return {};
}

Fields Last(const std::vector<Fields>& sentences, const std::string& type) {
    return LastWhere(sentences, [&](const Fields& f) { return f[0] == type; });
}

json Final(const std::string& name) {
    const DecodeRun run = RunDecode("--final " + Quoted((CorpusDir / (name + ".log")).string()));
    EXPECT_EQ(run.Status, 0) << name;
    return json::parse(run.Out);
}

// The final state of the capture cut after its first 'lines' lines.
json FinalAfterLines(const std::string& name, int lines) {
    std::istringstream in(ReadCapture(name));
    const fs::path cut = fs::temp_directory_path() / ("lumarokub-cut-" + name + ".log");
    std::ofstream out(cut, std::ios::binary);
    std::string line;
    for (int i = 0; i < lines && std::getline(in, line); ++i) out << line << '\n';
    out.close();
    const DecodeRun run = RunDecode("--final " + Quoted(cut.string()));
    fs::remove(cut);
    return json::parse(run.Out);
}

std::vector<int> UsedSlots(const json& state) {
    return state["Gsa"]["UsedPrn"].get<std::vector<int>>();
}

// The GPS numbers of a GSA's twelve slots, in their slots.
std::vector<int> GpsSlotsOf(const Fields& gsa) {
    std::vector<int> slots;
    for (int i = 3; i < 15; ++i) {
        const int prn = gsa[i].empty() ? 0 : std::stoi(gsa[i]);
        slots.push_back(prn >= 1 && prn <= 32 ? prn : 0);
    }
    return slots;
}

// Receivers sending one solution per system: the position record holds the
// GPS or combined solution, the GPS slots hold GPS satellites, and the
// used count is of every system's used satellites.
TEST(RealReceivers, OneSolutionPerSystem) {
    const auto sirf = SoundSentences(ReadCapture("sirfstarv-nmea"));
    const json sirfState = Final("sirfstarv-nmea");
    EXPECT_EQ(sirfState["Gga"]["SatsUsed"], std::stoi(Last(sirf, "GPGGA").at(7)));
    EXPECT_EQ(sirfState["display"]["SatsUsedText"], "16");  // 10 GPS and 6 GLONASS in the last GSAs
    EXPECT_EQ(UsedSlots(sirfState), GpsSlotsOf(LastWhere(sirf, [](const Fields& f) {
                  return f[0] == "GNGSA" && !f[3].empty() && std::stoi(f[3]) <= 32;
              })));

    const json beidou = Final("beidou-bd");
    EXPECT_EQ(UsedSlots(beidou),
              GpsSlotsOf(Last(SoundSentences(ReadCapture("beidou-bd")), "GPGSA")));
    EXPECT_EQ(beidou["display"]["UsedPrnText"], "G25 G32 G12 G14 C2 C3 C4 ");

    const auto quectel = SoundSentences(ReadCapture("quectelLC79D"));
    const json quectelState = Final("quectelLC79D");
    EXPECT_EQ(UsedSlots(quectelState), GpsSlotsOf(Last(quectel, "GPGSA")));
    EXPECT_EQ(quectelState["display"]["SatsUsedText"], "12");

    // NMEA 4.10 system ids: the GPS slots take the GSA of system 1 only.
    const auto f9p = SoundSentences(ReadCapture("ublox-zed-f9p-nmea"));
    const Fields gpsGsa =
        LastWhere(f9p, [](const Fields& f) { return f[0] == "GNGSA" && f.back() == "1"; });
    EXPECT_EQ(UsedSlots(Final("ublox-zed-f9p-nmea")), GpsSlotsOf(gpsGsa));
}

// The GPS table holds the satellites of the GPS set being received, however
// its pages end.
std::vector<int> CurrentGpsSetPrns(const std::vector<Fields>& sentences, int& inView) {
    std::vector<int> prns;
    for (const Fields& f : sentences) {
        if (f[0] != "GPGSV") continue;
        if (f[2] == "1") prns.clear();
        inView = std::stoi(f[3]);
        for (size_t k = 4; k + 3 < f.size(); k += 4) prns.push_back(std::stoi(f[k]));
    }
    return prns;
}

TEST(RealReceivers, GpsSetsWithSignalIdsOrMoreThanFourPages) {
    for (const char* name : {"quectel-eg25-g", "unicore-um621", "quectelLC79D", "ublox-f9p-hpnmea",
                             "telit-pls83-w", "quectel"}) {
        int inView = 0;
        const std::vector<int> prns = CurrentGpsSetPrns(SoundSentences(ReadCapture(name)), inView);
        const json state = Final(name);
        EXPECT_EQ(state["Gsv"]["InView"], inView) << name;
        for (size_t i = 0; i < 16; ++i)
            EXPECT_EQ(state["Gsv"]["Satellites"][i]["Prn"], i < prns.size() ? prns[i] : 0)
                << name << " entry " << i;
    }
    // Five pages of GPS satellites: the extended table shows all of them.
    const json polarx2 = Final("polarx2");
    ASSERT_TRUE(polarx2["Sky"].is_object());
    EXPECT_EQ(polarx2["Sky"]["InView"], 17);
    EXPECT_EQ(polarx2["Sky"]["Satellites"].size(), 17u);
}

TEST(RealReceivers, DoubledDollarAndChecksumsOfZero) {
    // Every sentence of this receiver starts "$$".
    const auto teseo = SoundSentences(ReadCapture("st-teseo-liv4f"));
    const json state = Final("st-teseo-liv4f");
    EXPECT_EQ(state["counts"]["valid"], teseo.size());
    EXPECT_EQ(state["display"]["FixModeText"], "3D");
    EXPECT_EQ(state["display"]["LatText"], "N 47.3834088");
    EXPECT_EQ(state["Gga"]["SatsUsed"], std::stoi(Last(teseo, "GNGGA").at(7)));

    const DecodeRun lea = RunDecode(Quoted((CorpusDir / "ublox-lea-4h.log").string()));
    const std::string zero = "$GPGSA,A,1,28,04,02,,,,,,,,,,9.99,9.94,1.00*00";
    const size_t at = lea.Out.find(zero);
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(lea.Out.find("\"valid\":true", at), std::string::npos);
    EXPECT_LT(lea.Out.find("\"valid\":true", at), lea.Out.find('\n', at));
}

// A fix, its loss and its return, as the capture goes on.
TEST(RealReceivers, LostFixShowsNoPosition) {
    const json fixed = FinalAfterLines("quectel-eg25-g", 598);
    EXPECT_EQ(fixed["display"]["FixValidText"], "Valid");
    EXPECT_EQ(fixed["display"]["LatText"], "N 36.76457922");

    const json lost = FinalAfterLines("quectel-eg25-g", 601);  // GGA and RMC without a fix
    EXPECT_EQ(lost["display"]["FixValidText"], "InValid");
    EXPECT_EQ(lost["display"]["LatText"], "--");
    EXPECT_EQ(lost["display"]["AltText"], "--");
    EXPECT_EQ(lost["display"]["SatsUsedText"], "0");
    EXPECT_EQ(lost["display"]["GmtText"], "");
    EXPECT_EQ(lost["display"]["DateText"], "");
    EXPECT_EQ(lost["display"]["FixModeText"], "NON Fix");

    const json back = FinalAfterLines("quectel-eg25-g", 724);
    EXPECT_EQ(back["display"]["FixValidText"], "Valid");
    EXPECT_EQ(back["display"]["GmtText"], "GMT: 19:15:25");
}

}  // namespace

namespace {

// Receivers the talker and checksum rules once left blank: a time reference
// sending no checksums, receivers sending no GSA, and one listing each
// system's used satellites once per signal.
TEST(RealReceivers, NoChecksumsNoGsaAndAGsaPerSignal) {
    const json hp = Final("hp58534a");
    EXPECT_EQ(hp["counts"]["unchecked"], 13);
    EXPECT_EQ(hp["counts"]["valid"], 13);
    EXPECT_EQ(hp["display"]["LatText"].get<std::string>().substr(0, 5), "S 33.");
    EXPECT_EQ(hp["display"]["GmtText"], "GMT: 22:24:50");
    EXPECT_EQ(hp["Gsv"]["InView"], 9);

    // Without a GSA the fix mode is the GGA's, or the RMC's.
    for (const char* name : {"hp58534a", "hemi", "firefly-II"}) {
        const json state = Final(name);
        EXPECT_EQ(state["display"]["FixValidText"], "Valid") << name;
        EXPECT_NE(state["display"]["FixModeText"], "NON Fix") << name;
    }

    // An ST Teseo sends a GSA per system and signal: the used count is the
    // GGA's, every satellite once.
    const json teseo = Final("st-teseo-liv4f");
    EXPECT_EQ(teseo["display"]["SatsUsedText"],
              std::to_string(teseo["Gga"]["SatsUsed"].get<int>()));
    EXPECT_EQ(teseo["Gga"]["SatsUsed"], 16);
}

}  // namespace
