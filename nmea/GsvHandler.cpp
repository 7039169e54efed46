#include "nmea/FieldRanges.h"
#include "nmea/FieldReader.h"
#include "nmea/SentenceHandlers.h"

namespace {

constexpr int GsvHeaderFields = 3;  // total, page, in view
constexpr int FieldsPerSatellite = 4;

// Page p (2 and up) continues the set only after page p-1 of the same total.
bool ContinuesSet(const NMEA_GSV_Object& gsv, int page, int total) {
    const GsvPage& previous = gsv.Pages[page - 2];
    return previous.Complete == 1 && previous.Total == total;
}

// The satellite entries of a page: every whole group of four fields after
// the header. A single field left over is the signal id of NMEA 4.10, which
// the GPS table does not keep. (A page of more than 64 fields, which the
// split does not count in full, has more than four entries either way.)
int EntriesOnPage(const FieldList& f) {
    const int fields = f.Count() - 1 - GsvHeaderFields;
    const int entries = fields / FieldsPerSatellite;
    return entries < GsvSatellitesPerPage ? entries : GsvSatellitesPerPage;
}

// Reads one satellite entry; false when the page must be rejected.
bool ReadSatellite(FieldReader& r, GsvSatellite& sat) {
    int32_t prn, elevation, azimuth, snr;
    if (!r.Int(prn)) return false;
    sat.Prn = static_cast<uint8_t>(prn);
    if (!r.Int(elevation) || !r.Int(azimuth) || !r.Int(snr)) return false;
    if (!ElevationInRange(elevation) || !AzimuthInRange(azimuth) || !SnrInRange(snr))
        return r.Reject();
    sat.Elevation = static_cast<int8_t>(elevation);
    sat.Azimuth = static_cast<int16_t>(azimuth);
    sat.Snr = static_cast<uint8_t>(snr);
    return true;
}

bool DecodeGsv(FieldReader& r, NMEA_GSV_Object& gsv, int entries) {
    int32_t total, page, inView;
    if (!r.Int(total) || !r.Int(page)) return false;
    if (total > GsvMaxPages || page <= 0 || page > GsvMaxPages) return false;
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

    for (int k = 0; k < entries; ++k)
        if (!ReadSatellite(r, gsv.Satellites[(page - 1) * GsvSatellitesPerPage + k])) return false;
    if (!r.Hex(entry.Checksum)) return false;
    entry.Complete = 1;
    return page == total;
}

}  // namespace

bool ParseGSV(const FieldList& fields, NMEA_GSV_Object& gsv) {
    const int entries = EntriesOnPage(fields);
    return DecodeGuarded(fields, gsv, [entries](FieldReader& r, NMEA_GSV_Object& record) {
        return DecodeGsv(r, record, entries);
    });
}
