// Feeds the NMEA records, the satellite table and the display texts from
// UBX, for a receiver that sends only UBX: NAV-PVT is told as GGA and RMC
// sentences, NAV-SAT or NAV-SVINFO as GSV pages of each system and one GSA
// of each system (with the DOPs of NAV-DOP), and these pass through the same
// dispatch as the receiver's own sentences, so every view shows a UBX
// receiver exactly as it shows an NMEA one.
//
// When a receiver sends both, its NMEA sentences win, kind by kind, decided
// as each frame arrives: NAV-PVT feeds the position only while no sound GGA
// or RMC of the receiver's own came since the NAV-PVT before, NAV-SAT or
// NAV-SVINFO the satellites only while no sound GSV of its own came since
// the satellite frame before. The fed sentences go straight to their
// handlers: they are neither checked nor counted anywhere, as only what
// came over the link is.
#pragma once

#include "nmea/NmeaManager.h"

// Each true when the views are to be refreshed.
bool FeedPvtAsNmea(NMEA_Manager& store);
bool FeedSatellitesAsNmea(NMEA_Manager& store);
