// A sentence refused for a field out of range changes nothing in the store:
// records, GPS slots, satellite table, used lists and counts, receiver
// cycle and clock, fix mode, position fields and display texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "NmeaTestUtil.h"
#include "nmea/Dispatch.h"
#include "nmea/SentenceTypes.h"

namespace {

// Everything a reader of the store can see, as one text.
std::string Digest(const NMEA_Manager& store) {
    std::ostringstream o;
    const auto bytes = [&](const void* p, size_t n) {
        // Records are compared member by member through their bytes; the
        // records hold no padding that a copy could leave different.
        const auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) o << int(b[i]) << ',';
        o << '|';
    };
    const NMEA_MESSAGE_GGA& g = store.Gga.Message;
    o << g.Time << ' ' << g.Latitude << ' ' << g.Longitude << ' ' << int(g.Spc.FixQuality) << ' '
      << int(g.Spc.SatsUsed) << ' ' << g.Spc.Hdop << ' ' << g.Spc.Altitude << ' '
      << g.Spc.GeoidSeparation << ' ' << g.Spc.DgpsAge << ' ' << g.Spc.DgpsStation << ' '
      << int(store.Gga.Checksum) << '\n';
    const NMEA_GLL_Object& l = store.Gll;
    o << l.Latitude << ' ' << l.Longitude << ' ' << l.Time << ' ' << int(l.Status) << ' '
      << int(l.Checksum) << '\n';
    const NMEA_MESSAGE_GSA& a = store.Gsa.Message;
    o << int(a.Mode) << ' ' << int(a.FixType) << ' ' << a.Pdop << ' ' << a.Hdop << ' ' << a.Vdop
      << ' ';
    bytes(a.UsedPrn, sizeof a.UsedPrn);
    o << '\n' << int(store.Gsv.InView) << ' ';
    for (const GsvSatellite& s : store.Gsv.Satellites)
        o << int(s.Prn) << '/' << int(s.Elevation) << '/' << s.Azimuth << '/' << int(s.Snr) << ' ';
    for (const GsvPage& p : store.Gsv.Pages)
        o << int(p.Complete) << int(p.Total) << int(p.Number) << int(p.InView) << ' ';
    const NMEA_MESSAGE_RMC& r = store.Rmc.Message;
    o << '\n'
      << r.Time << ' ' << int(r.Status) << ' ' << r.Latitude << ' ' << r.Longitude << ' ' << r.Speed
      << ' ' << r.Course << ' ' << r.Date << ' ' << r.MagVariation << ' ' << int(r.MagVariationDir)
      << '\n';
    const NMEA_VTG_Object& v = store.Vtg;
    o << v.TrueCourse << ' ' << v.MagCourse << ' ' << v.SpeedKnots << ' ' << v.SpeedKmh << '\n';

    std::vector<SkySatellite> sky(SkyMaxSatellites);
    sky.resize(store.Sky.Satellites(sky.data(), SkyMaxSatellites));
    for (const SkySatellite& s : sky)
        o << int(s.System) << ':' << s.Prn << '/' << int(s.Elevation) << '/' << s.Azimuth << '/'
          << int(s.Snr) << '/' << s.Placed << '/' << store.Sky.Used(s.System, s.Prn) << ' ';
    std::vector<UsedSatellite> used(SkyMaxUsed);
    used.resize(store.Sky.UsedSatellites(used.data(), SkyMaxUsed));
    o << "\nused " << store.Sky.UsedCount() << ':';
    for (const UsedSatellite& u : used) o << int(u.System) << ':' << u.Prn << ' ';
    o << "\ncycle " << store.Sky.Cycle() << " clock " << store.Sky.ReceiverMs() << " extended "
      << store.Sky.Extended() << " fix " << int(store.Talkers.FixType()) << '\n';
    const PositionText& p = store.Position;
    o << p.Time << ' ' << p.Latitude << p.North << ' ' << p.Longitude << p.East << ' ' << p.Altitude
      << '\n';

    const DataDisplay& d = store.Display();
    for (const std::string* text :
         {&d.FixModeText, &d.FixValidText, &d.HdopText, &d.VdopText, &d.PdopText, &d.UsedPrnText,
          &d.SatsUsedText, &d.DateText, &d.LocalTimeText, &d.GmtText, &d.LatText, &d.LonText,
          &d.SpeedText, &d.CourseText, &d.AltText})
        o << *text << '|';
    return o.str();
}

// A four-system receiver's cycle, then the start of the next cycle: its
// first GN GSA is still to come.
const std::vector<std::string> Cycles = {
    "GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A",
    "GNGGA,123519,4807.038,N,01131.000,E,1,12,0.9,545.4,M,46.9,M,,",
    "GNGSA,A,3,05,12,17,,,,,,,,,,2.0,1.0,1.7,1",
    "GNGSA,A,3,70,71,,,,,,,,,,,2.0,1.0,1.7,2",
    "GNGSA,A,3,03,11,,,,,,,,,,,2.0,1.0,1.7,3",
    "GPGSV,2,1,05,05,40,083,46,12,27,295,42,17,70,120,40,20,10,010,20",
    "GPGSV,2,2,05,25,15,200,",
    "GLGSV,1,1,02,70,45,100,38,71,20,250,30",
    "GAGSV,1,1,02,03,60,030,41,11,35,140,39",
    "GNVTG,084.4,T,087.5,M,022.4,N,041.5,K,A",
    "GNGLL,4807.038,N,01131.000,E,123519,A,A",
    "GNZDA,123519,23,03,1994,00,00",
    "GNRMC,123520,A,4807.040,N,01131.002,E,022.4,084.4,230394,003.1,W,A",
    "GNGGA,123520,4807.040,N,01131.002,E,1,12,0.9,545.6,M,46.9,M,,",
    // Pages 1 of sets whose pages 2 are still to come.
    "GPGSV,2,1,05,05,41,083,46,12,27,295,42,17,70,120,40,20,10,010,20",
    "GLGSV,2,1,05,70,45,100,38,71,20,250,30,72,15,050,28,73,50,180,33",
};

TEST(RefusedSentence, ChangesNothingInTheStore) {
    struct Case {
        const char* Why;
        std::string Body;
    };
    // Each holds one field out of range, and would otherwise change the
    // store: most carry the next second's time.
    const std::vector<Case> cases = {
        {"GGA latitude", "GNGGA,123521,9100.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"},
        {"GGA longitude", "GNGGA,123521,4807.038,N,18100.000,E,1,08,0.9,545.4,M,46.9,M,,"},
        {"GGA hour", "GNGGA,243521,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"},
        {"GGA HDOP", "GNGGA,123521,4807.038,N,01131.000,E,1,08,-0.9,545.4,M,46.9,M,,"},
        {"GGA fix without position", "GNGGA,123521,,,,,1,08,0.9,545.4,M,46.9,M,,"},
        {"GP GGA latitude", "GPGGA,123521,9100.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"},
        {"IN GGA minute", "INGGA,126021,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"},
        {"GLL latitude", "GNGLL,9100.000,N,01131.000,E,123521,A,A"},
        {"GLL valid without position", "GNGLL,,,,,123521,A,A"},
        {"GLL seconds", "GNGLL,4807.038,N,01131.000,E,123561,A,A"},
        {"RMC day", "GNRMC,123521,A,4807.038,N,01131.000,E,022.4,084.4,320394,003.1,W,A"},
        {"RMC month", "GNRMC,123521,A,4807.038,N,01131.000,E,022.4,084.4,231394,003.1,W,A"},
        {"RMC longitude", "GNRMC,123521,A,4807.038,N,18100.000,E,022.4,084.4,230394,003.1,W,A"},
        {"GN GSA PDOP", "GNGSA,A,3,05,07,,,,,,,,,,,-2.0,1.0,1.7,1"},
        {"GN GSA of GLONASS VDOP", "GNGSA,A,3,70,,,,,,,,,,,,2.0,1.0,-1.7,2"},
        {"GN GSA without system id", "GNGSA,A,3,05,07,,,,,,,,,,,2.0,-1.0,1.7"},
        {"GN GSA without a fix", "GNGSA,A,1,,,,,,,,,,,,,-1.0,99.0,99.0"},
        {"GP GSA HDOP", "GPGSA,A,3,05,12,,,,,,,,,,,2.0,-1.0,1.7"},
        {"GL GSA PDOP", "GLGSA,A,3,70,71,,,,,,,,,,,-2.0,1.0,1.7"},
        {"GP GSV elevation", "GPGSV,2,2,05,25,91,200,30"},
        {"GP GSV new set azimuth", "GPGSV,1,1,02,05,40,360,46,12,27,295,42"},
        {"GL GSV SNR", "GLGSV,1,1,02,70,45,100,71,71,20,250,30"},
        {"GL GSV page 2 SNR", "GLGSV,2,2,05,74,10,300,71"},
        {"GA GSV elevation", "GAGSV,1,1,02,03,-1,030,41,11,35,140,39"},
        {"ZDA hour", "GNZDA,253521,23,03,1994,00,00"},
        {"ZDA day", "GNZDA,123521,32,03,1994,00,00"},
        {"ZDA month", "GNZDA,123521,23,13,1994,00,00"},
    };
    for (const Case& c : cases) {
        NMEA_Manager store;
        for (const std::string& body : Cycles)
            ASSERT_TRUE(DispatchSentence(Sentence(body), store, nullptr).Valid) << body;
        const std::string before = Digest(store);
        const DispatchResult result = DispatchSentence(Sentence(c.Body), store, nullptr);
        EXPECT_TRUE(result.Valid) << c.Why;  // sound, and counted so
        EXPECT_FALSE(result.Refresh) << c.Why;
        EXPECT_EQ(Digest(store), before) << c.Why;
        // The pages 2 still continue the sets the refused sentence left alone.
        DispatchSentence(Sentence("GPGSV,2,2,05,25,15,200,"), store, nullptr);
        DispatchSentence(Sentence("GLGSV,2,2,05,74,10,300,25"), store, nullptr);
        EXPECT_EQ(store.Gsv.Satellites[4].Prn, 25) << c.Why;
        EXPECT_EQ(store.Sky.InViewOf(Talker::GL), 5) << c.Why;
    }
}

// The same sentences with their fields in range do change the store: the
// digest sees what the refused ones would have changed.
TEST(RefusedSentence, TheSameSentencesInRangeChangeTheStore) {
    const std::vector<std::string> sound = {
        "GNGGA,123521,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
        "GNGSA,A,3,05,07,,,,,,,,,,,2.0,1.0,1.7,1",
        "GLGSA,A,3,70,71,,,,,,,,,,,2.0,1.0,1.7",
        "GLGSV,1,1,02,70,45,100,70,71,20,250,30",
        "GNZDA,123521,23,03,1994,00,00",
    };
    for (const std::string& body : sound) {
        NMEA_Manager store;
        for (const std::string& b : Cycles) DispatchSentence(Sentence(b), store, nullptr);
        const std::string before = Digest(store);
        DispatchSentence(Sentence(body), store, nullptr);
        EXPECT_NE(Digest(store), before) << body;
    }
}

// A lost-fix GGA with empty position fields but hemisphere letters keeps
// the stored position as it was, sign included.
TEST(RefusedSentence, EmptyPositionWithHemisphereLettersKeepsTheSign) {
    NMEA_Manager store;
    DispatchSentence("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r", store,
                     nullptr);
    const DispatchResult lost =
        DispatchSentence("$GPGGA,123520,,S,,W,0,00,,,M,,M,,*65\r", store, nullptr);
    EXPECT_TRUE(lost.Valid);
    EXPECT_EQ(store.Gga.Message.Latitude, 4811730);
    EXPECT_EQ(store.Gga.Message.Longitude, 1151666);
    EXPECT_EQ(store.Gga.Message.Spc.FixQuality, 0);
    EXPECT_EQ(store.Display().LatText, "--");
}

// A GN GSA refused for a negative DOP leaves the GPS slots of the GP GSA:
// the clearing of the first GN GSA of a cycle belongs to a sound one.
TEST(RefusedSentence, RefusedCombinedGsaKeepsTheGpsSlots) {
    NMEA_Manager store;
    for (const char* s : {"$GPGSA,A,3,05,12,,,,,,,,,,,2.0,1.0,1.7*31\r",
                          "$GPGGA,123520,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4D\r",
                          "$GNGSA,A,3,05,07,,,,,,,,,,,-2.0,1.0,1.7*06\r"})
        EXPECT_TRUE(DispatchSentence(s, store, nullptr).Valid) << s;
    const uint8_t slots[UsedPrnSlots] = {5, 12};
    EXPECT_TRUE(std::equal(std::begin(slots), std::end(slots), store.Gsa.Message.UsedPrn));
    EXPECT_EQ(store.Display().UsedPrnText, "5 12 ");
    // The next sound GN GSA of the cycle is its first: it clears them.
    DispatchSentence(Sentence("GNGSA,A,3,70,71,,,,,,,,,,,2.0,1.0,1.7,2"), store, nullptr);
    EXPECT_EQ(store.Gsa.Message.UsedPrn[0], 0);
}

}  // namespace
