// The scatter of a static receiver's positions: each fix in metres east and
// north of the mean (or of a reference position the user gives), with the
// circles a receiver engineer reads off it.
//   CEP50, CEP95: radius holding 50 % / 95 % of the horizontal positions.
//   2DRMS: twice the root mean square of the horizontal distances.
//   Vertical 95 %: 95 % of the altitudes lie within this of the mean altitude
//   (or the reference's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "eval/Epoch.h"
#include "eval/EpochRange.h"

struct ReferencePosition {
    double Latitude = 0, Longitude = 0;  // degrees
    std::optional<double> Altitude;      // metres
};

struct ScatterPoint {
    double East = 0, North = 0;         // metres from the centre
    RtkFix Solution = RtkFix::Unknown;  // the receiver's solution at this fix
};

struct AccuracyReport {
    size_t Samples = 0;          // epochs with a fix
    double DurationSeconds = 0;  // from the first to the last of them
    double CentreLatitude = 0, CentreLongitude = 0;
    double Cep50 = 0, Cep95 = 0, Drms2 = 0;
    double Vertical95 = 0;
    size_t VerticalSamples = 0;  // fixes with an altitude
    std::vector<ScatterPoint> Points;
};

// Metres east and north of (latitude0, longitude0) on the WGS 84 ellipsoid,
// exact enough for the few kilometres of a scatter.
ScatterPoint LocalOffset(double latitude0, double longitude0, double latitude, double longitude);

// What the report needs of one fix.
struct FixSample {
    double Latitude = 0, Longitude = 0, Altitude = 0;
    bool HasAltitude = false;
    uint32_t HostMs = 0;
    RtkFix Solution = RtkFix::Unknown;
};
// The fix of an epoch; false when it has none.
bool FixSampleOf(const Epoch& e, FixSample& sample);

// The report over 'epochs' (only epochs with a fix count), about their mean
// position or about 'reference' when given.
AccuracyReport MeasureAccuracy(const EpochRange& epochs,
                               const std::optional<ReferencePosition>& reference = {});
// The same over fixes already taken; the scatter keeps at most 'maxPoints'
// of them (evenly spread) while every fix counts in the figures.
AccuracyReport MeasureAccuracy(const std::vector<FixSample>& fixes,
                               const std::optional<ReferencePosition>& reference = {},
                               size_t maxPoints = SIZE_MAX);

// The value below which 'fraction' (0..1) of 'values' lie (nearest rank).
double Percentile(std::vector<double> values, double fraction);
// The same, reordering 'values' instead of copying them.
double PercentileInPlace(std::vector<double>& values, double fraction);
