// Display texts from decoded records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "nmea/FixedFormat.h"
#include "nmea/Formatting.h"
#include "nmea/SentenceHandlers.h"
#include "nmea/Utils.h"

namespace {

std::string Printf(const char* format, double v) {
    char text[512];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

TEST(FixedFormat, MatchesPrintfOnRandomFloats) {
    std::mt19937 random(12345);
    const char* formats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.5f", "%.6f"};
    for (int i = 0; i < 200000; ++i) {
        uint32_t bits = random();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (i % 2)
            v = static_cast<float>(static_cast<int32_t>(random() % 40000000) - 20000000) * 0.00001f;
        const int decimals = i % 7;
        std::string out;
        AppendFixed(out, v, decimals);
        ASSERT_EQ(out, Printf(formats[decimals], v)) << "bits " << bits;
    }
}

TEST(FixedFormat, TiesRoundToEvenAsPrintfDoes) {
    for (float v : {0.125f, 0.375f, 2.5f, 0.5f, 1.5f, -0.125f, 1e-7f, -0.0f, 999999.94f}) {
        for (int d = 0; d <= 3; ++d) {
            std::string out;
            AppendFixed(out, v, d);
            const char* formats[] = {"%.0f", "%.1f", "%.2f", "%.3f"};
            EXPECT_EQ(out, Printf(formats[d], v));
        }
    }
}

TEST(FixedFormat, Integers) {
    std::string out;
    AppendInt(out, 7, 2);
    AppendInt(out, -5, 2);
    AppendInt(out, 123, 2);
    AppendInt(out, 0);
    AppendInt(out, INT64_MIN);
    EXPECT_EQ(out, "07-51230-9223372036854775808");
}

// A dddmm.mmmm field as the handlers read it, negative for 'S' or 'W'.
ExactDegrees FieldDegrees(const std::string& field, char hemisphere) {
    ExactDecimal value;
    EXPECT_TRUE(DecodeDecimalText(field, value)) << field;
    const ExactDegrees degrees = DegreesOfField(value);
    return hemisphere == 'S' || hemisphere == 'W' ? Negated(degrees) : degrees;
}

// The text carries the minutes' decimals plus two, rounded half away from
// zero; the record keeps degrees x 100000 truncated towards zero.
TEST(FormatCoordinates, ReceiversOwnPrecisionRounded) {
    const struct {
        const char* Field;
        char Hemisphere;
        const char* Text;
        int32_t E5;
    } cases[] = {
        {"2037.72790", 'N', "N 20.6287983", 2062879},   // 20.628798333: rounded down
        {"15112.0000", 'E', "E 151.200000", 15120000},  // exact, not 151.19998
        {"01131.000", 'E', "E 11.51667", 1151666},      // 11.516666...: rounded up
        {"3351.9999", 'S', "S 33.866665", -3386666},
        {"12118.8514", 'W', "W 121.314190", -12131419},
        {"4807.03", 'N', "N 48.1172", 4811716},
        {"4807.0", 'N', "N 48.117", 4811666},
        {"4807", 'N', "N 48.12", 4811666},
        {"2037.7279012", 'N', "N 20.628798353", 2062879},
        {"2037.727901234567", 'N', "N 20.62879835390945", 2062879},
        {"0000.00004", 'N', "N 0.0000007", 0},  // 6.67e-7: up
        {"0000.00002", 'S', "S 0.0000003", 0},  // 3.33e-7: down
        {"0000.00000", 'S', "N 0.0000000", 0},  // zero is north
        {"0059.999999", 'N', "N 0.99999998", 99999},
        {"4859.99999999", 'W', "W 48.9999999998", -4899999},
        {"9000.00000", 'S', "S 90.0000000", -9000000},
    };
    for (const auto& c : cases) {
        const ExactDegrees degrees = FieldDegrees(c.Field, c.Hemisphere);
        DataDisplay d;
        FormatCoordinates(degrees, degrees, d);
        const bool latitude = c.Hemisphere == 'N' || c.Hemisphere == 'S';
        EXPECT_EQ(latitude ? d.LatText : d.LonText, c.Text) << c.Field;
        EXPECT_EQ(DegreesE5(degrees), c.E5) << c.Field;
    }
}

// The two hemispheres' letters, and a memo that is keyed by the decimals too.
TEST(FormatCoordinates, HemisphereLettersAndPrecisionChange) {
    DataDisplay d;
    FormatCoordinates(FieldDegrees("3352.0000", 'S'), FieldDegrees("15112.0000", 'E'), d);
    EXPECT_EQ(d.LatText, "S 33.866667");
    EXPECT_EQ(d.LonText, "E 151.200000");
    FormatCoordinates(FieldDegrees("3352.000", 'N'), FieldDegrees("12118.8514", 'W'), d);
    EXPECT_EQ(d.LatText, "N 33.86667");
    EXPECT_EQ(d.LonText, "W 121.314190");
}

TEST(TimeZoneFromLongitude, ZonesOfFifteenDegrees) {
    EXPECT_EQ(TimeZoneFromLongitude(7.5f), 0);
    EXPECT_EQ(TimeZoneFromLongitude(22.5f), 1);
    EXPECT_EQ(TimeZoneFromLongitude(22.6f), 2);
    EXPECT_EQ(TimeZoneFromLongitude(121.5f), 8);
    EXPECT_EQ(TimeZoneFromLongitude(-74.0f), -5);
    EXPECT_EQ(TimeZoneFromLongitude(0.0f), 0);
}

uint32_t Packed(int h, int m, int s) {
    return (h << 24) | (m << 16) | (s * 1000);
}

TEST(FormatTimes, LocalTimeFromLongitude) {
    DataDisplay d;
    FormatTimes(Packed(12, 35, 19), 1152000, d);
    EXPECT_EQ(d.GmtText, "GMT: 12:35:19");
    EXPECT_EQ(d.LocalTimeText, "(PM)01:35:19");
    FormatTimes(Packed(23, 10, 0), 12150000, d);
    EXPECT_EQ(d.LocalTimeText, "(AM)07:10:00");
    FormatTimes(Packed(23, 10, 0), -7400000, d);
    EXPECT_EQ(d.LocalTimeText, "(PM)06:10:00");
    FormatTimes(Packed(3, 0, 0), -7400000, d);
    EXPECT_EQ(d.LocalTimeText, "(PM)10:00:00");
    FormatTimes(Packed(0, 5, 0), 0, d);
    EXPECT_EQ(d.LocalTimeText, "(AM)00:05:00");
    FormatTimes(Packed(12, 0, 0), 0, d);
    EXPECT_EQ(d.LocalTimeText, "(PM)12:00:00");
    FormatTimes(Packed(5, 0, 0), -7400000, d);
    EXPECT_EQ(d.LocalTimeText, "(AM)00:00:00");
}

// Speed switches to km/h at 0.3 m/s; speed and course keep the receiver's
// decimals when it sends more than the fewest shown.
TEST(FormatSpeedCourse, UnitSwitchesAtPointThreeMetresPerSecond) {
    const struct {
        ExactDecimal Knots, Course;
        const char *Speed, *CourseText;
    } cases[] = {
        {{0, 0}, {0, 0}, "0.000 m/sec", "0.0"},
        {{5, 1}, {3599, 1}, "0.257 m/sec", "359.9"},
        {{100, 1}, {844, 1}, "18.5 km/hr    ", "84.4"},
        {{123, 3}, {5470, 2}, "0.063 m/sec", "54.70"},
        {{123456, 4}, {13, 0}, "22.8636 km/hr    ", "13.0"},
        {{1, 4}, {1234567, 5}, "0.0001 m/sec", "12.34567"},
    };
    DataDisplay d;
    for (const auto& c : cases) {
        FormatSpeedCourse(c.Knots, c.Course, d);
        EXPECT_EQ(d.SpeedText, c.Speed);
        EXPECT_EQ(d.CourseText, c.CourseText);
    }
}

TEST(FormatDate, YearFirst) {
    DataDisplay d;
    FormatDate((24u << 16) | (3u << 8) | 15u, d);
    EXPECT_EQ(d.DateText, "DATE: 24/03/15");
}

TEST(FormatGsa, ModeListAndCount) {
    NMEA_GSA_Object gsa;
    gsa.Message.FixType = 3;
    gsa.Message.UsedPrn[0] = 4;
    gsa.Message.UsedPrn[1] = 5;
    gsa.Message.UsedPrn[3] = 9;
    gsa.Message.Pdop = 25000;
    gsa.Message.Hdop = 999900;
    DataDisplay d;
    FormatGsa(gsa, d);
    EXPECT_EQ(d.FixModeText, "3D");
    EXPECT_EQ(d.UsedPrnText, "4 5 9 ");
    EXPECT_EQ(d.SatsUsedText, "3");
    EXPECT_EQ(d.PdopText, "2.50");
    EXPECT_EQ(d.HdopText, "99.99");  // a "no fix" DOP is shown as itself
    gsa.Message.FixType = 1;
    FormatGsa(gsa, d);
    EXPECT_EQ(d.FixModeText, "NON Fix");
    gsa.Message.FixType = 2;
    FormatGsa(gsa, d);
    EXPECT_EQ(d.FixModeText, "2D");
}

TEST(FormatRecord, GgaTexts) {
    NMEA_GGA_Object gga;
    ASSERT_TRUE(
        ParseGGA("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r", gga));
    DataDisplay d;
    FormatRecord(gga, d);
    EXPECT_EQ(d.SatsUsedText, "8");
    EXPECT_EQ(d.FixValidText, "Valid");
    EXPECT_EQ(d.HdopText, "0.90");
    EXPECT_EQ(d.AltText, "545.4");
    EXPECT_EQ(d.GmtText, "GMT: 12:35:19");
    EXPECT_EQ(d.LocalTimeText, "(PM)01:35:19");
    EXPECT_EQ(d.LatText, "N 48.11730");
    EXPECT_EQ(d.LonText, "E 11.51667");
    EXPECT_EQ(gga.Message.Spc.Altitude, 54540000);
    ASSERT_TRUE(
        ParseGGA("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,20000000.0,M,46.9,M,,*75\r", gga));
    EXPECT_EQ(gga.Message.Spc.Altitude, 2000000000000);  // 20,000 km: no wrap
    FormatRecord(gga, d);
    EXPECT_EQ(d.AltText, "20000000.0");
    // Without a fix there is no position to show, only the sentence's other values.
    gga.Message.Spc.FixQuality = 0;
    FormatRecord(gga, d);
    EXPECT_EQ(d.FixValidText, "InValid");
    EXPECT_EQ(d.LatText, "--");
    EXPECT_EQ(d.LonText, "--");
    EXPECT_EQ(d.AltText, "--");
    EXPECT_EQ(d.SatsUsedText, "8");
    EXPECT_EQ(d.GmtText, "GMT: 12:35:19");
}

TEST(FormatRecord, InitialTexts) {
    NMEA_Manager store;
    EXPECT_EQ(store.Display().FixModeText, "NON Fix");
    EXPECT_EQ(store.Display().SpeedText, "0.000m/s");
    EXPECT_EQ(store.Display().LatText, "0.00");
    EXPECT_EQ(store.Display().LonText, "0.00");
}

}  // namespace
