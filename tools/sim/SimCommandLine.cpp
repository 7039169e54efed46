#include "tools/sim/SimCommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/sim/NmeaText.h"
#include "tools/sim/PtyLine.h"

const char* const SimUsage =
    "Usage: lumarokub-sim [options]\n"
    "A GPS receiver on a pseudo-terminal. Prints the slave path on the first line\n"
    "of standard output and runs until SIGINT/SIGTERM or --duration ends.\n"
    "\n"
    "  --baud N            line rate (default 9600); other rates get line noise\n"
    "  --talkers gp|multi  GP only (default) or a multi-constellation receiver\n"
    "  --protocol nmea|ubx|both  NMEA sentences (default), UBX NAV frames or both\n"
    "  --refuse CC-II      answer UBX class CC id II (hex) with ACK-NAK\n"
    "  --generation N      u-blox generation: 8 (default, CFG-MSG and CFG-RATE),\n"
    "                      9 (configuration keys as well) or 10 (keys only)\n"
    "  --seed N            random seed: the same seed gives the same output\n"
    "  --lat D --lon D     start position in degrees (default 25.04776 121.53185)\n"
    "  --alt M             altitude in metres (default 12)\n"
    "  --speed KMH         speed over ground in km/h (default 5)\n"
    "  --course DEG        course over ground in degrees (default 45)\n"
    "  --utc TIME          UTC of the first epoch, YYYY-MM-DDTHH:MM:SS (default now)\n"
    "  --zda               emit ZDA as well\n"
    "  --start KIND        first start: hot (default), warm or cold\n"
    "  --hot S2D,S3D       seconds to 2D and 3D fix after a hot start (default 0.5,1)\n"
    "  --warm S2D,S3D      ... after a warm start (default 25,30)\n"
    "  --cold S2D,S3D      ... after a cold or factory start (default 30,35)\n"
    "  --rtk FLOAT_S,FIXED_S  take RTCM 3 corrections: RTK float after FLOAT_S seconds\n"
    "                      of them, fixed after FIXED_S; a plain fix 10 s after they stop\n"
    "  --time-scale F      divide every simulated delay by F (tests)\n"
    "  --replay FILE       play a capture or NMEA log instead ('#' lines skipped);\n"
    "                      at its end the line stays open and quiet\n"
    "  --rate N            replay N sentences per second (default: back to back)\n"
    "  --loop              replay again from the start at the end\n"
    "  --garbage P         probability of a burst of random bytes before a sentence\n"
    "  --bad-checksum P    probability of a wrong checksum\n"
    "  --long-lines P      probability of a sentence longer than 100 characters\n"
    "  --hangup-after S    close the line after S seconds, as an unplugged adapter\n"
    "  --jam-at S[,DB]     from S simulated seconds on, lower every C/N0 by DB\n"
    "                      (default 15) and raise the jamming indicator\n"
    "  --spoof-at S        from S simulated seconds on, move the position 1.1 km\n"
    "                      north and report spoofing (NAV-STATUS, SEC-SIG)\n"
    "  --mon-rf N          send UBX MON-RF every N solutions (default 0: off)\n"
    "  --mon-span N        send UBX MON-SPAN (the spectrum) every N solutions\n"
    "  --sec-sig N         send UBX SEC-SIG every N solutions\n"
    "  --record FILE       write every byte sent to FILE\n"
    "  --link PATH         make PATH a symbolic link to the slave side\n"
    "  --duration S        stop after S seconds\n"
    "  --verbose           log what is received on standard error\n"
    "  --help              this text\n"
    "  --version           the version\n";

namespace {

bool ToDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ToUnsigned(const std::string& text, unsigned long& value) {
    if (text.empty() || text[0] == '-') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool ToProbability(const std::string& text, double& value) {
    return ToDouble(text, value) && value >= 0 && value <= 1;
}

// "S3D" or "S2D,S3D"; one value gives the 2D fix at four fifths of the 3D time.
bool ToTimes(const std::string& text, AcquisitionTimes& times) {
    const size_t comma = text.find(',');
    double fix2d, fix3d;
    if (comma == std::string::npos) {
        if (!ToDouble(text, fix3d)) return false;
        fix2d = fix3d * 0.8;
    } else if (!ToDouble(text.substr(0, comma), fix2d) ||
               !ToDouble(text.substr(comma + 1), fix3d)) {
        return false;
    }
    if (fix2d < 0 || fix3d < fix2d) return false;
    times = {fix2d, fix3d};
    return true;
}

bool ToStart(const std::string& text, StartKind& kind) {
    if (text == "hot")
        kind = StartKind::Hot;
    else if (text == "warm")
        kind = StartKind::Warm;
    else if (text == "cold")
        kind = StartKind::Cold;
    else
        return false;
    return true;
}

// "S" or "S,DB": the jamming moment and how far it lowers every C/N0.
bool ToJamming(const std::string& text, InterferenceSettings& s) {
    constexpr double MostDb = 60;
    const size_t comma = text.find(',');
    if (!ToDouble(text.substr(0, comma), s.JamAtS) || s.JamAtS < 0) return false;
    if (comma == std::string::npos) return true;
    return ToDouble(text.substr(comma + 1), s.JamDb) && s.JamDb > 0 && s.JamDb <= MostDb;
}

// Every Nth solution, 0 off, as CFG-MSG counts (one byte).
bool ToRate(const std::string& text, unsigned& rate) {
    constexpr unsigned long MostRate = 255;
    unsigned long value = 0;
    if (!ToUnsigned(text, value) || value > MostRate) return false;
    rate = static_cast<unsigned>(value);
    return true;
}

// Options without a value.
bool ApplyFlag(const std::string& name, SimCommandLine& line) {
    if (name == "--help" || name == "-h")
        line.Help = true;
    else if (name == "--version")
        line.Version = true;
    else if (name == "--loop")
        line.Options.Loop = true;
    else if (name == "--zda")
        line.Options.Zda = true;
    else if (name == "--verbose" || name == "-v")
        line.Verbose = true;
    else
        return false;
    return true;
}

bool ApplyValue(const std::string& name, const std::string& v, SimCommandLine& line) {
    SimOptions& o = line.Options;
    unsigned long u = 0;
    double d = 0;
    if (name == "--baud") return ToUnsigned(v, o.Baud) && BaudConstant(o.Baud) != 0;
    if (name == "--talkers") {
        if (v != "gp" && v != "multi") return false;
        o.Talkers = v == "multi" ? TalkerMode::Multi : TalkerMode::Gps;
        return true;
    }
    if (name == "--protocol") {
        if (v != "nmea" && v != "ubx" && v != "both") return false;
        o.Protocol = v == "ubx"    ? SimProtocol::Ubx
                     : v == "both" ? SimProtocol::Both
                                   : SimProtocol::Nmea;
        return true;
    }
    if (name == "--refuse") {
        unsigned messageClass = 0, id = 0;
        char dash = 0, extra = 0;
        if (std::sscanf(v.c_str(), "%2x%c%2x%c", &messageClass, &dash, &id, &extra) != 3 ||
            dash != '-')
            return false;
        o.RefusedUbx = static_cast<uint16_t>((messageClass << 8) | id);
        return true;
    }
    if (name == "--generation") {
        if (v != "8" && v != "9" && v != "10") return false;
        o.Generation = std::stoi(v);
        return true;
    }
    if (name == "--seed") {
        line.SeedGiven = ToUnsigned(v, u) && u <= UINT32_MAX;
        o.Seed = static_cast<uint32_t>(u);
        return line.SeedGiven;
    }
    if (name == "--lat") return ToDouble(v, o.LatDeg) && std::fabs(o.LatDeg) <= 89.9;
    if (name == "--lon") return ToDouble(v, o.LonDeg) && std::fabs(o.LonDeg) <= 180;
    if (name == "--alt") return ToDouble(v, o.AltM) && std::fabs(o.AltM) < 100000;
    if (name == "--speed") return ToDouble(v, o.SpeedKmh) && o.SpeedKmh >= 0 && o.SpeedKmh < 2000;
    if (name == "--course")
        return ToDouble(v, o.CourseDeg) && o.CourseDeg >= 0 && o.CourseDeg < 360;
    if (name == "--utc") return ParseIsoUtc(v, o.StartUnixMs) && o.StartUnixMs > 0;
    if (name == "--start") return ToStart(v, o.FirstStart);
    if (name == "--hot") return ToTimes(v, o.Times[static_cast<int>(StartKind::Hot)]);
    if (name == "--warm") return ToTimes(v, o.Times[static_cast<int>(StartKind::Warm)]);
    if (name == "--cold") {
        if (!ToTimes(v, o.Times[static_cast<int>(StartKind::Cold)])) return false;
        o.Times[static_cast<int>(StartKind::Factory)] = o.Times[static_cast<int>(StartKind::Cold)];
        return true;
    }
    if (name == "--rtk") {
        AcquisitionTimes times;
        if (v.find(',') == std::string::npos || !ToTimes(v, times)) return false;
        o.Rtk = {true, times.Fix2dS, times.Fix3dS};
        return true;
    }
    if (name == "--time-scale") return ToDouble(v, o.TimeScale) && o.TimeScale > 0;
    if (name == "--replay") return !(o.ReplayFile = v).empty();
    if (name == "--rate") return ToDouble(v, o.ReplayRate) && o.ReplayRate > 0;
    if (name == "--garbage") return ToProbability(v, o.Faults.Garbage);
    if (name == "--bad-checksum") return ToProbability(v, o.Faults.BadChecksum);
    if (name == "--long-lines") return ToProbability(v, o.Faults.LongLines);
    if (name == "--hangup-after") return ToDouble(v, o.HangupAfterS) && o.HangupAfterS > 0;
    if (name == "--jam-at") return ToJamming(v, o.Interference);
    if (name == "--spoof-at")
        return ToDouble(v, o.Interference.SpoofAtS) && o.Interference.SpoofAtS >= 0;
    if (name == "--mon-rf") return ToRate(v, o.Interference.RfRate);
    if (name == "--mon-span") return ToRate(v, o.Interference.SpanRate);
    if (name == "--sec-sig") return ToRate(v, o.Interference.SecSigRate);
    if (name == "--record") return !(o.RecordFile = v).empty();
    if (name == "--link") return !(o.LinkPath = v).empty();
    if (name == "--duration") return ToDouble(v, d) && (line.DurationS = d) > 0;
    return false;
}

bool TakesValue(const std::string& name) {
    static const char* const Names[] = {
        "--baud",     "--talkers",      "--protocol",   "--refuse",       "--seed",   "--lat",
        "--lon",      "--alt",          "--speed",      "--course",       "--utc",    "--start",
        "--hot",      "--warm",         "--cold",       "--time-scale",   "--replay", "--rate",
        "--garbage",  "--bad-checksum", "--long-lines", "--hangup-after", "--record", "--link",
        "--duration", "--rtk",          "--jam-at",     "--spoof-at",     "--mon-rf", "--mon-span",
        "--sec-sig",  "--generation"};
    for (const char* n : Names)
        if (name == n) return true;
    return false;
}

}  // namespace

bool ParseSimCommandLine(int argc, char** argv, SimCommandLine& line, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool hasValue = false;
        const size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (!hasValue && ApplyFlag(name, line)) continue;
        if (!TakesValue(name)) {
            error = "unknown option " + name;
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!ApplyValue(name, value, line)) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (line.Options.ReplayRate > 0 && line.Options.ReplayFile.empty()) {
        error = "--rate needs --replay";
        return false;
    }
    return true;
}
