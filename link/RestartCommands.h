// What restarts a receiver, by kind and by the receiver's protocol: the SiRF
// $PSRF104 text (reset configuration 1 hot, 2 warm, 4 cold, 8 factory) and
// the u-blox CFG-RST frame (none for a factory reset, which CFG-RST does not
// know). The restart panel and the command-line campaign both send these.
#pragma once

#include <string>
#include <vector>

#include "eval/TtffCampaign.h"
#include "nmea/ReceiverProtocol.h"

// The $PSRF104 text of `kind`, ready for the command sender's checksum.
std::string SirfRestartText(RestartKind kind);
// The CFG-RST frame of `kind` as hexadecimal text; null for a factory reset.
const char* UbxRestartFrame(RestartKind kind);
// What goes out to a receiver of `protocol`: its own protocol's restart once
// that is known, both while it is not (each kind ignores the other's).
std::vector<std::string> RestartCommandLines(RestartKind kind, ReceiverProtocol protocol);
