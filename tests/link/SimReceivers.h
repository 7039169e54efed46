// Simulated receivers on pseudo-terminals for the detection tests.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tools/sim/ReceiverSimulator.h"

// A receiver at `baud`, its delays shortened `timeScale` times, already running.
inline std::unique_ptr<ReceiverSimulator> StartReceiver(unsigned long baud, double timeScale = 20) {
    SimOptions options;
    options.Baud = baud;
    options.TimeScale = timeScale;
    auto sim = std::make_unique<ReceiverSimulator>(options);
    std::string error;
    EXPECT_TRUE(sim->Start(error)) << error;
    return sim;
}

// A new pseudo-terminal reports 38400 baud before anyone sets it, so a
// receiver at 38400 looks matched until the first open changes the rate, and
// sentences it sent meanwhile could reach the first probe. A real line at the
// wrong rate carries only noise: set another rate first and wait until the
// receiver hears it.
inline void StartMismatched(ReceiverSimulator& sim) {
    using namespace std::chrono_literals;
    const int fd = ::open(sim.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    ::close(fd);
    // A generous limit: under a sanitizer on a loaded machine the receiver
    // may take many seconds to look at its line again.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!sim.Status().Mismatched && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(sim.Status().Mismatched);
}
