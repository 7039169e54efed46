// A UBX receiver and an NMEA receiver reporting the same solution and sky
// leave the same receiver model: NAV-PVT against the GN GGA and RMC, NAV-SAT
// against each system's GSV and GSA, compared through the whole JSON state
// lumarokub-decode prints (records, exact values, display texts, the sky
// and the RTK state) and the position texts. Only the checksums differ: a
// record filled from UBX holds none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "tests/framing/UbxBytes.h"
#include "tests/intake/NavSatPayload.h"
#include "tests/nmea/NmeaTestUtil.h"
#include "tools/decode/StoreJson.h"

namespace {

void PutLe(std::string& payload, size_t at, int64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        payload[at + static_cast<size_t>(i)] =
            static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
}

struct Pvt {
    int32_t Lat, Lon, HMsl, Height, GSpeed, HeadMot;
    uint8_t FixType, Flags, NumSv;
    int32_t Nano;
};

std::string PvtPayload(const Pvt& p) {
    std::string payload(92, '\0');
    PutLe(payload, 4, 2024, 2);
    payload[6] = 3;  // 24 March 2024, 20:42:27
    payload[7] = 24;
    payload[8] = 20;
    payload[9] = 42;
    payload[10] = 27;
    payload[11] = 0x07;  // date, time, resolved
    PutLe(payload, 16, p.Nano, 4);
    payload[20] = static_cast<char>(p.FixType);
    payload[21] = static_cast<char>(p.Flags);
    payload[23] = static_cast<char>(p.NumSv);
    PutLe(payload, 24, p.Lon, 4);
    PutLe(payload, 28, p.Lat, 4);
    PutLe(payload, 32, p.Height, 4);
    PutLe(payload, 36, p.HMsl, 4);
    PutLe(payload, 60, p.GSpeed, 4);
    PutLe(payload, 64, p.HeadMot, 4);
    PutLe(payload, 76, 150, 2);  // PDOP 1.50
    return payload;
}

// PDOP 1.50, VDOP 1.20, HDOP 0.90.
std::string DopPayload() {
    std::string payload(18, '\0');
    PutLe(payload, 6, 150, 2);
    PutLe(payload, 10, 120, 2);
    PutLe(payload, 12, 90, 2);
    return payload;
}

// GPS 5 used, SBAS 120 used (33 in NMEA), GLONASS 3 used (65 + 2), Galileo
// 11 tracked without a position, GPS 7 in view without a signal.
std::string SatPayload() {
    return NavSatPayload({{0, 5, 41, 45, 270, true},
                          {1, 120, 38, 30, 200, true},
                          {6, 3, 33, 20, 90, true},
                          {2, 11, 25, -91, 0, false},
                          {0, 7, 0, 5, 359, false}});
}

void Frame(NMEA_Manager& store, uint8_t id, const std::string& payload) {
    const std::string frame = UbxBytes(0x01, id, payload);
    std::lock_guard<std::mutex> guard(store.Lock());
    DispatchUbx(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), store);
}

void Sentences(NMEA_Manager& store, const std::vector<std::string>& bodies) {
    std::lock_guard<std::mutex> guard(store.Lock());
    for (const std::string& body : bodies)
        ASSERT_TRUE(DispatchSentence(Sentence(body), store, nullptr).Valid) << body;
}

// The model as lumarokub-decode prints it, without the checksums, and the
// position texts beside it.
void EraseChecksums(nlohmann::json& j) {
    if (j.is_object()) {
        j.erase("Checksum");
        for (auto& [key, value] : j.items()) EraseChecksums(value);
    } else if (j.is_array()) {
        for (auto& value : j) EraseChecksums(value);
    }
}

std::string Model(NMEA_Manager& store) {
    std::lock_guard<std::mutex> guard(store.Lock());
    nlohmann::json j = StoreJson(store, DecodeCounts{});
    j.erase("counts");
    EraseChecksums(j);
    const PositionText& p = store.Position;
    j["Position"] = {
        p.Time,    p.Latitude, std::string(1, p.North), p.Longitude, std::string(1, p.East),
        p.Altitude};
    j["Cycle"] = store.Sky.Cycle();
    return j.dump(1);
}

struct Case {
    const char* Name;
    Pvt Solution;
    std::vector<std::string> Nmea;  // the same solution in sentences
    char GsaFix;                    // and the fix type their GSAs give
};

// A GN GSA of one system: its used satellites in twelve slots.
std::string Gsa(char fix, const std::vector<std::string>& used, int systemId) {
    std::string body = std::string("GNGSA,A,") + fix;
    for (size_t i = 0; i < 12; ++i) body += "," + (i < used.size() ? used[i] : std::string());
    return body + ",1.50,0.90,1.20," + std::to_string(systemId);
}

// The sky of SatPayload as a receiver of fix type 'fix' (1 none, 3 3D) tells it.
std::vector<std::string> SkySentences(char fix) {
    return {
        "GPGSV,1,1,03,05,45,270,41,07,05,359,,33,30,200,38",
        Gsa(fix, {"05", "33"}, 1),
        "GLGSV,1,1,01,67,20,090,33",
        Gsa(fix, {"67"}, 2),
        "GAGSV,1,1,01,11,,,25",
        Gsa(fix, {}, 3),
    };
}

}  // namespace

TEST(UbxModel, NavPvtAndNavSatWriteTheModelTheSentencesWrite) {
    const Case cases[] = {
        {"3D fix, north and east",
         {481173000, 115166667, 545400, 592300, 1000, 12345678, 3, 0x01, 12, 500000000},
         {"GNGGA,204227.50,4807.03800,N,01131.00000,E,1,12,0.90,545.4,M,46.9,M,,",
          "GNRMC,204227.50,A,4807.03800,N,01131.00000,E,1.944,123.46,240324,,,A"},
         '3'},
        {"RTK fixed below the sea, south and west",
         {-334567891, -1512345678, -12340, 7860, 0, 0, 3, 0x81, 9, 0},
         {"GNGGA,204227.00,3327.40735,S,15114.07407,W,4,09,0.90,-12.3,M,20.2,M,,",
          "GNRMC,204227.00,A,3327.40735,S,15114.07407,W,0.000,0.00,240324,,,A"},
         '3'},
        {"no fix",
         {0, 0, 0, 0, 0, 0, 0, 0x00, 0, 0},
         {"GNGGA,204227.00,,,,,0,00,0.90,,M,,M,,", "GNRMC,204227.00,V,,,,,,,240324,,,N"},
         '1'},
    };
    for (const Case& c : cases) {
        NMEA_Manager ubx, nmea;
        Frame(ubx, 0x04, DopPayload());
        Frame(ubx, 0x07, PvtPayload(c.Solution));
        Frame(ubx, 0x35, SatPayload());
        std::vector<std::string> sentences = c.Nmea;
        const std::vector<std::string> sky = SkySentences(c.GsaFix);
        sentences.insert(sentences.end(), sky.begin(), sky.end());
        Sentences(nmea, sentences);
        EXPECT_EQ(Model(ubx), Model(nmea)) << c.Name;
    }
}
