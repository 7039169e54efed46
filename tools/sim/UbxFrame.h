// UBX binary frames: sync B5 62, class, id, little-endian length, payload and
// the 8-bit Fletcher checksum over class, id, length and payload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t UbxSync1 = 0xB5;
constexpr uint8_t UbxSync2 = 0x62;
constexpr size_t UbxHeaderSize = 6;  // sync, class, id, length
constexpr size_t UbxOverhead = 8;    // header and checksum
constexpr uint8_t UbxClassAck = 0x05;
constexpr uint8_t UbxAckNak = 0x00;
constexpr uint8_t UbxAckAck = 0x01;
constexpr uint8_t UbxClassCfg = 0x06;
constexpr uint8_t UbxCfgMsg = 0x01;
constexpr uint8_t UbxCfgRst = 0x04;
constexpr uint8_t UbxCfgRate = 0x08;
constexpr uint8_t UbxClassMon = 0x0A;
constexpr uint8_t UbxMonVer = 0x04;
constexpr uint8_t UbxClassNmea = 0xF0;  // standard NMEA sentences in CFG-MSG

struct UbxMessage {
    uint8_t Class = 0;
    uint8_t Id = 0;
    std::vector<uint8_t> Payload;
};

// CK_A in the low byte, CK_B in the high byte, over the bytes given.
uint16_t UbxChecksum(const uint8_t* data, size_t size);

// The whole frame as bytes (no line end: a receiver sends none).
std::string BuildUbxFrame(uint8_t cls, uint8_t id, const std::vector<uint8_t>& payload);
std::string BuildUbxAck(bool ack, uint8_t cls, uint8_t id);

// Splits a byte string holding a whole frame back into its message; false
// when it is no complete frame with a correct checksum.
bool ParseUbxFrame(const std::string& bytes, UbxMessage& message);

uint16_t ReadU16(const std::vector<uint8_t>& payload, size_t offset);
