#include "nmea/FieldList.h"

#include <cstring>

#include "nmea/Utils.h"

namespace {

constexpr size_t MaxHexDigits = 2;

// Words of eight characters, read in memory order as the low byte first.
constexpr size_t WordBytes = 8;
constexpr bool LittleEndian =
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
#else
    false;
#endif
constexpr uint64_t EveryByte = 0x0101010101010101ull;
constexpr uint64_t LowBits = 0x7F7F7F7F7F7F7F7Full;

// The high bit of every byte of 'word' that equals c, and no other bit: the
// low seven bits of a byte cannot carry into the next.
uint64_t BytesEqual(uint64_t word, char c) {
    const uint64_t x = word ^ (EveryByte * static_cast<uint8_t>(c));
    return ~(((x & LowBits) + LowBits) | x | LowBits);
}

// The position in the word of the lowest byte marked by BytesEqual.
size_t LowestByte(uint64_t marks) {
    return static_cast<size_t>(__builtin_ctzll(marks)) / 8;
}

uint8_t FoldLanes(uint64_t sums) {
    sums ^= sums >> 32;
    sums ^= sums >> 16;
    sums ^= sums >> 8;
    return static_cast<uint8_t>(sums);
}

}  // namespace

void FieldList::Split(std::string_view sentence) {
    FSentence = sentence;
    FCount = 0;
    FStar = sentence.size();
    FSum = 0;
    if (sentence.empty()) return;
    const char* s = sentence.data();
    const size_t n = sentence.size();
    int commas = 0;
    const auto comma = [&](size_t pos) {
        if (commas < Capacity) FEnds[commas++] = static_cast<uint32_t>(pos);
    };
    uint64_t sums = 0;  // eight running sums, one per byte lane
    size_t i = 1;
    bool star = false;
    if (LittleEndian) {
        // Eight characters at a time: the '*' and the commas are found by
        // comparing whole words, and the checksum is summed lane by lane.
        for (; i + WordBytes <= n; i += WordBytes) {
            uint64_t word;
            std::memcpy(&word, s + i, WordBytes);
            const uint64_t stars = BytesEqual(word, '*');
            const size_t length = stars ? LowestByte(stars) : WordBytes;
            if (length < WordBytes) word &= (uint64_t{1} << (length * 8)) - 1;
            sums ^= word;
            for (uint64_t c = BytesEqual(word, ','); c != 0; c &= c - 1) comma(i + LowestByte(c));
            if (stars) {
                i += length;
                star = true;
                break;
            }
        }
    }
    uint8_t sum = FoldLanes(sums);
    for (; !star && i < n && s[i] != '*'; ++i) {
        sum ^= static_cast<uint8_t>(s[i]);
        if (s[i] == ',') comma(i);
    }
    FSum = sum;
    FStar = i;
    if (commas < Capacity) {
        FEnds[commas] = static_cast<uint32_t>(i);
        FCount = commas + 1;
    } else {
        FCount = Capacity;
    }
}

int FieldList::FieldAfter(int pos) const {
    for (int i = 0; i < FCount; ++i) {
        if (End(i) == pos) return i + 1;
        if (End(i) > pos) break;
    }
    return -1;
}

bool FieldList::Hex(int i, int32_t& value) const {
    const std::string_view f = At(i);
    if (f.empty() || f.size() > MaxHexDigits) return false;
    int32_t v = 0;
    for (char c : f) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return false;
        v = v * 16 + digit;
    }
    value = v;
    return true;
}
