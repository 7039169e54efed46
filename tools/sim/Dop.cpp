#include "tools/sim/Dop.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int N = 4;
constexpr double DegToRad = 3.141592653589793 / 180;
constexpr double DopLimit = 99.99;

// Inverts a symmetric 4x4 matrix by Gauss-Jordan elimination; false when singular.
bool Invert(double m[N][N], double inv[N][N]) {
    for (int i = 0; i < N; ++i)
        for (int j = 0; j < N; ++j) inv[i][j] = i == j ? 1 : 0;
    for (int c = 0; c < N; ++c) {
        int pivot = c;
        for (int r = c + 1; r < N; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
        if (std::fabs(m[pivot][c]) < 1e-12) return false;
        for (int j = 0; j < N; ++j) {
            std::swap(m[c][j], m[pivot][j]);
            std::swap(inv[c][j], inv[pivot][j]);
        }
        const double d = m[c][c];
        for (int j = 0; j < N; ++j) {
            m[c][j] /= d;
            inv[c][j] /= d;
        }
        for (int r = 0; r < N; ++r) {
            if (r == c) continue;
            const double f = m[r][c];
            for (int j = 0; j < N; ++j) {
                m[r][j] -= f * m[c][j];
                inv[r][j] -= f * inv[c][j];
            }
        }
    }
    return true;
}

double Limited(double v) {
    return std::min(v, DopLimit);
}

}  // namespace

DopValues ComputeDop(const std::vector<Direction>& used) {
    DopValues dop;
    if (used.size() < N) return dop;
    double g[N][N] = {};
    for (const Direction& d : used) {
        const double el = d.Elevation * DegToRad, az = d.Azimuth * DegToRad;
        const double row[N] = {std::cos(el) * std::sin(az), std::cos(el) * std::cos(az),
                               std::sin(el), 1.0};
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j) g[i][j] += row[i] * row[j];
    }
    double q[N][N];
    if (!Invert(g, q) || q[0][0] + q[1][1] < 0 || q[2][2] < 0) return dop;
    dop.Hdop = Limited(std::sqrt(q[0][0] + q[1][1]));
    dop.Vdop = Limited(std::sqrt(q[2][2]));
    dop.Pdop = Limited(std::sqrt(q[0][0] + q[1][1] + q[2][2]));
    return dop;
}
