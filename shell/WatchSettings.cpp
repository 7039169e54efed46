#include "shell/WatchSettings.h"

namespace {

struct Key {
    const char* Name;
    double WatchThresholds::*Value;
    double Low, High;
};

constexpr char KeyJamIndicator[] = "watch/jamIndicator";
constexpr int MostJamIndicator = 255;
const Key Keys[] = {
    {"watch/cnoDropDb", &WatchThresholds::CnoDropDb, 1, 60},
    {"watch/cnoDropWindowS", &WatchThresholds::CnoDropWindowS, 1, 600},
    {"watch/positionJumpM", &WatchThresholds::PositionJumpM, 1, 1e7},
    {"watch/timeJumpS", &WatchThresholds::TimeJumpS, 0.1, 86400},
    {"watch/equalCnoDb", &WatchThresholds::EqualCnoDb, 0, 20},
};

}  // namespace

WatchThresholds ReadWatchThresholds(const QSettings& s, WatchThresholds t) {
    bool ok = false;
    const int jam = s.value(KeyJamIndicator).toString().toInt(&ok);
    if (ok && jam >= 1 && jam <= MostJamIndicator) t.JamIndicator = jam;
    for (const Key& k : Keys) {
        const double v = s.value(k.Name).toString().toDouble(&ok);
        if (ok && v >= k.Low && v <= k.High) t.*k.Value = v;
    }
    return t;
}

void WriteWatchThresholds(QSettings& s, const WatchThresholds& t) {
    s.setValue(KeyJamIndicator, t.JamIndicator);
    for (const Key& k : Keys) s.setValue(k.Name, t.*k.Value);
}
