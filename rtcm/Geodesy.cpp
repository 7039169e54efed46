#include "rtcm/Geodesy.h"

#include <cmath>

namespace {

constexpr double SemiMajor = 6378137.0;
constexpr double Flattening = 1 / 298.257223563;
constexpr double E2 = Flattening * (2 - Flattening);  // first eccentricity squared
constexpr double Pi = 3.14159265358979323846;
constexpr double Degree = Pi / 180;
constexpr int LatitudeSteps = 5;

double PrimeVerticalRadius(double sinLatitude) {
    return SemiMajor / std::sqrt(1 - E2 * sinLatitude * sinLatitude);
}

}  // namespace

Geodetic GeodeticOf(const Ecef& point) {
    const double p = std::hypot(point.X, point.Y);
    Geodetic out;
    out.Longitude = std::atan2(point.Y, point.X) / Degree;
    if (p == 0 && point.Z == 0) return out;
    // Fixed-point iteration on the latitude; converges to 1e-12 rad in a few steps.
    double latitude = std::atan2(point.Z, p * (1 - E2));
    double height = 0;
    for (int i = 0; i < LatitudeSteps; ++i) {
        const double n = PrimeVerticalRadius(std::sin(latitude));
        height = std::abs(std::cos(latitude)) > 1e-9 ? p / std::cos(latitude) - n
                                                     : std::abs(point.Z) - n * (1 - E2);
        latitude = std::atan2(point.Z, p * (1 - E2 * n / (n + height)));
    }
    out.Latitude = latitude / Degree;
    out.Height = height;
    return out;
}

Ecef EcefOf(const Geodetic& point) {
    const double latitude = point.Latitude * Degree, longitude = point.Longitude * Degree;
    const double n = PrimeVerticalRadius(std::sin(latitude));
    return {(n + point.Height) * std::cos(latitude) * std::cos(longitude),
            (n + point.Height) * std::cos(latitude) * std::sin(longitude),
            (n * (1 - E2) + point.Height) * std::sin(latitude)};
}

double Distance(const Ecef& a, const Ecef& b) {
    return std::sqrt((a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y) +
                     (a.Z - b.Z) * (a.Z - b.Z));
}
