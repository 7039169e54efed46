// The command line of lumarokub-sim.
#pragma once

#include <string>

#include "tools/sim/SimOptions.h"

struct SimCommandLine {
    SimOptions Options;
    bool SeedGiven = false;
    bool Verbose = false;
    bool Help = false;
    bool Version = false;  // --version: print the version and end
    double DurationS = 0;  // 0 = until SIGINT or SIGTERM
};

extern const char* const SimUsage;

// False with a message for a bad command line.
bool ParseSimCommandLine(int argc, char** argv, SimCommandLine& line, std::string& error);
