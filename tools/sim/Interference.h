// The simulated receiver's health: the jamming and spoofing it suffers from
// a given moment (--jam-at, --spoof-at), and the UBX frames that tell its
// health (MON-RF, MON-SPAN, SEC-SIG), each at its own rate in solutions as
// CFG-MSG or the command line sets it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/ReceiverModel.h"

struct InterferenceSettings {
    static constexpr double DefaultJamDb = 15;  // enough to trip a 6 dB C/N0 drop watch
    double JamAtS = -1;                         // simulated seconds from the start; < 0: never
    double JamDb = DefaultJamDb;
    double SpoofAtS = -1;
    unsigned RfRate = 0;  // MON-RF every Nth solution, 0 off
    unsigned SpanRate = 0;
    unsigned SecSigRate = 0;
};

// The health messages the simulator sends, by class and id, and their rates.
class HealthRates {
  public:
    explicit HealthRates(const InterferenceSettings& s)
        : FRates{s.RfRate, s.SpanRate, s.SecSigRate} {}
    // The rate of a health message; false for any other message.
    bool Get(uint8_t messageClass, uint8_t id, unsigned& rate) const;
    bool Set(uint8_t messageClass, uint8_t id, unsigned rate);
    unsigned Rf() const { return FRates[0]; }
    unsigned Span() const { return FRates[1]; }
    unsigned SecSig() const { return FRates[2]; }

  private:
    static int Index(uint8_t messageClass, uint8_t id);
    unsigned FRates[3];
};

// What the jammer and the spoofer do to one epoch from their moments on:
// every C/N0 lowered (a satellite below the tracking floor is lost), the
// position moved and the epoch marked.
void ApplyInterference(const InterferenceSettings& settings, int64_t simMs, EpochState& epoch);

// The health frames due in this epoch.
std::vector<std::string> ComposeHealthFrames(const EpochState& epoch, const HealthRates& rates);
