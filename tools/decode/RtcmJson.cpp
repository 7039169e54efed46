#include "tools/decode/RtcmJson.h"

#include "nmea/StationBaseline.h"

using nlohmann::json;

namespace {

template <class Json>
void AddStation(Json& out, const RtcmStation& s) {
    const Geodetic g = GeodeticOf(StationEcef(s));
    out["station"] = s.StationId;
    out["itrf"] = s.ItrfYear;
    out["x"] = s.X * RtcmStationUnit;
    out["y"] = s.Y * RtcmStationUnit;
    out["z"] = s.Z * RtcmStationUnit;
    out["lat"] = g.Latitude;
    out["lon"] = g.Longitude;
    out["height"] = g.Height;
    if (s.HasHeight) out["antennaHeight"] = s.Height * RtcmStationUnit;
}

template <class Json>
void AddDescriptor(Json& out, const RtcmDescriptor& d) {
    out["station"] = d.StationId;
    out["antenna"] = d.Antenna;
    out["setup"] = d.SetupId;
    if (d.HasSerial) out["antennaSerial"] = d.AntennaSerial;
    if (!d.HasReceiver) return;
    out["receiver"] = d.Receiver;
    out["firmware"] = d.Firmware;
    out["receiverSerial"] = d.ReceiverSerial;
}

json SatelliteList(const RtcmMsm& m) {
    uint16_t numbers[64];
    const int n = MsmSatelliteNumbers(m, numbers);
    return json(std::vector<uint16_t>(numbers, numbers + n));
}

template <class Json>
void AddMsm(Json& out, const RtcmMsm& m) {
    uint8_t signals[32];
    const int n = MsmSignalNumbers(m, signals);
    out["system"] = RtcmSystemName(m.System);
    out["station"] = m.StationId;
    if (m.System == RtcmSystem::Glonass) out["day"] = m.Day;
    out["epoch"] = m.Epoch;
    out["multiple"] = m.MultipleMessage;
    out["satellites"] = SatelliteList(m);
    out["signals"] = std::vector<uint8_t>(signals, signals + n);
    out["cells"] = m.Cells;
}

template <class Json>
void AddBiases(Json& out, const RtcmGlonassBiases& b) {
    out["station"] = b.StationId;
    out["aligned"] = b.Aligned;
    out["mask"] = b.Mask;
    json biases = json::array();
    for (int i = 0; i < 4; ++i)
        if (b.Mask >> (3 - i) & 1) biases.push_back(b.Bias[i] * 0.02);
    out["biases"] = biases;
}

json PerSystem(const uint64_t* counts) {
    json out = json::object();
    for (int i = 0; i < RtcmSystemCount; ++i)
        if (counts[i]) out[RtcmSystemName(static_cast<RtcmSystem>(i))] = counts[i];
    return out;
}

}  // namespace

nlohmann::ordered_json RtcmFrameJson(const framing::RtcmFrameInfo& frame,
                                     const RtcmFrameResult& result, const NMEA_Manager& store) {
    nlohmann::ordered_json out = {{"rtcm", frame.MessageNumber},
                                  {"length", frame.PayloadLength},
                                  {"valid", true},
                                  {"name", RtcmMessageName(result.Number)}};
    if (result.Malformed) out["malformed"] = true;
    if (!result.Decoded) return out;
    const RtcmLatest& latest = store.Rtcm.Latest;
    switch (result.Message->Kind) {
        case RtcmKind::Station: {
            AddStation(out, latest.Station);
            double baseline = 0;
            if (StationBaseline(store, baseline)) out["baseline"] = baseline;
            break;
        }
        case RtcmKind::Descriptor:
            AddDescriptor(out, latest.Descriptor);
            break;
        case RtcmKind::Msm: {
            RtcmSystem system;
            uint8_t kind = 0;
            MsmOfNumber(result.Number, system, kind);
            AddMsm(out, latest.Msm[static_cast<int>(system)]);
            break;
        }
        case RtcmKind::Ephemeris:
            out["system"] = RtcmSystemName(latest.Ephemeris.System);
            out["satellite"] = latest.Ephemeris.Satellite;
            break;
        case RtcmKind::GlonassBiases:
            AddBiases(out, latest.Biases);
            break;
        default:
            break;
    }
    return out;
}

json RtcmStateJson(const NMEA_Manager& store, const framing::FramerState& framer, double nowS) {
    const RtcmState& rtcm = store.Rtcm;
    json counts = json::array();
    for (int i = 0; i < rtcm.Kinds(); ++i) {
        const RtcmTally::Row& r = rtcm[i];
        const bool timed = r.TimedFrames > 0 && nowS >= 0;
        counts.push_back({{"rtcm", r.Number},
                          {"name", RtcmMessageName(r.Number)},
                          {"frames", r.Frames},
                          {"rate", timed ? json(r.Rate()) : json(nullptr)},
                          {"last", timed ? json(nowS - r.LastAt) : json(nullptr)}});
    }
    json state = {
        {"frames", rtcm.Frames()}, {"badCrcs", framer.RtcmBadCrcs},   {"other", rtcm.Other()},
        {"unknown", rtcm.Unknown}, {"proprietary", rtcm.Proprietary}, {"malformed", rtcm.Malformed},
        {"counts", counts}};
    const RtcmLatest& latest = rtcm.Latest;
    if (latest.HasStation) {
        json station = json::object();
        AddStation(station, latest.Station);
        double baseline = 0;
        if (StationBaseline(store, baseline)) station["baseline"] = baseline;
        state["station"] = station;
    }
    if (latest.HasDescriptor) {
        json descriptor = json::object();
        AddDescriptor(descriptor, latest.Descriptor);
        state["descriptor"] = descriptor;
    }
    json satellites = json::object();
    for (int i = 0; i < RtcmSystemCount; ++i)
        if (latest.HasMsm[i])
            satellites[RtcmSystemName(static_cast<RtcmSystem>(i))] = SatelliteList(latest.Msm[i]);
    if (!satellites.empty()) state["satellites"] = satellites;
    const json ephemerides = PerSystem(rtcm.Ephemerides);
    if (!ephemerides.empty()) state["ephemerides"] = ephemerides;
    if (latest.HasBiases) {
        json biases = json::object();
        AddBiases(biases, latest.Biases);
        state["biases"] = biases;
    }
    return state;
}
