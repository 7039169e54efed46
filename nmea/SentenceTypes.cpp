#include "nmea/SentenceTypes.h"

#include <algorithm>
#include <iterator>

#include "nmea/FieldList.h"
#include "nmea/Formatting.h"
#include "nmea/ModelWriters.h"
#include "nmea/NmeaManager.h"
#include "nmea/RecordChange.h"
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

// GGA, GLL, RMC and VTG: the sentence is decoded into a copy of the record
// first, and a sentence refused for a field out of range ends there. The
// record is filled when the talker speaks for it (SolutionTalkers.h) and its
// texts noted when it was decoded (RecordChange.h); the views are refreshed
// either way. write(next, sound) fills it.
template <class Record, class Parse, class Write>
bool FillRecord(const Record& record, SentenceSteps& steps, Parse&& parse, Write&& write) {
    Record next = record;
    bool refused = false;
    const bool sound = parse(next, refused);
    if (refused) return false;
    steps.Accept();
    return write(next, sound);
}

template <uint8_t Type, class Record, class Parse>
bool FillRecord(NMEA_Manager& store, Talker talker, Record& record, SentenceSteps& steps,
                Parse&& parse) {
    return FillRecord(record, steps, parse, [&](const Record& next, bool sound) {
        return WriteRecord<Type>(store, talker, record, next, sound, [](bool) {});
    });
}

// GGA fields of the position: time, latitude, N/S, longitude, E/W; altitude.
constexpr int GgaLatitudeField = 2;
constexpr int GgaAltitudeField = 9;
constexpr int RmcLatitudeField = 3;
constexpr int RmcModeField = 12;
constexpr int GgaAgeField = 13;
constexpr int GgaStationField = 14;

PositionFields PositionOf(const FieldList& f, int latitude) {
    return {f.At(TimeFieldOfOthers), f.At(latitude), f.At(latitude + 1), f.At(latitude + 2),
            f.At(latitude + 3)};
}

bool HandleGga(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord(
        store.Gga, steps,
        [&](NMEA_GGA_Object& next, bool& refused) { return ParseGGA(fields, next, refused); },
        [&](const NMEA_GGA_Object& next, bool sound) {
            const GgaFields gga{PositionOf(fields, GgaLatitudeField), fields.At(GgaAltitudeField),
                                fields.At(GgaAgeField), fields.At(GgaStationField)};
            return WriteGga(store, talker, next, sound, gga);
        });
}

bool HandleGll(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord<SentenceTypeGLL>(
        store, talker, store.Gll, steps,
        [&](NMEA_GLL_Object& next, bool& refused) { return ParseGLL(fields, next, refused); });
}

bool HandleRmc(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord(
        store.Rmc, steps,
        [&](NMEA_RMC_Object& next, bool& refused) { return ParseRMC(fields, next, refused); },
        [&](const NMEA_RMC_Object& next, bool sound) {
            return WriteRmc(store, talker, next, sound, PositionOf(fields, RmcLatitudeField),
                            fields.At(RmcModeField));
        });
}

bool HandleVtg(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord<SentenceTypeVTG>(
        store, talker, store.Vtg, steps,
        [&](NMEA_VTG_Object& next, bool& refused) { return ParseVTG(fields, next, refused); });
}

// The GSA is decoded into a copy first: a GSA refused for a field out of
// range changes nothing, not even the clearing of the GPS slots by the
// first GN GSA of a cycle. The satellite table notes its used satellites
// as the sentence is accepted (ObserveGsa).
bool HandleGsa(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    const Constellation system =
        talker == Talker::GN ? GsaSystem(talker, fields) : Constellation::Unknown;
    const NMEA_GSA_Object base = GsaBase(store, talker);
    NMEA_GSA_Object next = base;
    bool refused = false;
    const bool sound = ParseGSA(fields, next, GsaSlotsOf(talker, system), refused);
    if (refused) return false;
    steps.Accept();
    return WriteGsa(store, talker, system, base, next, sound);
}

// Only the extended table holds the other systems' satellites: a GPS page
// refreshes when it completed a set of the GPS table, or of the extended one
// while that is shown. A GPS page is decoded into a copy of the GPS table
// first, so that a page refused for a field out of range changes neither table.
bool HandleGsv(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    if (talker != Talker::GP) return steps.Accept();
    NMEA_GSV_Object next = store.Gsv;
    bool refused = false;
    const bool completed = ParseGSV(fields, next, refused);
    if (refused) return false;
    const bool setCompleted = steps.Accept();
    store.Gsv = next;
    return completed || (setCompleted && store.Sky.Extended());
}

// ZDA and MSS change no record; the views are refreshed. A ZDA whose time or
// date is out of range is refused: it begins no receiver cycle.
bool HandleZda(NMEA_Manager&, Talker, const FieldList& fields, SentenceSteps& steps) {
    if (!ZdaInRange(fields)) return false;
    steps.Accept();
    return true;
}

// GNS fills no record: its mode indicators, one letter per system, give
// the receiver's solution as RMC's do. The views are refreshed only when
// that solution changed (a GGA's quality stands over them).
constexpr int GnsModeField = 6;

bool HandleGns(NMEA_Manager& store, Talker, const FieldList& fields, SentenceSteps& steps) {
    steps.Accept();
    const RtkState before = store.Rtk;
    store.Rtk.FromModes(fields.At(GnsModeField));
    return store.Rtk.Fix != before.Fix || store.Rtk.Age.From != before.Age.From;
}

bool RefreshOnly(NMEA_Manager&, Talker, const FieldList&, SentenceSteps& steps) {
    steps.Accept();
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
    {SentenceTypeZDA, "ZDA", ObserveTime<TimeFieldOfOthers>, HandleZda, nullptr},
    {SentenceTypeMSS, "MSS", nullptr, RefreshOnly, nullptr},
    {SentenceTypeGNS, "GNS", nullptr, HandleGns, nullptr},
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
    if (job == TextsOfFixMode) {
        FormatFixMode(store.Talkers.FixType(), display);
    } else if (job == TextsOfAllSystemsUsed) {
        const UsedSkyNote& sky = store.SkyNoteOf(job);
        if (sky.Extended) FormatUsedOfAllSystems(sky, display);
    } else if (job < SentenceTypeCount && Rows[job].Format) {
        Rows[job].Format(store, display);
    }
}

const char* SentenceTypeName(uint8_t type) {
    return type < SentenceTypeCount ? Rows[type].Name : nullptr;
}
