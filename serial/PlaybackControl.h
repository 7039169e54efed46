// What the user does to a capture being played, and where the playing
// stands: shared between the player (on the reader thread) and the player
// bar (on the user-interface thread), every member under one lock.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

class PlaybackControl {
  public:
    static constexpr double SlowestSpeed = 0.25;
    static constexpr double FastestSpeed = 100.0;
    // A speed of AsFastAsPossible sends without pacing.
    static constexpr double AsFastAsPossible = 0.0;

    struct State {
        double Speed = 1.0;
        bool Paused = false;
        bool Loop = false;
        size_t Position = 0;  // the next piece (line or UBX frame) to send
        size_t Lines = 0;     // the pieces of the capture
        bool Ended = false;   // the last piece went out and no loop follows
        std::string Utc;      // the capture's time at the position, "" when it has none
    };

    // Clamped to SlowestSpeed..FastestSpeed, or AsFastAsPossible.
    void SetSpeed(double speed);
    void SetPaused(bool paused);
    void SetLoop(bool loop);
    // Sends the next epoch (the pieces of one capture time) and pauses.
    void Step();
    // Moves to the piece at `fraction` (0..1) of the capture.
    void Seek(double fraction);
    State Snapshot() const;

    // The player's side: takes the requests made since its last call.
    struct Requests {
        bool Step = false;
        bool Seek = false;
        double SeekFraction = 0;
    };
    Requests TakeRequests();
    void Report(size_t position, size_t lines, bool ended, const std::string& utc);

  private:
    mutable std::mutex FLock;
    State FState;
    Requests FRequests;
};
