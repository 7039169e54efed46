#include "eval/InterferenceWatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

constexpr double MsPerS = 1000;
constexpr int64_t MsPerDay = 86400000;
constexpr double EarthRadiusM = 6371008.8;
constexpr double DegToRad = 3.14159265358979323846 / 180;

const char* const KindNames[AlarmKindCount] = {"jamming",       "cno-drop",  "spoofing",
                                               "position-jump", "time-jump", "equal-cno"};

uint32_t SatelliteKey(const EpochSatellite& s) {
    return (static_cast<uint32_t>(s.System) << 16) | s.Prn;
}

// Milliseconds from one time of day to the next, across midnight.
int64_t DayStepMs(uint32_t from, uint32_t to) {
    int64_t step = static_cast<int64_t>(to) - from;
    if (step < -MsPerDay / 2) step += MsPerDay;
    if (step > MsPerDay / 2) step -= MsPerDay;
    return step;
}

double DistanceM(const Epoch& a, const Epoch& b) {
    const double lat1 = a.Latitude * DegToRad, lat2 = b.Latitude * DegToRad;
    const double dLat = lat2 - lat1, dLon = (b.Longitude - a.Longitude) * DegToRad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * EarthRadiusM * std::asin(std::sqrt(std::min(1.0, h)));
}

std::string Line(const char* format, double a, double b, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

}  // namespace

const char* AlarmKindName(AlarmKind kind) {
    const auto i = static_cast<size_t>(kind);
    return i < AlarmKindCount ? KindNames[i] : "?";
}

double WatchTimeS(const Epoch& epoch) {
    return (epoch.UtcMs != Epoch::NoTime ? epoch.UtcMs : epoch.HostMs) / MsPerS;
}

void InterferenceWatch::Clear() {
    FEvents.clear();
    std::fill(std::begin(FHolding), std::end(FHolding), false);
    FRecent.clear();
    FHavePrevious = false;
}

int InterferenceWatch::Check(const Epoch& epoch, const ReceiverHealth& health) {
    int raised = 0;
    double value = 0, limit = 0;
    bool holds = JammingHolds(health, value);
    raised += Raise(AlarmKind::Jamming, holds, epoch, value, FLimits.JamIndicator);
    holds = CnoDropHolds(epoch, WatchTimeS(epoch), value, limit);
    raised += Raise(AlarmKind::CnoDrop, holds, epoch, value, limit);
    holds = health.SpoofingKnown && health.SpoofingState >= UbxSpoofingIndicated;
    raised += Raise(AlarmKind::Spoofing, holds, epoch, health.SpoofingState, UbxSpoofingIndicated);
    holds = PositionJumpHolds(epoch, value);
    raised += Raise(AlarmKind::PositionJump, holds, epoch, value, FLimits.PositionJumpM);
    holds = TimeJumpHolds(epoch, value);
    raised += Raise(AlarmKind::TimeJump, holds, epoch, value, FLimits.TimeJumpS);
    holds = EqualCnoHolds(epoch, value);
    raised += Raise(AlarmKind::EqualCno, holds, epoch, value, FLimits.EqualCnoDb);
    FPrevious = epoch;
    FHavePrevious = true;
    return raised;
}

bool InterferenceWatch::JammingHolds(const ReceiverHealth& health, double& value) const {
    value = health.JamInd;
    return health.BlockCount > 0 && health.JamInd >= FLimits.JamIndicator;
}

// Each satellite's best C/N0 within the window before this epoch against
// its C/N0 now (0 when it is no longer tracked): the rule holds when more
// than half of them fell by more than the threshold. A cycle without any
// satellite (no GSV in it) tells nothing and is left out.
bool InterferenceWatch::CnoDropHolds(const Epoch& epoch, double timeS, double& value,
                                     double& limit) {
    value = limit = 0;
    if (epoch.Satellites.empty()) return false;
    while (!FRecent.empty() && (FRecent.front().TimeS > timeS ||
                                timeS - FRecent.front().TimeS > FLimits.CnoDropWindowS))
        FRecent.pop_front();
    std::map<uint32_t, uint8_t> best;
    for (const Seen& seen : FRecent)
        for (const auto& [key, cno] : seen.Cno) best[key] = std::max(best[key], cno);
    Seen now{timeS, {}};
    for (const EpochSatellite& s : epoch.Satellites)
        if (s.Snr > 0) now.Cno.emplace_back(SatelliteKey(s), s.Snr);
    int dropped = 0;
    for (const auto& [key, cno] : best) {
        uint8_t current = 0;
        for (const auto& [k, c] : now.Cno)
            if (k == key) current = c;
        if (cno - current > FLimits.CnoDropDb) ++dropped;
    }
    FRecent.push_back(std::move(now));
    const int tracked = static_cast<int>(best.size());
    value = dropped;
    limit = tracked;
    return tracked >= FLimits.MinSatellites && 2 * dropped > tracked;
}

bool InterferenceWatch::PositionJumpHolds(const Epoch& epoch, double& value) const {
    value = 0;
    if (!FHavePrevious || !FPrevious.HasFix() || !epoch.HasFix()) return false;
    const double stepS = FPrevious.UtcMs != Epoch::NoTime && epoch.UtcMs != Epoch::NoTime
                             ? std::abs(DayStepMs(FPrevious.UtcMs, epoch.UtcMs)) / MsPerS
                             : (epoch.HostMs - FPrevious.HostMs) / MsPerS;
    const double explained = std::max(FPrevious.SpeedMs, epoch.SpeedMs) * stepS;
    value = DistanceM(FPrevious, epoch) - explained;
    return value > FLimits.PositionJumpM;
}

// The receiver's time step against the host clock's, where the host clock
// has moved (a replayed file is read in an instant and has no clock to
// compare with).
bool InterferenceWatch::TimeJumpHolds(const Epoch& epoch, double& value) const {
    value = 0;
    if (!FHavePrevious || FPrevious.UtcMs == Epoch::NoTime || epoch.UtcMs == Epoch::NoTime)
        return false;
    const int64_t hostStep = static_cast<int64_t>(epoch.HostMs) - FPrevious.HostMs;
    if (hostStep <= 0) return false;
    value = std::abs(DayStepMs(FPrevious.UtcMs, epoch.UtcMs) - hostStep) / MsPerS;
    return value > FLimits.TimeJumpS;
}

bool InterferenceWatch::EqualCnoHolds(const Epoch& epoch, double& value) const {
    int tracked = 0;
    int low = 255, high = 0;
    for (const EpochSatellite& s : epoch.Satellites) {
        if (s.Snr == 0) continue;
        ++tracked;
        low = std::min<int>(low, s.Snr);
        high = std::max<int>(high, s.Snr);
    }
    value = tracked > 0 ? high - low : 0;
    return tracked >= FLimits.EqualCnoSatellites && value <= FLimits.EqualCnoDb;
}

int InterferenceWatch::Raise(AlarmKind kind, bool holds, const Epoch& epoch, double value,
                             double limit) {
    bool& holding = FHolding[static_cast<size_t>(kind)];
    const bool raised = holds && !holding;
    holding = holds;
    if (!raised) return 0;
    WatchEvent event{epoch.HostMs, epoch.UtcMs, kind, value, limit, {}};
    switch (kind) {
        case AlarmKind::Jamming:
            event.Text = Line("jamming indicator %.0f (threshold %.0f)", value, limit);
            break;
        case AlarmKind::CnoDrop:
            event.Text = Line("C/N0 of %.0f of %.0f satellites fell more than %.0f dB", value,
                              limit, FLimits.CnoDropDb);
            break;
        case AlarmKind::Spoofing:
            event.Text = std::string("the receiver reports spoofing ") +
                         UbxSpoofingText(static_cast<uint8_t>(value));
            break;
        case AlarmKind::PositionJump:
            event.Text =
                Line("position jumped %.1f m beyond its speed (threshold %.0f m)", value, limit);
            break;
        case AlarmKind::TimeJump:
            event.Text =
                Line("time jumped %.1f s against the host clock (threshold %.1f s)", value, limit);
            break;
        case AlarmKind::EqualCno:
            event.Text = Line("every satellite within %.0f dB of each other (threshold %.0f dB)",
                              value, limit);
            break;
    }
    FEvents.push_back(std::move(event));
    return 1;
}
