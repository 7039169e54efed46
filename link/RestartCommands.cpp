#include "link/RestartCommands.h"

#include "serial/UbxText.h"

namespace {

struct RestartCommand {
    const char* SirfResetConfig;
    const char* const* UbxFrame;
};

constexpr RestartCommand Commands[] = {
    {"1", &UbxHotStartFrame},
    {"2", &UbxWarmStartFrame},
    {"4", &UbxColdStartFrame},
    {"8", nullptr},
};

// Latitude, longitude, altitude, clock offset, time of week, week, channels.
constexpr char SirfRestartPrefix[] = "$PSRF104,0,0,0,96000,237759,922,12,";

const RestartCommand& CommandOf(RestartKind kind) {
    return Commands[static_cast<int>(kind)];
}

}  // namespace

std::string SirfRestartText(RestartKind kind) {
    return std::string(SirfRestartPrefix) + CommandOf(kind).SirfResetConfig + "*";
}

const char* UbxRestartFrame(RestartKind kind) {
    const char* const* frame = CommandOf(kind).UbxFrame;
    return frame ? *frame : nullptr;
}

std::vector<std::string> RestartCommandLines(RestartKind kind, ReceiverProtocol protocol) {
    const char* frame = UbxRestartFrame(kind);
    if (!frame) return {SirfRestartText(kind)};
    switch (protocol) {
        case ReceiverProtocol::Ubx:
            return {frame};
        case ReceiverProtocol::Nmea:
            return {SirfRestartText(kind)};
        case ReceiverProtocol::Unknown:
            break;
    }
    return {SirfRestartText(kind), frame};
}
