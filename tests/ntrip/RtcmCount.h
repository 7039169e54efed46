// An independent count of the RTCM 3 frames in a byte string whose CRC-24Q
// holds (0xD3, six zero bits, a 10-bit length, payload, CRC), for comparing
// what a caster served with what a client received.
#pragma once

#include <cstdint>
#include <string>

#include "framing/RtcmFrame.h"

inline size_t CountRtcmFrames(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    size_t frames = 0;
    size_t i = 0;
    while (i + 6 <= text.size()) {
        if (bytes[i] != 0xD3 || (bytes[i + 1] & 0xFC) != 0) {
            ++i;
            continue;
        }
        const size_t length = static_cast<size_t>(bytes[i + 1] & 3) << 8 | bytes[i + 2];
        const size_t size = 3 + length + 3;
        if (i + size > text.size()) break;
        const uint32_t crc = framing::Crc24q(bytes + i, 3 + length);
        const uint32_t sent = static_cast<uint32_t>(bytes[i + 3 + length]) << 16 |
                              static_cast<uint32_t>(bytes[i + 4 + length]) << 8 |
                              bytes[i + 5 + length];
        if (crc == sent) {
            ++frames;
            i += size;
        } else {
            ++i;
        }
    }
    return frames;
}
