#include "ntrip/ObscuredText.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view Prefix = "obscured:";
constexpr std::string_view Key = "LumarokUb NTRIP";
constexpr const char* Digits = "0123456789abcdef";

// The key byte for position `i`; the position is mixed in so that repeated
// characters do not give repeated digits.
uint8_t KeyByte(size_t i) {
    return static_cast<uint8_t>(Key[i % Key.size()] ^ (i * 37 + 11));
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ObscureText(const std::string& plain) {
    std::string kept(Prefix);
    for (size_t i = 0; i < plain.size(); ++i) {
        const uint8_t byte = static_cast<uint8_t>(plain[i]) ^ KeyByte(i);
        kept += Digits[byte >> 4];
        kept += Digits[byte & 15];
    }
    return kept;
}

bool RevealText(const std::string& kept, std::string& plain) {
    const std::string_view text(kept);
    if (text.substr(0, Prefix.size()) != Prefix || (text.size() - Prefix.size()) % 2 != 0)
        return false;
    std::string revealed;
    for (size_t i = Prefix.size(); i < text.size(); i += 2) {
        const int high = DigitValue(text[i]);
        const int low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0) return false;
        revealed += static_cast<char>((high << 4 | low) ^ KeyByte(revealed.size()));
    }
    plain = std::move(revealed);
    return true;
}
