// Which sentences go out in which epoch. u-blox sets a rate per sentence in
// navigation solutions (CFG-MSG: 1 = every solution, 0 = off); SiRF sets an
// interval in seconds ($PSRF103, 0 = off) and can ask for a sentence once.
#pragma once

#include <array>
#include <cstdint>

#include "tools/sim/EpochSentences.h"

struct OutputRate {
    enum Unit : uint8_t { Epochs, Seconds };
    Unit In = Epochs;
    unsigned Value = 1;  // 0 = off
    bool Checksum = true;
};

class OutputSchedule {
  public:
    explicit OutputSchedule(bool zda = false) { Reset(zda); }

    // Every sentence on at every epoch, ZDA as given.
    void Reset(bool zda);
    void SetEpochRate(SentenceKind kind, unsigned everyNth);
    void SetSecondsRate(SentenceKind kind, unsigned seconds, bool checksum);
    void QueryOnce(SentenceKind kind) { FQuery[Index(kind)] = true; }

    // Whether the sentence goes out in this epoch; consumes a one-shot query
    // and moves a SiRF interval on.
    bool Due(SentenceKind kind, int64_t epochIndex, int64_t simMs);

    const OutputRate& Rate(SentenceKind kind) const { return FRates[Index(kind)]; }
    bool Enabled(SentenceKind kind) const { return Rate(kind).Value != 0; }

  private:
    static size_t Index(SentenceKind kind) { return static_cast<size_t>(kind); }

    std::array<OutputRate, SentenceKindCount> FRates{};
    std::array<int64_t, SentenceKindCount> FNextDueMs{};
    std::array<bool, SentenceKindCount> FQuery{};
};
