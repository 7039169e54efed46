// JSON renderings of RTCM 3 frames and of the store's RTCM state, for
// lumarokub-decode.
#pragma once

#include <nlohmann/json.hpp>

#include "framing/Framing.h"
#include "nmea/NmeaManager.h"

// {"rtcm": 1077, "length": 123, "valid": true, "name": "GPS MSM7", ...} for
// the frame just taken into the store, followed by what it told:
// a station its position, an MSM its system, satellites, signals and cells.
nlohmann::ordered_json RtcmFrameJson(const framing::RtcmFrameInfo& frame,
                                     const RtcmFrameResult& result, const NMEA_Manager& store);

// {"frames", "badCrcs", "other", "unknown", "proprietary", "malformed",
//  "counts": [{"rtcm", "name", "frames", "rate", "last"}], "station",
//  "descriptor", "satellites": {"GPS": [...]}, "ephemerides", "biases"}.
// Rates are frames per second of arrival time, "last" the seconds since the
// last frame at 'nowS' on the same clock; both null without arrival times
// (a file).
nlohmann::json RtcmStateJson(const NMEA_Manager& store, const framing::FramerState& framer,
                             double nowS);
