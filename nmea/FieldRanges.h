// The ranges a decoded field must lie in to be shown as data. A field outside
// its range is nonsense (a receiver fault or a corrupted line that passed its
// checksum): the handler that meets it rejects the whole sentence.
#pragma once

#include <cstdint>

constexpr int MaxHour = 23;
constexpr int MaxMinute = 59;
constexpr float SecondsLimit = 61.0f;  // 60 stands for a leap second
constexpr int MinDay = 1;
constexpr int MaxDay = 31;
constexpr int MinMonth = 1;
constexpr int MaxMonth = 12;
constexpr int32_t MaxLatitudeE5 = 90 * 100000;
constexpr int32_t MaxLongitudeE5 = 180 * 100000;
constexpr int MaxElevation = 90;
constexpr int AzimuthLimit = 360;  // 0 to 359 degrees
constexpr int MaxSnr = 70;         // dB-Hz

// An hhmmss.sss time field.
inline bool TimeFieldInRange(float hhmmss) {
    if (!(hhmmss >= 0.0f)) return false;
    const int whole = static_cast<int>(hhmmss < 1e7f ? hhmmss : 1e7f);
    const int hour = whole / 10000;
    const int minute = whole / 100 % 100;
    const float seconds = hhmmss - static_cast<float>(whole / 100 * 100);
    return hour <= MaxHour && minute <= MaxMinute && seconds < SecondsLimit;
}

// A ddmmyy date field.
inline bool DateFieldInRange(int32_t ddmmyy) {
    const int day = ddmmyy / 10000;
    const int month = ddmmyy / 100 % 100;
    return ddmmyy >= 0 && day >= MinDay && day <= MaxDay && month >= MinMonth && month <= MaxMonth;
}

inline bool LatitudeInRange(int32_t degreesE5) {
    return degreesE5 >= -MaxLatitudeE5 && degreesE5 <= MaxLatitudeE5;
}

inline bool LongitudeInRange(int32_t degreesE5) {
    return degreesE5 >= -MaxLongitudeE5 && degreesE5 <= MaxLongitudeE5;
}

inline bool DopInRange(float dop) {
    return dop >= 0.0f;
}

inline bool ElevationInRange(int32_t degrees) {
    return degrees >= 0 && degrees <= MaxElevation;
}

inline bool AzimuthInRange(int32_t degrees) {
    return degrees >= 0 && degrees < AzimuthLimit;
}

inline bool SnrInRange(int32_t dbHz) {
    return dbHz >= 0 && dbHz <= MaxSnr;
}
