// The value-taking writers of the receiver model: what a position, fix or
// satellite report tells, written into the store's records, the satellite
// table, the position texts, the fix mode and the RTK state. The NMEA
// handlers call them with the values they read from a sentence's fields,
// the UBX intake with the values of NAV-PVT and NAV-SAT, so that both
// protocols write the one model the same way.
//
// Each writer takes a report its caller has found sound enough to take (not
// refused for a field out of range); 'sound' is false for one that failed
// part way, whose decoded part the record keeps. True when the views are to
// be refreshed.
#pragma once

#include <string_view>

#include "nmea/NmeaManager.h"
#include "nmea/SentenceHandlers.h"

// The position as the receiver's digits give it, kept as texts (PositionText.h).
struct PositionFields {
    std::string_view Time;       // hhmmss.sss
    std::string_view Latitude;   // ddmm.mmmm, empty without a fix
    std::string_view North;      // "N" or "S"
    std::string_view Longitude;  // dddmm.mmmm
    std::string_view East;       // "E" or "W"
};

// What a GGA tells beside its record: the altitude as written (empty: none,
// a 2D fix), and the age and station of the differential data.
struct GgaFields {
    PositionFields Position;
    std::string_view Altitude;
    std::string_view Age;
    std::string_view Station;
};

// The step of a report that carries the UTC time: a new time begins a
// receiver cycle (SatelliteSky::ObserveTime), whose end is told to the
// store's epoch sink.
void ObserveReportTime(NMEA_Manager& store, std::string_view time);

// GGA: a fix with an altitude is a 3D fix, without one a 2D one.
bool WriteGga(NMEA_Manager& store, Talker talker, const NMEA_GGA_Object& next, bool sound,
              const GgaFields& fields);
// RMC: a fix (2D) unless its status is V or its mode indicator N ('mode'
// empty: none given).
bool WriteRmc(NMEA_Manager& store, Talker talker, const NMEA_RMC_Object& next, bool sound,
              const PositionFields& fields, std::string_view mode);

// Which used slots a GSA of 'talker' speaking for 'system' writes.
UsedSlots GsaSlotsOf(Talker talker, Constellation system);
// The GSA record a GSA of 'talker' is decoded over: the record as it is,
// its GPS slots cleared for the first combined (GN) GSA of a cycle.
NMEA_GSA_Object GsaBase(const NMEA_Manager& store, Talker talker);
// A GSA decoded over 'base' into 'next' with the slots of GsaSlotsOf; its
// used satellites are already in the satellite table (ObserveUsed).
bool WriteGsa(NMEA_Manager& store, Talker talker, Constellation system, const NMEA_GSA_Object& base,
              const NMEA_GSA_Object& next, bool sound);

// The GPS satellite table of a whole set of satellites at once, paged as
// GSV pages of four; a set of more than GsvMaxPages pages leaves the table
// as it is. True when the table took the set.
bool WriteGpsSatellites(NMEA_GSV_Object& gsv, const GsvSatellite* satellites, int count);
