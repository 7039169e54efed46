// The receiver's RTK state as the store derives it from whatever the
// receiver sends (GGA quality and age, RMC and GNS mode indicators, NAV-PVT flags),
// NAV-RELPOSNED from hand-built frames of both versions, and real u-blox
// captures: an RTK rover's NAV-PVT and a moving base's NAV-RELPOSNED.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "tests/framing/UbxBytes.h"

namespace {

std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

UbxDispatchResult Dispatch(NMEA_Manager& store, const std::string& frame) {
    return DispatchUbx(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), store);
}

void Put(std::string& payload, size_t at, int64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        payload[at + i] = static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
}

const char* const Position = "123519.00,4807.038,N,01131.000,E";

TEST(RtkState, FromSentences) {
    const std::string gga = std::string("GPGGA,") + Position;
    const std::string gns = std::string("GNGNS,") + Position + ",";
    const std::string gnsTail = ",12,0.6,545.4,46.9,1.2,0031,V";
    const std::string rmc = "GPRMC,123519.00,A,4807.038,N,01131.000,E,0.0,0.0,230394,,,";
    const struct {
        std::vector<std::string> Bodies;
        const char* Text;
    } cases[] = {
        {{gga + ",4,12,0.6,545.4,M,46.9,M,1.2,0031"}, "RTK fixed, age 1.2 s"},
        {{gga + ",5,12,0.6,545.4,M,46.9,M,0.8,0031"}, "RTK float, age 0.8 s"},
        {{gga + ",2,12,0.6,545.4,M,46.9,M,3,0031"}, "DGNSS, age 3.0 s"},
        {{gga + ",1,08,0.9,545.4,M,46.9,M,,"}, "3D"},
        {{gga + ",1,08,0.9,,M,46.9,M,,"}, "2D"},
        {{gga + ",6,08,0.9,545.4,M,46.9,M,,"}, "DR"},
        {{"GPGGA,123519.00,,,,,0,00,99.99,,,,,,"}, "no fix"},
        {{rmc + "R"}, "RTK fixed"},
        {{rmc + "F"}, "RTK float"},
        {{rmc + "D"}, "DGNSS"},
        {{rmc + "E"}, "DR"},
        // An RMC without a mode field (NMEA 2.0) is a plain fix.
        {{"GPRMC,123519.00,A,4807.038,N,01131.000,E,0.0,0.0,230394,,"}, "3D"},
        // A GGA's quality stands: an NMEA 2.3 RMC says D in RTK.
        {{gga + ",4,12,0.6,545.4,M,46.9,M,1.0,0031", rmc + "D"}, "RTK fixed, age 1.0 s"},
        // GNS: one mode letter per system (GPS, GLONASS, Galileo ...), the best counts.
        {{gns + "RR" + gnsTail}, "RTK fixed"},
        {{gns + "NR" + gnsTail}, "RTK fixed"},
        {{gns + "FN" + gnsTail}, "RTK float"},
        {{gns + "AD" + gnsTail}, "DGNSS"},
        {{gns + "PN" + gnsTail}, "DGNSS"},
        {{gns + "AAN" + gnsTail}, "3D"},
        {{gns + "EN" + gnsTail}, "DR"},
        {{gns + "NN" + gnsTail}, "no fix"},
        {{gns + "RF" + gnsTail, gns + "NF" + gnsTail}, "RTK float"},
        {{gga + ",5,12,0.6,545.4,M,46.9,M,0.8,0031", gns + "RR" + gnsTail}, "RTK float, age 0.8 s"},
        // The fix falls back as the corrections stop.
        {{gga + ",4,12,0.6,545.4,M,46.9,M,1.0,0031", gga + ",1,12,0.6,545.4,M,46.9,M,,"}, "3D"},
    };
    for (const auto& c : cases) {
        NMEA_Manager store;
        for (const std::string& body : c.Bodies)
            EXPECT_TRUE(DispatchSentence(Sentence(body), store, nullptr).Valid) << body;
        EXPECT_EQ(RtkStateText(store.Rtk), c.Text) << c.Bodies.back();
    }
}

TEST(RtkState, FromNavPvt) {
    const struct {
        int FixType, Flags, Flags3;
        const char* Text;
    } cases[] = {
        {3, 0x01 | 0x02 | 2 << 6, 2 << 1, "RTK fixed, age 1-2 s"},
        {3, 0x01 | 0x02 | 1 << 6, 1 << 1, "RTK float, age 0-1 s"},
        {3, 0x01 | 0x02, 12 << 1, "DGNSS, age 120 s or more"},
        {3, 0x01 | 0x02, 0, "DGNSS"},
        {3, 0x01, 0, "3D"},
        {2, 0x01, 0, "2D"},
        {0, 0x00, 0, "no fix"},
        {3, 0x00 | 2 << 6, 0, "3D"},  // a carrier solution without gnssFixOK
    };
    for (const auto& c : cases) {
        NMEA_Manager store;
        std::string payload(92, '\0');
        Put(payload, 20, c.FixType, 1);
        Put(payload, 21, c.Flags, 1);
        Put(payload, 78, c.Flags3, 2);
        ASSERT_TRUE(Dispatch(store, UbxBytes(0x01, 0x07, payload)).Decoded);
        EXPECT_EQ(RtkStateText(store.Rtk), c.Text) << c.FixType << " " << c.Flags;
    }
}

// Version 1: centimetres and their 0.1 mm parts joined, length, heading,
// accuracies and flags; version 0 has neither length nor heading.
TEST(RtkState, RelPosNedVersions) {
    NMEA_Manager store;
    std::string v1(64, '\0');
    Put(v1, 0, 1, 1);
    Put(v1, 2, 4095, 2);
    Put(v1, 4, 123456789, 4);
    Put(v1, 8, 123, 4);        // N 1.23 m
    Put(v1, 12, -50, 4);       // E -0.50 m
    Put(v1, 16, 2, 4);         // D 0.02 m
    Put(v1, 20, 133, 4);       // length 1.33 m
    Put(v1, 24, 33790000, 4);  // heading 337.9
    Put(v1, 32, 45, 1);        // +4.5 mm
    Put(v1, 33, -7, 1);        // -0.7 mm
    Put(v1, 34, 0, 1);
    Put(v1, 35, 12, 1);
    Put(v1, 36, 140, 4);  // accN 14 mm
    Put(v1, 52, 250000, 4);
    Put(v1, 60, 0x001 | 0x002 | 0x004 | 2 << 3 | 0x020 | 0x100, 4);
    std::string line;
    UbxConsoleLine(Dispatch(store, UbxBytes(0x01, 0x3C, v1)), store, line);
    const UbxRelPosNedRecord& r = store.Ubx.RelPosNed;
    EXPECT_EQ(r.RefStationId, 4095);
    EXPECT_EQ(r.North, 12345);
    EXPECT_EQ(r.East, -5007);
    EXPECT_EQ(r.Length, 13312);
    EXPECT_EQ(r.AccNorth, 140u);
    EXPECT_TRUE(r.HasLengthAndHeading);
    EXPECT_EQ(line,
              "UBX NAV-RELPOSNED N 1.2345 E -0.5007 D 0.0200 m, length 1.3312 m heading 337.9, "
              "fixed, valid");

    std::string v0(40, '\0');
    Put(v0, 8, -300, 4);
    Put(v0, 20, -5, 1);
    Put(v0, 24, 99, 4);
    Put(v0, 36, 0x001 | 1 << 3, 4);
    UbxConsoleLine(Dispatch(store, UbxBytes(0x01, 0x3C, v0)), store, line);
    EXPECT_EQ(store.Ubx.RelPosNed.North, -30005);
    EXPECT_EQ(store.Ubx.RelPosNed.AccNorth, 99u);
    EXPECT_FALSE(store.Ubx.RelPosNed.HasLengthAndHeading);
    EXPECT_EQ(line, "UBX NAV-RELPOSNED N -3.0005 E 0.0000 D 0.0000 m, float, not valid");
    // Shorter than version 0: counted, not decoded.
    EXPECT_FALSE(Dispatch(store, UbxBytes(0x01, 0x3C, std::string(39, '\0'))).Decoded);
}

std::string ReadCapture(const std::string& name) {
    std::ifstream in(std::string(LUMAROKUB_UBX_CORPUS_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every UBX frame of a capture with a sound checksum, dispatched in order.
void DispatchFrames(NMEA_Manager& store, const std::string& bytes,
                    void (*each)(NMEA_Manager&, const UbxDispatchResult&)) {
    for (size_t i = 0; i + 8 <= bytes.size(); ++i) {
        if (static_cast<uint8_t>(bytes[i]) != 0xB5 || bytes[i + 1] != 0x62) continue;
        const size_t size = 8 + (static_cast<uint8_t>(bytes[i + 4]) |
                                 static_cast<size_t>(static_cast<uint8_t>(bytes[i + 5])) << 8);
        if (i + size > bytes.size()) break;
        const UbxDispatchResult result = Dispatch(store, bytes.substr(i, size));
        if (!result.Valid) continue;
        each(store, result);
        i += size - 1;
    }
}

TEST(RtkState, RealCaptures) {
    static int relPos = 0, valid = 0, fixOk = 0;
    NMEA_Manager base;
    DispatchFrames(base, ReadCapture("ublox-neo-m8p.log"),
                   [](NMEA_Manager& store, const UbxDispatchResult& result) {
                       if (result.Id != 0x3C || !result.Decoded) return;
                       ++relPos;
                       valid += (store.Ubx.RelPosNed.Flags & UbxRelPosValid) != 0;
                       fixOk += (store.Ubx.RelPosNed.Flags & UbxRelPosGnssFixOk) != 0;
                   });
    EXPECT_EQ(relPos, 59);  // the frames with class 01 id 3C in the capture
    EXPECT_EQ(fixOk, 59);
    EXPECT_EQ(valid, 0);  // a base without a rover's baseline

    NMEA_Manager rover;
    DispatchFrames(rover, ReadCapture("ublox-zed-f9p-rtk.log"),
                   [](NMEA_Manager&, const UbxDispatchResult&) {});
    EXPECT_EQ(RtkStateText(rover.Rtk), "RTK float, age 30-45 s");
    EXPECT_TRUE(rover.Rtk.DifferentialSeen);
}

}  // namespace
