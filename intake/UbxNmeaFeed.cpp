#include "intake/UbxNmeaFeed.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "nmea/Dispatch.h"
#include "nmea/SentenceTypes.h"

namespace {

constexpr int SentenceRoom = 100;  // a framed sentence's longest text
constexpr int SatellitesPerPage = 4;
constexpr int MaxPages = 9;
constexpr int GsaSlots = 12;
constexpr double KnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr int8_t UnknownElevation = -91;
constexpr uint8_t FixOkFlag = 0x01;
constexpr uint8_t DiffSolutionFlag = 0x02;
constexpr int CarrierShift = 6;
constexpr uint8_t NavClass = 0x01;
constexpr uint8_t NavPvtId = 0x07;
constexpr uint8_t NavDopId = 0x04;

// One system of NAV-SAT as NMEA tells it: the talker of its GSV pages, the
// system id of its GSA and the NMEA number of a satellite.
struct SystemOfGnss {
    uint8_t GnssId;
    const char* Talker;
    int SystemId;
    int PrnOffset;
};
constexpr SystemOfGnss Systems[] = {
    {0, "GP", 1, 0},    // GPS
    {1, "GP", 1, -87},  // SBAS 120-151 as 33-64
    {6, "GL", 2, 64},   // GLONASS 1-32 as 65-96
    {2, "GA", 3, 0},    // Galileo
    {3, "GB", 4, 0},    // BeiDou
    {5, "GQ", 5, 0},    // QZSS
};

// Ends the text in buffer with its checksum, which the records keep, and
// hands it to its type's handler, unchecked and uncounted.
bool Dispatch(NMEA_Manager& store, char* text, int length) {
    if (length <= 0 || length > SentenceRoom - 3) return false;
    unsigned sum = 0;
    for (int i = 1; i < length; ++i) sum ^= static_cast<unsigned char>(text[i]);
    std::snprintf(text + length, 5, "*%02X\r", sum);
    return HandleOwnSentence(std::string_view(text, static_cast<size_t>(length) + 4), store);
}

// Appends plain text at 'at' within the sentence room; returns the new end.
int Put(char* text, int at, const char* plain) {
    const int n = static_cast<int>(std::strlen(plain));
    if (at < 0 || at + n >= SentenceRoom) return -1;
    std::memcpy(text + at, plain, static_cast<size_t>(n) + 1);
    return at + n;
}

// Appends formatted text at 'at' within the sentence room; returns the new end.
template <class... Args>
int Put(char* text, int at, const char* format, Args... args) {
    if (at < 0 || at >= SentenceRoom) return -1;
    const int n = std::snprintf(text + at, static_cast<size_t>(SentenceRoom - at), format, args...);
    return n < 0 || at + n >= SentenceRoom ? -1 : at + n;
}

// ",%0*u" without printf: the satellite fields are the bulk of the feed.
int PutNumber(char* text, int at, unsigned value, int width) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && n < static_cast<int>(sizeof digits));
    while (n < width && n < static_cast<int>(sizeof digits)) digits[n++] = '0';
    if (at < 0 || at + n + 1 >= SentenceRoom) return -1;
    text[at++] = ',';
    while (n > 0) text[at++] = digits[--n];
    text[at] = 0;
    return at;
}

int PutEmpty(char* text, int at, int count) {
    if (at < 0 || at + count >= SentenceRoom) return -1;
    for (int i = 0; i < count; ++i) text[at++] = ',';
    text[at] = 0;
    return at;
}

int PutAngle(char* text, int at, int32_t value, int degreeDigits, char positive, char negative) {
    const double degrees = std::fabs(value / 1e7);
    const int whole = static_cast<int>(degrees);
    const double minutes = (degrees - whole) * 60.0;
    return Put(text, at, ",%0*d%08.5f,%c", degreeDigits, whole, minutes,
               value < 0 ? negative : positive);
}

int PutTime(char* text, int at, const UbxPvtRecord& p) {
    int centis = static_cast<int>(std::lround(p.Nano / 1e7));
    if (centis < 0) centis = 0;
    if (centis > 99) centis = 99;
    return Put(text, at, ",%02u%02u%02u.%02d", p.Hour, p.Minute, p.Second, centis);
}

bool HasFix(const UbxPvtRecord& p) {
    return (p.Flags & FixOkFlag) && p.FixType >= 2 && p.FixType <= 4;
}

int FixQuality(const UbxPvtRecord& p) {
    if (!HasFix(p)) return 0;
    const int carrier = (p.Flags >> CarrierShift) & 0x03;
    if (carrier == 2) return 4;
    if (carrier == 1) return 5;
    return (p.Flags & DiffSolutionFlag) ? 2 : 1;
}

// The GSA fix type (1 none, 2 2D, 3 3D) of NAV-PVT, or of NAV-SOL from a
// receiver without NAV-PVT.
int GsaFixType(const NMEA_Manager& store) {
    const UbxState& ubx = store.Ubx;
    const bool pvt = ubx.CountOf(NavClass, NavPvtId) > 0;
    const uint8_t type = pvt ? ubx.Pvt.FixType : ubx.Sol.GpsFix;
    const bool ok = ((pvt ? ubx.Pvt.Flags : ubx.Sol.Flags) & FixOkFlag) != 0;
    if (!ok || type < 2 || type > 4) return 1;
    return type == 2 ? 2 : 3;
}

// True while the receiver's own sound sentences of one kind ('own', as the
// tally counts them) have not moved since the frame of that kind before
// ('mark'), which then takes the count.
bool OwnKindSilent(uint64_t& mark, uint64_t own) {
    const bool silent = own == mark;
    mark = own;
    return silent;
}

bool FeedGga(NMEA_Manager& store, const UbxPvtRecord& p) {
    char text[SentenceRoom + 4];
    int at = Put(text, 0, "$GNGGA");
    at = PutTime(text, at, p);
    if (HasFix(p)) {
        at = PutAngle(text, at, p.Lat, 2, 'N', 'S');
        at = PutAngle(text, at, p.Lon, 3, 'E', 'W');
    } else {
        at = Put(text, at, ",,,,");
    }
    at = Put(text, at, ",%d,%02u,%.2f", FixQuality(p), p.NumSv, store.Ubx.Dop.HDop / 100.0);
    if (HasFix(p))
        at = Put(text, at, ",%.1f,M,%.1f,M,,", p.HMsl / 1e3, (p.Height - p.HMsl) / 1e3);
    else
        at = Put(text, at, ",,M,,M,,");
    return Dispatch(store, text, at);
}

bool FeedRmc(NMEA_Manager& store, const UbxPvtRecord& p) {
    char text[SentenceRoom + 4];
    int at = Put(text, 0, "$GNRMC");
    at = PutTime(text, at, p);
    at = Put(text, at, ",%c", HasFix(p) ? 'A' : 'V');
    if (HasFix(p)) {
        at = PutAngle(text, at, p.Lat, 2, 'N', 'S');
        at = PutAngle(text, at, p.Lon, 3, 'E', 'W');
        at = Put(text, at, ",%.3f,%.2f", p.GSpeed / 1e3 * KnotsPerMetrePerSecond, p.HeadMot / 1e5);
    } else {
        at = Put(text, at, ",,,,,,");
    }
    if (p.Valid & 0x01)
        at = Put(text, at, ",%02u%02u%02u", p.Day, p.Month, p.Year % 100);
    else
        at = Put(text, at, ",");
    at = Put(text, at, ",,,%c", HasFix(p) ? 'A' : 'N');
    return Dispatch(store, text, at);
}

// The GSV pages of one system's satellites, at most nine pages.
bool FeedGsv(NMEA_Manager& store, const SystemOfGnss& system, const UbxSatellite* const* sats,
             int count) {
    bool refresh = false;
    if (count > MaxPages * SatellitesPerPage) count = MaxPages * SatellitesPerPage;
    const int pages = count == 0 ? 1 : (count + SatellitesPerPage - 1) / SatellitesPerPage;
    for (int page = 0; page < pages; ++page) {
        char text[SentenceRoom + 4];
        int at = Put(text, 0, "$%sGSV,%d,%d,%02d", system.Talker, pages, page + 1, count);
        for (int i = page * SatellitesPerPage; i < count && i < (page + 1) * SatellitesPerPage;
             ++i) {
            const UbxSatellite& s = *sats[i];
            at = Put(text, at, ",%02d", s.SvId + system.PrnOffset);
            if (s.Elevation != UnknownElevation && s.Elevation >= 0)
                at = Put(text, at, ",%02d,%03d", s.Elevation, s.Azimuth);
            else
                at = Put(text, at, ",,");
            at = s.Cno > 0 ? Put(text, at, ",%02u", s.Cno) : Put(text, at, ",");
        }
        refresh |= Dispatch(store, text, at);
    }
    return refresh;
}

// One GSA of a system: its used satellites (twelve at most) and the DOPs,
// of NAV-DOP or, from a receiver that sends none, the PDOP of NAV-PVT.
bool FeedGsa(NMEA_Manager& store, int systemId, const int* used, int count) {
    UbxDopRecord dop = store.Ubx.Dop;
    const UbxPvtRecord& p = store.Ubx.Pvt;
    if (store.Ubx.CountOf(NavClass, NavDopId) == 0) dop.PDop = p.PDop;
    char text[SentenceRoom + 4];
    int at = Put(text, 0, "$GNGSA,A,%d", GsaFixType(store));
    for (int i = 0; i < GsaSlots; ++i)
        at = i < count ? PutNumber(text, at, static_cast<unsigned>(used[i]), 2)
                       : PutEmpty(text, at, 1);
    at = Put(text, at, ",%.2f,%.2f,%.2f,%d", dop.PDop / 100.0, dop.HDop / 100.0, dop.VDop / 100.0,
             systemId);
    return Dispatch(store, text, at);
}

}  // namespace

bool FeedPvtAsNmea(NMEA_Manager& store) {
    UbxState& ubx = store.Ubx;
    const uint64_t own =
        store.Tally.SoundOfType(SentenceTypeGGA) + store.Tally.SoundOfType(SentenceTypeRMC);
    ubx.FeedsPosition = OwnKindSilent(ubx.OwnPositionAtPvt, own);
    if (!ubx.FeedsPosition) return false;
    const UbxPvtRecord& p = ubx.Pvt;
    const bool gga = FeedGga(store, p);
    const bool rmc = FeedRmc(store, p);
    return gga || rmc;
}

bool FeedSatellitesAsNmea(NMEA_Manager& store) {
    UbxState& ubx = store.Ubx;
    ubx.FeedsSky = OwnKindSilent(ubx.OwnSkyAtSat, store.Tally.SoundOfType(SentenceTypeGSV));
    if (!ubx.FeedsSky) return false;
    const UbxSatRecord& sat = store.Ubx.Sat;
    bool refresh = false;
    for (const SystemOfGnss& system : Systems) {
        if (system.GnssId == 1) continue;  // SBAS goes with the GPS pages
        const UbxSatellite* inView[UbxMaxSatellites];
        int used[UbxMaxSatellites];
        int count = 0;
        int usedCount = 0;
        for (const SystemOfGnss& member : Systems) {
            if (std::strcmp(member.Talker, system.Talker) != 0) continue;
            for (int i = 0; i < sat.Count; ++i) {
                const UbxSatellite& s = sat.Satellites[i];
                if (s.GnssId != member.GnssId) continue;
                inView[count++] = &s;
                if (s.Used) used[usedCount++] = s.SvId + member.PrnOffset;
            }
        }
        if (count == 0) continue;
        refresh |= FeedGsv(store, system, inView, count);
        refresh |= FeedGsa(store, system.SystemId, used, usedCount);
    }
    return refresh;
}
