// lumarokub-ttff: a time-to-fix campaign from the command line, for scripts
// and test rigs.
#include <atomic>
#include <csignal>
#include <iostream>

#include "LumarokVersion.h"
#include "tools/ttff/TtffOptions.h"
#include "tools/ttff/TtffRunner.h"

namespace {
constexpr int ExitUsage = 2;
std::atomic<bool> StopRequested{false};
extern "C" void RequestStop(int) {
    StopRequested = true;
}
}  // namespace

int main(int argc, char** argv) {
    TtffOptions options;
    std::string error;
    if (!ParseTtffOptions(argc, argv, options, error)) {
        std::cerr << "lumarokub-ttff: " << error << '\n' << TtffUsage;
        return ExitUsage;
    }
    if (options.Help) {
        std::cout << TtffUsage;
        return 0;
    }
    if (options.Version) {
        std::cout << "lumarokub-ttff " LUMAROKUB_VERSION "\n";
        return 0;
    }
    // SIGINT and SIGTERM cancel the campaign; the receiver keeps running.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    return RunTtffCampaign(options, std::cout, std::cerr, StopRequested);
}
