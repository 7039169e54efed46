// A simulated receiver on a pseudo-terminal with the monitor's port opened on
// its slave side, as a user connects to a receiver: the port at the
// simulator's rate, the configuration told which port is open.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "link/GpsConfig.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "tools/sim/ReceiverSimulator.h"

// Opens the simulator's line and the port on it, then starts the simulator,
// so the port misses none of its output.
inline testing::AssertionResult ConnectSim(ReceiverSimulator& sim, YComPort& port,
                                           GPSConfig& config) {
    std::string error;
    if (!sim.Open(error)) return testing::AssertionFailure() << error;
    const Source device = Source::Device(sim.SlavePath());
    const auto baud = static_cast<uint32_t>(sim.Options().Baud);
    if (!port.OpenPort(device, baud))
        return testing::AssertionFailure() << "cannot open " << sim.SlavePath();
    if (!sim.Start(error)) return testing::AssertionFailure() << error;
    config.SetPort(device);
    config.BaudRate = static_cast<int32_t>(baud);
    config.SetPortOpen(true);
    return testing::AssertionSuccess();
}

// Closes the port, then stops the simulator.
inline void DisconnectSim(ReceiverSimulator& sim, YComPort& port, GPSConfig& config) {
    config.SetPortOpen(false);
    port.ClosePort();
    sim.Stop();
}
