// UBX frames dispatched into the store: acknowledgements, the receiver's
// identity, unknown and short messages, satellite numbering and the console
// line of each.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "tests/framing/UbxBytes.h"
#include "tests/intake/NavSatPayload.h"
#include "ubx/UbxDecoders.h"

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

namespace {

std::string PvtPayload(int32_t lat, int32_t lon, uint8_t second) {
    std::string payload(92, '\0');
    payload[4] = static_cast<char>(2024 & 0xFF);
    payload[5] = static_cast<char>(2024 >> 8);
    payload[6] = 3;  // March
    payload[7] = 24;
    payload[8] = 20;
    payload[9] = 42;
    payload[10] = static_cast<char>(second);
    payload[11] = 0x07;  // date, time, resolved
    payload[20] = 3;
    payload[21] = 0x01;  // fix OK
    payload[23] = 3;
    payload.replace(24, 4, Le4(lon));
    payload.replace(28, 4, Le4(lat));
    payload.replace(32, 4, Le4(300000));
    payload.replace(36, 4, Le4(292500));
    return payload;
}

// GPS 5 used, GLONASS 3 (as 67) used, Galileo 11 tracked without position.
std::string SatPayload() {
    return NavSatPayload(
        {{0, 5, 41, 45, 270, true}, {6, 3, 33, 20, 90, true}, {2, 11, 25, -91, 0, false}});
}

int InView(const NMEA_Manager& store, Constellation system) {
    SkySatellite sats[SkyMaxSatellites];
    const int count = store.Sky.Satellites(sats, SkyMaxSatellites);
    int n = 0;
    for (int i = 0; i < count; ++i) n += sats[i].System == system;
    return n;
}

}  // namespace

TEST(UbxViews, AUbxOnlyReceiverFillsPositionAndSky) {
    NMEA_Manager store;
    const UbxDispatchResult pvt =
        Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, 27)));
    EXPECT_TRUE(pvt.Refresh);
    EXPECT_TRUE(Dispatch(store, UbxBytes(0x01, 0x35, SatPayload())).Refresh);
    EXPECT_EQ(store.Display().LatText, "N 46.4045950");
    EXPECT_EQ(store.Display().LonText, "W 117.0207450");
    EXPECT_EQ(store.Display().AltText, "292.5");
    EXPECT_EQ(store.Display().FixModeText, "3D");
    EXPECT_EQ(store.Display().GmtText, "GMT: 20:42:27");
    EXPECT_EQ(store.Display().DateText, "DATE: 24/03/24");
    EXPECT_EQ(store.Display().UsedPrnText, "G5 R67 ");
    // A second epoch keeps the table of the first.
    Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, 28)));
    Dispatch(store, UbxBytes(0x01, 0x35, SatPayload()));
    EXPECT_EQ(InView(store, Constellation::Gps), 1);
    EXPECT_EQ(InView(store, Constellation::Glonass), 1);
    EXPECT_EQ(InView(store, Constellation::Galileo), 1);
    EXPECT_TRUE(store.Sky.Used(Constellation::Glonass, 67));
    EXPECT_FALSE(store.Sky.Used(Constellation::Galileo, 11));
}

TEST(UbxViews, TheReceiversOwnNmeaWinsOverUbx) {
    NMEA_Manager store;
    const std::string gga = "$GPGGA,204227.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*";
    unsigned sum = 0;
    for (size_t i = 1; i + 1 < gga.size(); ++i) sum ^= static_cast<unsigned char>(gga[i]);
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "%02X\r", sum);
    Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, 26)));
    EXPECT_TRUE(DispatchSentence(gga + checksum, store, nullptr).Valid);
    EXPECT_EQ(store.Display().LatText, "N 48.11730");
    const UbxDispatchResult pvt =
        Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, 27)));
    EXPECT_TRUE(pvt.Decoded);
    EXPECT_EQ(store.Display().LatText, "N 48.11730");
    EXPECT_FALSE(store.Ubx.FeedsPosition);
}

namespace {

// "$" + body + "*HH\r"
std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    char checksum[6];
    std::snprintf(checksum, sizeof checksum, "*%02X\r", sum);
    return "$" + body + checksum;
}

std::vector<std::string> TallyAddresses(const NMEA_Manager& store) {
    std::vector<std::string> addresses;
    for (const SentenceTally::Row& row : store.Tally.Rows()) addresses.push_back(row.Address);
    return addresses;
}

}  // namespace

// What UBX is told as is never counted: a UBX-only receiver has no
// sentence rows and no sound sentences, only sound frames, and a receiver's
// own sentences are counted once each.
TEST(UbxViews, TheTallyCountsOnlyWhatCameOverTheLink) {
    NMEA_Manager store;
    for (uint8_t second = 20; second < 23; ++second) {
        Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, second)));
        Dispatch(store, UbxBytes(0x01, 0x35, SatPayload()));
    }
    EXPECT_EQ(store.Display().LatText, "N 46.4045950");
    EXPECT_EQ(TallyAddresses(store), std::vector<std::string>{});
    EXPECT_EQ(store.ValidSentences, 0u);
    EXPECT_EQ(store.SoundRecords(), 6u);
    DispatchSentence(Sentence("GPGSV,1,1,01,07,45,100,40"), store, nullptr);
    EXPECT_EQ(store.ValidSentences, 1u);
    ASSERT_EQ(TallyAddresses(store), std::vector<std::string>{"GPGSV"});
    EXPECT_EQ(store.Tally.Rows()[0].Sound, 1u);
}

// Each kind is decided as its frame arrives: the receiver's own GSV set,
// sent before the first NAV-SAT, keeps the satellite table, while its
// NAV-PVT still fills the position it sends no GGA or RMC for.
TEST(UbxViews, EachKindOfTheReceiversOwnNmeaWinsFromItsFirstSentence) {
    NMEA_Manager store;
    const std::string gsv = Sentence("GPGSV,1,1,02,07,45,100,40,09,30,200,35");
    for (uint8_t second = 20; second < 23; ++second) {
        EXPECT_TRUE(DispatchSentence(gsv, store, nullptr).Valid);
        Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, second)));
        Dispatch(store, UbxBytes(0x01, 0x35, SatPayload()));
        EXPECT_TRUE(store.Ubx.FeedsPosition) << int(second);
        EXPECT_FALSE(store.Ubx.FeedsSky) << int(second);
        EXPECT_EQ(InView(store, Constellation::Gps), 2) << int(second);
        EXPECT_EQ(InView(store, Constellation::Glonass), 0) << int(second);
    }
    EXPECT_EQ(store.Display().LatText, "N 46.4045950");
    // A receiver that stops its GSV is fed from NAV-SAT again at its next frame.
    Dispatch(store, UbxBytes(0x01, 0x35, SatPayload()));
    EXPECT_TRUE(store.Ubx.FeedsSky);
    EXPECT_EQ(InView(store, Constellation::Glonass), 1);
}

// A new connection: what the receiver before told in UBX is forgotten.
TEST(UbxState, StartingOverForgetsTheReceiverButNotThatItSpoke) {
    NMEA_Manager store;
    Dispatch(store, UbxBytes(0x01, 0x07, PvtPayload(464045950, -1170207450, 20)));
    std::string status(16, '\0');
    status[8] = static_cast<char>(30000 & 0xFF);
    status[9] = static_cast<char>(30000 >> 8);
    Dispatch(store, UbxBytes(0x01, 0x03, status));
    ASSERT_EQ(store.Ubx.Status.Ttff, 30000u);
    const uint64_t heard = store.SoundRecords();
    store.Ubx.StartOver();
    EXPECT_EQ(store.Ubx.Status.Ttff, 0u);
    EXPECT_EQ(store.Ubx.Frames, 0u);
    EXPECT_EQ(store.Ubx.CountOf(0x01, 0x03), 0u);
    EXPECT_EQ(store.SoundRecords(), heard);  // the freshness of the views goes by it
}
