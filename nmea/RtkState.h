// The receiver's own word on its solution, whichever way it says it: GGA's
// fix quality and age of differential data, the mode indicators of RMC and
// GNS, NAV-PVT's fix type, diffSoln and carrSoln with its correction age.
// The latest of them stands; the position panel, the status bar, the
// recording and lumarokub-decode all read this one state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ubx/UbxRecords.h"

// Ordered from the weakest to the strongest solution.
enum class RtkFix : uint8_t { Unknown, NoFix, DeadReckoning, Fix2D, Fix3D, Dgnss, Float, Fixed };

// The age of the corrections the solution uses, in seconds: exact when
// From == To, a range when the receiver gives one (NAV-PVT), unknown when
// From is negative.
struct CorrectionAge {
    double From = -1;
    double To = -1;
    bool Known() const { return From >= 0; }
};

struct RtkState {
    RtkFix Fix = RtkFix::Unknown;
    CorrectionAge Age;
    int Station = -1;  // the reference station of GGA, -1 when not given
    // A GGA has come: its quality and age are the receiver's fullest word,
    // and the mode indicators (NMEA 2.3 receivers say D in RTK) are then
    // not read.
    bool GgaSeen = false;
    // A differential solution (DGNSS, RTK float or fixed) has been reported.
    bool DifferentialSeen = false;

    // GGA: quality 0 no fix, 2 DGNSS, 4 RTK fixed, 5 RTK float, 6 dead
    // reckoning, others a plain fix (3D with an altitude); the age and
    // station fields as written (empty: not given).
    void FromGga(int quality, bool altitudeGiven, std::string_view age, std::string_view station);
    // RMC's or GNS's mode indicator (GNS: one letter per system, the best
    // counts). A plain fix keeps the dimension known before. Ignored once a
    // GGA has come.
    void FromModes(std::string_view modes);
    // NAV-PVT.
    void FromPvt(const UbxPvtRecord& pvt);
};

// "RTK fixed", "RTK float", "DGNSS", "3D", "2D", "DR", "no fix", "" (unknown).
const char* RtkFixText(RtkFix fix);
// The fix of one mode indicator letter (A, D, E, F, M, N, P, R, S).
RtkFix FixOfModeLetter(char letter);
// The fix with its age when known: "RTK fixed, age 1.0 s", "RTK float, age 1-2 s", "3D".
std::string RtkStateText(const RtkState& state);
// True for the fixes that use corrections.
inline bool IsDifferential(RtkFix fix) {
    return fix == RtkFix::Dgnss || fix == RtkFix::Float || fix == RtkFix::Fixed;
}
