// What every byte that came over the link was, counted by class: sound
// sentences, sentences whose checksum failed, UBX frames, RTCM 3 frames,
// frames whose checksum or CRC failed (or whose length was false), and noise.
// The framer counts the bytes (framing::ByteCounts); this tally follows its
// counts record by record and splits the sentences by their checksum. The
// classes add up to the bytes the framer has read since the tally began.
#pragma once

#include <cstdint>

#include "framing/Framing.h"

struct ByteClasses {
    uint64_t Sound = 0;
    uint64_t BadChecksum = 0;
    uint64_t Ubx = 0;
    uint64_t Rtcm = 0;
    uint64_t BadFrames = 0;
    uint64_t Noise = 0;

    uint64_t Total() const { return Sound + BadChecksum + Ubx + Rtcm + BadFrames + Noise; }
};

class ByteTally {
  public:
    // After each record the framer returned (none too): 'sound' tells a
    // sentence's checksum. The line ends the framer passed before it belong
    // to the sentence before.
    void Framed(const framing::FramerState& framer, RecordKind kind, bool sound);
    const ByteClasses& Classes() const { return FClasses; }

  private:
    ByteClasses FClasses;
    framing::ByteCounts FSeen;  // the framer's counts at the record before
    bool FLastSound = true;     // the checksum of the sentence before
};
