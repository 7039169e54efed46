#include "ntrip/GgaText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

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
