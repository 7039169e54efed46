// The simulator's protocol pieces without a line: sentence text, UBX frames,
// the command parser and what each control message does.
#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "tools/sim/CommandParser.h"
#include "tools/sim/EpochSentences.h"
#include "tools/sim/FaultInjector.h"
#include "tools/sim/NmeaText.h"
#include "tools/sim/ReceiverControl.h"
#include "tools/sim/UbxFrame.h"

namespace {

// The frames the monitor sends, as it holds them.
const char* const HotStartText = "B562060404000000020010680D0A";
const char* const WarmStartText = "B5620604040001000200116C0D0A";
const char* const ColdStartText = "B56206040400FF07020016790D0A";
const char* const GgaUsbOnlyText = "B56206010800F00000000001000101270D0A";
const char* const GgaOffText = "B56206010800F00000000000000100240D0A";
const char* const Rate250Text = "B56206080600FA000100010010960D0A";

std::vector<ReceivedCommand> Parse(const std::string& bytes, bool flushAtEnd = true) {
    CommandParser parser;
    std::vector<ReceivedCommand> list;
    ReceivedCommand c;
    for (char b : bytes)
        if (parser.Feed(static_cast<uint8_t>(b), c)) list.push_back(c);
    if (flushAtEnd && parser.Flush(c)) list.push_back(c);
    return list;
}

ReceivedCommand Ubx(const std::string& hexText) {
    const auto list = Parse(FromHex(hexText));
    EXPECT_EQ(list.size(), 1u);
    return list.empty() ? ReceivedCommand{} : list[0];
}

ReceivedCommand Text(const std::string& body) {
    ReceivedCommand c;
    c.Body = body;
    return c;
}

TEST(SimNmeaText, ChecksumsAndFieldFormats) {
    // A sentence from a real receiver's log.
    EXPECT_EQ(FinishSentence("GNVTG,,T,,M,0.117,N,0.216,K,A"),
              "$GNVTG,,T,,M,0.117,N,0.216,K,A*3F\r\n");
    EXPECT_EQ(FinishSentence("PSRF103,01,00,01,01", false), "$PSRF103,01,00,01,01\r\n");
    EXPECT_EQ(SentenceBody("$GPGLL,1,2*11\r\n"), "GPGLL,1,2");
    EXPECT_EQ(FormatLatitude(44.0690110), "4404.14066,N");
    EXPECT_EQ(FormatLongitude(-121.3142468), "12118.85481,W");
    EXPECT_EQ(FormatLatitude(-0.5), "0030.00000,S");
    EXPECT_EQ(FormatLongitude(9.9999999999), "01000.00000,E");  // never "0959.60000" or minutes 60
}

TEST(SimNmeaText, UtcTimesRoundTrip) {
    int64_t ms = 0;
    ASSERT_TRUE(ParseIsoUtc("2024-02-29T23:59:59Z", ms));
    const UtcTime t = SplitUtc(ms + 1500);  // into the next day, 1 March
    EXPECT_EQ(FormatNmeaDate(t), "010324");
    EXPECT_EQ(FormatNmeaTime(t), "000000.50");
    EXPECT_EQ(UnixMsFromUtc(t), ms + 1500);
    EXPECT_FALSE(ParseIsoUtc("2024-13-01T00:00:00", ms));
    EXPECT_FALSE(ParseIsoUtc("2024-01-01", ms));
}

TEST(SimUbx, FramesMatchTheMonitorsStoredFrames) {
    // The monitor's frames carry CR LF after the checksum; a receiver's do not.
    EXPECT_EQ(BuildUbxFrame(0x06, 0x04, {0, 0, 2, 0}) + "\r\n", FromHex(HotStartText));
    EXPECT_EQ(BuildUbxFrame(0x06, 0x04, {0xFF, 0x07, 2, 0}) + "\r\n", FromHex(ColdStartText));
    EXPECT_EQ(BuildUbxFrame(0x06, 0x08, {0xFA, 0, 1, 0, 1, 0}) + "\r\n", FromHex(Rate250Text));
    EXPECT_EQ(BuildUbxAck(true, 0x06, 0x01), FromHex("B5620501020006010F38"));
    UbxMessage m;
    std::string frame = FromHex(WarmStartText).substr(0, 14 - 2);
    ASSERT_TRUE(ParseUbxFrame(frame, m));
    EXPECT_EQ(ReadU16(m.Payload, 0), 0x0001);
    frame[7] ^= 1;
    EXPECT_FALSE(ParseUbxFrame(frame, m));
}

TEST(SimCommandParser, MonitorFramesWithTheirLineEnds) {
    const auto list = Parse(FromHex(HotStartText) + FromHex(GgaOffText) + FromHex(Rate250Text));
    ASSERT_EQ(list.size(), 3u);
    for (const auto& c : list) EXPECT_EQ(c.Type, ReceivedCommand::Ubx);
    EXPECT_EQ(list[0].Message.Id, UbxCfgRst);
    EXPECT_EQ(list[1].Message.Id, UbxCfgMsg);
    EXPECT_EQ(list[1].Message.Payload.size(), 8u);
    EXPECT_EQ(list[2].Message.Id, UbxCfgRate);
}

TEST(SimCommandParser, BadUbxChecksumIsReportedNotApplied) {
    std::string frame = FromHex(ColdStartText);
    frame[12 - 1] ^= 0x40;  // CK_B
    const auto list = Parse(frame + FromHex(HotStartText));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Type, ReceivedCommand::UbxBadChecksum);
    EXPECT_EQ(list[1].Type, ReceivedCommand::Ubx);
}

// As a real receiver, the parser takes a text command only with its checksum
// digits and CR LF; anything less is reported incomplete, never acted on.
TEST(SimCommandParser, TextCommandsNeedTheirChecksumAndLineEnd) {
    using K = ReceivedCommand::Kind;
    const std::string cold = "$PSRF104,0,0,0,96000,237759,922,12,4";
    const std::string coldBody = cold.substr(1);
    const std::string rate = "$PSRF103,01,00,01,01";
    const std::string rateBody = rate.substr(1);
    const std::string hot = FromHex(HotStartText);
    const struct {
        std::string Bytes;
        std::vector<std::pair<K, std::string>> Commands;  // UBX frames with an empty body
    } cases[] = {
        {cold + "*2E\r\n", {{K::Text, coldBody}}},
        {cold + "*2e\r\n", {{K::Text, coldBody}}},
        {FinishSentence("PSRF103,00,00,02,01") + rate + "*24\r\n",
         {{K::Text, "PSRF103,00,00,02,01"}, {K::Text, rateBody}}},
        {"$PSRF103,00,00,02,01*00\r\n", {{K::TextBadChecksum, "PSRF103,00,00,02,01"}}},
        {cold + "*", {{K::TextIncomplete, coldBody}}},  // then silence
        {cold + "*" + rate + "*24\r\n", {{K::TextIncomplete, coldBody}, {K::Text, rateBody}}},
        {rate + "\r\n", {{K::TextIncomplete, rateBody}}},
        {rate + "*24", {{K::TextIncomplete, rateBody}}},
        {rate + "*24\r", {{K::TextIncomplete, rateBody}}},
        {rate + "*24\n", {{K::TextIncomplete, rateBody}}},
        {rate + "*2\r\n", {{K::TextIncomplete, rateBody}}},
        {rate + "*24\r\n" + hot, {{K::Text, rateBody}, {K::Ubx, ""}}},
        {cold + "*" + hot, {{K::TextIncomplete, coldBody}, {K::Ubx, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes);
        const auto list = Parse(c.Bytes);
        ASSERT_EQ(list.size(), c.Commands.size());
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list[i].Type, c.Commands[i].first) << i;
            EXPECT_EQ(list[i].Body, c.Commands[i].second) << i;
        }
    }
    EXPECT_TRUE(Parse(rate + "*24\r", false).empty()) << "waits for the LF or silence";
}

TEST(SimReceiverControl, CfgMsgActsOnTheUartTargetOnly) {
    ReceiverControl control(false);
    // USB only: the UART output is switched off.
    auto out = control.Apply(Ubx(GgaUsbOnlyText));
    EXPECT_TRUE(out.Acked);
    ASSERT_EQ(out.Replies.size(), 1u);
    EXPECT_EQ(out.Replies[0], BuildUbxAck(true, 0x06, 0x01));
    EXPECT_FALSE(control.Schedule().Enabled(SentenceKind::GGA));
    // A frame whose checksum is wrong (the line end in its place) changes nothing.
    control.Apply(
        Ubx("B5620601"
            "0800"
            "F008"
            "000100000001" +
            std::string("0D0A")));
    EXPECT_FALSE(control.Schedule().Enabled(SentenceKind::ZDA));
    // UART (target 1) on for ZDA.
    const std::string zdaOn = BuildUbxFrame(0x06, 0x01, {0xF0, 0x08, 0, 1, 0, 0, 0, 1});
    out = control.Apply(Parse(zdaOn)[0]);
    EXPECT_TRUE(out.Acked);
    EXPECT_TRUE(control.Schedule().Enabled(SentenceKind::ZDA));
    // A sentence this receiver lacks is refused.
    out = control.Apply(Parse(BuildUbxFrame(0x06, 0x01, {0xF0, 0x06, 0, 1, 0, 0, 0, 0}))[0]);
    EXPECT_TRUE(out.Naked);
    EXPECT_EQ(out.Replies[0], BuildUbxAck(false, 0x06, 0x01));
}

TEST(SimReceiverControl, CfgRateAndCfgRst) {
    ReceiverControl control(false);
    EXPECT_TRUE(control.Apply(Ubx(Rate250Text)).Acked);
    EXPECT_EQ(control.PeriodMs(), 250u);
    const auto refused = control.Apply(Parse(BuildUbxFrame(0x06, 0x08, {5, 0, 1, 0, 1, 0}))[0]);
    EXPECT_TRUE(refused.Naked);
    EXPECT_EQ(control.PeriodMs(), 250u);

    EXPECT_EQ(control.Apply(Ubx(HotStartText)).Restart, StartKind::Hot);
    EXPECT_EQ(control.Apply(Ubx(WarmStartText)).Restart, StartKind::Warm);
    const auto cold = control.Apply(Ubx(ColdStartText));
    EXPECT_EQ(cold.Restart, StartKind::Cold);
    EXPECT_TRUE(cold.Acked);
}

TEST(SimReceiverControl, SirfRestartsAndIntervals) {
    ReceiverControl control(false);
    EXPECT_EQ(control.Apply(Text("PSRF104,0,0,0,96000,237759,922,12,1")).Restart, StartKind::Hot);
    EXPECT_EQ(control.Apply(Text("PSRF104,37.3875111,-121.97232,0,96000,237759,1922,12,2")).Restart,
              StartKind::Warm);
    EXPECT_EQ(control.Apply(Text("PSRF104,0,0,0,96000,237759,922,12,4")).Restart, StartKind::Cold);
    EXPECT_FALSE(control.Apply(Text("PSRF104,0,0,0,96000,237759,922,12,3")).Restart);
    EXPECT_FALSE(control.Apply(Text("PSRF104,0,0,0,12,1")).Restart);
    ReceivedCommand incomplete = Text("PSRF104,0,0,0,96000,237759,922,12,4");
    incomplete.Type = ReceivedCommand::TextIncomplete;
    const ControlOutcome ignored = control.Apply(incomplete);
    EXPECT_FALSE(ignored.Restart);
    EXPECT_NE(ignored.Log.find("without its checksum and CR LF: ignored"), std::string::npos);

    // The monitor puts a "0" before the interval it was given.
    control.Apply(Text("PSRF103,01,00,0255,01"));
    EXPECT_EQ(control.Schedule().Rate(SentenceKind::GLL).In, OutputRate::Seconds);
    EXPECT_EQ(control.Schedule().Rate(SentenceKind::GLL).Value, 255u);
    control.Apply(Text("PSRF103,01,00,0300,01"));  // out of range: no change
    EXPECT_EQ(control.Schedule().Rate(SentenceKind::GLL).Value, 255u);
    control.Apply(Text("PSRF103,03,00,00,01"));
    EXPECT_FALSE(control.Schedule().Enabled(SentenceKind::GSV));
    EXPECT_TRUE(
        control.Apply(Text("PSRF103,01,00,01,01")).Replies.empty());  // SiRF answers nothing

    // A factory reset brings the default output back.
    EXPECT_EQ(control.Apply(Text("PSRF104,0,0,0,96000,237759,922,12,8")).Restart,
              StartKind::Factory);
    EXPECT_TRUE(control.Schedule().Enabled(SentenceKind::GSV));
}

TEST(SimOutputSchedule, SecondsIntervalsAndQueries) {
    OutputSchedule schedule;
    schedule.SetSecondsRate(SentenceKind::GGA, 2, true);
    std::vector<int64_t> due;
    for (int64_t e = 0; e < 12; ++e)  // 500 ms epochs
        if (schedule.Due(SentenceKind::GGA, e, e * 500)) due.push_back(e * 500);
    EXPECT_EQ(due, (std::vector<int64_t>{0, 2000, 4000}));
    schedule.SetEpochRate(SentenceKind::RMC, 0);
    schedule.QueryOnce(SentenceKind::RMC);
    EXPECT_TRUE(schedule.Due(SentenceKind::RMC, 13, 6500));
    EXPECT_FALSE(schedule.Due(SentenceKind::RMC, 14, 7000));
}

TEST(SimEpochSentences, NoFixFieldsAreEmpty) {
    EpochState e;
    e.UnixMs = 1772366400000;
    e.Satellites.push_back({Gnss::Gps, 5, 40, 120, -1, false});
    const auto gga = ComposeSentences(SentenceKind::GGA, e, TalkerMode::Gps);
    EXPECT_EQ(gga[0], "GPGGA,120000.00,,,,,0,00,99.99,,,,,,");
    EXPECT_EQ(ComposeSentences(SentenceKind::RMC, e, TalkerMode::Gps)[0],
              "GPRMC,120000.00,V,,,,,,,010326,,,N");
    EXPECT_EQ(ComposeSentences(SentenceKind::GSA, e, TalkerMode::Gps)[0],
              "GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99");
    EXPECT_EQ(ComposeSentences(SentenceKind::GSV, e, TalkerMode::Gps)[0],
              "GPGSV,1,1,01,05,40,120,");
    e.TimeKnown = false;
    EXPECT_EQ(ComposeSentences(SentenceKind::GLL, e, TalkerMode::Gps)[0], "GPGLL,,,,,,V,N");
    e.Satellites.clear();
    EXPECT_EQ(
        ComposeSentences(SentenceKind::GSV, e, TalkerMode::Multi),
        (std::vector<std::string>{"GPGSV,1,1,00", "GLGSV,1,1,00", "GAGSV,1,1,00", "GBGSV,1,1,00"}));
}

TEST(SimFaults, EachFaultDoesWhatItSays) {
    FaultInjector always({1.0, 1.0, 1.0}, 7);
    for (int i = 0; i < 50; ++i) {
        const std::string burst = always.Garbage();
        EXPECT_GE(burst.size(), 3u);
        EXPECT_EQ(burst.find('$'), std::string::npos);
        std::string s = FinishSentence("GPGLL,,,,,120000.00,V,N");
        EXPECT_TRUE(always.Corrupt(s));
        EXPECT_GT(s.size(), 100u + 2);  // over 100 characters before the CR LF
        EXPECT_LE(s.size(), 140u + 2);
        EXPECT_EQ(s.substr(0, 24), "$GPGLL,,,,,120000.00,V,N");
        EXPECT_FALSE(SentenceChecksumOk(s));
    }
    FaultInjector longOnly({0, 0, 1.0}, 7);
    std::string s = FinishSentence("GPVTG,,T,,M,,N,,K,N");
    longOnly.Corrupt(s);
    EXPECT_TRUE(SentenceChecksumOk(s)) << s;
    FaultInjector never({}, 7);
    EXPECT_TRUE(never.Garbage().empty());
}

}  // namespace

TEST(SimReceiverControl, PollsAnswerTheCurrentSettings) {
    ReceiverControl control(false);
    const auto pollOf = [&](uint8_t id) {
        const auto out = control.Apply(Parse(BuildUbxFrame(0x06, 0x01, {0xF0, id}))[0]);
        EXPECT_TRUE(out.Acked);
        EXPECT_EQ(out.Replies.size(), 2u);  // the message, then ACK-ACK
        return out.Replies.at(0);
    };
    EXPECT_EQ(pollOf(0x00), BuildUbxFrame(0x06, 0x01, {0xF0, 0x00, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(pollOf(0x08), BuildUbxFrame(0x06, 0x01, {0xF0, 0x08, 0, 0, 0, 0, 0, 0}));
    // Switched off by UBX and by a SiRF interval of 0; on every 3 s by SiRF.
    control.Apply(Ubx(GgaUsbOnlyText));
    control.Apply(Text("PSRF103,03,00,00,01"));
    control.Apply(Text("PSRF103,01,00,03,01"));
    EXPECT_EQ(pollOf(0x00), BuildUbxFrame(0x06, 0x01, {0xF0, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pollOf(0x03), BuildUbxFrame(0x06, 0x01, {0xF0, 0x03, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pollOf(0x01), BuildUbxFrame(0x06, 0x01, {0xF0, 0x01, 0, 1, 0, 0, 0, 0}));

    control.Apply(Ubx(Rate250Text));
    const auto rate = control.Apply(Parse(BuildUbxFrame(0x06, 0x08, {}))[0]);
    ASSERT_EQ(rate.Replies.size(), 2u);
    EXPECT_EQ(rate.Replies[0], BuildUbxFrame(0x06, 0x08, {250, 0, 1, 0, 1, 0}));
}
