// The one table of UBX messages (UbxMessages.cpp): name, the decoder and
// its fixed length, the fields by name and the one-line summary of each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ubx/UbxFields.h"
#include "ubx/UbxRecords.h"

struct UbxMessageType {
    uint8_t Class;
    uint8_t Id;
    const char* Name;
    size_t MinLength;  // the fixed part the decoder reads
    void (*Decode)(const uint8_t* payload, size_t length, UbxState& ubx);  // null: named only
    void (*Fields)(const UbxState& ubx, UbxFieldSink& sink);
    void (*Summary)(const UbxState& ubx, std::string& line);
};

// The table's entry of a class and id, or null.
const UbxMessageType* FindUbxMessage(uint8_t messageClass, uint8_t id);

// "NAV-PVT", or "0x01-0x32" for a message outside the table.
std::string UbxMessageName(uint8_t messageClass, uint8_t id);

struct UbxDecodeResult {
    const UbxMessageType* Type = nullptr;  // null for an unknown message
    uint8_t Class = 0;
    uint8_t Id = 0;
    bool Valid = false;    // checksum sound and, for a decoded message, long enough
    bool Decoded = false;  // its record was filled
};

// Counts one whole frame (sync to checksum) and decodes it into 'ubx'.
UbxDecodeResult DecodeUbxFrame(const uint8_t* frame, size_t size, UbxState& ubx);

// "UBX NAV-PVT 3D 12 sv 48.11730 11.51666 545.4 m": one readable line of the
// frame just decoded, for the console.
void UbxConsoleLine(const UbxDecodeResult& result, const UbxState& ubx, std::string& line);
