// The simulator's random numbers: a Mersenne twister (whose output sequence the
// standard fixes) with distributions written here, so the same seed gives the
// same receiver on every standard library.
#pragma once

#include <cstdint>
#include <random>

class SimRandom {
  public:
    explicit SimRandom(uint32_t seed) : FEngine(seed) {}

    uint32_t Next() { return static_cast<uint32_t>(FEngine()); }
    // Uniform in [0, n); n must be positive.
    uint32_t Below(uint32_t n);
    // Uniform in [lo, hi], both included.
    int Range(int lo, int hi);
    // Uniform in [0, 1).
    double Unit();
    double Between(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // True with probability p.
    bool Chance(double p) { return p > 0 && Unit() < p; }
    // Standard normal (Box-Muller).
    double Gaussian();

  private:
    std::mt19937 FEngine;
};
