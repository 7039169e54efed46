// The port list of the port panel: the serial ports present on the machine in
// a stable order, ports named on the command line after them, and the port of
// a Prolific USB-to-serial adapter, which the panel preselects.
#pragma once

#include <string>
#include <vector>

#include "serial/PortDiscovery.h"

// The Prolific adapter's port as the port panel knows it: its path ("" when
// none), whether FindProlificPort found it when the panel was built (cleared
// after a "port doesn't exist" failure), and its position in the last
// enumerated list.
struct ProlificPort {
    std::string ProlificPortName;
    bool ProlificFound = false;
    int ProlificIndex = 0;
};

extern const char* const NoPortMessage;

// True with ProlificPortName filled when an adapter is present; otherwise
// false, leaving ProlificPortName as it was.
bool FindProlificPort(ProlificPort& prolific);

// Replaces the list by the ports present now and updates ProlificIndex. With
// no port at all it tells the user and asks the application to end, unless
// the monitor has something else to show (AllowNoPort); it still returns 0
// and the application ends once its event loop runs.
int EnumerateSerialPorts(std::vector<std::string>& list, ProlificPort& prolific);

// Where the ports are looked up (tests point this at fake trees).
void SetPortDiscovery(const PortDiscovery& discovery);
// A capture shown at start: an empty list is then no reason to end.
void AllowNoPort(bool allowed);
// Ports listed after the discovered ones, in the order given (command line,
// the demo receiver). A path already discovered is not listed twice.
void SetExtraPorts(std::vector<std::string> paths);
void AddExtraPort(const std::string& path);
const std::vector<std::string>& ExtraPorts();
