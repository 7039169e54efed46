// Fuzzes lumarokub-decode's whole path from bytes to JSON: the stream read as
// a file, framing of sentences and UBX and RTCM 3 frames, dispatch into a
// fresh store, one JSON line per record, and the --final state. Every line
// written must be printable ASCII and valid JSON that lost no byte, whatever
// the bytes. The input is decoded as it is, then once more wrapped in an
// RTCM 3 frame with a sound CRC, so every RTCM decoder and its rendering
// meets arbitrary payloads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "tools/decode/StreamDecoder.h"

namespace {

void CheckLines(const std::string& out, size_t atLeast) {
    std::istringstream lines(out);
    std::string line;
    size_t count = 0;
    while (std::getline(lines, line)) {
        ++count;
        for (const char c : line)
            if (c < 0x20 || c > 0x7E) __builtin_trap();
        // A replacement character would be bytes lost: each byte has its code
        // point. It is looked for in the parsed texts, where a received text
        // that spells "\ufffd" in ASCII stays a backslash and letters.
        const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        if (parsed.is_discarded()) __builtin_trap();
        if (parsed.dump(-1, ' ', false).find("\xEF\xBF\xBD") != std::string::npos) __builtin_trap();
    }
    if (count < atLeast) __builtin_trap();
}

// The input's first bytes as the payload of one RTCM 3 frame.
std::string RtcmFrameOf(const uint8_t* data, size_t size) {
    const size_t length = size < framing::RtcmMaxPayload ? size : framing::RtcmMaxPayload;
    std::string frame = {static_cast<char>(framing::RtcmPreamble), static_cast<char>(length >> 8),
                         static_cast<char>(length & 0xFF)};
    frame.append(reinterpret_cast<const char*>(data), length);
    const uint32_t crc =
        framing::Crc24q(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    for (const int shift : {16, 8, 0}) frame += static_cast<char>(crc >> shift);
    return frame;
}

void DecodeBytes(const uint8_t* data, size_t size) {
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) __builtin_trap();
    std::ostringstream lines;
    std::ostringstream state;
    {
        // As lumarokub-decode decodes a file, with the state --final would write.
        StreamByteSource source(file);
        StreamDecoder decoder(false);
        while (decoder.More(source) && decoder.DecodeNext(source, lines)) {
        }
        if (!decoder.Finish(lines) || !decoder.WriteState(state)) __builtin_trap();
    }
    std::fclose(file);
    CheckLines(lines.str(), 0);
    CheckLines(state.str(), 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;  // fmemopen takes no empty buffer
    DecodeBytes(data, size);
    std::string frame = RtcmFrameOf(data, size);
    DecodeBytes(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    return 0;
}
