// Builds UBX frames for tests, with the checksum written out independently
// of the framer's own.
#pragma once

#include <cstdint>
#include <string>

inline std::string UbxBytes(uint8_t messageClass, uint8_t id, const std::string& payload) {
    std::string frame = "\xB5\x62";
    frame += static_cast<char>(messageClass);
    frame += static_cast<char>(id);
    frame += static_cast<char>(payload.size() & 0xFF);
    frame += static_cast<char>(payload.size() >> 8);
    frame += payload;
    unsigned a = 0;
    unsigned b = 0;
    for (size_t i = 2; i < frame.size(); ++i) {
        a = (a + static_cast<uint8_t>(frame[i])) % 256;
        b = (b + a) % 256;
    }
    frame += static_cast<char>(a);
    frame += static_cast<char>(b);
    return frame;
}
