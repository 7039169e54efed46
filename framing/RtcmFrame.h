// RTCM 3 frames in the byte stream: the preamble D3, six reserved bits (zero)
// and a 10-bit payload length, the payload (its first 12 bits are the message
// number) and a 24-bit CRC (CRC-24Q) over header and payload. The framer
// collects a frame through CollectRtcm once it has met the preamble and a
// byte whose reserved bits are zero; the frame is kept whole in an
// RtcmFrameBuffer when one is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framing/SourceTraits.h"

namespace framing {

constexpr uint8_t RtcmPreamble = 0xD3;
constexpr uint8_t RtcmReservedMask = 0xFC;  // of the byte after the preamble
constexpr size_t RtcmHeaderSize = 3;        // preamble, reserved bits and length
constexpr size_t RtcmCrcSize = 3;
constexpr size_t RtcmMaxPayload = 1023;  // what ten bits can say
constexpr size_t RtcmMaxFrame = RtcmHeaderSize + RtcmMaxPayload + RtcmCrcSize;

// True when 'second', read right after the preamble, can start a frame: a
// set reserved bit would make the length larger than any frame's.
constexpr bool RtcmSecondByte(uint8_t second) {
    return (second & RtcmReservedMask) == 0;
}

// CRC-24Q (polynomial 0x1864CFB, initial value 0, no reflection) of 'count'
// bytes, continuing from 'crc'.
struct Crc24qTable {
    uint32_t Values[256];
    constexpr Crc24qTable() : Values() {
        constexpr uint32_t Polynomial = 0x1864CFB;
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t crc = i << 16;
            for (int bit = 0; bit < 8; ++bit) {
                crc <<= 1;
                if (crc & 0x1000000) crc ^= Polynomial;
            }
            Values[i] = crc & 0xFFFFFF;
        }
    }
};
inline constexpr Crc24qTable Crc24qValues{};

inline uint32_t Crc24q(const uint8_t* bytes, size_t count, uint32_t crc = 0) {
    for (size_t i = 0; i < count; ++i)
        crc = ((crc << 8) & 0xFFFFFF) ^ Crc24qValues.Values[((crc >> 16) ^ bytes[i]) & 0xFF];
    return crc;
}

// One whole frame as received, preamble to CRC.
struct RtcmFrameBuffer {
    uint8_t Bytes[RtcmMaxFrame];
    size_t Size = 0;

    uint16_t PayloadLength() const {
        return static_cast<uint16_t>((Bytes[1] & 0x03) << 8 | Bytes[2]);
    }
    const uint8_t* Payload() const { return Bytes + RtcmHeaderSize; }
    // The first 12 bits of the payload; 0 for a frame without payload.
    uint16_t MessageNumber() const {
        if (PayloadLength() < 2) return 0;
        return static_cast<uint16_t>(Bytes[3] << 4 | Bytes[4] >> 4);
    }
};

// What the framer keeps of the frame it collected last, kept or not.
struct RtcmFrameInfo {
    uint16_t MessageNumber = 0;
    uint16_t PayloadLength = 0;
};

enum class RtcmOutcome : uint8_t { Frame, BadCrc };

// Reads 'count' bytes into 'out'; bytes the source holds at hand are taken at once.
template <class Source>
void ReadRtcmBytes(Source& source, uint8_t* out, size_t count) {
    size_t done = 0;
    if constexpr (OffersRuns<Source>::value) {
        size_t at = 0;
        const char* bytes = source.Buffered(at);
        done = at < count ? at : count;
        std::memcpy(out, bytes, done);
        source.Consume(done);
    }
    for (; done < count; ++done) out[done] = source.ReadByte();
}

// Collects the frame whose preamble and second byte ('second') were just
// read, into 'frame' (whole, preamble to CRC), and tells what it held in 'info'.
template <class Source>
RtcmOutcome CollectRtcm(Source& source, uint8_t second, RtcmFrameBuffer& frame,
                        RtcmFrameInfo& info) {
    frame.Bytes[0] = RtcmPreamble;
    frame.Bytes[1] = second;
    frame.Bytes[2] = source.ReadByte();
    const size_t length = frame.PayloadLength();
    const size_t size = RtcmHeaderSize + length + RtcmCrcSize;
    ReadRtcmBytes(source, frame.Bytes + RtcmHeaderSize, length + RtcmCrcSize);
    frame.Size = size;
    const uint8_t* crc = frame.Bytes + RtcmHeaderSize + length;
    const uint32_t sent = static_cast<uint32_t>(crc[0] << 16 | crc[1] << 8 | crc[2]);
    if (Crc24q(frame.Bytes, RtcmHeaderSize + length) != sent) return RtcmOutcome::BadCrc;
    info.MessageNumber = frame.MessageNumber();
    info.PayloadLength = static_cast<uint16_t>(length);
    return RtcmOutcome::Frame;
}

}  // namespace framing
