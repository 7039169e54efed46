#include "ubx/UbxFields.h"

#include <cstdio>

#include "ubx/UbxMessages.h"

namespace {

// Divisors from the units sent to degrees, metres and plain DOPs; dividing
// keeps the nearest double to the decimal value sent.
constexpr double DegreeUnits = 1e7;
constexpr double MillimetreUnits = 1e3;
constexpr double CentimetreUnits = 1e2;
constexpr double DopUnits = 100;
constexpr double HeadingUnits = 1e5;
constexpr double MillisecondUnits = 1e3;
constexpr double TenthMillimetreUnits = 1e4;

unsigned CarrierSolution(uint32_t flags, int shift) {
    return (flags >> shift) & 0x03;
}

// Appends printf-formatted text to the line.
template <class... Args>
void Append(std::string& line, const char* format, Args... args) {
    char text[96];
    const int n = std::snprintf(text, sizeof text, format, args...);
    if (n > 0)
        line.append(text,
                    static_cast<size_t>(n < static_cast<int>(sizeof text) ? n : sizeof text - 1));
}

void DateTimeFields(UbxFieldSink& sink, uint16_t year, uint8_t month, uint8_t day, uint8_t hour,
                    uint8_t minute, uint8_t second, int32_t nano) {
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", year, month, day, hour,
                  minute, second);
    sink.Text("utc", text);
    sink.Integer("nano", nano);
}

}  // namespace

std::string UbxReceiverIdentity(const UbxVersionRecord& version) {
    std::string model = version.Hardware;
    std::string firmware = version.Software;
    for (int i = 0; i < version.ExtensionCount; ++i) {
        const std::string extension = version.Extensions[i];
        if (extension.rfind("MOD=", 0) == 0) model = extension.substr(4);
        if (extension.rfind("FWVER=", 0) == 0) firmware = extension.substr(6);
    }
    return model + " " + firmware;
}

const char* UbxCarrierSolutionText(unsigned carrSoln) {
    static const char* const Texts[] = {"none", "float", "fixed"};
    return carrSoln < sizeof Texts / sizeof Texts[0] ? Texts[carrSoln] : "?";
}

const char* UbxFixTypeText(uint8_t fixType) {
    static const char* const Texts[] = {"no fix", "DR", "2D", "3D", "GNSS+DR", "time"};
    return fixType < sizeof Texts / sizeof Texts[0] ? Texts[fixType] : "?";
}

// --- Fields by name ----------------------------------------------------------

namespace {
void AnswerFields(const UbxAckRecord& answer, UbxFieldSink& sink) {
    sink.Integer("clsID", answer.Class);
    sink.Integer("msgID", answer.Id);
    sink.Text("message", UbxMessageName(answer.Class, answer.Id).c_str());
}
}  // namespace

void UbxAckFields(const UbxState& ubx, UbxFieldSink& sink) {
    AnswerFields(ubx.Ack, sink);
}

void UbxNakFields(const UbxState& ubx, UbxFieldSink& sink) {
    AnswerFields(ubx.Nak, sink);
}

void UbxVersionFields(const UbxState& ubx, UbxFieldSink& sink) {
    sink.Text("swVersion", ubx.Version.Software);
    sink.Text("hwVersion", ubx.Version.Hardware);
    sink.BeginList("extension");
    for (int i = 0; i < ubx.Version.ExtensionCount; ++i) {
        sink.BeginItem();
        sink.Text("text", ubx.Version.Extensions[i]);
        sink.EndItem();
    }
    sink.EndList();
}

void UbxPvtFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxPvtRecord& r = ubx.Pvt;
    sink.Integer("iTOW", r.ITow);
    DateTimeFields(sink, r.Year, r.Month, r.Day, r.Hour, r.Minute, r.Second, r.Nano);
    sink.Integer("validFlags", r.Valid);
    sink.Integer("validDate", r.Valid & 0x01);
    sink.Integer("validTime", (r.Valid >> 1) & 0x01);
    sink.Integer("fullyResolved", (r.Valid >> 2) & 0x01);
    sink.Integer("fixType", r.FixType);
    sink.Integer("flags", r.Flags);
    sink.Integer("flags2", r.Flags2);
    sink.Integer("confirmedAvai", (r.Flags2 >> 5) & 0x01);
    sink.Integer("confirmedDate", (r.Flags2 >> 6) & 0x01);
    sink.Integer("confirmedTime", (r.Flags2 >> 7) & 0x01);
    sink.Integer("numSV", r.NumSv);
    sink.Real("lat", r.Lat / DegreeUnits);
    sink.Real("lon", r.Lon / DegreeUnits);
    sink.Real("height", r.Height / MillimetreUnits);
    sink.Real("hMSL", r.HMsl / MillimetreUnits);
    sink.Real("hAcc", r.HAcc / MillimetreUnits);
    sink.Real("vAcc", r.VAcc / MillimetreUnits);
    sink.Real("gSpeed", r.GSpeed / MillimetreUnits);
    sink.Real("headMot", r.HeadMot / HeadingUnits);
    sink.Real("pDOP", r.PDop / DopUnits);
    sink.Integer("diffSoln", (r.Flags & UbxPvtDiffSoln) != 0);
    sink.Integer("carrSoln", CarrierSolution(r.Flags, UbxPvtCarrSolnShift));
    sink.Integer("lastCorrectionAge",
                 (r.Flags3 >> UbxPvtCorrectionAgeShift) & UbxPvtCorrectionAgeMask);
}

void UbxRelPosNedFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxRelPosNedRecord& r = ubx.RelPosNed;
    sink.Integer("version", r.Version);
    sink.Integer("refStationId", r.RefStationId);
    sink.Integer("iTOW", r.ITow);
    sink.Real("relPosN", r.North / TenthMillimetreUnits);
    sink.Real("relPosE", r.East / TenthMillimetreUnits);
    sink.Real("relPosD", r.Down / TenthMillimetreUnits);
    if (r.HasLengthAndHeading) {
        sink.Real("relPosLength", r.Length / TenthMillimetreUnits);
        sink.Real("relPosHeading", r.Heading / HeadingUnits);
    }
    sink.Real("accN", r.AccNorth / TenthMillimetreUnits);
    sink.Real("accE", r.AccEast / TenthMillimetreUnits);
    sink.Real("accD", r.AccDown / TenthMillimetreUnits);
    if (r.HasLengthAndHeading) {
        sink.Real("accLength", r.AccLength / TenthMillimetreUnits);
        sink.Real("accHeading", r.AccHeading / HeadingUnits);
    }
    sink.Integer("flags", r.Flags);
    sink.Integer("gnssFixOK", (r.Flags & UbxRelPosGnssFixOk) != 0);
    sink.Integer("diffSoln", (r.Flags & UbxRelPosDiffSoln) != 0);
    sink.Integer("relPosValid", (r.Flags & UbxRelPosValid) != 0);
    sink.Integer("carrSoln", CarrierSolution(r.Flags, UbxRelPosCarrSolnShift));
    sink.Integer("isMoving", (r.Flags & UbxRelPosIsMoving) != 0);
    sink.Integer("refPosMiss", (r.Flags & UbxRelPosRefPosMiss) != 0);
    sink.Integer("refObsMiss", (r.Flags & UbxRelPosRefObsMiss) != 0);
    sink.Integer("relPosHeadingValid", (r.Flags & UbxRelPosHeadingValid) != 0);
    sink.Integer("relPosNormalized", (r.Flags & UbxRelPosNormalized) != 0);
}

void UbxSatFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxSatRecord& r = ubx.Sat;
    sink.Integer("iTOW", r.ITow);
    sink.Integer("numSvs", r.Count);
    sink.BeginList("satellites");
    for (int i = 0; i < r.Count; ++i) {
        const UbxSatellite& s = r.Satellites[i];
        sink.BeginItem();
        sink.Integer("gnssId", s.GnssId);
        sink.Integer("svId", s.SvId);
        sink.Integer("cno", s.Cno);
        sink.Integer("elev", s.Elevation);
        sink.Integer("azim", s.Azimuth);
        sink.Integer("quality", s.Quality);
        sink.Integer("used", s.Used ? 1 : 0);
        sink.EndItem();
    }
    sink.EndList();
}

void UbxSigFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxSigRecord& r = ubx.Sig;
    sink.Integer("iTOW", r.ITow);
    sink.Integer("numSigs", r.Count);
    sink.BeginList("signals");
    for (int i = 0; i < r.Count; ++i) {
        const UbxSignal& s = r.Signals[i];
        sink.BeginItem();
        sink.Integer("gnssId", s.GnssId);
        sink.Integer("svId", s.SvId);
        sink.Integer("sigId", s.SigId);
        sink.Integer("freqId", s.FreqId);
        sink.Integer("cno", s.Cno);
        sink.Integer("quality", s.Quality);
        sink.Integer("used", s.Used ? 1 : 0);
        sink.EndItem();
    }
    sink.EndList();
}

void UbxStatusFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxStatusRecord& r = ubx.Status;
    sink.Integer("iTOW", r.ITow);
    sink.Integer("gpsFix", r.GpsFix);
    sink.Integer("flags", r.Flags);
    sink.Integer("fixStat", r.FixStat);
    sink.Integer("flags2", r.Flags2);
    sink.Integer("spoofDetState", (r.Flags2 >> 3) & 0x03);
    sink.Integer("ttff", r.Ttff);
    sink.Integer("msss", r.Msss);
}

void UbxDopFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxDopRecord& r = ubx.Dop;
    sink.Integer("iTOW", r.ITow);
    sink.Real("gDOP", r.GDop / DopUnits);
    sink.Real("pDOP", r.PDop / DopUnits);
    sink.Real("tDOP", r.TDop / DopUnits);
    sink.Real("vDOP", r.VDop / DopUnits);
    sink.Real("hDOP", r.HDop / DopUnits);
    sink.Real("nDOP", r.NDop / DopUnits);
    sink.Real("eDOP", r.EDop / DopUnits);
}

void UbxSolFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxSolRecord& r = ubx.Sol;
    sink.Integer("iTOW", r.ITow);
    sink.Integer("fTOW", r.FTow);
    sink.Integer("week", r.Week);
    sink.Integer("gpsFix", r.GpsFix);
    sink.Integer("flags", r.Flags);
    sink.Real("ecefX", r.EcefX / CentimetreUnits);
    sink.Real("ecefY", r.EcefY / CentimetreUnits);
    sink.Real("ecefZ", r.EcefZ / CentimetreUnits);
    sink.Real("pAcc", r.PAcc / CentimetreUnits);
    sink.Real("pDOP", r.PDop / DopUnits);
    sink.Integer("numSV", r.NumSv);
}

void UbxPosLlhFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxPosLlhRecord& r = ubx.PosLlh;
    sink.Integer("iTOW", r.ITow);
    sink.Real("lat", r.Lat / DegreeUnits);
    sink.Real("lon", r.Lon / DegreeUnits);
    sink.Real("height", r.Height / MillimetreUnits);
    sink.Real("hMSL", r.HMsl / MillimetreUnits);
    sink.Real("hAcc", r.HAcc / MillimetreUnits);
    sink.Real("vAcc", r.VAcc / MillimetreUnits);
}

void UbxTimeUtcFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxTimeUtcRecord& r = ubx.TimeUtc;
    sink.Integer("iTOW", r.ITow);
    sink.Integer("tAcc", r.TAcc);
    DateTimeFields(sink, r.Year, r.Month, r.Day, r.Hour, r.Minute, r.Second, r.Nano);
    sink.Integer("validFlags", r.Valid);
}

void UbxCfgMsgFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxCfgMsgRecord& r = ubx.CfgMsg;
    sink.Integer("msgClass", r.Class);
    sink.Integer("msgID", r.Id);
    if (r.Targets == 1) {
        sink.Integer("rate", r.Rates[0]);
        return;
    }
    sink.BeginList("rates");
    for (int i = 0; i < r.Targets; ++i) {
        sink.BeginItem();
        sink.Integer("rate", r.Rates[i]);
        sink.EndItem();
    }
    sink.EndList();
}

void UbxCfgRateFields(const UbxState& ubx, UbxFieldSink& sink) {
    sink.Integer("measRate", ubx.CfgRate.MeasRate);
    sink.Integer("navRate", ubx.CfgRate.NavRate);
    sink.Integer("timeRef", ubx.CfgRate.TimeRef);
}

// --- Console summaries -------------------------------------------------------

void UbxAnswerSummary(const UbxState& ubx, std::string& line) {
    line += UbxMessageName(ubx.LastAnswer.Class, ubx.LastAnswer.Id);
}

void UbxVersionSummary(const UbxState& ubx, std::string& line) {
    Append(line, "%s %s", ubx.Version.Hardware, ubx.Version.Software);
}

void UbxPvtSummary(const UbxState& ubx, std::string& line) {
    const UbxPvtRecord& r = ubx.Pvt;
    Append(line, "%s %u sv %.5f %.5f %.1f m", UbxFixTypeText(r.FixType), r.NumSv,
           r.Lat / DegreeUnits, r.Lon / DegreeUnits, r.HMsl / MillimetreUnits);
    const unsigned carrier = CarrierSolution(r.Flags, UbxPvtCarrSolnShift);
    if (carrier != 0)
        Append(line, " RTK %s", UbxCarrierSolutionText(carrier));
    else if (r.Flags & UbxPvtDiffSoln)
        line += " DGNSS";
}

// "N 1.2345 E -0.5000 D 0.0100 m, length 1.2346 m heading 337.9, fixed, valid".
void UbxRelPosNedSummary(const UbxState& ubx, std::string& line) {
    const UbxRelPosNedRecord& r = ubx.RelPosNed;
    Append(line, "N %.4f E %.4f D %.4f m", r.North / TenthMillimetreUnits,
           r.East / TenthMillimetreUnits, r.Down / TenthMillimetreUnits);
    if (r.HasLengthAndHeading)
        Append(line, ", length %.4f m heading %.1f", r.Length / TenthMillimetreUnits,
               r.Heading / HeadingUnits);
    Append(line, ", %s, %s",
           UbxCarrierSolutionText(CarrierSolution(r.Flags, UbxRelPosCarrSolnShift)),
           (r.Flags & UbxRelPosValid) ? "valid" : "not valid");
}

void UbxSatSummary(const UbxState& ubx, std::string& line) {
    int used = 0;
    for (int i = 0; i < ubx.Sat.Count; ++i) used += ubx.Sat.Satellites[i].Used ? 1 : 0;
    Append(line, "%d sv, %d used", ubx.Sat.Count, used);
}

void UbxSigSummary(const UbxState& ubx, std::string& line) {
    int used = 0;
    for (int i = 0; i < ubx.Sig.Count; ++i) used += ubx.Sig.Signals[i].Used ? 1 : 0;
    Append(line, "%d signals, %d used", ubx.Sig.Count, used);
}

void UbxStatusSummary(const UbxState& ubx, std::string& line) {
    Append(line, "%s ttff %.3f s", UbxFixTypeText(ubx.Status.GpsFix),
           ubx.Status.Ttff / MillisecondUnits);
}

void UbxDopSummary(const UbxState& ubx, std::string& line) {
    Append(line, "P %.2f H %.2f V %.2f", ubx.Dop.PDop / DopUnits, ubx.Dop.HDop / DopUnits,
           ubx.Dop.VDop / DopUnits);
}

void UbxSolSummary(const UbxState& ubx, std::string& line) {
    Append(line, "%s %u sv week %d", UbxFixTypeText(ubx.Sol.GpsFix), ubx.Sol.NumSv, ubx.Sol.Week);
}

void UbxPosLlhSummary(const UbxState& ubx, std::string& line) {
    Append(line, "%.5f %.5f %.1f m", ubx.PosLlh.Lat / DegreeUnits, ubx.PosLlh.Lon / DegreeUnits,
           ubx.PosLlh.HMsl / MillimetreUnits);
}

void UbxTimeUtcSummary(const UbxState& ubx, std::string& line) {
    const UbxTimeUtcRecord& r = ubx.TimeUtc;
    Append(line, "%04u-%02u-%02u %02u:%02u:%02u", r.Year, r.Month, r.Day, r.Hour, r.Minute,
           r.Second);
}

void UbxCfgMsgSummary(const UbxState& ubx, std::string& line) {
    const UbxCfgMsgRecord& r = ubx.CfgMsg;
    line += UbxMessageName(r.Class, r.Id);
    line += " rates";
    for (int i = 0; i < r.Targets; ++i) Append(line, " %u", r.Rates[i]);
}

void UbxCfgRateSummary(const UbxState& ubx, std::string& line) {
    Append(line, "%u ms x %u", ubx.CfgRate.MeasRate, ubx.CfgRate.NavRate);
}
