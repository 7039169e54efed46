#include "serial/PlaybackControl.h"

#include <algorithm>

void PlaybackControl::SetSpeed(double speed) {
    std::lock_guard<std::mutex> hold(FLock);
    FState.Speed = speed <= AsFastAsPossible ? AsFastAsPossible
                                             : std::clamp(speed, SlowestSpeed, FastestSpeed);
}

void PlaybackControl::SetPaused(bool paused) {
    std::lock_guard<std::mutex> hold(FLock);
    FState.Paused = paused;
}

void PlaybackControl::SetLoop(bool loop) {
    std::lock_guard<std::mutex> hold(FLock);
    FState.Loop = loop;
}

void PlaybackControl::Step() {
    std::lock_guard<std::mutex> hold(FLock);
    FState.Paused = true;
    FRequests.Step = true;
}

void PlaybackControl::Seek(double fraction) {
    std::lock_guard<std::mutex> hold(FLock);
    FRequests.Seek = true;
    FRequests.SeekFraction = std::clamp(fraction, 0.0, 1.0);
}

PlaybackControl::State PlaybackControl::Snapshot() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FState;
}

PlaybackControl::Requests PlaybackControl::TakeRequests() {
    std::lock_guard<std::mutex> hold(FLock);
    Requests taken = FRequests;
    FRequests = {};
    return taken;
}

void PlaybackControl::Report(size_t position, size_t lines, bool ended, const std::string& utc) {
    std::lock_guard<std::mutex> hold(FLock);
    FState.Position = position;
    FState.Lines = lines;
    FState.Ended = ended;
    FState.Utc = utc;
}
