// Command line of lumarokub-decode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ntrip/GgaText.h"

constexpr int32_t DefaultPortBaud = 4800;

struct DecodeOptions {
    std::string File = "-";  // "-" is standard input
    bool Final = false;
    bool Help = false;
    bool Version = false;            // --version: print the version and end
    std::string Port;                // --port PATH: a live serial port instead of a file
    int32_t Baud = DefaultPortBaud;  // --baud N
    uint64_t Count = 0;              // --count N: end after N sentences (0: until interrupted)
    std::string Corrections;         // --corrections ntrip://...: fed to the port
    // --gga-position LAT,LON,HEIGHT: the GGA for network mountpoints while
    // the receiver sends none.
    std::optional<GgaPosition> GgaFallback;
};

// Parses argv; on a usage error returns false with the reason in 'error'.
bool ParseDecodeOptions(int argc, char** argv, DecodeOptions& options, std::string& error);
extern const char* const DecodeUsage;
