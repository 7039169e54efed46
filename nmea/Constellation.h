// Talkers and satellite systems of multi-constellation receivers: which system
// a sentence or a satellite number belongs to, and the one-letter system code
// shown beside satellite numbers (G, S, R, E, C, J, I).
#pragma once

#include <cstdint>
#include <string_view>

// The satellite systems' talkers, then talkers of marine equipment that
// hand on a receiver's solution: IN integrated navigation, EC electronic
// chart, II integrated instrumentation.
enum class Talker : uint8_t { GP, GN, GL, GA, GB, BD, GQ, GI, IN, EC, II, None };
constexpr int TalkerCount = 11;

enum class Constellation : uint8_t { Gps, Sbas, Glonass, Galileo, BeiDou, Qzss, NavIC, Unknown };
constexpr int ConstellationCount = 8;

// The talker of a two-character talker text, Talker::None when not one of the table.
Talker TalkerFromText(std::string_view text);
const char* TalkerText(Talker talker);

// The system a talker speaks for; GN (combined) and the marine talkers give Unknown.
Constellation TalkerConstellation(Talker talker);
// The system of an NMEA 4.10 system id (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou,
// 5 QZSS, 6 NavIC), Unknown for any other value.
Constellation SystemIdConstellation(int32_t systemId);
// The system of a satellite number in the NMEA numbering plan
// (1-32 GPS, 33-64 and 120-158 SBAS, 65-96 GLONASS, 193-200 QZSS, 201-263 and
// 401-463 BeiDou, 301-336 Galileo), Unknown outside these ranges.
Constellation PrnConstellation(int32_t prn);
// The system of satellite prn reported under 'reported': GPS reports also
// carry SBAS, QZSS and (NMEA 2.x receivers) GLONASS satellites, combined
// reports any system, so both are told apart by number; every other system
// stands as reported.
Constellation SatelliteConstellation(Constellation reported, int32_t prn);

char ConstellationLetter(Constellation c);
const char* ConstellationName(Constellation c);
