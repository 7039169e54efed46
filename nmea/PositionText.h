// The position fields of the last GGA or RMC that filled the records, as the
// receiver wrote them. The records keep 1e-5 degree (about a metre), too
// coarse for the scatter of a static receiver; these keep every digit the
// receiver sent, and are read only once per receiver cycle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct PositionText {
    static constexpr size_t Capacity = 16;

    char Time[Capacity] = {};       // hhmmss.sss, UTC
    char Latitude[Capacity] = {};   // ddmm.mmmm
    char Longitude[Capacity] = {};  // dddmm.mmmm
    char Altitude[Capacity] = {};   // metres above mean sea level; empty from RMC
    char North = 0;                 // 'N' or 'S'
    char East = 0;                  // 'E' or 'W'

    // Keeps the fields (each cut at Capacity - 1 characters).
    void Set(std::string_view latitude, std::string_view north, std::string_view longitude,
             std::string_view east);
    void SetAltitude(std::string_view altitude);
    void SetTime(std::string_view time);
    // Signed degrees, each the nearest double to what the digits say; false
    // when a field is missing or not a number.
    bool Degrees(double& latitude, double& longitude) const;
    // The same, and the decimals of a degree the receiver's minutes carry
    // (their decimals plus two, the more precise of the two fields).
    bool Degrees(double& latitude, double& longitude, int& decimals) const;
    // False when no altitude was given.
    bool AltitudeMetres(double& metres) const;
    // Milliseconds since midnight UTC, to the millisecond the receiver gives;
    // false when no time was given.
    bool TimeOfDayMs(uint32_t& ms) const;
};

// A decimal number of digits with an optional sign and one point, read
// without the C locale (the user interface may set a locale with a decimal
// comma); false when 'text' is anything else or empty.
bool DecimalValue(std::string_view text, double& value);
