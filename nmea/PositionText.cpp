#include "nmea/PositionText.h"

#include <algorithm>
#include <cstring>

#include "nmea/Utils.h"

namespace {

constexpr double MaxTimeField = 240000.0;

void Keep(char (&out)[PositionText::Capacity], std::string_view text) {
    const size_t n =
        text.size() < PositionText::Capacity - 1 ? text.size() : PositionText::Capacity - 1;
    if (n > 0) std::memcpy(out, text.data(), n);  // an empty view may have no data
    out[n] = 0;
}

// ddmm.mmmm (or dddmm.mmmm) to degrees, from the digits in one rounding;
// 'decimals' receives the decimals of a degree the minutes carry.
bool CoordinateDegrees(const char* text, char hemisphere, char negative, double& degrees,
                       int& decimals) {
    double value = 0;
    ExactDecimal exact;
    if (!DecimalValue(text, value) || value < 0 || !DecodeDecimalText(text, exact)) return false;
    ExactDegrees d = DegreesOfField(exact);
    if (hemisphere == negative) d = Negated(d);
    degrees = ToDouble(d);
    decimals = d.TextDecimals();
    return true;
}

}  // namespace

bool DecimalValue(std::string_view text, double& value) {
    size_t i = 0;
    const bool negative = !text.empty() && (text[0] == '-' || text[0] == '+');
    if (negative) i = 1;
    double whole = 0, fraction = 0, scale = 1;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale *= 10;
                fraction = fraction * 10 + (c - '0');
            } else {
                whole = whole * 10 + (c - '0');
            }
        } else {
            return false;
        }
    }
    if (!digits) return false;
    value = whole + fraction / scale;
    if (text[0] == '-') value = -value;
    return true;
}

void PositionText::Set(std::string_view latitude, std::string_view north,
                       std::string_view longitude, std::string_view east) {
    Keep(Latitude, latitude);
    Keep(Longitude, longitude);
    North = north.empty() ? 0 : north[0];
    East = east.empty() ? 0 : east[0];
}

void PositionText::SetAltitude(std::string_view altitude) {
    Keep(Altitude, altitude);
}

bool PositionText::Degrees(double& latitude, double& longitude) const {
    int decimals = 0;
    return Degrees(latitude, longitude, decimals);
}

bool PositionText::Degrees(double& latitude, double& longitude, int& decimals) const {
    int latitudeDecimals = 0, longitudeDecimals = 0;
    if (!CoordinateDegrees(Latitude, North, 'S', latitude, latitudeDecimals) ||
        !CoordinateDegrees(Longitude, East, 'W', longitude, longitudeDecimals))
        return false;
    decimals = std::max(latitudeDecimals, longitudeDecimals);
    return true;
}

bool PositionText::AltitudeMetres(double& metres) const {
    return DecimalValue(Altitude, metres);
}

void PositionText::SetTime(std::string_view time) {
    Keep(Time, time);
}

bool PositionText::TimeOfDayMs(uint32_t& ms) const {
    double hhmmss = 0;
    if (!DecimalValue(Time, hhmmss) || hhmmss < 0 || hhmmss >= MaxTimeField) return false;
    const auto whole = static_cast<uint32_t>(hhmmss);
    const uint32_t hours = whole / 10000, minutes = whole / 100 % 100, seconds = whole % 100;
    if (hours > 23 || minutes > 59 || seconds > 60) return false;
    const double fraction = hhmmss - whole;
    ms = ((hours * 60 + minutes) * 60 + seconds) * 1000 +
         static_cast<uint32_t>(fraction * 1000 + 0.5);
    return true;
}
