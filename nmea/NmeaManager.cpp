#include "nmea/NmeaManager.h"

NMEA_Manager* NmeaManager = nullptr;

namespace {
// Long enough for the longest formatted texts, so that formatting in the
// steady state only copies characters and never allocates.
constexpr size_t TextReserve = 64;
}  // namespace

NMEA_Manager::NMEA_Manager() {
    for (std::string* text :
         {&Display.FixModeText, &Display.FixValidText, &Display.HdopText, &Display.VdopText,
          &Display.PdopText, &Display.UsedPrnText, &Display.SatsUsedText, &Display.DateText,
          &Display.LocalTimeText, &Display.GmtText, &Display.LatText, &Display.LonText,
          &Display.SpeedText, &Display.CourseText, &Display.AltText})
        text->reserve(TextReserve);
}
