#include "nmea/FixedFormat.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double Scale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
// Below this the scaled value is an exact integer-valued double that fits in
// 64 bits; above it (or for NaN and infinities) printf itself is used.
constexpr double FastLimit = 9.0e15;

// The digits are written from the end of a local buffer and appended at once.
void AppendDigits(std::string& out, unsigned long long n, int minDigits) {
    constexpr int Size = 24;  // 20 digits of a 64-bit number, and room for padding
    char digits[Size];
    int first = Size;
    do {
        digits[--first] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (Size - first < minDigits && first > 0) digits[--first] = '0';
    out.append(digits + first, static_cast<size_t>(Size - first));
}

}  // namespace

void AppendFixed(std::string& out, float value, int decimals) {
    // A float times 10^d (d <= 6) is exact in double: 24 + 20 bits < 53. The
    // default rounding mode then rounds half to even, as printf does.
    const double scaled = static_cast<double>(value) * Scale[decimals];
    if (!(std::fabs(scaled) < FastLimit)) {
        char text[400];
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        out += text;
        return;
    }
    const double rounded = std::nearbyint(scaled);
    const bool negative = std::signbit(value);
    unsigned long long n = static_cast<unsigned long long>(std::fabs(rounded));
    if (negative) out.push_back('-');
    const unsigned long long unit = static_cast<unsigned long long>(Scale[decimals]);
    AppendDigits(out, n / unit, 1);
    if (decimals > 0) {
        out.push_back('.');
        AppendDigits(out, n % unit, decimals);
    }
}

void AppendInt(std::string& out, long long n, int width) {
    unsigned long long magnitude = static_cast<unsigned long long>(n);
    if (n < 0) {
        out.push_back('-');
        magnitude = 0ull - magnitude;
        if (width > 0) --width;
    }
    AppendDigits(out, magnitude, width);
}
