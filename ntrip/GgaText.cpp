#include "ntrip/GgaText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "link/CommandText.h"

namespace {

constexpr int64_t MinuteUnits = 100000;  // five decimals of a minute

// "ddmm.mmmmm" (latitude) or "dddmm.mmmmm" (longitude), rounded in whole
// units so that 59.999996 minutes becomes the next degree.
std::string Coordinate(double degrees, int degreeDigits) {
    const int64_t units = std::llround(std::fabs(degrees) * 60.0 * MinuteUnits);
    const int64_t whole = units / (60 * MinuteUnits);
    const int64_t minuteUnits = units % (60 * MinuteUnits);
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld", degreeDigits,
                  static_cast<long long>(whole), static_cast<long long>(minuteUnits / MinuteUnits),
                  static_cast<long long>(minuteUnits % MinuteUnits));
    return text;
}

}  // namespace

std::string BuildGga(const GgaPosition& position, unsigned secondsOfDay) {
    secondsOfDay %= 86400;
    char time[16];
    std::snprintf(time, sizeof time, "%02u%02u%02u.00", secondsOfDay / 3600, secondsOfDay / 60 % 60,
                  secondsOfDay % 60);
    char height[32];
    std::snprintf(height, sizeof height, "%.1f", position.HeightM);
    const std::string sentence =
        std::string("$GPGGA,") + time + "," + Coordinate(position.Latitude, 2) + "," +
        (position.Latitude < 0 ? "S" : "N") + "," + Coordinate(position.Longitude, 3) + "," +
        (position.Longitude < 0 ? "W" : "E") + ",1,12,1.0," + height + ",M,0.0,M,,";
    return CompleteCommandText(sentence).Text;
}

namespace {

constexpr double MinHeightM = -1000;   // below the Dead Sea's shore, above any mine
constexpr double MaxHeightM = 100000;  // the edge of space

// One number that fills `field` and lies in [low, high].
bool ReadCoordinate(const std::string& field, double low, double high, double& value) {
    if (field.empty()) return false;
    char* end = nullptr;
    value = std::strtod(field.c_str(), &end);
    return end == field.c_str() + field.size() && std::isfinite(value) && value >= low &&
           value <= high;
}

}  // namespace

bool ParseGgaPosition(const std::string& text, GgaPosition& position, std::string& error) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    if (!text.empty() && text.back() == ',') fields.push_back("");
    GgaPosition read;
    if (fields.size() != 3 || !ReadCoordinate(fields[0], -90, 90, read.Latitude) ||
        !ReadCoordinate(fields[1], -180, 180, read.Longitude) ||
        !ReadCoordinate(fields[2], MinHeightM, MaxHeightM, read.HeightM)) {
        error = "not LAT,LON,HEIGHT (degrees from -90 to 90 and -180 to 180, metres from " +
                std::to_string(static_cast<int>(MinHeightM)) + " to " +
                std::to_string(static_cast<int>(MaxHeightM)) + "): " + text;
        return false;
    }
    position = read;
    return true;
}
