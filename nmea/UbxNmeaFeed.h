// Feeds the NMEA records, the satellite table and the display texts from
// UBX, for a receiver that sends only UBX: NAV-PVT is told as GGA and RMC
// sentences, NAV-SAT or NAV-SVINFO as GSV pages of each system and one GSA
// of each system (with the DOPs of NAV-DOP), and these pass through the same
// dispatch as the receiver's own sentences, so every view shows a UBX
// receiver exactly as it shows an NMEA one.
//
// When a receiver sends both, its NMEA sentences win: UBX feeds the views
// only while no sound NMEA sentence of the receiver's own came since the
// NAV-PVT before.
#pragma once

#include "nmea/NmeaManager.h"

// Each true when the views are to be refreshed.
bool FeedPvtAsNmea(NMEA_Manager& store);
bool FeedSatellitesAsNmea(NMEA_Manager& store);
