#include "nmea/SentenceTypes.h"

#include <algorithm>
#include <iterator>

#include "nmea/FieldList.h"
#include "nmea/Formatting.h"
#include "nmea/NmeaManager.h"
#include "nmea/SentenceHandlers.h"

namespace {

constexpr int TimeFieldOfGll = 5;
constexpr int TimeFieldOfOthers = 1;

// --- What the satellite table notes ----------------------------------------

bool ObserveGsv(SatelliteSky& sky, Talker talker, const FieldList& fields) {
    return sky.ObserveGsv(talker, fields);
}

bool ObserveGsa(SatelliteSky& sky, Talker talker, const FieldList& fields) {
    sky.ObserveGsa(talker, fields);
    return false;
}

// The UTC time, in field 'Field', marks the receiver cycles.
template <int Field>
bool ObserveTime(SatelliteSky& sky, Talker, const FieldList& fields) {
    sky.ObserveTime(fields.At(Field));
    return false;
}

// --- Display texts ---------------------------------------------------------

void FormatGga(NMEA_Manager& store) {
    FormatRecord(store.Gga, store.Display);
}

void FormatGll(NMEA_Manager& store) {
    FormatRecord(store.Gll, store.Display);
}

// The used texts of all systems stand in place of the GPS ones while the
// GPS table cannot show the whole sky.
void FormatGsa(NMEA_Manager& store) {
    if (store.Sky.Extended())
        FormatUsedOfAllSystems(store.Sky, store.Display);
    else
        FormatGsaUsed(store.Gsa, store.Display);
    FormatGsaFix(store.Gsa, store.Display);
}

void FormatRmc(NMEA_Manager& store) {
    FormatRecord(store.Rmc, store.Display);
}

void FormatVtg(NMEA_Manager& store) {
    FormatRecord(store.Vtg, store.Display);
}

// --- Handlers --------------------------------------------------------------

// GGA, GLL, RMC and VTG: the record is filled when the talker speaks for it
// (SolutionTalkers.h) and formatted when it was decoded; the views are
// refreshed either way.
template <uint8_t Type, class Parse>
bool FillRecord(NMEA_Manager& store, Talker talker, Parse&& parse) {
    if (!store.Talkers.FillsRecord(Type, talker, store.Sky.Cycle())) return false;
    if (parse()) SentenceTypeOf(Type).Format(store);
    return true;
}

// GGA fields of the position: latitude, N/S, longitude, E/W; altitude.
constexpr int GgaLatitudeField = 2;
constexpr int GgaAltitudeField = 9;
constexpr int RmcLatitudeField = 3;

// Keeps the position fields; without an altitude field (RMC) the altitude
// of the last GGA stays.
void KeepPosition(NMEA_Manager& store, const FieldList& f, int latitude, int altitude) {
    store.Position.SetTime(f.At(TimeFieldOfOthers));
    store.Position.Set(f.At(latitude), f.At(latitude + 1), f.At(latitude + 2), f.At(latitude + 3));
    if (altitude >= 0) store.Position.SetAltitude(f.At(altitude));
}

bool HandleGga(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeGGA>(store, talker, [&] {
        if (!ParseGGA(fields, store.Gga)) return false;
        KeepPosition(store, fields, GgaLatitudeField, GgaAltitudeField);
        return true;
    });
}

bool HandleGll(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeGLL>(store, talker, [&] { return ParseGLL(fields, store.Gll); });
}

bool HandleRmc(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeRMC>(store, talker, [&] {
        if (!ParseRMC(fields, store.Rmc)) return false;
        KeepPosition(store, fields, RmcLatitudeField, -1);
        return true;
    });
}

bool HandleVtg(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeVTG>(store, talker, [&] { return ParseVTG(fields, store.Vtg); });
}

void DecodeGsa(NMEA_Manager& store, const FieldList& fields, UsedSlots slots) {
    if (ParseGSA(fields, store.Gsa, slots)) FormatGsa(store);
}

// A GSA fills the record when it speaks for GPS (GP: as a GPS receiver's,
// SBAS included; GN: the GPS satellites of its list) and leaves the used
// slots alone when it speaks for another system. A single-system talker's
// GSA fills nothing; the satellite table has it, and the used texts of all
// systems are formatted again.
bool HandleGsa(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    switch (talker) {
        case Talker::GP:
            DecodeGsa(store, fields, UsedSlots::GpsAndSbas);
            break;
        case Talker::GN: {
            if (store.Talkers.FirstCombinedGsa(store.Sky.Cycle()))
                std::fill(std::begin(store.Gsa.Message.UsedPrn),
                          std::end(store.Gsa.Message.UsedPrn), 0);
            const Constellation system = GsaSystem(talker, fields);
            DecodeGsa(store, fields,
                      system == Constellation::Gps       ? UsedSlots::GpsOnly
                      : system == Constellation::Unknown ? UsedSlots::KeepUnlessNoFix
                                                         : UsedSlots::Keep);
            break;
        }
        default:
            if (store.Sky.Extended()) FormatUsedOfAllSystems(store.Sky, store.Display);
            break;
    }
    return true;
}

// Only the extended table holds the other systems' satellites: a GPS page
// refreshes when it completed a set of the GPS table, or of the extended one
// while that is shown.
bool HandleGsv(NMEA_Manager& store, Talker talker, const FieldList& fields, bool setCompleted) {
    if (talker != Talker::GP) return setCompleted;
    return ParseGSV(fields, store.Gsv) || (setCompleted && store.Sky.Extended());
}

// ZDA and MSS change no record; the views are refreshed.
bool RefreshOnly(NMEA_Manager&, Talker, const FieldList&, bool) {
    return true;
}

// --- The table -------------------------------------------------------------

constexpr SentenceTypeRow Rows[SentenceTypeCount] = {
    {SentenceTypeGGA, "GGA", ObserveTime<TimeFieldOfOthers>, HandleGga, FormatGga},
    {SentenceTypeGLL, "GLL", ObserveTime<TimeFieldOfGll>, HandleGll, FormatGll},
    {SentenceTypeGSA, "GSA", ObserveGsa, HandleGsa, FormatGsa},
    {SentenceTypeGSV, "GSV", ObserveGsv, HandleGsv, nullptr},
    {SentenceTypeRMC, "RMC", ObserveTime<TimeFieldOfOthers>, HandleRmc, FormatRmc},
    {SentenceTypeVTG, "VTG", nullptr, HandleVtg, FormatVtg},
    {SentenceTypeZDA, "ZDA", ObserveTime<TimeFieldOfOthers>, RefreshOnly, nullptr},
    {SentenceTypeMSS, "MSS", nullptr, RefreshOnly, nullptr},
};

// A type name packed into one integer, so that recognition compares numbers.
constexpr uint32_t NameKey(const char* name) {
    uint32_t key = 0;
    for (int i = 0; i < SentenceNameLength; ++i) key = key << 8 | static_cast<uint8_t>(name[i]);
    return key;
}

struct NameKeyTable {
    uint32_t Keys[SentenceTypeCount];
    constexpr NameKeyTable() : Keys() {
        for (int i = 0; i < SentenceTypeCount; ++i) Keys[i] = NameKey(Rows[i].Name);
    }
};
constexpr NameKeyTable NameKeys{};

constexpr bool RowsInNumberOrder() {
    for (int i = 0; i < SentenceTypeCount; ++i)
        if (Rows[i].Number != i) return false;
    return true;
}

constexpr bool NamesDistinct() {
    for (int i = 0; i < SentenceTypeCount; ++i)
        for (int j = i + 1; j < SentenceTypeCount; ++j)
            if (NameKeys.Keys[i] == NameKeys.Keys[j]) return false;
    return true;
}

static_assert(RowsInNumberOrder(), "each row stands at its type number");
// At most one row matches a text, so the order of comparison cannot change a result.
static_assert(NamesDistinct(), "no two rows share a name");

}  // namespace

const SentenceTypeRow& SentenceTypeOf(uint8_t type) {
    return Rows[type];
}

uint8_t RecognizeSentenceType(std::string_view typeText) {
    if (typeText.size() != SentenceTypeTextLength) return SentenceTypeNone;
    if (TalkerFromText(typeText.substr(0, TalkerTextLength)) == Talker::None)
        return SentenceTypeNone;
    const uint32_t key = NameKey(typeText.data() + TalkerTextLength);
    for (uint8_t type = 0; type < SentenceTypeCount; ++type)
        if (NameKeys.Keys[type] == key) return type;
    return SentenceTypeNone;
}

const char* SentenceTypeName(uint8_t type) {
    return type < SentenceTypeCount ? Rows[type].Name : nullptr;
}
