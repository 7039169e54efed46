#include "ubx/UbxHealth.h"

#include <algorithm>

namespace {

constexpr uint8_t NavStatus = 0x03;
constexpr uint8_t NavClass = 0x01;
constexpr int SpoofShift = 3;
constexpr uint8_t SpoofMask = 0x03;

template <size_t N>
const char* TextOf(const char* const (&texts)[N], uint8_t value) {
    return value < N ? texts[value] : "?";
}

}  // namespace

ReceiverHealth HealthOf(const UbxState& ubx) {
    ReceiverHealth h;
    const UbxHealthRecords& r = ubx.Health;
    if (r.RfKnown) {
        h.BlockCount = r.Rf.Count;
        std::copy(r.Rf.Blocks, r.Rf.Blocks + r.Rf.Count, h.Blocks);
    } else if (r.HwKnown) {
        h.BlockCount = 1;
        h.Blocks[0] = r.Hw.Block;
    }
    for (int i = 0; i < h.BlockCount; ++i) {
        h.JamInd = std::max(h.JamInd, h.Blocks[i].JamInd);
        h.JammingState = std::max(h.JammingState, h.Blocks[i].JammingState);
    }
    if (r.SecSigKnown) {
        h.JammingState = std::max(h.JammingState, r.SecSig.JammingState);
        h.SpoofingKnown = true;
        h.SpoofingState = r.SecSig.SpoofingState;
    }
    if (ubx.CountOf(NavClass, NavStatus) > 0) {
        h.SpoofingKnown = true;
        h.SpoofingState = std::max<uint8_t>(
            h.SpoofingState, static_cast<uint8_t>((ubx.Status.Flags2 >> SpoofShift) & SpoofMask));
    }
    h.Known = r.RfKnown || r.HwKnown || r.SecSigKnown || r.SpanKnown;
    return h;
}

const char* UbxJammingText(uint8_t state) {
    static const char* const Texts[] = {"unknown", "ok", "warning", "critical"};
    return TextOf(Texts, state);
}

const char* UbxSpoofingText(uint8_t state) {
    static const char* const Texts[] = {"unknown", "none", "indicated", "multiple"};
    return TextOf(Texts, state);
}

const char* UbxAntennaText(uint8_t status) {
    static const char* const Texts[] = {"init", "unknown", "ok", "short", "open"};
    return TextOf(Texts, status);
}

const char* UbxAntPowerText(uint8_t power) {
    static const char* const Texts[] = {"off", "on", "unknown"};
    return TextOf(Texts, power);
}
