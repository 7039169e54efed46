#include "nmea/Utils.h"

#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c) {
    return c - '0';
}

constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
constexpr int PowersOfTenCount = sizeof(PowersOfTen) / sizeof(PowersOfTen[0]);

double PowerOfTen(int n) {
    return n < PowersOfTenCount ? PowersOfTen[n] : std::pow(10.0, n);
}

int Length(std::string_view s) {
    return static_cast<int>(s.size());
}

// Step one of the numeric decoders: move to the start of the field. Returns -1
// on a '*' (or, with nulIsEnd, a NUL); 'skipped' receives the last character
// passed over other than the comma.
int SkipToField(int pos, std::string_view s, bool nulIsEnd, char& skipped) {
    skipped = 0;
    while (pos < Length(s)) {
        const char c = s[pos];
        if (IsDigit(c)) break;
        if (c == ',') return pos + 1;
        if (c == '*' || (nulIsEnd && c == 0)) return -1;
        skipped = c;
        ++pos;
    }
    return pos;
}

// The digits of a decimal number: whole part, and the fraction after one
// point. A second point or any other character ends the number.
struct Decimal {
    uint64_t Whole = 0;
    uint64_t Fraction = 0;
    int FractionDigits = 0;
    bool InFraction = false;

    // False when c ends the number.
    bool Take(char c) {
        if (c == '.') {
            if (InFraction) return false;
            InFraction = true;
        } else if (IsDigit(c)) {
            if (InFraction) {
                Fraction = Fraction * 10 + DigitValue(c);
                ++FractionDigits;
            } else {
                Whole = Whole * 10 + DigitValue(c);
            }
        } else {
            return false;
        }
        return true;
    }

    float Value(bool negative) const {
        double result = static_cast<double>(Whole);
        if (FractionDigits > 0 && Fraction != 0)
            result += static_cast<double>(Fraction) / PowerOfTen(FractionDigits);
        return static_cast<float>(negative ? -result : result);
    }
};

// The digits of a decimal number kept exactly: every digit while there is
// room, then further fraction digits are dropped (the value is cut) and a
// whole part too long for 64 bits saturates.
struct ExactDigits {
    static constexpr uint64_t Room = 900000000000000000ull;  // x 10 + 9 still fits int64
    static constexpr int64_t Saturated = 9000000000000000000ll;
    uint64_t Units = 0;
    int Decimals = 0;
    bool InFraction = false;
    bool Full = false;

    void Add(uint32_t digit) {
        if (Full) return;
        if (InFraction) {
            if (Decimals == ExactMaxDecimals || Units >= Room) return;
            ++Decimals;
        } else if (Units >= Room) {
            Full = true;
            return;
        }
        Units = Units * 10 + digit;
    }

    // False when c ends the number.
    bool Take(char c) {
        if (c == '.') {
            if (InFraction) return false;
            InFraction = true;
        } else if (IsDigit(c)) {
            Add(static_cast<uint32_t>(DigitValue(c)));
        } else {
            return false;
        }
        return true;
    }

    ExactDecimal Value(bool negative) const {
        ExactDecimal value;
        value.Units = Full ? Saturated : static_cast<int64_t>(Units);
        value.Decimals = static_cast<int8_t>(Full ? 0 : Decimals);
        if (negative) value.Units = -value.Units;
        return value;
    }
};

// Integer fields wrap like a 32-bit register on absurd input.
uint32_t TakeDigit(uint32_t magnitude, char c) {
    return magnitude * 10 + DigitValue(c);
}

int32_t SignedValue(uint32_t magnitude, bool negative) {
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

}  // namespace

namespace {

// Walks a signed decimal field with `Digits` (Decimal for a float, ExactDigits
// for the receiver's own digits) and stores what it read in `value`.
template <class Digits, class Value>
int ParseNumberField(int pos, std::string_view s, Value& value) {
    if (pos < 0) return -1;
    char skipped = 0;
    pos = SkipToField(pos, s, false, skipped);
    if (pos < 0) return -1;
    Digits d;
    d.InFraction = skipped == '.';
    bool negative = false;
    if (pos > 0 && pos < Length(s) && s[pos] == '-') {
        negative = true;
        ++pos;
    }
    while (pos < Length(s) && d.Take(s[pos])) ++pos;
    value = d.Value(negative);
    return pos;
}

}  // namespace

int ParseFloatField(int pos, std::string_view s, float& value) {
    return ParseNumberField<Decimal>(pos, s, value);
}

int ParseDecimalField(int pos, std::string_view s, ExactDecimal& value) {
    return ParseNumberField<ExactDigits>(pos, s, value);
}

bool DecodeDecimalText(std::string_view field, ExactDecimal& value) {
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    ExactDigits d;
    for (; p != end; ++p) {
        const uint32_t digit = static_cast<uint32_t>(static_cast<uint8_t>(*p)) - '0';
        if (digit > 9) break;
        d.Add(digit);
    }
    if (p != end) {
        if (*p != '.') return false;
        d.InFraction = true;
        for (++p; p != end; ++p) {
            const uint32_t digit = static_cast<uint32_t>(static_cast<uint8_t>(*p)) - '0';
            if (digit > 9) return false;
            d.Add(digit);
        }
    }
    value = d.Value(negative);
    return true;
}

bool DecodeFloatText(std::string_view field, float& value) {
    const char* p = field.data();
    const char* const end = p + field.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    // The whole part, then after one point the fraction: the digits Take
    // would accept, read in two plain loops.
    Decimal d;
    for (; p != end; ++p) {
        const uint32_t digit = static_cast<uint32_t>(static_cast<uint8_t>(*p)) - '0';
        if (digit > 9) break;
        d.Whole = d.Whole * 10 + digit;
    }
    if (p != end) {
        if (*p != '.') return false;
        d.InFraction = true;
        const char* const first = ++p;
        for (; p != end; ++p) {
            const uint32_t digit = static_cast<uint32_t>(static_cast<uint8_t>(*p)) - '0';
            if (digit > 9) return false;
            d.Fraction = d.Fraction * 10 + digit;
        }
        d.FractionDigits = static_cast<int>(p - first);
    }
    value = d.Value(negative);
    return true;
}

int ParseIntField(int pos, std::string_view s, int32_t& value) {
    if (pos < 0) return -1;
    char sign = 0;
    pos = SkipToField(pos, s, true, sign);
    if (pos < 0) return -1;
    bool negative = sign == '-';
    if (pos < Length(s) && s[pos] == '-') {
        negative = true;
        ++pos;
    }
    uint32_t magnitude = 0;
    while (pos < Length(s) && IsDigit(s[pos])) magnitude = TakeDigit(magnitude, s[pos++]);
    value = SignedValue(magnitude, negative);
    return pos;
}

bool DecodeIntText(std::string_view field, int32_t& value) {
    uint32_t digits;
    if (ShortDigits(field.data(), field.data() + field.size(), digits)) {
        value = static_cast<int32_t>(digits);
        return true;
    }
    const bool negative = !field.empty() && field.front() == '-';
    if (negative) field.remove_prefix(1);
    uint32_t magnitude = 0;
    for (char c : field) {
        if (!IsDigit(c)) return false;
        magnitude = TakeDigit(magnitude, c);
    }
    value = SignedValue(magnitude, negative);
    return true;
}

int ParseTextField(int pos, std::string_view s, FieldText& text) {
    if (pos < 0) return -1;
    while (pos < Length(s)) {
        const char c = s[pos];
        if (c == ' ') {
            ++pos;
            continue;
        }
        if (c == ',') ++pos;
        break;
    }
    int start = pos;
    while (pos < Length(s)) {
        const char c = s[pos];
        if (c == '*' || c == ',' || c == ' ') break;
        if (c == '\n') return 0;  // the caller starts again from the sentence's start
        ++pos;
    }
    text.Assign(s.substr(static_cast<size_t>(start), static_cast<size_t>(pos - start)));
    return pos;
}

bool DecodeTextField(std::string_view field, FieldText& text) {
    for (char c : field)
        if (c == ' ' || c == '\n') return false;
    text.Assign(field);
    return true;
}

int ParseHexField(int pos, std::string_view s, uint8_t& value) {
    if (pos < 0) return -1;
    while (pos < Length(s) && HexDigitValue(s[pos]) < 0) {
        if (s[pos] == 0) return -1;
        ++pos;
    }
    if (pos >= Length(s)) return -1;
    uint32_t v = 0;
    for (int digits = 0; digits < 2 && pos < Length(s) && HexDigitValue(s[pos]) >= 0; ++digits)
        v = v * 16 + HexDigitValue(s[pos++]);
    value = static_cast<uint8_t>(v);
    return pos;
}

uint32_t HexValue(const char* chars, int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; ++i) {
        const int digit = HexDigitValue(chars[i]);
        if (digit < 0) break;
        v = v * 16 + digit;
    }
    return v;
}

int64_t TruncSaturated(double product) {
    constexpr double limit = 9.2e18;
    if (std::isnan(product)) return 0;
    if (product >= limit) return std::numeric_limits<int64_t>::max();
    if (product <= -limit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(product);
}

int64_t ScaledTrunc(float value, double scale) {
    return TruncSaturated(static_cast<double>(value) * scale);
}

uint32_t TimeFromField(float hhmmss) {
    const uint32_t t = static_cast<uint32_t>(ScaledTrunc(hhmmss, 1000.0));
    const uint32_t hour = t / 10000000;
    const uint32_t minute = t / 100000 - hour * 100;
    const uint32_t rest = t - (hour * 100 + minute) * 100000;
    const uint32_t second = static_cast<uint32_t>(rest * 0.001);
    return (hour << 24) + (minute << 16) + second * 1000;
}

void UnpackTime(uint32_t packed, int& hour, int& minute, float& seconds) {
    hour = static_cast<int>(packed >> 24);
    minute = static_cast<int>((packed >> 16) & 0xFF);
    seconds = static_cast<float>(packed & 0xFFFF) * 0.001f;
}

uint32_t DateFromField(int32_t ddmmyy) {
    const int64_t n = ddmmyy;
    const int64_t day = n / 10000;
    const int64_t month = (n % 10000) / 100;
    const int64_t year = n % 100;
    return static_cast<uint32_t>(year * 65536 + month * 256 + day);
}

void UnpackDate(uint32_t packed, int& year, int& month, int& day) {
    year = static_cast<int>((packed >> 16) & 0xFF);
    month = static_cast<int>((packed >> 8) & 0xFF);
    day = static_cast<int>(packed & 0xFF);
}
