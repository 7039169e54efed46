// Cross-checks decoded values against the expected outputs that came with
// the captures (another decoder's reading): every report that carries a time,
// a position and an altitude agrees with the GGA and RMC of that second as
// this decoder stores them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

#include "DecodeRunner.h"
#include "framing/Framing.h"
#include "nmea/Dispatch.h"
#include "nmea/SentenceTypes.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path CorpusDir = LUMAROKUB_CORPUS_DIR;

struct Epoch {
    NMEA_GGA_Object Gga;
    NMEA_RMC_Object Rmc;
    bool HaveGga = false;
    bool HaveRmc = false;
};

// Packed time without the date: "hh:mm:ss" as hh * 10000 + mm * 100 + ss.
int Hms(uint32_t packed) {
    return int(packed >> 24) * 10000 + int((packed >> 16) & 0xFF) * 100 +
           int(packed & 0xFFFF) / 1000;
}

// Decodes the capture and keeps the first GGA and RMC records of each second.
std::map<int, Epoch> DecodeEpochs(const fs::path& log) {
    std::ifstream in(log, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    MemoryByteSource source(bytes.data(), bytes.size());
    NMEA_Manager store;
    std::map<int, Epoch> epochs;
    char buffer[SentenceBufferSize];
    while (!source.AtEnd()) {
        const uint16_t n = FrameSentence(source, buffer, [] { return false; });
        if (n == 0) continue;
        const DispatchResult r = DispatchSentence(SentenceText(buffer, n), store, nullptr);
        if (!r.Valid) continue;
        if (r.Type == SentenceTypeGGA) {
            Epoch& e = epochs[Hms(store.Gga.Message.Time)];
            if (e.HaveGga) continue;  // the time is kept in whole seconds: first of the second
            e.Gga = store.Gga;
            e.HaveGga = true;
        } else if (r.Type == SentenceTypeRMC) {
            Epoch& e = epochs[Hms(store.Rmc.Message.Time)];
            if (e.HaveRmc) continue;
            e.Rmc = store.Rmc;
            e.HaveRmc = true;
        }
    }
    return epochs;
}

class ExpectedOutputs : public ::testing::TestWithParam<const char*> {};

TEST_P(ExpectedOutputs, PositionsTimesAndAltitudesAgree) {
    const std::string name = GetParam();
    const std::map<int, Epoch> epochs = DecodeEpochs(CorpusDir / name);
    std::ifstream chk(CorpusDir / "expected" / (name + ".chk"));
    std::string line;
    int compared = 0;
    while (std::getline(chk, line)) {
        if (line.rfind("{\"class\":\"TPV\"", 0) != 0) continue;
        const json tpv = json::parse(line);
        if (!tpv.contains("time") || !tpv.contains("lat")) continue;
        const std::string time = tpv.at("time");         // 2015-04-13T20:26:40.000Z
        if (time.compare(19, 4, ".000") != 0) continue;  // sub-second epochs share a packed time
        const int hms = std::stoi(time.substr(11, 2)) * 10000 +
                        std::stoi(time.substr(14, 2)) * 100 + std::stoi(time.substr(17, 2));
        const auto found = epochs.find(hms);
        if (found == epochs.end()) continue;
        const Epoch& e = found->second;
        const double lat = tpv.at("lat"), lon = tpv.at("lon");
        // Degrees x 100000 truncated from single precision: within 3e-5 degrees.
        if (e.HaveRmc) {
            EXPECT_NEAR(e.Rmc.Message.Latitude / 1e5, lat, 3e-5) << name << " " << time;
            EXPECT_NEAR(e.Rmc.Message.Longitude / 1e5, lon, 3e-5) << name << " " << time;
            const uint32_t date = e.Rmc.Message.Date;
            EXPECT_EQ(int(date >> 16), std::stoi(time.substr(2, 2))) << name << " " << time;
            EXPECT_EQ(int((date >> 8) & 0xFF), std::stoi(time.substr(5, 2))) << name << " " << time;
            EXPECT_EQ(int(date & 0xFF), std::stoi(time.substr(8, 2))) << name << " " << time;
        }
        if (e.HaveGga) {
            EXPECT_NEAR(e.Gga.Message.Latitude / 1e5, lat, 3e-5) << name << " " << time;
            if (tpv.contains("altMSL")) {
                EXPECT_NEAR(e.Gga.Message.Spc.Altitude / 1e5, tpv.at("altMSL").get<double>(), 0.01)
                    << name << " " << time;
            }
        }
        ++compared;
    }
    EXPECT_GE(compared, 3) << name;
}

INSTANTIATE_TEST_SUITE_P(GpsOnlyReceivers, ExpectedOutputs,
                         ::testing::Values("mt3339.log", "bu353s4.log", "gr601-w.log",
                                           "ublox-lea-4h.log", "garmin15x.log", "quectel.log",
                                           "polarx2.log", "foretrex-201.log"),
                         FileParamName);

}  // namespace
