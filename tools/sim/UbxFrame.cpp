#include "tools/sim/UbxFrame.h"

uint16_t UbxChecksum(const uint8_t* data, size_t size) {
    uint8_t a = 0, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = static_cast<uint8_t>(a + data[i]);
        b = static_cast<uint8_t>(b + a);
    }
    return static_cast<uint16_t>(a | (b << 8));
}

std::string BuildUbxFrame(uint8_t cls, uint8_t id, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> body = {cls, id, static_cast<uint8_t>(payload.size() & 0xFF),
                                 static_cast<uint8_t>(payload.size() >> 8)};
    body.insert(body.end(), payload.begin(), payload.end());
    const uint16_t ck = UbxChecksum(body.data(), body.size());
    std::string frame;
    frame.reserve(body.size() + 4);
    frame += static_cast<char>(UbxSync1);
    frame += static_cast<char>(UbxSync2);
    frame.append(body.begin(), body.end());
    frame += static_cast<char>(ck & 0xFF);
    frame += static_cast<char>(ck >> 8);
    return frame;
}

std::string BuildUbxAck(bool ack, uint8_t cls, uint8_t id) {
    return BuildUbxFrame(UbxClassAck, ack ? UbxAckAck : UbxAckNak, {cls, id});
}

bool ParseUbxFrame(const std::string& bytes, UbxMessage& message) {
    if (bytes.size() < UbxOverhead) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (data[0] != UbxSync1 || data[1] != UbxSync2) return false;
    const size_t length = data[4] | (data[5] << 8);
    if (bytes.size() != length + UbxOverhead) return false;
    const uint16_t ck = UbxChecksum(data + 2, length + 4);
    if (data[length + 6] != (ck & 0xFF) || data[length + 7] != (ck >> 8)) return false;
    message.Class = data[2];
    message.Id = data[3];
    message.Payload.assign(data + UbxHeaderSize, data + UbxHeaderSize + length);
    return true;
}

uint16_t ReadU16(const std::vector<uint8_t>& payload, size_t offset) {
    if (offset + 2 > payload.size()) return 0;
    return static_cast<uint16_t>(payload[offset] | (payload[offset + 1] << 8));
}
