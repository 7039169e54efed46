// The accuracy figures on scatters of known shape.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "eval/Accuracy.h"

namespace {

constexpr double Lat0 = 48.1173, Lon0 = 11.5166;
constexpr double MetresPerDegreeLat = 111200.0;  // about, at 48 degrees

// A fix 'east' and 'north' metres from the origin, 'up' metres above 500 m.
Epoch At(double east, double north, double up, uint32_t ms) {
    Epoch e;
    e.HostMs = ms;
    e.Fix = EpochFix::Fix3D;
    e.HasPosition = e.HasAltitude = true;
    e.Latitude = Lat0 + north / MetresPerDegreeLat;
    e.Longitude = Lon0 + east / (MetresPerDegreeLat * std::cos(Lat0 * M_PI / 180));
    e.Altitude = 500 + up;
    return e;
}

TEST(Accuracy, KnownOffsetsGiveTheirPercentilesAboutAReference) {
    // Distances 1..100 m in all directions: CEP50 is the 50th, CEP95 the 95th.
    std::vector<Epoch> epochs;
    for (int i = 1; i <= 100; ++i) {
        const double a = i * 2.39996;  // golden angle: every direction
        epochs.push_back(
            At(i * std::cos(a), i * std::sin(a), (i % 2 ? 1 : -1) * i / 10.0, i * 1000));
    }
    Epoch noFix = At(5000, 5000, 0, 0);
    noFix.Fix = EpochFix::NoFix;
    epochs.push_back(noFix);  // no fix: not counted
    const AccuracyReport r = MeasureAccuracy(RangeOf(epochs), ReferencePosition{Lat0, Lon0, 500.0});
    EXPECT_EQ(r.Samples, 100u);
    EXPECT_NEAR(r.Cep50, 50, 0.3);
    EXPECT_NEAR(r.Cep95, 95, 0.5);
    double sum = 0;
    for (int i = 1; i <= 100; ++i) sum += i * i;
    EXPECT_NEAR(r.Drms2, 2 * std::sqrt(sum / 100), 0.5);
    EXPECT_NEAR(r.Vertical95, 9.5, 0.01);
    EXPECT_NEAR(r.DurationSeconds, 99, 1e-9);
    ASSERT_EQ(r.Points.size(), 100u);
    EXPECT_NEAR(r.Points[0].East, std::cos(2.39996), 0.02);
    EXPECT_NEAR(r.Points[0].North, std::sin(2.39996), 0.02);
}

TEST(Accuracy, AGaussianScatterAboutItsMeanMatchesTheory) {
    // Circular normal with sigma 2 m: CEP50 = 1.1774 sigma, CEP95 = 2.4477
    // sigma, 2DRMS = 2.8284 sigma; vertical sigma 3 m: 95 % within 1.96 sigma.
    std::mt19937 random(7);
    std::normal_distribution<double> horizontal(0, 2), vertical(0, 3);
    std::vector<Epoch> epochs;
    for (uint32_t i = 0; i < 20000; ++i)
        epochs.push_back(
            At(100 + horizontal(random), -40 + horizontal(random), vertical(random), i));
    const AccuracyReport r = MeasureAccuracy(RangeOf(epochs));
    EXPECT_NEAR(r.Cep50, 1.1774 * 2, 0.05);
    EXPECT_NEAR(r.Cep95, 2.4477 * 2, 0.1);
    EXPECT_NEAR(r.Drms2, 2.8284 * 2, 0.1);
    EXPECT_NEAR(r.Vertical95, 1.96 * 3, 0.15);
    const ScatterPoint centre = LocalOffset(Lat0, Lon0, r.CentreLatitude, r.CentreLongitude);
    EXPECT_NEAR(centre.East, 100, 0.5) << "the mean, not the first fix";
    EXPECT_NEAR(centre.North, -40, 0.5);
}

TEST(Accuracy, AScatterAcrossTheAntimeridianStaysTogether) {
    std::vector<Epoch> epochs(2);
    for (Epoch& e : epochs) {
        e.Fix = EpochFix::Fix2D;
        e.HasPosition = true;
    }
    epochs[0].Longitude = 179.99999;
    epochs[1].Longitude = -179.99999;
    const AccuracyReport r = MeasureAccuracy(RangeOf(epochs));
    EXPECT_LT(r.Cep95, 2.0) << "two fixes 2.2 m apart, not 40,000 km";
    EXPECT_EQ(r.VerticalSamples, 0u);
}

TEST(Accuracy, PercentileTakesTheNearestRank) {
    EXPECT_EQ(Percentile({5, 1, 4, 2, 3}, 0.5), 3);
    EXPECT_EQ(Percentile({5, 1, 4, 2, 3}, 0.95), 5);
    EXPECT_EQ(Percentile({5, 1, 4, 2, 3}, 0.2), 1);
    EXPECT_EQ(Percentile({}, 0.5), 0);
}

}  // namespace

TEST(Accuracy, AScatterKeepsFewerPointsButCountsEveryFix) {
    std::vector<FixSample> fixes;
    for (int i = 0; i < 1000; ++i)
        fixes.push_back({Lat0 + (i % 37) * 1e-6, Lon0 + (i % 11) * 1e-6, 500.0 + i % 7, true,
                         static_cast<uint32_t>(i)});
    const AccuracyReport all = MeasureAccuracy(fixes);
    const AccuracyReport few = MeasureAccuracy(fixes, {}, 100);
    EXPECT_EQ(all.Points.size(), 1000u);
    EXPECT_LE(few.Points.size(), 100u);
    EXPECT_GE(few.Points.size(), 90u);
    EXPECT_EQ(few.Samples, 1000u);
    EXPECT_EQ(few.Cep95, all.Cep95);
    EXPECT_EQ(few.Drms2, all.Drms2);
}

// Each point of the scatter keeps the receiver's solution at its fix, so
// the view colours RTK fixed, float and DGNSS apart, thinned or not.
TEST(Accuracy, ScatterPointsKeepTheirSolution) {
    const RtkFix kinds[] = {RtkFix::Fixed, RtkFix::Float, RtkFix::Dgnss, RtkFix::Fix3D};
    std::vector<FixSample> fixes;
    for (int i = 0; i < 400; ++i) {
        FixSample f{Lat0 + i * 1e-7, Lon0, 500.0, true, static_cast<uint32_t>(i)};
        f.Solution = kinds[i / 100];
        fixes.push_back(f);
    }
    for (size_t maxPoints : {SIZE_MAX, size_t{40}}) {
        const AccuracyReport report = MeasureAccuracy(fixes, {}, maxPoints);
        std::map<RtkFix, size_t> counts;
        for (const ScatterPoint& p : report.Points) ++counts[p.Solution];
        ASSERT_EQ(counts.size(), 4u) << maxPoints;
        for (const auto& [kind, count] : counts)
            EXPECT_EQ(count, report.Points.size() / 4) << static_cast<int>(kind);
        // Points come in the fixes' order: north grows with the index.
        EXPECT_EQ(report.Points.front().Solution, RtkFix::Fixed);
        EXPECT_EQ(report.Points.back().Solution, RtkFix::Fix3D);
    }
}
