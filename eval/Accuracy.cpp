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

// Metres per degree east and north about a centre, worked out once.
struct LocalFrame {
    LocalFrame(double latitude0, double longitude0) : Latitude0(latitude0), Longitude0(longitude0) {
        const double phi = Radians(latitude0);
        const double w = 1 - EccentricitySquared * std::sin(phi) * std::sin(phi);
        NorthPerDegree =
            Radians(1) * SemiMajorAxis * (1 - EccentricitySquared) / (w * std::sqrt(w));
        EastPerDegree = Radians(1) * SemiMajorAxis / std::sqrt(w) * std::cos(phi);
    }
    ScatterPoint Offset(double latitude, double longitude) const {
        double dLon = longitude - Longitude0;
        if (dLon > 180) dLon -= 360;
        if (dLon < -180) dLon += 360;
        return {dLon * EastPerDegree, (latitude - Latitude0) * NorthPerDegree};
    }
    double Latitude0, Longitude0, NorthPerDegree = 0, EastPerDegree = 0;
};

ScatterPoint LocalOffset(double latitude0, double longitude0, double latitude, double longitude) {
    return LocalFrame(latitude0, longitude0).Offset(latitude, longitude);
}

bool FixSampleOf(const Epoch& e, FixSample& sample) {
    if (!e.HasFix()) return false;
    sample = {e.Latitude, e.Longitude, e.Altitude, e.HasAltitude, e.HostMs, e.Solution};
    return true;
}

double Percentile(std::vector<double> values, double fraction) {
    return PercentileInPlace(values, fraction);
}

double PercentileInPlace(std::vector<double>& values, double fraction) {
    if (values.empty()) return 0;
    const size_t rank = static_cast<size_t>(std::ceil(fraction * values.size()));
    const size_t index = rank == 0 ? 0 : std::min(rank, values.size()) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

AccuracyReport MeasureAccuracy(const EpochRange& epochs,
                               const std::optional<ReferencePosition>& reference) {
    std::vector<FixSample> fixes;
    FixSample sample;
    epochs([&](const Epoch& e) {
        if (FixSampleOf(e, sample)) fixes.push_back(sample);
    });
    return MeasureAccuracy(fixes, reference);
}

AccuracyReport MeasureAccuracy(const std::vector<FixSample>& fixes,
                               const std::optional<ReferencePosition>& reference,
                               size_t maxPoints) {
    AccuracyReport r;
    r.Samples = fixes.size();
    if (fixes.empty()) return r;
    r.DurationSeconds = (fixes.back().HostMs - fixes.front().HostMs) / HostMsPerSecond;

    // The centre: the reference, or the mean (longitudes about the first fix,
    // so that a scatter across the antimeridian averages right).
    double sumLat = 0, sumDLon = 0, sumAlt = 0;
    size_t altitudes = 0;
    for (const FixSample& f : fixes) {
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
    horizontal.reserve(fixes.size());
    double sumSquares = 0;
    const LocalFrame frame(r.CentreLatitude, r.CentreLongitude);
    // Every fix counts; the scatter keeps every stride-th.
    const size_t stride = maxPoints >= fixes.size() ? 1
                          : maxPoints == 0          ? fixes.size() + 1
                                                    : (fixes.size() + maxPoints - 1) / maxPoints;
    r.Points.reserve(fixes.size() / std::max<size_t>(stride, 1) + 1);
    for (size_t i = 0; i < fixes.size(); ++i) {
        const FixSample& f = fixes[i];
        ScatterPoint p = frame.Offset(f.Latitude, f.Longitude);
        p.Solution = f.Solution;
        if (i % stride == 0) r.Points.push_back(p);
        const double d2 = p.East * p.East + p.North * p.North;
        sumSquares += d2;
        horizontal.push_back(std::sqrt(d2));
        if (f.HasAltitude) vertical.push_back(std::fabs(f.Altitude - centreAltitude));
    }
    r.Cep50 = PercentileInPlace(horizontal, Half);
    r.Cep95 = PercentileInPlace(horizontal, NinetyFive);
    r.Drms2 = 2 * std::sqrt(sumSquares / n);
    r.VerticalSamples = vertical.size();
    r.Vertical95 = PercentileInPlace(vertical, NinetyFive);
    return r;
}
