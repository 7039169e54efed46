// JSON renderings of what the framer counted beside the sentences, for
// lumarokub-decode: each RTCM 3 frame as it comes, and at the end the bytes
// by class and the RTCM 3 frames by message number.
#pragma once

#include <nlohmann/json.hpp>

#include "framing/Framing.h"
#include "nmea/NmeaManager.h"

// {"rtcm": 1077, "length": 123, "valid": true}: the frame just framed.
nlohmann::ordered_json RtcmFrameJson(const framing::RtcmFrameInfo& frame);

// {"sound": …, "badChecksum": …, "ubx": …, "rtcm": …, "badFrames": …,
// "noise": …, "total": …, "longSentences": …}: every byte read, in its one
// class, and the sentences cut at their 101st character (their bytes are noise).
nlohmann::json BytesJson(const ByteClasses& bytes, const framing::FramerState& framer);

// {"frames": …, "badCrcs": …, "counts": [{"rtcm": 1077, "frames": 23}, …]}
nlohmann::json RtcmStateJson(const RtcmTally& rtcm, const framing::FramerState& framer);
