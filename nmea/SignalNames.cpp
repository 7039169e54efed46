#include "nmea/SignalNames.h"

#include <iterator>

namespace {

struct SystemSignals {
    Constellation System;
    const char* const* Names;  // by id, from 1
    int Count;
};

constexpr const char* GpsSignals[] = {"L1 C/A", "L1 P(Y)", "L1 M", "L2 P(Y)",
                                      "L2C-M",  "L2C-L",   "L5-I", "L5-Q"};
constexpr const char* GlonassSignals[] = {"G1 C/A", "G1 P", "G2 C/A", "G2 P"};
constexpr const char* GalileoSignals[] = {"E5a", "E5b", "E5 a+b", "E6-A", "E6-BC", "L1-A", "L1-BC"};
constexpr const char* BeiDouSignals[] = {"B1I",   "B1Q", "B1C", "B1A", "B2a", "B2b",
                                         "B2a+b", "B3I", "B3Q", "B3A", "B2I", "B2Q"};
constexpr const char* QzssSignals[] = {"L1 C/A", "L1C (D)", "L1C (P)", "LIS", "L2C-M",
                                       "L2C-L",  "L5-I",    "L5-Q",    "L6D", "L6E"};
constexpr const char* NavicSignals[] = {"L5 SPS", "S SPS", "L5 RS", "S RS", "L1 SPS"};

constexpr SystemSignals Table[] = {
    {Constellation::Gps, GpsSignals, static_cast<int>(std::size(GpsSignals))},
    {Constellation::Glonass, GlonassSignals, static_cast<int>(std::size(GlonassSignals))},
    {Constellation::Galileo, GalileoSignals, static_cast<int>(std::size(GalileoSignals))},
    {Constellation::BeiDou, BeiDouSignals, static_cast<int>(std::size(BeiDouSignals))},
    {Constellation::Qzss, QzssSignals, static_cast<int>(std::size(QzssSignals))},
    {Constellation::NavIC, NavicSignals, static_cast<int>(std::size(NavicSignals))},
};

}  // namespace

std::string SignalName(Constellation system, int32_t signalId) {
    if (signalId == 0) return "";
    // SBAS satellites broadcast on GPS L1 and are reported with GPS signal ids.
    if (system == Constellation::Sbas) system = Constellation::Gps;
    for (const SystemSignals& s : Table)
        if (s.System == system && signalId >= 1 && signalId <= s.Count)
            return s.Names[signalId - 1];
    return "signal " + std::to_string(signalId);
}
