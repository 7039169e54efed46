// UBX frames in the byte stream: B5 62, class, id, a little-endian payload
// length, the payload and an 8-bit Fletcher checksum over class to payload.
// The framer collects a frame through CollectUbx once it has met the two
// sync bytes; the frame is kept whole (sync to checksum) in a UbxFrameBuffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framing/SourceTraits.h"

namespace framing {

constexpr uint8_t UbxSync1 = 0xB5;
constexpr uint8_t UbxSync2 = 0x62;
constexpr size_t UbxHeaderSize = 6;  // sync, class, id and length
constexpr size_t UbxChecksumSize = 2;
// Longer than any message a receiver sends: a longer length marks a false sync.
constexpr size_t UbxMaxPayload = 8192;
constexpr size_t UbxMaxFrame = UbxHeaderSize + UbxMaxPayload + UbxChecksumSize;

// One whole frame as received, sync to checksum.
struct UbxFrameBuffer {
    uint8_t Bytes[UbxMaxFrame];
    size_t Size = 0;

    uint8_t Class() const { return Bytes[2]; }
    uint8_t Id() const { return Bytes[3]; }
    uint16_t PayloadLength() const { return static_cast<uint16_t>(Bytes[4] | (Bytes[5] << 8)); }
    const uint8_t* Payload() const { return Bytes + UbxHeaderSize; }
};

// The 8-bit Fletcher checksum, fed byte by byte or a block at a time.
struct UbxChecksum {
    uint8_t A = 0;
    uint8_t B = 0;
    void Add(uint8_t byte) {
        A = static_cast<uint8_t>(A + byte);
        B = static_cast<uint8_t>(B + A);
    }
    void Add(const uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) Add(bytes[i]);
    }
};

// The size of the frame that starts at `bytes`, with its sync bytes, a
// length within UbxMaxPayload and a sound checksum; 0 when none does. Bytes
// after the frame do not matter.
inline size_t UbxFrameSizeAt(const uint8_t* bytes, size_t size) {
    if (size < UbxHeaderSize + UbxChecksumSize || bytes[0] != UbxSync1 || bytes[1] != UbxSync2)
        return 0;
    const size_t length = static_cast<size_t>(bytes[4] | (bytes[5] << 8));
    const size_t frameSize = UbxHeaderSize + length + UbxChecksumSize;
    if (length > UbxMaxPayload || frameSize > size) return 0;
    UbxChecksum sum;
    sum.Add(bytes + 2, UbxHeaderSize - 2 + length);
    return bytes[frameSize - 2] == sum.A && bytes[frameSize - 1] == sum.B ? frameSize : 0;
}

enum class UbxOutcome : uint8_t { Frame, BadChecksum, Oversized };

// Reads 'count' bytes into 'out' (or past them when 'out' is null) and adds
// them to the checksum; bytes the source holds at hand are taken at once.
template <class Source>
void ReadUbxBytes(Source& source, uint8_t* out, size_t count, UbxChecksum& sum) {
    size_t done = 0;
    if constexpr (OffersRuns<Source>::value) {
        size_t at = 0;
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(source.Buffered(at));
        const size_t n = at < count ? at : count;
        if (out) std::memcpy(out, bytes, n);
        sum.Add(bytes, n);
        source.Consume(n);
        done = n;
    }
    for (; done < count; ++done) {
        const uint8_t byte = source.ReadByte();
        sum.Add(byte);
        if (out) out[done] = byte;
    }
}

// Collects the frame whose two sync bytes were just read: into 'out' when
// given, else only checked. A length over UbxMaxPayload stops after the
// header; a bad checksum after the whole frame.
template <class Source>
UbxOutcome CollectUbx(Source& source, UbxFrameBuffer* out) {
    uint8_t header[UbxHeaderSize] = {UbxSync1, UbxSync2};
    UbxChecksum sum;
    ReadUbxBytes(source, header + 2, UbxHeaderSize - 2, sum);
    const size_t length = static_cast<size_t>(header[4] | (header[5] << 8));
    if (length > UbxMaxPayload) return UbxOutcome::Oversized;
    if (out) std::memcpy(out->Bytes, header, UbxHeaderSize);
    ReadUbxBytes(source, out ? out->Bytes + UbxHeaderSize : nullptr, length, sum);
    const uint8_t a = source.ReadByte();
    const uint8_t b = source.ReadByte();
    if (a != sum.A || b != sum.B) return UbxOutcome::BadChecksum;
    if (out) {
        out->Bytes[UbxHeaderSize + length] = a;
        out->Bytes[UbxHeaderSize + length + 1] = b;
        out->Size = UbxHeaderSize + length + UbxChecksumSize;
    }
    return UbxOutcome::Frame;
}

// The frame of one message as it goes on the wire: sync, class, id, length,
// the payload and the checksum over class to payload. Appended to `out`.
template <class Bytes>
void EncodeUbx(uint8_t messageClass, uint8_t id, const uint8_t* payload, uint16_t length,
               Bytes& out) {
    const uint8_t header[UbxHeaderSize] = {UbxSync1,
                                           UbxSync2,
                                           messageClass,
                                           id,
                                           static_cast<uint8_t>(length & 0xFF),
                                           static_cast<uint8_t>(length >> 8)};
    UbxChecksum sum;
    sum.Add(header + 2, UbxHeaderSize - 2);
    sum.Add(payload, length);
    out.insert(out.end(), header, header + UbxHeaderSize);
    out.insert(out.end(), payload, payload + length);
    out.push_back(static_cast<typename Bytes::value_type>(sum.A));
    out.push_back(static_cast<typename Bytes::value_type>(sum.B));
}

// The same as a new byte container (std::string or std::vector<uint8_t>).
template <class Bytes>
Bytes EncodedUbx(uint8_t messageClass, uint8_t id, const uint8_t* payload, size_t length) {
    Bytes out;
    out.reserve(UbxHeaderSize + length + UbxChecksumSize);
    EncodeUbx(messageClass, id, payload, static_cast<uint16_t>(length), out);
    return out;
}

}  // namespace framing
