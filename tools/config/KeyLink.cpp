#include "tools/config/KeyLink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "framing/UbxFrame.h"
#include "serial/YComPort.h"

using namespace ubxcfg;

namespace {

constexpr uint8_t ClassAck = 0x05;
constexpr uint8_t IdAck = 0x01;
constexpr uint8_t IdNak = 0x00;
constexpr uint32_t GroupWildcardItem = 0x0FFF;

// Raises `stop` when the time is up, unless cancelled first.
class Deadline {
  public:
    Deadline(std::atomic<bool>& stop, int ms)
        : FThread([this, &stop, ms] {
              std::unique_lock<std::mutex> lock(FLock);
              if (!FWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return FDone; }))
                  stop = true;
          }) {}
    ~Deadline() {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FDone = true;
        }
        FWake.notify_all();
        FThread.join();
    }

  private:
    std::mutex FLock;
    std::condition_variable FWake;
    bool FDone = false;
    std::thread FThread;
};

}  // namespace

std::vector<uint32_t> TableGroupWildcards() {
    std::set<uint32_t> groups;
    std::vector<uint32_t> out;
    for (const KeyInfo& k : KeyTable()) {
        const uint32_t wildcard = (k.Id & 0x00FF0000) | GroupWildcardItem;
        if (groups.insert(wildcard).second) out.push_back(wildcard);
    }
    return out;
}

KeyAnswer KeyLink::Exchange(uint8_t id, const std::vector<uint8_t>& payload, ValGetAnswer* answer) {
    std::vector<uint8_t> frame;
    framing::EncodeUbx(UbxClassCfgKeys, id, payload.data(), static_cast<uint16_t>(payload.size()),
                       frame);
    FProblem.clear();
    if (FPort.WriteBytes(frame.data(), frame.size()) != static_cast<int>(frame.size())) {
        FProblem = "writing to the port failed";
        return KeyAnswer::Failed;
    }
    std::atomic<bool> stop{false};
    Deadline deadline(stop, FAnswerMs);
    auto frameBuffer = std::make_unique<framing::UbxFrameBuffer>();
    framing::UbxFrameBuffer& ubx = *frameBuffer;
    char sentence[512];
    while (!stop) {
        uint16_t length = 0;
        const RecordKind kind = FPort.ReadRecord(sentence, length, &ubx, stop);
        if (FPort.DeviceGone()) {
            FProblem = "the device is gone";
            return KeyAnswer::Failed;
        }
        if (kind != RecordKind::Ubx) continue;
        const uint8_t* p = ubx.Payload();
        if (ubx.Class() == UbxClassCfgKeys && ubx.Id() == UbxIdValGet && answer &&
            DecodeValGetAnswer(p, ubx.PayloadLength(), *answer))
            continue;
        if (ubx.Class() == ClassAck && (ubx.Id() == IdAck || ubx.Id() == IdNak) &&
            ubx.PayloadLength() >= 2 && p[0] == UbxClassCfgKeys && p[1] == id)
            return ubx.Id() == IdAck ? KeyAnswer::Ack : KeyAnswer::Nak;
    }
    FProblem = "no answer from the receiver";
    return KeyAnswer::Silent;
}

KeyAnswer KeyLink::GetAll(KeyLayer layer, const std::vector<uint32_t>& keys,
                          std::vector<KeyValue>& out) {
    bool refused = false;
    for (size_t first = 0; first < keys.size(); first += MaxKeysPerMessage) {
        const std::vector<uint32_t> part(
            keys.begin() + static_cast<long>(first),
            keys.begin() + static_cast<long>(std::min(keys.size(), first + MaxKeysPerMessage)));
        for (uint16_t position = 0;;
             position = static_cast<uint16_t>(position + MaxKeysPerMessage)) {
            ValGetAnswer answer;
            const KeyAnswer a =
                Exchange(UbxIdValGet, EncodeValGetPoll(layer, position, part), &answer);
            // A NAK says none (more) of these keys are in the layer.
            refused = refused || (a == KeyAnswer::Nak && position == 0);
            if (a == KeyAnswer::Nak) break;
            if (a != KeyAnswer::Ack) return a;
            out.insert(out.end(), answer.Values.begin(), answer.Values.end());
            if (answer.Values.size() < MaxKeysPerMessage) break;
        }
    }
    return out.empty() && refused ? KeyAnswer::Nak : KeyAnswer::Ack;
}

KeyAnswer KeyLink::Sequence(uint8_t id, const std::vector<std::vector<uint8_t>>& payloads) {
    for (const auto& payload : payloads) {
        const KeyAnswer a = Exchange(id, payload);
        if (a != KeyAnswer::Ack) return a;
    }
    return KeyAnswer::Ack;
}

KeyAnswer KeyLink::Set(const std::vector<KeyValue>& values, uint8_t layers) {
    return Sequence(UbxIdValSet, EncodeValSet(values, layers));
}

bool KeyLink::FollowRate(uint32_t baud) {
    return FPort.ChangeRate(baud);
}

KeyAnswer KeyLink::Delete(const std::vector<uint32_t>& keys, uint8_t layers) {
    return Sequence(UbxIdValDel, EncodeValDel(keys, layers));
}
