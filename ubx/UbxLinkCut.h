// Which key changes would cut the monitor's link to the receiver: the line
// rate of the port the monitor is connected through, that port switched
// off, its UBX or NMEA input switched off (the monitor's commands and their
// answers stop), or its UBX or NMEA output switched off (the monitor hears
// nothing, or no answers). Changes to other ports never cut the link.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ubx/UbxKeyCodec.h"

namespace ubxcfg {

// The receiver's port the monitor is connected through and the rate it
// reads at (no rate for USB).
struct LinkPort {
    KeyPort Port = KeyPort::Uart1;
    uint32_t Baud = 0;
};

enum class CutKind : uint8_t { Baud, PortOff, InputOff, OutputOff };

struct LinkCut {
    uint32_t Id = 0;
    CutKind Kind = CutKind::Baud;
    std::string Reason;  // "CFG-UART1-BAUDRATE: UART1 changes from 115200 to 9600 Bd"
};

// The changes among `changes` that would cut the link on `port`, in their order.
std::vector<LinkCut> LinkCuts(const std::vector<KeyValue>& changes, const LinkPort& port);
// The new line rate of the port when `changes` set it to another rate; 0 otherwise.
uint32_t NewLinkBaud(const std::vector<KeyValue>& changes, const LinkPort& port);
const char* KeyPortName(KeyPort port);

}  // namespace ubxcfg
