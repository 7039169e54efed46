#include "tools/sim/Interference.h"

#include <algorithm>
#include <cmath>

#include "tools/sim/UbxFrame.h"

namespace {

constexpr uint8_t ClassMon = 0x0A;
constexpr uint8_t ClassSec = 0x27;
constexpr uint8_t IdMonRf = 0x38;
constexpr uint8_t IdMonSpan = 0x31;
constexpr uint8_t IdSecSig = 0x09;

constexpr int TrackingFloorDb = 10;
constexpr double SpoofShiftDeg = 0.01;  // about 1.1 km north
constexpr double MsPerS = 1000;

// The receiver's two RF blocks: L1/E1/B1/G1 and L2/E5b/B2/G2.
struct RfBand {
    uint32_t CenterHz;
    double SignalHz;  // the strongest signal in the band, where a jammer aims
};
constexpr RfBand Bands[] = {{1575420000, 1575420000}, {1227600000, 1227600000}};
constexpr int BlockCount = 2;
constexpr uint32_t SpanHz = 128000000;
constexpr uint32_t BinHz = SpanHz / 256;
constexpr int SpanBlockSize = 272;
constexpr int RfBlockSize = 24;

class Payload {
  public:
    explicit Payload(size_t size) : FBytes(size, 0) {}
    void U1(size_t at, int v) { FBytes[at] = static_cast<uint8_t>(v); }
    void U2(size_t at, int v) { U1(at, v & 0xFF), U1(at + 1, (v >> 8) & 0xFF); }
    void U4(size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) U1(at + i, static_cast<int>((v >> (8 * i)) & 0xFF));
    }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }

  private:
    std::vector<uint8_t> FBytes;
};

bool Due(unsigned rate, int64_t index) {
    return rate != 0 && index % rate == 0;
}

// A small steady ripple from the epoch number, so a clean receiver's
// figures move as a real one's do without a generator of their own.
int Ripple(int64_t index, int block, int spread) {
    return static_cast<int>((index * 7 + block * 3) % spread);
}

std::string MonRf(const EpochState& e) {
    Payload p(4 + RfBlockSize * BlockCount);
    p.U1(1, BlockCount);
    for (int b = 0; b < BlockCount; ++b) {
        const size_t at = 4 + RfBlockSize * static_cast<size_t>(b);
        p.U1(at, b);
        p.U1(at + 1, e.Jammed ? 3 : 1);  // critical or ok
        p.U1(at + 2, 2);                 // antenna ok
        p.U1(at + 3, 1);                 // powered
        p.U2(at + 12, (e.Jammed ? 160 : 80) + Ripple(e.Index, b, 9));
        p.U2(at + 14, (e.Jammed ? 1800 : 5200) + 10 * Ripple(e.Index, b, 13));
        p.U1(at + 16, (e.Jammed ? 190 : 12) + Ripple(e.Index, b, 11));
        p.U1(at + 17, 3);
        p.U1(at + 18, 160);
        p.U1(at + 19, 2);
        p.U1(at + 20, 158);
    }
    return BuildUbxFrame(ClassMon, IdMonRf, p.Bytes());
}

// The spectrum of each block in 0.25 dB: a band-pass shape with a little
// ripple, and the jammer's carrier at the band's signal when jammed.
std::string MonSpan(const EpochState& e) {
    constexpr int BaseLevel = 120, ShapeLevel = 40, Carrier = 100;
    Payload p(4 + SpanBlockSize * BlockCount);
    p.U1(1, BlockCount);
    for (int b = 0; b < BlockCount; ++b) {
        const size_t at = 4 + SpanBlockSize * static_cast<size_t>(b);
        const int jamBin =
            static_cast<int>(std::lround((Bands[b].SignalHz - Bands[b].CenterHz) / BinHz + 128));
        for (int i = 0; i < 256; ++i) {
            const double x = (i - 128) / 128.0;
            int level = BaseLevel + static_cast<int>(ShapeLevel * (1 - x * x * x * x)) +
                        Ripple(e.Index + i, b, 5);
            if (e.Jammed && std::abs(i - jamBin) <= 1) level += Carrier - 30 * std::abs(i - jamBin);
            p.U1(at + static_cast<size_t>(i), std::min(level, 255));
        }
        p.U4(at + 256, SpanHz);
        p.U4(at + 260, BinHz);
        p.U4(at + 264, Bands[b].CenterHz);
        p.U1(at + 268, 54);
    }
    return BuildUbxFrame(ClassMon, IdMonSpan, p.Bytes());
}

std::string SecSig(const EpochState& e) {
    Payload p(12);
    p.U1(0, 1);                                // version 1
    p.U1(4, 0x01 | (e.Jammed ? 3 : 1) << 1);   // detection on; critical or none
    p.U1(8, 0x01 | (e.Spoofed ? 2 : 1) << 1);  // detection on; indicated or none
    return BuildUbxFrame(ClassSec, IdSecSig, p.Bytes());
}

}  // namespace

int HealthRates::Index(uint8_t messageClass, uint8_t id) {
    if (messageClass == ClassMon && id == IdMonRf) return 0;
    if (messageClass == ClassMon && id == IdMonSpan) return 1;
    if (messageClass == ClassSec && id == IdSecSig) return 2;
    return -1;
}

bool HealthRates::Get(uint8_t messageClass, uint8_t id, unsigned& rate) const {
    const int i = Index(messageClass, id);
    if (i < 0) return false;
    rate = FRates[i];
    return true;
}

bool HealthRates::Set(uint8_t messageClass, uint8_t id, unsigned rate) {
    const int i = Index(messageClass, id);
    if (i < 0) return false;
    FRates[i] = rate;
    return true;
}

void ApplyInterference(const InterferenceSettings& s, int64_t simMs, EpochState& e) {
    const double atS = simMs / MsPerS;
    e.Jammed = s.JamAtS >= 0 && atS >= s.JamAtS;
    e.Spoofed = s.SpoofAtS >= 0 && atS >= s.SpoofAtS;
    if (e.Spoofed && e.Fix != FixKind::None) e.LatDeg += SpoofShiftDeg;
    if (!e.Jammed) return;
    const int lower = static_cast<int>(std::lround(s.JamDb));
    for (SatelliteView& sat : e.Satellites) {
        if (sat.Snr < 0) continue;
        sat.Snr -= lower;
        if (sat.Snr < TrackingFloorDb) {
            sat.Snr = -1;
            if (sat.Used) --e.UsedCount;
            sat.Used = false;
        }
    }
}

std::vector<std::string> ComposeHealthFrames(const EpochState& epoch, const HealthRates& rates) {
    std::vector<std::string> frames;
    if (Due(rates.Rf(), epoch.Index)) frames.push_back(MonRf(epoch));
    if (Due(rates.Span(), epoch.Index)) frames.push_back(MonSpan(epoch));
    if (Due(rates.SecSig(), epoch.Index)) frames.push_back(SecSig(epoch));
    return frames;
}
