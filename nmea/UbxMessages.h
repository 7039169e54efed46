// The one table of UBX messages (UbxMessages.cpp): name, the decoder and
// its fixed length, the fields by name, the one-line summary and what it
// tells the views of each;
// and the intake of one framed UBX frame into the store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "nmea/NmeaManager.h"
#include "nmea/UbxFields.h"

struct UbxMessageType {
    uint8_t Class;
    uint8_t Id;
    const char* Name;
    size_t MinLength;  // the fixed part the decoder reads
    void (*Decode)(const uint8_t* payload, size_t length, UbxState& ubx);  // null: named only
    void (*Fields)(const UbxState& ubx, UbxFieldSink& sink);
    void (*Summary)(const UbxState& ubx, std::string& line);
    // Tells the record to the views as NMEA would (UbxNmeaFeed.h); true to refresh.
    bool (*Feed)(NMEA_Manager& store);
};

// The table's entry of a class and id, or null.
const UbxMessageType* FindUbxMessage(uint8_t messageClass, uint8_t id);

// "NAV-PVT", or "0x01-0x32" for a message outside the table.
std::string UbxMessageName(uint8_t messageClass, uint8_t id);

struct UbxDispatchResult {
    const UbxMessageType* Type = nullptr;  // null for an unknown message
    uint8_t Class = 0;
    uint8_t Id = 0;
    bool Valid = false;    // checksum sound and, for a decoded message, long enough
    bool Decoded = false;  // its record in the store was filled
    bool Refresh = false;  // the views should be refreshed
};

// Counts one whole frame (sync to checksum) and decodes it into the store's
// UBX part. The caller holds the store's lock.
UbxDispatchResult DispatchUbx(const uint8_t* frame, size_t size, NMEA_Manager& store);

// "UBX NAV-PVT 3D 12 sv 48.11730 11.51666 545.4 m": one readable line of the
// frame just dispatched, for the console.
void UbxConsoleLine(const UbxDispatchResult& result, const NMEA_Manager& store, std::string& line);
