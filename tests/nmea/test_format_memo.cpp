// Display texts formatted again only when their inputs change: every text
// still reads as formatted from the latest record, whoever wrote it between.
#include <gtest/gtest.h>

#include <cstdio>

#include <string>

#include "NmeaTestUtil.h"
#include "nmea/Dispatch.h"
#include "nmea/Formatting.h"

namespace {

void Feed(NMEA_Manager& store, const std::string& body) {
    ASSERT_TRUE(DispatchSentence(Sentence(body), store, nullptr).Valid) << body;
}

TEST(FormatMemo, TextsWrittenElsewhereArePutBackOnTheSameValues) {
    NMEA_Manager store;
    const std::string gga = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
    Feed(store, gga);
    const DataDisplay first = store.Display();
    for (std::string* text :
         {&store.Display().LatText, &store.Display().LonText, &store.Display().AltText,
          &store.Display().HdopText, &store.Display().GmtText, &store.Display().LocalTimeText,
          &store.Display().SatsUsedText})
        *text = "x";
    Feed(store, "GPGGA,123520,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    Feed(store, gga);  // the cycle moves on, so the record is filled again
    EXPECT_EQ(store.Display().LatText, first.LatText);
    EXPECT_EQ(store.Display().LonText, first.LonText);
    EXPECT_EQ(store.Display().AltText, first.AltText);
    EXPECT_EQ(store.Display().HdopText, first.HdopText);
    EXPECT_EQ(store.Display().GmtText, first.GmtText);
    EXPECT_EQ(store.Display().LocalTimeText, first.LocalTimeText);
    EXPECT_EQ(store.Display().SatsUsedText, first.SatsUsedText);

    // A position lost and found again: the cleared texts come back.
    Feed(store, "GPRMC,123521,V,,,,,,,230394,,");
    EXPECT_EQ(store.Display().LatText, "--");
    Feed(store, "GPRMC,123522,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
    EXPECT_EQ(store.Display().LatText, first.LatText);
    EXPECT_EQ(store.Display().LonText, first.LonText);
}

TEST(FormatMemo, LocalTimeFollowsTheZoneAtTheSameTime) {
    DataDisplay display;
    FormatTimes(0x0C230000, 0, display);  // 12:35:00 at longitude 0
    const std::string gmt = display.GmtText, local = display.LocalTimeText;
    FormatTimes(0x0C230000, 9000000, display);  // the same time, six zones east
    EXPECT_EQ(display.GmtText, gmt);
    EXPECT_NE(display.LocalTimeText, local);
    display.GmtText.clear();
    FormatTimes(0x0C230000, 9000000, display);
    EXPECT_EQ(display.GmtText, gmt);
    FormatTimes(0x0C230000, 0, display);
    EXPECT_EQ(display.LocalTimeText, local);
}

TEST(FormatMemo, UsedListsOfOneSystemAndOfAllSystemsNeverMix) {
    NMEA_Manager store;
    // GPS alone: the list of the GSA record.
    Feed(store, "GPGGA,000001,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    Feed(store, "GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "4 5 ");
    // A second system: the lists of all systems.
    Feed(store, "GLGSV,1,1,01,70,10,100,30");
    Feed(store, "GLGSA,A,3,70,,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "G4 G5 R70 ");
    Feed(store, "GLGSA,A,3,70,71,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "G4 G5 R70 R71 ");
    Feed(store, "GLGSA,A,3,70,71,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "G4 G5 R70 R71 ");
    EXPECT_EQ(store.Display().SatsUsedText, "4");
    // A new cycle: its GSAs write the lists over.
    Feed(store, "GPGGA,000001.5,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    Feed(store, "GLGSA,A,3,70,71,,,,,,,,,,,2.5,1.3,2.1");
    Feed(store, "GPGSA,A,3,04,,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "G4 R70 R71 ");
    EXPECT_EQ(store.Display().SatsUsedText, "3");
    // A cycle in which only GLONASS reports: at its end the GPS list goes,
    // and the same GLONASS list then reads alone.
    Feed(store, "GPGGA,000002,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    Feed(store, "GLGSA,A,3,70,71,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "G4 R70 R71 ");
    Feed(store, "GPGGA,000003,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    Feed(store, "GLGSA,A,3,70,71,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(store.Display().UsedPrnText, "R70 R71 ");
    // No fix: nothing used.
    Feed(store, "GLGSA,A,1,,,,,,,,,,,,,99.9,99.9,99.9");
    EXPECT_EQ(store.Display().SatsUsedText, "0");
}

TEST(FormatMemo, UsedStampMovesExactlyWithTheUsedSatellites) {
    SatelliteSky sky, other;
    EXPECT_NE(sky.UsedStamp(), other.UsedStamp());
    int second = 0;
    const auto gsa = [&](const std::string& body) {
        char time[16];
        std::snprintf(time, sizeof time, "0000%02d", ++second);  // one GSA a cycle
        sky.ObserveTime(time);
        sky.ObserveGsa(Talker::GL, FieldList(Sentence(body)));
        return sky.UsedStamp();
    };
    const uint64_t a = gsa("GLGSA,A,3,70,71,,,,,,,,,,,2.5,1.3,2.1");
    EXPECT_EQ(gsa("GLGSA,A,3,70,71,,,,,,,,,,,2.0,1.0,2.0"), a);
    const uint64_t b = gsa("GLGSA,A,3,70,72,,,,,,,,,,,2.0,1.0,2.0");
    EXPECT_NE(b, a);
    const uint64_t c = gsa("GLGSA,A,3,70,,,,,,,,,,,,2.0,1.0,2.0");
    EXPECT_NE(c, b);
    const uint64_t d = gsa("GLGSA,A,3,70,72,,,,,,,,,,,2.0,1.0,2.0");
    EXPECT_NE(d, c);
    EXPECT_NE(d, b);
}

}  // namespace
