// Which generation of u-blox receiver answered MON-VER, and so whether it is
// configured by keys (CFG-VALGET/VALSET) or by the older CFG messages.
#pragma once

#include "ubx/UbxRecords.h"

namespace ubxcfg {

constexpr int FirstKeyProtocol = 27;  // PROTVER from which receivers take keys
constexpr int GenerationUnknown = 0;

// 10 for an M10 (or later) firmware, 9 for an F9/M9 firmware or a protocol
// version of 27 or more, 8 for an older protocol version, 0 when MON-VER says
// neither.
int ReceiverGeneration(const UbxVersionRecord& version);
bool ConfiguredByKeys(const UbxVersionRecord& version);
// The PROTVER extension as a number (18.00 gives 18); -1 without one.
int ProtocolVersion(const UbxVersionRecord& version);

}  // namespace ubxcfg
