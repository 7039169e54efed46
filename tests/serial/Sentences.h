// NMEA sentences for the tests, with correct checksums.
#pragma once

#include <cstdio>
#include <string>

// "$" + body + "*" + two upper-case checksum digits (no line end).
inline std::string Nmea(const std::string& body) {
    unsigned sum = 0;
    for (unsigned char c : body) sum ^= c;
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", sum & 0xFF);
    return "$" + body + "*" + digits;
}

inline const std::string Gga =
    Nmea("GPGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,");
inline const std::string Rmc =
    Nmea("GPRMC,123519.000,A,4807.0380,N,01131.0000,E,22.4,84.4,230394,003.1,W");
inline const std::string Gsa = Nmea("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
inline const std::string Gsv1 =
    Nmea("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00");
inline const std::string Gsv2 =
    Nmea("GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00");
inline const std::string Gsv3 = Nmea("GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00");
