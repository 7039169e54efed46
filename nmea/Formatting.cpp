#include "nmea/Formatting.h"

#include <cmath>

#include "nmea/FixedFormat.h"
#include "nmea/Utils.h"

namespace {

constexpr float E1Inverse = 0.1f;
constexpr float E4Inverse = 0.0001f;
constexpr float E5Inverse = 0.00001f;
constexpr float MetresPerSecondPerKnot = 0.51443467892078838f;
constexpr float KmhPerMetrePerSecond = 3.6f;
constexpr float MetresPerSecondUnitLimit = 0.3f;
constexpr float ZoneHalfWidth = 7.5f;
constexpr float ZoneWidthInverse = 1.0f / 15.0f;
constexpr int HoursPerDay = 24;
constexpr int Noon = 12;
constexpr uint8_t StatusValid = 1;
// Shown in place of a position, altitude included, while the receiver has none.
constexpr const char* NoPositionText = "--";
constexpr const char* ValidText = "Valid";
constexpr const char* InvalidText = "InValid";

// Texts are rebuilt in place: clear() keeps the capacity, so nothing allocates.
std::string& Reset(std::string& text) {
    text.clear();
    return text;
}

void SetFixed(std::string& text, float value, int decimals) {
    AppendFixed(Reset(text), value, decimals);
}

void SetHemisphere(std::string& text, float value, char positive, char negative) {
    Reset(text).push_back(value >= 0 ? positive : negative);
    text.push_back(' ');
    AppendFixed(text, value >= 0 ? value : -value, 5);
}

void AppendClock(std::string& out, int hour, int minute, int second) {
    AppendInt(out, hour, 2);
    out.push_back(':');
    AppendInt(out, minute, 2);
    out.push_back(':');
    AppendInt(out, second, 2);
}

void ClearPosition(DataDisplay& display) {
    display.LatText = NoPositionText;
    display.LonText = NoPositionText;
    display.AltText = NoPositionText;
}

// GLL and RMC: the position as the status says, and the validity text.
void FormatStatusPosition(uint8_t status, int32_t latitude, int32_t longitude,
                          DataDisplay& display) {
    display.FixValidText = status == StatusValid ? ValidText : InvalidText;
    if (status == StatusValid)
        FormatCoordinates(latitude, longitude, display);
    else
        ClearPosition(display);
}

}  // namespace

void FormatCoordinates(int32_t latitude, int32_t longitude, DataDisplay& display) {
    SetHemisphere(display.LatText, static_cast<float>(latitude) * E5Inverse, 'N', 'S');
    SetHemisphere(display.LonText, static_cast<float>(longitude) * E5Inverse, 'E', 'W');
}

int TimeZoneFromLongitude(float longitudeDegrees) {
    const float a = std::fabs(longitudeDegrees);
    if (!(a > ZoneHalfWidth)) return 0;
    const float steps = std::ceil((a - ZoneHalfWidth) * ZoneWidthInverse);
    const int zone = steps < 1000.0f ? static_cast<int>(steps) : 1000;  // absurd input stays finite
    return longitudeDegrees < 0 ? -zone : zone;
}

void FormatTimes(uint32_t time, int32_t longitude, DataDisplay& display) {
    if (time == NoTime) {
        Reset(display.LocalTimeText);
        Reset(display.GmtText);
        return;
    }
    int hour, minute;
    float seconds;
    UnpackTime(time, hour, minute, seconds);
    const int s = static_cast<int>(seconds);
    const int zone = TimeZoneFromLongitude(static_cast<float>(longitude) * E5Inverse);
    int local = hour + zone;
    if (zone < 0 && local <= 0) local += HoursPerDay;
    if (local >= HoursPerDay) local -= HoursPerDay;
    const bool morning = local < Noon;
    if (!morning && local > Noon) local -= Noon;

    std::string& localText = Reset(display.LocalTimeText);
    localText += morning ? "(AM)" : "(PM)";
    AppendClock(localText, local, minute, s);
    AppendClock(Reset(display.GmtText) += "GMT: ", hour, minute, s);
}

void FormatSpeedCourse(uint16_t speedKnotsE1, uint16_t courseE1, DataDisplay& display) {
    float v = speedKnotsE1;
    if (v != 0) {
        v = v * E1Inverse;
        v = v * MetresPerSecondPerKnot;
    }
    if (v >= MetresPerSecondUnitLimit) {
        SetFixed(display.SpeedText, v * KmhPerMetrePerSecond, 1);
        display.SpeedText += " km/hr    ";
    } else {
        SetFixed(display.SpeedText, v, 3);
        display.SpeedText += " m/sec";
    }
    float c = courseE1;
    if (c != 0) c = c * E1Inverse;
    SetFixed(display.CourseText, c, 1);
}

void FormatDate(uint32_t date, DataDisplay& display) {
    if (date == NoDate) {
        Reset(display.DateText);
        return;
    }
    int year, month, day;
    UnpackDate(date, year, month, day);
    std::string& text = Reset(display.DateText) += "DATE: ";
    AppendInt(text, year, 2);
    text.push_back('/');
    AppendInt(text, month, 2);
    text.push_back('/');
    AppendInt(text, day, 2);
}

void FormatGsa(const NMEA_GSA_Object& gsa, DataDisplay& display) {
    const _NMEA_MESSAGE_GSA& m = gsa.Message;
    const char* mode = m.FixType == 3 ? "3D" : m.FixType == 2 ? "2D" : "NON Fix";
    std::string& list = Reset(display.UsedPrnText);
    int count = 0;
    for (uint8_t prn : m.UsedPrn) {
        if (prn == 0) continue;
        AppendInt(list, prn);
        list.push_back(' ');
        ++count;
    }
    AppendInt(Reset(display.SatsUsedText), count);
    display.FixModeText = mode;
    SetFixed(display.PdopText, static_cast<float>(m.Pdop) * E4Inverse, 2);
    SetFixed(display.VdopText, static_cast<float>(m.Vdop) * E4Inverse, 2);
    SetFixed(display.HdopText, static_cast<float>(m.Hdop) * E4Inverse, 2);
}

void FormatUsedOfAllSystems(const SatelliteSky& sky, DataDisplay& display) {
    std::string& list = Reset(display.UsedPrnText);
    int count = 0;
    sky.ForEachUsed([&](const UsedSatellite& used) {
        list.push_back(ConstellationLetter(used.System));
        AppendInt(list, used.Prn);
        list.push_back(' ');
        ++count;
    });
    AppendInt(Reset(display.SatsUsedText), count);
}

void FormatRecord(const NMEA_GGA_Object& gga, DataDisplay& display) {
    const _NMEA_MESSAGE_GGA& m = gga.Message;
    AppendInt(Reset(display.SatsUsedText), m.Spc.SatsUsed);
    const bool fixed = m.Spc.FixQuality != 0;
    display.FixValidText = fixed ? ValidText : InvalidText;
    SetFixed(display.HdopText, static_cast<float>(m.Spc.Hdop) * E4Inverse, 2);
    SetFixed(display.AltText, static_cast<float>(m.Spc.Altitude) * E5Inverse, 1);
    FormatTimes(m.Time, m.Longitude, display);
    if (fixed)
        FormatCoordinates(m.Latitude, m.Longitude, display);
    else
        ClearPosition(display);
}

void FormatRecord(const NMEA_GLL_Object& gll, DataDisplay& display) {
    FormatTimes(gll.Time, gll.Longitude, display);
    FormatStatusPosition(gll.Status, gll.Latitude, gll.Longitude, display);
}

void FormatRecord(const NMEA_GSA_Object& gsa, DataDisplay& display) {
    FormatGsa(gsa, display);
}

void FormatRecord(const NMEA_RMC_Object& rmc, DataDisplay& display) {
    const _NMEA_MESSAGE_RMC& m = rmc.Message;
    FormatSpeedCourse(m.Speed, m.Course, display);
    FormatDate(m.Date, display);
    FormatTimes(m.Time, m.Longitude, display);
    FormatStatusPosition(m.Status, m.Latitude, m.Longitude, display);
}

void FormatRecord(const NMEA_VTG_Object& vtg, DataDisplay& display) {
    FormatSpeedCourse(vtg.SpeedKnots, vtg.TrueCourse, display);
}
