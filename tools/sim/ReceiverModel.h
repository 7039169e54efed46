// The receiver's navigation: where it is and moves, which satellites it sees
// and tracks, and when it has a 2D and a 3D fix after each start. Advanced one
// measurement epoch at a time; all randomness comes from its own generator,
// so the same seed and the same epochs give the same output.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sim/Dop.h"
#include "tools/sim/SimRandom.h"
#include "tools/sim/SkyModel.h"

enum class StartKind : uint8_t { Hot, Warm, Cold, Factory };
constexpr int StartKindCount = 4;
const char* StartKindName(StartKind kind);

enum class FixKind : uint8_t { None, Fix2D, Fix3D };
// The corrections' part of a fix (RtkModel.h): none, DGNSS, RTK float, RTK fixed.
enum class RtkSolution : uint8_t { None, Dgnss, Float, Fixed };

// Seconds from a start of each kind to the first 2D and the first 3D fix.
struct AcquisitionTimes {
    double Fix2dS = 1;
    double Fix3dS = 2;
};

struct ReceiverSettings {
    uint32_t Seed = 1;
    bool Multi = false;
    double LatDeg = 0, LonDeg = 0, AltM = 0;
    double SpeedKmh = 0, CourseDeg = 0;
    int64_t StartUnixMs = 0;
    StartKind FirstStart = StartKind::Hot;
    AcquisitionTimes Times[StartKindCount];  // indexed by StartKind
};

struct SatelliteView {
    Gnss System = Gnss::Gps;
    int Prn = 0;
    int Elevation = 0;  // degrees
    int Azimuth = 0;    // degrees
    int Snr = -1;       // dB-Hz, -1 when not tracked
    bool Used = false;  // in the fix
};

struct EpochState {
    int64_t Index = 0;
    int64_t UnixMs = 0;
    bool TimeKnown = true;  // false after a cold start until the first satellite is tracked
    FixKind Fix = FixKind::None;
    RtkSolution Rtk = RtkSolution::None;
    double CorrectionAgeS = -1;  // seconds since the last correction; -1 without
    double LatDeg = 0, LonDeg = 0, AltM = 0, GeoidM = 0;
    double SpeedKmh = 0, CourseDeg = 0;
    DopValues Dop;
    std::vector<SatelliteView> Satellites;  // in view, by constellation then PRN
    int UsedCount = 0;
    int64_t SinceRestartMs = 0;
    int64_t TtffMs = 0;    // restart to the first fix; 0 while there is none
    bool Jammed = false;   // a jammer lowers every C/N0 (Interference.h)
    bool Spoofed = false;  // a spoofer has moved the position
};

class ReceiverModel {
  public:
    static constexpr int MaxSatellitesPerSystem = 16;  // a GSV set of four pages
    static constexpr int MaxUsedPerSystem = 12;        // the PRN slots of one GSA

    explicit ReceiverModel(const ReceiverSettings& settings);

    // Starts acquisition over from the epoch at simulated time `simMs`.
    void Restart(StartKind kind, int64_t simMs);
    // The epoch at simulated time `simMs` (milliseconds since the simulator
    // started); epochs must come in increasing time.
    EpochState Advance(int64_t simMs);

  private:
    void Move(double seconds);
    void Track(EpochState& epoch, int64_t sinceRestartMs);
    void DecideFix(EpochState& epoch, int64_t sinceRestartMs) const;
    void Report(EpochState& epoch);

    ReceiverSettings FSettings;
    SimRandom FRandom;
    SkyModel FSky;
    double FLat, FLon;  // true position
    double FNoiseNorthM = 0, FNoiseEastM = 0, FNoiseUpM = 0;
    int64_t FLastMs = 0;
    int64_t FEpochIndex = 0;
    StartKind FStart;
    int64_t FFirstFixMs = -1;
    int64_t FRestartMs = 0;
    bool FTimeKnown = true;
    std::vector<int64_t> FAcquiredAfterMs;  // per orbit, since the restart
};
