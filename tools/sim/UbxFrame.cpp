#include "tools/sim/UbxFrame.h"

std::string BuildUbxFrame(uint8_t cls, uint8_t id, const std::vector<uint8_t>& payload) {
    return framing::EncodedUbx<std::string>(cls, id, payload.data(), payload.size());
}

std::string BuildUbxAck(bool ack, uint8_t cls, uint8_t id) {
    return BuildUbxFrame(UbxClassAck, ack ? UbxAckAck : UbxAckNak, {cls, id});
}

bool ParseUbxFrame(const std::string& bytes, UbxMessage& message) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t size = framing::UbxFrameSizeAt(data, bytes.size());
    if (size == 0 || size != bytes.size()) return false;
    message.Class = data[2];
    message.Id = data[3];
    message.Payload.assign(data + UbxHeaderSize, data + size - framing::UbxChecksumSize);
    return true;
}

uint16_t ReadU16(const std::vector<uint8_t>& payload, size_t offset) {
    if (offset + 2 > payload.size()) return 0;
    return static_cast<uint16_t>(payload[offset] | (payload[offset + 1] << 8));
}
