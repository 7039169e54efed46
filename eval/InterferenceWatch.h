// The interference watch: at the end of each receiver cycle it looks at the
// epoch and at what the receiver tells of its health, and raises an alarm
// when the signs of jamming or spoofing appear. It works for every receiver:
// the C/N0, position and time rules need only NMEA; the jamming indicator and
// the spoofing flag need a u-blox receiver that sends them.
//
// An alarm is raised once when its rule starts to hold, and again only after
// the rule has stopped holding for a cycle.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "eval/Epoch.h"
#include "ubx/UbxHealth.h"

enum class AlarmKind : uint8_t {
    Jamming,   // the jamming indicator passed its threshold
    CnoDrop,   // most tracked satellites lost C/N0 within the window
    Spoofing,  // the receiver reports spoofing
    PositionJump,
    TimeJump,
    EqualCno,  // every satellite shows the same C/N0: a spoofer's signature
};
constexpr int AlarmKindCount = 6;

const char* AlarmKindName(AlarmKind kind);  // "jamming", "cno-drop", ...

struct WatchThresholds {
    int JamIndicator = 100;      // MON-RF/MON-HW jamInd, 0..255: at or above alarms
    double CnoDropDb = 6;        // a satellite's C/N0 fell by more than this ...
    double CnoDropWindowS = 5;   // ... from its best within this time
    double PositionJumpM = 50;   // beyond what the receiver's own speed explains
    double TimeJumpS = 1;        // receiver time against the host clock
    double EqualCnoDb = 1;       // every satellite within this of each other
    int MinSatellites = 4;       // the C/N0 drop rule needs this many tracked
    int EqualCnoSatellites = 6;  // the equal C/N0 rule needs this many tracked
};

struct WatchEvent {
    uint32_t HostMs = 0;
    uint32_t UtcMs = Epoch::NoTime;
    AlarmKind Kind = AlarmKind::Jamming;
    double Value = 0;  // what was measured (indicator, satellites dropped, metres, seconds, dB)
    double Limit = 0;  // the threshold or count it was measured against
    std::string Text;  // one line for the console and the events table
};

class InterferenceWatch {
  public:
    explicit InterferenceWatch(WatchThresholds thresholds = {}) : FLimits(thresholds) {}

    void SetThresholds(const WatchThresholds& thresholds) { FLimits = thresholds; }
    const WatchThresholds& Thresholds() const { return FLimits; }

    // Checks one finished cycle; returns how many alarms it raised (the
    // newest at the end of Events()).
    int Check(const Epoch& epoch, const ReceiverHealth& health);

    const std::vector<WatchEvent>& Events() const { return FEvents; }
    void Clear();

  private:
    struct Seen {
        double TimeS;
        std::vector<std::pair<uint32_t, uint8_t>> Cno;  // satellite key, C/N0
    };

    bool JammingHolds(const ReceiverHealth& health, double& value) const;
    bool CnoDropHolds(const Epoch& epoch, double timeS, double& value, double& limit);
    bool PositionJumpHolds(const Epoch& epoch, double& value) const;
    bool TimeJumpHolds(const Epoch& epoch, double& value) const;
    bool EqualCnoHolds(const Epoch& epoch, double& value) const;
    int Raise(AlarmKind kind, bool holds, const Epoch& epoch, double value, double limit);

    WatchThresholds FLimits;
    std::vector<WatchEvent> FEvents;
    bool FHolding[AlarmKindCount] = {};
    std::deque<Seen> FRecent;  // the satellites' C/N0 over the drop window
    bool FHavePrevious = false;
    Epoch FPrevious;
};

// The epoch's time in seconds for the watch's windows: its UTC time when it
// has one, else its host time.
double WatchTimeS(const Epoch& epoch);
