// Builds RTCM 3 frames for tests, with a CRC-24Q computed bit by bit,
// independently of the framer's table.
#pragma once

#include <cstdint>
#include <string>

inline uint32_t BitwiseCrc24q(const std::string& bytes) {
    uint32_t crc = 0;
    for (const char byte : bytes) {
        crc ^= static_cast<uint32_t>(static_cast<uint8_t>(byte)) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if (crc & 0x1000000) crc ^= 0x1864CFB;
        }
    }
    return crc & 0xFFFFFF;
}

// A frame of message 'number' whose payload continues with 'rest'.
inline std::string RtcmBytes(uint16_t number, const std::string& rest) {
    std::string payload;
    payload += static_cast<char>(number >> 4);
    payload += static_cast<char>((number & 0x0F) << 4);
    payload += rest;
    std::string frame = "\xD3";
    frame += static_cast<char>(payload.size() >> 8);
    frame += static_cast<char>(payload.size() & 0xFF);
    frame += payload;
    const uint32_t crc = BitwiseCrc24q(frame);
    frame += static_cast<char>(crc >> 16);
    frame += static_cast<char>(crc >> 8);
    frame += static_cast<char>(crc);
    return frame;
}
