#include "tools/ttff/TtffOptions.h"

#include <cmath>
#include <cstdlib>

#include "serial/LinkUrl.h"
#include "serial/PortDevice.h"

const char* const TtffUsage =
    "Usage: lumarokub-ttff --port PATH|URL [OPTION]...\n"
    "Restarts a GPS receiver again and again and measures each time to first fix\n"
    "(2D and 3D, to a tenth of a second), then prints the summary: min, median,\n"
    "mean, 90th percentile and max, and the runs that timed out. A link that\n"
    "only receives (udp, gpsd, file) is refused. Exits with status 1 when a run\n"
    "timed out or the receiver ignored a restart, 2 when the port cannot be\n"
    "used, the receiver or the link goes away, or the CSV file cannot be written.\n"
    "  --port PATH|URL   the receiver's serial port or link URL\n"
    "  --baud N          the port's baud rate (default 9600)\n"
    "  --kind KIND       hot, warm, cold (default) or factory\n"
    "  --runs N          number of restarts (default 10)\n"
    "  --timeout S       seconds a run may wait for its 3D fix (default 120)\n"
    "  --pause S         seconds between a fix and the next restart (default 5)\n"
    "  --csv FILE        also write one row per run and the summary to FILE\n"
    "  --until rtk-fixed a run ends at RTK fixed instead of the 3D fix (time to RTK fixed)\n"
    "  --help            show this text\n"
    "  --version         show the version\n";

namespace {

constexpr double MaxSeconds = 86400;
constexpr int MaxRuns = 100000;

bool ToSeconds(const char* text, double& value) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end || !std::isfinite(v) || v < 0 || v > MaxSeconds) return false;
    value = v;
    return true;
}

bool ToInt(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < low || v > high) return false;
    value = v;
    return true;
}

bool Apply(const std::string& name, const char* value, TtffOptions& o, std::string& error) {
    long number = 0;
    bool ok = true;
    if (name == "--port") {
        o.Port = value;
        LinkUrl url;
        if (LooksLikeLinkUrl(o.Port)) return ParseLinkUrl(o.Port, url, error);
        ok = !o.Port.empty();
    } else if (name == "--baud") {
        ok = ToInt(value, 1, 4000000, number) &&
             PortDevice::IsSupportedBaudRate(static_cast<uint32_t>(number));
        o.Baud = static_cast<int32_t>(number);
    } else if (name == "--kind") {
        ok = RestartKindFromName(value, o.Campaign.Kind);
    } else if (name == "--runs") {
        ok = ToInt(value, 1, MaxRuns, number);
        o.Campaign.Runs = static_cast<int>(number);
    } else if (name == "--timeout") {
        ok = ToSeconds(value, o.Campaign.TimeoutSeconds) && o.Campaign.TimeoutSeconds > 0;
    } else if (name == "--pause") {
        ok = ToSeconds(value, o.Campaign.PauseSeconds);
    } else if (name == "--until") {
        const std::string until = value;
        ok = until == "rtk-fixed" || until == "3d";
        o.Campaign.UntilRtkFixed = until == "rtk-fixed";
    } else if (name == "--csv") {
        o.CsvFile = value;
        ok = !o.CsvFile.empty();
    } else {
        error = "unknown option " + name;
        return false;
    }
    if (!ok) error = name + ": not a valid value: " + value;
    return ok;
}

}  // namespace

bool ParseTtffOptions(int argc, const char* const* argv, TtffOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--version") {
            options.Version = true;
        } else if (i + 1 >= argc) {
            error = arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unknown argument " + arg;
            return false;
        } else if (!Apply(arg, argv[++i], options, error)) {
            return false;
        }
    }
    if (!options.Help && !options.Version && options.Port.empty()) {
        error = "--port is required";
        return false;
    }
    return true;
}
