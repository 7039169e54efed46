// The one split of a sentence into fields, and the field reader over it: what
// the reader decodes from the split must be what the walking decoders give.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "NmeaTestUtil.h"
#include "nmea/Dispatch.h"
#include "nmea/FieldList.h"
#include "nmea/FieldReader.h"
#include "nmea/SentenceTypes.h"

namespace {

std::vector<std::string> Fields(const FieldList& f) {
    std::vector<std::string> out;
    for (int i = 0; i < f.Count(); ++i) out.emplace_back(f.At(i));
    return out;
}

TEST(FieldList, SplitsFromAddressToStarAndSums) {
    const std::string s = "$GPGSV,3,,09,,*4A\r";
    const FieldList f(s);
    EXPECT_EQ(Fields(f), (std::vector<std::string>{"GPGSV", "3", "", "09", "", ""}));
    EXPECT_TRUE(f.HasStar());
    EXPECT_EQ(f.Star(), s.find('*'));
    uint8_t sum = 0;
    for (size_t i = 1; i < s.find('*'); ++i) sum ^= static_cast<uint8_t>(s[i]);
    EXPECT_EQ(f.Sum(), sum);
    // Each separator stands before exactly one field.
    EXPECT_EQ(f.FieldAfter(f.End(0)), 1);
    EXPECT_EQ(f.FieldAfter(f.End(4)), 5);
    EXPECT_EQ(f.FieldAfter(static_cast<int>(f.Star())), f.Count());
    EXPECT_EQ(f.FieldAfter(0), -1);  // the '$'
    EXPECT_EQ(f.FieldAfter(2), -1);  // inside the address
}

TEST(FieldList, WithoutStarTheLastFieldRunsToTheEnd) {
    const FieldList f(std::string_view("$GPGGA,1,2"));
    EXPECT_FALSE(f.HasStar());
    EXPECT_EQ(Fields(f), (std::vector<std::string>{"GPGGA", "1", "2"}));
    EXPECT_EQ(FieldList(std::string_view()).Count(), 0);
    EXPECT_EQ(Fields(FieldList("$")), std::vector<std::string>{""});
}

// The 64th field ends at the comma after it; the sum still covers everything
// up to the '*'.
TEST(FieldList, SixtyFourFieldsAtMost) {
    std::string body = "GPGSA";
    for (int i = 1; i < 70; ++i) body += "," + std::to_string(i);
    const std::string s = Sentence(body);
    const FieldList f(s);
    EXPECT_EQ(f.Count(), FieldList::Capacity);
    EXPECT_EQ(f.At(FieldList::Capacity - 1), "63");
    EXPECT_EQ(f.Star(), s.find('*'));
    EXPECT_TRUE(VerifyChecksum(s));
    NMEA_Manager store;
    EXPECT_TRUE(DispatchSentence(s, store, nullptr).Valid);
}

// Commas packed up to sixteen a block, around the 64th: the fields up to it
// as a reading character by character finds them, the 64th ending at the
// comma after it.
TEST(FieldList, DenseCommasAroundTheLimit) {
    for (int spacing = 1; spacing <= 3; ++spacing)
        for (size_t length = 40; length < 220; ++length) {
            std::string s = "$";
            for (size_t i = 0; i < length; ++i)
                s += i % spacing == 0 ? ',' : static_cast<char>('a' + i % 26);
            s += "*00";
            std::vector<std::string> fields(1);
            for (size_t i = 1; i < s.find('*'); ++i) {
                if (s[i] != ',')
                    fields.back() += s[i];
                else if (fields.size() < FieldList::Capacity)
                    fields.emplace_back();
                else
                    break;
            }
            const FieldList f(s);
            ASSERT_EQ(Fields(f), fields) << s;
        }
}

// The split reads eight characters at a time: a '*' or a comma at every place
// of a word, and texts of every length around a word, split and sum as a
// reading character by character does.
TEST(FieldList, EveryPlaceInAWord) {
    for (int spacing = 1; spacing <= 4; ++spacing)
        for (size_t length = 0; length < 34; ++length)
            for (size_t star = 0; star <= length; ++star) {
                std::string s = "$";
                for (size_t i = 0; i < length; ++i)
                    s += i % spacing == 0 ? ',' : static_cast<char>('A' + i % 26);
                if (star < length) s[1 + star] = '*';
                const size_t end = std::min(s.find('*'), s.size());
                std::vector<std::string> fields(1);
                uint8_t sum = 0;
                for (size_t i = 1; i < end; ++i) {
                    sum ^= static_cast<uint8_t>(s[i]);
                    if (s[i] == ',')
                        fields.emplace_back();
                    else
                        fields.back() += s[i];
                }
                const FieldList f(s);
                ASSERT_EQ(Fields(f), fields) << s;
                ASSERT_EQ(f.Star(), end) << s;
                ASSERT_EQ(f.Sum(), sum) << s;
            }
}

TEST(FieldList, IntAndHexFields) {
    const FieldList f(std::string_view("$GPGSV,-12,07,1a,,x,123,1.5*00"));
    int32_t v = 0;
    EXPECT_TRUE(f.Int(1, v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(f.Int(2, v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(f.Int(3, v));
    EXPECT_FALSE(f.Int(4, v));  // empty
    EXPECT_FALSE(f.Int(7, v));  // not a whole number
    EXPECT_TRUE(f.Hex(3, v));
    EXPECT_EQ(v, 0x1a);
    EXPECT_FALSE(f.Hex(6, v));  // three digits
    EXPECT_FALSE(f.Int(40, v));
}

// Every field of one to three characters around the digits' edges ('/' and
// ':' stand either side of them): a number exactly when all are digits, or
// a sign and digits.
TEST(FieldList, ShortFieldsAreNumbersOnlyWhenAllDigits) {
    const std::string alphabet = "0159/:-a";
    std::vector<std::string> texts;
    for (char a : alphabet) {
        texts.push_back(std::string(1, a));
        for (char b : alphabet) {
            texts.push_back(std::string{a, b});
            for (char c : alphabet) texts.push_back(std::string{a, b, c});
        }
    }
    for (const std::string& text : texts) {
        const std::string sentence = "$GPGSV," + text + "*00";
        const FieldList f{std::string_view(sentence)};
        const bool negative = text[0] == '-';
        const std::string digits = negative ? text.substr(1) : text;
        const bool number =
            !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
        int32_t v = -999;
        ASSERT_EQ(f.Int(1, v), number) << text;
        if (number) {
            EXPECT_EQ(v, (negative ? -1 : 1) * std::stoi(digits)) << text;
        }
    }
}

// The reader against the walking decoders chained by hand, over fields the
// whole-field decoders must refuse as well as plain ones: every value and
// every position must agree.
enum class Kind { Float, Int, Text, Hex, Decimal };

struct Walked {
    std::vector<float> Floats;
    std::vector<int32_t> Ints;
    std::vector<std::string> Texts;
    std::vector<int> Positions;
    std::vector<ExactDecimal> Decimals;
    bool operator==(const Walked& o) const {
        return Floats == o.Floats && Ints == o.Ints && Texts == o.Texts &&
               Positions == o.Positions && Decimals == o.Decimals;
    }
};

Walked ByHand(std::string_view s, const std::vector<Kind>& kinds) {
    Walked w;
    int pos = 0;
    for (Kind k : kinds) {
        float f = -1;
        int32_t i = -1;
        uint8_t h = 0;
        FieldText t;
        ExactDecimal d{-1, -1};
        const int next = k == Kind::Float     ? ParseFloatField(pos, s, f)
                         : k == Kind::Int     ? ParseIntField(pos, s, i)
                         : k == Kind::Hex     ? ParseHexField(pos, s, h)
                         : k == Kind::Decimal ? ParseDecimalField(pos, s, d)
                                              : ParseTextField(pos, s, t);
        if (k == Kind::Hex) i = h;
        if (next < 0 || next > static_cast<int>(s.size())) break;
        pos = next;
        w.Floats.push_back(f);
        w.Ints.push_back(i);
        w.Texts.emplace_back(t.View());
        w.Positions.push_back(pos);
        w.Decimals.push_back(d);
    }
    return w;
}

Walked ByReader(std::string_view s, const std::vector<Kind>& kinds) {
    Walked w;
    const FieldList fields(s);
    FieldReader r(fields);
    for (Kind k : kinds) {
        float f = -1;
        int32_t i = -1;
        uint8_t h = 0;
        FieldText t;
        ExactDecimal d{-1, -1};
        const bool ok = k == Kind::Float     ? r.Float(f)
                        : k == Kind::Int     ? r.Int(i)
                        : k == Kind::Hex     ? r.Hex(h)
                        : k == Kind::Decimal ? r.Decimal(d)
                                             : r.Text(t);
        if (!ok) break;
        if (k == Kind::Hex) i = h;
        w.Floats.push_back(f);
        w.Ints.push_back(i);
        w.Texts.emplace_back(t.View());
        w.Positions.push_back(r.Position());
        w.Decimals.push_back(d);
    }
    return w;
}

TEST(FieldReader, DecodesAsTheWalkingDecodersDo) {
    const std::vector<std::string> sentences = {
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r",
        "$GPGGA,1.2.3,-,.,-.5,12-3,A1,1A, 7,7 ,x,,*00\r",
        "$GPRMC,-0.0,--1,0.5.,..,9e3,+4,0x1F,\xff,1\n2,*00\r",
        "$GPVTG,,,,,,,,,,,,,,,,,,,,*00\r",
        "$GPGSV,99999999999,4294967296,-2147483649,12345678901234567890.5*00\r",
        "$GPGSA,A,3,,,,*",
        "$GPGLL,1,2,3",
        // Addresses a number read from the start cannot simply pass over,
        // and checksums of one digit, none, or a letter first.
        "$GP1GA,12,3*4A\r",
        "$GPGG.,5,6*1\r",
        "$GPGG-,5,6*G1\r",
        ",GPGGA,1,2*33\r",
        " GPGGA,1,2*33\r",
        "$,1,2*3",
        "$GPGGA,1,2*",
        "$GP GA,1,2*3x",
        "$GPGGA*41\r",
        "$GNGGA,1,2037.727901234567,N,15112.00000000000000001,E,-0.5,.25,1.,-,*00\r",
    };
    const std::vector<std::vector<Kind>> orders = {
        std::vector<Kind>(14, Kind::Float),
        std::vector<Kind>(14, Kind::Int),
        std::vector<Kind>(14, Kind::Text),
        {Kind::Text, Kind::Int, Kind::Float, Kind::Text, Kind::Int, Kind::Float, Kind::Text,
         Kind::Int, Kind::Float, Kind::Text, Kind::Int, Kind::Float, Kind::Text},
        {Kind::Float, Kind::Text, Kind::Text, Kind::Int, Kind::Text, Kind::Float, Kind::Int,
         Kind::Int, Kind::Text, Kind::Float, Kind::Float, Kind::Text},
        {Kind::Int, Kind::Int, Kind::Hex, Kind::Hex},
        {Kind::Text, Kind::Float, Kind::Float, Kind::Hex, Kind::Text},
        {Kind::Hex, Kind::Int, Kind::Hex},
        std::vector<Kind>(14, Kind::Decimal),
        {Kind::Text, Kind::Decimal, Kind::Text, Kind::Decimal, Kind::Float, Kind::Decimal,
         Kind::Int, Kind::Decimal, Kind::Text, Kind::Decimal, Kind::Hex},
    };
    for (const std::string& s : sentences)
        for (size_t o = 0; o < orders.size(); ++o)
            EXPECT_TRUE(ByReader(s, orders[o]) == ByHand(s, orders[o]))
                << "order " << o << ": " << s;
}

// A decimal field keeps every digit as an integer and counts the decimals;
// fraction digits beyond the twelfth are dropped, a whole part beyond 64
// bits saturates.
TEST(FieldReader, DecimalFieldsKeepEveryDigit) {
    const struct {
        const char* Field;
        int64_t Units;
        int Decimals;
    } cases[] = {
        {"2037.72790", 203772790, 5},
        {"15112.0000", 151120000, 4},
        {"0545.4", 5454, 1},
        {"-12.50", -1250, 2},
        {"7", 7, 0},
        {"7.", 7, 0},
        {"", 0, 0},
        {"-.5", -5, 1},
        {"4807.0380000000001", 4807038000000000, 12},
        {"123456789012345678901", 9000000000000000000, 0},
    };
    for (const auto& c : cases) {
        const std::string sentence = std::string("$GPGGA,") + c.Field + ",X*00";
        const FieldList fields{std::string_view(sentence)};
        FieldReader r(fields);
        ExactDecimal d;
        ASSERT_TRUE(r.Decimal(d)) << c.Field;
        EXPECT_EQ(d.Units, c.Units) << c.Field;
        EXPECT_EQ(d.Decimals, c.Decimals) << c.Field;
        ExactDecimal walked;
        ASSERT_GT(ParseDecimalField(6, sentence, walked), 0);
        EXPECT_TRUE(walked == d) << c.Field;
    }
}

// An empty field is seen as empty whichever way it was read.
TEST(FieldReader, LastEmptyAfterSplitFields) {
    const FieldList fields(std::string_view("$GPGLL,,N,4807.038,*00"));
    FieldReader r(fields);
    float v;
    FieldText t;
    ASSERT_TRUE(r.Float(v));
    EXPECT_TRUE(r.LastEmpty());
    ASSERT_TRUE(r.Text(t));
    EXPECT_FALSE(r.LastEmpty());
    ASSERT_TRUE(r.Float(v));
    EXPECT_FALSE(r.LastEmpty());
    EXPECT_FLOAT_EQ(v, 4807.038f);
}

TEST(SentenceTable, EveryRowIsRecognisedByItsName) {
    for (uint8_t type = 0; type < SentenceTypeCount; ++type) {
        const SentenceTypeRow& row = SentenceTypeOf(type);
        EXPECT_EQ(row.Number, type);
        EXPECT_STREQ(SentenceTypeName(type), row.Name);
        EXPECT_EQ(RecognizeSentenceType(std::string("GN") + row.Name), type) << row.Name;
        EXPECT_NE(row.Handle, nullptr) << row.Name;
    }
    EXPECT_EQ(SentenceTypeName(SentenceTypeNone), nullptr);
    EXPECT_EQ(RecognizeSentenceType("GPGG"), SentenceTypeNone);
    EXPECT_EQ(RecognizeSentenceType("GPGGAX"), SentenceTypeNone);
    EXPECT_EQ(RecognizeSentenceType("GPGGB"), SentenceTypeNone);
}

}  // namespace
