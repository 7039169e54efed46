#include "nmea/SatelliteSky.h"

#include <algorithm>
#include <atomic>
#include <bitset>

#include "nmea/FieldRanges.h"
#include "nmea/GPSUtils.h"

namespace {

constexpr int GsvHeaderFields = 4;  // address, total, page, in view
constexpr int FieldsPerSatellite = 4;
constexpr int MaxEntriesPerPage = 4;
constexpr int GsaFixTypeField = 2;
constexpr int32_t GsaNoFix = 1;
constexpr int GsaFirstPrn = 3;
constexpr int GsaPrnSlots = 12;
constexpr int GsaDopFields = 3;
constexpr int GsaFieldsWithSystemId = GsaFirstPrn + GsaPrnSlots + GsaDopFields + 1;

// Satellites by system, then number, as one key.
uint32_t OrderKey(const SkySatellite& s) {
    return static_cast<uint32_t>(s.System) << 16 | s.Prn;
}

// Satellites a GPS receiver reports under its own talker: GPS, SBAS, QZSS.
bool GpsReceiverReports(Constellation c) {
    return c == Constellation::Gps || c == Constellation::Sbas || c == Constellation::Qzss;
}

constexpr int64_t MsPerDay = 24 * 3600 * 1000;

// The milliseconds of the day of an hhmmss[.sss] time; false when it is not one.
bool TimeOfDayMs(std::string_view time, int64_t& ms) {
    constexpr size_t ClockDigits = 6;
    if (time.size() < ClockDigits) return false;
    int64_t whole = 0;
    for (size_t i = 0; i < ClockDigits; ++i) {
        if (time[i] < '0' || time[i] > '9') return false;
        whole = whole * 10 + (time[i] - '0');
    }
    int64_t fraction = 0, scale = 1000;
    if (time.size() > ClockDigits && time[ClockDigits] == '.')
        for (size_t i = ClockDigits + 1; i < time.size() && scale > 1; ++i) {
            if (time[i] < '0' || time[i] > '9') break;
            scale /= 10;
            fraction += (time[i] - '0') * scale;
        }
    ms = ((whole / 10000 * 60 + whole / 100 % 100) * 60 + whole % 100) * 1000 + fraction;
    return ms < MsPerDay + 1000;  // a leap second stays within the day's end
}

// Numbers below this are told apart by a table; above it (rare) by a search.
constexpr int NumbersByTable = 256;

// Reads an entry field that may be empty: false when it holds anything but
// a number; 'given' tells whether it held one.
inline bool ReadOptional(const FieldList& f, int i, int32_t& value, bool& given) {
    given = f.Int(i, value);
    return given || f.Empty(i);
}

// Reads satellite entry k of a GSV page; false when the page must be
// rejected. An entry without a number is left out (count stays).
bool ReadEntry(const FieldList& f, int k, Talker talker, SkySatellite& sat, bool& present) {
    const int first = GsvHeaderFields + k * FieldsPerSatellite;
    int32_t prn = 0, elevation = 0, azimuth = 0, snr = 0;
    present = f.Int(first, prn) && prn > 0;
    if (!present) return true;
    // Elevation, azimuth and SNR may be empty; anything else must be a number.
    bool hasElevation, hasAzimuth, hasSnr;
    if (!ReadOptional(f, first + 1, elevation, hasElevation) ||
        !ReadOptional(f, first + 2, azimuth, hasAzimuth) ||
        !ReadOptional(f, first + 3, snr, hasSnr))
        return false;
    if (!ElevationInRange(elevation) || !AzimuthInRange(azimuth) || !SnrInRange(snr)) return false;
    sat.Prn = static_cast<uint16_t>(prn);
    sat.Elevation = static_cast<int8_t>(elevation);
    sat.Azimuth = static_cast<int16_t>(azimuth);
    sat.Snr = static_cast<uint8_t>(snr);
    sat.Placed = hasElevation && hasAzimuth;
    sat.Source = talker;
    sat.System = SatelliteConstellation(TalkerConstellation(talker), prn);
    return true;
}

Constellation SystemOfGsa(const FieldList& f, Talker talker) {
    int32_t id = 0;
    if (f.Count() == GsaFieldsWithSystemId && f.Int(GsaFieldsWithSystemId - 1, id)) {
        const Constellation bySystemId = SystemIdConstellation(id);
        if (bySystemId != Constellation::Unknown) return bySystemId;
    }
    const Constellation byTalker = TalkerConstellation(talker);
    if (byTalker != Constellation::Unknown) return byTalker;
    int32_t prn = 0;
    for (int i = GsaFirstPrn; i < GsaFirstPrn + GsaPrnSlots; ++i)
        if (f.Int(i, prn) && prn > 0) return PrnConstellation(prn);
    return Constellation::Unknown;
}

int GsaPrnFieldCount(const FieldList& f) {
    const int fixed = GsaFirstPrn + GsaDopFields;
    if (f.Count() == GsaFieldsWithSystemId) return GsaPrnSlots;
    return std::max(0, f.Count() - fixed);
}

}  // namespace

uint64_t SatelliteSky::NextUsedStamp() {
    static std::atomic<uint64_t> stamps{0};
    return ++stamps;
}

Constellation GsaSystem(Talker talker, const FieldList& fields) {
    return SystemOfGsa(fields, talker);
}

void SatelliteSky::ObserveTime(std::string_view time) {
    if (time.empty() || time.size() > FTime.size()) return;
    if (time == std::string_view(FTime.data(), FTimeLength)) return;
    std::copy(time.begin(), time.end(), FTime.begin());
    FTimeLength = time.size();
    ++FCycle;
    int64_t ms;
    if (TimeOfDayMs(time, ms)) {
        if (FTimeOfDayMs >= 0)
            FClockMs +=
                static_cast<uint64_t>(((ms - FTimeOfDayMs) % MsPerDay + MsPerDay) % MsPerDay);
        FTimeOfDayMs = ms;
    }
    EndCycle();
}

// A new receiver cycle begins: what the last one renewed stays, the rest
// goes. A cycle without any GSV (or GSA) keeps the sets (or lists) as they are,
// for receivers that report the sky less often than the position.
void SatelliteSky::EndCycle() {
    const bool anySet = std::any_of(Sets().begin(), Sets().end(),
                                    [](const SignalSet& s) { return s.Active && s.Renewed; });
    for (SignalSet& s : Sets()) {
        if (anySet && !s.Renewed) s.Active = false;
        s.Renewed = false;
    }
    const bool anyList = std::any_of(Lists().begin(), Lists().end(),
                                     [](const UsedList& l) { return l.Active && l.Renewed; });
    for (UsedList& l : Lists()) {
        if (anyList && !l.Renewed && l.Active) {
            l.Active = false;
            FUsedStamp = NextUsedStamp();
        }
        l.Renewed = false;
    }
}

// At most one set in use belongs to a talker and signal, so the set found
// last, asked for again by the next page, is looked at first.
SatelliteSky::SignalSet* SatelliteSky::FindSet(Talker talker, int32_t signal) {
    // Shown, or being assembled: a set whose pages all came and which is no
    // longer shown leaves its slot free.
    const auto inUse = [](const SignalSet& s) {
        return s.Active || (s.Pages > 0 && s.Pages < s.Total);
    };
    SignalSet& last = FSets[FLastSet];
    if (inUse(last) && last.Source == talker && last.Signal == signal) return &last;
    SignalSet* free = nullptr;
    for (SignalSet& s : Sets()) {
        if (inUse(s) && s.Source == talker && s.Signal == signal) return Remember(s);
        if (!inUse(s) && !free) free = &s;
    }
    if (!free && FSetsTaken < FSets.size()) free = &FSets[FSetsTaken++];
    if (!free) return nullptr;
    *free = SignalSet{};
    free->Source = talker;
    free->Signal = signal;
    return Remember(*free);
}

SatelliteSky::SignalSet* SatelliteSky::Remember(SignalSet& set) {
    FLastSet = static_cast<size_t>(&set - FSets.data());
    return &set;
}

bool SatelliteSky::ObserveGsv(Talker talker, const FieldList& f) {
    int32_t total = 0, page = 0, inView = 0, signal = 0;
    if (!f.Int(1, total) || !f.Int(2, page) || !f.Int(3, inView)) return false;
    if (total < 1 || total > SkyMaxPages || page < 1 || page > total) return false;
    const int entryFields = f.Count() - GsvHeaderFields;
    if (entryFields < 0 || entryFields % FieldsPerSatellite > 1) return false;
    if (entryFields % FieldsPerSatellite == 1 && !f.Hex(f.Count() - 1, signal)) return false;
    const int entries = entryFields / FieldsPerSatellite;
    if (entries > MaxEntriesPerPage) return false;

    // Every entry is read before anything is kept: a page refused for a
    // field out of range leaves the table as it was.
    SkySatellite read[MaxEntriesPerPage];
    int readCount = 0;
    for (int k = 0; k < entries; ++k) {
        bool present = false;
        if (!ReadEntry(f, k, talker, read[readCount], present)) return false;
        readCount += present;
    }

    SignalSet* set = FindSet(talker, signal);
    // Some receivers give the signal id on the last page of a set only: such
    // a page continues the set that has none.
    if (set && page > 1 && signal != 0 && set->Pages != page - 1) {
        SignalSet* plain = FindSet(talker, 0);
        if (plain && plain->Pages == page - 1) set = plain;
    }
    if (!set) return false;
    if (page == 1) {
        set->Total = total;
        set->InView = inView;
        set->BuildingCount = 0;
    } else if (set->Pages != page - 1 || set->Total != total || set->InView != inView) {
        set->Pages = 0;
        return false;
    }
    for (int k = 0; k < readCount; ++k) set->Building[set->BuildingCount++] = read[k];
    set->Pages = page;
    if (page != total) return false;
    Show(*set);
    return true;
}

void SatelliteSky::Show(SignalSet& set) {
    std::copy_n(set.Building.begin(), set.BuildingCount, set.Shown.begin());
    set.ShownCount = set.BuildingCount;
    set.Foreign = std::any_of(set.Shown.begin(), set.Shown.begin() + set.ShownCount,
                              [](const SkySatellite& s) { return !GpsReceiverReports(s.System); });
    set.Active = true;
    set.Renewed = true;
}

bool SatelliteSky::ObserveSet(Talker talker, int32_t signal, int32_t total, int32_t inView,
                              const SkySatellite* satellites, int count) {
    SignalSet* set = FindSet(talker, signal);
    if (!set) return false;
    count = std::min(count, SkySetCapacity);
    set->Total = total;
    set->InView = inView;
    set->Pages = total;
    std::copy_n(satellites, count, set->Building.begin());
    set->BuildingCount = count;
    Show(*set);
    return true;
}

SatelliteSky::UsedList* SatelliteSky::FindList(Constellation system) {
    UsedList* free = nullptr;
    for (UsedList& l : Lists()) {
        if (l.Active && l.System == system) return &l;
        if (!l.Active && !free) free = &l;
    }
    if (!free && FListsTaken < FLists.size()) free = &FLists[FListsTaken++];
    if (free) *free = UsedList{};
    return free;
}

void SatelliteSky::ObserveGsa(Talker talker, const FieldList& f) {
    int32_t fixType = 0;
    const bool noFix = f.Int(GsaFixTypeField, fixType) && fixType == GsaNoFix;
    int32_t numbers[FieldList::Capacity];
    int count = 0;
    const int slots = GsaPrnFieldCount(f);
    for (int i = GsaFirstPrn; i < GsaFirstPrn + slots; ++i) {
        int32_t prn = 0;
        if (f.Int(i, prn) && prn > 0) numbers[count++] = prn;
    }
    ObserveUsed(talker, SystemOfGsa(f, talker), noFix, numbers, count);
}

void SatelliteSky::ObserveUsed(Talker talker, Constellation system, bool noFix,
                               const int32_t* numbers, int count) {
    // Without a fix no satellite of any system is used, whichever system
    // this report speaks for (a combined GSA that lists none speaks for none).
    if (noFix)
        for (UsedList& l : Lists()) {
            if (l.Active) FUsedStamp = NextUsedStamp();
            l.Active = false;
        }
    if (system == Constellation::Unknown) return;
    UsedList* list = FindList(system);
    if (!list) return;
    // The first report of a system in a cycle writes the list over in
    // place; a later one of the same cycle adds the satellites not listed
    // yet. The stamp moves when what the list shows changed.
    const bool joins = list->Active && list->Renewed;
    bool changed = !list->Active;
    const int before = list->Count;
    list->Active = true;
    list->Renewed = true;
    list->Source = joins ? list->Source : talker;
    list->System = system;
    if (!joins) list->Count = 0;
    for (int i = 0; i < count && list->Count < SkyUsedCapacity; ++i) {
        const int32_t prn = numbers[i];
        const UsedSatellite used{SatelliteConstellation(system, prn), static_cast<uint16_t>(prn)};
        const auto listed = list->Satellites.begin() + list->Count;
        if (joins && std::find_if(list->Satellites.begin(), listed, [&](const UsedSatellite& u) {
                         return u.System == used.System && u.Prn == used.Prn;
                     }) != listed)
            continue;
        UsedSatellite& slot = list->Satellites[list->Count++];
        changed |= list->Count > before || slot.System != used.System || slot.Prn != used.Prn;
        slot = used;
    }
    list->Foreign =
        std::any_of(list->Satellites.begin(), list->Satellites.begin() + list->Count,
                    [](const UsedSatellite& u) { return !GpsReceiverReports(u.System); });
    if (changed || list->Count != before) FUsedStamp = NextUsedStamp();
}

// Satellites of another system under the GP talker (an NMEA 2.x receiver's
// GLONASS numbers) count as another talker's.
bool SatelliteSky::Extended() const {
    const auto foreign = [](Talker t) { return t != Talker::GP; };
    int gpsSignals = 0;
    for (const SignalSet& s : Sets()) {
        if (!s.Active) continue;
        if (foreign(s.Source) || s.Foreign || s.Total > GsvMaxPages) return true;
        ++gpsSignals;
    }
    return gpsSignals > 1 || std::any_of(Lists().begin(), Lists().end(), [&](const UsedList& l) {
               return l.Active && (foreign(l.Source) || l.Foreign);
           });
}

int SatelliteSky::Satellites(SkySatellite* out, int capacity, Order order) const {
    // A satellite heard on several signals is listed once: the table tells
    // whether it is listed already, and only then is it looked for.
    std::bitset<ConstellationCount * NumbersByTable> listed;
    int count = 0;
    for (const SignalSet& s : Sets()) {
        if (!s.Active) continue;
        for (int i = 0; i < s.ShownCount; ++i) {
            const SkySatellite& sat = s.Shown[i];
            const bool byTable = sat.Prn < NumbersByTable;
            const size_t slot = static_cast<size_t>(sat.System) * NumbersByTable + sat.Prn;
            SkySatellite* known = out + count;
            if (!byTable || listed[slot])
                known = std::find_if(out, out + count, [&](const SkySatellite& o) {
                    return o.System == sat.System && o.Prn == sat.Prn;
                });
            if (known != out + count) {
                if (sat.Snr > known->Snr) known->Snr = sat.Snr;
                if (!known->Placed && sat.Placed)
                    *known = SkySatellite{sat.Prn, sat.Elevation, sat.Azimuth, known->Snr,
                                          true,    sat.System,    sat.Source};
            } else if (count < capacity) {
                out[count++] = sat;
                if (byTable) listed.set(slot);
            }
        }
    }
    if (order == Order::BySystem)
        std::sort(out, out + count, [](const SkySatellite& a, const SkySatellite& b) {
            return OrderKey(a) < OrderKey(b);
        });
    return count;
}

int SatelliteSky::UsedSatellites(UsedSatellite* out, int capacity) const {
    int count = 0;
    ForEachUsed([&](const UsedSatellite& used) {
        if (count < capacity) out[count++] = used;
    });
    return count;
}

bool SatelliteSky::Used(Constellation system, uint16_t prn) const {
    for (const UsedList& l : Lists()) {
        if (!l.Active) continue;
        for (int i = 0; i < l.Count; ++i)
            if (l.Satellites[i].System == system && l.Satellites[i].Prn == prn) return true;
    }
    return false;
}

int SatelliteSky::InViewOf(Talker talker) const {
    uint16_t seen[SkyMaxSatellites];
    int count = 0;
    for (const SignalSet& s : Sets()) {
        if (!s.Active || s.Source != talker) continue;
        for (int i = 0; i < s.ShownCount; ++i)
            if (std::find(seen, seen + count, s.Shown[i].Prn) == seen + count &&
                count < SkyMaxSatellites)
                seen[count++] = s.Shown[i].Prn;
    }
    return count;
}
