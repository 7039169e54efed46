#include "nmea/FieldRanges.h"
#include "nmea/FieldReader.h"
#include "nmea/SentenceHandlers.h"

namespace {

constexpr double E4 = 10000.0;
constexpr int DigitsE1 = 1;     // records of knots and degrees x 10
constexpr int DigitsE5 = 5;     // records of metres x 100000
constexpr int MaxUsedPrn = 49;  // higher PRNs (SBAS and others) are not listed as used
constexpr uint8_t FixTypeNone = 1;

// A coordinate's two members: the record's degrees x 100000 and the exact
// value the views read.
struct Coordinate {
    int32_t& E5;
    ExactDegrees& Exact;
};

// A decimal value's two members: the record's scaled integer and the exact
// value the views read.
template <class T>
struct Tenths {
    T& E1;
    ExactDecimal& Exact;

    void Store(ExactDecimal value) {
        E1 = Scaled<T>(value, DigitsE1);
        Exact = value;
    }
};

// Reads a dddmm.mmmm value into 'member' (left as it was when the field is
// empty); 'given' tells whether the field held a value.
bool ReadDegrees(FieldReader& r, Coordinate member, int32_t limitE5, bool& given) {
    ExactDecimal value;
    if (!r.Decimal(value)) return false;
    given = !r.LastEmpty();
    if (!given) return true;
    const ExactDegrees exact = DegreesOfField(value);
    const int32_t degrees = DegreesE5(exact);
    if (degrees < -limitE5 || degrees > limitE5) return r.Reject();
    member.E5 = degrees;
    member.Exact = exact;
    return true;
}

void Negate(Coordinate member) {
    member.E5 = -member.E5;
    member.Exact = Negated(member.Exact);
}

// Reads a coordinate and its hemisphere letter; 'negative' is the letter
// that makes the value negative ('S' or 'W').
bool ReadCoordinate(FieldReader& r, Coordinate member, int32_t limitE5, char negative,
                    bool& given) {
    if (!ReadDegrees(r, member, limitE5, given)) return false;
    FieldText hemisphere;
    if (!r.Text(hemisphere)) return false;
    if (given && hemisphere.First() == negative) Negate(member);
    return true;
}

// An hhmmss.sss time; an empty field stores NoTime.
bool ReadTime(FieldReader& r, uint32_t& member) {
    float value;
    if (!r.Float(value)) return false;
    if (r.LastEmpty()) {
        member = NoTime;
        return true;
    }
    if (!TimeFieldInRange(value)) return r.Reject();
    member = TimeFromField(value);
    return true;
}

// A ddmmyy date; an empty field stores NoDate.
bool ReadDate(FieldReader& r, uint32_t& member) {
    int32_t value;
    if (!r.Int(value)) return false;
    if (r.LastEmpty()) {
        member = NoDate;
        return true;
    }
    if (!DateFieldInRange(value)) return r.Reject();
    member = DateFromField(value);
    return true;
}

bool ReadDop(FieldReader& r, uint32_t& member) {
    float dop;
    if (!r.Float(dop)) return false;
    if (!DopInRange(dop)) return r.Reject();
    member = Scaled<uint32_t>(dop, E4);
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
bool ReadVtgPair(FieldReader& r, char unit, Tenths<uint16_t> ifUnit, Tenths<uint16_t> otherwise) {
    ExactDecimal value;
    FieldText letter;
    if (!r.Decimal(value) || !r.Text(letter)) return false;
    if (!letter.Empty()) (letter.First() == unit ? ifUnit : otherwise).Store(value);
    return true;
}

// GGA's latitude: unlike the other sentences, a hemisphere other than N or S
// fails the sentence, except that a receiver without a fix leaves both the
// value and the letter empty.
bool ReadGgaLatitude(FieldReader& r, Coordinate member, bool& given) {
    if (!ReadDegrees(r, member, MaxLatitudeE5, given)) return false;
    FieldText hemisphere;
    if (!r.Text(hemisphere)) return false;
    if (!given && hemisphere.Empty()) return true;
    if (hemisphere.First() != 'S' && hemisphere.First() != 'N') return false;
    // An empty value keeps the stored one, sign and all.
    if (given && hemisphere.First() == 'S') Negate(member);
    return true;
}

bool DecodeGga(FieldReader& r, NMEA_GGA_Object& gga) {
    NMEA_MESSAGE_GGA& m = gga.Message;
    bool latitudeGiven = false, longitudeGiven = false;
    if (!ReadTime(r, m.Time) ||
        !ReadGgaLatitude(r, {m.Latitude, gga.Exact.Latitude}, latitudeGiven) ||
        !ReadCoordinate(r, {m.Longitude, gga.Exact.Longitude}, MaxLongitudeE5, 'W', longitudeGiven))
        return false;

    int32_t quality, sats;
    if (!r.Int(quality)) return false;
    // A fix claimed without a position is nonsense; without a fix the
    // position fields are empty.
    if (quality != 0 && !(latitudeGiven && longitudeGiven)) return r.Reject();
    m.Spc.FixQuality = static_cast<uint8_t>(quality);
    if (!r.Int(sats)) return false;
    m.Spc.SatsUsed = static_cast<uint8_t>(sats);
    if (!ReadDop(r, m.Spc.Hdop)) return false;
    if (!r.Decimal(gga.Exact.Altitude)) return false;
    m.Spc.Altitude = Scaled<int64_t>(gga.Exact.Altitude, DigitsE5);
    if (!ReadUnitLetter(r, m.Spc.AltitudeUnit)) return false;
    if (!r.Decimal(gga.Exact.GeoidSeparation)) return false;
    m.Spc.GeoidSeparation = Scaled<int64_t>(gga.Exact.GeoidSeparation, DigitsE5);
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

// GLL and RMC: a valid status needs a position.
bool StatusHasPosition(FieldReader& r, uint8_t status, bool latitudeGiven, bool longitudeGiven) {
    if (status == StatusValid && !(latitudeGiven && longitudeGiven)) return r.Reject();
    return true;
}

bool DecodeGll(FieldReader& r, NMEA_GLL_Object& gll) {
    bool latitudeGiven = false, longitudeGiven = false;
    return ReadCoordinate(r, {gll.Latitude, gll.Exact.Latitude}, MaxLatitudeE5, 'S',
                          latitudeGiven) &&
           ReadCoordinate(r, {gll.Longitude, gll.Exact.Longitude}, MaxLongitudeE5, 'W',
                          longitudeGiven) &&
           ReadTime(r, gll.Time) && ReadStatus(r, gll.Status) &&
           StatusHasPosition(r, gll.Status, latitudeGiven, longitudeGiven) && r.Hex(gll.Checksum);
}

bool DecodeGsa(FieldReader& r, NMEA_GSA_Object& gsa, UsedSlots slots) {
    NMEA_MESSAGE_GSA& m = gsa.Message;
    FieldText text;
    if (!r.Text(text)) return false;  // the address field
    if (!r.Text(text)) return false;
    if (text.First() != 'V') m.Mode = text.First();
    int32_t value;
    if (!r.Int(value)) return false;
    m.FixType = static_cast<uint8_t>(value);
    if (slots == UsedSlots::KeepUnlessNoFix)
        slots = m.FixType == FixTypeNone ? UsedSlots::GpsOnly : UsedSlots::Keep;
    const int maxPrn = slots == UsedSlots::GpsOnly ? MaxGpsPrn : MaxUsedPrn;
    for (uint8_t& slot : m.UsedPrn) {
        if (!r.Int(value)) return false;
        if (slots == UsedSlots::Keep) continue;
        slot = value >= 1 && value <= maxPrn ? static_cast<uint8_t>(value) : 0;
    }
    for (uint32_t* member : {&m.Pdop, &m.Hdop, &m.Vdop})
        if (!ReadDop(r, *member)) return false;
    return r.Hex(gsa.Checksum);
}

bool DecodeRmc(FieldReader& r, NMEA_RMC_Object& rmc) {
    NMEA_MESSAGE_RMC& m = rmc.Message;
    bool latitudeGiven = false, longitudeGiven = false;
    if (!ReadTime(r, m.Time) || !ReadStatus(r, m.Status) ||
        !ReadCoordinate(r, {m.Latitude, rmc.Exact.Latitude}, MaxLatitudeE5, 'S', latitudeGiven) ||
        !ReadCoordinate(r, {m.Longitude, rmc.Exact.Longitude}, MaxLongitudeE5, 'W',
                        longitudeGiven) ||
        !StatusHasPosition(r, m.Status, latitudeGiven, longitudeGiven))
        return false;
    ExactDecimal value;
    if (!r.Decimal(value)) return false;
    Tenths<uint16_t>{m.Speed, rmc.Exact.Speed}.Store(value);
    if (!r.Decimal(value)) return false;
    Tenths<uint16_t>{m.Course, rmc.Exact.Course}.Store(value);
    if (!ReadDate(r, m.Date)) return false;
    if (!r.Decimal(value)) return false;
    m.MagVariation = Scaled<int16_t>(value, DigitsE1);
    FieldText direction;
    if (!r.Text(direction)) return false;
    if (!direction.Empty()) m.MagVariationDir = direction.First();
    return r.Hex(rmc.Checksum);
}

bool DecodeVtg(FieldReader& r, NMEA_VTG_Object& vtg) {
    const Tenths<uint16_t> trueCourse{vtg.TrueCourse, vtg.Exact.TrueCourse};
    const Tenths<uint16_t> magCourse{vtg.MagCourse, vtg.Exact.MagCourse};
    const Tenths<uint16_t> knots{vtg.SpeedKnots, vtg.Exact.SpeedKnots};
    const Tenths<uint16_t> kmh{vtg.SpeedKmh, vtg.Exact.SpeedKmh};
    return ReadVtgPair(r, 'T', trueCourse, magCourse) &&
           ReadVtgPair(r, 'T', trueCourse, magCourse) && ReadVtgPair(r, 'N', knots, kmh) &&
           ReadVtgPair(r, 'N', knots, kmh) && r.Hex(vtg.Checksum);
}

}  // namespace

bool ParseGGA(const FieldList& fields, NMEA_GGA_Object& gga, bool& refused) {
    return DecodeGuarded(fields, gga, DecodeGga, refused);
}

bool ParseGLL(const FieldList& fields, NMEA_GLL_Object& gll, bool& refused) {
    return DecodeGuarded(fields, gll, DecodeGll, refused);
}

bool ParseGSA(const FieldList& fields, NMEA_GSA_Object& gsa, UsedSlots slots, bool& refused) {
    return DecodeGuarded(
        fields, gsa,
        [slots](FieldReader& r, NMEA_GSA_Object& record) { return DecodeGsa(r, record, slots); },
        refused);
}

bool ParseRMC(const FieldList& fields, NMEA_RMC_Object& rmc, bool& refused) {
    return DecodeGuarded(fields, rmc, DecodeRmc, refused);
}

bool ParseVTG(const FieldList& fields, NMEA_VTG_Object& vtg, bool& refused) {
    return DecodeGuarded(fields, vtg, DecodeVtg, refused);
}

// ZDA: hhmmss.ss, day, month; only the ranges are read.
bool ZdaInRange(const FieldList& fields) {
    FieldReader r(fields);
    FieldText address;
    uint32_t time;
    int32_t day, month;
    if (!r.Text(address) || !ReadTime(r, time) || !r.Int(day)) return !r.OutOfRange();
    const bool dayGiven = !r.LastEmpty();
    if (!r.Int(month)) return true;
    const bool monthGiven = !r.LastEmpty();
    return (!dayGiven || (day >= MinDay && day <= MaxDay)) &&
           (!monthGiven || (month >= MinMonth && month <= MaxMonth));
}
