#include "ubx/UbxHealthFields.h"

#include <cstdio>

#include "ubx/UbxHealth.h"

namespace {

constexpr double SpectrumUnits = 4;  // 0.25 dB per step
constexpr double MegaHertz = 1e6;

template <class... Args>
void Append(std::string& line, const char* format, Args... args) {
    char text[128];
    const int n = std::snprintf(text, sizeof text, format, args...);
    if (n > 0)
        line.append(text,
                    static_cast<size_t>(n < static_cast<int>(sizeof text) ? n : sizeof text - 1));
}

void BlockFields(const UbxRfBlock& b, UbxFieldSink& sink) {
    sink.Integer("jammingState", b.JammingState);
    sink.Text("jamming", UbxJammingText(b.JammingState));
    sink.Integer("jamInd", b.JamInd);
    sink.Integer("agcCnt", b.AgcCnt);
    sink.Integer("noisePerMS", b.NoisePerMs);
    sink.Integer("antStatus", b.AntStatus);
    sink.Text("antenna", UbxAntennaText(b.AntStatus));
    sink.Integer("antPower", b.AntPower);
    sink.Text("power", UbxAntPowerText(b.AntPower));
}

void IqFields(const UbxRfBlock& b, UbxFieldSink& sink) {
    sink.Integer("postStatus", b.PostStatus);
    sink.Integer("ofsI", b.OfsI);
    sink.Integer("magI", b.MagI);
    sink.Integer("ofsQ", b.OfsQ);
    sink.Integer("magQ", b.MagQ);
}

void BlockSummary(const UbxRfBlock& b, std::string& line) {
    Append(line, "jamming %s %u agc %u noise %u antenna %s %s", UbxJammingText(b.JammingState),
           b.JamInd, b.AgcCnt, b.NoisePerMs, UbxAntennaText(b.AntStatus),
           UbxAntPowerText(b.AntPower));
}

int StrongestBin(const UbxSpanBlock& b) {
    int best = 0;
    for (int i = 1; i < UbxSpectrumBins; ++i)
        if (b.Spectrum[i] > b.Spectrum[best]) best = i;
    return best;
}

}  // namespace

double UbxSpanBinFrequency(const UbxSpanBlock& block, int bin) {
    return block.Center + (bin - UbxSpectrumBins / 2) * static_cast<double>(block.Res);
}

void UbxMonRfFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxRfRecord& r = ubx.Health.Rf;
    sink.Integer("version", r.Version);
    sink.Integer("nBlocks", r.Count);
    sink.BeginList("blocks");
    for (int i = 0; i < r.Count; ++i) {
        sink.BeginItem();
        sink.Integer("blockId", r.Blocks[i].BlockId);
        BlockFields(r.Blocks[i], sink);
        IqFields(r.Blocks[i], sink);
        sink.EndItem();
    }
    sink.EndList();
}

void UbxMonHwFields(const UbxState& ubx, UbxFieldSink& sink) {
    sink.Integer("flags", ubx.Health.Hw.Flags);
    BlockFields(ubx.Health.Hw.Block, sink);
}

void UbxMonHw2Fields(const UbxState& ubx, UbxFieldSink& sink) {
    IqFields(ubx.Health.Hw.Block, sink);
}

void UbxMonSpanFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxSpanRecord& r = ubx.Health.Span;
    sink.Integer("version", r.Version);
    sink.Integer("numRfBlocks", r.Count);
    sink.BeginList("blocks");
    for (int i = 0; i < r.Count; ++i) {
        const UbxSpanBlock& b = r.Blocks[i];
        sink.BeginItem();
        sink.Integer("span", b.Span);
        sink.Integer("res", b.Res);
        sink.Integer("center", b.Center);
        sink.Integer("pga", b.Pga);
        sink.BeginList("spectrum");
        for (int k = 0; k < UbxSpectrumBins; ++k) {
            sink.BeginItem();
            sink.Real("dB", b.Spectrum[k] / SpectrumUnits);
            sink.EndItem();
        }
        sink.EndList();
        sink.EndItem();
    }
    sink.EndList();
}

void UbxSecSigFields(const UbxState& ubx, UbxFieldSink& sink) {
    const UbxSecSigRecord& r = ubx.Health.SecSig;
    sink.Integer("version", r.Version);
    sink.Integer("jamDetEnabled", r.JamDetEnabled);
    sink.Integer("jammingState", r.JammingState);
    sink.Integer("spfDetEnabled", r.SpfDetEnabled);
    sink.Integer("spoofingState", r.SpoofingState);
    sink.BeginList("jammedKHz");
    for (int i = 0; i < r.JammedCount; ++i) {
        sink.BeginItem();
        sink.Integer("centFreq", r.JammedKHz[i]);
        sink.EndItem();
    }
    sink.EndList();
}

void UbxMonRfSummary(const UbxState& ubx, std::string& line) {
    const UbxRfRecord& r = ubx.Health.Rf;
    Append(line, "%d blocks", r.Count);
    for (int i = 0; i < r.Count; ++i) {
        Append(line, "; %u: ", r.Blocks[i].BlockId);
        BlockSummary(r.Blocks[i], line);
    }
}

void UbxMonHwSummary(const UbxState& ubx, std::string& line) {
    BlockSummary(ubx.Health.Hw.Block, line);
}

void UbxMonHw2Summary(const UbxState& ubx, std::string& line) {
    const UbxRfBlock& b = ubx.Health.Hw.Block;
    Append(line, "I %d/%u Q %d/%u", b.OfsI, b.MagI, b.OfsQ, b.MagQ);
}

void UbxMonSpanSummary(const UbxState& ubx, std::string& line) {
    const UbxSpanRecord& r = ubx.Health.Span;
    Append(line, "%d blocks", r.Count);
    for (int i = 0; i < r.Count; ++i) {
        const UbxSpanBlock& b = r.Blocks[i];
        const int peak = StrongestBin(b);
        Append(line, "; %.3f MHz span %.1f MHz peak %.2f dB at %.3f MHz", b.Center / MegaHertz,
               b.Span / MegaHertz, b.Spectrum[peak] / SpectrumUnits,
               UbxSpanBinFrequency(b, peak) / MegaHertz);
    }
}

void UbxSecSigSummary(const UbxState& ubx, std::string& line) {
    const UbxSecSigRecord& r = ubx.Health.SecSig;
    Append(line, "jamming %s spoofing %s", UbxJammingText(r.JammingState),
           UbxSpoofingText(r.SpoofingState));
}
