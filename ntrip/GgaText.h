// A GGA sentence built from a position, for casters that want the user's
// position (network and VRS mountpoints) from a receiver that sends none:
// quality 1, twelve satellites, HDOP 1.0, the checksum and CR LF.
#pragma once

#include <string>

struct GgaPosition {
    double Latitude = 0;   // degrees, north positive
    double Longitude = 0;  // degrees, east positive
    double HeightM = 0;    // above mean sea level
};

// `secondsOfDay`: the UTC time of the sentence.
std::string BuildGga(const GgaPosition& position, unsigned secondsOfDay);

// "LAT,LON,HEIGHT" in degrees and metres (north and east positive): false,
// with the reason, for anything else or a value off the earth.
bool ParseGgaPosition(const std::string& text, GgaPosition& position, std::string& error);
