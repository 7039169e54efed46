#include "nmea/SentenceTypes.h"

#include "nmea/Constellation.h"

const char* const SentenceTypes[SentenceTypeCount] = {"GPGGA", "GPGLL", "GPGSA", "GPGSV",
                                                      "GPRMC", "GPVTG", "GPZDA", "GPMSS"};

namespace {
// The order in which the type text is compared, most frequent sentences first.
constexpr uint8_t MatchOrder[SentenceTypeCount] = {
    SentenceTypeGGA, SentenceTypeGSA, SentenceTypeGSV, SentenceTypeRMC,
    SentenceTypeGLL, SentenceTypeVTG, SentenceTypeMSS, SentenceTypeZDA};
}  // namespace

uint8_t RecognizeSentenceType(std::string_view typeText) {
    if (typeText.size() != SentenceTypeTextLength) return SentenceTypeNone;
    if (TalkerFromText(typeText.substr(0, TalkerTextLength)) == Talker::None)
        return SentenceTypeNone;
    const std::string_view name = typeText.substr(TalkerTextLength);
    for (uint8_t type : MatchOrder)
        if (name == SentenceTypes[type] + TalkerTextLength) return type;
    return SentenceTypeNone;
}

const char* SentenceTypeName(uint8_t type) {
    return type < SentenceTypeCount ? SentenceTypes[type] + 2 : nullptr;
}
