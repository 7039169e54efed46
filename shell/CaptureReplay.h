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

// Dispatches every sentence of the file into the store, holding its lock.
ReplayResult ReplayCapture(const std::string& path, NMEA_Manager& store);
