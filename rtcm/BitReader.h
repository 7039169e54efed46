// Reads the bit fields of an RTCM 3 payload: big-endian, most significant bit
// first, unsigned or two's-complement fields of 0 to 64 bits. The payload
// comes from outside, so every read is bounds-checked: a field that runs past
// the end (or is wider than 64 bits) reads as 0, the reader stays at the end
// and Ok() turns false for good. A decoder reads its fields one after another
// and checks Ok() once at the end.
#pragma once

#include <cstddef>
#include <cstdint>

class BitReader {
  public:
    static constexpr unsigned MaxField = 64;

    BitReader(const uint8_t* bytes, size_t size) : FBytes(bytes), FBits(size * 8) {}

    uint64_t Unsigned(unsigned bits) {
        if (!Fits(bits)) return 0;
        uint64_t value = 0;
        for (unsigned i = 0; i < bits; ++i, ++FAt)
            value = value << 1 | ((FBytes[FAt / 8] >> (7 - FAt % 8)) & 1u);
        return value;
    }

    int64_t Signed(unsigned bits) {
        const uint64_t value = Unsigned(bits);
        if (bits == 0 || bits > MaxField || !(value >> (bits - 1) & 1u))
            return static_cast<int64_t>(value);
        if (bits == MaxField) return -static_cast<int64_t>(~value) - 1;
        return static_cast<int64_t>(value) - static_cast<int64_t>(uint64_t{1} << (bits - 1)) -
               static_cast<int64_t>(uint64_t{1} << (bits - 1));
    }

    void Skip(size_t bits) {
        if (FOk && bits <= FBits - FAt)
            FAt += bits;
        else
            Fail();
    }

    bool Ok() const { return FOk; }
    size_t BitsLeft() const { return FBits - FAt; }

  private:
    bool Fits(unsigned bits) {
        if (FOk && bits <= MaxField && bits <= FBits - FAt) return true;
        Fail();
        return false;
    }
    void Fail() {
        FOk = false;
        FAt = FBits;
    }

    const uint8_t* FBytes;
    size_t FBits;
    size_t FAt = 0;
    bool FOk = true;
};
