// Display texts: turns a decoded record into the store's texts (coordinates,
// GMT and local time, date, speed, course, DOPs, fix mode). Position,
// altitude, speed and course come from the record's exact values, with the
// receiver's own precision; the DOPs come from the scaled integers in single
// precision, and their last digits follow its rounding.
#pragma once

#include <cstdint>
#include <string>

#include "nmea/NmeaManager.h"

void FormatRecord(const NMEA_GGA_Object& gga, DataDisplay& display);
void FormatRecord(const NMEA_GLL_Object& gll, DataDisplay& display);
void FormatRecord(const NMEA_GSA_Object& gsa, DataDisplay& display);
void FormatRecord(const NMEA_RMC_Object& rmc, DataDisplay& display);
void FormatRecord(const NMEA_VTG_Object& vtg, DataDisplay& display);

// "N 20.6287983": the minutes' decimals plus two, rounded half away from zero.
void FormatCoordinates(ExactDegrees latitude, ExactDegrees longitude, DataDisplay& display);
void FormatTimes(uint32_t time, int32_t longitude, DataDisplay& display);
int TimeZoneFromLongitude(float longitudeDegrees);
// Speed in km/h from 0.3 m/s up, else in m/s (at least 1 and 3 decimals, or
// as many as the knots have); the course with the receiver's decimals.
void FormatSpeedCourse(ExactDecimal knots, ExactDecimal course, DataDisplay& display);
void FormatDate(uint32_t date, DataDisplay& display);
// A GSA's texts: the used list and count, and the fix mode and DOPs.
void FormatGsa(const NMEA_GSA_Object& gsa, DataDisplay& display);
void FormatGsaUsed(const NMEA_GSA_Object& gsa, DataDisplay& display);
// The fix mode text of a fix type (1 no fix, 2 2D, 3 3D).
void FormatFixMode(uint8_t fixType, DataDisplay& display);
void FormatGsaFix(const NMEA_GSA_Object& gsa, DataDisplay& display);
// The used satellites of every system of a multi-system receiver: the count,
// and the list with each number behind its system letter ("G5 R70 E3 "),
// in two steps: what the sky shows now, and later its texts.
void NoteUsedSky(const SatelliteSky& sky, UsedSkyNote& note);
void FormatUsedOfAllSystems(const UsedSkyNote& note, DataDisplay& display);
