// Building NMEA 0183 sentences: checksums, line ends and the number formats
// receivers use for coordinates, times and dates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// XOR of the characters between '$' and '*' (the body given without either).
uint8_t NmeaChecksum(std::string_view body);

// "$" + body + "*" + two upper-case hexadecimal digits + CR LF. Without a
// checksum only "$" + body + CR LF.
std::string FinishSentence(std::string_view body, bool withChecksum = true);

// The body of a finished sentence: the text between '$' and '*' (or the line end).
std::string_view SentenceBody(std::string_view sentence);

// "ddmm.mmmmm,N" and "dddmm.mmmmm,E" from signed degrees.
std::string FormatLatitude(double degrees);
std::string FormatLongitude(double degrees);

// Civil UTC time split from milliseconds since 1970-01-01.
struct UtcTime {
    int Year = 1970, Month = 1, Day = 1;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
UtcTime SplitUtc(int64_t unixMs);
// Milliseconds since 1970 of a civil UTC time (inverse of SplitUtc).
int64_t UnixMsFromUtc(const UtcTime& t);
// Parses "YYYY-MM-DDTHH:MM:SS" (a trailing "Z" allowed); false when malformed.
bool ParseIsoUtc(std::string_view text, int64_t& unixMs);

std::string FormatNmeaTime(const UtcTime& t);  // hhmmss.ss
std::string FormatNmeaDate(const UtcTime& t);  // ddmmyy

// Fixed-point text with the given decimals ("%.*f").
std::string Fixed(double value, int decimals);
// Zero-padded decimal ("%0*d").
std::string Padded(int value, int width);
