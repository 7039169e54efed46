// Field decoders. Each walks the sentence text from a position and returns the
// position at which it stopped, or -1 when the sentence ended (a '*') before
// the field. Started on the comma before a field, a decoder consumes that comma,
// decodes the field and stops on the character after it without consuming it.
#pragma once

#include <cstdint>
#include <string_view>

#include "nmea/ExactNumbers.h"

constexpr int FieldTextCapacity = 100;

// The text result of ParseTextField, held in place: decoding never allocates.
// Only the characters up to Length (and a NUL after them) are ever written.
struct FieldText {
    char Chars[FieldTextCapacity + 1];
    int Length = 0;

    FieldText() { Chars[0] = 0; }
    // Keeps the first FieldTextCapacity characters of 'text'.
    void Assign(std::string_view text) {
        const size_t count = text.size() < FieldTextCapacity ? text.size() : FieldTextCapacity;
        text.copy(Chars, count);
        Chars[count] = 0;
        Length = static_cast<int>(count);
    }

    bool Empty() const { return Length == 0; }
    char First() const { return Chars[0]; }
    std::string_view View() const { return {Chars, static_cast<size_t>(Length)}; }
};

int ParseFloatField(int pos, std::string_view s, float& value);
// The same number as ParseFloatField reads, kept exactly.
int ParseDecimalField(int pos, std::string_view s, ExactDecimal& value);
int ParseIntField(int pos, std::string_view s, int32_t& value);
int ParseTextField(int pos, std::string_view s, FieldText& text);
int ParseHexField(int pos, std::string_view s, uint8_t& value);

// The same decoders over one whole field, known to run from the comma before
// it to the separator after it: each gives what its walking form gives when
// started on that comma, and returns false (storing nothing) for a field the
// walking form would stop inside, which the caller then walks.
bool DecodeFloatText(std::string_view field, float& value);
bool DecodeDecimalText(std::string_view field, ExactDecimal& value);
bool DecodeIntText(std::string_view field, int32_t& value);
bool DecodeTextField(std::string_view field, FieldText& text);

// One to three decimal digits, the length of nearly every satellite field,
// read without a loop; false for anything else (the caller reads it in full).
inline bool ShortDigits(const char* p, const char* end, uint32_t& value) {
    const auto digit = [](char c) { return static_cast<uint32_t>(static_cast<uint8_t>(c)) - '0'; };
    switch (end - p) {
        case 1: {
            const uint32_t a = digit(p[0]);
            value = a;
            return a < 10;
        }
        case 2: {
            const uint32_t a = digit(p[0]), b = digit(p[1]);
            value = a * 10 + b;
            return (a < 10) & (b < 10);
        }
        case 3: {
            const uint32_t a = digit(p[0]), b = digit(p[1]), c = digit(p[2]);
            value = a * 100 + b * 10 + c;
            return (a < 10) & (b < 10) & (c < 10);
        }
        default:
            return false;
    }
}

// Value of the leading hexadecimal digits among the first count characters.
uint32_t HexValue(const char* chars, int count);

// The value of every character as a hexadecimal digit, -1 for the others.
struct HexDigitTable {
    int8_t Values[256];
    constexpr HexDigitTable() : Values() {
        for (int c = 0; c < 256; ++c)
            Values[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                        : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                        : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                                               : int8_t{-1};
    }
};
inline constexpr HexDigitTable HexDigits{};

// 0-15, or -1 when c is no hexadecimal digit.
inline int HexDigitValue(char c) {
    return HexDigits.Values[static_cast<uint8_t>(c)];
}

uint32_t TimeFromField(float hhmmss);
void UnpackTime(uint32_t packed, int& hour, int& minute, float& seconds);
uint32_t DateFromField(int32_t ddmmyy);
void UnpackDate(uint32_t packed, int& year, int& month, int& day);

// value x scale truncated towards zero, computed in double from the single
// precision value and saturated at the limits of int64 (never undefined).
int64_t ScaledTrunc(float value, double scale);
int64_t TruncSaturated(double value);
