#include "tools/sim/SimRandom.h"

#include <cmath>

uint32_t SimRandom::Below(uint32_t n) {
    // Rejection keeps every value equally likely.
    const uint32_t limit = UINT32_MAX - UINT32_MAX % n;
    uint32_t x;
    do {
        x = Next();
    } while (x >= limit);
    return x % n;
}

int SimRandom::Range(int lo, int hi) {
    return lo + static_cast<int>(Below(static_cast<uint32_t>(hi - lo) + 1));
}

double SimRandom::Unit() {
    // 53 random bits from two draws.
    const uint64_t high = Next() >> 5;
    const uint64_t low = Next() >> 6;
    return static_cast<double>((high << 26) | low) * (1.0 / 9007199254740992.0);
}

double SimRandom::Gaussian() {
    constexpr double TwoPi = 6.283185307179586;
    const double u1 = 1.0 - Unit();  // in (0, 1]
    const double u2 = Unit();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(TwoPi * u2);
}
