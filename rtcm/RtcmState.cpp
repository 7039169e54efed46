#include "rtcm/RtcmState.h"

namespace {
constexpr unsigned NumberBits = 12;
constexpr size_t NumberBytes = 2;
}  // namespace

RtcmFrameResult RtcmState::Take(const uint8_t* payload, size_t length, double arrivalS) {
    RtcmFrameResult result;
    if (length >= NumberBytes)
        result.Number = static_cast<uint16_t>(payload[0] << 4 | payload[1] >> 4);
    Count(result.Number, arrivalS);
    result.Message = FindRtcmMessage(result.Number);
    if (!result.Message) {
        ++Unknown;
        return result;
    }
    if (result.Message->Kind == RtcmKind::Proprietary) ++Proprietary;
    if (!result.Message->Decode) return result;
    BitReader bits(payload, length);
    bits.Skip(NumberBits);
    result.Decoded = result.Message->Decode(bits, result.Number, Latest);
    result.Malformed = !result.Decoded;
    Malformed += result.Malformed;
    if (result.Decoded && result.Message->Kind == RtcmKind::Ephemeris)
        ++Ephemerides[static_cast<int>(Latest.Ephemeris.System)];
    return result;
}

void RtcmState::Framed(const framing::FramerState& framer) {
    const uint64_t now = framer.RtcmBadCrcs;
    BadCrcs += now >= FSeenBadCrcs ? now - FSeenBadCrcs : now;  // a new framer starts at 0
    FSeenBadCrcs = now;
}

void RtcmState::StartOver() {
    const uint64_t seen = FSeenBadCrcs;
    *this = RtcmState{};
    FSeenBadCrcs = seen;
}
