// Every UBX capture of the corpus, framed and dispatched as the reader does:
// no frame is lost, NAV-PVT positions and times and NAV-SAT/NAV-SVINFO
// satellites agree with the cross-check reading kept beside each capture,
// and the NMEA sentences of mixed captures are all kept.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "framing/Framing.h"
#include "intake/Intake.h"
#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"

namespace {

namespace fs = std::filesystem;
using Key = std::pair<int, int>;  // class, id

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> CaptureNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(LUMAROKUB_UBX_CORPUS_DIR))
        if (entry.path().extension() == ".log") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An independent scan: every B5 62 whose length fits and whose checksum
// verifies is a frame; the bytes of other frames are left in 'rest'.
std::map<Key, int> ScanFrames(const std::string& bytes, std::string& rest) {
    std::map<Key, int> counts;
    size_t i = 0;
    while (i < bytes.size()) {
        const auto at = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
        if (at(i) == 0xB5 && i + 8 <= bytes.size() && at(i + 1) == 0x62) {
            const size_t length = at(i + 4) + 256u * at(i + 5);
            if (i + 8 + length <= bytes.size()) {
                unsigned a = 0, b = 0;
                for (size_t k = i + 2; k < i + 6 + length; ++k) {
                    a = (a + at(k)) & 0xFF;
                    b = (b + a) & 0xFF;
                }
                if (a == at(i + 6 + length) && b == at(i + 7 + length)) {
                    ++counts[{at(i + 2), at(i + 3)}];
                    i += 8 + length;
                    continue;
                }
            }
        }
        rest += bytes[i++];
    }
    return counts;
}

struct Decoded {
    std::map<Key, int> Counts;
    std::vector<std::string> ValidSentences;
    std::vector<UbxPvtRecord> Pvts;
    std::vector<std::vector<UbxSatellite>> Skies;
    std::vector<UbxSignal> Signals;
};

Decoded DecodeAll(const std::string& bytes) {
    static NMEA_Manager store;
    store.Ubx = UbxState{};
    Decoded decoded;
    MemoryByteSource source(bytes.data(), bytes.size());
    Intake intake(store);
    IntakeSinks none;
    while (!source.AtEnd()) {
        const IntakeResult result = intake.Next(source, none);
        if (result.Dispatch.Valid && !result.Dispatch.Unchecked)
            decoded.ValidSentences.emplace_back(result.Sentence);
        if (result.Kind != RecordKind::Ubx) continue;
        const UbxDispatchResult& r = result.Ubx;
        if (!r.Valid) continue;
        ++decoded.Counts[{r.Class, r.Id}];
        if (r.Decoded && r.Class == 1 && r.Id == 0x07) decoded.Pvts.push_back(store.Ubx.Pvt);
        if (r.Decoded && r.Class == 1 && (r.Id == 0x35 || r.Id == 0x30))
            decoded.Skies.emplace_back(store.Ubx.Sat.Satellites,
                                       store.Ubx.Sat.Satellites + store.Ubx.Sat.Count);
        if (r.Decoded && r.Class == 1 && r.Id == 0x43)
            decoded.Signals.insert(decoded.Signals.end(), store.Ubx.Sig.Signals,
                                   store.Ubx.Sig.Signals + store.Ubx.Sig.Count);
    }
    EXPECT_EQ(store.Ubx.ShortFrames, 0u);
    return decoded;
}

std::vector<nlohmann::json> Reports(const std::string& name, const char* kind) {
    std::vector<nlohmann::json> reports;
    std::ifstream in(fs::path(LUMAROKUB_UBX_CORPUS_DIR) / (name + ".chk"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '{') continue;
        nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        if (!j.is_discarded() && j.value("class", "") == kind) reports.push_back(std::move(j));
    }
    return reports;
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian), so
// that the test needs no timegm, which Windows lacks.
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::string PvtTime(const UbxPvtRecord& p) {
    constexpr long long MsPerDay = 86400000;
    const long long ms =
        (DaysFromCivil(p.Year, p.Month, p.Day) * 86400 + (p.Hour * 60 + p.Minute) * 60 + p.Second) *
            1000 +
        std::lround(p.Nano / 1e6);
    const long long days = ms >= 0 ? ms / MsPerDay : (ms - MsPerDay + 1) / MsPerDay;
    const long long inDay = ms - days * MsPerDay;
    int y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", y, m, d,
                  static_cast<int>(inDay / 3600000), static_cast<int>(inDay / 60000 % 60),
                  static_cast<int>(inDay / 1000 % 60), static_cast<int>(inDay % 1000));
    return text;
}

TEST(UbxCorpus, EveryFrameOfEveryCaptureIsDecodedAndCounted) {
    const std::vector<std::string> names = CaptureNames();
    ASSERT_EQ(names.size(), 16u);
    for (const std::string& name : names) {
        const std::string bytes = ReadAll(fs::path(LUMAROKUB_UBX_CORPUS_DIR) / name);
        std::string rest;
        const std::map<Key, int> expected = ScanFrames(bytes, rest);
        const Decoded decoded = DecodeAll(bytes);
        EXPECT_EQ(decoded.Counts, expected) << name;
        EXPECT_FALSE(expected.empty()) << name;
    }
}

TEST(UbxCorpus, MixedCapturesKeepEveryNmeaSentence) {
    for (const char* name : {"ublox-zed-f9t-ubx_nmea_l5.log", "ublox8-uniqid-monhw.log",
                             "ublox-zed-f9p_hpg1.11.log"}) {
        const std::string bytes = ReadAll(fs::path(LUMAROKUB_UBX_CORPUS_DIR) / name);
        std::string cut;
        ScanFrames(bytes, cut);
        const std::vector<std::string> alone = DecodeAll(cut).ValidSentences;
        const std::vector<std::string> mixed = DecodeAll(bytes).ValidSentences;
        EXPECT_FALSE(alone.empty()) << name;
        std::multiset<std::string> found(mixed.begin(), mixed.end());
        for (const std::string& s : alone) {
            const auto it = found.find(s);
            EXPECT_NE(it, found.end()) << name << ": " << s;
            if (it != found.end()) found.erase(it);
        }
    }
}

// The cross-check reports what NAV-PVT said only where nothing else spoke
// for the position: not in captures that also hold NMEA sentences or the
// fused high-rate solution of class 0x28.
bool CrossCheckFollowsPvt(const Decoded& decoded) {
    if (!decoded.ValidSentences.empty()) return false;
    for (const auto& [key, count] : decoded.Counts)
        if (key.first == 0x28) return false;
    return true;
}

// The same for satellites: NMEA GSV sentences speak for them too.
bool CrossCheckFollowsSatellites(const Decoded& decoded) {
    return decoded.ValidSentences.empty() && !(decoded.Skies.empty() && decoded.Signals.empty());
}

TEST(UbxCorpus, PositionsAndTimesAgreeWithTheCrossCheck) {
    int compared = 0;
    for (const std::string& name : CaptureNames()) {
        const std::vector<nlohmann::json> tpvs = Reports(name, "TPV");
        std::map<std::string, const nlohmann::json*> byTime;
        for (const nlohmann::json& t : tpvs)
            if (t.contains("time") && t.contains("lat")) byTime[t["time"]] = &t;
        const Decoded decoded = DecodeAll(ReadAll(fs::path(LUMAROKUB_UBX_CORPUS_DIR) / name));
        if (!CrossCheckFollowsPvt(decoded)) continue;
        for (const UbxPvtRecord& p : decoded.Pvts) {
            if (p.FixType < 2 || !(p.Flags & 1)) continue;
            const auto it = byTime.find(PvtTime(p));
            if (it == byTime.end()) continue;
            const nlohmann::json& t = *it->second;
            EXPECT_NEAR(t["lat"].get<double>(), p.Lat * 1e-7, 0.6e-7) << name << " " << it->first;
            EXPECT_NEAR(t["lon"].get<double>(), p.Lon * 1e-7, 0.6e-7) << name << " " << it->first;
            EXPECT_NEAR(t["altHAE"].get<double>(), p.Height * 1e-3, 0.6e-3) << name;
            ++compared;
        }
    }
    EXPECT_GE(compared, 130);
}

TEST(UbxCorpus, SatellitesAgreeWithTheCrossCheck) {
    int compared = 0;
    for (const std::string& name : CaptureNames()) {
        const Decoded decoded = DecodeAll(ReadAll(fs::path(LUMAROKUB_UBX_CORPUS_DIR) / name));
        std::set<std::tuple<int, int, int, bool>> seen;  // system, number, C/N0, used
        for (const auto& sky : decoded.Skies)
            for (const UbxSatellite& s : sky) seen.insert({s.GnssId, s.SvId, s.Cno, s.Used});
        for (const UbxSignal& s : decoded.Signals) seen.insert({s.GnssId, s.SvId, s.Cno, false});
        if (!decoded.Signals.empty())
            for (const auto& sky : decoded.Skies)
                for (const UbxSatellite& s : sky) seen.insert({s.GnssId, s.SvId, s.Cno, false});
        if (!CrossCheckFollowsSatellites(decoded)) continue;
        for (const nlohmann::json& sky : Reports(name, "SKY")) {
            if (!sky.contains("satellites")) continue;
            for (const nlohmann::json& s : sky["satellites"]) {
                if (!s.contains("gnssid") || !s.contains("ss")) continue;
                // Where NAV-SIG is sent, the cross-check takes its used flags
                // from the signals; there only the C/N0 is compared.
                const bool fromSignals = !decoded.Signals.empty();
                const std::tuple<int, int, int, bool> key{
                    s["gnssid"].get<int>(), s["svid"].get<int>(),
                    static_cast<int>(s["ss"].get<double>()),
                    fromSignals ? false : s["used"].get<bool>()};
                EXPECT_TRUE(seen.count(key)) << name << " " << s.dump();
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 1000);
}

}  // namespace
