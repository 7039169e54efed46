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

// A page whose every field up to its last entry is empty or plain digits,
// decoded at once: each value is what the reader would give, as the walk
// from the sentence's start meets nothing in the address that the walk would
// read (no digit, no '*', no NUL, no trailing '-'). Reads then take the
// values in order, and the checksum is walked from where the reader would
// stand.
class PlainPage {
  public:
    static constexpr int MaxFields = GsvHeaderFields + GsvSatellitesPerPage * FieldsPerSatellite;

    bool Decode(const FieldList& f, int entries) {
        const std::string_view s = f.Sentence();
        const int fields = GsvHeaderFields + entries * FieldsPerSatellite;
        if (f.Count() <= fields) return false;
        const int addressEnd = f.End(0);
        if (s[0] == ',') return false;
        for (int i = 0; i < addressEnd; ++i) {
            const char c = s[static_cast<size_t>(i)];
            if ((c >= '0' && c <= '9') || c == '*' || c == 0) return false;
        }
        if (s[static_cast<size_t>(addressEnd - 1)] == '-') return false;
        for (int i = 1; i <= fields; ++i) {
            const char* p = s.data() + f.Start(i);
            const char* end = s.data() + f.End(i);
            uint32_t v = 0;
            if (!ShortDigits(p, end, v)) {
                v = 0;  // wrapping as the reader's 32-bit register does
                for (; p != end; ++p) {
                    if (*p < '0' || *p > '9') return false;
                    v = v * 10 + static_cast<uint32_t>(*p - '0');
                }
            }
            FValues[i - 1] = static_cast<int32_t>(v);
        }
        FSentence = s;
        FEnd = f.End(fields);
        return true;
    }

    bool Int(int32_t& value) {
        value = FValues[FNext++];
        return true;
    }
    bool Hex(uint8_t& value) {
        const int next = ParseHexField(FEnd, FSentence, value);
        return next >= 0 && next <= static_cast<int>(FSentence.size());
    }
    bool Reject() {
        FOutOfRange = true;
        return false;
    }
    bool OutOfRange() const { return FOutOfRange; }

  private:
    int32_t FValues[MaxFields];
    int FNext = 0;
    std::string_view FSentence;
    int FEnd = 0;
    bool FOutOfRange = false;
};

// Reads one satellite entry; false when the page must be rejected.
template <class Reader>
bool ReadSatellite(Reader& r, GsvSatellite& sat) {
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

template <class Reader>
bool DecodeGsv(Reader& r, NMEA_GSV_Object& gsv, int entries) {
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

bool ParseGSV(const FieldList& fields, NMEA_GSV_Object& gsv, bool& refused) {
    const int entries = EntriesOnPage(fields);
    PlainPage plain;
    refused = false;
    if (plain.Decode(fields, entries)) {
        const NMEA_GSV_Object before = gsv;
        if (DecodeGsv(plain, gsv, entries)) return true;
        refused = plain.OutOfRange();
        if (refused) gsv = before;
        return false;
    }
    return DecodeGuarded(
        fields, gsv,
        [entries](FieldReader& r, NMEA_GSV_Object& record) {
            return DecodeGsv(r, record, entries);
        },
        refused);
}
