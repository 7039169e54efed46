// The one table of RTCM 3 messages: number (or range of numbers), name, what
// kind of record it fills and its decoder. A new message is one row here.
#pragma once

#include <cstdint>
#include <string>

#include "rtcm/RtcmDecoders.h"

enum class RtcmKind : uint8_t {
    Named,  // known by name, not decoded
    Station,
    Descriptor,
    Msm,
    Ephemeris,
    GlonassBiases,
    Proprietary,
};

struct RtcmMessage {
    uint16_t First, Last;
    const char* Name;  // an MSM's name gets its kind: "GPS MSM" + "7"
    RtcmKind Kind;
    RtcmDecoder Decode;  // null: counted only
};

// The row of 'number'; null for a number the table does not know.
const RtcmMessage* FindRtcmMessage(uint16_t number);
// "GPS MSM7", "Station ARP", or "unknown".
std::string RtcmMessageName(uint16_t number);
