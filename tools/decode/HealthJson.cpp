#include "tools/decode/HealthJson.h"

#include "ubx/UbxHealth.h"
#include "ubx/UbxHealthFields.h"

using nlohmann::json;

namespace {

constexpr double SpectrumUnits = 4;  // MON-SPAN: 0.25 dB per step
constexpr double MsPerS = 1000;

json BlockJson(const UbxRfBlock& b) {
    return {{"blockId", b.BlockId},
            {"jamming", UbxJammingText(b.JammingState)},
            {"jamInd", b.JamInd},
            {"agcCnt", b.AgcCnt},
            {"noisePerMS", b.NoisePerMs},
            {"antenna", UbxAntennaText(b.AntStatus)},
            {"power", UbxAntPowerText(b.AntPower)}};
}

json SpectrumJson(const UbxSpanBlock& b) {
    int peak = 0;
    for (int i = 1; i < UbxSpectrumBins; ++i)
        if (b.Spectrum[i] > b.Spectrum[peak]) peak = i;
    return {{"centerHz", b.Center},
            {"spanHz", b.Span},
            {"resHz", b.Res},
            {"pga", b.Pga},
            {"peakDb", b.Spectrum[peak] / SpectrumUnits},
            {"peakHz", UbxSpanBinFrequency(b, peak)}};
}

}  // namespace

json HealthJson(const UbxState& ubx) {
    const ReceiverHealth h = HealthOf(ubx);
    if (!h.Known && h.SpoofingState == 0) return nullptr;
    json blocks = json::array();
    for (int i = 0; i < h.BlockCount; ++i) blocks.push_back(BlockJson(h.Blocks[i]));
    json spectrum = json::array();
    for (int i = 0; i < ubx.Health.Span.Count; ++i)
        spectrum.push_back(SpectrumJson(ubx.Health.Span.Blocks[i]));
    return {{"jamming", UbxJammingText(h.JammingState)},
            {"jamInd", h.JamInd},
            {"spoofing", h.SpoofingKnown ? UbxSpoofingText(h.SpoofingState) : "unknown"},
            {"blocks", blocks},
            {"spectrum", spectrum}};
}

json EventsJson(const std::vector<WatchEvent>& events) {
    json list = json::array();
    for (const WatchEvent& e : events)
        list.push_back({{"hostS", e.HostMs / MsPerS},
                        {"utcMs", e.UtcMs != Epoch::NoTime ? json(e.UtcMs) : json(nullptr)},
                        {"kind", AlarmKindName(e.Kind)},
                        {"value", e.Value},
                        {"threshold", e.Limit},
                        {"text", e.Text}});
    return list;
}
