#include "eval/Export.h"

#include <charconv>
#include <cstdio>

namespace {

// Coordinates carry the receiver's own decimals; this many when not known
// (about a millimetre).
constexpr int CoordinateDecimals = 8;
constexpr int MetreDecimals = 3;
constexpr int DopDecimals = 2;
constexpr int FirstYear = 2000;  // the records keep two-digit years
constexpr char Creator[] = "LumarokUb";
constexpr char TrackName[] = "LumarokUb recording";

// 'value' with 'decimals' digits after the point, never a decimal comma.
std::string Fixed(double value, int decimals) {
    char text[64];
    const auto r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, r.ptr);
}

int DecimalsOf(const Epoch& e) {
    return e.PositionDecimals > 0 ? e.PositionDecimals : CoordinateDecimals;
}

// GPX's fix names: a differential solution (RTK too) is "dgps".
const char* FixName(const Epoch& e) {
    switch (e.Fix) {
        case EpochFix::Fix2D:
            return IsDifferential(e.Solution) ? "dgps" : "2d";
        case EpochFix::Fix3D:
            return e.Quality == 2 || IsDifferential(e.Solution) ? "dgps" : "3d";
        default:
            return "none";
    }
}

// The receiver's solution as the exports name it beside GPX's fix.
const char* SolutionName(const Epoch& e) {
    switch (e.Solution) {
        case RtkFix::Fixed:
            return "rtk-fixed";
        case RtkFix::Float:
            return "rtk-float";
        case RtkFix::Dgnss:
            return "dgnss";
        case RtkFix::Fix3D:
            return "3d";
        case RtkFix::Fix2D:
            return "2d";
        case RtkFix::DeadReckoning:
            return "dr";
        case RtkFix::NoFix:
            return "none";
        case RtkFix::Unknown:
            break;
    }
    return "";
}

constexpr char ExtensionNamespace[] = "https://lumarokub.example/gpx/1";

// A dilution of precision the receiver reported; empty when it did not.
std::string Dop(double value) {
    return value > 0 ? Fixed(value, DopDecimals) : std::string();
}

std::string TimeOfDay(uint32_t ms) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

}  // namespace

std::string IsoTime(const Epoch& e) {
    if (e.UtcMs == Epoch::NoTime || e.Date == 0) return {};
    const unsigned year = FirstYear + (e.Date >> 16), month = e.Date >> 8 & 0xFF,
                   day = e.Date & 0xFF;
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT", year, month, day);
    return text + TimeOfDay(e.UtcMs) + "Z";
}

void ExportCsv(const EpochRange& epochs, std::ostream& out) {
    out << "host_s,utc,fix,quality,latitude,longitude,altitude_m,speed_m_s,course_deg,"
           "pdop,hdop,vdop,used,in_view,solution,correction_age_s\n";
    epochs([&](const Epoch& e) {
        if (e.UtcMs == Epoch::NoTime && !e.HasPosition) return;
        std::string utc = IsoTime(e);
        if (utc.empty() && e.UtcMs != Epoch::NoTime) utc = TimeOfDay(e.UtcMs);
        out << Fixed(e.HostMs / 1000.0, MetreDecimals) << ',' << utc << ',' << FixName(e) << ','
            << static_cast<int>(e.Quality) << ',';
        if (e.HasPosition)
            out << Fixed(e.Latitude, DecimalsOf(e)) << ',' << Fixed(e.Longitude, DecimalsOf(e))
                << ',';
        else
            out << ",,";
        if (e.HasAltitude) out << Fixed(e.Altitude, MetreDecimals);
        out << ',' << Fixed(e.SpeedMs, MetreDecimals) << ',' << Fixed(e.Course, DopDecimals) << ','
            << Dop(e.Pdop) << ',' << Dop(e.Hdop) << ',' << Dop(e.Vdop) << ',' << e.UsedCount << ','
            << e.InViewCount << ',' << SolutionName(e) << ','
            << (e.CorrectionAge >= 0 ? Fixed(e.CorrectionAge, 1) : std::string()) << '\n';
    });
}

void ExportGpx(const EpochRange& epochs, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<gpx version=\"1.1\" creator=\"" << Creator
        << "\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        << "  <trk>\n    <name>" << TrackName << "</name>\n    <trkseg>\n";
    epochs([&](const Epoch& e) {
        if (!e.HasPosition) return;
        out << "      <trkpt lat=\"" << Fixed(e.Latitude, DecimalsOf(e)) << "\" lon=\""
            << Fixed(e.Longitude, DecimalsOf(e)) << "\">";
        // The elements in the order the GPX schema gives.
        if (e.HasAltitude) out << "<ele>" << Fixed(e.Altitude, MetreDecimals) << "</ele>";
        const std::string time = IsoTime(e);
        if (!time.empty()) out << "<time>" << time << "</time>";
        out << "<fix>" << FixName(e) << "</fix><sat>" << e.UsedCount << "</sat>";
        if (e.Hdop > 0) out << "<hdop>" << Fixed(e.Hdop, DopDecimals) << "</hdop>";
        if (e.Vdop > 0) out << "<vdop>" << Fixed(e.Vdop, DopDecimals) << "</vdop>";
        if (e.Pdop > 0) out << "<pdop>" << Fixed(e.Pdop, DopDecimals) << "</pdop>";
        if (e.CorrectionAge >= 0)
            out << "<ageofdgpsdata>" << Fixed(e.CorrectionAge, 1) << "</ageofdgpsdata>";
        // GPX names no RTK solution: an extension of our own says it.
        if (e.Solution == RtkFix::Fixed || e.Solution == RtkFix::Float)
            out << "<extensions><solution xmlns=\"" << ExtensionNamespace << "\">"
                << SolutionName(e) << "</solution></extensions>";
        out << "</trkpt>\n";
    });
    out << "    </trkseg>\n  </trk>\n</gpx>\n";
}

void ExportKml(const EpochRange& epochs, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n    <name>" << TrackName
        << "</name>\n    <Placemark>\n      <name>Track</name>\n      <LineString>\n"
        << "        <altitudeMode>absolute</altitudeMode>\n        <coordinates>\n";
    epochs([&](const Epoch& e) {
        if (!e.HasPosition) return;
        out << "          " << Fixed(e.Longitude, DecimalsOf(e)) << ','
            << Fixed(e.Latitude, DecimalsOf(e)) << ','
            << Fixed(e.HasAltitude ? e.Altitude : 0.0, MetreDecimals) << '\n';
    });
    out << "        </coordinates>\n      </LineString>\n    </Placemark>\n  </Document>\n</kml>\n";
}

void ExportEventsCsv(const std::vector<WatchEvent>& events, std::ostream& out) {
    out << "host_s,utc,kind,value,threshold,text\n";
    for (const WatchEvent& e : events) {
        out << Fixed(e.HostMs / 1000.0, MetreDecimals) << ','
            << (e.UtcMs != Epoch::NoTime ? TimeOfDay(e.UtcMs) : std::string()) << ','
            << AlarmKindName(e.Kind) << ',' << Fixed(e.Value, DopDecimals) << ','
            << Fixed(e.Limit, DopDecimals) << ",\"" << e.Text << "\"\n";
    }
}
