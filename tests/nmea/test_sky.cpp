// Multi-constellation receivers: talkers, per-system GSV sets of up to nine
// pages, NMEA 4.10 signal and system ids, used satellites per system, and the
// GPS-only path left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "NmeaTestUtil.h"
#include "nmea/Dispatch.h"
#include "nmea/SentenceTypes.h"
#include "nmea/SignalNames.h"

namespace {

struct Store {
    NMEA_Manager store;
    DispatchResult Run(const std::string& body) {
        return DispatchSentence(Sentence(body), store, nullptr);
    }
    std::vector<SkySatellite> Sky() const {
        std::vector<SkySatellite> out(SkyMaxSatellites);
        out.resize(store.Sky.Satellites(out.data(), SkyMaxSatellites));
        return out;
    }
    std::vector<UsedSatellite> Used() const {
        std::vector<UsedSatellite> out(SkyMaxUsed);
        out.resize(store.Sky.UsedSatellites(out.data(), SkyMaxUsed));
        return out;
    }
};

// A GSV set of 'count' satellites numbered from 'first', four to a page.
std::vector<std::string> GsvSet(const std::string& talker, int first, int count,
                                const std::string& signal = "") {
    const int pages = (count + 3) / 4;
    std::vector<std::string> set;
    for (int p = 1; p <= pages; ++p) {
        std::string body = talker + "GSV," + std::to_string(pages) + "," + std::to_string(p) + "," +
                           std::to_string(count);
        for (int k = 0; k < 4 && (p - 1) * 4 + k < count; ++k) {
            const int prn = first + (p - 1) * 4 + k;
            body += "," + std::to_string(prn) + ",45," + std::to_string(prn % 360) + ",33";
        }
        if (!signal.empty()) body += "," + signal;
        set.push_back(body);
    }
    return set;
}

// Feeds a set; returns the refresh results page by page.
std::vector<bool> Feed(Store& s, const std::vector<std::string>& set) {
    std::vector<bool> refreshes;
    for (const std::string& page : set) refreshes.push_back(s.Run(page).Refresh);
    return refreshes;
}

TEST(Talkers, TableTypesOfEverySystemTalkerAreRecognised) {
    for (const char* talker : {"GP", "GN", "GL", "GA", "GB", "BD", "GQ", "GI"}) {
        EXPECT_EQ(RecognizeSentenceType(std::string(talker) + "GGA"), SentenceTypeGGA) << talker;
        EXPECT_EQ(RecognizeSentenceType(std::string(talker) + "ZDA"), SentenceTypeZDA) << talker;
        EXPECT_EQ(RecognizeSentenceType(std::string(talker) + "GNS"), SentenceTypeGNS) << talker;
    }
    // Types outside the table and other talkers stay unknown.
    EXPECT_EQ(RecognizeSentenceType("GNGST"), SentenceTypeNone);
    EXPECT_EQ(RecognizeSentenceType("QZGSV"), SentenceTypeNone);
    EXPECT_EQ(RecognizeSentenceType("GYGGA"), SentenceTypeNone);
    EXPECT_EQ(RecognizeSentenceType("gngga"), SentenceTypeNone);
}

TEST(Talkers, CombinedPositionFillsTheGpsRecords) {
    Store s;
    const DispatchResult r = s.Run("GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    EXPECT_EQ(r.Type, SentenceTypeGGA);
    EXPECT_TRUE(r.Refresh);
    EXPECT_EQ(s.store.Gga.Message.Latitude, 4811730);
    EXPECT_EQ(s.store.Display().LatText, "N 48.11730");
    EXPECT_FALSE(s.store.Sky.Extended());  // a position alone says nothing of the sky
}

TEST(PrnRanges, SatelliteNumbersTellTheSystem) {
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 5), Constellation::Gps);
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 46), Constellation::Sbas);
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 70), Constellation::Glonass);
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 133), Constellation::Sbas);
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 195), Constellation::Qzss);
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 211), Constellation::BeiDou);
    EXPECT_EQ(SatelliteConstellation(Constellation::Unknown, 305), Constellation::Galileo);
    EXPECT_EQ(SatelliteConstellation(Constellation::Gps, 46), Constellation::Sbas);
    EXPECT_EQ(SatelliteConstellation(Constellation::Gps, 3), Constellation::Gps);
    // Galileo and BeiDou number from 1 under their own talkers.
    EXPECT_EQ(SatelliteConstellation(Constellation::Galileo, 5), Constellation::Galileo);
    EXPECT_EQ(SatelliteConstellation(Constellation::BeiDou, 70), Constellation::BeiDou);
    EXPECT_EQ(ConstellationLetter(Constellation::Glonass), 'R');
    EXPECT_EQ(ConstellationLetter(Constellation::BeiDou), 'C');
    EXPECT_EQ(ConstellationLetter(Constellation::Qzss), 'J');
}

TEST(SkySets, EachSystemIsAssembledOnItsOwn) {
    Store s;
    EXPECT_EQ(Feed(s, GsvSet("GP", 1, 10)), (std::vector<bool>{false, false, true}));
    // A GLONASS set interleaved page by page does not disturb the GPS table.
    const auto gl = GsvSet("GL", 65, 6);
    EXPECT_FALSE(s.Run(gl[0]).Refresh);
    EXPECT_TRUE(s.Run(gl[1]).Refresh);
    EXPECT_EQ(s.store.Gsv.InView, 10);
    EXPECT_EQ(s.store.Gsv.Satellites[9].Prn, 10);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 10);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GL), 6);
    EXPECT_TRUE(s.store.Sky.Extended());
    const auto sky = s.Sky();
    ASSERT_EQ(sky.size(), 16u);
    EXPECT_EQ(sky[0].System, Constellation::Gps);
    EXPECT_EQ(sky[10].System, Constellation::Glonass);
    EXPECT_EQ(sky[10].Prn, 65);
    // A GLONASS page 1 restarts only GLONASS: GPS keeps its set.
    s.Run(gl[0]);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 10);
}

TEST(SkySets, NinePagesAreAcceptedTenAreNot) {
    Store s;
    const auto nine = GsvSet("GB", 1, 36);
    ASSERT_EQ(nine.size(), 9u);
    EXPECT_TRUE(Feed(s, nine).back());
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GB), 36);
    Store t;
    EXPECT_FALSE(t.Run("GBGSV,10,1,40,1,45,10,33").Refresh);
    EXPECT_EQ(t.store.Sky.InViewOf(Talker::GB), 0);
}

TEST(SkySets, GpsSetsOfMoreThanFourPagesStayOutOfTheGpsTable) {
    Store s;
    Feed(s, GsvSet("GP", 1, 8));
    Feed(s, GsvSet("GL", 65, 2));
    const auto five = GsvSet("GP", 1, 20);
    const auto refreshes = Feed(s, five);
    // The GPS table rejects every page of a set of five and keeps the last set.
    EXPECT_EQ(s.store.Gsv.InView, 8);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 20);
    EXPECT_TRUE(refreshes.back());  // several systems: the extended table refreshes
}

TEST(SkySets, PagesOutOfOrderOrWithChangedCountsAreRejected) {
    Store s;
    const auto set = GsvSet("GA", 1, 9);
    s.Run(set[0]);
    EXPECT_FALSE(s.Run(set[2]).Refresh);  // page 2 missing
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GA), 0);
    s.Run(set[0]);
    s.Run(set[1]);
    EXPECT_FALSE(s.Run("GAGSV,3,3,10,9,45,9,33").Refresh);  // in-view count changed
    EXPECT_FALSE(s.Run("GAGSV,3,3,09,9,95,9,33").Refresh);  // elevation out of range
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GA), 0);
    Feed(s, set);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GA), 9);
}

TEST(SkySets, SignalsOfOneSatelliteKeepTheStrongest) {
    Store s;
    // NMEA 4.10: L1 (signal 1) and L5 (signal 8) sets of GPS, then L1 of Galileo.
    s.Run("GPGSV,1,1,02,05,40,100,30,07,20,200,41,1");
    s.Run("GPGSV,1,1,02,05,40,100,45,09,10,300,22,8");
    s.Run("GAGSV,1,1,01,05,60,050,38,7");
    const auto sky = s.Sky();
    ASSERT_EQ(sky.size(), 4u);
    EXPECT_EQ(sky[0].Prn, 5);
    EXPECT_EQ(sky[0].Snr, 45);
    EXPECT_EQ(sky[1].Prn, 7);
    EXPECT_EQ(sky[2].Prn, 9);
    EXPECT_EQ(sky[3].System, Constellation::Galileo);
    EXPECT_EQ(sky[3].Prn, 5);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 3);
    // A satellite without position is in view but not placed.
    s.Run("GLGSV,1,1,01,70,,,25,1");
    const auto more = s.Sky();
    EXPECT_EQ(more[3].System, Constellation::Glonass);
    EXPECT_FALSE(more[3].Placed);
    EXPECT_EQ(more[3].Snr, 25);
}

TEST(SkySets, EachSignalOfASatelliteIsVisitedWithItsName) {
    Store s;
    s.Run("GPGSV,1,1,02,05,40,100,30,07,20,200,41,1");
    s.Run("GPGSV,1,1,01,05,40,100,45,8");
    s.Run("GBGSV,1,1,01,21,60,050,38,B");
    s.Run("GLGSV,1,1,01,70,,,25");
    std::vector<std::string> seen;
    s.store.Sky.ForEachSignal([&](const SkySatellite& sat, int32_t signal) {
        seen.push_back(std::string(1, ConstellationLetter(sat.System)) + std::to_string(sat.Prn) +
                       " " + SignalName(sat.System, signal) + " " + std::to_string(sat.Snr));
    });
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"C21 B2I 38", "G5 L1 C/A 30", "G5 L5-Q 45",
                                              "G7 L1 C/A 41", "R70  25"}));
    EXPECT_EQ(SignalName(Constellation::Galileo, 7), "L1-BC");
    EXPECT_EQ(SignalName(Constellation::Sbas, 1), "L1 C/A");
    EXPECT_EQ(SignalName(Constellation::Glonass, 5), "signal 5");
    EXPECT_EQ(SignalName(Constellation::Unknown, 1), "signal 1");
}

// Every slot of the table can hold a set; with all of them shown a new
// signal has no room until a cycle lets the sets it did not renew go.
TEST(SkySets, EverySlotHoldsASetAndFreedSlotsAreTakenAgain) {
    Store s;
    const auto page = [](int signal) {
        char id[8];
        std::snprintf(id, sizeof id, "%X", signal);
        return "GPGSV,1,1,01,05,40,100,30," + std::string(id);
    };
    const auto signals = [&s] {
        std::vector<int32_t> seen;
        s.store.Sky.ForEachSignal(
            [&](const SkySatellite&, int32_t signal) { seen.push_back(signal); });
        std::sort(seen.begin(), seen.end());
        return seen;
    };
    s.Run("GPRMC,100000.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    for (int signal = 1; signal <= SkyMaxSets; ++signal) s.Run(page(signal));
    s.Run(page(SkyMaxSets + 1));  // no room
    std::vector<int32_t> all(SkyMaxSets);
    for (int i = 0; i < SkyMaxSets; ++i) all[static_cast<size_t>(i)] = i + 1;
    EXPECT_EQ(signals(), all);
    s.Run("GPRMC,100001.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    s.Run(page(1));
    s.Run("GPRMC,100002.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    s.Run(page(SkyMaxSets + 1));
    s.Run(page(SkyMaxSets + 2));
    EXPECT_EQ(signals(), (std::vector<int32_t>{1, SkyMaxSets + 1, SkyMaxSets + 2}));
}

TEST(SkySets, ASignalIdOnTheLastPageOnlyEndsTheSetWithout) {
    Store s;
    s.Run("GLGSV,2,1,05,74,20,192,42,70,38,115,42,73,64,151,49,88,15,341,27");
    EXPECT_TRUE(s.Run("GLGSV,2,2,05,71,79,011,23,8").Refresh);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GL), 5);
}

TEST(SkyCycles, ACycleReplacesWhatTheLastOneReported) {
    Store s;
    s.Run("GNRMC,100000.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    Feed(s, GsvSet("GP", 1, 6));
    Feed(s, GsvSet("GL", 65, 5));
    s.Run("GNRMC,100001.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    // Next cycle: GLONASS is no longer reported.
    Feed(s, GsvSet("GP", 1, 7));
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GL), 5);  // kept until the cycle is over
    s.Run("GNRMC,100002.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GL), 0);
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 7);
    EXPECT_FALSE(s.store.Sky.Extended());
    // A cycle without any GSV keeps the sky as it is.
    s.Run("GNRMC,100003.00,A,4807.038,N,01131.000,E,0.0,0.0,010124,,,A");
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 7);
}

// A receiver that reports its position by GLL alone: its time, in the fifth
// field, marks the cycles.
TEST(SkyCycles, GllTimesMarkTheCyclesOfAGllOnlyReceiver) {
    Store s;
    s.Run("GNGLL,4807.038,N,01131.000,E,100000.00,A,A");
    Feed(s, GsvSet("GP", 1, 6));
    Feed(s, GsvSet("GL", 65, 5));
    s.Run("GNGLL,4807.038,N,01131.000,E,100001.00,A,A");
    Feed(s, GsvSet("GP", 1, 7));
    s.Run("GNGLL,4807.038,N,01131.000,E,100002.00,A,A");
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GL), 0);
    EXPECT_EQ(s.store.Sky.Cycle(), 3u);
}

TEST(SkyUsed, SystemIdTalkerAndNumberTellWhichSystemUsesASatellite) {
    Store s;
    // NMEA 4.10 combined GSA with system ids: GPS (with an SBAS satellite), GLONASS, Galileo.
    s.Run("GNGSA,A,3,05,07,46,,,,,,,,,,1.5,0.9,1.2,1");
    s.Run("GNGSA,A,3,70,71,,,,,,,,,,,1.5,0.9,1.2,2");
    s.Run("GNGSA,A,3,05,11,,,,,,,,,,,1.5,0.9,1.2,3");
    // Older combined GSA without a system id: the numbers tell.
    s.Run("GNGSA,A,3,201,205,,,,,,,,,,,1.5,0.9,1.2");
    // A talker of its own.
    s.Run("GQGSA,A,3,02,,,,,,,,,,,,1.5,0.9,1.2");
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Gps, 5));
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Sbas, 46));
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Glonass, 70));
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Galileo, 5));
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Galileo, 11));
    EXPECT_FALSE(s.store.Sky.Used(Constellation::Gps, 11));
    EXPECT_TRUE(s.store.Sky.Used(Constellation::BeiDou, 205));
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Qzss, 2));
    const auto used = s.Used();
    ASSERT_EQ(used.size(), 10u);
    EXPECT_EQ(used[0].System, Constellation::Gps);
    EXPECT_EQ(used.back().System, Constellation::Qzss);
    // The GPS record's slots hold the GPS satellites alone; the texts show
    // every system's.
    const uint8_t gpsSlots[UsedPrnSlots] = {5, 7};
    EXPECT_TRUE(std::equal(std::begin(gpsSlots), std::end(gpsSlots),
                           std::begin(s.store.Gsa.Message.UsedPrn)));
    EXPECT_EQ(s.store.Display().UsedPrnText, "G5 G7 S46 R70 R71 E5 E11 C201 C205 J2 ");
    EXPECT_EQ(s.store.Display().SatsUsedText, "10");
    EXPECT_EQ(s.store.Display().FixModeText, "3D");
}

TEST(SkyUsed, AFloatWhereTheSystemIdBelongsFallsBackToTheTalker) {
    Store s;
    s.Run("BDGSA,A,3,201,202,,,,,,,,,,,1.5,0.9,1.2,1.3");
    EXPECT_TRUE(s.store.Sky.Used(Constellation::BeiDou, 201));
}

TEST(GpsOnly, AGpsReceiverNeverEntersTheExtendedTable) {
    Store s;
    Feed(s, GsvSet("GP", 1, 12));
    s.Run("GPGSA,A,3,01,02,03,,,,,,,,,,1.5,0.9,1.2");
    EXPECT_FALSE(s.store.Sky.Extended());
    // A GPS set of five pages does not fit the GPS table: the extended
    // table shows it, refreshed once the set is complete.
    const auto refreshes = Feed(s, GsvSet("GP", 1, 18));
    EXPECT_EQ(refreshes, (std::vector<bool>{false, false, false, false, true}));
    EXPECT_EQ(s.store.Sky.InViewOf(Talker::GP), 18);
    EXPECT_TRUE(s.store.Sky.Extended());
}

// One solution per system: the GPS and combined solutions fill the records
// while they come, and the combined one wins within a receiver cycle.
TEST(SolutionTalkers, OnlyGpsAndCombinedSolutionsFillTheRecords) {
    Store s;
    s.Run("GPRMC,021032.000,A,4404.1356,N,12118.8555,W,0.0,0.0,050219,,,A");
    s.Run("GPGGA,021033.000,4404.1356,N,12118.8555,W,1,10,0.6,1124.7,M,-19.6,M,,0000");
    const DispatchResult other =
        s.Run("GLGGA,021033.000,4404.1356,N,12118.8555,W,1,06,0.6,1124.7,M,-19.6,M,,0000");
    EXPECT_TRUE(other.Valid);
    EXPECT_FALSE(other.Refresh);
    EXPECT_EQ(s.store.Gga.Message.Spc.SatsUsed, 10);
    EXPECT_EQ(s.store.Display().SatsUsedText, "10");
    s.Run("GARMC,021033.000,V,,,,,,,050219,,,N");
    EXPECT_EQ(s.store.Rmc.Message.Status, 1);  // untouched record
    EXPECT_EQ(s.store.Display().FixValidText, "Valid");

    s.Run("GNGGA,021034.000,4404.1000,N,12118.8555,W,1,16,0.6,1124.7,M,-19.6,M,,0000");
    s.Run("GPGGA,021034.000,4404.2000,N,12118.8555,W,1,10,0.6,1124.7,M,-19.6,M,,0000");
    EXPECT_EQ(s.store.Gga.Message.Spc.SatsUsed, 16);
    EXPECT_EQ(s.store.Gga.Message.Latitude, 4406833);
    // A new cycle: the GPS solution fills again, before the combined one.
    s.Run("GPGGA,021035.000,4404.2000,N,12118.8555,W,1,10,0.6,1124.7,M,-19.6,M,,0000");
    EXPECT_EQ(s.store.Gga.Message.Spc.SatsUsed, 10);
}

// A multi-system receiver's GSAs: the record's slots keep the GPS
// satellites, the texts count every system's, and a GSA of another system
// never puts its numbers in the GPS slots.
TEST(SolutionTalkers, GsaOfEverySystemOfTheCycle) {
    Store s;
    s.Run("GPGGA,115102.00,5002.457296,N,01958.828604,E,1,21,0.4,245.0,M,,M,,");
    s.Run("GPGSA,A,3,02,04,06,07,09,30,,,,,,,1.29,0.78,1.03");
    s.Run("GNGSA,A,3,02,04,06,07,09,30,,,,,,,1.29,0.78,1.03");
    s.Run("GNGSA,A,3,70,71,72,73,74,88,,,,,,,1.29,0.78,1.03");
    s.Run("BDGSA,A,3,02,03,,,,,,,,,,,1.29,0.78,1.03");
    const uint8_t gps[UsedPrnSlots] = {2, 4, 6, 7, 9, 30};
    EXPECT_TRUE(std::equal(std::begin(gps), std::end(gps), s.store.Gsa.Message.UsedPrn));
    EXPECT_EQ(s.store.Display().SatsUsedText, "14");
    EXPECT_EQ(s.store.Display().UsedPrnText, "G2 G4 G6 G7 G9 G30 R70 R71 R72 R73 R74 R88 C2 C3 ");
    EXPECT_EQ(s.store.Display().HdopText, "0.78");

    // A GSA without a fix: no satellite of any system is used.
    s.Run("GNGGA,,,,,,0,00,,,M,,M,,");
    s.Run("GNGSA,A,1,,,,,,,,,,,,,,,");
    EXPECT_EQ(s.store.Display().SatsUsedText, "0");
    EXPECT_TRUE(s.Used().empty());

    // The next cycle's GSAs list GLONASS only: no GPS satellite is shown as used.
    s.Run("GNGGA,115103.00,5002.457296,N,01958.828604,E,1,05,0.4,245.0,M,,M,,");
    s.Run("GNGSA,A,3,,,,,,,,,,,,,1.29,0.78,1.03");
    s.Run("GNGSA,A,3,70,71,72,73,74,,,,,,,,1.29,0.78,1.03");
    EXPECT_TRUE(std::all_of(std::begin(s.store.Gsa.Message.UsedPrn),
                            std::end(s.store.Gsa.Message.UsedPrn),
                            [](uint8_t p) { return p == 0; }));
}

// A talker other than GN and GP (a marine IN or EC, or a single system's)
// fills a record only while no GN or GP sentence of its type came in the
// last three seconds of receiver time; GN and GP take over again at once.
TEST(SolutionTalkers, OtherTalkersFillWhileNoGpsOrCombinedSentenceCame) {
    const std::string position = ",4404.1356,N,12118.8555,W,1,";
    const auto gga = [&](const std::string& talker, const std::string& time, int sats) {
        return talker + "GGA," + time + position + std::to_string(sats) + ",0.6,1124.7,M,,M,,";
    };
    struct Step {
        std::string Body;
        int SatsUsed;  // in the record after the sentence
    };
    const std::vector<std::vector<Step>> streams = {
        // Only IN: every sentence fills, from the first.
        {{gga("IN", "100000", 5), 5}, {gga("IN", "100001", 6), 6}},
        {{gga("EC", "100000", 5), 5}},
        // GP comes: IN waits until three seconds have passed without GP.
        {{gga("GP", "100000", 9), 9},
         {gga("IN", "100001", 5), 9},
         {gga("IN", "100002", 5), 9},
         {gga("IN", "100002.990", 5), 9},
         {gga("IN", "100003", 6), 6},
         {gga("GP", "100004", 8), 8},
         {gga("GL", "100004", 7), 8}},
        // Across midnight the clock runs on.
        {{gga("GN", "235959", 9), 9}, {gga("GA", "000001", 5), 9}, {gga("GA", "000002", 4), 4}},
        // A GN RMC does not hold back an IN GGA: the types are apart.
        {{"GNRMC,100000,A,4404.1356,N,12118.8555,W,0.0,0.0,050219,,,A", 0},
         {gga("IN", "100000", 5), 5}},
    };
    for (const auto& stream : streams) {
        Store s;
        for (const Step& step : stream) {
            EXPECT_TRUE(s.Run(step.Body).Valid) << step.Body;
            EXPECT_EQ(s.store.Gga.Message.Spc.SatsUsed, step.SatsUsed) << step.Body;
        }
    }
    // An IN receiver alone is shown whole: position, time and fix.
    Store s;
    s.Run(gga("IN", "100000", 5));
    s.Run("INRMC,100000,A,4404.1356,N,12118.8555,W,0.5,10.0,050219,,,A");
    s.Run("INGSA,A,3,01,02,03,04,05,,,,,,,,1.9,1.0,1.6");
    EXPECT_EQ(s.store.Display().FixValidText, "Valid");
    EXPECT_EQ(s.store.Display().GmtText, "GMT: 10:00:00");
    EXPECT_EQ(s.store.Display().FixModeText, "3D");
    EXPECT_EQ(s.store.Display().PdopText, "1.90");
    EXPECT_NE(s.store.Display().LatText, "--");
}

// Several GSAs of one system in one cycle (one per signal, as an ST Teseo
// sends them) are joined: the used list is every satellite once.
TEST(SkyUsed, GsasOfOneSystemInOneCycleAreJoined) {
    Store s;
    s.Run("GNGGA,135806.000,4723.00484,N,00045.88150,E,1,13,1.7,063.64,M,48.3,M,,");
    for (const char* gsa :
         {"GNGSA,A,3,27,08,07,,,,,,,,,,2.5,1.7,1.8,1", "GNGSA,A,3,24,16,25,,,,,,,,,,2.5,1.7,1.8,3",
          "GNGSA,A,3,44,34,25,11,19,23,38,,,,,,2.5,1.7,1.8,4",
          "GNGSA,A,3,27,08,,,,,,,,,,,2.5,1.7,1.8,1", "GNGSA,A,3,24,16,25,,,,,,,,,,2.5,1.7,1.8,3",
          "GNGSA,A,3,34,25,23,38,,,,,,,,,2.5,1.7,1.8,4"})
        s.Run(gsa);
    EXPECT_EQ(s.store.Display().SatsUsedText, "13");
    EXPECT_EQ(s.store.Display().UsedPrnText, "G27 G8 G7 E24 E16 E25 C44 C34 C25 C11 C19 C23 C38 ");
    const uint8_t gps[UsedPrnSlots] = {27, 8, 7};
    EXPECT_TRUE(std::equal(std::begin(gps), std::end(gps), s.store.Gsa.Message.UsedPrn));
    // The next cycle starts the lists again.
    s.Run("GNGGA,135807.000,4723.00484,N,00045.88150,E,1,13,1.7,063.64,M,48.3,M,,");
    s.Run("GNGSA,A,3,27,08,,,,,,,,,,,2.5,1.7,1.8,1");
    s.Run("GNGSA,A,3,34,25,,,,,,,,,,,2.5,1.7,1.8,4");
    s.Run("GNGSA,A,3,24,,,,,,,,,,,,2.5,1.7,1.8,3");
    EXPECT_EQ(s.store.Display().UsedPrnText, "G27 G8 E24 C34 C25 ");
    const uint8_t next[UsedPrnSlots] = {27, 8};
    EXPECT_TRUE(std::equal(std::begin(next), std::end(next), s.store.Gsa.Message.UsedPrn));
}

// An NMEA 2.x receiver lists its GLONASS and SBAS satellites in the GPGSA:
// each counts as used, with its system.
TEST(SkyUsed, OtherSystemsInAGpsGsaAreUsedWithTheirSystem) {
    Store s;
    s.Run("GPGGA,100000,4404.1356,N,12118.8555,W,1,12,0.6,1124.7,M,,M,,");
    s.Run("GPGSA,A,3,07,08,10,16,20,21,26,27,29,76,75,70,1.5,0.9,1.2");
    EXPECT_EQ(s.store.Display().SatsUsedText, "12");
    EXPECT_EQ(s.store.Display().UsedPrnText, "G7 G8 G10 G16 G20 G21 G26 G27 G29 R76 R75 R70 ");
    EXPECT_TRUE(s.store.Sky.Used(Constellation::Glonass, 76));
    // In view under GP, a GLONASS number is a GLONASS satellite.
    s.Run("GPGSV,1,1,02,76,45,100,40,07,30,200,35");
    const auto sky = s.Sky();
    ASSERT_EQ(sky.size(), 2u);
    EXPECT_EQ(sky[1].System, Constellation::Glonass);
    // SBAS beside GPS keeps a GPS receiver on the GPS table.
    Store sbas;
    sbas.Run("GPGSA,A,3,28,17,09,04,02,24,26,35,05,,,,2.20,1.13,1.89");
    EXPECT_FALSE(sbas.store.Sky.Extended());
    EXPECT_EQ(sbas.store.Display().SatsUsedText, "9");
}

// Without a GSA in the last three seconds, the fix mode is the GGA's (a fix
// with an altitude is 3D, without one 2D) or, without a GGA either, the RMC's.
TEST(FixMode, FromGgaOrRmcWhileNoGsaComes) {
    struct Case {
        std::vector<std::string> Bodies;
        const char* FixMode;
    };
    const std::string gga = "GPGGA,100000,4404.1356,N,12118.8555,W,";
    const std::vector<Case> cases = {
        {{gga + "1,05,0.6,1124.7,M,,M,,"}, "3D"},
        {{gga + "2,05,0.6,,M,,M,,"}, "2D"},
        {{"GPGGA,100000,,,,,0,00,,,M,,M,,"}, "NON Fix"},
        {{"GPRMC,100000,A,4404.1356,N,12118.8555,W,0.0,0.0,050219,,,A"}, "2D"},
        {{"GPRMC,100000,A,4404.1356,N,12118.8555,W,0.0,0.0,050219,,,N"}, "NON Fix"},
        {{"GPRMC,100000,V,,,,,,,050219,,"}, "NON Fix"},
        // A GGA of the same time wins over the RMC after it.
        {{gga + "1,05,0.6,1124.7,M,,M,,",
          "GPRMC,100000,A,4404.1356,N,12118.8555,W,0.0,0.0,050219,,,A"},
         "3D"},
        // A GSA tells it while it comes, and for three seconds after.
        {{"GPGSA,A,2,01,02,03,,,,,,,,,,1.5,0.9,1.2", gga + "1,05,0.6,1124.7,M,,M,,"}, "2D"},
        {{"GPGGA,100000,4404.1356,N,12118.8555,W,1,05,0.6,1124.7,M,,M,,",
          "GPGSA,A,2,01,02,03,,,,,,,,,,1.5,0.9,1.2",
          "GPGGA,100003,4404.1356,N,12118.8555,W,1,05,0.6,1124.7,M,,M,,"},
         "3D"},
    };
    for (const Case& c : cases) {
        Store s;
        for (const std::string& body : c.Bodies) s.Run(body);
        EXPECT_EQ(s.store.Display().FixModeText, c.FixMode) << c.Bodies.back();
    }
}

}  // namespace
