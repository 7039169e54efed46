// The UBX frames of one measurement epoch, from the receiver's state:
// NAV-PVT, NAV-SAT, NAV-STATUS and NAV-DOP, and the MON-VER answer to a poll.
#pragma once

#include <string>
#include <vector>

#include "tools/sim/ReceiverModel.h"

std::vector<std::string> ComposeUbxFrames(const EpochState& epoch);

// MON-VER: software, hardware and extension strings of the simulated
// receiver of that generation (8, 9 or 10).
std::string ComposeMonVer(int generation = 8);
