#include "nmea/Constellation.h"

namespace {

constexpr const char* TalkerTexts[TalkerCount] = {"GP", "GN", "GL", "GA", "GB", "BD",
                                                  "GQ", "GI", "IN", "EC", "II"};
constexpr int TalkerKeyLength = 2;

// A talker text packed into one integer, so that recognition compares numbers.
constexpr uint16_t TalkerKey(const char* text) {
    return static_cast<uint16_t>(static_cast<uint8_t>(text[0]) << 8 |
                                 static_cast<uint8_t>(text[1]));
}

struct TalkerKeyTable {
    uint16_t Keys[TalkerCount];
    constexpr TalkerKeyTable() : Keys() {
        for (int i = 0; i < TalkerCount; ++i) Keys[i] = TalkerKey(TalkerTexts[i]);
    }
};
constexpr TalkerKeyTable TalkerKeys{};

constexpr Constellation TalkerSystems[TalkerCount] = {
    Constellation::Gps,     Constellation::Unknown, Constellation::Glonass, Constellation::Galileo,
    Constellation::BeiDou,  Constellation::BeiDou,  Constellation::Qzss,    Constellation::NavIC,
    Constellation::Unknown, Constellation::Unknown, Constellation::Unknown};
constexpr Constellation SystemIds[] = {
    Constellation::Unknown, Constellation::Gps,  Constellation::Glonass, Constellation::Galileo,
    Constellation::BeiDou,  Constellation::Qzss, Constellation::NavIC};
constexpr int SystemIdCount = sizeof(SystemIds) / sizeof(SystemIds[0]);
constexpr char Letters[ConstellationCount + 1] = "GSRECJI?";
constexpr const char* Names[ConstellationCount] = {"GPS",    "SBAS", "GLONASS", "Galileo",
                                                   "BeiDou", "QZSS", "NavIC",   "Unknown"};

struct PrnRange {
    int32_t First, Last;
    Constellation System;
};
constexpr PrnRange PrnRanges[] = {
    {1, 32, Constellation::Gps},        {33, 64, Constellation::Sbas},
    {65, 96, Constellation::Glonass},   {120, 158, Constellation::Sbas},
    {193, 200, Constellation::Qzss},    {201, 263, Constellation::BeiDou},
    {301, 336, Constellation::Galileo}, {401, 463, Constellation::BeiDou},
};

}  // namespace

Talker TalkerFromText(std::string_view text) {
    if (text.size() != TalkerKeyLength) return Talker::None;
    const uint16_t key = TalkerKey(text.data());
    for (int i = 0; i < TalkerCount; ++i)
        if (key == TalkerKeys.Keys[i]) return static_cast<Talker>(i);
    return Talker::None;
}

const char* TalkerText(Talker talker) {
    return talker == Talker::None ? "" : TalkerTexts[static_cast<int>(talker)];
}

Constellation TalkerConstellation(Talker talker) {
    return talker == Talker::None ? Constellation::Unknown
                                  : TalkerSystems[static_cast<int>(talker)];
}

Constellation SystemIdConstellation(int32_t systemId) {
    return systemId > 0 && systemId < SystemIdCount ? SystemIds[systemId] : Constellation::Unknown;
}

Constellation PrnConstellation(int32_t prn) {
    for (const PrnRange& r : PrnRanges)
        if (prn >= r.First && prn <= r.Last) return r.System;
    return Constellation::Unknown;
}

Constellation SatelliteConstellation(Constellation reported, int32_t prn) {
    if (reported == Constellation::Unknown) return PrnConstellation(prn);
    if (reported != Constellation::Gps) return reported;
    const Constellation byNumber = PrnConstellation(prn);
    return byNumber == Constellation::Sbas || byNumber == Constellation::Qzss ||
                   byNumber == Constellation::Glonass
               ? byNumber
               : reported;
}

char ConstellationLetter(Constellation c) {
    return Letters[static_cast<int>(c)];
}

const char* ConstellationName(Constellation c) {
    return Names[static_cast<int>(c)];
}
