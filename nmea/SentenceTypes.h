// The sentence types the monitor recognises, by the five characters after '$'.
#pragma once

#include <cstdint>
#include <string_view>

enum : uint8_t {
    SentenceTypeGGA = 0,
    SentenceTypeGLL = 1,
    SentenceTypeGSA = 2,
    SentenceTypeGSV = 3,
    SentenceTypeRMC = 4,
    SentenceTypeVTG = 5,
    SentenceTypeZDA = 6,
    SentenceTypeMSS = 7,
    SentenceTypeNone = 255,
};

constexpr int SentenceTypeCount = 8;
constexpr int SentenceTypeTextLength = 5;
constexpr int TalkerTextLength = 2;

// Indexed by the type number.
extern const char* const SentenceTypes[SentenceTypeCount];

// The type number of a five-character type text such as "GPGGA", or SentenceTypeNone.
// Every talker of a satellite system (GP, GN, GL, GA, GB, BD, GQ, GI) is
// recognised with the types of the table.
uint8_t RecognizeSentenceType(std::string_view typeText);

// "GGA", "GLL", ... for a type number; nullptr for SentenceTypeNone.
const char* SentenceTypeName(uint8_t type);
