// The simulated receiver's RTK engine: RTCM 3 frames with a sound CRC are
// corrections; after FLOAT_S seconds of them the solution is RTK float,
// after FIXED_S RTK fixed (DGNSS before that), and when none has come for
// CorrectionTimeoutS it falls back to a plain fix. Times are the
// simulator's monotonic nanoseconds; every delay is divided by the time scale.
#pragma once

#include <cstdint>

#include "tools/sim/ReceiverModel.h"

struct RtkTimes {
    bool Enabled = false;  // --rtk given
    double FloatS = 0;
    double FixedS = 0;
};

class RtkModel {
  public:
    static constexpr double CorrectionTimeoutS = 10;

    RtkModel(RtkTimes times, double timeScale);

    // A correction frame with a sound CRC arrived.
    void Received(int64_t nowNs);
    // Sets the epoch's solution and correction age; an epoch without a fix
    // stays as it is.
    void Apply(EpochState& epoch, int64_t nowNs) const;

  private:
    int64_t Scaled(double seconds) const;

    RtkTimes FTimes;
    double FTimeScale;
    bool FReceiving = false;
    int64_t FStartNs = 0;  // the first frame of the current run of corrections
    int64_t FLastNs = 0;
};
