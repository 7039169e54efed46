// What an NtripClient under test hands out: the correction bytes and the
// message lines, gathered from its thread, and a wait for a condition on
// them or on the client's state with a generous limit.
#pragma once

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ntrip/NtripClient.h"

struct ClientProbe {
    mutable std::mutex Lock;
    std::string Bytes;
    std::vector<std::string> Lines;

    std::unique_ptr<NtripClient> Start(NtripClientConfig config) {
        auto client = std::make_unique<NtripClient>(
            std::move(config),
            [this](const uint8_t* data, size_t size) {
                std::lock_guard<std::mutex> guard(Lock);
                Bytes.append(reinterpret_cast<const char*>(data), size);
            },
            [this](const std::string& line) {
                std::lock_guard<std::mutex> guard(Lock);
                Lines.push_back(line);
            });
        client->Start();
        client->Resume();
        return client;
    }
    size_t Size() const {
        std::lock_guard<std::mutex> guard(Lock);
        return Bytes.size();
    }
    std::string AllLines() const {
        std::lock_guard<std::mutex> guard(Lock);
        std::string all;
        for (const std::string& line : Lines) all += line + "\n";
        return all;
    }
};

// Waits for `condition` within a limit meant for a loaded machine.
inline bool WaitUntil(const std::function<bool()>& condition, int limitS = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitS);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

inline std::string ReadCorpus(const std::string& name) {
    std::ifstream file(std::string(LUMAROKUB_RTCM_CORPUS_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
