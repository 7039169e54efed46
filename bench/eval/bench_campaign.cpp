// A time-to-fix campaign of cold starts against the simulated receiver, run
// as lumarokub-ttff runs it: prints the wall time of the whole campaign and
// the per-run figures against the simulator's own times.
//   bench_campaign [RUNS] [TIME-SCALE]     (defaults: 20 runs at 50)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "tools/sim/ReceiverSimulator.h"
#include "tools/ttff/TtffRunner.h"

namespace {
constexpr unsigned long Baud = 115200;
constexpr double Cold2D = 30, Cold3D = 35;  // the simulator's cold-start times, seconds
constexpr double PauseSeconds = 0.1;
constexpr double TimeoutSeconds = 20;
}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const double scale = argc > 2 ? std::atof(argv[2]) : 50;
    if (runs < 1 || !(scale > 0)) {
        std::cerr << "usage: bench_campaign [RUNS] [TIME-SCALE]\n";
        return 2;
    }
    SimOptions sim;
    sim.Baud = Baud;
    sim.TimeScale = scale;
    sim.Times[static_cast<int>(StartKind::Cold)] = {Cold2D, Cold3D};
    ReceiverSimulator receiver(sim);
    std::string error;
    if (!receiver.Start(error)) {
        std::cerr << "bench_campaign: " << error << '\n';
        return 1;
    }
    TtffOptions options;
    options.Port = receiver.SlavePath();
    options.Baud = static_cast<int32_t>(Baud);
    options.Campaign.Kind = RestartKind::Cold;
    options.Campaign.Runs = runs;
    options.Campaign.TimeoutSeconds = TimeoutSeconds;
    options.Campaign.PauseSeconds = PauseSeconds;
    std::ostringstream report;
    const std::atomic<bool> stop{false};
    const auto start = std::chrono::steady_clock::now();
    const int status = RunTtffCampaign(options, report, std::cerr, stop);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    receiver.Stop();
    std::cout << report.str();
    std::printf("simulator              2D %.2f s, 3D %.2f s after each cold start (%g / %g)\n",
                Cold2D / scale, Cold3D / scale, Cold3D, scale);
    std::printf(
        "campaign of %d cold starts at time scale %g: %.1f s wall (target < 60 s), "
        "exit %d\n",
        runs, scale, wall, status);
    return status == 0 ? 0 : 1;
}
