// Which protocol the connected receiver speaks, as far as the store has
// seen: u-blox once any UBX frame was decoded (its answer to the identity
// poll on connecting, or its own output), NMEA once it sent a run of sound
// sentences of its own and no UBX frame, unknown before either.
#pragma once

#include "nmea/NmeaManager.h"

enum class ReceiverProtocol { Unknown, Ubx, Nmea };

// The receiver's own sound sentences that, without any UBX frame, make it an
// NMEA receiver: more than a u-blox receiver sends before its identity answer.
constexpr uint64_t NmeaOnlySentences = 20;

ReceiverProtocol KnownProtocol(const NMEA_Manager& store);
