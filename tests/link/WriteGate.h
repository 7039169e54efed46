// A port observer that records what the port does and holds the thread of
// the first write inside it until released: a test then knows the command
// sender is in the middle of a write.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "tests/serial/PortRecorder.h"

class WriteGate : public PortRecorder {
  public:
    void PortWrote(const uint8_t* data, size_t count) override {
        PortRecorder::PortWrote(data, count);
        std::unique_lock<std::mutex> hold(FLock);
        if (FHeld) return;
        FHeld = true;
        FChanged.notify_all();
        FChanged.wait(hold, [this] { return FReleased; });
    }
    bool WaitHeld(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> hold(FLock);
        return FChanged.wait_for(hold, limit, [this] { return FHeld; });
    }
    void Release() {
        std::lock_guard<std::mutex> hold(FLock);
        FReleased = true;
        FChanged.notify_all();
    }

  private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FHeld = false;
    bool FReleased = false;
};
