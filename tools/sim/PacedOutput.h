// The transmit side of the simulated UART: a queue of items sent in small
// slices, each slice when the line would be free at the set baud rate (8N1,
// ten bits a byte). While the monitor's rate differs from ours, every byte
// goes out as line noise instead: what a UART at the wrong rate receives.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>

#include "tools/sim/PtyLine.h"
#include "tools/sim/SentItem.h"
#include "tools/sim/SimRandom.h"

class PacedOutput {
  public:
    static constexpr int64_t SliceNs = 10'000'000;         // about 10 ms of line time a write
    static constexpr int64_t CatchUpLimitNs = 20'000'000;  // the most a late line makes up at once

    PacedOutput(PtyLine& line, unsigned long baud, uint32_t noiseSeed);
    // A new line rate for what is sent from now on.
    void SetBaud(unsigned long baud);

    void SetRecord(std::FILE* file) { FRecord = file; }
    // Why writing the record failed ("" while it has not); the record is
    // then written no more.
    const std::string& RecordError() const { return FRecordError; }
    // Urgent items (UBX answers) go right after the item on the line.
    void Enqueue(SentItem item, bool urgent);
    bool HasData() const { return FHasCurrent || !FUrgent.empty() || !FQueue.empty(); }
    size_t QueuedBytes() const { return FQueuedBytes; }
    bool Blocked() const { return FBlocked; }
    int64_t LineFreeNs() const { return FLineFreeNs; }
    int64_t ByteNs() const { return FByteNs; }

    // Sends every slice that is due at `nowNs`; completed items go to `done`.
    // False when the line failed.
    bool Transmit(int64_t nowNs, bool mismatched, const std::function<void(SentItem&&)>& done);

    uint64_t BytesSent() const { return FBytesSent; }
    uint64_t NoiseBytes() const { return FNoiseBytes; }
    double MaxLatenessMs() const { return FMaxLatenessNs / 1e6; }

  private:
    bool NextItem();
    char NoiseByte();

    PtyLine& FLine;
    int64_t FByteNs;
    size_t FSliceBytes;
    SimRandom FNoise;
    std::FILE* FRecord = nullptr;
    std::string FRecordError;

    std::deque<SentItem> FUrgent, FQueue;
    SentItem FCurrent;
    size_t FCurrentPos = 0;
    bool FHasCurrent = false;
    size_t FQueuedBytes = 0;

    int64_t FLineFreeNs = 0;
    bool FIdle = true;
    bool FBlocked = false;
    uint64_t FBytesSent = 0, FNoiseBytes = 0;
    int64_t FMaxLatenessNs = 0;
};
