// Faults on demand: bursts of random bytes between sentences, sentences with a
// wrong checksum and sentences longer than 100 characters, each with its own
// probability per sentence. Random from its own generator, so turning faults
// on leaves the receiver's own output unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "tools/sim/SimRandom.h"

struct FaultSettings {
    double Garbage = 0;      // probability of a burst before a sentence
    double BadChecksum = 0;  // probability that a sentence's checksum is wrong
    double LongLines = 0;    // probability that a sentence is stretched past 100 characters
    bool Any() const { return Garbage > 0 || BadChecksum > 0 || LongLines > 0; }
};

class FaultInjector {
  public:
    static constexpr size_t LongLineMin = 101;
    static constexpr size_t LongLineMax = 140;
    static constexpr int GarbageMin = 3;
    static constexpr int GarbageMax = 40;

    FaultInjector(const FaultSettings& settings, uint32_t seed)
        : FSettings(settings), FRandom(seed) {}

    // A burst of random bytes (never '$') to send before the next sentence, or "".
    std::string Garbage();
    // Applies the sentence faults to a finished sentence ("$...*hh\r\n") in place.
    // Returns true when it was changed.
    bool Corrupt(std::string& sentence);

  private:
    void Stretch(std::string& sentence);
    void BreakChecksum(std::string& sentence);

    FaultSettings FSettings;
    SimRandom FRandom;
};
