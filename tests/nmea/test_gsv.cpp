// Assembly of GSV pages into the satellites-in-view table.
#include <gtest/gtest.h>

#include "NmeaTestUtil.h"
#include "nmea/SentenceHandlers.h"

namespace {

// A GSV page with 'count' satellites numbered from 'firstPrn'.
std::string Page(int total, int page, int inView, int firstPrn, int count, int elevation = 45,
                 int snr = 40) {
    std::string body = "GPGSV," + std::to_string(total) + "," + std::to_string(page) + "," +
                       std::to_string(inView);
    for (int i = 0; i < count; ++i)
        body += "," + std::to_string(firstPrn + i) + "," + std::to_string(elevation) + "," +
                std::to_string(10 * i) + "," + std::to_string(snr);
    return Sentence(body);
}

TEST(ParseGSV, ThreePageSetCompletesOnlyOnLastPage) {
    NMEA_GSV_Object gsv;
    EXPECT_FALSE(ParseGSV(Page(3, 1, 10, 1, 4), gsv));
    EXPECT_FALSE(ParseGSV(Page(3, 2, 10, 5, 4), gsv));
    EXPECT_TRUE(ParseGSV(Page(3, 3, 10, 9, 2), gsv));
    EXPECT_EQ(gsv.InView, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(gsv.Satellites[i].Prn, i + 1);
    for (int i = 10; i < 16; ++i) EXPECT_EQ(gsv.Satellites[i].Prn, 0);
    EXPECT_EQ(gsv.Pages[2].Complete, 1);
    EXPECT_EQ(gsv.Pages[2].Total, 3);
    EXPECT_EQ(gsv.Pages[2].Number, 3);
}

TEST(ParseGSV, MissingPageRejectsTheRest) {
    NMEA_GSV_Object gsv;
    ParseGSV(Page(3, 1, 10, 1, 4), gsv);
    EXPECT_FALSE(ParseGSV(Page(3, 3, 10, 9, 2), gsv));
    EXPECT_EQ(gsv.Satellites[8].Prn, 0);
    EXPECT_EQ(gsv.Pages[2].Complete, 0);
}

// A page continues its set only with the same total and the same count in
// view: the set it would end is not complete.
TEST(ParseGSV, PageOfAnotherSetOrCountIsRejected) {
    NMEA_GSV_Object gsv;
    ParseGSV(Page(2, 1, 6, 1, 4), gsv);
    EXPECT_FALSE(ParseGSV(Page(3, 2, 6, 5, 2), gsv));  // other total
    EXPECT_EQ(gsv.Pages[1].Complete, 0);
    ParseGSV(Page(2, 1, 6, 1, 4), gsv);
    EXPECT_FALSE(ParseGSV(Page(2, 2, 7, 5, 2), gsv));  // other count in view
    EXPECT_EQ(gsv.Pages[1].Complete, 0);
    EXPECT_FALSE(ParseGSV(Page(2, 2, 7, 5, 3), gsv));
    EXPECT_TRUE(ParseGSV(Page(2, 2, 6, 5, 2), gsv));
}

TEST(ParseGSV, FivePageSetsKeepTheLastTable) {
    NMEA_GSV_Object gsv;
    ASSERT_TRUE(ParseGSV(Page(1, 1, 2, 7, 2), gsv));
    for (int p = 1; p <= 5; ++p) EXPECT_FALSE(ParseGSV(Page(5, p, 18, 4 * p, 4), gsv));
    EXPECT_EQ(gsv.Satellites[0].Prn, 7);
    EXPECT_EQ(gsv.InView, 2);
}

TEST(ParseGSV, SinglePageSet) {
    NMEA_GSV_Object gsv;
    ParseGSV(Page(3, 1, 10, 1, 4), gsv);
    EXPECT_TRUE(ParseGSV(Page(1, 1, 2, 20, 2), gsv));
    EXPECT_EQ(gsv.Satellites[0].Prn, 20);
    EXPECT_EQ(gsv.Satellites[1].Prn, 21);
    for (int i = 2; i < 16; ++i) EXPECT_EQ(gsv.Satellites[i].Prn, 0);
}

// A page holding nonsense is refused whole: the table keeps the last set.
TEST(ParseGSV, OutOfRangeValuesFailThePageAndKeepTheTable) {
    NMEA_GSV_Object gsv;
    ASSERT_TRUE(ParseGSV(Page(1, 1, 2, 7, 2), gsv));
    for (const std::string& bad :
         {Page(1, 1, 1, 3, 1, 95), Page(1, 1, 1, 3, 1, -1), Page(1, 1, 1, 3, 1, 45, 80),
          Sentence("GPGSV,1,1,01,03,45,360,40"), Sentence("GPGSV,1,1,01,03,45,-5,40"),
          Sentence("GPGSV,1,1,01,03,45,100,-1")}) {
        EXPECT_FALSE(ParseGSV(bad, gsv)) << bad;
        EXPECT_EQ(gsv.InView, 2) << bad;
        EXPECT_EQ(gsv.Satellites[0].Prn, 7) << bad;
        EXPECT_EQ(gsv.Satellites[1].Prn, 8) << bad;
    }
    EXPECT_TRUE(ParseGSV(Sentence("GPGSV,1,1,01,03,90,359,70"), gsv));
    EXPECT_TRUE(ParseGSV(Sentence("GPGSV,1,1,01,03,0,0,0"), gsv));
}

TEST(ParseGSV, UntrackedSatelliteHasZeroSnr) {
    NMEA_GSV_Object gsv;
    EXPECT_TRUE(ParseGSV(Sentence("GPGSV,1,1,02,03,45,100,,04,12,200,33"), gsv));
    EXPECT_EQ(gsv.Satellites[0].Snr, 0);
    EXPECT_EQ(gsv.Satellites[1].Snr, 33);
    EXPECT_EQ(gsv.Satellites[1].Azimuth, 200);
}

// NMEA 4.10 ends every page with a signal id, a short last page too.
TEST(ParseGSV, SignalIdFieldOnAnyPage) {
    NMEA_GSV_Object gsv;
    EXPECT_FALSE(ParseGSV(
        Sentence("GPGSV,2,1,06,03,45,100,30,04,12,200,33,05,10,010,20,06,20,020,25,1"), gsv));
    EXPECT_TRUE(ParseGSV(Sentence("GPGSV,2,2,06,07,45,100,30,08,12,200,,1"), gsv));
    EXPECT_EQ(gsv.InView, 6);
    EXPECT_EQ(gsv.Satellites[3].Prn, 6);
    EXPECT_EQ(gsv.Satellites[5].Prn, 8);
    EXPECT_EQ(gsv.Satellites[5].Azimuth, 200);
    EXPECT_EQ(gsv.Satellites[6].Prn, 0);
}

TEST(ParseGSV, BadPageNumbersChangeNothing) {
    NMEA_GSV_Object gsv;
    ParseGSV(Page(1, 1, 2, 7, 2), gsv);
    EXPECT_FALSE(ParseGSV(Page(3, 0, 10, 1, 4), gsv));
    EXPECT_FALSE(ParseGSV(Page(3, 5, 10, 1, 4), gsv));
    EXPECT_FALSE(ParseGSV(Sentence("GPGSV,3,-1,10,01,45,100,30"), gsv));
    EXPECT_EQ(gsv.Satellites[0].Prn, 7);
}

}  // namespace
