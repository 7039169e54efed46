// Position and fix handlers on the sentences receivers really send.
#include <gtest/gtest.h>

#include "NmeaTestUtil.h"
#include "nmea/SentenceHandlers.h"

namespace {

const std::string ExampleGga =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r";

TEST(ParseGGA, ExampleSentenceWithSinglePrecisionScaling) {
    NMEA_GGA_Object gga;
    ASSERT_TRUE(ParseGGA(ExampleGga, gga));
    const NMEA_MESSAGE_GGA& m = gga.Message;
    EXPECT_EQ(m.Time, (12u << 24) | (35u << 16) | 19000u);
    EXPECT_EQ(m.Latitude, 4811730);
    EXPECT_EQ(m.Longitude, 1151666);
    EXPECT_EQ(m.Spc.FixQuality, 1);
    EXPECT_EQ(m.Spc.SatsUsed, 8);
    EXPECT_EQ(m.Spc.Hdop, 8999u);
    EXPECT_EQ(m.Spc.Altitude, 54540000);  // from the digits, not through a float
    EXPECT_EQ(m.Spc.AltitudeUnit, 'M');
    EXPECT_EQ(m.Spc.GeoidSeparation, 4690000);
    EXPECT_EQ(m.Spc.GeoidUnit, 'M');
    EXPECT_EQ(m.Spc.DgpsAge, 0);
    EXPECT_EQ(m.Spc.DgpsStation, 0);
    EXPECT_EQ(gga.Checksum, 0x47);
}

TEST(ParseGGA, SouthAndWestAreNegative) {
    NMEA_GGA_Object gga;
    ASSERT_TRUE(
        ParseGGA(Sentence("GPGGA,123519,4807.038,S,01131.000,W,1,08,0.9,545.4,M,46.9,M,,"), gga));
    EXPECT_EQ(gga.Message.Latitude, -4811730);
    EXPECT_EQ(gga.Message.Longitude, -1151666);
}

TEST(ParseGGA, MissingHemisphereFailsAfterTimeAndLatitude) {
    NMEA_GGA_Object gga;
    gga.Message.Longitude = 77;
    EXPECT_FALSE(
        ParseGGA(Sentence("GPGGA,123519,4807.038,,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), gga));
    EXPECT_EQ(gga.Message.Time, (12u << 24) | (35u << 16) | 19000u);
    EXPECT_EQ(gga.Message.Latitude, 4811730);
    EXPECT_EQ(gga.Message.Longitude, 77);
}

TEST(ParseGGA, NoFixDopAndHighAltitudeAreKeptWhole) {
    NMEA_GGA_Object gga;
    ASSERT_TRUE(ParseGGA(
        Sentence("GPGGA,000000,0000.000,N,00000.000,E,0,00,99.99,45000.5,M,-30000.0,M,,"), gga));
    EXPECT_EQ(gga.Message.Spc.Hdop, 999899u);  // 99.99 in single precision, not wrapped
    EXPECT_EQ(gga.Message.Spc.Altitude, 4500050000);
    EXPECT_EQ(gga.Message.Spc.GeoidSeparation, -3000000000);
    ASSERT_TRUE(
        ParseGGA(Sentence("GPGGA,000000,0000.000,N,00000.000,E,1,04,1.0,999999.0,M,0,M,,"), gga));
    EXPECT_EQ(gga.Message.Spc.Altitude, 99999900000);
}

TEST(ParseGGA, DecimalDifferentialAgeAndStation) {
    NMEA_GGA_Object gga;
    ASSERT_TRUE(ParseGGA(
        Sentence("GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,3.5,0120"),
        gga));
    EXPECT_EQ(gga.Message.Spc.DgpsAge, 3);
    EXPECT_EQ(gga.Message.Spc.DgpsStation, 120);
    EXPECT_EQ(gga.Message.Spc.FixQuality, 2);
    EXPECT_EQ(gga.Message.Spc.GeoidSeparation, -1960000);
}

TEST(ParseGGA, EmptyUnitsDefaultToMetres) {
    NMEA_GGA_Object gga;
    gga.Message.Spc.AltitudeUnit = 'F';
    ASSERT_TRUE(
        ParseGGA(Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,,46.9,,,"), gga));
    EXPECT_EQ(gga.Message.Spc.AltitudeUnit, 'M');
    EXPECT_EQ(gga.Message.Spc.GeoidUnit, 'M');
}

TEST(ParseGLL, PositionTimeAndStatus) {
    NMEA_GLL_Object gll;
    ASSERT_TRUE(ParseGLL(Sentence("GPGLL,4916.45,N,12311.12,W,225444,A"), gll));
    EXPECT_EQ(gll.Latitude, 4927416);
    EXPECT_EQ(gll.Longitude, -12318533);
    EXPECT_EQ(gll.Time, (22u << 24) | (54u << 16) | 44000u);
    EXPECT_EQ(gll.Status, 1);
    ASSERT_TRUE(ParseGLL(Sentence("GPGLL,4916.45,N,12311.12,W,225444,V"), gll));
    EXPECT_EQ(gll.Status, 0);
    ASSERT_TRUE(ParseGLL(Sentence("GPGLL,4916.45,N,12311.12,W,225444,X"), gll));
    EXPECT_EQ(gll.Status, 0);  // unknown letters leave it
}

TEST(ParseGSA, UsedSlotsAndDops) {
    NMEA_GSA_Object gsa;
    ASSERT_TRUE(ParseGSA(Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.5,2.1"), gsa));
    const NMEA_MESSAGE_GSA& m = gsa.Message;
    EXPECT_EQ(m.Mode, 'A');
    EXPECT_EQ(m.FixType, 3);
    const uint8_t expected[12] = {4, 5, 0, 9, 12, 0, 0, 24, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m.UsedPrn[i], expected[i]) << i;
    EXPECT_EQ(m.Pdop, 25000u);
    EXPECT_EQ(m.Hdop, 15000u);
    EXPECT_EQ(m.Vdop, 20999u);  // 2.1 in single precision is just below 2.1
}

TEST(ParseGSA, SbasAndHighPrnsAreNotUsedAndModeRules) {
    NMEA_GSA_Object gsa;
    ASSERT_TRUE(ParseGSA(Sentence("GPGSA,M,2,120,49,50,,,,,,,,,,3.0,2.0,1.0"), gsa));
    EXPECT_EQ(gsa.Message.Mode, 'M');
    EXPECT_EQ(gsa.Message.UsedPrn[0], 0);
    EXPECT_EQ(gsa.Message.UsedPrn[1], 49);
    EXPECT_EQ(gsa.Message.UsedPrn[2], 0);
    ASSERT_TRUE(ParseGSA(Sentence("GPGSA,V,2,,,,,,,,,,,,,3.0,2.0,1.0"), gsa));
    EXPECT_EQ(gsa.Message.Mode, 'M');  // "V" leaves the mode
    ASSERT_TRUE(ParseGSA(Sentence("GPGSA,,2,,,,,,,,,,,,,3.0,2.0,1.0"), gsa));
    EXPECT_EQ(gsa.Message.Mode, 0);
}

TEST(ParseGSA, MissingSlotFails) {
    NMEA_GSA_Object gsa;
    EXPECT_FALSE(ParseGSA(Sentence("GPGSA,A,3,04,05"), gsa));
    EXPECT_EQ(gsa.Message.UsedPrn[1], 5);
}

TEST(ParseRMC, WarningStatusStillStoresEverything) {
    NMEA_RMC_Object rmc;
    rmc.Message.Status = 1;
    ASSERT_TRUE(ParseRMC(
        Sentence("GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"), rmc));
    const NMEA_MESSAGE_RMC& m = rmc.Message;
    EXPECT_EQ(m.Status, 0);
    EXPECT_EQ(m.Latitude, 4811730);
    EXPECT_EQ(m.Speed, 224);  // from the digits: 22.4 is not cut to 22.3
    EXPECT_EQ(m.Course, 844);
    EXPECT_EQ(m.Date, (94u << 16) | (3u << 8) | 23u);
    EXPECT_EQ(m.MagVariation, 31);
    EXPECT_EQ(m.MagVariationDir, 'W');
}

TEST(ParseRMC, EmptyVariationDirectionKeepsOld) {
    NMEA_RMC_Object rmc;
    rmc.Message.MagVariationDir = 'E';
    ASSERT_TRUE(ParseRMC(
        Sentence("GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D"), rmc));
    EXPECT_EQ(rmc.Message.MagVariationDir, 'E');
    EXPECT_EQ(rmc.Message.Status, 1);
    EXPECT_EQ(rmc.Message.Speed, 0);  // 0.03 knots x 10 truncates to 0
    EXPECT_EQ(rmc.Message.Course, 2259);
}

TEST(ParseVTG, UnitsDecideTheMembers) {
    NMEA_VTG_Object vtg;
    vtg.MagCourse = 5;
    ASSERT_TRUE(ParseVTG(Sentence("GPVTG,054.7,T,,M,005.5,N,010.2,K"), vtg));
    EXPECT_EQ(vtg.TrueCourse, 547);
    EXPECT_EQ(vtg.MagCourse, 0);  // empty value, unit present
    EXPECT_EQ(vtg.SpeedKnots, 55);
    EXPECT_EQ(vtg.SpeedKmh, 102);
    vtg.MagCourse = 5;
    ASSERT_TRUE(ParseVTG(Sentence("GPVTG,054.7,T,,,005.5,N,010.2,K,A"), vtg));
    EXPECT_EQ(vtg.MagCourse, 5);  // value and unit empty
    EXPECT_EQ(vtg.TrueCourse, 547);
}

TEST(Handlers, TruncatedSentencesFailWithoutCrashing) {
    const std::string full = ExampleGga;
    for (size_t n = 0; n < full.size(); ++n) {
        const std::string cut = full.substr(0, n);
        NMEA_GGA_Object gga;
        NMEA_GLL_Object gll;
        NMEA_GSA_Object gsa;
        NMEA_RMC_Object rmc;
        NMEA_VTG_Object vtg;
        ParseGGA(cut, gga);
        ParseGLL(cut, gll);
        ParseGSA(cut, gsa);
        ParseRMC(cut, rmc);
        ParseVTG(cut, vtg);
    }
}

// A receiver without a fix sends empty position fields: the sentence still
// gives the fix quality, the satellites and the DOP, and leaves the last
// position in the record untouched. A fix claimed without a position is
// refused.
TEST(ParseGGA, LostFixStoresQualitySatellitesAndDop) {
    NMEA_GGA_Object gga;
    ASSERT_TRUE(ParseGGA(ExampleGga, gga));
    ASSERT_TRUE(ParseGGA("$GPGGA,,,,,,0,03,25.5,,M,,M,,*5D\r", gga));
    EXPECT_EQ(gga.Message.Time, NoTime);
    EXPECT_EQ(gga.Message.Spc.FixQuality, 0);
    EXPECT_EQ(gga.Message.Spc.SatsUsed, 3);
    EXPECT_EQ(gga.Message.Spc.Hdop, 255000u);
    EXPECT_EQ(gga.Message.Latitude, 4811730);

    ASSERT_TRUE(ParseGGA(ExampleGga, gga));
    EXPECT_FALSE(ParseGGA(Sentence("GPGGA,123520,,,,,1,08,0.9,545.4,M,46.9,M,,"), gga));
    EXPECT_EQ(gga.Message.Time, (12u << 24) | (35u << 16) | 19000u);
    EXPECT_EQ(gga.Message.Spc.FixQuality, 1);
}

TEST(ParseRMC, EmptyTimeAndDateOfAReceiverWithoutAFix) {
    NMEA_RMC_Object rmc;
    ASSERT_TRUE(ParseRMC(Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,0.0,0.0,230394,,"), rmc));
    ASSERT_TRUE(ParseRMC("$GPRMC,,V,,,,,,,,,,N*53\r", rmc));
    EXPECT_EQ(rmc.Message.Time, NoTime);
    EXPECT_EQ(rmc.Message.Date, NoDate);
    EXPECT_EQ(rmc.Message.Status, 0);
    EXPECT_EQ(rmc.Message.Latitude, 4811730);
    EXPECT_FALSE(ParseRMC(Sentence("GPRMC,123519,A,,,,,0.0,0.0,230394,,"), rmc));
}

// A field outside its range rejects the whole sentence and leaves the record
// exactly as it was, whatever was read before the field.
TEST(Handlers, FieldsOutOfRangeRejectTheSentenceAndKeepTheRecord) {
    const auto ggaKept = [](const std::string& body) {
        NMEA_GGA_Object gga;
        EXPECT_TRUE(ParseGGA(ExampleGga, gga));
        EXPECT_FALSE(ParseGGA(Sentence(body), gga)) << body;
        const NMEA_MESSAGE_GGA& m = gga.Message;
        EXPECT_EQ(m.Time, (12u << 24) | (35u << 16) | 19000u) << body;
        EXPECT_EQ(m.Latitude, 4811730) << body;
        EXPECT_EQ(m.Longitude, 1151666) << body;
        EXPECT_EQ(m.Spc.SatsUsed, 8) << body;
        EXPECT_EQ(m.Spc.Hdop, 8999u) << body;
    };
    ggaKept("GPGGA,-1,4807.038,N,01131.000,E,1,05,0.9,545.4,M,46.9,M,,");
    ggaKept("GPGGA,240000,4807.038,N,01131.000,E,1,05,0.9,545.4,M,46.9,M,,");
    ggaKept("GPGGA,126019,4807.038,N,01131.000,E,1,05,0.9,545.4,M,46.9,M,,");
    ggaKept("GPGGA,123561,4807.038,N,01131.000,E,1,05,0.9,545.4,M,46.9,M,,");
    ggaKept("GPGGA,123520,9100.000,N,01131.000,E,1,05,0.9,545.4,M,46.9,M,,");
    ggaKept("GPGGA,123520,4807.038,N,18100.000,E,1,05,0.9,545.4,M,46.9,M,,");
    ggaKept("GPGGA,123520,4807.038,N,01131.000,E,1,05,-1.5,545.4,M,46.9,M,,");

    const auto rmcKept = [](const std::string& body) {
        NMEA_RMC_Object rmc;
        const std::string good = "GPRMC,123519,A,4807.038,N,01131.000,E,0.0,0.0,230394,,";
        EXPECT_TRUE(ParseRMC(Sentence(good), rmc));
        EXPECT_FALSE(ParseRMC(Sentence(body), rmc)) << body;
        EXPECT_EQ(rmc.Message.Time, (12u << 24) | (35u << 16) | 19000u) << body;
        EXPECT_EQ(rmc.Message.Date, (94u << 16) | (3u << 8) | 23u) << body;
    };
    rmcKept("GPRMC,123520,A,4807.038,N,01131.000,E,0.0,0.0,99999999,,");
    rmcKept("GPRMC,123520,A,4807.038,N,01131.000,E,0.0,0.0,001024,,");
    rmcKept("GPRMC,123520,A,4807.038,N,01131.000,E,0.0,0.0,321024,,");
    rmcKept("GPRMC,123520,A,4807.038,N,01131.000,E,0.0,0.0,011324,,");
    rmcKept("GPRMC,123520,A,-9100.000,N,01131.000,E,0.0,0.0,230394,,");

    NMEA_GLL_Object gll;
    ASSERT_TRUE(ParseGLL(Sentence("GLGLL,4807.038,N,01131.000,E,123519,A"), gll));
    EXPECT_FALSE(ParseGLL(Sentence("GLGLL,4807.038,N,01131.000,E,995919,A"), gll));
    EXPECT_EQ(gll.Time, (12u << 24) | (35u << 16) | 19000u);

    NMEA_GSA_Object gsa;
    ASSERT_TRUE(ParseGSA(Sentence("GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1"), gsa));
    EXPECT_FALSE(ParseGSA(Sentence("GPGSA,A,2,07,,,,,,,,,,,,2.5,-1.3,2.1"), gsa));
    EXPECT_EQ(gsa.Message.FixType, 3);
    EXPECT_EQ(gsa.Message.UsedPrn[0], 4);
    EXPECT_EQ(gsa.Message.Hdop, 12999u);  // 1.3 in single precision
}

// The edges of each range are data.
TEST(Handlers, FieldsAtTheEdgesOfTheirRangesAreAccepted) {
    NMEA_RMC_Object rmc;
    EXPECT_TRUE(
        ParseRMC(Sentence("GPRMC,235960.5,A,9000.000,S,18000.000,W,0.0,0.0,311299,,"), rmc));
    EXPECT_EQ(rmc.Message.Latitude, -9000000);
    EXPECT_EQ(rmc.Message.Longitude, -18000000);
    EXPECT_EQ(rmc.Message.Date, (99u << 16) | (12u << 8) | 31u);
    EXPECT_TRUE(ParseRMC(Sentence("GPRMC,000000,A,0000.000,N,00000.000,E,0.0,0.0,010100,,"), rmc));
    NMEA_GGA_Object gga;
    EXPECT_TRUE(ParseGGA(Sentence("GPGGA,235959,4807.038,N,01131.000,E,1,05,0,0,M,0,M,,"), gga));
}

}  // namespace
