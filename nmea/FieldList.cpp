#include "nmea/FieldList.h"

#include "nmea/Utils.h"

namespace {
constexpr int32_t IntLimit = 100000;  // far beyond any value of a satellite field
constexpr size_t MaxHexDigits = 2;
}  // namespace

void FieldList::Split(std::string_view sentence) {
    FSentence = sentence;
    FCount = 0;
    FStar = sentence.size();
    FSum = 0;
    if (sentence.empty()) return;
    const char* s = sentence.data();
    const size_t n = sentence.size();
    uint8_t sum = 0;
    int commas = 0;
    size_t i = 1;
    // Branch-free per character: the end slot is written for every
    // character and kept by the comma that moves on to the next slot.
    for (; i < n && s[i] != '*'; ++i) {
        const char c = s[i];
        sum ^= static_cast<uint8_t>(c);
        FEnds[commas] = static_cast<uint32_t>(i);
        commas += (c == ',') & (commas < Capacity);
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

bool FieldList::IntText(const char* p, const char* end, int32_t& value) {
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
