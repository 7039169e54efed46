// The NMEA sentences of one measurement epoch, from the receiver's state.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/sim/ReceiverModel.h"

// The sentence kinds a receiver emits, in the order of one epoch.
enum class SentenceKind : uint8_t { GGA, GLL, GSA, GSV, RMC, VTG, ZDA };
constexpr int SentenceKindCount = 7;
const char* SentenceKindName(SentenceKind kind);

// Talker "GP" throughout, or a multi-constellation receiver: "GN" for the
// position sentences, one GNGSA per constellation with its system id and a
// GSV set per constellation (GP, GL, GA, GB).
enum class TalkerMode : uint8_t { Gps, Multi };

// The bodies (text between '$' and '*') of the sentences of one kind.
std::vector<std::string> ComposeSentences(SentenceKind kind, const EpochState& epoch,
                                          TalkerMode mode);
