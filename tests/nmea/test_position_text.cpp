// The receiver's own position texts kept for the evaluation: degrees and
// time of day read back from them, and fields that are missing, too long or
// not numbers.
#include <gtest/gtest.h>

#include <string>

#include "nmea/PositionText.h"

namespace {

TEST(PositionText, ReadsDegreesWithHemispheres) {
    PositionText p;
    p.Set("4807.038123", "S", "01131.000456", "W");
    double lat = 0, lon = 0;
    ASSERT_TRUE(p.Degrees(lat, lon));
    EXPECT_NEAR(lat, -(48 + 7.038123 / 60), 1e-12);
    EXPECT_NEAR(lon, -(11 + 31.000456 / 60), 1e-12);
    p.Set("0000.5", "N", "17959.5", "E");
    ASSERT_TRUE(p.Degrees(lat, lon));
    EXPECT_NEAR(lat, 0.5 / 60, 1e-12);
    EXPECT_NEAR(lon, 179 + 59.5 / 60, 1e-12);
}

TEST(PositionText, MissingOrDamagedFieldsGiveNoPosition) {
    PositionText p;
    double lat = 0, lon = 0, alt = 0;
    uint32_t ms = 0;
    // Fields beyond the end of a short sentence arrive as empty views.
    p.Set({}, {}, {}, {});
    p.SetAltitude({});
    p.SetTime({});
    EXPECT_FALSE(p.Degrees(lat, lon));
    EXPECT_FALSE(p.AltitudeMetres(alt));
    EXPECT_FALSE(p.TimeOfDayMs(ms));
    p.Set("48O7.0", "N", "01131.0", "E");
    EXPECT_FALSE(p.Degrees(lat, lon));
    p.Set("-4807.0", "N", "01131.0", "E");
    EXPECT_FALSE(p.Degrees(lat, lon));
}

TEST(PositionText, LongFieldsAreCutNotOverrun) {
    PositionText p;
    const std::string longField(100, '7');
    p.Set(longField, "N", longField, "E");
    EXPECT_EQ(std::string(p.Latitude).size(), PositionText::Capacity - 1);
    EXPECT_EQ(std::string(p.Longitude).size(), PositionText::Capacity - 1);
}

TEST(PositionText, AltitudeSignedAndTimeToTheMillisecond) {
    PositionText p;
    double alt = 0;
    p.SetAltitude("-12.5");
    ASSERT_TRUE(p.AltitudeMetres(alt));
    EXPECT_DOUBLE_EQ(alt, -12.5);
    uint32_t ms = 0;
    p.SetTime("235959.123");
    ASSERT_TRUE(p.TimeOfDayMs(ms));
    EXPECT_EQ(ms, ((23u * 60 + 59) * 60 + 59) * 1000 + 123);
    p.SetTime("000000");
    ASSERT_TRUE(p.TimeOfDayMs(ms));
    EXPECT_EQ(ms, 0u);
    for (const char* bad : {"246000", "126100", "1200x0", "", "."}) {
        p.SetTime(bad);
        EXPECT_FALSE(p.TimeOfDayMs(ms)) << bad;
    }
}

TEST(DecimalValue, PlainDecimalsOnly) {
    double v = 0;
    EXPECT_TRUE(DecimalValue("+3.25", v));
    EXPECT_DOUBLE_EQ(v, 3.25);
    EXPECT_TRUE(DecimalValue("-0.5", v));
    EXPECT_DOUBLE_EQ(v, -0.5);
    for (const char* bad : {"", "-", "1,5", "1.2.3", "1e3", " 1"}) {
        EXPECT_FALSE(DecimalValue(bad, v)) << bad;
    }
}

}  // namespace
