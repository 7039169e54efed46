// Records what a port does on the wire side, in order: "purge TX RX",
// "purge TX", "purge RX" and the bytes of each write.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "serial/YComPort.h"

class PortRecorder : public PortObserver {
  public:
    static constexpr const char* PurgeBothEvent = "purge TX RX";
    static constexpr const char* PurgeTransmitEvent = "purge TX";

    void PortPurged(bool transmit, bool receive) override {
        std::string event = "purge";
        if (transmit) event += " TX";
        if (receive) event += " RX";
        Add(event);
    }
    void PortWrote(const uint8_t* data, size_t count) override {
        Add("write " + std::string(reinterpret_cast<const char*>(data), count));
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> guard(FLock);
        return FEvents;
    }

  private:
    void Add(std::string event) {
        std::lock_guard<std::mutex> guard(FLock);
        FEvents.push_back(std::move(event));
    }
    std::mutex FLock;
    std::vector<std::string> FEvents;
};
