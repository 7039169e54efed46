// lumarokub-config's work: opens the port or link, runs the one action and
// prints its JSON result; the exit status.
#pragma once

#include <ostream>

#include "tools/config/ConfigOptions.h"

constexpr int ConfigExitRefused = 1;
constexpr int ConfigExitCannotUse = 2;

int RunConfig(const ConfigOptions& options, std::ostream& out, std::ostream& err);
