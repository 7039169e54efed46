// file://PATH: a capture played as if a receiver sent it. Capture files of
// this program (CR CR LF line ends), logs with comment lines starting with
// "#" and plain NMEA files all play. Lines go out at the pace of the
// capture's own UTC times (GGA, RMC, ZDA) times the speed, or at a fixed
// rate when the capture has no times; the user pauses, steps, seeks and loops
// through its PlaybackControl. At the end the link stays open and quiet.
// Receive only.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "serial/LinkDevice.h"
#include "serial/PlaybackControl.h"

class CapturePlayer : public LinkDevice {
  public:
    // Lines a second of a capture without times, at 1x.
    static constexpr double UntimedLinesPerSecond = 10.0;

    // Reads the whole capture; null with the reason when it cannot be read
    // or holds no line.
    static std::unique_ptr<CapturePlayer> Open(const std::string& path, std::string& error);
    // Plays the text of a capture.
    explicit CapturePlayer(const std::string& text);

    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;
    std::shared_ptr<PlaybackControl> Playback() override { return FControl; }

    size_t Lines() const { return FLines.size(); }
    // The capture time of line `index`, in seconds from the first.
    double TimeOf(size_t index) const { return FLines[index].Time; }

  private:
    using Clock = std::chrono::steady_clock;
    struct Line {
        std::string Text;  // with its CR LF
        double Time = 0;
        std::string Utc;
    };

    void Load(const std::string& text);
    void Rewind();
    // The first line after `from`'s epoch (the lines sharing its time).
    size_t EpochEnd(size_t from) const;
    // The first line not yet due at the play clock.
    size_t DueEnd() const;
    int Copy(uint8_t* data, size_t size, size_t end);
    int Idle(unsigned waitMs);

    std::vector<Line> FLines;
    size_t FNext = 0;
    size_t FTaken = 0;     // bytes of FLines[FNext] already sent
    double FPlayTime = 0;  // the capture time played up to
    Clock::time_point FLastTick = Clock::now();
    std::shared_ptr<PlaybackControl> FControl = std::make_shared<PlaybackControl>();
};
