// lumarokub-sim: a GPS receiver on a pseudo-terminal, for tests, benchmarks
// and trying the monitor without hardware.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <random>

#include "LumarokVersion.h"
#include "tools/sim/ReceiverSimulator.h"
#include "tools/sim/SimCommandLine.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;
constexpr long WaitSliceNs = 100'000'000;

void LogLine(const std::string& line) {
    std::fprintf(stderr, "lumarokub-sim: %s\n", line.c_str());
}

void ReportRecordError(const ReceiverSimulator& sim, bool& reported) {
    const std::string error = sim.Status().RecordError;
    if (reported || error.empty()) return;
    std::fprintf(stderr, "lumarokub-sim: cannot write the record %s\n", error.c_str());
    reported = true;
}

// Waits for SIGINT/SIGTERM, the end of the duration or a hang-up; says at
// once when the record cannot be written (the line keeps going).
void RunUntilDone(const ReceiverSimulator& sim, double durationS, const sigset_t& signals,
                  bool& recordReported) {
    const auto start = std::chrono::steady_clock::now();
    const timespec slice{0, WaitSliceNs};
    for (;;) {
        ReportRecordError(sim, recordReported);
        if (sigtimedwait(&signals, nullptr, &slice) > 0) return;
        if (sim.Status().HungUp) return;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (durationS > 0 && elapsed.count() >= durationS) return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    SimCommandLine line;
    std::string error;
    if (!ParseSimCommandLine(argc, argv, line, error)) {
        std::fprintf(stderr, "lumarokub-sim: %s\n%s", error.c_str(), SimUsage);
        return ExitUsage;
    }
    if (line.Help) {
        std::fputs(SimUsage, stdout);
        return 0;
    }
    if (line.Version) {
        std::fputs("lumarokub-sim " LUMAROKUB_VERSION "\n", stdout);
        return 0;
    }
    if (!line.SeedGiven) line.Options.Seed = std::random_device{}();
    if (line.Verbose) line.Options.Log = LogLine;

    // The signals are taken by sigtimedwait: block them before any thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    ReceiverSimulator sim(line.Options);
    if (!sim.Open(error)) {
        std::fprintf(stderr, "lumarokub-sim: %s\n", error.c_str());
        return ExitFailure;
    }
    std::printf("%s\n", sim.SlavePath().c_str());
    std::fflush(stdout);
    if (line.Verbose)
        LogLine("seed " + std::to_string(line.Options.Seed) + ", " +
                std::to_string(line.Options.Baud) + " baud");
    if (!sim.Start(error)) {
        std::fprintf(stderr, "lumarokub-sim: %s\n", error.c_str());
        return ExitFailure;
    }
    bool recordReported = false;
    RunUntilDone(sim, line.DurationS, signals, recordReported);
    sim.Stop();
    ReportRecordError(sim, recordReported);
    return recordReported ? ExitFailure : 0;
}
