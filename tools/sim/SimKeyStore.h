// The configuration of a receiver set by keys: a value for every key it
// knows in each layer (Default, Flash, BBR, RAM; RAM is what it runs by), and
// what VALGET, VALSET and VALDEL do to them. A transaction's changes are held
// until its last message and then applied together, or not at all.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "ubx/UbxKeyCodec.h"

class SimKeyStore {
  public:
    // The receiver's defaults, with the line rate it starts at on UART1.
    SimKeyStore(unsigned long uart1Baud, bool zda);

    // The values asked for in one layer (a group or all by wildcard), from
    // `position` on, at most 64; false (a NAK) when none is there.
    bool Get(const ubxcfg::ValGetPoll& poll, std::vector<ubxcfg::KeyValue>& out) const;
    // Applies a VALSET; false (a NAK) for an unknown key, no layer or a step
    // out of order. `ramChanged` gets the RAM values that changed.
    bool Set(const ubxcfg::ValChange& change, std::vector<ubxcfg::KeyValue>& ramChanged);
    // Clears keys from BBR and Flash; false for RAM or the default layer.
    bool Delete(const ubxcfg::ValChange& change);

    uint64_t Ram(uint32_t id) const;
    // A value a check refuses (a baud rate the line cannot run); false keeps
    // the whole change out.
    using Check = bool (*)(const ubxcfg::KeyValue& value);
    void SetCheck(Check check) { FCheck = check; }

  private:
    using Layer = std::map<uint32_t, uint64_t>;
    const Layer* LayerOf(ubxcfg::KeyLayer layer) const;
    bool Known(uint32_t id) const { return FDefault.count(id) != 0; }
    bool Apply(uint8_t layers, const std::vector<ubxcfg::KeyValue>& values,
               std::vector<ubxcfg::KeyValue>& ramChanged);

    Layer FDefault, FRam, FBbr, FFlash;
    bool FInTransaction = false;
    uint8_t FPendingLayers = 0;
    std::vector<ubxcfg::KeyValue> FPending;
    Check FCheck = nullptr;
};
