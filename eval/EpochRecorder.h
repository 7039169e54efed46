// Every epoch of a connection, kept in memory in a packed form: a header of
// about forty bytes and four bytes per satellite, in chunks, so that 24 hours
// at 10 Hz with 40 satellites stay under 200 MB. Beyond a limit the user sets,
// the oldest epochs are dropped first, a chunk at a time.
//
// The recorder is an EpochSink: the dispatcher hands it each finished cycle
// under the store lock, and readers of the recording hold the same lock.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "eval/Epoch.h"
#include "eval/EpochRange.h"
#include "eval/InterferenceWatch.h"
#include "nmea/EpochSink.h"

class EpochRecorder : public EpochSink {
  public:
    static constexpr size_t DefaultLimit = 24u * 3600u * 10u;  // 24 hours at 10 Hz
    static constexpr size_t ChunkEpochs = 4096;

    using HostClock = std::function<uint32_t()>;  // milliseconds since the recording started

    explicit EpochRecorder(size_t limit = DefaultLimit, HostClock clock = {});
    ~EpochRecorder() override;

    void CycleEnded(const NMEA_Manager& store) override;
    // Records one epoch as given (its satellites beyond 255 are left out).
    void Record(const Epoch& epoch);

    // Now on the clock the epochs' host times are taken by, in seconds: the
    // clock every time to fix measured from this recording runs on.
    double ClockSeconds() const;

    size_t Size() const { return FSize; }
    // Epochs dropped since the recording started, the oldest first.
    uint64_t Dropped() const { return FDropped; }
    // Every epoch recorded since the start, dropped ones included.
    uint64_t Recorded() const { return FSize + FDropped; }
    Epoch At(size_t index) const;
    // The index of the first epoch whose host time is 'hostMs' or later
    // (Size() when none): the host times only grow.
    size_t FirstAtOrAfter(uint32_t hostMs) const;
    // Calls visit(const Epoch&) for the epochs [from, to), in order.
    void ForEach(size_t from, size_t to, const std::function<void(const Epoch&)>& visit) const;

    size_t Limit() const { return FLimit; }
    void SetLimit(size_t limit);
    void Clear();
    // Bytes the recording holds now.
    size_t MemoryBytes() const;

    // The interference watch, told every cycle recorded from the store;
    // its alarms are kept with the recording and cleared with it.
    InterferenceWatch& Watch() { return FWatch; }
    const InterferenceWatch& Watch() const { return FWatch; }

  private:
    struct Header;
    struct Chunk;

    uint8_t SatelliteId(Constellation system, uint16_t prn);
    void DropOldest();
    Epoch Unpack(const Chunk& chunk, size_t index) const;

    size_t FLimit;
    HostClock FClock;
    std::deque<std::unique_ptr<Chunk>> FChunks;
    size_t FSize = 0;
    size_t FFront = 0;  // epochs of the first chunk already dropped
    uint64_t FDropped = 0;
    size_t FLastSatellites = 0;  // satellite slots the last full chunk used
    // Satellites by the identity index a packed satellite holds, and the
    // index (plus one) of each system and number below 256.
    std::vector<std::pair<Constellation, uint16_t>> FIdentities;
    std::vector<uint8_t> FIdentityOf;
    Epoch FScratch;              // the epoch being recorded, reused
    uint32_t FCycleStartMs = 0;  // when the cycle under way began
    bool FCycleStarted = false;
    InterferenceWatch FWatch;
};

// An epoch of the store as it stands: the finished cycle. The second form
// fills 'e', keeping the room its satellite list already has.
Epoch EpochOfStore(const NMEA_Manager& store);
void EpochOfStore(const NMEA_Manager& store, Epoch& e);

// The epochs of a recording, oldest first (read under the store lock).
EpochRange RangeOf(const EpochRecorder& recorder);
