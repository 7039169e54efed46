// The shared configuration record: which port and rate are in use, whether
// the port is open and whether the console is paused. Every field is atomic;
// PortOpen is stored with release and read with acquire ordering, so a thread
// that sees it true also sees the PortNumber and BaudRate stored before it.
#pragma once

#include <atomic>
#include <cstdint>

enum : uint8_t { DetectGeneral = 0, DetectPort = 1, DetectBaudRate = 2, DetectAuto = 3 };

struct GPSConfig {
    std::atomic<bool> DisplayPaused{false};
    std::atomic<bool> PortOpen{false};
    std::atomic<int32_t> PortNumber{1};
    std::atomic<int32_t> BaudRate{4800};
    std::atomic<int32_t> Parity{0};
    std::atomic<int32_t> DataBits{8};
    std::atomic<int32_t> StopBits{1};
    std::atomic<uint8_t> DetectMode{DetectGeneral};

    bool IsPortOpen() const { return PortOpen.load(std::memory_order_acquire); }
    void SetPortOpen(bool open) { PortOpen.store(open, std::memory_order_release); }
};

// Created by the main window; never null afterwards.
extern GPSConfig* GpsConfig;
