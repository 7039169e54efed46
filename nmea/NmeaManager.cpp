#include "nmea/NmeaManager.h"

#include <algorithm>

#include "nmea/Formatting.h"
#include "nmea/SentenceTypes.h"

namespace {
// Long enough for the longest formatted texts, so that formatting in the
// steady state only copies characters and never allocates.
constexpr size_t TextReserve = 64;
}  // namespace

NMEA_Manager::NMEA_Manager() {
    for (std::string* text :
         {&FDisplay.FixModeText, &FDisplay.FixValidText, &FDisplay.HdopText, &FDisplay.VdopText,
          &FDisplay.PdopText, &FDisplay.UsedPrnText, &FDisplay.SatsUsedText, &FDisplay.DateText,
          &FDisplay.LocalTimeText, &FDisplay.GmtText, &FDisplay.LatText, &FDisplay.LonText,
          &FDisplay.SpeedText, &FDisplay.CourseText, &FDisplay.AltText})
        text->reserve(TextReserve);
}

// A job noted again moves to the end: its texts are formatted after those of
// every sentence that came before it, as they were on arrival.
void NMEA_Manager::NoteTexts(uint8_t job) {
    uint8_t* const end = FPending + FPendingCount;
    uint8_t* const at = std::find(FPending, end, job);
    if (at != end) {
        std::copy(at + 1, end, at);
        --FPendingCount;
    }
    if (FPendingCount == TextJobCount) FormatPending();  // more jobs than kinds: never
    FPending[FPendingCount++] = job;
}

bool NMEA_Manager::TextsPending(uint8_t job) const {
    return std::find(FPending, FPending + FPendingCount, job) != FPending + FPendingCount;
}

void NMEA_Manager::SkyTextsChanged(uint8_t job) {
    NoteUsedSky(Sky, FSkyNotes[job == SentenceTypeGSA ? 0 : 1]);
    TextsChanged(job);
}

const UsedSkyNote& NMEA_Manager::SkyNoteOf(uint8_t job) const {
    return FSkyNotes[job == SentenceTypeGSA ? 0 : 1];
}

void NMEA_Manager::FormatPending() const {
    const int count = FPendingCount;
    FPendingCount = 0;
    for (int i = 0; i < count; ++i) FormatTexts(FPending[i], *this, FDisplay);
}
