// Builds UBX frames for tests through the one encoder (framing/UbxFrame.h),
// which test_framing_ubx checks against frames of real receivers.
#pragma once

#include <cstdint>
#include <string>

#include "framing/UbxFrame.h"

inline std::string UbxBytes(uint8_t messageClass, uint8_t id, const std::string& payload) {
    return framing::EncodedUbx<std::string>(
        messageClass, id, reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
}
