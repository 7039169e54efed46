// The receiver's own position from the store (its latest GGA, or NAV-PVT told
// as one) against the RTCM 3 reference station: the baseline a rover's
// corrections span.
#pragma once

#include "rtcm/Geodesy.h"
#include "rtcm/RtcmRecords.h"

class NMEA_Manager;

// The station's antenna reference point in metres.
Ecef StationEcef(const RtcmStation& station);
// The position of the latest GGA with a fix (latitude, longitude, height
// above the ellipsoid: altitude plus geoid separation); false before one.
bool ReceiverPosition(const NMEA_Manager& store, Geodetic& out);
// The distance from the receiver to the latest station; false while either
// is unknown.
bool StationBaseline(const NMEA_Manager& store, double& metres);
