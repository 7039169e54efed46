// Everything that shapes one simulated receiver.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/sim/EpochSentences.h"
#include "tools/sim/FaultInjector.h"
#include "tools/sim/Interference.h"
#include "tools/sim/ReceiverModel.h"
#include "tools/sim/RtkModel.h"

// What the receiver sends each epoch: NMEA sentences, UBX frames (NAV-PVT,
// NAV-SAT, NAV-STATUS, NAV-DOP) or both.
enum class SimProtocol : uint8_t { Nmea, Ubx, Both };

struct SimOptions {
    unsigned long Baud = 9600;
    TalkerMode Talkers = TalkerMode::Gps;
    SimProtocol Protocol = SimProtocol::Nmea;
    // A UBX message the receiver refuses (ACK-NAK) whatever it holds, as
    // (class << 8) | id; 0: none.
    uint16_t RefusedUbx = 0;
    // The u-blox generation: 8 takes CFG-MSG and CFG-RATE, 9 keys as well,
    // 10 keys only (CFG-VALGET/VALSET/VALDEL).
    int Generation = 8;
    uint32_t Seed = 1;

    double LatDeg = 25.04776, LonDeg = 121.53185, AltM = 12.0;
    double SpeedKmh = 5.0, CourseDeg = 45.0;
    int64_t StartUnixMs = 0;  // UTC of the first epoch; 0 = the system clock at start
    StartKind FirstStart = StartKind::Hot;
    bool Zda = false;

    // Every simulated delay (acquisition, measurement period) is divided by
    // this; the content of the output stays as at real speed.
    double TimeScale = 1.0;
    AcquisitionTimes Times[StartKindCount] = {{0.5, 1}, {25, 30}, {30, 35}, {30, 35}};

    // --rtk FLOAT_S,FIXED_S: the receiver takes RTCM 3 corrections.
    RtkTimes Rtk;

    FaultSettings Faults;
    InterferenceSettings Interference;
    double HangupAfterS = 0;  // wall-clock seconds after start; 0 = never

    std::string ReplayFile;  // play this instead of synthesising
    double ReplayRate = 0;   // sentences per second; 0 = back to back at the baud rate
    bool Loop = false;

    std::string RecordFile;  // every byte sent
    std::string LinkPath;    // a symbolic link to the slave side
    // What was received, decoded, one line a call on the simulator's thread; may be empty.
    std::function<void(const std::string&)> Log;

    size_t SentLogLimit = 20000;  // items kept for Sent()
};
