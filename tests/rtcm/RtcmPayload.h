// Builds RTCM 3 payloads for tests, field by field, most significant bit
// first, independently of the decoder's bit reader.
#pragma once

#include <cstdint>
#include <string>

class RtcmPayload {
  public:
    // Appends the low 'bits' bits of 'value' (two's complement for negatives).
    RtcmPayload& Bits(unsigned bits, int64_t value) {
        // Bits beyond the 64 of 'value' repeat its sign.
        for (unsigned i = bits; i-- > 0;)
            Bit(i < 64 ? (static_cast<uint64_t>(value) >> i) & 1 : value < 0);
        return *this;
    }
    // An 8-bit count and the text's bytes.
    RtcmPayload& Text(const std::string& text) {
        Bits(8, static_cast<int64_t>(text.size()));
        for (const char c : text) Bits(8, static_cast<uint8_t>(c));
        return *this;
    }
    // The bytes, the last one padded with zero bits.
    std::string Bytes() const { return FBytes; }

  private:
    void Bit(uint64_t bit) {
        if (FCount % 8 == 0) FBytes += '\0';
        if (bit) FBytes.back() = static_cast<char>(FBytes.back() | (0x80 >> (FCount % 8)));
        ++FCount;
    }
    std::string FBytes;
    unsigned FCount = 0;
};
