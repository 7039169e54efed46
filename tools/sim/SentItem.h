// One unit of the simulator's output as it went on the line.
#pragma once

#include <cstdint>
#include <string>

struct SentItem {
    enum Kind : uint8_t { Sentence, Binary, Garbage };
    Kind Type = Sentence;
    std::string Bytes;     // what was meant to go out
    int64_t Epoch = -1;    // the epoch of a synthesised sentence, -1 otherwise
    bool Faulty = false;   // a sentence fault was applied (wrong checksum, stretched)
    bool Garbled = false;  // some of it went out as line noise: the rates did not match
};
