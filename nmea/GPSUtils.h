// Sentence records: the latest decoded values of each sentence type, held as
// scaled integers (degrees x 100000, DOP x 10000, metres x 100000, knots and
// degrees x 10) with packed time and date.
#pragma once

#include <cstdint>

#include "nmea/ExactNumbers.h"

// Packed time: hour in bits 24-31, minute in bits 16-23, seconds x 1000 in bits 0-15.
// Packed date: two-digit year in bits 16-23, month in bits 8-15, day in bits 0-7.
// A receiver that does not know the time or date sends an empty field: the
// packed value is then NoTime or NoDate, which no real time or date packs to.
constexpr uint32_t NoTime = 0xFFFFFFFF;
constexpr uint32_t NoDate = 0xFFFFFFFF;

struct LOG_MESSAGE_GGA_SPC {
    uint8_t FixQuality = 1;
    uint8_t SatsUsed = 0;
    uint32_t Hdop = 0;     // x 10000; 32 bits so that a "no fix" DOP of 99.99 is kept
    int64_t Altitude = 0;  // metres x 100000; 64 bits so that high altitudes never wrap
    char AltitudeUnit = 'M';
    int64_t GeoidSeparation = 0;  // metres x 100000
    char GeoidUnit = 'M';
    int32_t DgpsAge = 0;      // seconds
    int32_t DgpsStation = 0;  // reference station number
};

struct NMEA_MESSAGE_GGA {
    uint32_t Time = 0;
    int32_t Latitude = 0;
    int32_t Longitude = 0;
    LOG_MESSAGE_GGA_SPC Spc;
};

// Beside each record, the values the views read, exactly as the receiver
// wrote them (the integer members are cut from these).
struct GgaExact {
    ExactDegrees Latitude;
    ExactDegrees Longitude;
    ExactDecimal Altitude;  // metres
    ExactDecimal GeoidSeparation;
};

struct NMEA_GGA_Object {
    NMEA_MESSAGE_GGA Message;
    uint8_t Checksum = 0;
    GgaExact Exact;
};

// The status of a GLL or RMC record: "A", valid.
constexpr uint8_t StatusValid = 1;

struct GllExact {
    ExactDegrees Latitude;
    ExactDegrees Longitude;
};

struct NMEA_GLL_Object {
    int32_t Latitude = 0;
    int32_t Longitude = 0;
    uint32_t Time = 0;
    uint8_t Status = 0;  // 1 valid ("A"), 0 not valid ("V")
    uint8_t Checksum = 0;
    GllExact Exact;
};

constexpr int UsedPrnSlots = 12;

struct NMEA_MESSAGE_GSA {
    char Mode = 'A';      // 0 when the field was empty
    uint8_t FixType = 1;  // 1 no fix, 2 2D, 3 3D
    uint8_t UsedPrn[UsedPrnSlots] = {};
    uint32_t Pdop = 0;  // x 10000, 32 bits wide as Hdop
    uint32_t Hdop = 0;
    uint32_t Vdop = 0;
};

struct NMEA_GSA_Object {
    NMEA_MESSAGE_GSA Message;
    uint8_t Checksum = 0;
};

constexpr int GsvSatellitesPerPage = 4;
constexpr int GsvMaxPages = 4;
constexpr int GsvMaxSatellites = GsvSatellitesPerPage * GsvMaxPages;

struct GsvSatellite {
    uint8_t Prn = 0;  // 0 = empty entry
    int8_t Elevation = 0;
    int16_t Azimuth = 0;
    uint8_t Snr = 0;  // dB-Hz, 0 = not tracked
};

struct GsvPage {
    uint8_t Complete = 0;
    uint8_t Total = 0;
    uint8_t Number = 0;
    uint8_t InView = 0;
    uint8_t Checksum = 0;
};

struct NMEA_GSV_Object {
    uint8_t InView = 0;
    GsvSatellite Satellites[GsvMaxSatellites] = {};
    GsvPage Pages[GsvMaxPages] = {};
};

void ClearSatellites(NMEA_GSV_Object& gsv);

struct NMEA_MESSAGE_RMC {
    uint32_t Time = 0;
    uint8_t Status = 0;  // 1 valid ("A"), 0 warning ("V")
    int32_t Latitude = 0;
    int32_t Longitude = 0;
    uint16_t Speed = 0;   // knots x 10
    uint16_t Course = 0;  // degrees true x 10
    uint32_t Date = 0;
    int16_t MagVariation = 0;  // degrees x 10
    char MagVariationDir = 0;  // 'E', 'W' or 0 (none yet)
};

struct RmcExact {
    ExactDegrees Latitude;
    ExactDegrees Longitude;
    ExactDecimal Speed;   // knots
    ExactDecimal Course;  // degrees true
};

struct NMEA_RMC_Object {
    NMEA_MESSAGE_RMC Message;
    uint8_t Checksum = 0;
    RmcExact Exact;
};

struct VtgExact {
    ExactDecimal TrueCourse;
    ExactDecimal MagCourse;
    ExactDecimal SpeedKnots;
    ExactDecimal SpeedKmh;
};

struct NMEA_VTG_Object {
    uint16_t TrueCourse = 0;  // degrees x 10
    uint16_t MagCourse = 0;
    uint16_t SpeedKnots = 0;  // x 10
    uint16_t SpeedKmh = 0;    // x 10
    uint8_t Checksum = 0;
    VtgExact Exact;
};
