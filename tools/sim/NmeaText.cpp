#include "tools/sim/NmeaText.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr int64_t MsPerDay = 86400000;

std::string FormatCoordinate(double degrees, int degreeDigits, char positive, char negative) {
    const double magnitude = std::fabs(degrees);
    // Round to the 5 decimals of minutes first so 59.999995 never prints as 60.
    const int64_t minutesE5 = std::llround(magnitude * 60.0 * 100000.0);
    const int64_t whole = minutesE5 / (60 * 100000);
    const int64_t rest = minutesE5 % (60 * 100000);
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld,%c", degreeDigits,
                  static_cast<long long>(whole), static_cast<long long>(rest / 100000),
                  static_cast<long long>(rest % 100000), degrees < 0 ? negative : positive);
    return text;
}

// Days since 1970-01-01 to civil date (proleptic Gregorian).
void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

uint8_t NmeaChecksum(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    return sum;
}

std::string FinishSentence(std::string_view body, bool withChecksum) {
    std::string s;
    s.reserve(body.size() + 6);
    s += '$';
    s += body;
    if (withChecksum) {
        const uint8_t sum = NmeaChecksum(body);
        s += '*';
        s += HexDigits[sum >> 4];
        s += HexDigits[sum & 0xF];
    }
    s += "\r\n";
    return s;
}

std::string_view SentenceBody(std::string_view sentence) {
    if (!sentence.empty() && sentence.front() == '$') sentence.remove_prefix(1);
    const size_t end = sentence.find_first_of("*\r\n");
    return sentence.substr(0, end);
}

std::string FormatLatitude(double degrees) {
    return FormatCoordinate(degrees, 2, 'N', 'S');
}
std::string FormatLongitude(double degrees) {
    return FormatCoordinate(degrees, 3, 'E', 'W');
}

UtcTime SplitUtc(int64_t unixMs) {
    int64_t days = unixMs / MsPerDay;
    int64_t ms = unixMs % MsPerDay;
    if (ms < 0) {
        ms += MsPerDay;
        --days;
    }
    UtcTime t;
    CivilFromDays(days, t.Year, t.Month, t.Day);
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
    return t;
}

int64_t UnixMsFromUtc(const UtcTime& t) {
    return DaysFromCivil(t.Year, t.Month, t.Day) * MsPerDay + t.Hour * 3600000LL +
           t.Minute * 60000LL + t.Second * 1000LL + t.Millisecond;
}

bool ParseIsoUtc(std::string_view text, int64_t& unixMs) {
    if (!text.empty() && text.back() == 'Z') text.remove_suffix(1);
    if (text.size() != 19) return false;
    UtcTime t;
    char sep[5];
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d%c%2d%c%2d%c%2d%c%2d%c%2d", &t.Year, &sep[0], &t.Month,
                    &sep[1], &t.Day, &sep[2], &t.Hour, &sep[3], &t.Minute, &sep[4],
                    &t.Second) != 11)
        return false;
    if (sep[0] != '-' || sep[1] != '-' || (sep[2] != 'T' && sep[2] != ' ') || sep[3] != ':' ||
        sep[4] != ':')
        return false;
    if (t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31 || t.Hour > 23 || t.Minute > 59 ||
        t.Second > 59 || t.Hour < 0 || t.Minute < 0 || t.Second < 0)
        return false;
    unixMs = UnixMsFromUtc(t);
    return true;
}

std::string FormatNmeaTime(const UtcTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%02d%02d%02d.%02d", t.Hour, t.Minute, t.Second,
                  t.Millisecond / 10);
    return text;
}

std::string FormatNmeaDate(const UtcTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%02d%02d%02d", t.Day, t.Month, t.Year % 100);
    return text;
}

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Padded(int value, int width) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}
