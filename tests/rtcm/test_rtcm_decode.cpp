// RTCM 3 messages decoded from payloads built field by field: every kind the
// monitor reads, the positions checked against an independent closed-form
// conversion, and payloads too short for their fields counted, never fatal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rtcm/BitReader.h"
#include "rtcm/Geodesy.h"
#include "rtcm/RtcmState.h"
#include "tests/rtcm/RtcmPayload.h"

namespace {

RtcmFrameResult Take(RtcmState& state, const std::string& payload, double at = -1) {
    return state.Take(reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), at);
}

TEST(BitReader, ReadsBigEndianFieldsSignedAndUnsignedUpTo64Bits) {
    const std::string bytes = RtcmPayload()
                                  .Bits(3, 5)
                                  .Bits(38, -46469868329)
                                  .Bits(64, -2)
                                  .Bits(12, 4095)
                                  .Bits(1, 1)
                                  .Bits(64, 0x8000000000000001)
                                  .Bytes();
    BitReader bits(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(bits.Unsigned(3), 5u);
    EXPECT_EQ(bits.Signed(38), -46469868329);
    EXPECT_EQ(bits.Signed(64), -2);
    EXPECT_EQ(bits.Signed(12), -1);
    EXPECT_EQ(bits.Signed(1), -1);
    EXPECT_EQ(bits.Unsigned(64), 0x8000000000000001u);
    EXPECT_TRUE(bits.Ok());
    EXPECT_EQ(bits.BitsLeft(), bytes.size() * 8 - 182);
}

TEST(BitReader, AFieldPastTheEndOrWiderThan64BitsReadsZeroAndFailsForGood) {
    const uint8_t bytes[] = {0xFF, 0xFF};
    struct Case {
        const char* Name;
        unsigned First, Second;
    } cases[] = {{"past the end", 10, 7}, {"wider than 64", 65, 1}, {"exactly to the end", 16, 1}};
    for (const Case& c : cases) {
        BitReader bits(bytes, sizeof bytes);
        bits.Unsigned(c.First);
        EXPECT_EQ(bits.Signed(c.Second), 0) << c.Name;
        EXPECT_FALSE(bits.Ok()) << c.Name;
        EXPECT_EQ(bits.Unsigned(1), 0u) << c.Name;  // stays failed
        EXPECT_EQ(bits.BitsLeft(), 0u) << c.Name;
    }
}

// A 1005 or 1006 payload for an ECEF point in 0.0001 m.
std::string StationPayload(uint16_t number, uint16_t id, int64_t x, int64_t y, int64_t z,
                           uint16_t height = 0) {
    RtcmPayload p;
    p.Bits(12, number).Bits(12, id).Bits(6, 14).Bits(1, 1).Bits(1, 1).Bits(1, 0).Bits(1, 0);
    p.Bits(38, x).Bits(2, 0).Bits(38, y).Bits(2, 0).Bits(38, z);
    if (number == 1006) p.Bits(16, height);
    return p.Bytes();
}

TEST(RtcmDecode, StationsGiveTheirPositionOnTheWgs84Ellipsoid) {
    // Latitude, longitude and height from Vermeille's closed form, computed apart.
    struct Case {
        uint16_t Number, Id;
        int64_t X, Y, Z;
        uint16_t Height;
        double Lat, Lon, H;
    } cases[] = {
        {1005, 2003, 11141045999, -48507297108, 39755214643, 0, 38.8047594304, -77.0647735998,
         114.561138},
        {1006, 278, -23847647077, -39210891738, 44159760690, 15000, 44.0893909144, -121.3075218965,
         1070.736915},
        {1005, 4095, -46469868329, 25530869169, -35332810555, 0, -33.8568, 151.2153, 25.0},
    };
    for (const Case& c : cases) {
        RtcmState state;
        const RtcmFrameResult r =
            Take(state, StationPayload(c.Number, c.Id, c.X, c.Y, c.Z, c.Height));
        ASSERT_TRUE(r.Decoded) << c.Number;
        EXPECT_EQ(r.Message->Kind, RtcmKind::Station);
        const RtcmStation& s = state.Latest.Station;
        EXPECT_EQ(s.StationId, c.Id);
        EXPECT_EQ(s.ItrfYear, 14);
        EXPECT_TRUE(s.Gps && s.Glonass && !s.Galileo);
        EXPECT_EQ(s.X, c.X);
        EXPECT_EQ(s.Y, c.Y);
        EXPECT_EQ(s.Z, c.Z);
        EXPECT_EQ(s.HasHeight, c.Number == 1006);
        EXPECT_EQ(s.Height, c.Height);
        const Geodetic g = GeodeticOf({s.X * 1e-4, s.Y * 1e-4, s.Z * 1e-4});
        EXPECT_NEAR(g.Latitude, c.Lat, 1e-9) << c.Id;  // 0.1 mm
        EXPECT_NEAR(g.Longitude, c.Lon, 1e-9) << c.Id;
        EXPECT_NEAR(g.Height, c.H, 1e-4) << c.Id;
        const Ecef back = EcefOf(g);
        EXPECT_NEAR(Distance(back, {c.X * 1e-4, c.Y * 1e-4, c.Z * 1e-4}), 0, 1e-4) << c.Id;
    }
}

TEST(RtcmDecode, DescriptorsKeepTheirTextsAndA1033StaysBehindItsStationsAntenna) {
    RtcmState state;
    const std::string receiver = RtcmPayload()
                                     .Bits(12, 1033)
                                     .Bits(12, 278)
                                     .Text("LEIAR25.R4      LEIT")
                                     .Bits(8, 3)
                                     .Text("725123")
                                     .Text("LEICA GR10")
                                     .Text("4.50")
                                     .Text("1703616")
                                     .Bytes();
    ASSERT_TRUE(Take(state, receiver).Decoded);
    const RtcmDescriptor& d = state.Latest.Descriptor;
    EXPECT_EQ(d.StationId, 278);
    EXPECT_EQ(d.Antenna, "LEIAR25.R4      LEIT");
    EXPECT_EQ(d.SetupId, 3);
    EXPECT_EQ(d.AntennaSerial, "725123");
    EXPECT_EQ(d.Receiver, "LEICA GR10");
    EXPECT_EQ(d.Firmware, "4.50");
    EXPECT_EQ(d.ReceiverSerial, "1703616");

    ASSERT_TRUE(
        Take(state,
             RtcmPayload().Bits(12, 1007).Bits(12, 278).Text("ADVNULLANTENNA").Bits(8, 0).Bytes())
            .Decoded);
    EXPECT_EQ(d.Antenna, "ADVNULLANTENNA");
    EXPECT_FALSE(d.HasSerial);
    EXPECT_EQ(d.Receiver, "LEICA GR10");  // the same station's receiver stays

    const std::string other =
        RtcmPayload().Bits(12, 1008).Bits(12, 9).Text("").Bits(8, 1).Text("S\xE9").Bytes();
    ASSERT_TRUE(Take(state, other).Decoded);
    EXPECT_EQ(d.AntennaSerial, "S\xE9");
    EXPECT_FALSE(d.HasReceiver);  // another station's descriptor
}

// An MSM header: satellites and signals by their place in the masks, every
// cell present but the ones in 'gaps'.
std::string MsmPayload(uint16_t number, const std::vector<int>& satellites,
                       const std::vector<int>& signals, int gaps, uint32_t epoch,
                       bool data = true) {
    RtcmPayload p;
    p.Bits(12, number)
        .Bits(12, 633)
        .Bits(30, epoch)
        .Bits(1, 1)
        .Bits(3, 0)
        .Bits(7 + 2 + 2 + 1 + 3, 0);
    uint64_t satMask = 0;
    for (int s : satellites) satMask |= uint64_t{1} << (64 - s);
    uint32_t sigMask = 0;
    for (int s : signals) sigMask |= uint32_t{1} << (32 - s);
    p.Bits(64, static_cast<int64_t>(satMask)).Bits(32, sigMask);
    const int cells = static_cast<int>(satellites.size() * signals.size());
    for (int i = 0; i < cells; ++i) p.Bits(1, i >= gaps);
    if (data) p.Bits(40, 0);  // the satellite and signal data, not read
    return p.Bytes();
}

TEST(RtcmDecode, MsmOfEverySystemTellsItsSatellitesSignalsAndCells) {
    struct Case {
        uint16_t Number;
        const char* System;
        std::vector<uint16_t> Numbers;  // as the system numbers the satellites 1, 5 and 64... below
    } cases[] = {
        {1074, "GPS", {1, 5, 32}},       {1077, "GPS", {1, 5, 32}},
        {1085, "GLONASS", {1, 5, 32}},   {1096, "Galileo", {1, 5, 32}},
        {1107, "SBAS", {120, 124, 151}}, {1114, "QZSS", {193, 197, 224}},
        {1127, "BeiDou", {1, 5, 32}},    {1137, "NavIC", {1, 5, 32}},
        {1071, "GPS", {1, 5, 32}},
    };
    for (const Case& c : cases) {
        RtcmState state;
        const RtcmFrameResult r =
            Take(state, MsmPayload(c.Number, {1, 5, 32}, {2, 16}, 2, 672323207));
        ASSERT_TRUE(r.Decoded) << c.Number;
        RtcmSystem system;
        uint8_t kind = 0;
        ASSERT_TRUE(MsmOfNumber(c.Number, system, kind));
        EXPECT_STREQ(RtcmSystemName(system), c.System);
        EXPECT_EQ(kind, c.Number % 10);
        EXPECT_EQ(RtcmMessageName(c.Number), std::string(c.System) + " MSM" + std::to_string(kind));
        const RtcmMsm& m = state.Latest.Msm[static_cast<int>(system)];
        ASSERT_TRUE(state.Latest.HasMsm[static_cast<int>(system)]);
        EXPECT_EQ(m.StationId, 633);
        EXPECT_TRUE(m.MultipleMessage);
        uint16_t numbers[64];
        EXPECT_EQ(std::vector<uint16_t>(numbers, numbers + MsmSatelliteNumbers(m, numbers)),
                  c.Numbers)
            << c.Number;
        uint8_t signals[32];
        EXPECT_EQ(std::vector<uint8_t>(signals, signals + MsmSignalNumbers(m, signals)),
                  (std::vector<uint8_t>{2, 16}));
        EXPECT_EQ(m.Satellites, 3);
        EXPECT_EQ(m.Cells, 4);  // six cells, two missing
        if (system == RtcmSystem::Glonass) {
            EXPECT_EQ(m.Day, 672323207 >> 27);
            EXPECT_EQ(m.Epoch, 672323207u & 0x7FFFFFF);
        } else {
            EXPECT_EQ(m.Epoch, 672323207u);
        }
    }
    for (const uint16_t number : {1070, 1078, 1138, 1141})
        EXPECT_EQ(FindRtcmMessage(number) && FindRtcmMessage(number)->Kind == RtcmKind::Msm, false)
            << number;
}

TEST(RtcmDecode, EphemeridesTellSystemAndSatellite) {
    struct Case {
        uint16_t Number;
        unsigned Bits, Satellite;
        RtcmSystem System;
        uint16_t Expected;
    } cases[] = {
        {1019, 6, 31, RtcmSystem::Gps, 31},     {1020, 6, 24, RtcmSystem::Glonass, 24},
        {1042, 6, 63, RtcmSystem::Beidou, 63},  {1044, 4, 2, RtcmSystem::Qzss, 194},
        {1045, 6, 36, RtcmSystem::Galileo, 36}, {1046, 6, 1, RtcmSystem::Galileo, 1},
    };
    RtcmState state;
    for (const Case& c : cases) {
        ASSERT_TRUE(
            Take(state,
                 RtcmPayload().Bits(12, c.Number).Bits(c.Bits, c.Satellite).Bits(480, 0).Bytes())
                .Decoded)
            << c.Number;
        EXPECT_EQ(state.Latest.Ephemeris.System, c.System) << c.Number;
        EXPECT_EQ(state.Latest.Ephemeris.Satellite, c.Expected) << c.Number;
    }
    EXPECT_EQ(state.Ephemerides[static_cast<int>(RtcmSystem::Galileo)], 2u);
    EXPECT_EQ(state.Ephemerides[static_cast<int>(RtcmSystem::Gps)], 1u);
}

TEST(RtcmDecode, GlonassBiasesFollowTheirMask) {
    RtcmState state;
    ASSERT_TRUE(Take(state, RtcmPayload()
                                .Bits(12, 1230)
                                .Bits(12, 278)
                                .Bits(1, 1)
                                .Bits(3, 0)
                                .Bits(4, 0b1010)
                                .Bits(16, -3597)
                                .Bits(16, 250)
                                .Bytes())
                    .Decoded);
    const RtcmGlonassBiases& b = state.Latest.Biases;
    EXPECT_EQ(b.StationId, 278);
    EXPECT_TRUE(b.Aligned);
    EXPECT_EQ(b.Mask, 0b1010);
    EXPECT_EQ(b.Bias[0], -3597);
    EXPECT_EQ(b.Bias[1], 0);
    EXPECT_EQ(b.Bias[2], 250);
}

TEST(RtcmDecode, ProprietaryUnknownAndShortFramesAreCountedNeverFatal) {
    RtcmState state;
    Take(state, StationPayload(1005, 1, 10, 20, 30));
    Take(state, MsmPayload(1077, {3}, {2}, 0, 1000));
    const std::string full[] = {
        StationPayload(1006, 2, 1, 2, 3, 4), MsmPayload(1077, {1, 2}, {2, 3}, 0, 5, false),
        RtcmPayload()
            .Bits(12, 1033)
            .Bits(12, 1)
            .Text("ANT")
            .Bits(8, 0)
            .Text("")
            .Text("RX")
            .Text("1")
            .Text("2")
            .Bytes(),
        RtcmPayload().Bits(12, 1230).Bits(12, 1).Bits(8, 0x0F).Bits(64, 0).Bytes(),
        RtcmPayload().Bits(12, 1019).Bits(6, 7).Bytes()};
    uint64_t malformed = 0;
    for (const std::string& payload : full) {
        // Each ends on its last field: any byte less leaves a field short.
        for (size_t cut = 2; cut < payload.size(); ++cut) {
            const RtcmFrameResult r = Take(state, payload.substr(0, cut));
            EXPECT_TRUE(r.Malformed) << r.Number << " cut to " << cut;
            ++malformed;
        }
    }
    EXPECT_EQ(state.Malformed, malformed);
    EXPECT_EQ(state.Latest.Station.StationId, 1);  // the sound ones stand
    EXPECT_EQ(state.Latest.Msm[0].Satellites, 1);
    EXPECT_FALSE(state.Latest.HasDescriptor);
    EXPECT_FALSE(state.Latest.HasBiases);

    const RtcmFrameResult ublox = Take(state, RtcmPayload().Bits(12, 4072).Bits(12, 1).Bytes());
    EXPECT_EQ(RtcmMessageName(4072), "u-blox proprietary");
    EXPECT_EQ(ublox.Message->Kind, RtcmKind::Proprietary);
    Take(state, RtcmPayload().Bits(12, 4095).Bytes());
    EXPECT_EQ(state.Proprietary, 2u);
    const RtcmFrameResult unknown = Take(state, RtcmPayload().Bits(12, 63).Bits(40, 1).Bytes());
    EXPECT_EQ(unknown.Message, nullptr);
    EXPECT_EQ(RtcmMessageName(63), "unknown");
    EXPECT_EQ(state.Unknown, 1u);
    Take(state, "");  // no room for a number: counted as 0, unknown
    EXPECT_EQ(state.Unknown, 2u);
    EXPECT_EQ(state.Frames(), 2 + malformed + 4);
}

TEST(RtcmTally, RatesComeFromTheCallersArrivalTimes) {
    RtcmTally tally;
    for (int i = 0; i < 11; ++i) tally.Count(1077, 100.0 + i * 0.5);  // 2 Hz for 5 s
    tally.Count(1005, 100.0);
    tally.Count(1005, RtcmTally::NoArrival);  // counted, not timed
    tally.Count(1006, 103.0);
    ASSERT_EQ(tally.Kinds(), 3);
    EXPECT_DOUBLE_EQ(tally[0].Rate(), 2.0);
    EXPECT_DOUBLE_EQ(tally[0].LastAt, 105.0);
    EXPECT_EQ(tally[1].Frames, 2u);
    EXPECT_EQ(tally[1].Rate(), 0);  // one timed frame tells no rate
    EXPECT_EQ(tally[2].Rate(), 0);
    EXPECT_EQ(tally.Frames(), 14u);
}

}  // namespace
