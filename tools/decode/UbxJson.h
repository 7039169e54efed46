// JSON renderings of UBX frames and of the store's UBX part, for
// lumarokub-decode.
#pragma once

#include <nlohmann/json.hpp>

#include "framing/Framing.h"
#include "nmea/NmeaManager.h"
#include "intake/UbxIntake.h"

// {"ubx": "NAV-PVT", "class": 1, "id": 7, "valid": true, ...the fields by name}
// for the frame just dispatched into the store, its keys in this order.
nlohmann::ordered_json UbxFrameJson(const UbxDispatchResult& result, const NMEA_Manager& store);

// The UBX state: frames counted by class and id, those dropped by the framer,
// the receiver's identity from MON-VER and the latest record of each message
// decoded.
nlohmann::json UbxStateJson(const UbxState& ubx, const framing::FramerState& framer);
