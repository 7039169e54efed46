// Writes what NAV-PVT and NAV-SAT (or NAV-SVINFO) tell into the receiver
// model through the writers the NMEA handlers use (nmea/ModelWriters.h), so
// that a receiver sending only UBX is shown exactly as an NMEA one: NAV-PVT
// as the combined (GN) talker's GGA and RMC would tell it, NAV-SAT as each
// system's satellites in view and one GSA of each system (with the DOPs of
// NAV-DOP). Nothing is formatted as a sentence and nothing is counted: only
// what came over the link is.
//
// The numbers keep the precision an NMEA receiver gives them (minutes to
// five decimals, the altitude to a decimetre, the speed in knots to three
// decimals), as the store keeps positions as exact digits.
//
// When a receiver sends both, its NMEA sentences win, kind by kind, decided
// as each frame arrives: NAV-PVT writes the position only while no sound GGA
// or RMC of the receiver's own came since the NAV-PVT before, NAV-SAT or
// NAV-SVINFO the satellites only while no sound GSV of its own came since
// the satellite frame before.
#pragma once

#include "nmea/NmeaManager.h"

// Each true when the views are to be refreshed.
bool WritePvtToModel(NMEA_Manager& store);
bool WriteSatellitesToModel(NMEA_Manager& store);
