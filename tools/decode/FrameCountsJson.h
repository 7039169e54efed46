// JSON rendering of what the framer counted beside the sentences, for
// lumarokub-decode: the bytes by class (RTCM 3 frames: RtcmJson.h).
#pragma once

#include <nlohmann/json.hpp>

#include "framing/Framing.h"
#include "nmea/NmeaManager.h"

// {"sound": …, "badChecksum": …, "ubx": …, "rtcm": …, "badFrames": …,
// "noise": …, "total": …, "longSentences": …}: every byte read, in its one
// class, and the sentences cut at their 101st character (their bytes are noise).
nlohmann::json BytesJson(const ByteClasses& bytes, const framing::FramerState& framer);
