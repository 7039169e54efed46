#include "nmea/FieldReader.h"
#include "nmea/SentenceHandlers.h"

namespace {

constexpr double E1 = 10.0;
constexpr double E4 = 10000.0;
constexpr double E5 = 100000.0;
constexpr int MaxUsedPrn = 49;  // higher PRNs (SBAS and others) are not listed as used

// Reads a dddmm.mmmm value and its hemisphere letter; 'negative' is the
// letter that makes the value negative ('S' or 'W').
bool ReadCoordinate(FieldReader& r, int32_t& member, char negative) {
    float value;
    if (!r.Float(value)) return false;
    member = DegreesE5(value);
    FieldText hemisphere;
    if (!r.Text(hemisphere)) return false;
    if (hemisphere.First() == negative) member = -member;
    return true;
}

bool ReadTime(FieldReader& r, uint32_t& member) {
    float value;
    if (!r.Float(value)) return false;
    member = TimeFromField(value);
    return true;
}

// "A" sets 1, "V" sets 0, anything else leaves the status as it was.
bool ReadStatus(FieldReader& r, uint8_t& member) {
    FieldText status;
    if (!r.Text(status)) return false;
    if (status.First() == 'A') member = 1;
    if (status.First() == 'V') member = 0;
    return true;
}

bool ReadUnitLetter(FieldReader& r, char& member) {
    FieldText unit;
    if (!r.Text(unit)) return false;
    member = unit.Empty() ? 'M' : unit.First();
    return true;
}

// A VTG (value, unit) pair: a non-empty unit stores the value in 'ifUnit' when
// it is the letter 'unit', otherwise in 'otherwise'.
bool ReadVtgPair(FieldReader& r, char unit, uint16_t& ifUnit, uint16_t& otherwise) {
    float value;
    FieldText letter;
    if (!r.Float(value) || !r.Text(letter)) return false;
    if (!letter.Empty())
        (letter.First() == unit ? ifUnit : otherwise) = Scaled<uint16_t>(value, E1);
    return true;
}

}  // namespace

bool ParseGGA(std::string_view sentence, NMEA_GGA_Object& gga) {
    FieldReader r(sentence);
    _NMEA_MESSAGE_GGA& m = gga.Message;
    if (!ReadTime(r, m.Time)) return false;
    float latitude;
    if (!r.Float(latitude)) return false;
    m.Latitude = DegreesE5(latitude);
    FieldText hemisphere;
    if (!r.Text(hemisphere)) return false;
    if (hemisphere.First() == 'S')
        m.Latitude = -m.Latitude;
    else if (hemisphere.First() != 'N')
        return false;
    if (!ReadCoordinate(r, m.Longitude, 'W')) return false;

    int32_t quality, sats;
    if (!r.Int(quality)) return false;
    m.Spc.FixQuality = static_cast<uint8_t>(quality);
    if (!r.Int(sats)) return false;
    m.Spc.SatsUsed = static_cast<uint8_t>(sats);
    float hdop, altitude, separation;
    if (!r.Float(hdop)) return false;
    m.Spc.Hdop = Scaled<uint32_t>(hdop, E4);
    if (!r.Float(altitude)) return false;
    m.Spc.Altitude = Scaled<int64_t>(altitude, E5);
    if (!ReadUnitLetter(r, m.Spc.AltitudeUnit)) return false;
    if (!r.Float(separation)) return false;
    m.Spc.GeoidSeparation = Scaled<int64_t>(separation, E5);
    if (!ReadUnitLetter(r, m.Spc.GeoidUnit)) return false;

    // The age is a decimal number of seconds in most receivers' output: read
    // it whole so that the station number is read from its own field.
    float age;
    int32_t station;
    if (!r.Float(age)) return false;
    m.Spc.DgpsAge = static_cast<int32_t>(ScaledTrunc(age, 1.0));
    if (!r.Int(station)) return false;
    m.Spc.DgpsStation = station;
    return r.Hex(gga.Checksum);
}

bool ParseGLL(std::string_view sentence, NMEA_GLL_Object& gll) {
    FieldReader r(sentence);
    return ReadCoordinate(r, gll.Latitude, 'S') && ReadCoordinate(r, gll.Longitude, 'W') &&
           ReadTime(r, gll.Time) && ReadStatus(r, gll.Status) && r.Hex(gll.Checksum);
}

bool ParseGSA(std::string_view sentence, NMEA_GSA_Object& gsa) {
    FieldReader r(sentence);
    _NMEA_MESSAGE_GSA& m = gsa.Message;
    FieldText text;
    if (!r.Text(text)) return false;  // the address field
    if (!r.Text(text)) return false;
    if (text.First() != 'V') m.Mode = text.First();
    int32_t value;
    if (!r.Int(value)) return false;
    m.FixType = static_cast<uint8_t>(value);
    for (uint8_t& slot : m.UsedPrn) {
        if (!r.Int(value)) return false;
        const uint8_t prn = static_cast<uint8_t>(value);
        slot = prn >= 1 && prn <= MaxUsedPrn ? prn : 0;
    }
    float dop;
    for (uint32_t* member : {&m.Pdop, &m.Hdop, &m.Vdop}) {
        if (!r.Float(dop)) return false;
        *member = Scaled<uint32_t>(dop, E4);
    }
    return r.Hex(gsa.Checksum);
}

bool ParseRMC(std::string_view sentence, NMEA_RMC_Object& rmc) {
    FieldReader r(sentence);
    _NMEA_MESSAGE_RMC& m = rmc.Message;
    if (!ReadTime(r, m.Time) || !ReadStatus(r, m.Status) || !ReadCoordinate(r, m.Latitude, 'S') ||
        !ReadCoordinate(r, m.Longitude, 'W'))
        return false;
    float value;
    if (!r.Float(value)) return false;
    m.Speed = Scaled<uint16_t>(value, E1);
    if (!r.Float(value)) return false;
    m.Course = Scaled<uint16_t>(value, E1);
    int32_t date;
    if (!r.Int(date)) return false;
    m.Date = DateFromField(date);
    if (!r.Float(value)) return false;
    m.MagVariation = Scaled<int16_t>(value, E1);
    FieldText direction;
    if (!r.Text(direction)) return false;
    if (!direction.Empty()) m.MagVariationDir = direction.First();
    return r.Hex(rmc.Checksum);
}

bool ParseVTG(std::string_view sentence, NMEA_VTG_Object& vtg) {
    FieldReader r(sentence);
    return ReadVtgPair(r, 'T', vtg.TrueCourse, vtg.MagCourse) &&
           ReadVtgPair(r, 'T', vtg.TrueCourse, vtg.MagCourse) &&
           ReadVtgPair(r, 'N', vtg.SpeedKnots, vtg.SpeedKmh) &&
           ReadVtgPair(r, 'N', vtg.SpeedKnots, vtg.SpeedKmh) && r.Hex(vtg.Checksum);
}
