// RTCM 3 frames counted by message number, in the order the numbers first
// came; numbers beyond Capacity are counted together as Other.
#pragma once

#include <cstdint>

class RtcmTally {
  public:
    static constexpr int Capacity = 64;

    struct Row {
        uint16_t Number = 0;
        uint64_t Frames = 0;
    };

    void Count(uint16_t number);
    int Kinds() const { return FKinds; }
    const Row& operator[](int i) const { return FRows[i]; }
    uint64_t Frames() const { return FFrames; }
    uint64_t Other() const { return FOther; }

  private:
    Row FRows[Capacity];
    int FKinds = 0;
    uint64_t FFrames = 0;
    uint64_t FOther = 0;
};
