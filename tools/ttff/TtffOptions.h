// The command line of lumarokub-ttff.
#pragma once

#include <string>

#include "eval/TtffCampaign.h"

struct TtffOptions {
    std::string Port;  // device path or link URL
    int32_t Baud = 9600;
    CampaignSettings Campaign;
    std::string CsvFile;
    bool Help = false;
    bool Version = false;
};

extern const char* const TtffUsage;

// False with the reason in 'error' when the line is not understood.
bool ParseTtffOptions(int argc, const char* const* argv, TtffOptions& options, std::string& error);
