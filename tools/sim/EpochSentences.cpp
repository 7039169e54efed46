#include "tools/sim/EpochSentences.h"

#include "tools/sim/NmeaText.h"

namespace {

constexpr int SatellitesPerGsvPage = 4;
constexpr double KmhPerKnot = 1.852;
constexpr char NoFixDop[] = "99.99";
constexpr std::array<const char*, GnssCount> GsvTalkers = {"GP", "GL", "GA", "GB"};
constexpr int GsaSlots = 12;

std::string Talker(TalkerMode mode) {
    return mode == TalkerMode::Multi ? "GN" : "GP";
}

bool HasFix(const EpochState& e) {
    return e.Fix != FixKind::None;
}

std::string TimeField(const EpochState& e) {
    return e.TimeKnown ? FormatNmeaTime(SplitUtc(e.UnixMs)) : "";
}

std::string Position(const EpochState& e) {
    return FormatLatitude(e.LatDeg) + "," + FormatLongitude(e.LonDeg);
}

// GGA's fix quality and RMC's and GLL's mode indicator of the solution.
char GgaQuality(const EpochState& e) {
    static constexpr char Qualities[] = {'1', '2', '5', '4'};  // by RtkSolution
    return Qualities[static_cast<size_t>(e.Rtk)];
}

char ModeIndicator(const EpochState& e) {
    static constexpr char Modes[] = {'A', 'D', 'F', 'R'};  // by RtkSolution
    return Modes[static_cast<size_t>(e.Rtk)];
}

// The age of differential data and the reference station, empty without corrections.
std::string DifferentialFields(const EpochState& e) {
    if (e.Rtk == RtkSolution::None) return ",";
    return Fixed(e.CorrectionAgeS, 1) + ",0000";
}

std::string Gga(const EpochState& e, TalkerMode mode) {
    std::string s = Talker(mode) + "GGA," + TimeField(e) + ",";
    if (!HasFix(e)) return s + ",,,,0,00," + NoFixDop + ",,,,,,";
    return s + Position(e) + "," + GgaQuality(e) + "," + Padded(e.UsedCount, 2) + "," +
           Fixed(e.Dop.Hdop, 2) + "," + Fixed(e.AltM, 1) + ",M," + Fixed(e.GeoidM, 1) + ",M," +
           DifferentialFields(e);
}

std::string Gll(const EpochState& e, TalkerMode mode) {
    std::string s = Talker(mode) + "GLL,";
    if (!HasFix(e)) return s + ",,,," + TimeField(e) + ",V,N";
    return s + Position(e) + "," + TimeField(e) + ",A," + ModeIndicator(e);
}

std::string GsaFor(const EpochState& e, TalkerMode mode, int system) {
    std::string s = Talker(mode) + "GSA,A," + std::to_string(static_cast<int>(e.Fix) + 1);
    int slots = 0;
    if (HasFix(e)) {
        for (const SatelliteView& v : e.Satellites) {
            if (!v.Used || (system >= 0 && static_cast<int>(v.System) != system)) continue;
            if (slots == GsaSlots) break;
            s += "," + Padded(v.Prn, 2);
            ++slots;
        }
    }
    for (; slots < GsaSlots; ++slots) s += ",";
    s += "," + Fixed(e.Dop.Pdop, 2) + "," + Fixed(e.Dop.Hdop, 2) + "," + Fixed(e.Dop.Vdop, 2);
    if (system >= 0) s += "," + std::to_string(system + 1);  // the NMEA 4.10 system id
    return s;
}

std::vector<std::string> Gsa(const EpochState& e, TalkerMode mode) {
    if (mode == TalkerMode::Gps) return {GsaFor(e, mode, -1)};
    std::vector<std::string> list;
    for (int g = 0; g < GnssCount; ++g) list.push_back(GsaFor(e, mode, g));
    return list;
}

void GsvSet(const EpochState& e, int system, std::vector<std::string>& list) {
    std::vector<const SatelliteView*> sats;
    for (const SatelliteView& v : e.Satellites)
        if (static_cast<int>(v.System) == system) sats.push_back(&v);
    const int count = static_cast<int>(sats.size());
    const int pages = count == 0 ? 1 : (count + SatellitesPerGsvPage - 1) / SatellitesPerGsvPage;
    for (int p = 0; p < pages; ++p) {
        std::string s = std::string(GsvTalkers[system]) + "GSV," + std::to_string(pages) + "," +
                        std::to_string(p + 1) + "," + Padded(count, 2);
        for (int k = p * SatellitesPerGsvPage; k < count && k < (p + 1) * SatellitesPerGsvPage;
             ++k) {
            const SatelliteView& v = *sats[k];
            s += "," + Padded(v.Prn, 2) + "," + Padded(v.Elevation, 2) + "," +
                 Padded(v.Azimuth, 3) + "," + (v.Snr >= 0 ? Padded(v.Snr, 2) : "");
        }
        list.push_back(s);
    }
}

std::vector<std::string> Gsv(const EpochState& e, TalkerMode mode) {
    std::vector<std::string> list;
    const int systems = mode == TalkerMode::Multi ? GnssCount : 1;
    for (int g = 0; g < systems; ++g) GsvSet(e, g, list);
    return list;
}

std::string Rmc(const EpochState& e, TalkerMode mode) {
    const std::string date = e.TimeKnown ? FormatNmeaDate(SplitUtc(e.UnixMs)) : "";
    std::string s = Talker(mode) + "RMC," + TimeField(e) + ",";
    if (!HasFix(e)) return s + "V,,,,,,," + date + ",,,N";
    return s + "A," + Position(e) + "," + Fixed(e.SpeedKmh / KmhPerKnot, 3) + "," +
           Fixed(e.CourseDeg, 2) + "," + date + ",,," + ModeIndicator(e);
}

std::string Vtg(const EpochState& e, TalkerMode mode) {
    std::string s = Talker(mode) + "VTG,";
    if (!HasFix(e)) return s + ",T,,M,,N,,K,N";
    return s + Fixed(e.CourseDeg, 2) + ",T,,M," + Fixed(e.SpeedKmh / KmhPerKnot, 3) + ",N," +
           Fixed(e.SpeedKmh, 3) + ",K,A";
}

std::string Zda(const EpochState& e, TalkerMode mode) {
    std::string s = Talker(mode) + "ZDA,";
    if (!e.TimeKnown) return s + ",,,,00,00";
    const UtcTime t = SplitUtc(e.UnixMs);
    return s + FormatNmeaTime(t) + "," + Padded(t.Day, 2) + "," + Padded(t.Month, 2) + "," +
           Padded(t.Year, 4) + ",00,00";
}

}  // namespace

const char* SentenceKindName(SentenceKind kind) {
    static constexpr std::array<const char*, SentenceKindCount> Names = {"GGA", "GLL", "GSA", "GSV",
                                                                         "RMC", "VTG", "ZDA"};
    return Names[static_cast<size_t>(kind)];
}

std::vector<std::string> ComposeSentences(SentenceKind kind, const EpochState& epoch,
                                          TalkerMode mode) {
    switch (kind) {
        case SentenceKind::GGA:
            return {Gga(epoch, mode)};
        case SentenceKind::GLL:
            return {Gll(epoch, mode)};
        case SentenceKind::GSA:
            return Gsa(epoch, mode);
        case SentenceKind::GSV:
            return Gsv(epoch, mode);
        case SentenceKind::RMC:
            return {Rmc(epoch, mode)};
        case SentenceKind::VTG:
            return {Vtg(epoch, mode)};
        case SentenceKind::ZDA:
            return {Zda(epoch, mode)};
    }
    return {};
}
