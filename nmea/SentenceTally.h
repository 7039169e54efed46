// Counts of the sentences seen, by address ("GPGSV", "PUBX"): how
// many were sound and how many failed their checksum. What a user checks
// first when a receiver behaves oddly: which sentences come, how often, and
// whether the line corrupts them. Lines that are no sentence count as noise.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/Constellation.h"
#include "nmea/SentenceTypes.h"

class SentenceTally {
  public:
    static constexpr int Capacity = 64;  // addresses kept; later ones count as "other"
    static constexpr const char* NoiseName = "noise";
    static constexpr const char* OtherName = "other";

    struct Row {
        std::string Address;
        uint64_t Sound = 0;
        uint64_t Failed = 0;  // checksum failures
    };

    // 'sentence' from its '$'.
    void Count(std::string_view sentence, bool sound);
    // A sound sentence of a type the decoders know from a known talker: the
    // common case, counted without looking at its text again.
    void CountKnown(Talker talker, uint8_t type) { ++FKnown[static_cast<size_t>(talker)][type]; }
    // Sound sentences of a type the decoders know, of every talker.
    uint64_t SoundOfType(uint8_t type) const;
    // Every address seen, in alphabetical order (noise and other last).
    std::vector<Row> Rows() const;

  private:
    struct Slot {
        uint64_t Key = 0;  // the address packed, 0 when free
        uint64_t Sound = 0, Failed = 0;
    };
    Slot* Find(uint64_t key);

    std::array<Slot, Capacity> FSlots{};
    std::array<std::array<uint64_t, SentenceTypeCount>, TalkerCount> FKnown{};
    Slot FNoise, FOther;
};
