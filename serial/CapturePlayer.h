// file://PATH: a capture played as if a receiver sent it. Every byte of the
// file goes out as it stands: sentences with their own line ends (this
// program's captures end them CR CR LF), UBX frames whole, comment lines and
// anything else a log holds, which the framer then reads as a port's noise.
// The player cuts the file into pieces (a line, or a UBX frame with a sound
// checksum) only to pace them: by the capture's own UTC times (GGA, RMC, ZDA),
// else, for a capture without NMEA times, by the GPS time of week of its UBX
// navigation frames, else at a fixed rate; the user pauses, steps, seeks and
// loops through its PlaybackControl. At the end the link stays open and
// quiet. Receive only.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "serial/LinkDevice.h"
#include "serial/PlaybackControl.h"

class CapturePlayer : public LinkDevice {
  public:
    // Pieces a second of a capture without times, at 1x.
    static constexpr double UntimedLinesPerSecond = 10.0;

    // Reads the whole capture; null with the reason when it cannot be read
    // or is empty.
    static std::unique_ptr<CapturePlayer> Open(const std::string& path, std::string& error);
    // Plays the bytes of a capture.
    explicit CapturePlayer(std::string bytes);

    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;
    std::shared_ptr<PlaybackControl> Playback() override { return FControl; }

    // The pieces the capture is paced in: its lines and UBX frames.
    size_t Lines() const { return FPieces.size(); }
    // The capture time of piece `index`, in seconds from the first.
    double TimeOf(size_t index) const { return FPieces[index].Time; }

  private:
    using Clock = std::chrono::steady_clock;
    struct Piece {
        size_t Begin = 0;  // in FBytes
        size_t End = 0;
        double Time = 0;
        std::string Utc;
    };

    void Load();
    void Rewind();
    // The first piece after `from`'s epoch (the pieces sharing its time).
    size_t EpochEnd(size_t from) const;
    // The first piece not yet due at the play clock.
    size_t DueEnd() const;
    int Copy(uint8_t* data, size_t size, size_t end);
    int Idle(unsigned waitMs);

    std::string FBytes;
    std::vector<Piece> FPieces;
    size_t FNext = 0;
    size_t FTaken = 0;     // bytes of FPieces[FNext] already sent
    double FPlayTime = 0;  // the capture time played up to
    Clock::time_point FLastTick = Clock::now();
    std::shared_ptr<PlaybackControl> FControl = std::make_shared<PlaybackControl>();
};
