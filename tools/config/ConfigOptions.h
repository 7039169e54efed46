// The command line of lumarokub-config.
#pragma once

#include <string>
#include <vector>

#include "ubx/UbxKeyCodec.h"

enum class ConfigAction { None, Get, Set, Save, Load, Diff, Delete };

struct ConfigOptions {
    std::string Port;
    unsigned long Baud = 9600;
    ConfigAction Action = ConfigAction::None;
    std::vector<uint32_t> Keys;                      // --get, --delete
    std::vector<ubxcfg::KeyValue> Values;            // --set
    std::string File;                                // --save, --load
    ubxcfg::KeyLayer Layer = ubxcfg::KeyLayer::Ram;  // read by --get, --save, --diff
    uint8_t Layers = ubxcfg::LayerBitRam;  // written by --set, --load; cleared by --delete
    bool LayersGiven = false;
    // The receiver's port this link reaches: what would cut it is named.
    ubxcfg::KeyPort Via = ubxcfg::KeyPort::Uart1;
    int AnswerMs = 1500;
    bool Help = false;
    bool Version = false;
};

extern const char* const ConfigUsage;

// False with a message for a bad command line.
bool ParseConfigOptions(int argc, char** argv, ConfigOptions& options, std::string& error);
