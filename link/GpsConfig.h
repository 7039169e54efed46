// The shared configuration record: which source and rate are in use,
// whether the port is open and whether the console is paused. Every number
// is atomic and the source is kept under its own lock; PortOpen is stored
// with release and read with acquire ordering, so a thread that sees it true
// also sees the source and BaudRate stored before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "serial/Source.h"

// The detection modes: the port panel's mode list, then closing.
enum : int32_t {
    ModeGeneral = 0,
    ModePortDetect = 1,
    ModeBaudDetect = 2,
    ModeAutoDetect = 3,
    ModeClose = 4
};

struct GPSConfig {
    std::atomic<bool> DisplayPaused{false};
    std::atomic<bool> PortOpen{false};
    std::atomic<int32_t> BaudRate{4800};
    std::atomic<int32_t> Parity{0};
    std::atomic<int32_t> DataBits{8};
    std::atomic<int32_t> StopBits{1};
    std::atomic<uint8_t> DetectMode{ModeGeneral};  // one of the modes above but ModeClose

    bool IsPortOpen() const { return PortOpen.load(std::memory_order_acquire); }
    void SetPortOpen(bool open) { PortOpen.store(open, std::memory_order_release); }

    // The source the port panel chose, or the one detection found.
    Source Port() const {
        std::lock_guard<std::mutex> guard(FPortLock);
        return FPort;
    }
    void SetPort(Source source) {
        std::lock_guard<std::mutex> guard(FPortLock);
        FPort = std::move(source);
    }

  private:
    mutable std::mutex FPortLock;
    Source FPort;
};
