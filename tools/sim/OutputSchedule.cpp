#include "tools/sim/OutputSchedule.h"

void OutputSchedule::Reset(bool zda) {
    for (size_t i = 0; i < FRates.size(); ++i) {
        FRates[i] = OutputRate{};
        FNextDueMs[i] = 0;
        FQuery[i] = false;
    }
    FRates[Index(SentenceKind::ZDA)].Value = zda ? 1 : 0;
}

void OutputSchedule::SetEpochRate(SentenceKind kind, unsigned everyNth) {
    OutputRate& r = FRates[Index(kind)];
    r.In = OutputRate::Epochs;
    r.Value = everyNth;
}

void OutputSchedule::SetSecondsRate(SentenceKind kind, unsigned seconds, bool checksum) {
    OutputRate& r = FRates[Index(kind)];
    r.In = OutputRate::Seconds;
    r.Value = seconds;
    r.Checksum = checksum;
    FNextDueMs[Index(kind)] = 0;  // the first one goes out at the next epoch
}

bool OutputSchedule::Due(SentenceKind kind, int64_t epochIndex, int64_t simMs) {
    const size_t i = Index(kind);
    const OutputRate& r = FRates[i];
    bool due = false;
    if (r.Value != 0) {
        if (r.In == OutputRate::Epochs) {
            due = epochIndex % r.Value == 0;
        } else if (simMs >= FNextDueMs[i]) {
            due = true;
            FNextDueMs[i] = simMs + static_cast<int64_t>(r.Value) * 1000;
        }
    }
    if (FQuery[i]) {
        FQuery[i] = false;
        due = true;
    }
    return due;
}
