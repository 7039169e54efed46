#include "tools/sim/RtkModel.h"

#include <cmath>

namespace {
constexpr double NsPerS = 1e9;
}

RtkModel::RtkModel(RtkTimes times, double timeScale)
    : FTimes(times), FTimeScale(timeScale > 0 ? timeScale : 1) {}

int64_t RtkModel::Scaled(double seconds) const {
    return static_cast<int64_t>(std::llround(seconds * NsPerS / FTimeScale));
}

void RtkModel::Received(int64_t nowNs) {
    if (!FReceiving || nowNs - FLastNs > Scaled(CorrectionTimeoutS)) FStartNs = nowNs;
    FReceiving = true;
    FLastNs = nowNs;
}

void RtkModel::Apply(EpochState& epoch, int64_t nowNs) const {
    epoch.Rtk = RtkSolution::None;
    epoch.CorrectionAgeS = -1;
    if (!FTimes.Enabled || !FReceiving || epoch.Fix == FixKind::None) return;
    const int64_t silentNs = nowNs - FLastNs;
    if (silentNs > Scaled(CorrectionTimeoutS)) return;
    const int64_t runNs = nowNs - FStartNs;
    epoch.Rtk = runNs >= Scaled(FTimes.FixedS)   ? RtkSolution::Fixed
                : runNs >= Scaled(FTimes.FloatS) ? RtkSolution::Float
                                                 : RtkSolution::Dgnss;
    epoch.CorrectionAgeS = silentNs < 0 ? 0 : silentNs * FTimeScale / NsPerS;
}
