#include "nmea/ExactNumbers.h"

#include <cstdint>
#include <limits>

namespace {

constexpr int64_t PowersOfTen[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000,
                                   10000000000000000,
                                   100000000000000000,
                                   1000000000000000000};
constexpr int MaxPower = sizeof(PowersOfTen) / sizeof(PowersOfTen[0]) - 1;
constexpr int64_t MinutesPerDegree = 60;
constexpr int64_t DegreeDigitsShift = 100;  // dddmm: degrees are the value / 100
constexpr int E5Digits = 5;
// Degrees whose E5 value cannot fit in 32 bits: saturated at once.
constexpr int64_t DegreesBeyondE5 = 30000;

int64_t Power(int n) {
    return PowersOfTen[n < 0 ? 0 : n > MaxPower ? MaxPower : n];
}

int Decimals(int8_t decimals) {
    return decimals < 0 ? 0 : decimals > ExactMaxDecimals ? ExactMaxDecimals : decimals;
}

uint64_t Magnitude(int64_t n) {
    return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
}

// Writes n with at least 'width' digits, zeros in front.
char* WriteDigits(char* out, uint64_t n, int width) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (count < width && count < static_cast<int>(sizeof digits)) digits[count++] = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

// floor(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

}  // namespace

ExactDegrees DegreesOfField(ExactDecimal dddmm) {
    const int k = Decimals(dddmm.Decimals);
    const int64_t unit = Power(k);
    const int64_t whole = FloorDiv(dddmm.Units, DegreeDigitsShift * unit);
    const int64_t minutes = dddmm.Units - whole * DegreeDigitsShift * unit;
    return {whole * MinutesPerDegree * unit + minutes, static_cast<int8_t>(k)};
}

ExactDegrees Negated(ExactDegrees degrees) {
    degrees.MinuteUnits = -degrees.MinuteUnits;
    return degrees;
}

bool IsNegative(ExactDegrees degrees) {
    return degrees.MinuteUnits < 0;
}

int32_t DegreesE5(ExactDegrees degrees) {
    const int k = Decimals(degrees.MinuteDecimals);
    const int64_t m = degrees.MinuteUnits;
    const int64_t whole = m / (MinutesPerDegree * Power(k));
    if (whole > DegreesBeyondE5) return std::numeric_limits<int32_t>::max();
    if (whole < -DegreesBeyondE5) return std::numeric_limits<int32_t>::min();
    // Integer division truncates towards zero, as the record wants.
    const int64_t e5 = k <= E5Digits ? m * Power(E5Digits - k) / MinutesPerDegree
                                     : m / (MinutesPerDegree * Power(k - E5Digits));
    return static_cast<int32_t>(e5);
}

int64_t ScaledTrunc(ExactDecimal value, int digits) {
    const int shift = digits - Decimals(value.Decimals);
    if (shift <= 0) return value.Units / Power(-shift);
    const int64_t factor = Power(shift);
    const int64_t limit = std::numeric_limits<int64_t>::max() / factor;
    if (value.Units > limit) return std::numeric_limits<int64_t>::max();
    if (value.Units < -limit) return std::numeric_limits<int64_t>::min();
    return value.Units * factor;
}

double ToDouble(ExactDecimal value) {
    return static_cast<double>(value.Units) / static_cast<double>(Power(Decimals(value.Decimals)));
}

double ToDouble(ExactDegrees degrees) {
    return static_cast<double>(degrees.MinuteUnits) /
           static_cast<double>(MinutesPerDegree * Power(Decimals(degrees.MinuteDecimals)));
}

char* WriteDegreesMagnitude(char* out, ExactDegrees degrees) {
    const int k = Decimals(degrees.MinuteDecimals);
    const int decimals = k + 2;
    const uint64_t perDegree = static_cast<uint64_t>(MinutesPerDegree * Power(k));
    const uint64_t magnitude = Magnitude(degrees.MinuteUnits);
    uint64_t whole = magnitude / perDegree;
    const uint64_t rest = magnitude % perDegree;
    // rest / perDegree at 10^(k+2) is rest x 100 / 60 = 5 rest / 3; adding a
    // half before the floor rounds half away from zero: (10 rest + 3) / 6.
    uint64_t fraction = (10 * rest + 3) / 6;
    const uint64_t unit = static_cast<uint64_t>(Power(decimals));
    if (fraction >= unit) {  // a carry into the whole degrees
        fraction -= unit;
        ++whole;
    }
    out = WriteDigits(out, whole, 1);
    *out++ = '.';
    return WriteDigits(out, fraction, decimals);
}

char* WriteExact(char* out, ExactDecimal value, int minDecimals) {
    const int k = Decimals(value.Decimals);
    if (value.Units < 0) *out++ = '-';
    const uint64_t magnitude = Magnitude(value.Units);
    const uint64_t unit = static_cast<uint64_t>(Power(k));
    out = WriteDigits(out, magnitude / unit, 1);
    const int decimals =
        minDecimals > k ? (minDecimals > ExactMaxDecimals ? ExactMaxDecimals : minDecimals) : k;
    if (decimals == 0) return out;
    *out++ = '.';
    if (k > 0) out = WriteDigits(out, magnitude % unit, k);
    for (int i = k; i < decimals; ++i) *out++ = '0';
    return out;
}
