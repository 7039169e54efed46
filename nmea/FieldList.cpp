#include "nmea/FieldList.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "nmea/Utils.h"

namespace {

constexpr size_t MaxHexDigits = 2;
constexpr size_t BlockCommas = 16;  // the most commas one block of sixteen characters holds

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

#if defined(__SSE2__)
constexpr size_t BlockBytes = 16;

// Bit k set when byte k of the block equals c.
unsigned BlockBytesEqual(__m128i block, char c) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
}

// A mask keeping the first 'count' bytes of a block (count below 16).
__m128i LeadingBytes(size_t count) {
    alignas(16) static constexpr uint8_t Ones[2 * BlockBytes] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                 0xFF, 0xFF, 0xFF, 0xFF};
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Ones + BlockBytes - count));
}

// For each byte of comma marks, the positions of its set bits in order and
// how many there are: a block's commas are stored without a branch per comma.
struct BitPositionTable {
    uint8_t Positions[256][8];
    uint8_t Counts[256];
    constexpr BitPositionTable() : Positions(), Counts() {
        for (int marks = 0; marks < 256; ++marks) {
            int count = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (marks & (1 << bit)) Positions[marks][count++] = static_cast<uint8_t>(bit);
            Counts[marks] = static_cast<uint8_t>(count);
        }
    }
};
inline constexpr BitPositionTable BitPositions{};

// Stores first + k for each bit k set in the eight bits of 'marks', in
// order, and returns how many: eight slots of 'out' are written whatever
// their number.
size_t StoreMarkedPositions(uint32_t* out, uint32_t first, unsigned marks) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes =
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(BitPositions.Positions[marks]));
    const __m128i words = _mm_unpacklo_epi8(bytes, zero);
    const __m128i base = _mm_set1_epi32(static_cast<int>(first));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_add_epi32(_mm_unpacklo_epi16(words, zero), base));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4),
                     _mm_add_epi32(_mm_unpackhi_epi16(words, zero), base));
    return BitPositions.Counts[marks];
}

// The sixteen lane sums folded to eight.
uint64_t FoldBlock(__m128i sums) {
    alignas(16) uint64_t halves[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(halves), sums);
    return halves[0] ^ halves[1];
}
#endif

uint8_t FoldLanes(uint64_t sums) {
    sums ^= sums >> 32;
    sums ^= sums >> 16;
    sums ^= sums >> 8;
    return static_cast<uint8_t>(sums);
}

// Sums the text from after the '$' up to the '*' (or its end) into 'sum' and
// returns the position of the '*' (or the end); the commas on the way are
// told in order, a block of sixteen characters at a time as
// commas(first, marks) (bit k of marks: a comma at first + k) and the rest
// one at a time as comma(pos).
template <class Commas, class Comma>
size_t SumToStar(std::string_view sentence, uint8_t& result, Commas&& commas, Comma&& comma) {
    const char* s = sentence.data();
    const size_t n = sentence.size();
    uint64_t sums = 0;  // eight running sums, one per byte lane
    size_t i = 1;
    bool star = false;
    (void)commas;  // used by the blocks of sixteen alone
#if defined(__SSE2__)
    // Sixteen characters at a time where the processor compares them at once;
    // what is left of the text goes on in words.
    __m128i blockSums = _mm_setzero_si128();
    for (; i + BlockBytes <= n; i += BlockBytes) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const unsigned stars = BlockBytesEqual(block, '*');
        const size_t length = stars ? static_cast<size_t>(__builtin_ctz(stars)) : BlockBytes;
        if (stars) block = _mm_and_si128(block, LeadingBytes(length));
        blockSums = _mm_xor_si128(blockSums, block);
        commas(i, BlockBytesEqual(block, ','));
        if (stars) {
            i += length;
            star = true;
            break;
        }
    }
    sums = FoldBlock(blockSums);
#endif
    if (LittleEndian && !star) {
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
    result = sum;
    return i;
}

}  // namespace

void FieldList::Split(std::string_view sentence) {
    FSentence = sentence;
    FCount = 0;
    FStar = sentence.size();
    FSum = 0;
    if (sentence.empty()) return;
    int commas = 0;
    const auto comma = [&](size_t pos) {
        if (commas < Capacity) FEnds[commas++] = static_cast<uint32_t>(pos);
    };
    // A block holds at most sixteen commas: while they all fit, they are
    // stored eight marks at a time.
    const auto blockCommas = [&](size_t first, unsigned marks) {
        if (commas + static_cast<int>(BlockCommas) <= Capacity) {
#if defined(__SSE2__)
            const uint32_t at = static_cast<uint32_t>(first);
            uint32_t* out = FEnds + commas;
            out += StoreMarkedPositions(out, at, marks & 0xFF);
            out += StoreMarkedPositions(out, at + 8, marks >> 8);
            commas = static_cast<int>(out - FEnds);
#else
            for (; marks != 0; marks &= marks - 1)
                FEnds[commas++] =
                    static_cast<uint32_t>(first + static_cast<size_t>(__builtin_ctz(marks)));
#endif
        } else {
            for (; marks != 0; marks &= marks - 1)
                comma(first + static_cast<size_t>(__builtin_ctz(marks)));
        }
    };
    const size_t i = SumToStar(sentence, FSum, blockCommas, comma);
    FStar = i;
    if (commas < Capacity) {
        FEnds[commas] = static_cast<uint32_t>(i);
        FCount = commas + 1;
    } else {
        FCount = Capacity;
    }
}

size_t FieldList::Sum(std::string_view sentence, uint8_t& sum) {
    sum = 0;
    if (sentence.empty()) return 0;
    return SumToStar(
        sentence, sum, [](size_t, unsigned) {}, [](size_t) {});
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
