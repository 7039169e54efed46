// Numbers exactly as the receiver wrote them. A decimal field is kept as its
// digits (an integer) and the count of digits after the point; a dddmm.mmmm
// coordinate as a whole number of its smallest minute unit. Nothing passes
// through binary floating point: the scaled records, the display texts and
// the degrees all come from the digits, and the texts carry the receiver's
// own precision.
#pragma once

#include <cstdint>

// At most this many digits after the point are kept; further ones are dropped.
constexpr int ExactMaxDecimals = 12;

// value = Units / 10^Decimals.
struct ExactDecimal {
    int64_t Units = 0;
    int8_t Decimals = 0;

    bool operator==(const ExactDecimal& o) const {
        return Units == o.Units && Decimals == o.Decimals;
    }
};

// degrees = MinuteUnits / (60 x 10^MinuteDecimals), negative south or west.
struct ExactDegrees {
    int64_t MinuteUnits = 0;
    int8_t MinuteDecimals = 0;

    bool operator==(const ExactDegrees& o) const {
        return MinuteUnits == o.MinuteUnits && MinuteDecimals == o.MinuteDecimals;
    }
    // The decimals of a degree that show what the minutes carry: two more.
    int TextDecimals() const { return MinuteDecimals + 2; }
};

// A dddmm.mmmm field as degrees: the whole degrees are the value / 100
// rounded down, the rest is minutes (as the integer records define it).
ExactDegrees DegreesOfField(ExactDecimal dddmm);
ExactDegrees Negated(ExactDegrees degrees);

// Degrees x 100000 truncated towards zero, saturated at the int32 limits.
int32_t DegreesE5(ExactDegrees degrees);
// value x 10^digits truncated towards zero, saturated at the int64 limits.
int64_t ScaledTrunc(ExactDecimal value, int digits);

// The nearest double (one rounding from the digits).
double ToDouble(ExactDecimal value);
double ToDouble(ExactDegrees degrees);

// Writes |degrees| with TextDecimals() decimals, rounded half away from zero
// in integer arithmetic; returns the end. At most ExactTextMaxChars.
char* WriteDegreesMagnitude(char* out, ExactDegrees degrees);
// Writes value with max(Decimals, minDecimals) decimals (nothing is rounded:
// the extra places are zeros); returns the end. At most ExactTextMaxChars.
char* WriteExact(char* out, ExactDecimal value, int minDecimals);
constexpr int ExactTextMaxChars = 48;

bool IsNegative(ExactDegrees degrees);
