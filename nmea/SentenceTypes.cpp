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

void FormatGga(const NMEA_Manager& store, DataDisplay& display) {
    FormatRecord(store.Gga, display);
}

void FormatGll(const NMEA_Manager& store, DataDisplay& display) {
    FormatRecord(store.Gll, display);
}

// The used texts of all systems stand in place of the GPS ones while the
// GPS table cannot show the whole sky (as it stood when the GSA came).
void FormatGsa(const NMEA_Manager& store, DataDisplay& display) {
    const UsedSkyNote& sky = store.SkyNoteOf(SentenceTypeGSA);
    if (sky.Extended)
        FormatUsedOfAllSystems(sky, display);
    else
        FormatGsaUsed(store.Gsa, display);
    FormatGsaFix(store.Gsa, display);
}

void FormatRmc(const NMEA_Manager& store, DataDisplay& display) {
    FormatRecord(store.Rmc, display);
}

void FormatVtg(const NMEA_Manager& store, DataDisplay& display) {
    FormatRecord(store.Vtg, display);
}

// --- Handlers --------------------------------------------------------------

// A record whose texts leave out some its previous state wrote: GLL and RMC
// clear the altitude text only while their status is not valid.
template <class Record>
bool WritesFewerTexts(const Record&, const Record&) {
    return false;
}
bool WritesFewerTexts(const NMEA_GLL_Object& before, const NMEA_GLL_Object& after) {
    return before.Status != StatusValid && after.Status == StatusValid;
}
bool WritesFewerTexts(const NMEA_RMC_Object& before, const NMEA_RMC_Object& after) {
    return before.Message.Status != StatusValid && after.Message.Status == StatusValid;
}

// Formats the texts waiting with 'record' as it was before its last change.
template <class Record>
void FormatAsBefore(NMEA_Manager& store, Record& record, const Record& before) {
    const Record after = record;
    record = before;
    store.Display();
    record = after;
}

// Runs change(), which alters 'record' and is false for a sentence that
// failed, and notes the texts of a sound one. While the texts of the
// record's last sentence still wait, they are formatted first from the
// record as it was when the new sentence leaves part of itself in a record
// it failed in, or would not write every text the waiting one writes: the
// texts then read as if each sentence had been formatted on arrival.
template <class Record, class Change>
void ChangeRecord(NMEA_Manager& store, uint8_t job, Record& record, Change&& change) {
    if (!store.TextsPending(job)) {
        if (change()) store.TextsChanged(job);
        return;
    }
    const Record before = record;
    if (!change()) {
        FormatAsBefore(store, record, before);
        return;
    }
    if (WritesFewerTexts(before, record)) FormatAsBefore(store, record, before);
    store.TextsChanged(job);
}

// GGA, GLL, RMC and VTG: the record is filled when the talker speaks for it
// (SolutionTalkers.h) and its texts noted when it was decoded; the views are
// refreshed either way.
template <uint8_t Type, class Record, class Parse>
bool FillRecord(NMEA_Manager& store, Talker talker, Record& record, Parse&& parse) {
    if (!store.Talkers.FillsRecord(Type, talker, store.Sky.Cycle())) return false;
    ChangeRecord(store, Type, record, parse);
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
    return FillRecord<SentenceTypeGGA>(store, talker, store.Gga, [&] {
        if (!ParseGGA(fields, store.Gga)) return false;
        KeepPosition(store, fields, GgaLatitudeField, GgaAltitudeField);
        return true;
    });
}

bool HandleGll(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeGLL>(store, talker, store.Gll,
                                       [&] { return ParseGLL(fields, store.Gll); });
}

bool HandleRmc(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeRMC>(store, talker, store.Rmc, [&] {
        if (!ParseRMC(fields, store.Rmc)) return false;
        KeepPosition(store, fields, RmcLatitudeField, -1);
        return true;
    });
}

bool HandleVtg(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    return FillRecord<SentenceTypeVTG>(store, talker, store.Vtg,
                                       [&] { return ParseVTG(fields, store.Vtg); });
}

// A GSA fills the record when it speaks for GPS (GP: as a GPS receiver's,
// SBAS included; GN: the GPS satellites of its list) and leaves the used
// slots alone when it speaks for another system. A single-system talker's
// GSA fills nothing; the satellite table has it, and the used texts of all
// systems are formatted again.
bool HandleGsa(NMEA_Manager& store, Talker talker, const FieldList& fields, bool) {
    const auto decode = [&](UsedSlots slots, bool clearUsed) {
        ChangeRecord(store, SentenceTypeGSA, store.Gsa, [&] {
            if (clearUsed)
                std::fill(std::begin(store.Gsa.Message.UsedPrn),
                          std::end(store.Gsa.Message.UsedPrn), 0);
            if (!ParseGSA(fields, store.Gsa, slots)) return false;
            store.SkyTextsChanged(SentenceTypeGSA);
            return true;
        });
    };
    switch (talker) {
        case Talker::GP:
            decode(UsedSlots::GpsAndSbas, false);
            break;
        case Talker::GN: {
            const bool first = store.Talkers.FirstCombinedGsa(store.Sky.Cycle());
            const Constellation system = GsaSystem(talker, fields);
            decode(system == Constellation::Gps       ? UsedSlots::GpsOnly
                   : system == Constellation::Unknown ? UsedSlots::KeepUnlessNoFix
                                                      : UsedSlots::Keep,
                   first);
            break;
        }
        default:
            if (store.Sky.Extended()) store.SkyTextsChanged(TextsOfAllSystemsUsed);
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
    Talker talker;
    return RecognizeSentenceType(typeText, talker);
}

uint8_t RecognizeSentenceType(std::string_view typeText, Talker& talker) {
    talker = Talker::None;
    if (typeText.size() != SentenceTypeTextLength) return SentenceTypeNone;
    talker = TalkerFromText(typeText.substr(0, TalkerTextLength));
    if (talker == Talker::None) return SentenceTypeNone;
    const uint32_t key = NameKey(typeText.data() + TalkerTextLength);
    for (uint8_t type = 0; type < SentenceTypeCount; ++type)
        if (NameKeys.Keys[type] == key) return type;
    return SentenceTypeNone;
}

void FormatTexts(uint8_t job, const NMEA_Manager& store, DataDisplay& display) {
    if (job == TextsOfAllSystemsUsed) {
        const UsedSkyNote& sky = store.SkyNoteOf(job);
        if (sky.Extended) FormatUsedOfAllSystems(sky, display);
    } else if (job < SentenceTypeCount && Rows[job].Format) {
        Rows[job].Format(store, display);
    }
}

const char* SentenceTypeName(uint8_t type) {
    return type < SentenceTypeCount ? Rows[type].Name : nullptr;
}
