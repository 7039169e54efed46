// RTCM 3 frames counted by message number, in the order the numbers first
// came; numbers beyond Capacity are counted together as Other. Each row
// keeps the first and last arrival time the caller gave (seconds on a clock
// of the caller's, not the receiver's), from which it tells the frames per
// second; a frame without a time (NoArrival, a file) leaves them as they are.
#pragma once

#include <cstdint>

class RtcmTally {
  public:
    static constexpr int Capacity = 64;
    static constexpr double NoArrival = -1;

    struct Row {
        uint16_t Number = 0;
        uint64_t Frames = 0;
        uint64_t TimedFrames = 0;  // frames that came with an arrival time
        double FirstAt = NoArrival;
        double LastAt = NoArrival;

        // Frames per second between the first and last timed frame; 0 until
        // two timed frames came at different times.
        double Rate() const;
    };

    void Count(uint16_t number, double arrivalS = NoArrival);
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
