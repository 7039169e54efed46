// Capture player benchmark: how closely file:// playing keeps the capture's
// pace. Plays a synthetic capture of 30 receiver seconds at 1x and 10x and
// prints the wall time against the capture's, and plays the largest corpus
// capture at 100x, printing how far it fell behind.
//
// usage: bench_player [CORPUS_CAPTURE]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/serial/StreamMaker.h"
#include "serial/CapturePlayer.h"
#include "serial/PortDevice.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double PacedSeconds = 30.0;
constexpr size_t EpochBytes = 520;  // about one epoch of MakeNmeaStream
constexpr double EpochsPerSecond = 10;
constexpr unsigned ReadWaitMs = 50;  // the port's longest wait for input
constexpr size_t ReadSize = 2048;

struct Pace {
    double CaptureSeconds = 0;
    double WallSeconds = 0;
    double WorstLagMs = 0;  // the latest a line went out after it was due
    size_t Lines = 0;
};

Pace Play(CapturePlayer& player, double speed) {
    player.Playback()->SetSpeed(speed);
    std::vector<uint8_t> buffer(ReadSize);
    Pace pace;
    const Clock::time_point start = Clock::now();
    while (!player.Playback()->Snapshot().Ended) {
        const size_t before = player.Playback()->Snapshot().Position;
        if (player.Read(buffer.data(), buffer.size(), ReadWaitMs) <= 0) continue;
        const double now = std::chrono::duration<double>(Clock::now() - start).count();
        const size_t after = player.Playback()->Snapshot().Position;
        for (size_t i = before; i < after; ++i) {
            const double due = (player.TimeOf(i) - player.TimeOf(0)) / speed;
            pace.WorstLagMs = std::max(pace.WorstLagMs, (now - due) * 1000.0);
        }
        pace.Lines = after;
        pace.WallSeconds = now;
    }
    pace.CaptureSeconds = player.TimeOf(player.Lines() - 1) - player.TimeOf(0);
    return pace;
}

void Print(const char* what, double speed, const Pace& pace) {
    const double expected = pace.CaptureSeconds / speed;
    std::printf(
        "%s at %gx: %zu lines, capture %.2f s, wall %.3f s (expected %.3f s, %+.2f %%), "
        "worst lag %.1f ms\n",
        what, speed, pace.Lines, pace.CaptureSeconds, pace.WallSeconds, expected,
        (pace.WallSeconds - expected) / expected * 100.0, pace.WorstLagMs);
}

}  // namespace

int main(int argc, char** argv) {
    const NmeaStream stream =
        MakeNmeaStream(static_cast<size_t>(PacedSeconds * EpochsPerSecond) * EpochBytes);
    for (double speed : {1.0, 10.0}) {
        CapturePlayer player(stream.Bytes);
        Print("synthetic capture", speed, Play(player, speed));
    }
    if (argc > 1) {
        std::string error;
        std::unique_ptr<CapturePlayer> player = CapturePlayer::Open(argv[1], error);
        if (!player) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        Print(argv[1], 100.0, Play(*player, 100.0));
    }
    return 0;
}
