// The comma-separated fields of one sentence: the address after the '$', then
// every field up to the '*', held as offsets into the sentence text. A sound
// sentence of a known type is split once, in the pass that sums it for its
// checksum, and both the handlers and the satellite table read that split
// (nothing is copied or allocated).
#pragma once

#include <cstdint>
#include <string_view>

#include "nmea/Utils.h"

class FieldList {
  public:
    // Fields after the 64th are not split off: the 64th ends at the next comma.
    static constexpr int Capacity = 64;

    FieldList() = default;
    explicit FieldList(std::string_view sentence) { Split(sentence); }

    // Splits the text from the '$' (its first character, which belongs to no
    // field) and sums it: XOR of every character after the '$' up to the '*'.
    void Split(std::string_view sentence);

    // Sums the text as Split does without splitting it: returns the position
    // of the '*' (the end of the text when there is none).
    static size_t Sum(std::string_view sentence, uint8_t& sum);

    std::string_view Sentence() const { return FSentence; }
    // True when a '*' ends the fields; Sum() then covers what precedes it.
    bool HasStar() const { return FStar < FSentence.size(); }
    size_t Star() const { return FStar; }  // the '*', or the end of the text
    uint8_t Sum() const { return FSum; }

    int Count() const { return FCount; }
    // Position of the separator after field i: a comma, or the '*' (the end
    // of the text when there is none) after the last field.
    int End(int i) const { return static_cast<int>(FEnds[i]); }
    int Start(int i) const { return i == 0 ? 1 : End(i - 1) + 1; }
    std::string_view At(int i) const {
        if (i < 0 || i >= FCount) return {};
        const int start = Start(i);
        return {FSentence.data() + start, static_cast<size_t>(End(i) - start)};
    }
    bool Empty(int i) const { return i < 0 || i >= FCount || Start(i) == End(i); }
    // The field whose separator before it stands at 'pos': 1 and up, Count()
    // for the '*' after the last field, -1 when no separator stands there.
    int FieldAfter(int pos) const;

    // A field of decimal digits with an optional sign; false when empty or
    // not a number (or beyond any value of a satellite field).
    bool Int(int i, int32_t& value) const {
        if (i < 0 || i >= FCount) return false;
        const char* p = FSentence.data() + Start(i);
        const char* const end = FSentence.data() + End(i);
        uint32_t v;
        if (ShortDigits(p, end, v)) {
            value = static_cast<int32_t>(v);
            return true;
        }
        return IntText(p, end, value);
    }

    // A field of one to two hexadecimal digits.
    bool Hex(int i, int32_t& value) const;

  private:
    static constexpr int32_t IntLimit = 100000;  // far beyond any value of a satellite field

    static bool IntText(const char* p, const char* end, int32_t& value) {
        const bool negative = p != end && *p == '-';
        if (negative) ++p;
        if (p == end) return false;
        int32_t v = 0;
        for (; p != end; ++p) {
            const char c = *p;
            if (c < '0' || c > '9' || v >= IntLimit) return false;
            v = v * 10 + (c - '0');
        }
        value = negative ? -v : v;
        return true;
    }

    std::string_view FSentence;
    int FCount = 0;
    size_t FStar = 0;
    uint8_t FSum = 0;
    uint32_t FEnds[Capacity + 1];  // the last slot takes the stores past the 64th comma
};
