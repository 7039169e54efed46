#include "serial/LinkDeviceGpsd.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>

#include "framing/UbxFrame.h"
#include "serial/PortDevice.h"

namespace {

constexpr unsigned AnswerLimitMs = 3000;
constexpr unsigned AnswerStepMs = 50;
constexpr size_t JsonKept = 4096;  // of a JSON object; the class and path come first
constexpr size_t ReadChunk = 2048;
constexpr std::string_view JsonStart = "{\"class\":\"";
constexpr const char* ClassDevices = "DEVICES";
constexpr const char* ClassDevice = "DEVICE";
constexpr const char* ClassError = "ERROR";
constexpr const char* Deactivated = "\"activated\":0";

// The request: every byte as it comes, and the JSON reports, which alone
// carry the DEVICE report of a device going away.
std::string WatchRequest(const std::string& device) {
    std::string request = "?WATCH={\"enable\":true,\"json\":true,\"raw\":2";
    if (!device.empty()) request += ",\"device\":\"" + device + "\"";
    return request + "};\n";
}

// The text of `"key":"value"` at or after `from`; "" when absent.
std::string TextOf(const std::string& json, const std::string& key, size_t from = 0) {
    const std::string opening = "\"" + key + "\":\"";
    const size_t start = json.find(opening, from);
    if (start == std::string::npos) return {};
    const size_t value = start + opening.size();
    return json.substr(value, json.find('"', value) - value);
}

bool DeviceDeactivated(const std::string& json) {
    const size_t at = json.find(Deactivated);
    if (at == std::string::npos) return false;
    const size_t after = at + std::strlen(Deactivated);
    return after < json.size() && (json[after] == ',' || json[after] == '}');
}

}  // namespace

void GpsdStreamSplitter::Outside(uint8_t byte, std::string& receiver) {
    if (byte == JsonStart[0]) {
        FCandidate.assign(1, static_cast<char>(byte));
        return;
    }
    if (byte == framing::UbxSync1) {
        FHeader[0] = byte;
        FHeaderHave = 1;
    }
    receiver.push_back(static_cast<char>(byte));
}

void GpsdStreamSplitter::Split(const uint8_t* data, size_t count, std::string& receiver,
                               std::vector<std::string>& objects) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = data[i];
        if (FInJson) {
            if (byte == '\n') {
                if (!FJson.empty() && FJson.back() == '\r') FJson.pop_back();
                objects.push_back(std::move(FJson));
                FJson.clear();
                FInJson = false;
            } else if (FJson.size() < JsonKept) {
                FJson.push_back(static_cast<char>(byte));
            }
        } else if (FFrameLeft > 0) {
            receiver.push_back(static_cast<char>(byte));
            --FFrameLeft;
        } else if (FHeaderHave == 1 && byte != framing::UbxSync2) {
            FHeaderHave = 0;  // not a frame after all
            Outside(byte, receiver);
        } else if (FHeaderHave > 0) {
            receiver.push_back(static_cast<char>(byte));
            FHeader[FHeaderHave++] = byte;
            if (FHeaderHave < framing::UbxHeaderSize) continue;
            const size_t length = FHeader[4] | (FHeader[5] << 8);
            FFrameLeft = length <= framing::UbxMaxPayload ? length + framing::UbxChecksumSize : 0;
            FHeaderHave = 0;
        } else if (!FCandidate.empty()) {
            FCandidate.push_back(static_cast<char>(byte));
            if (JsonStart.compare(0, FCandidate.size(), FCandidate) != 0) {
                receiver.append(FCandidate, 0, FCandidate.size() - 1);  // the receiver's after all
                FCandidate.clear();
                Outside(byte, receiver);
            } else if (FCandidate.size() == JsonStart.size()) {
                FJson = std::move(FCandidate);
                FCandidate.clear();
                FInJson = true;
            }
        } else {
            Outside(byte, receiver);
        }
    }
}

std::unique_ptr<GpsdLink> GpsdLink::Open(const LinkUrl& url, std::string& error) {
    const LinkSocket::SocketHandle socket =
        LinkSocket::ConnectTcp(url.Host, url.Port, LinkConnectLimitMs, error);
    if (socket == LinkSocket::NoSocket) return nullptr;
    auto link = std::make_unique<GpsdLink>(socket, url.Path);
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

GpsdLink::GpsdLink(LinkSocket::SocketHandle socket, std::string device)
    : SocketLink(socket), FDevice(std::move(device)) {}

void GpsdLink::Answer(const std::string& json) {
    const std::string kind = TextOf(json, "class");
    if (kind == ClassError && FAwaiting) {
        const std::string message = TextOf(json, "message");
        FProblem = "error: " + (message.empty() ? json : message);
    } else if (kind == ClassDevices && FAwaiting) {
        // Each listed device is a "class":"DEVICE" object with its path.
        for (size_t at = json.find("\"path\":\""); at != std::string::npos;
             at = json.find("\"path\":\"", at + 1)) {
            const std::string path = TextOf(json, "path", at);
            if (FDevice.empty() || path == FDevice) FActive.insert(path);
        }
        FListed = true;
    } else if (kind == ClassDevice) {
        const std::string path = TextOf(json, "path");
        if (!FDevice.empty() && path != FDevice) return;
        if (DeviceDeactivated(json)) {
            FActive.erase(path);
            if (FActive.empty() && !FAwaiting) FGone = true;
        } else {
            FActive.insert(path);
        }
    }
}

int GpsdLink::Receive(uint8_t* chunk, size_t size, unsigned waitMs) {
    const int n = SocketLink::Read(chunk, size, waitMs);
    if (n <= 0) return n;
    if (FHeldAt == FHeld.size()) {
        FHeld.clear();
        FHeldAt = 0;
    }
    FSplitter.Split(chunk, static_cast<size_t>(n), FHeld, FObjects);
    for (const std::string& json : FObjects) Answer(json);
    FObjects.clear();
    return n;
}

std::string GpsdLink::AwaitDevices(unsigned limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    uint8_t chunk[ReadChunk];
    while (std::chrono::steady_clock::now() < end) {
        if (Receive(chunk, sizeof chunk, AnswerStepMs) == PortDevice::ReadDeviceGone)
            return "the daemon closed the connection";
        if (!FProblem.empty()) return FProblem;
        if (!FListed) continue;
        FAwaiting = false;
        return FActive.empty() ? "it has no receiver" : "";
    }
    return "no answer within " + std::to_string(limitMs / 1000) + " s";
}

int GpsdLink::Read(uint8_t* data, size_t size, unsigned waitMs) {
    if (FHeldAt == FHeld.size() && !FGone) {
        const int n = Receive(data, size, waitMs);
        if (n <= 0) return n;
    }
    if (FHeldAt < FHeld.size()) {
        const size_t count = std::min(size, FHeld.size() - FHeldAt);
        std::memcpy(data, FHeld.data() + FHeldAt, count);
        FHeldAt += count;
        return static_cast<int>(count);
    }
    return FGone ? PortDevice::ReadDeviceGone : PortDevice::ReadTimedOut;
}

int GpsdLink::Write(const uint8_t*, size_t, unsigned) {
    return -1;
}
