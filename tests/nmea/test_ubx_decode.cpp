// UBX frames dispatched into the store: acknowledgements, the receiver's
// identity, unknown and short messages, satellite numbering and the console
// line of each.
#include <gtest/gtest.h>

#include <string>

#include "nmea/UbxDecoders.h"
#include "nmea/UbxMessages.h"
#include "tests/framing/UbxBytes.h"

namespace {

UbxDispatchResult Dispatch(NMEA_Manager& store, const std::string& frame) {
    return DispatchUbx(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), store);
}

std::string Line(NMEA_Manager& store, const std::string& frame) {
    std::string line;
    UbxConsoleLine(Dispatch(store, frame), store, line);
    return line;
}

std::string Le4(int32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

TEST(UbxDispatch, AcknowledgementsNameTheMessage) {
    NMEA_Manager store;
    EXPECT_EQ(Line(store, UbxBytes(0x05, 0x00, "\x06\x01")), "UBX ACK-NAK CFG-MSG");
    EXPECT_FALSE(store.Ubx.LastAnswer.Acknowledged);
    EXPECT_EQ(Line(store, UbxBytes(0x05, 0x01, "\x06\x08")), "UBX ACK-ACK CFG-RATE");
    EXPECT_TRUE(store.Ubx.LastAnswer.Acknowledged);
    EXPECT_EQ(store.Ubx.LastAnswer.Id, 0x08);
    EXPECT_EQ(store.Ubx.Nak.Id, 0x01);
    EXPECT_EQ(store.Ubx.Answers, 2u);
}

TEST(UbxDispatch, VersionStringsFillTheirWidthWithoutANul) {
    NMEA_Manager store;
    std::string payload = std::string(30, 'S') + "00080000" + std::string(2, '\0');
    payload += "PROTVER=18.00" + std::string(17, '\0');
    payload += std::string(30, 'E');  // fills its width
    EXPECT_TRUE(Dispatch(store, UbxBytes(0x0A, 0x04, payload)).Decoded);
    const UbxVersionRecord& v = store.Ubx.Version;
    EXPECT_EQ(std::string(v.Software), std::string(30, 'S'));
    EXPECT_EQ(std::string(v.Hardware), "00080000");
    ASSERT_EQ(v.ExtensionCount, 2);
    EXPECT_EQ(std::string(v.Extensions[0]), "PROTVER=18.00");
    EXPECT_EQ(std::string(v.Extensions[1]), std::string(30, 'E'));
    EXPECT_TRUE(store.Ubx.VersionKnown);
}

TEST(UbxDispatch, UnknownAndShortMessagesAreCountedNeverDecoded) {
    NMEA_Manager store;
    const UbxDispatchResult unknown = Dispatch(store, UbxBytes(0x7F, 0x7E, "abc"));
    EXPECT_TRUE(unknown.Valid);
    EXPECT_FALSE(unknown.Decoded);
    EXPECT_EQ(Line(store, UbxBytes(0x7F, 0x7E, "")), "UBX 0x7F-0x7E");
    const UbxDispatchResult shortPvt = Dispatch(store, UbxBytes(0x01, 0x07, std::string(83, '\0')));
    EXPECT_FALSE(shortPvt.Valid);
    EXPECT_EQ(store.Ubx.CountOf(0x7F, 0x7E), 2u);
    EXPECT_EQ(store.Ubx.CountOf(0x01, 0x07), 1u);
    EXPECT_EQ(store.Ubx.UnknownFrames, 2u);
    EXPECT_EQ(store.Ubx.ShortFrames, 1u);
    std::string broken = UbxBytes(0x01, 0x07, std::string(92, '\0'));
    broken.back() ^= 1;
    EXPECT_FALSE(Dispatch(store, broken).Valid);
    EXPECT_EQ(store.Ubx.Frames, 3u);
}

TEST(UbxDispatch, PvtLineShowsFixSatellitesAndPosition) {
    NMEA_Manager store;
    std::string payload(92, '\0');
    payload[20] = 3;   // 3D
    payload[23] = 12;  // satellites
    payload.replace(24, 4, Le4(115166600));
    payload.replace(28, 4, Le4(481173000));
    payload.replace(36, 4, Le4(545400));
    EXPECT_EQ(Line(store, UbxBytes(0x01, 0x07, payload)),
              "UBX NAV-PVT 3D 12 sv 48.11730 11.51666 545.4 m");
}

TEST(UbxDispatch, SvInfoNumbersBecomeSystemAndSatellite) {
    struct Case {
        uint8_t Svid, GnssId, SvId;
    } cases[] = {{1, 0, 1},     {32, 0, 32}, {33, 3, 6},  {65, 6, 1},  {96, 6, 32},
                 {120, 1, 120}, {159, 3, 1}, {193, 5, 1}, {211, 2, 1}, {246, 2, 36}};
    for (const Case& c : cases) {
        uint8_t gnssId = 99, svId = 99;
        UbxSatelliteOfSvInfo(c.Svid, gnssId, svId);
        EXPECT_EQ(gnssId, c.GnssId) << int(c.Svid);
        EXPECT_EQ(svId, c.SvId) << int(c.Svid);
    }
}

}  // namespace
