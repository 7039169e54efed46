// How a record takes a new value so that the display texts, formatted later
// (NmeaManager.h), read as if each change had been formatted on arrival.
#pragma once

#include <cstdint>

#include "nmea/NmeaManager.h"

namespace record_change {

// A record whose texts leave out some its previous state wrote: GLL and RMC
// clear the altitude text only while their status is not valid.
template <class Record>
bool WritesFewerTexts(const Record&, const Record&) {
    return false;
}
inline bool WritesFewerTexts(const NMEA_GLL_Object& before, const NMEA_GLL_Object& after) {
    return before.Status != StatusValid && after.Status == StatusValid;
}
inline bool WritesFewerTexts(const NMEA_RMC_Object& before, const NMEA_RMC_Object& after) {
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

}  // namespace record_change

// Runs change(), which alters 'record' and is false for a report that
// failed, and notes the texts of a sound one. While the texts of the
// record's last report still wait, they are formatted first from the
// record as it was when the new report leaves part of itself in a record
// it failed in, or would not write every text the waiting one writes.
template <class Record, class Change>
void ChangeRecord(NMEA_Manager& store, uint8_t job, Record& record, Change&& change) {
    if (!store.TextsPending(job)) {
        if (change()) store.TextsChanged(job);
        return;
    }
    const Record before = record;
    if (!change()) {
        record_change::FormatAsBefore(store, record, before);
        return;
    }
    if (record_change::WritesFewerTexts(before, record))
        record_change::FormatAsBefore(store, record, before);
    store.TextsChanged(job);
}

// Fills 'record' with 'next' (decoded from a report of the record's type,
// sound or not) when the talker speaks for it (SolutionTalkers.h), and notes
// its texts; after(sound) runs once the record was filled. False when the
// talker does not fill the record.
template <uint8_t Type, class Record, class After>
bool WriteRecord(NMEA_Manager& store, Talker talker, Record& record, const Record& next, bool sound,
                 After&& after) {
    if (!store.Talkers.FillsRecord(Type, talker, store.Sky.Cycle(), store.Sky.ReceiverMs()))
        return false;
    ChangeRecord(store, Type, record, [&] {
        record = next;
        return sound;
    });
    after(sound);
    return true;
}
