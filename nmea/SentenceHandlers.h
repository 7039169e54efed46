// Sentence handlers: each decodes the current sentence field by field into its
// record, overwriting members in place. A member is written only after its
// decoder succeeded; a failure leaves the members decoded so far stored,
// except that a sentence holding a field outside its range (FieldRanges.h)
// leaves the record exactly as it was.
//
// Each handler reads the sentence's FieldList; the forms taking the text
// split it first. The forms with 'refused' tell a sentence refused for a
// field out of range (the record is then as it was) from other failures.
#pragma once

#include <string_view>

#include "nmea/FieldList.h"
#include "nmea/GPSUtils.h"

bool ParseGGA(const FieldList& fields, NMEA_GGA_Object& gga, bool& refused);
bool ParseGLL(const FieldList& fields, NMEA_GLL_Object& gll, bool& refused);
// Which satellites a GSA writes into the record's used slots: PRNs 1 to 49
// (a GPS receiver's GSA, SBAS included), GPS PRNs 1 to 32 only (the GPS
// part of a multi-system receiver's report), none (the slots are kept: the
// GSA speaks for another system), or none and the slots cleared when the
// GSA reports no fix (a combined GSA that names no system).
enum class UsedSlots { GpsAndSbas, GpsOnly, Keep, KeepUnlessNoFix };
constexpr int MaxGpsPrn = 32;

bool ParseGSA(const FieldList& fields, NMEA_GSA_Object& gsa, UsedSlots slots, bool& refused);
bool ParseRMC(const FieldList& fields, NMEA_RMC_Object& rmc, bool& refused);
bool ParseVTG(const FieldList& fields, NMEA_VTG_Object& vtg, bool& refused);
// True exactly when this page completed a set of satellites in view.
bool ParseGSV(const FieldList& fields, NMEA_GSV_Object& gsv, bool& refused);
// False when the time, day or month of a ZDA is out of range.
bool ZdaInRange(const FieldList& fields);

inline bool ParseGGA(const FieldList& fields, NMEA_GGA_Object& gga) {
    bool refused;
    return ParseGGA(fields, gga, refused);
}
inline bool ParseGLL(const FieldList& fields, NMEA_GLL_Object& gll) {
    bool refused;
    return ParseGLL(fields, gll, refused);
}
inline bool ParseGSA(const FieldList& fields, NMEA_GSA_Object& gsa,
                     UsedSlots slots = UsedSlots::GpsAndSbas) {
    bool refused;
    return ParseGSA(fields, gsa, slots, refused);
}
inline bool ParseRMC(const FieldList& fields, NMEA_RMC_Object& rmc) {
    bool refused;
    return ParseRMC(fields, rmc, refused);
}
inline bool ParseVTG(const FieldList& fields, NMEA_VTG_Object& vtg) {
    bool refused;
    return ParseVTG(fields, vtg, refused);
}
inline bool ParseGSV(const FieldList& fields, NMEA_GSV_Object& gsv) {
    bool refused;
    return ParseGSV(fields, gsv, refused);
}

inline bool ParseGGA(std::string_view sentence, NMEA_GGA_Object& gga) {
    return ParseGGA(FieldList(sentence), gga);
}
inline bool ParseGLL(std::string_view sentence, NMEA_GLL_Object& gll) {
    return ParseGLL(FieldList(sentence), gll);
}
inline bool ParseGSA(std::string_view sentence, NMEA_GSA_Object& gsa,
                     UsedSlots slots = UsedSlots::GpsAndSbas) {
    return ParseGSA(FieldList(sentence), gsa, slots);
}
inline bool ParseRMC(std::string_view sentence, NMEA_RMC_Object& rmc) {
    return ParseRMC(FieldList(sentence), rmc);
}
inline bool ParseVTG(std::string_view sentence, NMEA_VTG_Object& vtg) {
    return ParseVTG(FieldList(sentence), vtg);
}
inline bool ParseGSV(std::string_view sentence, NMEA_GSV_Object& gsv) {
    return ParseGSV(FieldList(sentence), gsv);
}
