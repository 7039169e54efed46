// The NTRIP client's readers: caster addresses, source-table records, the
// heads of casters' answers, chunked transfer coding split anywhere, and
// the GGA it builds.
#include <gtest/gtest.h>

#include "nmea/Dispatch.h"
#include "ntrip/ChunkDecoder.h"
#include "ntrip/GgaText.h"
#include "ntrip/NtripAnswer.h"
#include "ntrip/NtripExchange.h"
#include "ntrip/NtripUrl.h"
#include "ntrip/SourceTable.h"
#include "tests/ntrip/ClientProbe.h"

namespace {

TEST(NtripParse, Urls) {
    const struct {
        const char* Text;
        bool Ok;
        const char* User;
        const char* Password;
        const char* Host;
        uint16_t Port;
        const char* Mount;
    } cases[] = {
        {"ntrip://caster.example:2102/MNT", true, "", "", "caster.example", 2102, "MNT"},
        {"ntrip://caster.example/", true, "", "", "caster.example", 2101, ""},
        {"ntrip://caster.example", true, "", "", "caster.example", 2101, ""},
        {"ntrip://u:p@h/M", true, "u", "p", "h", 2101, "M"},
        {"ntrip://u@h:1/M", true, "u", "", "h", 1, "M"},
        {"ntrip://u:p@ss:w@rd@h/M", true, "u", "p@ss:w@rd", "h", 2101, "M"},
        {"ntrip://[::1]:2105/M", true, "", "", "::1", 2105, "M"},
        {"ntrip://h:0/M", false, "", "", "", 0, ""},
        {"ntrip://h:65536/M", false, "", "", "", 0, ""},
        {"ntrip://h:/M", false, "", "", "", 0, ""},
        {"ntrip://h:21x/M", false, "", "", "", 0, ""},
        {"ntrip://u:p@/M", false, "", "", "", 0, ""},
        {"ntrip://:p@h/M", false, "", "", "", 0, ""},
        {"ntrip://h/A/B", false, "", "", "", 0, ""},
        {"ntrip://[::1/M", false, "", "", "", 0, ""},
        {"http://h/M", false, "", "", "", 0, ""},
    };
    for (const auto& c : cases) {
        NtripUrl url;
        std::string error;
        ASSERT_EQ(ParseNtripUrl(c.Text, url, error), c.Ok) << c.Text << ": " << error;
        if (!c.Ok) {
            EXPECT_FALSE(error.empty());
            EXPECT_EQ(error.find("ss:w"), std::string::npos);
            continue;
        }
        EXPECT_EQ(url.User, c.User) << c.Text;
        EXPECT_EQ(url.Password, c.Password) << c.Text;
        EXPECT_EQ(url.Host, c.Host) << c.Text;
        EXPECT_EQ(url.Port, c.Port) << c.Text;
        EXPECT_EQ(url.Mount, c.Mount) << c.Text;
        EXPECT_EQ(url.Shown().find(std::string(":") + c.Password + "@"),
                  *c.Password ? std::string::npos : url.Shown().find(":@"));
    }
}

// The corpus's real NTRIP 2 source table: headers and body through the
// same readers as a live answer.
TEST(NtripParse, RealSourceTable) {
    std::string text = ReadCorpus("ntrip_sourcetable.log");
    text = text.substr(text.find("SOURCETABLE 200 OK"));
    const AnswerHead head = ParseAnswerHead(text);
    ASSERT_EQ(head.Kind, AnswerKind::SourceTable);
    EXPECT_EQ(head.ContentLength, 2364);
    const SourceTable table = ParseSourceTable(std::string_view(text).substr(head.Size));
    EXPECT_EQ(table.Casters.size(), 15u);
    EXPECT_EQ(table.Networks.size(), 1u);
    ASSERT_EQ(table.Streams.size(), 4u);
    const NtripStream* vrs = table.Find("VRS_3_2G");
    ASSERT_NE(vrs, nullptr);
    EXPECT_EQ(vrs->Identifier, "SAPOS_VRS_3");
    EXPECT_EQ(vrs->Format, "RTCM3.1");
    EXPECT_EQ(vrs->FormatDetails.substr(0, 17), "1004(1), 1005/100");
    EXPECT_EQ(vrs->Carrier, 2);
    EXPECT_EQ(vrs->NavSystems, "GPS+GLO");
    EXPECT_EQ(vrs->Network, "SAPOS-AdV");
    EXPECT_EQ(vrs->Country, "DEU");
    EXPECT_DOUBLE_EQ(vrs->Latitude, 52.48);
    EXPECT_DOUBLE_EQ(vrs->Longitude, 13.30);
    EXPECT_TRUE(vrs->NeedsGga);
    EXPECT_EQ(vrs->Solution, 1);
    EXPECT_EQ(vrs->Authentication, "B");
    EXPECT_TRUE(vrs->Fee);
    EXPECT_EQ(vrs->Bitrate, 2000);
}

TEST(NtripParse, StreamRecordsAndDistance) {
    NtripStream s;
    EXPECT_FALSE(ParseStreamRecord("STR;A;B;C", s));
    EXPECT_FALSE(ParseStreamRecord("CAS;a;b;c;d;e;f;g;h;i;j;k;l;m;n;o;p;q", s));
    EXPECT_FALSE(ParseStreamRecord("STR;;i;f;d;0;GPS;n;DEU;1;2;0;0;g;none;N;N;0;", s));
    ASSERT_TRUE(ParseStreamRecord("STR;M;i;f;d;x;GPS;n;DEU;nan;-2.5;0;0;g;none;N;N;1200\r", s));
    EXPECT_EQ(s.Carrier, 0);
    EXPECT_EQ(s.Latitude, 0.0);  // not a number: no position
    EXPECT_EQ(s.Longitude, -2.5);
    EXPECT_FALSE(s.NeedsGga);
    EXPECT_EQ(s.Bitrate, 1200);

    // Paris to London is about 344 km; a quarter of the equator 10 008 km.
    EXPECT_NEAR(DistanceKm(48.8566, 2.3522, 51.5074, -0.1278), 343.5, 1.0);
    EXPECT_NEAR(DistanceKm(0, 0, 0, 90), 10007.6, 1.0);
    SourceTable table = ParseSourceTable(
        "STR;FAR;;;;0;;;;-33.9;151.2;0;0;;;N;N;0;\n"
        "STR;NEAR;;;;0;;;;52.0;13.0;0;0;;;N;N;0;\n"
        "STR;MID;;;;0;;;;48.1;11.6;0;0;;;N;N;0;\n"
        "ENDSOURCETABLE\r\nSTR;AFTER;;;;0;;;;52.0;13.0;0;0;;;N;N;0;\n");
    SortByDistance(table, 52.5, 13.4);
    ASSERT_EQ(table.Streams.size(), 3u);
    EXPECT_EQ(table.Streams[0].Mount, "NEAR");
    EXPECT_EQ(table.Streams[1].Mount, "MID");
    EXPECT_EQ(table.Streams[2].Mount, "FAR");
    EXPECT_NEAR(table.Streams[0].DistanceKm, 62.0, 1.0);
}

TEST(NtripParse, AnswerHeads) {
    const struct {
        const char* Bytes;
        AnswerKind Kind;
        bool Chunked;
        size_t Size;
    } cases[] = {
        {"ICY 200 OK\r\n\xd3\x00", AnswerKind::Stream, false, 12},
        {"ICY 200 O", AnswerKind::Incomplete, false, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n5\r\n", AnswerKind::Stream, true,
         47},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding:chunked\r\n", AnswerKind::Incomplete, false, 0},
        {"HTTP/1.1 200 OK\r\nContent-Type: gnss/sourcetable\r\n\r\n", AnswerKind::SourceTable,
         false, 51},
        {"SOURCETABLE 200 OK\r\n\r\nSTR;", AnswerKind::SourceTable, false, 22},
        {"HTTP/1.0 401 Unauthorized\n\n", AnswerKind::Unauthorized, false, 27},
        {"HTTP/1.1 404 Not Found\r\n\r\n", AnswerKind::NotFound, false, 26},
        {"HTTP/1.1 503 Busy\r\n\r\n", AnswerKind::OtherStatus, false, 21},
        {"HTTP/1.1 2x0 OK\r\n\r\n", AnswerKind::Garbage, false, 0},
        {"\xd3\x01\x13\n", AnswerKind::Garbage, false, 0},
    };
    for (const auto& c : cases) {
        const AnswerHead head = ParseAnswerHead(c.Bytes);
        EXPECT_EQ(head.Kind, c.Kind) << c.Bytes;
        EXPECT_EQ(head.Chunked, c.Chunked) << c.Bytes;
        if (c.Size) {
            EXPECT_EQ(head.Size, c.Size) << c.Bytes;
        }
    }
    EXPECT_EQ(ParseAnswerHead(std::string(AnswerHeadLimit + 1, 'x')).Kind, AnswerKind::Garbage);
    // A caster that sends its refusal's status line alone and closes.
    EXPECT_EQ(ParseAnswerHead("HTTP/1.0 401 Unauthorized\r\n").Kind, AnswerKind::Incomplete);
    const AnswerHead closed = ParseAnswerHead("HTTP/1.0 401 Unauthorized\r\n", true);
    EXPECT_EQ(closed.Kind, AnswerKind::Unauthorized);
    EXPECT_EQ(closed.Size, 27u);
    EXPECT_EQ(ParseAnswerHead("HTTP/1.0 404", true).Kind, AnswerKind::NotFound);
    EXPECT_EQ(ParseAnswerHead("HTTP/1.1 200 OK\r\n" + std::string(AnswerHeadLimit, 'x')).Kind,
              AnswerKind::Garbage);
}

// Each text decoded whole and in every split into two reads.
TEST(NtripParse, ChunkedCoding) {
    const struct {
        std::string Coded;
        bool Ok;
        const char* Data;
        bool Ended;
    } cases[] = {
        {"5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", true, "hello world", true},
        {"A;name=\"x;y\"\r\n0123456789\r\n0\r\nX-Trailer: 1\r\n\r\n", true, "0123456789", true},
        {"a \r\n0123456789\r\n", true, "0123456789", false},
        {"000003\r\nabc\r\n", true, "abc", false},
        {"3\r\nabc\r\n0\r\n\r\n3\r\nxyz\r\n", true, "abc", true},
        {"g\r\n", false, "", false},
        {"\r\n", false, "", false},
        {";x\r\n", false, "", false},
        {"3\nabc\r\n", false, "", false},
        {"3\r\nabcd\r\n", false, "abc", false},
        {"1000001\r\n", false, "", false},
        {"ffffffffffffffffffff\r\n", false, "", false},
    };
    for (const auto& c : cases) {
        for (size_t split = 0; split <= c.Coded.size(); ++split) {
            std::string data;
            ChunkDecoder decoder([&data](const uint8_t* bytes, size_t size) {
                data.append(reinterpret_cast<const char*>(bytes), size);
            });
            const auto* bytes = reinterpret_cast<const uint8_t*>(c.Coded.data());
            const bool ok =
                decoder.Feed(bytes, split) && decoder.Feed(bytes + split, c.Coded.size() - split);
            EXPECT_EQ(ok, c.Ok) << c.Coded << " split at " << split;
            EXPECT_EQ(data, c.Data) << c.Coded << " split at " << split;
            EXPECT_EQ(decoder.Ended(), c.Ended) << c.Coded << " split at " << split;
            if (!c.Ok) {
                EXPECT_FALSE(decoder.Error().empty());
            }
        }
    }
}

TEST(NtripParse, GgaAndAuthorization) {
    const struct {
        GgaPosition Position;
        unsigned Seconds;
        const char* Fields;
    } cases[] = {
        {{52.5, 13.25, 40.04},
         45296,
         "$GPGGA,123456.00,5230.00000,N,01315.00000,E,1,12,1.0,40.0,M,"},
        {{-33.8568, -151.2153, -5.0},
         0,
         "$GPGGA,000000.00,3351.40800,S,15112.91800,W,1,12,1.0,-5.0,M,"},
        {{47.99999999, 7.99999999, 0}, 86399, "$GPGGA,235959.00,4800.00000,N,00800.00000,E,1,"},
    };
    for (const auto& c : cases) {
        const std::string gga = BuildGga(c.Position, c.Seconds);
        EXPECT_EQ(gga.compare(0, std::strlen(c.Fields), c.Fields), 0) << gga;
        ASSERT_GE(gga.size(), 5u);
        EXPECT_EQ(gga.substr(gga.size() - 2), "\r\n");
        EXPECT_TRUE(VerifyChecksum(gga.substr(0, gga.size() - 2))) << gga;
    }
    EXPECT_EQ(BasicAuthorization("Aladdin", "open sesame"), "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(BasicAuthorization("a", ""), "Basic YTo=");
    EXPECT_EQ(BasicAuthorization("ab", "c"), "Basic YWI6Yw==");
}

}  // namespace
