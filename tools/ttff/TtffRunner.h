// lumarokub-ttff's work: opens the port or link, reads the receiver in the
// reader thread, runs the campaign and reports each run and the summary.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "tools/ttff/TtffOptions.h"

constexpr int TtffExitFailedRuns = 1;
constexpr int TtffExitCannotUse = 2;

// 'stop' ends the campaign early (as a cancel); the exit status.
int RunTtffCampaign(const TtffOptions& options, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop);

// What the campaign sends for a restart of `kind`: the receiver's protocol is
// not known here, so both the SiRF sentence (with its checksum and line end)
// and the u-blox CFG-RST frame (hexadecimal text, as the port sends frames).
std::vector<std::string> CampaignRestartLines(RestartKind kind);
