#include "nmea/FieldList.h"

#include <algorithm>

#include "nmea/Utils.h"

namespace {
constexpr int32_t IntLimit = 100000;  // far beyond any value of a satellite field
constexpr size_t MaxHexDigits = 2;
}  // namespace

FieldList::FieldList(std::string_view sentence) {
    size_t start = sentence.find_first_not_of('$');
    if (start == std::string_view::npos) return;
    const size_t end = std::min(sentence.find('*', start), sentence.size());
    while (FCount < Capacity) {
        const size_t comma = std::min(sentence.find(',', start), end);
        FFields[FCount++] = sentence.substr(start, comma - start);
        if (comma >= end) break;
        start = comma + 1;
    }
}

bool FieldList::Int(int i, int32_t& value) const {
    std::string_view f = At(i);
    const bool negative = !f.empty() && f.front() == '-';
    if (negative) f.remove_prefix(1);
    if (f.empty()) return false;
    int32_t v = 0;
    for (char c : f) {
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
