// One receiver cycle as the recording keeps it: time, fix, position, motion,
// dilutions of precision and every satellite in view.
#pragma once

#include <cstdint>
#include <vector>

#include "nmea/Constellation.h"
#include "nmea/RtkState.h"

struct EpochSatellite {
    Constellation System = Constellation::Unknown;
    uint16_t Prn = 0;
    uint8_t Snr = 0;       // dB-Hz; 0 = not tracked
    int8_t Elevation = 0;  // degrees, 0..90
    int16_t Azimuth = 0;   // degrees, 0..359
    bool Placed = false;   // elevation and azimuth reported
    bool Used = false;     // in the solution
};

enum class EpochFix : uint8_t { None = 0, NoFix = 1, Fix2D = 2, Fix3D = 3 };

struct Epoch {
    static constexpr uint32_t NoTime = 0xFFFFFFFFu;

    uint32_t HostMs = 0;      // when the cycle's first sentence came, by the host's clock
    uint32_t UtcMs = NoTime;  // milliseconds since midnight UTC
    uint32_t Date = 0;        // year * 65536 + month * 256 + day (two-digit year), 0 = none
    EpochFix Fix = EpochFix::None;
    uint8_t Quality = 0;  // GGA fix quality
    // The receiver's own word on its solution (RTK fixed, float, DGNSS ...)
    // and the age of its corrections in seconds (-1: not told; for an age
    // NAV-PVT gives as a range, its lower end).
    RtkFix Solution = RtkFix::Unknown;
    double CorrectionAge = -1;
    bool HasPosition = false;
    bool HasAltitude = false;
    double Latitude = 0;   // degrees
    double Longitude = 0;  // degrees
    // Decimals of a degree the receiver's position carries (its minutes'
    // decimals plus two, 10 kept at most); 0 when not known.
    uint8_t PositionDecimals = 0;
    double Altitude = 0;  // metres above mean sea level
    double SpeedMs = 0;   // metres per second
    double Course = 0;    // degrees true
    double Pdop = 0, Hdop = 0, Vdop = 0;
    double ReceiverTtff = -1;  // the receiver's own time to first fix, seconds (u-blox NAV-STATUS)
    int UsedCount = 0;
    int InViewCount = 0;
    std::vector<EpochSatellite> Satellites;

    bool HasFix() const {
        return HasPosition && (Fix == EpochFix::Fix2D || Fix == EpochFix::Fix3D);
    }
};
