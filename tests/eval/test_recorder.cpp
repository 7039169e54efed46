// The recording: packed epochs read back as recorded, the oldest dropped
// first at the limit, and a real capture recorded cycle by cycle with the
// receiver's own digits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "eval/EpochRecorder.h"
#include "eval/Export.h"
#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"

namespace {

Epoch Numbered(uint32_t i) {
    Epoch e;
    e.HostMs = i;
    return e;
}

TEST(EpochRecorder, AnEpochReadsBackAsRecorded) {
    EpochRecorder recorder(10, [] { return 0u; });
    Epoch e;
    e.HostMs = 1234;
    e.UtcMs = 86399999;
    e.Date = (26u << 16) | (12u << 8) | 9u;
    e.Fix = EpochFix::Fix3D;
    e.Quality = 4;
    e.Solution = RtkFix::Fixed;
    e.CorrectionAge = 1.2;
    e.HasPosition = e.HasAltitude = true;
    e.Latitude = -33.8567844;
    e.Longitude = 151.2152967;
    e.Altitude = 58.123;
    e.SpeedMs = 12.34;
    e.Course = 359.99;
    e.Pdop = 1.5, e.Hdop = 0.8, e.Vdop = 1.27;
    e.UsedCount = 21;
    e.InViewCount = 3;
    e.Satellites = {{Constellation::Gps, 32, 99, 90, 359, true, true},
                    {Constellation::Galileo, 36, 0, 0, 0, false, false},
                    {Constellation::BeiDou, 63, 41, 5, 180, true, false}};
    recorder.Record(e);
    const Epoch r = recorder.At(0);
    EXPECT_EQ(r.HostMs, e.HostMs);
    EXPECT_EQ(r.UtcMs, e.UtcMs);
    EXPECT_EQ(r.Date, e.Date);
    EXPECT_EQ(r.Fix, e.Fix);
    EXPECT_EQ(r.Quality, 4);
    EXPECT_EQ(r.Solution, RtkFix::Fixed);
    EXPECT_NEAR(r.CorrectionAge, 1.2, 1e-9);
    EXPECT_NEAR(r.Latitude, e.Latitude, 1e-7);
    EXPECT_NEAR(r.Longitude, e.Longitude, 1e-7);
    EXPECT_NEAR(r.Altitude, e.Altitude, 1e-3);
    EXPECT_NEAR(r.SpeedMs, e.SpeedMs, 0.01);
    EXPECT_NEAR(r.Course, e.Course, 0.01);
    EXPECT_NEAR(r.Vdop, 1.27, 0.005);
    EXPECT_EQ(r.UsedCount, 21);
    ASSERT_EQ(r.Satellites.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const EpochSatellite &a = r.Satellites[i], &b = e.Satellites[i];
        EXPECT_EQ(a.System, b.System) << i;
        EXPECT_EQ(a.Prn, b.Prn) << i;
        EXPECT_EQ(a.Snr, b.Snr) << i;
        EXPECT_EQ(a.Elevation, b.Elevation) << i;
        EXPECT_EQ(a.Azimuth, b.Azimuth) << i;
        EXPECT_EQ(a.Used, b.Used) << i;
        EXPECT_EQ(a.Placed, b.Placed) << i;
    }
}

TEST(EpochRecorder, TheOldestEpochsAreDroppedFirstAtTheLimit) {
    const size_t limit = EpochRecorder::ChunkEpochs + 904;  // across a chunk boundary
    EpochRecorder big(limit);
    for (uint32_t i = 0; i < 10000; ++i) big.Record(Numbered(i));
    EXPECT_EQ(big.Size(), limit);
    EXPECT_EQ(big.Dropped(), 10000 - limit);
    EXPECT_EQ(big.At(0).HostMs, 10000 - limit);
    EXPECT_EQ(big.At(limit - 1).HostMs, 9999u);
    uint32_t expected = 10000 - limit + 100, visited = 0;
    big.ForEach(100, 110, [&](const Epoch& e) { EXPECT_EQ(e.HostMs, expected + visited++); });
    EXPECT_EQ(visited, 10u);

    EpochRecorder small(3);
    for (uint32_t i = 0; i < 10; ++i) small.Record(Numbered(i));
    ASSERT_EQ(small.Size(), 3u);
    EXPECT_EQ(small.At(0).HostMs, 7u);
    EXPECT_EQ(small.At(2).HostMs, 9u);
    small.SetLimit(1);
    EXPECT_EQ(small.At(0).HostMs, 9u);
}

// ddmm.mmmm text to degrees, as the test reads a GGA by itself.
double Degrees(const std::string& text, const std::string& hemisphere) {
    const double v = std::stod(text);
    const double d = std::floor(v / 100) + (v - std::floor(v / 100) * 100) / 60;
    return hemisphere == "S" || hemisphere == "W" ? -d : d;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> f;
    std::stringstream s(line.substr(0, line.find('*')));
    for (std::string field; std::getline(s, field, ',');) f.push_back(field);
    return f;
}

// Records nmea-rtk.log (positions to eight decimals of a minute), with or
// without its RMC sentences, and checks each epoch's position against the
// GGA of the epoch's time as the test reads it.
void CheckCaptureDigits(bool withRmc) {
    std::ifstream file(std::string(LUMAROKUB_CORPUS_DIR) + "/nmea-rtk.log");
    ASSERT_TRUE(file);
    NMEA_Manager store;
    EpochRecorder recorder(EpochRecorder::DefaultLimit, [] { return 0u; });
    store.Epochs = &recorder;
    std::map<uint32_t, std::pair<double, double>> ggaByTime;
    for (std::string line; std::getline(file, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (line.empty() || line[0] != '$') continue;
        const auto f = Split(line);
        if (!withRmc && f[0].substr(3) == "RMC") continue;
        DispatchSentence(line, store, nullptr);
        const bool solution = f[0] == "$GPGGA" || f[0] == "$GNGGA";
        if (solution && f.size() > 9 && !f[2].empty() && f[6] != "0") {
            const double t = std::stod(f[1]);
            const double seconds =
                (std::floor(t / 10000) * 60 + std::fmod(std::floor(t / 100), 100)) * 60 +
                std::fmod(t, 100);
            ggaByTime[static_cast<uint32_t>(std::lround(seconds * 1000))] = {Degrees(f[2], f[3]),
                                                                             Degrees(f[4], f[5])};
        }
    }
    ASSERT_GT(recorder.Size(), 10u);
    size_t checked = 0;
    recorder.ForEach(0, recorder.Size(), [&](const Epoch& e) {
        if (!e.HasPosition) return;
        const auto it = ggaByTime.find(e.UtcMs);
        ASSERT_NE(it, ggaByTime.end()) << "epoch at " << e.UtcMs << " ms has no GGA of its time";
        EXPECT_NEAR(e.Latitude, it->second.first, 6e-11);
        EXPECT_NEAR(e.Longitude, it->second.second, 6e-11);
        EXPECT_EQ(e.PositionDecimals, 10);  // eight decimals of a minute
        ++checked;
    });
    EXPECT_GT(checked, 10u);
}

TEST(EpochRecorder, ACaptureIsRecordedCycleByCycleWithTheReceiversDigits) {
    CheckCaptureDigits(true);
    CheckCaptureDigits(false);
}

std::string Nmea(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    char star[8];
    std::snprintf(star, sizeof star, "*%02X\r", sum);
    return "$" + body + star;
}

// The CSV cells of one exported epoch.
std::vector<std::string> CsvRow(const Epoch& e) {
    std::ostringstream out;
    const std::vector<Epoch> one{e};
    ExportCsv(RangeOf(one), out);
    std::istringstream in(out.str());
    std::string line;
    std::getline(in, line);  // the header
    std::getline(in, line);
    std::vector<std::string> cells;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
    return cells;
}

// "S 20.6287983" as a signed number's text.
std::string Signed(const std::string& text) {
    return (text[0] == 'S' || text[0] == 'W' ? "-" : "") + text.substr(2);
}

// From the sentences through the recording to the export, a position keeps
// the digits the position panel shows; speed and course come from the
// receiver's digits, not from the records' tenths.
// The receiver's RTK state reaches the recording from the sentences, and
// a receiver without corrections records no age.
TEST(EpochRecorder, EpochsKeepTheReceiversSolutionAndAge) {
    const struct {
        const char* Gga;
        RtkFix Solution;
        double Age;
    } cases[] = {
        {"GPGGA,123519.00,4807.038,N,01131.000,E,5,12,0.6,545.4,M,46.9,M,2.4,0031", RtkFix::Float,
         2.4},
        {"GPGGA,123519.00,4807.038,N,01131.000,E,1,12,0.6,545.4,M,46.9,M,,", RtkFix::Fix3D, -1},
    };
    for (const auto& c : cases) {
        NMEA_Manager store;
        DispatchSentence(Nmea(c.Gga), store, nullptr);
        const Epoch e = EpochOfStore(store);
        EXPECT_EQ(e.Solution, c.Solution) << c.Gga;
        EXPECT_DOUBLE_EQ(e.CorrectionAge, c.Age) << c.Gga;
    }
}

TEST(EpochRecorder, ExportsCarryThePanelsDigits) {
    const struct {
        const char *Latitude, *Longitude;
        int Decimals;
    } cases[] = {
        {"2037.72790", "15111.12000", 7},
        {"2037.7279012", "15111.1200004", 9},
        {"2037.72790123", "00011.12000049", 10},
        {"0000.0000", "00000.0001", 6},
    };
    NMEA_Manager store;
    EpochRecorder recorder(10, [] { return 0u; });
    for (const auto& c : cases) {
        const std::string tail = std::string(c.Latitude) + ",S," + c.Longitude + ",W,";
        DispatchSentence(Nmea("GNGGA,023042.00," + tail + "4,12,0.6,12.3456,M,23.9,M,,"), store,
                         nullptr);
        DispatchSentence(Nmea("GNRMC,023042.00,A," + tail + "0.012,54.70,101226,,,R"), store,
                         nullptr);
        const Epoch taken = EpochOfStore(store);
        EXPECT_NEAR(taken.SpeedMs, 0.012 * 1852 / 3600, 1e-9);  // the record says 0.0 knots
        EXPECT_NEAR(taken.Course, 54.70, 1e-9);
        recorder.Record(taken);
        const Epoch e = recorder.At(recorder.Size() - 1);
        EXPECT_EQ(e.PositionDecimals, c.Decimals) << c.Latitude;
        const std::vector<std::string> cells = CsvRow(e);
        ASSERT_GE(cells.size(), 8u);
        EXPECT_EQ(cells[4], Signed(store.Display().LatText)) << c.Latitude;
        EXPECT_EQ(cells[5], Signed(store.Display().LonText)) << c.Longitude;
    }
}

TEST(EpochRecorder, EachEpochKeepsTheSatellitesOfItsCycle) {
    std::ifstream file(std::string(LUMAROKUB_CORPUS_DIR) + "/ublox-neo-m9n-nmea.log");
    ASSERT_TRUE(file);
    NMEA_Manager store;
    EpochRecorder recorder;
    store.Epochs = &recorder;
    for (std::string line; std::getline(file, line);) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '$') DispatchSentence(line, store, nullptr);
    }
    ASSERT_GT(recorder.Size(), 10u);
    int withSatellites = 0;
    recorder.ForEach(0, recorder.Size(), [&](const Epoch& e) {
        int used = 0;
        for (const EpochSatellite& s : e.Satellites) {
            EXPECT_GT(s.Prn, 0);
            used += s.Used;
        }
        EXPECT_EQ(e.InViewCount, static_cast<int>(e.Satellites.size()));
        EXPECT_LE(used, e.UsedCount);
        withSatellites += !e.Satellites.empty() && used > 0;
    });
    EXPECT_GT(withSatellites, 10);
}

}  // namespace
