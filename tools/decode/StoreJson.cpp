#include "tools/decode/StoreJson.h"

#include <vector>

#include "nmea/Constellation.h"
#include "nmea/SentenceTypes.h"

using nlohmann::json;

namespace {

std::string Letter(char c) {
    return c ? std::string(1, c) : std::string();
}

json DisplayJson(const DataDisplay& d) {
    return {{"FixModeText", d.FixModeText},
            {"FixValidText", d.FixValidText},
            {"HdopText", d.HdopText},
            {"VdopText", d.VdopText},
            {"PdopText", d.PdopText},
            {"UsedPrnText", d.UsedPrnText},
            {"SatsUsedText", d.SatsUsedText},
            {"DateText", d.DateText},
            {"LocalTimeText", d.LocalTimeText},
            {"GmtText", d.GmtText},
            {"LatText", d.LatText},
            {"LonText", d.LonText},
            {"SpeedText", d.SpeedText},
            {"CourseText", d.CourseText},
            {"AltText", d.AltText}};
}

json GgaJson(const NMEA_GGA_Object& g) {
    const NMEA_MESSAGE_GGA& m = g.Message;
    return {{"Time", m.Time},
            {"Latitude", m.Latitude},
            {"Longitude", m.Longitude},
            {"FixQuality", m.Spc.FixQuality},
            {"SatsUsed", m.Spc.SatsUsed},
            {"Hdop", m.Spc.Hdop},
            {"Altitude", m.Spc.Altitude},
            {"AltitudeUnit", Letter(m.Spc.AltitudeUnit)},
            {"GeoidSeparation", m.Spc.GeoidSeparation},
            {"GeoidUnit", Letter(m.Spc.GeoidUnit)},
            {"DgpsAge", m.Spc.DgpsAge},
            {"DgpsStation", m.Spc.DgpsStation},
            {"Checksum", g.Checksum}};
}

json GllJson(const NMEA_GLL_Object& g) {
    return {{"Latitude", g.Latitude},
            {"Longitude", g.Longitude},
            {"Time", g.Time},
            {"Status", g.Status},
            {"Checksum", g.Checksum}};
}

json GsaJson(const NMEA_GSA_Object& g) {
    const NMEA_MESSAGE_GSA& m = g.Message;
    json used = json::array();
    for (uint8_t prn : m.UsedPrn) used.push_back(prn);
    return {{"Mode", Letter(m.Mode)}, {"FixType", m.FixType}, {"UsedPrn", used},
            {"Pdop", m.Pdop},         {"Hdop", m.Hdop},       {"Vdop", m.Vdop},
            {"Checksum", g.Checksum}};
}

json GsvJson(const NMEA_GSV_Object& g) {
    json satellites = json::array();
    for (const GsvSatellite& s : g.Satellites)
        satellites.push_back(
            {{"Prn", s.Prn}, {"Elevation", s.Elevation}, {"Azimuth", s.Azimuth}, {"Snr", s.Snr}});
    json pages = json::array();
    for (const GsvPage& p : g.Pages)
        pages.push_back({{"Complete", p.Complete},
                         {"Total", p.Total},
                         {"Number", p.Number},
                         {"InView", p.InView},
                         {"Checksum", p.Checksum}});
    return {{"InView", g.InView}, {"Satellites", satellites}, {"Pages", pages}};
}

json RmcJson(const NMEA_RMC_Object& r) {
    const NMEA_MESSAGE_RMC& m = r.Message;
    return {{"Time", m.Time},
            {"Status", m.Status},
            {"Latitude", m.Latitude},
            {"Longitude", m.Longitude},
            {"Speed", m.Speed},
            {"Course", m.Course},
            {"Date", m.Date},
            {"MagVariation", m.MagVariation},
            {"MagVariationDir", Letter(m.MagVariationDir)},
            {"Checksum", r.Checksum}};
}

json VtgJson(const NMEA_VTG_Object& v) {
    return {{"TrueCourse", v.TrueCourse},
            {"MagCourse", v.MagCourse},
            {"SpeedKnots", v.SpeedKnots},
            {"SpeedKmh", v.SpeedKmh},
            {"Checksum", v.Checksum}};
}

json SkySatelliteJson(const SatelliteSky& sky, const SkySatellite& s) {
    json satellite = {{"System", ConstellationName(s.System)},
                      {"Letter", std::string(1, ConstellationLetter(s.System))},
                      {"Talker", TalkerText(s.Source)},
                      {"Prn", s.Prn},
                      {"Snr", s.Snr},
                      {"Used", sky.Used(s.System, s.Prn)}};
    satellite["Elevation"] = s.Placed ? json(s.Elevation) : json(nullptr);
    satellite["Azimuth"] = s.Placed ? json(s.Azimuth) : json(nullptr);
    return satellite;
}

// The extended table of every system in view: per system the satellites in
// view and used, then each satellite with its system.
json SkyJson(const SatelliteSky& sky) {
    std::vector<SkySatellite> satellites(SkyMaxSatellites);
    std::vector<UsedSatellite> used(SkyMaxUsed);
    const int inView = sky.Satellites(satellites.data(), SkyMaxSatellites);
    const int usedCount = sky.UsedSatellites(used.data(), SkyMaxUsed);
    json systems = json::object();
    json list = json::array();
    for (int i = 0; i < inView; ++i) {
        const char* name = ConstellationName(satellites[i].System);
        if (!systems.contains(name)) systems[name] = {{"InView", 0}, {"Used", 0}};
        systems[name]["InView"] = systems[name]["InView"].get<int>() + 1;
        list.push_back(SkySatelliteJson(sky, satellites[i]));
    }
    json usedList = json::array();
    for (int i = 0; i < usedCount; ++i) {
        const char* name = ConstellationName(used[i].System);
        if (!systems.contains(name)) systems[name] = {{"InView", 0}, {"Used", 0}};
        systems[name]["Used"] = systems[name]["Used"].get<int>() + 1;
        usedList.push_back({{"System", name}, {"Prn", used[i].Prn}});
    }
    return {{"InView", inView}, {"Systems", systems}, {"Satellites", list}, {"Used", usedList}};
}

// The values the views read, exactly as the receiver wrote them, beside
// each record's scaled integers: degrees from the digits with the minutes'
// decimals, and decimal values with the receiver's decimals.
json ExactJson(ExactDegrees d) {
    return {{"Degrees", ToDouble(d)}, {"MinuteDecimals", d.MinuteDecimals}};
}
json ExactJson(ExactDecimal v) {
    return {{"Value", ToDouble(v)}, {"Decimals", v.Decimals}};
}

// One object "Exact" beside the records, each record's exact values under
// the record's name.
json ExactValuesJson(const NMEA_Manager& store) {
    const GgaExact& gga = store.Gga.Exact;
    const RmcExact& rmc = store.Rmc.Exact;
    const VtgExact& vtg = store.Vtg.Exact;
    return {{"Gga",
             {{"Latitude", ExactJson(gga.Latitude)},
              {"Longitude", ExactJson(gga.Longitude)},
              {"Altitude", ExactJson(gga.Altitude)},
              {"GeoidSeparation", ExactJson(gga.GeoidSeparation)}}},
            {"Gll",
             {{"Latitude", ExactJson(store.Gll.Exact.Latitude)},
              {"Longitude", ExactJson(store.Gll.Exact.Longitude)}}},
            {"Rmc",
             {{"Latitude", ExactJson(rmc.Latitude)},
              {"Longitude", ExactJson(rmc.Longitude)},
              {"Speed", ExactJson(rmc.Speed)},
              {"Course", ExactJson(rmc.Course)}}},
            {"Vtg",
             {{"TrueCourse", ExactJson(vtg.TrueCourse)},
              {"MagCourse", ExactJson(vtg.MagCourse)},
              {"SpeedKnots", ExactJson(vtg.SpeedKnots)},
              {"SpeedKmh", ExactJson(vtg.SpeedKmh)}}}};
}

}  // namespace

json SentenceJson(std::string_view sentence, const DispatchResult& result) {
    if (!sentence.empty() && sentence.back() == '\r') sentence.remove_suffix(1);
    const char* name = SentenceTypeName(result.Type);
    return {{"sentence", std::string(sentence)},
            {"valid", result.Valid},
            {"type", name ? json(name) : json(nullptr)},
            {"refresh", result.Refresh}};
}

// {"fix": "RTK fixed", "age": 1.0} ("age" as [from, to] for a range; null unknown).
json RtkJson(const RtkState& rtk) {
    json age = nullptr;
    if (rtk.Age.Known())
        age = rtk.Age.From == rtk.Age.To ? json(rtk.Age.From) : json({rtk.Age.From, rtk.Age.To});
    json out = {{"fix", RtkFixText(rtk.Fix)}, {"age", age}, {"text", RtkStateText(rtk)}};
    if (rtk.Station >= 0) out["station"] = rtk.Station;
    return out;
}

json StoreJson(const NMEA_Manager& store, const DecodeCounts& counts) {
    json state = {{"display", DisplayJson(store.Display())},
                  {"Gga", GgaJson(store.Gga)},
                  {"Gll", GllJson(store.Gll)},
                  {"Gsa", GsaJson(store.Gsa)},
                  {"Gsv", GsvJson(store.Gsv)},
                  {"Rmc", RmcJson(store.Rmc)},
                  {"Vtg", VtgJson(store.Vtg)},
                  {"counts",
                   {{"sentences", counts.Sentences},
                    {"valid", counts.Valid},
                    {"refreshes", counts.Refreshes}}}};
    state["Exact"] = ExactValuesJson(store);
    // Sentences of a link that sends no checksum, counted when there are any.
    if (counts.Unchecked != 0) state["counts"]["unchecked"] = counts.Unchecked;
    // Only a receiver of several systems gets the extended table: a GPS
    // receiver's state has no "Sky" object.
    if (store.Sky.Extended()) state["Sky"] = SkyJson(store.Sky);
    // A receiver that has reported a differential solution: its state now.
    if (store.Rtk.DifferentialSeen) state["rtk"] = RtkJson(store.Rtk);
    return state;
}
