#include "serial/UbxText.h"

#include "framing/UbxFrame.h"

const char* const UbxHotStartFrame = "B562060404000000020010680D0A";
const char* const UbxWarmStartFrame = "B5620604040001000200116C0D0A";
const char* const UbxColdStartFrame = "B56206040400FF07020016790D0A";

namespace {

constexpr std::string_view HexDigits = "0123456789ABCDEF";
constexpr std::string_view UbxFrameEnd = "0D0A";

// Upper or lower case: "0a" is the byte a user typed, never 0.
uint8_t DigitValue(std::string_view text, size_t index) {
    if (index >= text.size()) return 0;
    const char digit = text[index];
    const char upper = digit >= 'a' && digit <= 'f' ? static_cast<char>(digit - 'a' + 'A') : digit;
    const size_t position = HexDigits.find(upper);
    return position == std::string_view::npos ? 0 : static_cast<uint8_t>(position);
}

void AppendHexByte(std::string& text, uint8_t value) {
    text += HexDigits[value >> 4];
    text += HexDigits[value & 0x0F];
}

}  // namespace

uint8_t HexPairToByte(std::string_view pair) {
    return static_cast<uint8_t>(16 * DigitValue(pair, 0) + DigitValue(pair, 1));
}

std::vector<uint8_t> HexTextToBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(HexPairToByte(text.substr(i, 2)));
    return bytes;
}

std::string MakeUbxFrameText(std::string_view bodyHex) {
    const std::vector<uint8_t> body = HexTextToBytes(bodyHex);
    framing::UbxChecksum sum;
    sum.Add(body.data(), body.size());
    std::string frame(UbxSyncText);
    frame += bodyHex;
    AppendHexByte(frame, sum.A);
    AppendHexByte(frame, sum.B);
    frame += UbxFrameEnd;
    return frame;
}
