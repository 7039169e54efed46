#include "nmea/ModelWriters.h"

#include <algorithm>
#include <iterator>

#include "nmea/RecordChange.h"
#include "nmea/SentenceTypes.h"

namespace {

constexpr uint8_t FixTypeNone = 1;
constexpr uint8_t FixType2D = 2;
constexpr uint8_t FixType3D = 3;

// Keeps the position fields; 'altitude' null (RMC) keeps the altitude of
// the last GGA.
void KeepPosition(NMEA_Manager& store, const PositionFields& f, const std::string_view* altitude) {
    store.Position.SetTime(f.Time);
    store.Position.Set(f.Latitude, f.North, f.Longitude, f.East);
    if (altitude) store.Position.SetAltitude(*altitude);
}

// Sets the fix mode a GGA or RMC tells while no GSA tells it.
void TellFixMode(NMEA_Manager& store, uint8_t type, uint8_t fixType) {
    if (!store.Talkers.TellsFixMode(type, store.Sky.ReceiverMs())) return;
    store.Talkers.SetFixType(fixType);
    store.TextsChanged(TextsOfFixMode);
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

}  // namespace

void ObserveReportTime(NMEA_Manager& store, std::string_view time) {
    const uint32_t cycle = store.Sky.Cycle();
    store.Sky.ObserveTime(time);
    if (store.Epochs && store.Sky.Cycle() != cycle) store.Epochs->CycleEnded(store);
}

bool WriteGga(NMEA_Manager& store, Talker talker, const NMEA_GGA_Object& next, bool sound,
              const GgaFields& fields) {
    return WriteRecord<SentenceTypeGGA>(store, talker, store.Gga, next, sound, [&](bool taken) {
        if (!taken) return;
        KeepPosition(store, fields.Position, &fields.Altitude);
        const bool altitudeGiven = !fields.Altitude.empty();
        const uint8_t quality = store.Gga.Message.Spc.FixQuality;
        const uint8_t fixType = quality == 0 ? FixTypeNone : altitudeGiven ? FixType3D : FixType2D;
        TellFixMode(store, SentenceTypeGGA, fixType);
        store.Rtk.FromGga(quality, altitudeGiven, fields.Age, fields.Station);
    });
}

bool WriteRmc(NMEA_Manager& store, Talker talker, const NMEA_RMC_Object& next, bool sound,
              const PositionFields& fields, std::string_view mode) {
    return WriteRecord<SentenceTypeRMC>(store, talker, store.Rmc, next, sound, [&](bool taken) {
        if (!taken) return;
        KeepPosition(store, fields, nullptr);
        const bool fixed =
            store.Rmc.Message.Status == StatusValid && (mode.empty() || mode[0] != 'N');
        TellFixMode(store, SentenceTypeRMC, fixed ? FixType2D : FixTypeNone);
        store.Rtk.FromModes(fixed ? (mode.empty() ? std::string_view("A") : mode) : "N");
    });
}

UsedSlots GsaSlotsOf(Talker talker, Constellation system) {
    if (talker == Talker::GP) return UsedSlots::GpsAndSbas;
    if (talker != Talker::GN) return UsedSlots::Keep;
    if (system == Constellation::Gps) return UsedSlots::GpsOnly;
    return system == Constellation::Unknown ? UsedSlots::KeepUnlessNoFix : UsedSlots::Keep;
}

NMEA_GSA_Object GsaBase(const NMEA_Manager& store, Talker talker) {
    NMEA_GSA_Object base = store.Gsa;
    if (talker == Talker::GN && store.Talkers.FirstCombinedGsa(store.Sky.Cycle()))
        std::fill(std::begin(base.Message.UsedPrn), std::end(base.Message.UsedPrn), 0);
    return base;
}

// A GSA fills the record when it speaks for GPS (GP: as a GPS receiver's,
// SBAS included; GN: the GPS satellites of its list, joined to those of the
// cycle's earlier GN GSAs) and leaves the used slots alone when it speaks
// for another system. A single-system or marine talker's GSA fills the fix
// mode and DOPs only while no GP or GN GSA does (SolutionTalkers.h); the
// used texts of all systems are formatted again.
bool WriteGsa(NMEA_Manager& store, Talker talker, Constellation system, const NMEA_GSA_Object& base,
              const NMEA_GSA_Object& decoded, bool sound) {
    NMEA_GSA_Object next = decoded;
    if (talker == Talker::GN) store.Talkers.CombinedGsaTaken(store.Sky.Cycle());
    if (GsaSlotsOf(talker, system) == UsedSlots::GpsOnly) {
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

bool WriteGpsSatellites(NMEA_GSV_Object& gsv, const GsvSatellite* satellites, int count) {
    const int pages = count == 0 ? 1 : (count + GsvSatellitesPerPage - 1) / GsvSatellitesPerPage;
    if (pages > GsvMaxPages) return false;
    ClearSatellites(gsv);
    gsv.InView = static_cast<uint8_t>(count);
    for (int page = 0; page < pages; ++page) {
        GsvPage& entry = gsv.Pages[page];
        entry.Total = static_cast<uint8_t>(pages);
        entry.Number = static_cast<uint8_t>(page + 1);
        entry.InView = gsv.InView;
        entry.Checksum = 0;
        entry.Complete = 1;
    }
    std::copy_n(satellites, count, gsv.Satellites);
    return true;
}
