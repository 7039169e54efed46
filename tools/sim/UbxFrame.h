// The simulator's UBX messages: the classes and ids it answers or sends, and
// whole frames built and taken apart through the one encoder in framing/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framing/UbxFrame.h"

using framing::UbxHeaderSize;
using framing::UbxSync1;
using framing::UbxSync2;
constexpr size_t UbxOverhead = framing::UbxHeaderSize + framing::UbxChecksumSize;
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

// The whole frame as bytes (no line end: a receiver sends none).
std::string BuildUbxFrame(uint8_t cls, uint8_t id, const std::vector<uint8_t>& payload);
std::string BuildUbxAck(bool ack, uint8_t cls, uint8_t id);

// Splits a byte string holding a whole frame back into its message; false
// when it is no complete frame with a correct checksum.
bool ParseUbxFrame(const std::string& bytes, UbxMessage& message);

uint16_t ReadU16(const std::vector<uint8_t>& payload, size_t offset);
