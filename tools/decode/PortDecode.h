// lumarokub-decode on a live serial port: the real reader thread feeds the
// store and every sentence read is printed as one JSON line, passed on as
// soon as the port has nothing more to read at the moment.
#pragma once

#include <string>

#include "tools/decode/DecodeOptions.h"

// Exit status when the device behind the port went away.
constexpr int ExitDeviceGone = 3;

// --port, --baud and --count take a value.
bool IsPortOption(const char* arg);
bool ParsePortOption(const char* option, const char* value, DecodeOptions& options,
                     std::string& error);
// The port options fit together and with the rest of the command line.
bool CheckPortOptions(const DecodeOptions& options, bool haveFile, std::string& error);

// Reads the port until SIGINT or SIGTERM, --count sentences, or the device
// going away; returns the exit status.
int DecodePort(const DecodeOptions& options);
