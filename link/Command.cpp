#include "link/Command.h"

#include "framing/UbxFrame.h"
#include "serial/UbxText.h"

namespace {

constexpr uint8_t LineEndBytes[] = {'\r', '\n'};

// The frame `bytes` hold whole, with a sound checksum, optionally followed
// by CR LF (told through `lineEnd`).
std::optional<UbxFrame> WholeFrame(const std::vector<uint8_t>& bytes, bool& lineEnd) {
    using namespace framing;
    const size_t frameSize = UbxFrameSizeAt(bytes.data(), bytes.size());
    if (frameSize == 0) return std::nullopt;
    lineEnd = bytes.size() == frameSize + sizeof LineEndBytes &&
              bytes[frameSize] == LineEndBytes[0] && bytes[frameSize + 1] == LineEndBytes[1];
    if (bytes.size() != frameSize && !lineEnd) return std::nullopt;
    const auto payload = bytes.begin() + UbxHeaderSize;
    return UbxFrame{
        bytes[2],
        bytes[3],
        {payload, payload + static_cast<ptrdiff_t>(frameSize - UbxHeaderSize - UbxChecksumSize)}};
}

}  // namespace

std::optional<Command> CommandFromText(std::string_view text) {
    if (text.size() > CommandTextLimit) return std::nullopt;
    if (text.substr(0, UbxSyncText.size()) != UbxSyncText)
        return Command{NmeaText{std::string(text)}};
    std::vector<uint8_t> bytes = HexTextToBytes(text);
    bool lineEnd = false;
    if (std::optional<UbxFrame> frame = WholeFrame(bytes, lineEnd))
        return Command{std::move(*frame), lineEnd};
    return Command{RawBytes{std::move(bytes)}};
}

std::vector<uint8_t> FrameWireBytes(const Command& command) {
    if (const auto* raw = std::get_if<RawBytes>(&command.Value)) return raw->Bytes;
    std::vector<uint8_t> bytes;
    const auto* frame = std::get_if<UbxFrame>(&command.Value);
    if (frame && frame->Payload.size() <= framing::UbxMaxPayload) {
        framing::EncodeUbx(frame->Class, frame->Id, frame->Payload.data(),
                           static_cast<uint16_t>(frame->Payload.size()), bytes);
        if (command.LineEnd)
            bytes.insert(bytes.end(), std::begin(LineEndBytes), std::end(LineEndBytes));
    }
    return bytes;
}
