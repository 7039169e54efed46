#include "serial/LinkDeviceGpsd.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "serial/PortDevice.h"

namespace {

constexpr unsigned AnswerLimitMs = 3000;
constexpr unsigned AnswerStepMs = 50;
constexpr size_t JsonKept = 4096;  // of a JSON line; the class and message come first
constexpr size_t ReadChunk = 2048;
constexpr const char* ClassDevices = "\"class\":\"DEVICES\"";
constexpr const char* ClassError = "\"class\":\"ERROR\"";
constexpr const char* NoDevices = "\"devices\":[]";
constexpr const char* MessageKey = "\"message\":\"";

std::string WatchRequest(const std::string& device) {
    std::string request = "?WATCH={\"enable\":true,\"raw\":1";
    if (!device.empty()) request += ",\"device\":\"" + device + "\"";
    return request + "};\n";
}

std::string ErrorMessageOf(const std::string& json) {
    const size_t start = json.find(MessageKey);
    if (start == std::string::npos) return json;
    const size_t from = start + std::strlen(MessageKey);
    return json.substr(from, json.find('"', from) - from);
}

}  // namespace

std::unique_ptr<GpsdLink> GpsdLink::Open(const LinkUrl& url, std::string& error) {
    const LinkSocket::SocketHandle socket =
        LinkSocket::ConnectTcp(url.Host, url.Port, LinkConnectLimitMs, error);
    if (socket == LinkSocket::NoSocket) return nullptr;
    auto link = std::make_unique<GpsdLink>(socket);
    const std::string request = WatchRequest(url.Path);
    const std::string who = "gpsd at " + LinkSocket::EndpointText(url.Host, url.Port);
    if (LinkSocket::Write(socket, reinterpret_cast<const uint8_t*>(request.data()), request.size(),
                          AnswerLimitMs) != static_cast<int>(request.size())) {
        error = who + " did not take the watch request";
        return nullptr;
    }
    const std::string problem = link->AwaitDevices(AnswerLimitMs);
    if (!problem.empty()) {
        error = who + ": " + problem;
        return nullptr;
    }
    return link;
}

std::string GpsdLink::AwaitDevices(unsigned limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    uint8_t chunk[ReadChunk];
    while (std::chrono::steady_clock::now() < end) {
        const int n = SocketLink::Read(chunk, sizeof chunk, AnswerStepMs);
        if (n == PortDevice::ReadDeviceGone) return "the daemon closed the connection";
        if (n <= 0) continue;
        const size_t kept = Filter(chunk, static_cast<size_t>(n));
        FHeld.append(reinterpret_cast<const char*>(chunk), kept);
        const size_t error = FAnswers.find(ClassError);
        if (error != std::string::npos) return "error: " + ErrorMessageOf(FAnswers.substr(error));
        const size_t devices = FAnswers.find(ClassDevices);
        if (devices == std::string::npos) continue;
        const std::string list = FAnswers.substr(devices, FAnswers.find('\n', devices) - devices);
        FAnswers.clear();
        FAnswers.shrink_to_fit();
        FAwaiting = false;
        if (list.find(NoDevices) != std::string::npos) return "it has no receiver";
        return {};
    }
    return "no answer within " + std::to_string(limitMs / 1000) + " s";
}

size_t GpsdLink::Filter(uint8_t* data, size_t count) {
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = data[i];
        if (FAtLineStart) {
            FInJson = byte == '{';
            FDropping = !FInJson && byte != '$' && byte != '!';
        }
        FAtLineStart = byte == '\n';
        if (FDropping) continue;
        if (!FInJson) {
            data[kept++] = byte;
            continue;
        }
        if (byte == '\n') {
            FInJson = false;
            if (FAwaiting) FAnswers += FJson + '\n';
            FJson.clear();
        } else if (FJson.size() < JsonKept) {
            FJson.push_back(static_cast<char>(byte));
        }
    }
    return kept;
}

int GpsdLink::Read(uint8_t* data, size_t size, unsigned waitMs) {
    if (!FHeld.empty()) {
        const size_t count = std::min(size, FHeld.size());
        std::memcpy(data, FHeld.data(), count);
        FHeld.erase(0, count);
        return static_cast<int>(count);
    }
    const int n = SocketLink::Read(data, size, waitMs);
    if (n <= 0) return n;
    const size_t kept = Filter(data, static_cast<size_t>(n));
    return kept > 0 ? static_cast<int>(kept) : PortDevice::ReadTimedOut;
}

int GpsdLink::Write(const uint8_t*, size_t, unsigned) {
    return -1;
}
