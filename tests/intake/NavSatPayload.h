// A NAV-SAT payload of the satellites given, for the tests that build one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NavSat {
    uint8_t Gnss, Sv, Cno;
    int8_t Elevation;  // -91: unknown
    int16_t Azimuth;
    bool Used;
};

inline std::string NavSatPayload(const std::vector<NavSat>& satellites) {
    std::string payload(8, '\0');
    payload[5] = static_cast<char>(satellites.size());
    for (const NavSat& s : satellites) {
        std::string block(12, '\0');
        block[0] = static_cast<char>(s.Gnss);
        block[1] = static_cast<char>(s.Sv);
        block[2] = static_cast<char>(s.Cno);
        block[3] = static_cast<char>(s.Elevation);
        block[4] = static_cast<char>(s.Azimuth & 0xFF);
        block[5] = static_cast<char>(s.Azimuth >> 8);
        block[8] = static_cast<char>(s.Used ? 0x0F : 0x03);  // quality, used, health known
        payload += block;
    }
    return payload;
}
