// The intake of one framed UBX frame into the store: counted, decoded into
// the store's UBX part, and written into the receiver model (UbxModel.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "nmea/NmeaManager.h"
#include "ubx/UbxMessages.h"

struct UbxDispatchResult : UbxDecodeResult {
    bool Refresh = false;  // the views should be refreshed
};

// Counts one whole frame (sync to checksum) and decodes it into the store.
// The caller holds the store's lock.
UbxDispatchResult DispatchUbx(const uint8_t* frame, size_t size, NMEA_Manager& store);

// The console line of the frame just dispatched (UbxConsoleLine of ubx/).
void UbxConsoleLine(const UbxDispatchResult& result, const NMEA_Manager& store, std::string& line);
