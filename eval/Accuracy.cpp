#include "eval/Accuracy.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double SemiMajorAxis = 6378137.0;         // WGS 84, metres
constexpr double Flattening = 1.0 / 298.257223563;  // WGS 84
constexpr double EccentricitySquared = Flattening * (2 - Flattening);
constexpr double HostMsPerSecond = 1000.0;
constexpr double Half = 0.5, NinetyFive = 0.95;

double Radians(double degrees) {
    return degrees * Pi / 180.0;
}

}  // namespace

ScatterPoint LocalOffset(double latitude0, double longitude0, double latitude, double longitude) {
    const double phi = Radians(latitude0);
    const double w = 1 - EccentricitySquared * std::sin(phi) * std::sin(phi);
    const double meridian = SemiMajorAxis * (1 - EccentricitySquared) / (w * std::sqrt(w));
    const double primeVertical = SemiMajorAxis / std::sqrt(w);
    double dLon = longitude - longitude0;
    if (dLon > 180) dLon -= 360;
    if (dLon < -180) dLon += 360;
    return {Radians(dLon) * primeVertical * std::cos(phi),
            Radians(latitude - latitude0) * meridian};
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    const size_t rank = static_cast<size_t>(std::ceil(fraction * values.size()));
    const size_t index = rank == 0 ? 0 : std::min(rank, values.size()) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

namespace {
// What the report needs of one fix.
struct Fix {
    double Latitude, Longitude, Altitude;
    bool HasAltitude;
    uint32_t HostMs;
};
}  // namespace

AccuracyReport MeasureAccuracy(const EpochRange& epochs,
                               const std::optional<ReferencePosition>& reference) {
    AccuracyReport r;
    std::vector<Fix> fixes;
    epochs([&](const Epoch& e) {
        if (e.HasFix())
            fixes.push_back({e.Latitude, e.Longitude, e.Altitude, e.HasAltitude, e.HostMs});
    });
    r.Samples = fixes.size();
    if (fixes.empty()) return r;
    r.DurationSeconds = (fixes.back().HostMs - fixes.front().HostMs) / HostMsPerSecond;

    // The centre: the reference, or the mean (longitudes about the first fix,
    // so that a scatter across the antimeridian averages right).
    double sumLat = 0, sumDLon = 0, sumAlt = 0;
    size_t altitudes = 0;
    for (const Fix& f : fixes) {
        sumLat += f.Latitude;
        double d = f.Longitude - fixes.front().Longitude;
        if (d > 180) d -= 360;
        if (d < -180) d += 360;
        sumDLon += d;
        if (f.HasAltitude) {
            sumAlt += f.Altitude;
            ++altitudes;
        }
    }
    const double n = static_cast<double>(fixes.size());
    r.CentreLatitude = reference ? reference->Latitude : sumLat / n;
    r.CentreLongitude = reference ? reference->Longitude : fixes.front().Longitude + sumDLon / n;
    const double centreAltitude = reference && reference->Altitude
                                      ? *reference->Altitude
                                      : (altitudes ? sumAlt / static_cast<double>(altitudes) : 0);

    std::vector<double> horizontal, vertical;
    double sumSquares = 0;
    for (const Fix& f : fixes) {
        const ScatterPoint p =
            LocalOffset(r.CentreLatitude, r.CentreLongitude, f.Latitude, f.Longitude);
        r.Points.push_back(p);
        const double d2 = p.East * p.East + p.North * p.North;
        sumSquares += d2;
        horizontal.push_back(std::sqrt(d2));
        if (f.HasAltitude) vertical.push_back(std::fabs(f.Altitude - centreAltitude));
    }
    r.Cep50 = Percentile(horizontal, Half);
    r.Cep95 = Percentile(horizontal, NinetyFive);
    r.Drms2 = 2 * std::sqrt(sumSquares / n);
    r.VerticalSamples = vertical.size();
    r.Vertical95 = Percentile(vertical, NinetyFive);
    return r;
}
