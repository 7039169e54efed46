// The receiver's health as its UBX messages tell it: the RF blocks of MON-RF
// (or of MON-HW and MON-HW2 on older receivers, one block), the spectrum of
// MON-SPAN and the security states of SEC-SIG. Fixed arrays, no allocation.
#pragma once

#include <cstdint>

constexpr int UbxMaxRfBlocks = 4;
constexpr int UbxSpectrumBins = 256;

// Jamming state of an RF block: 0 unknown, 1 ok, 2 warning, 3 critical.
// Antenna status: 0 init, 1 unknown, 2 ok, 3 short, 4 open.
// Antenna power: 0 off, 1 on, 2 unknown.
struct UbxRfBlock {
    uint8_t BlockId = 0;
    uint8_t JammingState = 0;
    uint8_t AntStatus = 0;
    uint8_t AntPower = 0;
    uint32_t PostStatus = 0;
    uint16_t NoisePerMs = 0;
    uint16_t AgcCnt = 0;  // 0..8191 of the full gain range
    uint8_t JamInd = 0;   // continuous-wave jamming indicator, 0..255
    int8_t OfsI = 0;
    uint8_t MagI = 0;
    int8_t OfsQ = 0;
    uint8_t MagQ = 0;
};

// MON-RF: every RF block of the receiver.
struct UbxRfRecord {
    uint8_t Version = 0;
    int Count = 0;
    UbxRfBlock Blocks[UbxMaxRfBlocks];
};

// MON-HW (older receivers): the one RF block's noise, gain, antenna and
// jamming, and MON-HW2: its I/Q imbalance and self-test status.
struct UbxHwRecord {
    UbxRfBlock Block;
    uint8_t Flags = 0;
    bool HasIq = false;  // MON-HW2 came
};

// One RF block of MON-SPAN: the spectrum in 0.25 dB, the span and the bin
// width in Hz, the centre frequency in Hz and the gain of the amplifier in dB.
struct UbxSpanBlock {
    uint8_t Spectrum[UbxSpectrumBins] = {};
    uint32_t Span = 0;
    uint32_t Res = 0;
    uint32_t Center = 0;
    uint8_t Pga = 0;
};

struct UbxSpanRecord {
    uint8_t Version = 0;
    int Count = 0;
    UbxSpanBlock Blocks[UbxMaxRfBlocks];
};

// SEC-SIG: jamming state (0 unknown, 1 none, 2 warning, 3 critical) and
// spoofing state (0 unknown, 1 none, 2 indicated, 3 affirmed), each with
// whether its detection runs; version 2 also lists the jammed frequencies.
constexpr int UbxMaxJammedFrequencies = 16;
struct UbxSecSigRecord {
    uint8_t Version = 0;
    bool JamDetEnabled = false;
    uint8_t JammingState = 0;
    bool SpfDetEnabled = false;
    uint8_t SpoofingState = 0;
    int JammedCount = 0;
    uint32_t JammedKHz[UbxMaxJammedFrequencies] = {};  // centre frequencies reported jammed
};

struct UbxHealthRecords {
    UbxRfRecord Rf;
    UbxHwRecord Hw;
    UbxSpanRecord Span;
    UbxSecSigRecord SecSig;
    bool RfKnown = false;
    bool HwKnown = false;
    bool SpanKnown = false;
    bool SecSigKnown = false;
};
