#include "nmea/Formatting.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "nmea/FixedFormat.h"
#include "nmea/Utils.h"

namespace {

constexpr float E4Inverse = 0.0001f;
constexpr float E5Inverse = 0.00001f;
constexpr double MetresPerSecondPerKnot = 0.51443467892078838;
constexpr double KmhPerMetrePerSecond = 3.6;
constexpr double MetresPerSecondUnitLimit = 0.3;
// The fewest decimals shown; a receiver that sends more gets its own.
constexpr int AltitudeMinDecimals = 1;
constexpr int CourseMinDecimals = 1;
constexpr int KmhMinDecimals = 1;
constexpr int MsMinDecimals = 3;
constexpr int SpeedMaxDecimals = 6;
constexpr float ZoneHalfWidth = 7.5f;
constexpr float ZoneWidthInverse = 1.0f / 15.0f;
constexpr int HoursPerDay = 24;
constexpr int Noon = 12;
// Shown in place of a position, altitude included, while the receiver has none.
constexpr const char* NoPositionText = "--";
constexpr const char* ValidText = "Valid";
constexpr const char* InvalidText = "InValid";
constexpr const char* DatePrefix = "DATE: ";
constexpr uint64_t GsaListMark = uint64_t{1} << 63;

// Texts are rebuilt in place: clear() keeps the capacity, so nothing allocates.
std::string& Reset(std::string& text) {
    text.clear();
    return text;
}

void SetFixed(std::string& text, float value, int decimals) {
    AppendFixed(Reset(text), value, decimals);
}

uint64_t FloatKey(float value, int decimals) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return uint64_t{bits} | uint64_t(decimals) << 32;
}

// Formats 'which' text by format() unless its memo says it was last
// formatted from the same key.
template <class Format>
void Memoized(DataDisplay& display, std::string& text, DataDisplay::Memoized which, uint64_t key0,
              uint64_t key1, Format&& format) {
    TextMemo& memo = display.Memos[which];
    if (memo.Valid && memo.Key[0] == key0 && memo.Key[1] == key1) {
        if (text != memo.Text) text = memo.Text;
        return;
    }
    format();
    memo.Valid = true;
    memo.Key[0] = key0;
    memo.Key[1] = key1;
    memo.Text = text;
}

void SetFixed(DataDisplay& display, std::string& text, DataDisplay::Memoized which, float value,
              int decimals) {
    Memoized(display, text, which, FloatKey(value, decimals), 0,
             [&] { SetFixed(text, value, decimals); });
}

void SetCount(DataDisplay& display, int count) {
    Memoized(display, display.SatsUsedText, DataDisplay::SatsUsed, static_cast<uint64_t>(count), 0,
             [&] { AppendInt(Reset(display.SatsUsedText), count); });
}

// A speed shows as many decimals as the receiver's knots, and at least 'least'.
int SpeedDecimals(ExactDecimal knots, int least) {
    const int decimals = knots.Decimals > least ? knots.Decimals : least;
    return decimals < SpeedMaxDecimals ? decimals : SpeedMaxDecimals;
}

// Texts are built in a local array and stored at once. A list of numbers is
// built in pieces of this size.
constexpr int TextPiece = 256;
// The most one number of a list adds: a system letter, the digits and a space.
constexpr int ListEntryMaxChars = FixedFormatMaxChars + 2;

void Store(std::string& text, const char* chars, const char* end) {
    text.assign(chars, static_cast<size_t>(end - chars));
}

// "N 20.6287983": the hemisphere letter and the magnitude with the
// receiver's own precision.
void SetHemisphere(std::string& text, ExactDegrees value, char positive, char negative) {
    char chars[ExactTextMaxChars + 2];
    chars[0] = IsNegative(value) ? negative : positive;
    chars[1] = ' ';
    Store(text, chars, WriteDegreesMagnitude(chars + 2, value));
}

// The receiver's digits, with at least minDecimals decimals.
void SetExact(DataDisplay& display, std::string& text, DataDisplay::Memoized which,
              ExactDecimal value, int minDecimals) {
    Memoized(display, text, which, static_cast<uint64_t>(value.Units),
             static_cast<uint64_t>(value.Decimals), [&] {
                 char chars[ExactTextMaxChars];
                 Store(text, chars, WriteExact(chars, value, minDecimals));
             });
}

// A double with 'decimals' decimals, as printf's "%.*f" writes it.
void SetFixedDouble(std::string& text, double value, int decimals) {
    char chars[TextPiece];
    const int n = std::snprintf(chars, sizeof chars, "%.*f", decimals, value);
    Store(text, chars, chars + (n < TextPiece ? n : TextPiece - 1));
}

// "hh:mm:ss" after the text's prefix.
void SetClock(std::string& text, const char* prefix, int hour, int minute, int second) {
    char chars[TextPiece];
    const size_t prefixLength = std::strlen(prefix);
    std::memcpy(chars, prefix, prefixLength);
    char* p = WriteInt(chars + prefixLength, hour, 2);
    *p++ = ':';
    p = WriteInt(p, minute, 2);
    *p++ = ':';
    Store(text, chars, WriteInt(p, second, 2));
}

// Builds a list text piece by piece: entries go to a local array, which is
// appended to the text whenever it could not take another entry.
class ListText {
  public:
    explicit ListText(std::string& text) : FText(Reset(text)) {}
    ~ListText() { Flush(); }
    ListText(const ListText&) = delete;
    ListText& operator=(const ListText&) = delete;

    // Appends the number (behind its letter unless 0) and a space.
    void Add(char letter, long long number) {
        if (FEnd - FChars > TextPiece - ListEntryMaxChars) Flush();
        if (letter) *FEnd++ = letter;
        FEnd = WriteInt(FEnd, number);
        *FEnd++ = ' ';
    }

  private:
    void Flush() {
        FText.append(FChars, static_cast<size_t>(FEnd - FChars));
        FEnd = FChars;
    }

    std::string& FText;
    char FChars[TextPiece];
    char* FEnd = FChars;
};

void ClearPosition(DataDisplay& display) {
    display.LatText = NoPositionText;
    display.LonText = NoPositionText;
    display.AltText = NoPositionText;
}

// GLL and RMC: the position as the status says, and the validity text.
void FormatStatusPosition(uint8_t status, ExactDegrees latitude, ExactDegrees longitude,
                          DataDisplay& display) {
    display.FixValidText = status == StatusValid ? ValidText : InvalidText;
    if (status == StatusValid)
        FormatCoordinates(latitude, longitude, display);
    else
        ClearPosition(display);
}

}  // namespace

void FormatCoordinates(ExactDegrees latitude, ExactDegrees longitude, DataDisplay& display) {
    Memoized(display, display.LatText, DataDisplay::Lat,
             static_cast<uint64_t>(latitude.MinuteUnits),
             static_cast<uint64_t>(latitude.MinuteDecimals),
             [&] { SetHemisphere(display.LatText, latitude, 'N', 'S'); });
    Memoized(display, display.LonText, DataDisplay::Lon,
             static_cast<uint64_t>(longitude.MinuteUnits),
             static_cast<uint64_t>(longitude.MinuteDecimals),
             [&] { SetHemisphere(display.LonText, longitude, 'E', 'W'); });
}

int TimeZoneFromLongitude(float longitudeDegrees) {
    const float a = std::fabs(longitudeDegrees);
    if (!(a > ZoneHalfWidth)) return 0;
    const float steps = std::ceil((a - ZoneHalfWidth) * ZoneWidthInverse);
    const int zone = steps < 1000.0f ? static_cast<int>(steps) : 1000;  // absurd input stays finite
    return longitudeDegrees < 0 ? -zone : zone;
}

namespace {

void FormatTimesOf(uint32_t time, int zone, DataDisplay& display) {
    if (time == NoTime) {
        Reset(display.LocalTimeText);
        Reset(display.GmtText);
        return;
    }
    int hour, minute;
    float seconds;
    UnpackTime(time, hour, minute, seconds);
    const int s = static_cast<int>(seconds);
    int local = hour + zone;
    if (zone < 0 && local <= 0) local += HoursPerDay;
    if (local >= HoursPerDay) local -= HoursPerDay;
    const bool morning = local < Noon;
    if (!morning && local > Noon) local -= Noon;

    SetClock(display.LocalTimeText, morning ? "(AM)" : "(PM)", local, minute, s);
    SetClock(display.GmtText, "GMT: ", hour, minute, s);
}

}  // namespace

// Both clocks come from the time and the zone: one memo stands for the pair.
void FormatTimes(uint32_t time, int32_t longitude, DataDisplay& display) {
    const int zone = TimeZoneFromLongitude(static_cast<float>(longitude) * E5Inverse);
    const uint64_t key = uint64_t{time} | uint64_t(static_cast<uint32_t>(zone)) << 32;
    TextMemo& gmt = display.Memos[DataDisplay::Gmt];
    if (gmt.Valid && gmt.Key[0] == key && display.GmtText == gmt.Text) {
        Memoized(display, display.LocalTimeText, DataDisplay::LocalTime, key, 0,
                 [&] { FormatTimesOf(time, zone, display); });
        return;
    }
    FormatTimesOf(time, zone, display);
    for (auto which : {DataDisplay::Gmt, DataDisplay::LocalTime}) {
        TextMemo& memo = display.Memos[which];
        memo.Valid = true;
        memo.Key[0] = key;
        memo.Key[1] = 0;
    }
    display.Memos[DataDisplay::Gmt].Text = display.GmtText;
    display.Memos[DataDisplay::LocalTime].Text = display.LocalTimeText;
}

void FormatSpeedCourse(ExactDecimal knots, ExactDecimal course, DataDisplay& display) {
    Memoized(display, display.SpeedText, DataDisplay::Speed, static_cast<uint64_t>(knots.Units),
             static_cast<uint64_t>(knots.Decimals), [&] {
                 const double v = ToDouble(knots) * MetresPerSecondPerKnot;
                 if (v >= MetresPerSecondUnitLimit) {
                     SetFixedDouble(display.SpeedText, v * KmhPerMetrePerSecond,
                                    SpeedDecimals(knots, KmhMinDecimals));
                     display.SpeedText += " km/hr    ";
                 } else {
                     SetFixedDouble(display.SpeedText, v, SpeedDecimals(knots, MsMinDecimals));
                     display.SpeedText += " m/sec";
                 }
             });
    SetExact(display, display.CourseText, DataDisplay::Course, course, CourseMinDecimals);
}

void FormatDate(uint32_t date, DataDisplay& display) {
    Memoized(display, display.DateText, DataDisplay::Date, date, 0, [&] {
        if (date == NoDate) {
            Reset(display.DateText);
            return;
        }
        int year, month, day;
        UnpackDate(date, year, month, day);
        char chars[TextPiece];
        const size_t prefixLength = std::strlen(DatePrefix);
        std::memcpy(chars, DatePrefix, prefixLength);
        char* p = WriteInt(chars + prefixLength, year, 2);
        *p++ = '/';
        p = WriteInt(p, month, 2);
        *p++ = '/';
        Store(display.DateText, chars, WriteInt(p, day, 2));
    });
}

// The list's key: the twelve slots and a mark no key of the list of all
// systems has.
void FormatGsaUsed(const NMEA_GSA_Object& gsa, DataDisplay& display) {
    const uint8_t* slots = gsa.Message.UsedPrn;
    uint64_t key0 = 0;
    uint32_t key1 = 0;
    static_assert(sizeof gsa.Message.UsedPrn == sizeof key0 + sizeof key1);
    std::memcpy(&key0, slots, sizeof key0);
    std::memcpy(&key1, slots + sizeof key0, sizeof key1);
    int count = 0;
    for (uint8_t prn : gsa.Message.UsedPrn) count += prn != 0;
    Memoized(display, display.UsedPrnText, DataDisplay::UsedPrn, key0, uint64_t{key1} | GsaListMark,
             [&] {
                 ListText list(display.UsedPrnText);
                 for (uint8_t prn : gsa.Message.UsedPrn)
                     if (prn != 0) list.Add(0, prn);
             });
    SetCount(display, count);
}

void FormatFixMode(uint8_t fixType, DataDisplay& display) {
    display.FixModeText = fixType == 3 ? "3D" : fixType == 2 ? "2D" : "NON Fix";
}

void FormatGsaFix(const NMEA_GSA_Object& gsa, DataDisplay& display) {
    const NMEA_MESSAGE_GSA& m = gsa.Message;
    FormatFixMode(m.FixType, display);
    SetFixed(display, display.PdopText, DataDisplay::Pdop, static_cast<float>(m.Pdop) * E4Inverse,
             2);
    SetFixed(display, display.VdopText, DataDisplay::Vdop, static_cast<float>(m.Vdop) * E4Inverse,
             2);
    SetFixed(display, display.HdopText, DataDisplay::Hdop, static_cast<float>(m.Hdop) * E4Inverse,
             2);
}

void FormatGsa(const NMEA_GSA_Object& gsa, DataDisplay& display) {
    FormatGsaUsed(gsa, display);
    FormatGsaFix(gsa, display);
}

// The list text is built only when the stamp moved since the note was last
// taken, and only while the texts of all systems are the ones shown.
void NoteUsedSky(const SatelliteSky& sky, UsedSkyNote& note) {
    note.Extended = sky.Extended();
    if (!note.Extended) return;  // the GPS texts are shown: nothing of the sky is
    note.Count = sky.UsedCount();
    if (note.ListKnown && note.Stamp == sky.UsedStamp()) return;
    note.Stamp = sky.UsedStamp();
    note.ListKnown = true;
    ListText list(note.List);
    sky.ForEachUsed(
        [&](const UsedSatellite& used) { list.Add(ConstellationLetter(used.System), used.Prn); });
}

void FormatUsedOfAllSystems(const UsedSkyNote& note, DataDisplay& display) {
    Memoized(display, display.UsedPrnText, DataDisplay::UsedPrn, note.Stamp, 0,
             [&] { display.UsedPrnText = note.List; });
    SetCount(display, note.Count);
}

void FormatRecord(const NMEA_GGA_Object& gga, DataDisplay& display) {
    const NMEA_MESSAGE_GGA& m = gga.Message;
    SetCount(display, m.Spc.SatsUsed);
    const bool fixed = m.Spc.FixQuality != 0;
    display.FixValidText = fixed ? ValidText : InvalidText;
    SetFixed(display, display.HdopText, DataDisplay::Hdop,
             static_cast<float>(m.Spc.Hdop) * E4Inverse, 2);
    SetExact(display, display.AltText, DataDisplay::Alt, gga.Exact.Altitude, AltitudeMinDecimals);
    FormatTimes(m.Time, m.Longitude, display);
    if (fixed)
        FormatCoordinates(gga.Exact.Latitude, gga.Exact.Longitude, display);
    else
        ClearPosition(display);
}

void FormatRecord(const NMEA_GLL_Object& gll, DataDisplay& display) {
    FormatTimes(gll.Time, gll.Longitude, display);
    FormatStatusPosition(gll.Status, gll.Exact.Latitude, gll.Exact.Longitude, display);
}

void FormatRecord(const NMEA_GSA_Object& gsa, DataDisplay& display) {
    FormatGsa(gsa, display);
}

void FormatRecord(const NMEA_RMC_Object& rmc, DataDisplay& display) {
    const NMEA_MESSAGE_RMC& m = rmc.Message;
    FormatSpeedCourse(rmc.Exact.Speed, rmc.Exact.Course, display);
    FormatDate(m.Date, display);
    FormatTimes(m.Time, m.Longitude, display);
    FormatStatusPosition(m.Status, rmc.Exact.Latitude, rmc.Exact.Longitude, display);
}

void FormatRecord(const NMEA_VTG_Object& vtg, DataDisplay& display) {
    FormatSpeedCourse(vtg.Exact.SpeedKnots, vtg.Exact.TrueCourse, display);
}
