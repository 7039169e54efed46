// Field decoders: positions, values and failure rules on real field shapes.
#include <gtest/gtest.h>

#include "nmea/Utils.h"

namespace {

struct FloatCase {
    const char* text;
    int start;
    float value;
    int stop;
};

TEST(ParseFloatField, ReadsFieldsAndStopsAfterThem) {
    const FloatCase cases[] = {
        {",12.5,", 0, 12.5f, 5},
        {",,", 0, 0.0f, 1},
        {",*", 0, 0.0f, 1},
        {",.5,", 0, 0.5f, 3},
        {",-3.25,", 0, -3.25f, 6},
        {",-34.2,", 0, -34.2f, 6},
        {",-0.5,", 0, -0.5f, 5},
        {",4807.038,", 0, 4807.038f, 9},
        {",1.2.3,", 0, 1.2f, 4},
        {",123519,N", 0, 123519.0f, 7},
        {",0.00001234567891,", 0, 0.00001234567891f, 17},
    };
    for (const FloatCase& c : cases) {
        float v = -99;
        EXPECT_EQ(ParseFloatField(c.start, c.text, v), c.stop) << c.text;
        EXPECT_FLOAT_EQ(v, c.value) << c.text;
    }
}

TEST(ParseFloatField, FailsOnStar) {
    float v = 7;
    EXPECT_EQ(ParseFloatField(0, "*47", v), -1);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(ParseFloatField(-1, ",1,", v), -1);
}

TEST(ParseFloatField, SkipsAddressFieldFromSentenceStart) {
    float v;
    EXPECT_EQ(ParseFloatField(0, "$GPGGA,123519,4807", v), 13);
    EXPECT_FLOAT_EQ(v, 123519.0f);
}

TEST(ParseFloatField, LongDigitStringsStayDefined) {
    float v;
    EXPECT_GT(ParseFloatField(0, ",99999999999999999999999999.99999999999999999999,", v), 0);
}

TEST(ParseIntField, SignsAndLeadingZeros) {
    int32_t v = 0;
    EXPECT_EQ(ParseIntField(0, ",-2,", v), 3);
    EXPECT_EQ(v, -2);
    EXPECT_EQ(ParseIntField(0, ",07,", v), 3);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(ParseIntField(0, ",,", v), 1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ParseIntField(0, "-5", v), 2);  // a skipped '-' is the sign
    EXPECT_EQ(v, -5);
}

TEST(ParseIntField, FailsOnStarAndNul) {
    int32_t v = 3;
    EXPECT_EQ(ParseIntField(0, "*12", v), -1);
    EXPECT_EQ(ParseIntField(0,
                            std::string_view("x\0"
                                             "12",
                                             4),
                            v),
              -1);
    EXPECT_EQ(v, 3);
}

TEST(ParseIntField, StopsAtDecimalPoint) {
    int32_t v;
    EXPECT_EQ(ParseIntField(0, ",2.5,", v), 2);
    EXPECT_EQ(v, 2);
}

TEST(ParseTextField, FieldsSpacesAndEnds) {
    FieldText t;
    EXPECT_EQ(ParseTextField(0, ",A,", t), 2);
    EXPECT_EQ(t.View(), "A");
    EXPECT_EQ(ParseTextField(0, ",,", t), 1);
    EXPECT_TRUE(t.Empty());
    EXPECT_EQ(ParseTextField(0, " M,", t), 2);
    EXPECT_EQ(t.View(), "M");
    EXPECT_EQ(ParseTextField(0, ", M,", t), 1);  // the space ends the field
    EXPECT_TRUE(t.Empty());
    EXPECT_EQ(ParseTextField(0, "*47", t), 0);  // never fails
    EXPECT_TRUE(t.Empty());
    EXPECT_EQ(ParseTextField(0, "$GPGSA,A", t), 6);
    EXPECT_EQ(t.View(), "$GPGSA");
}

TEST(ParseTextField, LineFeedReturnsStartAndKeepsOutput) {
    FieldText t;
    ParseTextField(0, ",Q,", t);
    EXPECT_EQ(ParseTextField(3, ",AB\n,", t), 0);
    EXPECT_EQ(t.View(), "Q");
}

TEST(ParseTextField, CapsCollectedText) {
    FieldText t;
    const std::string longField = "," + std::string(150, 'x') + ",";
    EXPECT_EQ(ParseTextField(0, longField, t), 151);
    EXPECT_EQ(t.Length, FieldTextCapacity);
}

TEST(ParseHexField, SkipsToDigitsAndReadsTwo) {
    uint8_t v = 0;
    EXPECT_EQ(ParseHexField(0, ",*47\r", v), 4);
    EXPECT_EQ(v, 0x47);
    EXPECT_EQ(ParseHexField(0, "*aF3", v), 3);
    EXPECT_EQ(v, 0xAF);
    EXPECT_EQ(ParseHexField(0, "*", v), -1);
    EXPECT_EQ(ParseHexField(0,
                            std::string_view("*\0"
                                             "47",
                                             4),
                            v),
              -1);
}

TEST(HexValue, StopsAtFirstNonDigit) {
    EXPECT_EQ(HexValue("4z", 2), 4u);
    EXPECT_EQ(HexValue("ff", 2), 255u);
    EXPECT_EQ(HexValue("Ab", 1), 10u);
    EXPECT_EQ(HexValue("\r", 1), 0u);
}

TEST(PackedValues, TimeAndDate) {
    int h, m;
    float s;
    UnpackTime(TimeFromField(123519.0f), h, m, s);
    EXPECT_EQ(h, 12);
    EXPECT_EQ(m, 35);
    EXPECT_FLOAT_EQ(s, 19.0f);
    UnpackTime(TimeFromField(235959.5f), h, m, s);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(m, 59);
    EXPECT_FLOAT_EQ(s, 59.0f);  // the half second is dropped
    EXPECT_EQ(TimeFromField(123519.0f), (12u << 24) | (35u << 16) | 19000u);

    int y, mo, d;
    UnpackDate(DateFromField(150324), y, mo, d);
    EXPECT_EQ(d, 15);
    EXPECT_EQ(mo, 3);
    EXPECT_EQ(y, 24);
}

TEST(PackedValues, AbsurdInputsStayDefined) {
    // Negative, huge and garbage values must not be undefined behaviour.
    TimeFromField(-1.0f);
    TimeFromField(3.0e38f);
    DateFromField(-2147483647 - 1);
    EXPECT_EQ(DegreesE5(DegreesOfField({-9000000000000000000, 0})), INT32_MIN);
    EXPECT_EQ(DegreesE5(DegreesOfField({9000000000000000000, 0})), INT32_MAX);
    EXPECT_EQ(ScaledTrunc(3.0e38f, 1e5), INT64_MAX);
}

TEST(DegreesE5, ConvertsDegreesAndMinutes) {
    EXPECT_EQ(DegreesE5(DegreesOfField({4807038, 3})), 4811730);
    EXPECT_EQ(DegreesE5(DegreesOfField({1131000, 3})), 1151666);
    EXPECT_EQ(DegreesE5(DegreesOfField({0, 0})), 0);
    EXPECT_EQ(DegreesE5(DegreesOfField({9000, 0})), 9000000);
}

}  // namespace
