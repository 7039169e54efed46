// Decodes a recorded NMEA capture into a store through the monitor's own
// framing and dispatch: the demo and screenshot mode of the monitor and the
// fill of the refresh benchmark.
#pragma once

#include <string>
#include <vector>

#include "nmea/NmeaManager.h"

struct ReplayResult {
    bool Opened = false;
    // Every framed sentence, CR included, and the console line of every UBX
    // frame, in order.
    std::vector<std::string> Sentences;
};

// Takes every record of the file into the store through the intake (UBX
// and RTCM 3 frames and the bytes counted as the reader counts them).
ReplayResult ReplayCapture(const std::string& path, NMEA_Manager& store);
