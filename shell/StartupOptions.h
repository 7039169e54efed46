// Command-line options of the monitor. None is required: without options the
// monitor lists the ports found and connects only a Prolific adapter at once.
#pragma once

#include <string>
#include <vector>

struct StartupOptions {
    std::vector<std::string> Ports;  // extra port paths, the last one selected
    int BaudRate = 0;                // 0: not given
    std::string ScreenshotFile;      // empty: no screenshot
    double ScreenshotAfter = 3.0;    // seconds
    std::string ReplayFile;          // capture decoded into the store at start
    std::string PlayFile;            // capture played at its own pace (a file:// link)
    int Mode = 0;                    // detection mode of the start-up connection (General)
    int EvaluationTab = -1;          // the evaluation window's page opened at start; -1: none
    int CampaignKind = -1;  // a campaign started once connected: hot 0 .. factory 3; -1: none
    int CampaignRuns = 10;
    int WindowWidth = 0;  // --size: the main window's client size; 0: kept or default
    int WindowHeight = 0;
    double PixelRatio = 0;  // --pixel-ratio: device pixels per pixel; 0: the screen's
    bool Demo = false;      // a simulated receiver on a pseudo-terminal
    bool Help = false;
    bool Version = false;  // --version: print the version and end
};

extern const char* const StartupUsage;
// The evaluation window's pages by name, in the window's order.
extern const char* const EvaluationTabNames[7];

// Parses argv (argv[0] is the program). On failure returns false with a
// one-line reason in error.
bool ParseStartupOptions(int argc, const char* const* argv, StartupOptions& options,
                         std::string& error);
