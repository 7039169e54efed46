// The satellites of every system a multi-constellation receiver reports, kept
// beside the GPS satellite table: one GSV set per talker and signal, each
// assembled page by page (in order, with the same total and count of
// satellites in view, up to nine pages), and the used satellites of each
// system's GSA. What one receiver cycle (the sentences between two changes of
// the reported UTC time) renewed replaces what the cycle before reported;
// several GSAs of one system in one cycle (a receiver listing each signal,
// or more than twelve satellites) are joined.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "nmea/Constellation.h"
#include "nmea/FieldList.h"

struct SkySatellite {
    uint16_t Prn = 0;
    int8_t Elevation = 0;
    int16_t Azimuth = 0;
    uint8_t Snr = 0;      // strongest signal, dB-Hz; 0 = not tracked
    bool Placed = false;  // elevation and azimuth reported
    Constellation System = Constellation::Unknown;
    Talker Source = Talker::None;
};

struct UsedSatellite {
    Constellation System = Constellation::Unknown;
    uint16_t Prn = 0;
};

constexpr int SkyMaxPages = 9;
constexpr int SkySetCapacity = SkyMaxPages * 4;
constexpr int SkyMaxSets = 32;
constexpr int SkyMaxSatellites = 192;
constexpr int SkyMaxUsedLists = 16;
constexpr int SkyUsedCapacity = 32;
constexpr int SkyMaxUsed = SkyMaxUsedLists * SkyUsedCapacity;

class SatelliteSky {
  public:
    // The observers of sound sentences, each called by its type's row of the
    // sentence table with the sentence's split fields.
    // A GSV page; true when it was the last page of a set.
    bool ObserveGsv(Talker talker, const FieldList& fields);
    void ObserveGsa(Talker talker, const FieldList& fields);
    // The UTC time field of a GGA, GLL, RMC or ZDA: a new time begins a cycle.
    void ObserveTime(std::string_view time);

    // The value-taking forms the observers above end in, for a receiver
    // that reports the sky in one piece (UBX NAV-SAT): a whole set of
    // 'total' pages of a talker and signal, 'count' satellites of
    // 'inView'; and the used satellites of one system ('noFix': none of
    // any system is used), the numbers as NMEA gives them.
    bool ObserveSet(Talker talker, int32_t signal, int32_t total, int32_t inView,
                    const SkySatellite* satellites, int count);
    void ObserveUsed(Talker talker, Constellation system, bool noFix, const int32_t* numbers,
                     int count);

    // True while the GPS satellite table cannot show all of the sky: a system
    // other than the GP talker's is reported, or the GP talker reports more
    // than four pages in a set, or its satellites on more than one signal.
    bool Extended() const;
    // The receiver cycle: counts the changes of the reported UTC time.
    uint32_t Cycle() const { return FCycle; }
    // The receiver clock in milliseconds: how far the reported UTC times
    // have moved on since the first (forward across midnight; a time that
    // goes back counts as a move forward by the rest of the day).
    uint64_t ReceiverMs() const { return FClockMs; }
    // Every satellite in view once, ordered by system and number (or, for a
    // reader that needs no order, as the signal sets hold them); a satellite
    // reported on several signals carries its strongest SNR.
    enum class Order { BySystem, AsHeard };
    int Satellites(SkySatellite* out, int capacity, Order order = Order::BySystem) const;
    // Calls visit(const SkySatellite&, int32_t signalId) for each satellite
    // of each signal set (a satellite heard on two signals is visited twice),
    // the signal id as NMEA 4.10 gives it (0: not given).
    template <class Visit>
    void ForEachSignal(Visit&& visit) const {
        for (const SignalSet& s : Sets()) {
            if (!s.Active) continue;
            for (int i = 0; i < s.ShownCount; ++i) visit(s.Shown[i], s.Signal);
        }
    }
    // The used satellites, ordered by system and in the order the GSA listed them.
    int UsedSatellites(UsedSatellite* out, int capacity) const;
    // Calls visit(const UsedSatellite&) for each used satellite in that order.
    template <class Visit>
    void ForEachUsed(Visit&& visit) const {
        const UsedList* active[SkyMaxUsedLists];
        int count = 0;
        for (const UsedList& l : Lists())
            if (l.Active) active[count++] = &l;
        for (int system = 0; system < ConstellationCount; ++system)
            for (int k = 0; k < count; ++k) {
                const UsedList& l = *active[k];
                if (static_cast<int>(l.System) != system) continue;
                for (int i = 0; i < l.Count; ++i) visit(l.Satellites[i]);
            }
    }
    bool Used(Constellation system, uint16_t prn) const;
    // How many satellites ForEachUsed visits.
    int UsedCount() const {
        int count = 0;
        for (const UsedList& l : Lists())
            if (l.Active) count += l.Count;
        return count;
    }
    // Moves whenever the used satellites change, and differs between tables
    // that were never copies of one another: equal stamps, equal lists.
    uint64_t UsedStamp() const { return FUsedStamp; }
    // Distinct satellites in view in the sets of one talker.
    int InViewOf(Talker talker) const;

  private:
    struct SignalSet {
        bool Active = false;
        bool Renewed = false;
        bool Foreign = false;  // holds a satellite a GPS receiver never reports
        Talker Source = Talker::None;
        int32_t Signal = 0;  // NMEA 4.10 signal id, 0 when not given
        int32_t Total = 0, InView = 0, Pages = 0;
        int BuildingCount = 0, ShownCount = 0;
        // Only the first BuildingCount and ShownCount entries are ever read.
        std::array<SkySatellite, SkySetCapacity> Building{}, Shown{};
    };
    struct UsedList {
        bool Active = false;
        bool Renewed = false;
        bool Foreign = false;  // as SignalSet's
        Talker Source = Talker::None;
        Constellation System = Constellation::Unknown;
        int Count = 0;
        std::array<UsedSatellite, SkyUsedCapacity> Satellites{};
    };

    static uint64_t NextUsedStamp();
    void EndCycle();
    void Show(SignalSet& set);  // the set's pages all came
    SignalSet* FindSet(Talker talker, int32_t signal);
    SignalSet* Remember(SignalSet& set);  // the set FindSet looks at first next time
    UsedList* FindList(Constellation system);

    // The slots up to the highest ever taken: slots are taken first free
    // first, so those past it are all free and the loops stop there.
    template <class T>
    struct Slots {
        T* First;
        T* Last;
        T* begin() const { return First; }
        T* end() const { return Last; }
    };
    Slots<SignalSet> Sets() { return {FSets.data(), FSets.data() + FSetsTaken}; }
    Slots<const SignalSet> Sets() const { return {FSets.data(), FSets.data() + FSetsTaken}; }
    Slots<UsedList> Lists() { return {FLists.data(), FLists.data() + FListsTaken}; }
    Slots<const UsedList> Lists() const { return {FLists.data(), FLists.data() + FListsTaken}; }

    std::array<SignalSet, SkyMaxSets> FSets{};
    size_t FSetsTaken = 0;
    size_t FLastSet = 0;
    std::array<UsedList, SkyMaxUsedLists> FLists{};
    size_t FListsTaken = 0;
    std::array<char, 16> FTime{};
    size_t FTimeLength = 0;
    uint32_t FCycle = 0;
    uint64_t FClockMs = 0;
    int64_t FTimeOfDayMs = -1;  // of the last time read, -1 before the first
    uint64_t FUsedStamp = NextUsedStamp();
};

// The system a GSA speaks for: its NMEA 4.10 system id, else its talker,
// else (a combined GSA of older receivers) the number of its first
// satellite; Unknown for a combined GSA that lists none.
Constellation GsaSystem(Talker talker, const FieldList& fields);
