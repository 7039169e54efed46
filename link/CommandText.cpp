#include "link/CommandText.h"

#include <cstdint>

namespace {

constexpr char SentenceStart = '$';
constexpr char ChecksumMark = '*';
constexpr char LineEnd[] = "\r\n";
constexpr char HexDigits[] = "0123456789ABCDEF";

std::string_view TrimLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    return text;
}

std::string ChecksumText(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    return {HexDigits[sum >> 4], HexDigits[sum & 0x0F]};
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The digits typed after '*' name `expected` (either case).
bool DigitsMatch(std::string_view digits, const std::string& expected) {
    return digits.size() == 2 && HexValue(digits[0]) == HexValue(expected[0]) &&
           HexValue(digits[1]) == HexValue(expected[1]);
}

}  // namespace

const char* const CommandRefusedCaption = "warning";

CommandWireText CompleteCommandText(std::string_view command) {
    CommandWireText wire;
    if (command.empty() || command.front() != SentenceStart) {
        wire.Text = command;
        return wire;
    }
    const std::string_view text = TrimLineEnd(command);
    const size_t mark = text.find(ChecksumMark);
    const std::string_view body =
        text.substr(1, mark == std::string_view::npos ? text.npos : mark - 1);
    const std::string expected = ChecksumText(body);
    if (mark != std::string_view::npos && mark + 1 < text.size() &&
        !DigitsMatch(text.substr(mark + 1), expected)) {
        wire.Ok = false;
        wire.Refusal = "Wrong checksum " + std::string(text.substr(mark)) + " in " +
                       std::string(text.substr(0, mark)) + ": expected " + ChecksumMark + expected +
                       ". Nothing was sent.";
        return wire;
    }
    wire.Text.reserve(body.size() + 6);
    wire.Text.append(1, SentenceStart).append(body).append(1, ChecksumMark);
    wire.Text.append(expected).append(LineEnd);
    return wire;
}

std::string_view WithoutLineEnd(std::string_view wire) {
    return TrimLineEnd(wire);
}
