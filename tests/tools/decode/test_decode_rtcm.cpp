// lumarokub-decode on every RTCM 3 capture of the corpus: the frames it
// prints and counts are exactly those an independent CRC-24Q scan finds, and
// what it decodes (stations, descriptors, MSM headers, GLONASS biases)
// agrees with the independent readings kept beside each capture (.chk).
// A rover's GGA before a station message gives the baseline between them.
#include <gtest/gtest.h>

#include <unistd.h>
#include <bitset>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "DecodeRunner.h"
#include "JsonLines.h"
#include "tests/framing/RtcmBytes.h"
#include "tests/rtcm/RtcmPayload.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path Corpus = fs::path(LUMAROKUB_CORPUS_DIR).parent_path() / "rtcm";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Frames by number as a plain scan finds them: D3, six zero bits, a 10-bit
// length and a CRC-24Q, computed bit by bit, that holds.
std::map<int, int> ScanFrames(const std::string& bytes) {
    std::map<int, int> counts;
    const auto at = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
    for (size_t i = 0; i + 6 <= bytes.size();) {
        const size_t length = static_cast<size_t>((at(i + 1) & 0x03) << 8 | at(i + 2));
        const size_t end = i + 3 + length;
        if (at(i) != 0xD3 || (at(i + 1) & 0xFC) || end + 3 > bytes.size() ||
            BitwiseCrc24q(bytes.substr(i, 3 + length)) !=
                static_cast<uint32_t>(at(end) << 16 | at(end + 1) << 8 | at(end + 2))) {
            ++i;
            continue;
        }
        ++counts[length < 2 ? 0 : at(i + 3) << 4 | at(i + 4) >> 4];
        i = end + 3;
    }
    return counts;
}

// The decoded frames and the .chk readings of each message number, in order.
using ByNumber = std::map<int, std::vector<json>>;

ByNumber DecodedFrames(const std::vector<json>& lines) {
    ByNumber out;
    for (const json& line : lines)
        if (line.contains("rtcm")) out[line.at("rtcm").get<int>()].push_back(line);
    return out;
}

ByNumber CheckReadings(const fs::path& chk) {
    ByNumber out;
    std::ifstream in(chk);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("{\"class\":\"RTCM3\"", 0) != 0) continue;
        const json reading = json::parse(line);
        out[reading.at("type").get<int>()].push_back(reading);
    }
    return out;
}

int Bits(const std::string& decimal) {
    return static_cast<int>(std::bitset<64>(std::stoull(decimal)).count());
}

// One decoded frame against its independent reading; returns how many fields.
int Compare(int number, const json& mine, const json& theirs, const std::string& where) {
    const bool decoded = (number >= 1005 && number <= 1008) || number == 1033 || number == 1230 ||
                         (number >= 1071 && number <= 1137);
    if (!decoded) return 0;
    int fields = 0;
    const auto same = [&](const json& a, const json& b, const char* name) {
        EXPECT_EQ(a, b) << where << " " << number << " " << name;
        ++fields;
    };
    const auto near = [&](const json& a, const json& b, const char* name) {
        EXPECT_NEAR(a.get<double>(), b.get<double>(), 1e-4)
            << where << " " << number << " " << name;
        ++fields;
    };
    if (theirs.contains("station_id")) same(mine.at("station"), theirs.at("station_id"), "station");
    if (number == 1005 || number == 1006) {
        for (const char* axis : {"x", "y", "z"}) near(mine.at(axis), theirs.at(axis), axis);
        if (number == 1006) near(mine.at("antennaHeight"), theirs.at("h"), "h");
    }
    if (theirs.contains("desc")) {
        same(mine.at("antenna"), theirs.at("desc"), "desc");
        same(mine.at("setup"), theirs.at("setup_id"), "setup");
    }
    if (theirs.contains("serial")) same(mine.at("antennaSerial"), theirs.at("serial"), "serial");
    if (theirs.contains("receiver")) {
        same(mine.at("receiver"), theirs.at("receiver"), "receiver");
        same(mine.at("firmware"), theirs.at("firmware"), "firmware");
    }
    if (theirs.contains("subtype")) {  // an MSM
        const uint64_t epoch = mine.at("epoch").get<uint64_t>() |
                               (mine.contains("day") ? mine.at("day").get<uint64_t>() << 27 : 0);
        same(epoch, theirs.at("tow"), "epoch");
        same(mine.at("multiple").get<bool>() ? "1" : "0", theirs.at("sync"), "sync");
        same(mine.at("satellites").size(), theirs.at("NSat"), "satellites");
        same(mine.at("signals").size(), theirs.at("NSig"), "signals");
        same(mine.at("satellites").size(), Bits(theirs.at("MaskSat").dump()), "satellite mask");
        same(mine.at("cells"), Bits(theirs.at("MaskCell").dump()), "cells");
    }
    if (number == 1230) same(mine.at("aligned").get<bool>() ? 1 : 0, theirs.at("ind"), "ind");
    return fields;
}

TEST(DecodeRtcm, EveryCaptureDecodesTheFramesAnIndependentScanFindsAsItsReadingsSay) {
    int files = 0, compared = 0;
    for (const auto& entry : fs::directory_iterator(Corpus)) {
        if (entry.path().extension() != ".log") continue;
        const std::string where = entry.path().filename().string();
        const std::map<int, int> scan = ScanFrames(ReadFile(entry.path()));
        if (scan.empty()) continue;  // the source table
        ++files;
        const DecodeRun run = RunDecode(Quoted(entry.path().string()));
        ASSERT_EQ(run.Status, 0) << where;
        const ByNumber mine = DecodedFrames(ParsedLines(run.Out));
        std::map<int, int> printed;
        for (const auto& [number, frames] : mine) printed[number] = static_cast<int>(frames.size());
        EXPECT_EQ(printed, scan) << where;

        const json final = json::parse(RunDecode("--final " + Quoted(entry.path().string())).Out);
        std::map<int, int> counted;
        int total = 0;
        for (const json& row : final.at("Rtcm").at("counts")) {
            counted[row.at("rtcm").get<int>()] = row.at("frames").get<int>();
            total += row.at("frames").get<int>();
            EXPECT_TRUE(row.at("rate").is_null()) << "a file has no arrival times";
        }
        EXPECT_EQ(counted, scan) << where;
        EXPECT_EQ(final.at("Rtcm").at("frames"), total) << where;
        EXPECT_EQ(final.at("Rtcm").at("malformed"), 0) << where;

        const ByNumber theirs = CheckReadings(entry.path().string() + ".chk");
        for (const auto& [number, readings] : theirs) {
            const auto found = mine.find(number);
            if (found == mine.end() || found->second.size() != readings.size()) continue;
            for (size_t i = 0; i < readings.size(); ++i)
                compared += Compare(number, found->second[i], readings[i], where);
        }
    }
    EXPECT_EQ(files, 5);
    EXPECT_GE(compared, 864);  // stations, descriptors, MSM headers and biases of every file
}

TEST(DecodeRtcm, TheFinalStateHoldsTheStationTheDescriptorsAndEachSystemsSatellites) {
    const json rtcm =
        json::parse(RunDecode("--final " + Quoted((Corpus / "rtcm3.2.log").string())).Out)
            .at("Rtcm");
    EXPECT_EQ(rtcm.at("unknown"), 13);  // message 63
    EXPECT_EQ(rtcm.at("descriptor").at("receiver"), "JAVAD TRE_G3TH DELTA");
    EXPECT_EQ(rtcm.at("satellites").at("GPS"), json::parse("[5,7,8,9,16,23,27,28,30]"));
    EXPECT_EQ(rtcm.at("satellites").size(), 4u);
    EXPECT_EQ(rtcm.at("ephemerides").at("Galileo"), 18);
    const json f9p =
        json::parse(RunDecode("--final " + Quoted((Corpus / "ublox-f9p-rtcm.log").string())).Out)
            .at("Rtcm");
    EXPECT_EQ(f9p.at("proprietary"), 2);  // 4072
}

// A rover's GGA (44 04.1286780 N, 121 18.8454060 W, 1131.226 m above the
// geoid, geoid -22.155 m) and a reference station's 1006: the baseline, as
// computed apart from the two positions, 2347.1358 m.
TEST(DecodeRtcm, AStationFrameAfterAFixGivesTheBaselineAndItsPosition) {
    const std::string gga =
        "$GPGGA,234042.00,4404.1286780,N,12118.8454060,W,4,20,0.49,1131.226,M,-22.155,M,,*";
    uint8_t sum = 0;
    for (size_t i = 1; i < gga.size() - 1; ++i) sum ^= static_cast<uint8_t>(gga[i]);
    char tail[8];
    std::snprintf(tail, sizeof tail, "%02X\r\n", sum);
    const std::string payload = RtcmPayload()
                                    .Bits(12, 1006)
                                    .Bits(12, 278)
                                    .Bits(10, 0)
                                    .Bits(38, -23847647077)
                                    .Bits(2, 0)
                                    .Bits(38, -39210891738)
                                    .Bits(2, 0)
                                    .Bits(38, 44159760690)
                                    .Bits(16, 0)
                                    .Bytes();
    std::string station = "\xD3";
    station += static_cast<char>(payload.size() >> 8);
    station += static_cast<char>(payload.size());
    station += payload;
    const uint32_t crc = BitwiseCrc24q(station);
    for (const int shift : {16, 8, 0}) station += static_cast<char>(crc >> shift);
    const std::string file = testing::TempDir() + "baseline-" + std::to_string(getpid());
    std::ofstream(file, std::ios::binary) << gga << tail << station;
    const std::vector<json> lines = ParsedLines(RunDecode(Quoted(file)).Out);
    const json final = json::parse(RunDecode("--final " + Quoted(file)).Out);
    fs::remove(file);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].at("valid").get<bool>());
    const json& frame = lines[1];
    EXPECT_EQ(frame.at("station"), 278);
    EXPECT_NEAR(frame.at("x").get<double>(), -2384764.7077, 1e-6);
    EXPECT_NEAR(frame.at("lat").get<double>(), 44.0893909144, 1e-9);
    EXPECT_NEAR(frame.at("lon").get<double>(), -121.3075218965, 1e-9);
    EXPECT_NEAR(frame.at("height").get<double>(), 1070.736915, 1e-4);
    EXPECT_NEAR(frame.at("baseline").get<double>(), 2347.1358, 1e-3);
    EXPECT_NEAR(final.at("Rtcm").at("station").at("baseline").get<double>(), 2347.1358, 1e-3);
}

}  // namespace
