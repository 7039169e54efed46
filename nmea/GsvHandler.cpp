#include "nmea/FieldReader.h"
#include "nmea/SentenceHandlers.h"

namespace {

constexpr int MaxElevation = 90;
constexpr int AzimuthLimit = 360;
constexpr int MaxSnr = 70;

// Page p (2 and up) continues the set only after page p-1 of the same total.
bool ContinuesSet(const NMEA_GSV_Object& gsv, int page, int total) {
    const GsvPage& previous = gsv.Pages[page - 2];
    return previous.Complete == 1 && previous.Total == total;
}

// Reads one satellite entry; false when the page must be rejected.
bool ReadSatellite(FieldReader& r, GsvSatellite& sat) {
    int32_t value;
    if (!r.Int(value)) return false;
    sat.Prn = static_cast<uint8_t>(value);
    if (!r.Int(value)) return false;
    sat.Elevation = static_cast<int8_t>(value);
    if (!r.Int(value)) return false;
    sat.Azimuth = static_cast<int16_t>(value);
    if (!r.Int(value)) return false;
    sat.Snr = static_cast<uint8_t>(value);
    return sat.Elevation <= MaxElevation && sat.Azimuth < AzimuthLimit && sat.Snr <= MaxSnr;
}

}  // namespace

bool ParseGSV(std::string_view sentence, NMEA_GSV_Object& gsv) {
    FieldReader r(sentence);
    int32_t total, page, inView;
    if (!r.Int(total) || !r.Int(page)) return false;
    if (total > GsvMaxPages || page == 0 || page > GsvMaxPages) return false;
    if (page < 0) return false;  // a negative page number names no page entry
    if (page == 1)
        ClearSatellites(gsv);
    else if (!ContinuesSet(gsv, page, total))
        return false;

    GsvPage& entry = gsv.Pages[page - 1];
    entry.Total = static_cast<uint8_t>(total);
    entry.Number = static_cast<uint8_t>(page);
    if (!r.Int(inView)) return false;
    gsv.InView = entry.InView = static_cast<uint8_t>(inView);
    if (page > 1 && gsv.Pages[page - 2].InView != entry.InView) return false;

    for (int k = 0; k < GsvSatellitesPerPage; ++k) {
        if (!ReadSatellite(r, gsv.Satellites[(page - 1) * GsvSatellitesPerPage + k])) return false;
        if (r.At(r.Position()) == '*') break;
    }
    if (!r.Hex(entry.Checksum)) return false;
    entry.Complete = 1;
    return page == total;
}
