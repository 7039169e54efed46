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

// GGA, GLL, RMC and VTG: the sentence is decoded into a copy of the record
// first, and a sentence refused for a field out of range ends there. The
// record is filled when the talker speaks for it (SolutionTalkers.h) and its
// texts noted when it was decoded; the views are refreshed either way.
// after(sound) runs once the record was filled.
template <uint8_t Type, class Record, class Parse, class After>
bool FillRecord(NMEA_Manager& store, Talker talker, Record& record, SentenceSteps& steps,
                Parse&& parse, After&& after) {
    Record next = record;
    bool refused = false;
    const bool sound = parse(next, refused);
    if (refused) return false;
    steps.Accept();
    if (!store.Talkers.FillsRecord(Type, talker, store.Sky.Cycle(), store.Sky.ReceiverMs()))
        return false;
    ChangeRecord(store, Type, record, [&] {
        record = next;
        return sound;
    });
    after(sound);
    return true;
}

template <uint8_t Type, class Record, class Parse>
bool FillRecord(NMEA_Manager& store, Talker talker, Record& record, SentenceSteps& steps,
                Parse&& parse) {
    return FillRecord<Type>(store, talker, record, steps, parse, [](bool) {});
}

// GGA fields of the position: latitude, N/S, longitude, E/W; altitude.
constexpr int GgaLatitudeField = 2;
constexpr int GgaAltitudeField = 9;
constexpr int RmcLatitudeField = 3;
constexpr int RmcModeField = 12;
constexpr int GgaAgeField = 13;
constexpr int GgaStationField = 14;

// Keeps the position fields; without an altitude field (RMC) the altitude
// of the last GGA stays.
void KeepPosition(NMEA_Manager& store, const FieldList& f, int latitude, int altitude) {
    store.Position.SetTime(f.At(TimeFieldOfOthers));
    store.Position.Set(f.At(latitude), f.At(latitude + 1), f.At(latitude + 2), f.At(latitude + 3));
    if (altitude >= 0) store.Position.SetAltitude(f.At(altitude));
}

constexpr uint8_t FixTypeNone = 1;
constexpr uint8_t FixType2D = 2;
constexpr uint8_t FixType3D = 3;

// Sets the fix mode a GGA or RMC tells while no GSA tells it.
void TellFixMode(NMEA_Manager& store, uint8_t type, uint8_t fixType) {
    if (!store.Talkers.TellsFixMode(type, store.Sky.ReceiverMs())) return;
    store.Talkers.SetFixType(fixType);
    store.TextsChanged(TextsOfFixMode);
}

// A GGA with a fix and an altitude is a 3D fix, without an altitude a 2D one.
bool HandleGga(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord<SentenceTypeGGA>(
        store, talker, store.Gga, steps,
        [&](NMEA_GGA_Object& next, bool& refused) { return ParseGGA(fields, next, refused); },
        [&](bool sound) {
            if (!sound) return;
            KeepPosition(store, fields, GgaLatitudeField, GgaAltitudeField);
            const uint8_t fixType = store.Gga.Message.Spc.FixQuality == 0 ? FixTypeNone
                                    : fields.Empty(GgaAltitudeField)      ? FixType2D
                                                                          : FixType3D;
            TellFixMode(store, SentenceTypeGGA, fixType);
            store.Rtk.FromGga(store.Gga.Message.Spc.FixQuality, !fields.Empty(GgaAltitudeField),
                              fields.At(GgaAgeField), fields.At(GgaStationField));
        });
}

bool HandleGll(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord<SentenceTypeGLL>(
        store, talker, store.Gll, steps,
        [&](NMEA_GLL_Object& next, bool& refused) { return ParseGLL(fields, next, refused); });
}

// RMC tells a 2D fix unless its status is V or its mode indicator N.
bool HandleRmc(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord<SentenceTypeRMC>(
        store, talker, store.Rmc, steps,
        [&](NMEA_RMC_Object& next, bool& refused) { return ParseRMC(fields, next, refused); },
        [&](bool sound) {
            if (!sound) return;
            KeepPosition(store, fields, RmcLatitudeField, -1);
            const std::string_view mode = fields.At(RmcModeField);
            const bool fixed =
                store.Rmc.Message.Status == StatusValid && (mode.empty() || mode[0] != 'N');
            TellFixMode(store, SentenceTypeRMC, fixed ? FixType2D : FixTypeNone);
            store.Rtk.FromModes(fixed ? (mode.empty() ? std::string_view("A") : mode) : "N");
        });
}

bool HandleVtg(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    return FillRecord<SentenceTypeVTG>(
        store, talker, store.Vtg, steps,
        [&](NMEA_VTG_Object& next, bool& refused) { return ParseVTG(fields, next, refused); });
}

// The GPS numbers of 'added' not in 'slots' join them, in the free slots.
void JoinUsedSlots(uint8_t (&slots)[UsedPrnSlots], const uint8_t (&added)[UsedPrnSlots]) {
    for (uint8_t prn : added) {
        if (prn == 0 || std::find(std::begin(slots), std::end(slots), prn) != std::end(slots))
            continue;
        uint8_t* const free = std::find(std::begin(slots), std::end(slots), 0);
        if (free != std::end(slots)) *free = prn;
    }
}

// A GSA fills the record when it speaks for GPS (GP: as a GPS receiver's,
// SBAS included; GN: the GPS satellites of its list, joined to those of the
// cycle's earlier GN GSAs) and leaves the used slots alone when it speaks
// for another system. A single-system or marine talker's GSA fills the fix
// mode and DOPs only while no GP or GN GSA does (SolutionTalkers.h); the
// satellite table has its satellites, and the used texts of all systems are
// formatted again. The GSA is decoded into a copy first: a GSA refused for
// a field out of range changes nothing, not even the clearing of the GPS
// slots by the first GN GSA of a cycle.
bool HandleGsa(NMEA_Manager& store, Talker talker, const FieldList& fields, SentenceSteps& steps) {
    const uint32_t cycle = store.Sky.Cycle();
    const bool combined = talker == Talker::GN;
    const bool clears = combined && store.Talkers.FirstCombinedGsa(cycle);
    const Constellation system = combined ? GsaSystem(talker, fields) : Constellation::Unknown;
    const UsedSlots slots = talker == Talker::GP               ? UsedSlots::GpsAndSbas
                            : !combined                        ? UsedSlots::Keep
                            : system == Constellation::Gps     ? UsedSlots::GpsOnly
                            : system == Constellation::Unknown ? UsedSlots::KeepUnlessNoFix
                                                               : UsedSlots::Keep;
    NMEA_GSA_Object next = store.Gsa;
    if (clears) std::fill(std::begin(next.Message.UsedPrn), std::end(next.Message.UsedPrn), 0);
    const NMEA_GSA_Object base = next;
    bool refused = false;
    const bool sound = ParseGSA(fields, next, slots, refused);
    if (refused) return false;
    steps.Accept();
    if (combined) store.Talkers.CombinedGsaTaken(cycle);
    if (slots == UsedSlots::GpsOnly && system == Constellation::Gps) {
        uint8_t joined[UsedPrnSlots];
        std::copy(std::begin(base.Message.UsedPrn), std::end(base.Message.UsedPrn), joined);
        JoinUsedSlots(joined, next.Message.UsedPrn);
        std::copy(std::begin(joined), std::end(joined), next.Message.UsedPrn);
    }
    if (!store.Talkers.GsaFillsFix(talker, store.Sky.ReceiverMs())) {
        if (store.Sky.Extended()) store.SkyTextsChanged(TextsOfAllSystemsUsed);
        return true;
    }
    ChangeRecord(store, SentenceTypeGSA, store.Gsa, [&] {
        store.Gsa = next;
        if (!sound) return false;
        store.SkyTextsChanged(SentenceTypeGSA);
        return true;
    });
    return true;
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
