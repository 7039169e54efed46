#include "ubx/UbxHealthDecoders.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t U1(const uint8_t* p, size_t at) {
    return p[at];
}
int8_t I1(const uint8_t* p, size_t at) {
    return static_cast<int8_t>(p[at]);
}
uint16_t U2(const uint8_t* p, size_t at) {
    return static_cast<uint16_t>(p[at] | (p[at + 1] << 8));
}
uint32_t U4(const uint8_t* p, size_t at) {
    return static_cast<uint32_t>(p[at]) | (static_cast<uint32_t>(p[at + 1]) << 8) |
           (static_cast<uint32_t>(p[at + 2]) << 16) | (static_cast<uint32_t>(p[at + 3]) << 24);
}

// Blocks the payload really holds of those it claims, at most the record's.
int Blocks(size_t length, size_t header, size_t block, uint8_t claimed) {
    const size_t held = (length - header) / block;
    return static_cast<int>(std::min<size_t>({held, claimed, UbxMaxRfBlocks}));
}

constexpr uint8_t RfJammingMask = 0x03;
constexpr int HwJammingShift = 2;
constexpr size_t SecSigV1Length = 12;
constexpr uint32_t JammedFlag = 1u << 24;
constexpr uint32_t CentreFrequencyMask = 0xFFFFFF;

}  // namespace

void DecodeUbxMonRf(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxRfRecord& r = ubx.Health.Rf;
    r.Version = U1(p, 0);
    r.Count = Blocks(length, UbxMonRfHeader, UbxMonRfBlockSize, U1(p, 1));
    for (int i = 0; i < r.Count; ++i) {
        const uint8_t* b = p + UbxMonRfHeader + UbxMonRfBlockSize * static_cast<size_t>(i);
        UbxRfBlock& k = r.Blocks[i];
        k.BlockId = U1(b, 0);
        k.JammingState = U1(b, 1) & RfJammingMask;
        k.AntStatus = U1(b, 2);
        k.AntPower = U1(b, 3);
        k.PostStatus = U4(b, 4);
        k.NoisePerMs = U2(b, 12);
        k.AgcCnt = U2(b, 14);
        k.JamInd = U1(b, 16);
        k.OfsI = I1(b, 17);
        k.MagI = U1(b, 18);
        k.OfsQ = I1(b, 19);
        k.MagQ = U1(b, 20);
    }
    ubx.Health.RfKnown = true;
}

void DecodeUbxMonHw(const uint8_t* p, size_t, UbxState& ubx) {
    UbxHwRecord& r = ubx.Health.Hw;
    r.Block.NoisePerMs = U2(p, 16);
    r.Block.AgcCnt = U2(p, 18);
    r.Block.AntStatus = U1(p, 20);
    r.Block.AntPower = U1(p, 21);
    r.Flags = U1(p, 22);
    r.Block.JammingState = (r.Flags >> HwJammingShift) & RfJammingMask;
    r.Block.JamInd = U1(p, 45);
    ubx.Health.HwKnown = true;
}

void DecodeUbxMonHw2(const uint8_t* p, size_t, UbxState& ubx) {
    UbxHwRecord& r = ubx.Health.Hw;
    r.Block.OfsI = I1(p, 0);
    r.Block.MagI = U1(p, 1);
    r.Block.OfsQ = I1(p, 2);
    r.Block.MagQ = U1(p, 3);
    r.Block.PostStatus = U4(p, 20);
    r.HasIq = true;
}

void DecodeUbxMonSpan(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxSpanRecord& r = ubx.Health.Span;
    r.Version = U1(p, 0);
    r.Count = Blocks(length, UbxMonSpanHeader, UbxMonSpanBlockSize, U1(p, 1));
    for (int i = 0; i < r.Count; ++i) {
        const uint8_t* b = p + UbxMonSpanHeader + UbxMonSpanBlockSize * static_cast<size_t>(i);
        UbxSpanBlock& k = r.Blocks[i];
        std::memcpy(k.Spectrum, b, UbxSpectrumBins);
        k.Span = U4(b, 256);
        k.Res = U4(b, 260);
        k.Center = U4(b, 264);
        k.Pga = U1(b, 268);
    }
    ubx.Health.SpanKnown = true;
}

// Version 1: jamming flags at 4, spoofing flags at 8. Version 2: one byte
// of both at 1 and the jammed centre frequencies from 4.
void DecodeUbxSecSig(const uint8_t* p, size_t length, UbxState& ubx) {
    UbxSecSigRecord r;
    r.Version = U1(p, 0);
    if (r.Version == 1) {
        if (length < SecSigV1Length) return;
        r.JamDetEnabled = (U1(p, 4) & 0x01) != 0;
        r.JammingState = (U1(p, 4) >> 1) & 0x03;
        r.SpfDetEnabled = (U1(p, 8) & 0x01) != 0;
        r.SpoofingState = (U1(p, 8) >> 1) & 0x07;
    } else {
        const uint8_t flags = U1(p, 1);
        r.JamDetEnabled = (flags & 0x01) != 0;
        r.JammingState = (flags >> 1) & 0x03;
        r.SpfDetEnabled = (flags & 0x08) != 0;
        r.SpoofingState = (flags >> 4) & 0x07;
        const size_t claimed = std::min<size_t>(U1(p, 3), (length - UbxSecSigLength) / 4);
        for (size_t i = 0; i < claimed && r.JammedCount < UbxMaxJammedFrequencies; ++i) {
            const uint32_t entry = U4(p, UbxSecSigLength + 4 * i);
            if (entry & JammedFlag) r.JammedKHz[r.JammedCount++] = entry & CentreFrequencyMask;
        }
    }
    ubx.Health.SecSig = r;
    ubx.Health.SecSigKnown = true;
}
