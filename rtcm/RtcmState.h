// What the RTCM 3 frames of a link told: every frame counted by message
// number with its arrival times (the tally), the latest decoded records
// (station, descriptors, the latest MSM of each system, the last
// ephemeris), and the frames that were unknown, proprietary, too short for
// their fields or dropped for a bad CRC. Kept in the store; the reader fills
// it under the store's lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framing/Framing.h"
#include "rtcm/RtcmMessages.h"
#include "rtcm/RtcmTally.h"

// What one frame was.
struct RtcmFrameResult {
    uint16_t Number = 0;
    const RtcmMessage* Message = nullptr;  // null: unknown
    bool Decoded = false;                  // its decoder read every field
    bool Malformed = false;                // its decoder ran short of payload
};

class RtcmState : public RtcmTally {
  public:
    // Counts and decodes one frame's payload (after the 3-byte header),
    // arriving at 'arrivalS' on the caller's clock (NoArrival: unknown).
    RtcmFrameResult Take(const uint8_t* payload, size_t length, double arrivalS = NoArrival);
    // After each record the framer returned: counts the frames it dropped
    // for their CRC since the call before.
    void Framed(const framing::FramerState& framer);
    // Forgets what the link before told (a new connection).
    void StartOver();

    RtcmLatest Latest;
    uint64_t Unknown = 0;
    uint64_t Proprietary = 0;
    uint64_t Malformed = 0;
    uint64_t BadCrcs = 0;
    uint64_t Ephemerides[RtcmSystemCount] = {};

  private:
    uint64_t FSeenBadCrcs = 0;  // the framer's count at the call before
};
