// The names of the NMEA 4.10 signal ids that GSV sentences carry as their
// last field (1 = GPS L1 C/A, 8 = GPS L5-Q, 7 = Galileo L1-B/C, ...).
#pragma once

#include <cstdint>
#include <string>

#include "nmea/Constellation.h"

// The signal's name; "" when no id was given (0), "signal N" for an id the
// table does not know.
std::string SignalName(Constellation system, int32_t signalId);
