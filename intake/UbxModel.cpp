#include "intake/UbxModel.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "nmea/FieldRanges.h"
#include "nmea/FieldReader.h"
#include "nmea/ModelWriters.h"
#include "nmea/SentenceTypes.h"

namespace {

constexpr int SatellitesPerPage = 4;
constexpr int MaxPages = 9;
constexpr int MaxSatellitesInView = MaxPages * SatellitesPerPage;
constexpr int GsaSlots = UsedPrnSlots;
constexpr double KnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr int8_t UnknownElevation = -91;
constexpr uint8_t FixOkFlag = 0x01;
constexpr uint8_t DiffSolutionFlag = 0x02;
constexpr int CarrierShift = 6;
constexpr uint8_t NavClass = 0x01;
constexpr uint8_t NavPvtId = 0x07;
constexpr uint8_t NavDopId = 0x04;
constexpr uint8_t DateValidFlag = 0x01;
constexpr uint8_t FixTypeNone = 1;

// The decimals an NMEA receiver gives each number.
constexpr int MinuteDecimals = 5;
constexpr int AltitudeDecimals = 1;
constexpr int SpeedDecimals = 3;
constexpr int CourseDecimals = 2;
constexpr int TimeDecimals = 2;
constexpr int DigitsE1 = 1;
constexpr int DigitsE5 = 5;
constexpr double E4 = 10000.0;

// The systems of NAV-SAT as NMEA tells them: the talker of their
// satellites, the NMEA system id of their used satellites and the NMEA
// number of a satellite.
struct SystemOfGnss {
    uint8_t GnssId;
    Talker Speaker;
    int SystemId;
    int PrnOffset;
};
constexpr SystemOfGnss Systems[] = {
    {0, Talker::GP, 1, 0},    // GPS
    {1, Talker::GP, 1, -87},  // SBAS 120-151 as 33-64
    {6, Talker::GL, 2, 64},   // GLONASS 1-32 as 65-96
    {2, Talker::GA, 3, 0},    // Galileo
    {3, Talker::GB, 4, 0},    // BeiDou
    {5, Talker::GQ, 5, 0},    // QZSS
};

// A value rounded to 'decimals' places as the C library rounds a double
// for printing (to nearest, an exact tie to even), so that UBX gives the
// digits an NMEA receiver's firmware gives. The sign of each fma() is
// exact: it is the sign of value x 10^decimals - (k +- 1/2).
int64_t RoundedUnits(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    int64_t k = std::llround(value * scale);
    for (;;) {
        const double above = std::fma(value, scale, -(static_cast<double>(k) + 0.5));
        if (above > 0 || (above == 0 && (k & 1))) {
            ++k;
            continue;
        }
        const double below = std::fma(value, scale, -(static_cast<double>(k) - 0.5));
        if (below < 0 || (below == 0 && (k & 1))) {
            --k;
            continue;
        }
        return k;
    }
}

// A number's digits as the store keeps a position's texts.
struct Digits {
    char Text[PositionText::Capacity] = {};
    size_t Length = 0;
    std::string_view View() const { return {Text, Length}; }
};

// units / 10^decimals with at least wholeDigits digits before the point.
Digits FixedDigits(bool negative, uint64_t units, int decimals, int wholeDigits) {
    char reversed[PositionText::Capacity];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units != 0 && n < static_cast<int>(sizeof reversed));
    while (n < decimals + wholeDigits && n < static_cast<int>(sizeof reversed)) reversed[n++] = '0';
    Digits d;
    const size_t room = sizeof d.Text - 1;
    if (negative) d.Text[d.Length++] = '-';
    for (int i = n - 1; i >= 0 && d.Length < room; --i) {
        d.Text[d.Length++] = reversed[i];
        if (i == decimals && decimals > 0 && d.Length < room) d.Text[d.Length++] = '.';
    }
    return d;
}

// A decimal number as a record keeps it, and its digits.
struct Decimal {
    ExactDecimal Exact;
    Digits Text;
};

Decimal DecimalOf(double value, int decimals) {
    const int64_t units = RoundedUnits(value, decimals);
    const uint64_t magnitude = static_cast<uint64_t>(units < 0 ? -units : units);
    return {{units, static_cast<int8_t>(decimals)}, FixedDigits(value < 0, magnitude, decimals, 1)};
}

// A decimal number of two places read as the sentence handlers read a
// float field (Utils.cpp): the whole part plus the fraction.
float FloatOfHundredths(uint64_t hundredths) {
    double value = static_cast<double>(hundredths / 100);
    if (hundredths % 100 != 0) value += static_cast<double>(hundredths % 100) / 100.0;
    return static_cast<float>(value);
}

// A latitude or longitude of 1e-7 degree as ddmm.mmmmm or dddmm.mmmmm.
struct Coordinate {
    ExactDegrees Exact;
    int32_t E5 = 0;
    Digits Text;
    char Hemisphere[2] = {};
    bool InRange = false;
};

Coordinate CoordinateOf(int32_t value, int degreeDigits, char positive, char negative,
                        int32_t limitE5) {
    const double degrees = std::fabs(value / 1e7);
    const int whole = static_cast<int>(degrees);
    const double minutes = (degrees - whole) * 60.0;
    constexpr uint64_t MinutesPerDegreeField = 100;
    const uint64_t units = static_cast<uint64_t>(whole) * MinutesPerDegreeField * 100000 +
                           static_cast<uint64_t>(RoundedUnits(minutes, MinuteDecimals));
    Coordinate c;
    c.Text = FixedDigits(false, units, MinuteDecimals, degreeDigits + 2);
    c.Exact = DegreesOfField({static_cast<int64_t>(units), MinuteDecimals});
    c.E5 = DegreesE5(c.Exact);
    c.InRange = c.E5 >= -limitE5 && c.E5 <= limitE5;
    c.Hemisphere[0] = value < 0 ? negative : positive;
    if (value < 0) {
        c.Exact = Negated(c.Exact);
        c.E5 = -c.E5;
    }
    return c;
}

bool HasFix(const UbxPvtRecord& p) {
    return (p.Flags & FixOkFlag) && p.FixType >= 2 && p.FixType <= 4;
}

int FixQuality(const UbxPvtRecord& p) {
    if (!HasFix(p)) return 0;
    const int carrier = (p.Flags >> CarrierShift) & 0x03;
    if (carrier == 2) return 4;
    if (carrier == 1) return 5;
    return (p.Flags & DiffSolutionFlag) ? 2 : 1;
}

// The GSA fix type (1 none, 2 2D, 3 3D) of NAV-PVT, or of NAV-SOL from a
// receiver without NAV-PVT.
uint8_t GsaFixType(const NMEA_Manager& store) {
    const UbxState& ubx = store.Ubx;
    const bool pvt = ubx.CountOf(NavClass, NavPvtId) > 0;
    const uint8_t type = pvt ? ubx.Pvt.FixType : ubx.Sol.GpsFix;
    const bool ok = ((pvt ? ubx.Pvt.Flags : ubx.Sol.Flags) & FixOkFlag) != 0;
    if (!ok || type < 2 || type > 4) return FixTypeNone;
    return type == 2 ? 2 : 3;
}

// True while the receiver's own sound sentences of one kind ('own', as the
// tally counts them) have not moved since the frame of that kind before
// ('mark'), which then takes the count.
bool OwnKindSilent(uint64_t& mark, uint64_t own) {
    const bool silent = own == mark;
    mark = own;
    return silent;
}

// What NAV-PVT tells, in the form the position records take.
struct PvtReport {
    bool Fix = false;
    uint32_t Time = NoTime;
    bool TimeInRange = false;
    Digits TimeText;
    Coordinate Latitude, Longitude;
    Decimal Altitude, Separation, Speed, Course;
    uint32_t Date = NoDate;
    bool DateInRange = true;
};

PvtReport ReportOf(const UbxPvtRecord& p) {
    PvtReport r;
    r.Fix = HasFix(p);
    const int centis = std::clamp(static_cast<int>(std::lround(p.Nano / 1e7)), 0, 99);
    const uint64_t clock =
        (p.Hour * 10000ull + p.Minute * 100ull + p.Second) * 100 + static_cast<uint64_t>(centis);
    r.TimeText = FixedDigits(false, clock, TimeDecimals, 6);
    const float time = FloatOfHundredths(clock);
    r.TimeInRange = TimeFieldInRange(time);
    r.Time = TimeFromField(time);
    r.Latitude = CoordinateOf(p.Lat, 2, 'N', 'S', MaxLatitudeE5);
    r.Longitude = CoordinateOf(p.Lon, 3, 'E', 'W', MaxLongitudeE5);
    r.Altitude = DecimalOf(p.HMsl / 1e3, AltitudeDecimals);
    r.Separation = DecimalOf((static_cast<int64_t>(p.Height) - p.HMsl) / 1e3, AltitudeDecimals);
    r.Speed = DecimalOf(p.GSpeed / 1e3 * KnotsPerMetrePerSecond, SpeedDecimals);
    r.Course = DecimalOf(p.HeadMot / 1e5, CourseDecimals);
    if (p.Valid & DateValidFlag) {
        const int32_t ddmmyy = p.Day * 10000 + p.Month * 100 + p.Year % 100;
        r.DateInRange = DateFieldInRange(ddmmyy);
        r.Date = DateFromField(ddmmyy);
    }
    return r;
}

PositionFields PositionOf(const PvtReport& r) {
    if (!r.Fix) return {r.TimeText.View(), {}, {}, {}, {}};
    return {r.TimeText.View(), r.Latitude.Text.View(), r.Latitude.Hemisphere,
            r.Longitude.Text.View(), r.Longitude.Hemisphere};
}

bool WriteGgaOf(NMEA_Manager& store, const PvtReport& r, const UbxPvtRecord& p) {
    NMEA_GGA_Object next = store.Gga;
    NMEA_MESSAGE_GGA& m = next.Message;
    m.Time = r.Time;
    if (r.Fix) {
        m.Latitude = r.Latitude.E5;
        next.Exact.Latitude = r.Latitude.Exact;
        m.Longitude = r.Longitude.E5;
        next.Exact.Longitude = r.Longitude.Exact;
    }
    m.Spc.FixQuality = static_cast<uint8_t>(FixQuality(p));
    m.Spc.SatsUsed = p.NumSv;
    m.Spc.Hdop = Scaled<uint32_t>(FloatOfHundredths(store.Ubx.Dop.HDop), E4);
    next.Exact.Altitude = r.Fix ? r.Altitude.Exact : ExactDecimal{};
    next.Exact.GeoidSeparation = r.Fix ? r.Separation.Exact : ExactDecimal{};
    m.Spc.Altitude = Scaled<int64_t>(next.Exact.Altitude, DigitsE5);
    m.Spc.GeoidSeparation = Scaled<int64_t>(next.Exact.GeoidSeparation, DigitsE5);
    m.Spc.AltitudeUnit = m.Spc.GeoidUnit = 'M';
    m.Spc.DgpsAge = 0;
    m.Spc.DgpsStation = 0;
    next.Checksum = 0;
    const GgaFields fields{
        PositionOf(r), r.Fix ? r.Altitude.Text.View() : std::string_view(), {}, {}};
    return WriteGga(store, Talker::GN, next, true, fields);
}

bool WriteRmcOf(NMEA_Manager& store, const PvtReport& r) {
    if (!r.DateInRange) return false;
    NMEA_RMC_Object next = store.Rmc;
    NMEA_MESSAGE_RMC& m = next.Message;
    m.Time = r.Time;
    m.Status = r.Fix ? StatusValid : 0;
    if (r.Fix) {
        m.Latitude = r.Latitude.E5;
        next.Exact.Latitude = r.Latitude.Exact;
        m.Longitude = r.Longitude.E5;
        next.Exact.Longitude = r.Longitude.Exact;
    }
    next.Exact.Speed = r.Fix ? r.Speed.Exact : ExactDecimal{};
    next.Exact.Course = r.Fix ? r.Course.Exact : ExactDecimal{};
    m.Speed = Scaled<uint16_t>(next.Exact.Speed, DigitsE1);
    m.Course = Scaled<uint16_t>(next.Exact.Course, DigitsE1);
    m.Date = r.Date;
    m.MagVariation = 0;
    next.Checksum = 0;
    return WriteRmc(store, Talker::GN, next, true, PositionOf(r), r.Fix ? "A" : "N");
}

// One system's satellites: those in view (at most the nine GSV pages of
// four an NMEA receiver gives) and the first twelve used (one GSA's slots).
struct SystemSky {
    SkySatellite Sky[MaxSatellitesInView];
    int SkyCount = 0;
    GsvSatellite Gps[MaxSatellitesInView];
    int InView = 0;
    int32_t Used[GsaSlots];
    int UsedCount = 0;
    bool InRange = true;
};

void Add(SystemSky& out, Talker talker, const SystemOfGnss& system, const UbxSatellite& s) {
    const int32_t prn = s.SvId + system.PrnOffset;
    if (s.Used && out.UsedCount < GsaSlots) out.Used[out.UsedCount++] = prn;
    if (out.InView == MaxSatellitesInView) return;
    const bool placed = s.Elevation != UnknownElevation && s.Elevation >= 0;
    const int32_t elevation = placed ? s.Elevation : 0;
    const int32_t azimuth = placed ? s.Azimuth : 0;
    out.InRange =
        out.InRange && ElevationInRange(elevation) && AzimuthInRange(azimuth) && SnrInRange(s.Cno);
    out.Gps[out.InView++] = {static_cast<uint8_t>(prn), static_cast<int8_t>(elevation),
                             static_cast<int16_t>(azimuth), s.Cno};
    if (prn <= 0) return;  // no number: the entry is left out
    out.Sky[out.SkyCount++] = {static_cast<uint16_t>(prn),
                               static_cast<int8_t>(elevation),
                               static_cast<int16_t>(azimuth),
                               s.Cno,
                               placed,
                               SatelliteConstellation(TalkerConstellation(talker), prn),
                               talker};
}

// The satellites in view of one talker's systems.
void WriteInView(NMEA_Manager& store, Talker talker, const SystemSky& sky) {
    if (!sky.InRange) return;  // refused as a sentence holding the satellite would be
    const int pages = (sky.InView + SatellitesPerPage - 1) / SatellitesPerPage;
    store.Sky.ObserveSet(talker, 0, pages, sky.InView, sky.Sky, sky.SkyCount);
    if (talker == Talker::GP) WriteGpsSatellites(store.Gsv, sky.Gps, sky.InView);
}

// The used satellites and DOPs of one system, of NAV-DOP or, from a
// receiver that sends none, the PDOP of NAV-PVT.
void WriteUsed(NMEA_Manager& store, int systemId, const SystemSky& sky) {
    UbxDopRecord dop = store.Ubx.Dop;
    if (store.Ubx.CountOf(NavClass, NavDopId) == 0) dop.PDop = store.Ubx.Pvt.PDop;
    const Constellation system = SystemIdConstellation(systemId);
    const NMEA_GSA_Object base = GsaBase(store, Talker::GN);
    NMEA_GSA_Object next = base;
    NMEA_MESSAGE_GSA& m = next.Message;
    m.Mode = 'A';
    m.FixType = GsaFixType(store);
    if (GsaSlotsOf(Talker::GN, system) == UsedSlots::GpsOnly)
        for (int i = 0; i < GsaSlots; ++i) {
            const int32_t prn = i < sky.UsedCount ? sky.Used[i] : 0;
            m.UsedPrn[i] = prn >= 1 && prn <= MaxGpsPrn ? static_cast<uint8_t>(prn) : 0;
        }
    m.Pdop = Scaled<uint32_t>(FloatOfHundredths(dop.PDop), E4);
    m.Hdop = Scaled<uint32_t>(FloatOfHundredths(dop.HDop), E4);
    m.Vdop = Scaled<uint32_t>(FloatOfHundredths(dop.VDop), E4);
    next.Checksum = 0;
    int32_t numbers[GsaSlots];
    int count = 0;
    for (int i = 0; i < sky.UsedCount; ++i)
        if (sky.Used[i] > 0) numbers[count++] = sky.Used[i];
    store.Sky.ObserveUsed(Talker::GN, system, m.FixType == FixTypeNone, numbers, count);
    WriteGsa(store, Talker::GN, system, base, next, true);
}

}  // namespace

bool WritePvtToModel(NMEA_Manager& store) {
    UbxState& ubx = store.Ubx;
    const uint64_t own =
        store.Tally.SoundOfType(SentenceTypeGGA) + store.Tally.SoundOfType(SentenceTypeRMC);
    ubx.FeedsPosition = OwnKindSilent(ubx.OwnPositionAtPvt, own);
    if (!ubx.FeedsPosition) return false;
    const UbxPvtRecord& p = ubx.Pvt;
    const PvtReport r = ReportOf(p);
    // A time or position out of range is refused, as in a sentence.
    if (!r.TimeInRange || (r.Fix && !(r.Latitude.InRange && r.Longitude.InRange))) return false;
    ObserveReportTime(store, r.TimeText.View());
    const bool gga = WriteGgaOf(store, r, p);
    const bool rmc = WriteRmcOf(store, r);
    return gga || rmc;
}

bool WriteSatellitesToModel(NMEA_Manager& store) {
    UbxState& ubx = store.Ubx;
    ubx.FeedsSky = OwnKindSilent(ubx.OwnSkyAtSat, store.Tally.SoundOfType(SentenceTypeGSV));
    if (!ubx.FeedsSky) return false;
    const UbxSatRecord& sat = store.Ubx.Sat;
    bool refresh = false;
    for (const SystemOfGnss& system : Systems) {
        if (system.GnssId == 1) continue;  // SBAS goes with the GPS satellites
        SystemSky sky;
        for (const SystemOfGnss& member : Systems) {
            if (member.Speaker != system.Speaker) continue;
            for (int i = 0; i < sat.Count; ++i)
                if (sat.Satellites[i].GnssId == member.GnssId)
                    Add(sky, system.Speaker, member, sat.Satellites[i]);
        }
        if (sky.InView == 0) continue;
        WriteInView(store, system.Speaker, sky);
        WriteUsed(store, system.SystemId, sky);
        refresh = true;
    }
    return refresh;
}
