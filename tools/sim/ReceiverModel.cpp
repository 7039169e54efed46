#include "tools/sim/ReceiverModel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double DegToRad = Pi / 180;
constexpr double MetresPerDegree = 111320.0;
constexpr double TrackingMaskDeg = 5;
constexpr double FirstAcquisitionShare = 0.15;  // of the time to 2D
constexpr double LastAcquisitionShare = 0.85;
constexpr int MinSatellites2D = 3;
constexpr int MinSatellites3D = 4;
constexpr double PositionNoiseM = 0.4;  // per epoch step of the random walk
constexpr double HeightNoiseM = 0.8;
constexpr double NoisePullBack = 0.1;  // share of the walk's offset undone each epoch
constexpr int MinSnr = 12, MaxSnr = 54;

}  // namespace

const char* StartKindName(StartKind kind) {
    static constexpr std::array<const char*, StartKindCount> Names = {"hot", "warm", "cold",
                                                                      "factory"};
    return Names[static_cast<size_t>(kind)];
}

ReceiverModel::ReceiverModel(const ReceiverSettings& settings)
    : FSettings(settings),
      FRandom(settings.Seed),
      FSky(FRandom, settings.Multi),
      FLat(settings.LatDeg),
      FLon(settings.LonDeg),
      FStart(settings.FirstStart) {
    Restart(settings.FirstStart, 0);
}

void ReceiverModel::Restart(StartKind kind, int64_t simMs) {
    FStart = kind;
    FRestartMs = simMs;
    FFirstFixMs = -1;
    FTimeKnown = kind == StartKind::Hot || kind == StartKind::Warm;
    const AcquisitionTimes& t = FSettings.Times[static_cast<size_t>(kind)];
    FAcquiredAfterMs.resize(FSky.Orbits().size());
    for (int64_t& after : FAcquiredAfterMs)
        after = std::llround(1000.0 * t.Fix2dS *
                             FRandom.Between(FirstAcquisitionShare, LastAcquisitionShare));
}

void ReceiverModel::Move(double seconds) {
    const double distance = FSettings.SpeedKmh / 3.6 * seconds;
    const double course = FSettings.CourseDeg * DegToRad;
    FLat += distance * std::cos(course) / MetresPerDegree;
    FLon +=
        distance * std::sin(course) / (MetresPerDegree * std::max(0.01, std::cos(FLat * DegToRad)));
    if (FLat > 89.9) FLat = 89.9;
    if (FLat < -89.9) FLat = -89.9;
    if (FLon > 180) FLon -= 360;
    if (FLon < -180) FLon += 360;
}

EpochState ReceiverModel::Advance(int64_t simMs) {
    Move((simMs - FLastMs) / 1000.0);
    FLastMs = simMs;
    EpochState epoch;
    epoch.Index = FEpochIndex++;
    epoch.UnixMs = FSettings.StartUnixMs + simMs;
    const int64_t since = simMs - FRestartMs;
    Track(epoch, since);
    DecideFix(epoch, since);
    if (epoch.Fix != FixKind::None && FFirstFixMs < 0) FFirstFixMs = since;
    epoch.SinceRestartMs = since;
    epoch.TtffMs = FFirstFixMs < 0 ? 0 : FFirstFixMs;
    Report(epoch);
    return epoch;
}

void ReceiverModel::Track(EpochState& epoch, int64_t sinceRestartMs) {
    const auto visible = FSky.Visible(epoch.UnixMs / 1000.0, FLat, FLon, FSettings.AltM);
    int perSystem[GnssCount] = {}, usedPerSystem[GnssCount] = {};
    std::vector<Direction> used;
    // Highest satellites first when a constellation has more in view than one
    // GSV set holds; the list itself stays in PRN order.
    std::vector<SatelliteDirection> chosen;
    for (int g = 0; g < GnssCount; ++g) {
        std::vector<SatelliteDirection> ofSystem;
        for (const auto& d : visible)
            if (static_cast<int>(FSky.Orbits()[d.Index].System) == g) ofSystem.push_back(d);
        if (ofSystem.size() > static_cast<size_t>(MaxSatellitesPerSystem)) {
            std::stable_sort(ofSystem.begin(), ofSystem.end(), [](const auto& a, const auto& b) {
                return a.Elevation > b.Elevation;
            });
            ofSystem.resize(MaxSatellitesPerSystem);
            std::stable_sort(ofSystem.begin(), ofSystem.end(),
                             [](const auto& a, const auto& b) { return a.Index < b.Index; });
        }
        chosen.insert(chosen.end(), ofSystem.begin(), ofSystem.end());
    }
    for (const SatelliteDirection& d : chosen) {
        const SatelliteOrbit& orbit = FSky.Orbits()[d.Index];
        const int g = static_cast<int>(orbit.System);
        ++perSystem[g];
        SatelliteView view;
        view.System = orbit.System;
        view.Prn = orbit.Prn;
        view.Elevation = static_cast<int>(std::lround(d.Elevation));
        view.Azimuth = static_cast<int>(std::lround(d.Azimuth)) % 360;
        const double noise = FRandom.Gaussian();  // drawn for every satellite: stable sequence
        const bool tracked = !orbit.Obstructed && d.Elevation >= TrackingMaskDeg &&
                             sinceRestartMs >= FAcquiredAfterMs[d.Index];
        if (tracked) {
            const double snr =
                17 + 30 * std::sin(d.Elevation * DegToRad) + orbit.SnrOffset + 0.8 * noise;
            view.Snr = std::clamp(static_cast<int>(std::lround(snr)), MinSnr, MaxSnr);
            if (usedPerSystem[g] < MaxUsedPerSystem) {
                ++usedPerSystem[g];
                view.Used = true;
                used.push_back({d.Elevation, d.Azimuth});
            }
        }
        epoch.Satellites.push_back(view);
    }
    epoch.UsedCount = static_cast<int>(used.size());
    if (epoch.UsedCount > 0) FTimeKnown = true;
    epoch.TimeKnown = FTimeKnown;
    epoch.Dop = ComputeDop(used);
}

void ReceiverModel::DecideFix(EpochState& epoch, int64_t sinceRestartMs) const {
    const AcquisitionTimes& t = FSettings.Times[static_cast<size_t>(FStart)];
    if (sinceRestartMs >= std::llround(t.Fix3dS * 1000) && epoch.UsedCount >= MinSatellites3D)
        epoch.Fix = FixKind::Fix3D;
    else if (sinceRestartMs >= std::llround(t.Fix2dS * 1000) && epoch.UsedCount >= MinSatellites2D)
        epoch.Fix = FixKind::Fix2D;
    if (epoch.Fix == FixKind::None) epoch.Dop = DopValues{};
}

void ReceiverModel::Report(EpochState& epoch) {
    // A bounded random walk: the wander of a real position solution.
    FNoiseNorthM += PositionNoiseM * FRandom.Gaussian() - NoisePullBack * FNoiseNorthM;
    FNoiseEastM += PositionNoiseM * FRandom.Gaussian() - NoisePullBack * FNoiseEastM;
    FNoiseUpM += HeightNoiseM * FRandom.Gaussian() - NoisePullBack * FNoiseUpM;
    const double speedNoise = FRandom.Gaussian();
    const double courseNoise = FRandom.Gaussian();
    epoch.LatDeg = FLat + FNoiseNorthM / MetresPerDegree;
    epoch.LonDeg =
        FLon + FNoiseEastM / (MetresPerDegree * std::max(0.01, std::cos(FLat * DegToRad)));
    epoch.AltM = FSettings.AltM + FNoiseUpM;
    // A smooth stand-in for the geoid: within the real range of about -100 to +80 m.
    epoch.GeoidM =
        30 * std::sin(2 * FSettings.LatDeg * DegToRad) - 25 * std::cos(FSettings.LonDeg * DegToRad);
    epoch.SpeedKmh = std::max(0.0, FSettings.SpeedKmh + 0.1 * speedNoise);
    epoch.CourseDeg = std::fmod(FSettings.CourseDeg + 0.5 * courseNoise + 360, 360.0);
}
