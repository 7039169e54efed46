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
    SentenceTypeGNS = 8,
    SentenceTypeNone = 255,
};

constexpr int SentenceTypeCount = 9;
constexpr int SentenceTypeTextLength = 5;
constexpr int TalkerTextLength = 2;
constexpr int SentenceNameLength = SentenceTypeTextLength - TalkerTextLength;

// What dispatch does for a sentence once its handler has found no field of
// it out of range: the satellite table notes it (the row's Observe) and the
// end of a receiver cycle it brings is told. A handler decodes first and
// calls Accept() once before it writes anything, so that a refused sentence
// changes nothing in the store.
class SentenceSteps {
  public:
    // True when the sentence completed a GSV set in the satellite table.
    virtual bool Accept() = 0;

  protected:
    ~SentenceSteps() = default;
};

// One row of the table. Every function is given a sound sentence (its
// checksum correct, or a sentence of a link that sends none) of the row's
// type, split into its fields.
struct SentenceTypeRow {
    uint8_t Number;
    char Name[SentenceNameLength + 1];  // "GGA"
    // Notes the sentence in the satellite table (nullptr: nothing to note);
    // true when it completed a GSV set there.
    bool (*Observe)(SatelliteSky& sky, Talker talker, const FieldList& fields);
    // Decodes the sentence into the store's records, through steps.Accept()
    // unless it is refused; true when the views are to be refreshed.
    bool (*Handle)(NMEA_Manager& store, Talker talker, const FieldList& fields,
                   SentenceSteps& steps);
    // Formats the type's record into the display texts (nullptr: none).
    void (*Format)(const NMEA_Manager& store, DataDisplay& display);
};

// The used satellites of every system, as a text job beside the types' own.
constexpr uint8_t TextsOfAllSystemsUsed = SentenceTypeCount;
// The fix mode told by GGA or RMC while no GSA tells it.
constexpr uint8_t TextsOfFixMode = SentenceTypeCount + 1;

// Formats the texts of one job (a type number, or TextsOfAllSystemsUsed).
void FormatTexts(uint8_t job, const NMEA_Manager& store, DataDisplay& display);

// The row of a type number below SentenceTypeCount.
const SentenceTypeRow& SentenceTypeOf(uint8_t type);

// The type number of a five-character type text such as "GPGGA", or SentenceTypeNone.
// Every talker of the table (GP, GN, GL, GA, GB, BD, GQ, GI, IN, EC, II) is
// recognised with the types of the table.
uint8_t RecognizeSentenceType(std::string_view typeText);
// The same, giving the talker of a recognised type (Talker::None otherwise).
uint8_t RecognizeSentenceType(std::string_view typeText, Talker& talker);

// "GGA", "GLL", ... for a type number; nullptr for SentenceTypeNone.
const char* SentenceTypeName(uint8_t type);
