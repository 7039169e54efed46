// lumarokub-ttff's work: opens the port or link, reads the receiver in the
// reader thread, runs the campaign and reports each run and the summary.
#pragma once

#include <atomic>
#include <ostream>

#include "tools/ttff/TtffOptions.h"

constexpr int TtffExitFailedRuns = 1;
constexpr int TtffExitCannotUse = 2;

// 'stop' ends the campaign early (as a cancel); the exit status.
int RunTtffCampaign(const TtffOptions& options, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop);

// The restart text of a kind: the SiRF sentence, or the u-blox CFG-RST frame
// (hexadecimal text, as the port sends frames).
std::string SirfRestartText(RestartKind kind);
std::string UbxRestartText(RestartKind kind);
