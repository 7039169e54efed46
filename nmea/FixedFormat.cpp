#include "nmea/FixedFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double Scale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
// Below this the scaled value is an exact integer-valued double that fits in
// 64 bits; above it (or for NaN and infinities) printf itself is used.
constexpr double FastLimit = 9.0e15;
constexpr int MaxDigits = FixedFormatMaxChars - 1;  // a sign may stand before them

// Writes n with at least minDigits digits, zeros in front: the digits are
// counted first and written backwards into place.
char* WriteDigits(char* out, unsigned long long n, int minDigits) {
    int count = 1;
    for (unsigned long long rest = n; rest >= 10; rest /= 10) ++count;
    if (count < minDigits) count = minDigits < MaxDigits ? minDigits : MaxDigits;
    char* const end = out + count;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (p > out) *--p = '0';
    return end;
}

// Writes n / 10^Decimals, the point and the remainder in Decimals digits;
// the divisor is a constant, which the compiler turns into a multiplication.
template <int Decimals>
char* WriteScaled(char* out, unsigned long long n) {
    constexpr unsigned long long unit = static_cast<unsigned long long>(Scale[Decimals]);
    out = WriteDigits(out, n / unit, 1);
    *out++ = '.';
    return WriteDigits(out, n % unit, Decimals);
}

}  // namespace

char* WriteFixed(char* out, float value, int decimals) {
    // A float times 10^d (d <= 6) is exact in double: 24 + 20 bits < 53. The
    // default rounding mode then rounds half to even, as printf does.
    const double scaled = static_cast<double>(value) * Scale[decimals];
    if (!(std::fabs(scaled) < FastLimit)) {
        const int n =
            std::snprintf(out, FixedFormatMaxChars, "%.*f", decimals, static_cast<double>(value));
        return out + (n < FixedFormatMaxChars ? n : FixedFormatMaxChars - 1);
    }
    const double rounded = std::nearbyint(scaled);
    const unsigned long long n = static_cast<unsigned long long>(std::fabs(rounded));
    if (std::signbit(value)) *out++ = '-';
    switch (decimals) {
        case 0:
            return WriteDigits(out, n, 1);
        case 1:
            return WriteScaled<1>(out, n);
        case 2:
            return WriteScaled<2>(out, n);
        case 3:
            return WriteScaled<3>(out, n);
        case 4:
            return WriteScaled<4>(out, n);
        case 5:
            return WriteScaled<5>(out, n);
        default:
            return WriteScaled<6>(out, n);
    }
}

char* WriteInt(char* out, long long n, int width) {
    unsigned long long magnitude = static_cast<unsigned long long>(n);
    if (n < 0) {
        *out++ = '-';
        magnitude = 0ull - magnitude;
        if (width > 0) --width;
    }
    return WriteDigits(out, magnitude, width);
}

void AppendFixed(std::string& out, float value, int decimals) {
    char text[FixedFormatMaxChars];
    out.append(text, static_cast<size_t>(WriteFixed(text, value, decimals) - text));
}

void AppendInt(std::string& out, long long n, int width) {
    char text[FixedFormatMaxChars];
    out.append(text, static_cast<size_t>(WriteInt(text, n, width) - text));
}
