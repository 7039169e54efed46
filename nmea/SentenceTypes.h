// The sentence types the monitor reads, by the five characters after '$', and
// the one table that says how each is handled: its number and name, its
// handler, its display texts and what the satellite table notes of it. A type
// is added with its number here and its row in SentenceTypes.cpp.
#pragma once

#include <cstdint>
#include <string_view>

#include "nmea/Constellation.h"

class FieldList;
class NMEA_Manager;
struct DataDisplay;
class SatelliteSky;

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
constexpr int SentenceNameLength = SentenceTypeTextLength - TalkerTextLength;

// One row of the table. Every function is given a sound sentence (its
// checksum correct) of the row's type, split into its fields.
struct SentenceTypeRow {
    uint8_t Number;
    char Name[SentenceNameLength + 1];  // "GGA"
    // Notes the sentence in the satellite table (nullptr: nothing to note);
    // true when it completed a GSV set there.
    bool (*Observe)(SatelliteSky& sky, Talker talker, const FieldList& fields);
    // Decodes the sentence into the store's records; true when the views are
    // to be refreshed. 'setCompleted' is what Observe returned.
    bool (*Handle)(NMEA_Manager& store, Talker talker, const FieldList& fields, bool setCompleted);
    // Formats the type's record into the display texts (nullptr: none).
    void (*Format)(const NMEA_Manager& store, DataDisplay& display);
};

// The used satellites of every system, as a text job beside the types' own.
constexpr uint8_t TextsOfAllSystemsUsed = SentenceTypeCount;

// Formats the texts of one job (a type number, or TextsOfAllSystemsUsed).
void FormatTexts(uint8_t job, const NMEA_Manager& store, DataDisplay& display);

// The row of a type number below SentenceTypeCount.
const SentenceTypeRow& SentenceTypeOf(uint8_t type);

// The type number of a five-character type text such as "GPGGA", or SentenceTypeNone.
// Every talker of a satellite system (GP, GN, GL, GA, GB, BD, GQ, GI) is
// recognised with the types of the table.
uint8_t RecognizeSentenceType(std::string_view typeText);
// The same, giving the talker of a recognised type (Talker::None otherwise).
uint8_t RecognizeSentenceType(std::string_view typeText, Talker& talker);

// "GGA", "GLL", ... for a type number; nullptr for SentenceTypeNone.
const char* SentenceTypeName(uint8_t type);
