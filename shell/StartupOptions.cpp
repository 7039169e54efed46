#include "shell/StartupOptions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "serial/LinkUrl.h"
#include "views/Config.h"

const char* const StartupUsage =
    "Usage: lumarokub [OPTION]...\n"
    "Monitors a GPS receiver: position, sky plot, signal levels, time to first fix.\n"
    "  --port PATH|URL    add a serial port (pseudo-terminal, rfcomm, socat link) or a link\n"
    "                     URL (below); the last one given is selected and connected at start\n"
    "  --mode MODE        how that port is connected: general (default), port, baud or auto\n"
    "                     (the panel's General, Port Detect, BR Detect, Auto Detect)\n"
    "  --baud N           select the baud rate (4800, 9600, 19200, 38400, 57600, 115200)\n"
    "  --demo             start a simulated receiver on a pseudo-terminal and connect to it\n"
    "  --evaluation PAGE  open the evaluation window at start on PAGE: ttff, accuracy,\n"
    "                     signals, satellites, messages, rtcm or health\n"
    "  --campaign KIND[,RUNS]  start a time-to-fix campaign of RUNS (default 10) hot, warm,\n"
    "                     cold or factory starts once the receiver is connected\n"
    "  --screenshot FILE  save the main window (the evaluation window with --evaluation) as\n"
    "                     a PNG after SECONDS (default 3) and exit\n"
    "  --after SECONDS    delay before the screenshot\n"
    "  --size WxH         the main window's size at start, e.g. 1280x900 (at least 420x498);\n"
    "                     without it the window has its kept size, or with --screenshot\n"
    "                     its default size\n"
    "  --pixel-ratio R    draw at R device pixels per pixel (1 to 4), as on a high-density\n"
    "                     screen; e.g. 2 makes a screenshot twice as wide and high\n"
    "  --replay FILE      decode an NMEA capture into the views at start (demo without a "
    "receiver)\n"
    "  --play FILE        play a capture at the pace of its UTC times, as file://FILE; a\n"
    "                     player bar sets the speed, pauses, steps, seeks and loops\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "In the window, a right-click on \"NMEA Setting\" or Ctrl+Shift+N opens the SiRF\n"
    "output-interval window; Ctrl+T opens the time-to-fix campaign and Ctrl+E the\n"
    "evaluation window (accuracy, signal history, satellites, export), both also\n"
    "from a right-click on the restart buttons.\n"
    "Link URLs, typed in the port list or given with --port:\n";

const char* const EvaluationTabNames[7] = {"ttff",     "accuracy", "signals", "satellites",
                                           "messages", "rtcm",     "health"};

namespace {

constexpr const char* PlayScheme = "file://";
constexpr int SupportedRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr double MaxScreenshotDelay = 3600.0;
constexpr const char* ModeNames[] = {"general", "port", "baud", "auto"};
constexpr const char* RestartKindNames[] = {"hot", "warm", "cold", "factory"};
constexpr int MaxCampaignRuns = 1000;
constexpr int MinWindowWidth = Config.ClientWidth;
constexpr int MinWindowHeight = Config.ClientHeight;
constexpr int MaxWindowSide = 16384;
constexpr double MinPixelRatio = 1.0;
constexpr double MaxPixelRatio = 4.0;

// The index of 'text' among 'names'; false when it is none of them.
template <size_t N>
bool IndexOfName(const std::string& text, const char* const (&names)[N], int& index) {
    for (size_t i = 0; i < N; ++i)
        if (text == names[i]) {
            index = static_cast<int>(i);
            return true;
        }
    return false;
}

// KIND or KIND,RUNS.
bool ParseCampaign(const std::string& text, int& kind, int& runs) {
    const size_t comma = text.find(',');
    if (!IndexOfName(text.substr(0, comma), RestartKindNames, kind)) return false;
    if (comma == std::string::npos) return true;
    const std::string count = text.substr(comma + 1);
    char* end = nullptr;
    const long value = std::strtol(count.c_str(), &end, 10);
    if (count.empty() || *end != '\0' || value < 1 || value > MaxCampaignRuns) return false;
    runs = static_cast<int>(value);
    return true;
}

bool ParseRate(const char* text, int& rate) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') return false;
    for (int r : SupportedRates)
        if (value == r) {
            rate = r;
            return true;
        }
    return false;
}

// WIDTHxHEIGHT, each side at least the default window's and at most MaxWindowSide.
bool ParseWindowSize(const char* text, int& width, int& height) {
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || *end != 'x') return false;
    const char* second = end + 1;
    const long h = std::strtol(second, &end, 10);
    if (end == second || *end != '\0') return false;
    if (w < MinWindowWidth || h < MinWindowHeight || w > MaxWindowSide || h > MaxWindowSide)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParsePixelRatio(const char* text, double& ratio) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= MinPixelRatio && value <= MaxPixelRatio))
        return false;
    ratio = value;
    return true;
}

bool ParseSeconds(const char* text, double& seconds) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value) || value < 0 ||
        value > MaxScreenshotDelay)
        return false;
    seconds = value;
    return true;
}

}  // namespace

bool ParseStartupOptions(int argc, const char* const* argv, StartupOptions& options,
                         std::string& error) {
    bool afterGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            continue;
        }
        if (arg == "--version") {
            options.Version = true;
            continue;
        }
        if (arg == "--demo") {
            options.Demo = true;
            continue;
        }
        const bool takesValue = arg == "--port" || arg == "--baud" || arg == "--screenshot" ||
                                arg == "--after" || arg == "--replay" || arg == "--mode" ||
                                arg == "--play" || arg == "--evaluation" || arg == "--campaign" ||
                                arg == "--size" || arg == "--pixel-ratio";
        if (!takesValue) {
            error = "unknown option: " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (arg == "--port") {
            if (*value == '\0') {
                error = "--port needs a path";
                return false;
            }
            LinkUrl url;
            if (LooksLikeLinkUrl(value) && !ParseLinkUrl(value, url, error)) return false;
            options.Ports.emplace_back(value);
        } else if (arg == "--baud") {
            if (!ParseRate(value, options.BaudRate)) {
                error = std::string("unsupported baud rate: ") + value;
                return false;
            }
        } else if (arg == "--mode") {
            if (!IndexOfName(value, ModeNames, options.Mode)) {
                error = std::string("unknown mode: ") + value + " (general, port, baud or auto)";
                return false;
            }
        } else if (arg == "--evaluation") {
            if (!IndexOfName(value, EvaluationTabNames, options.EvaluationTab)) {
                error = std::string("unknown evaluation page: ") + value +
                        " (ttff, accuracy, signals, satellites, messages, rtcm or health)";
                return false;
            }
        } else if (arg == "--campaign") {
            if (!ParseCampaign(value, options.CampaignKind, options.CampaignRuns)) {
                error = std::string("--campaign needs hot, warm, cold or factory and optionally ") +
                        ",RUNS (1 to 1000): " + value;
                return false;
            }
        } else if (arg == "--screenshot") {
            options.ScreenshotFile = value;
        } else if (arg == "--after") {
            if (!ParseSeconds(value, options.ScreenshotAfter)) {
                error = std::string("--after needs seconds from 0 to 3600: ") + value;
                return false;
            }
            afterGiven = true;
        } else if (arg == "--size") {
            if (!ParseWindowSize(value, options.WindowWidth, options.WindowHeight)) {
                error =
                    std::string("--size needs WIDTHxHEIGHT from 420x498 to 16384x16384: ") + value;
                return false;
            }
        } else if (arg == "--pixel-ratio") {
            if (!ParsePixelRatio(value, options.PixelRatio)) {
                error = std::string("--pixel-ratio needs a ratio from 1 to 4: ") + value;
                return false;
            }
        } else if (arg == "--play") {
            options.PlayFile = value;
            options.Ports.push_back(std::string(PlayScheme) + value);
        } else {
            options.ReplayFile = value;
        }
    }
    if (afterGiven && options.ScreenshotFile.empty()) {
        error = "--after is only meaningful with --screenshot";
        return false;
    }
    return true;
}
