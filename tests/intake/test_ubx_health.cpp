// The health messages decoded: the MON-RF frames of the corpus against a
// reading of the raw bytes at offsets written here from the interface
// description, and hand-made MON-HW, MON-HW2, MON-SPAN, SEC-SIG and NAV-STATUS
// frames, each field at a distinct value, into the one health view.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framing/UbxFrame.h"
#include "ubx/UbxHealth.h"
#include "ubx/UbxMessages.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Frame(uint8_t cls, uint8_t id, const Bytes& payload) {
    return framing::EncodedUbx<Bytes>(cls, id, payload.data(), payload.size());
}

UbxDecodeResult Decode(const Bytes& frame, UbxState& ubx) {
    return DecodeUbxFrame(frame.data(), frame.size(), ubx);
}

// Every checksummed MON-RF frame of a capture, as raw payloads.
std::vector<Bytes> MonRfPayloads(const std::string& name) {
    std::ifstream in(fs::path(LUMAROKUB_UBX_CORPUS_DIR) / name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    const std::string s = all.str();
    const auto at = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    std::vector<Bytes> payloads;
    for (size_t i = 0; i + 8 <= s.size(); ++i) {
        if (at(i) != 0xB5 || at(i + 1) != 0x62 || at(i + 2) != 0x0A || at(i + 3) != 0x38) continue;
        const size_t length = at(i + 4) + 256u * at(i + 5);
        if (i + 8 + length > s.size()) continue;
        payloads.emplace_back(s.begin() + static_cast<long>(i + 6),
                              s.begin() + static_cast<long>(i + 6 + length));
    }
    return payloads;
}

TEST(UbxHealth, CorpusMonRfAgreesWithARawReading) {
    struct Capture {
        const char* Name;
        size_t Frames;
        int Blocks;
    };
    for (const Capture& c :
         {Capture{"ublox-neo-f9v.log", 1, 1}, Capture{"ublox-zed-f9t-ubx_nmea_l5.log", 2, 2}}) {
        SCOPED_TRACE(c.Name);
        const std::vector<Bytes> payloads = MonRfPayloads(c.Name);
        ASSERT_EQ(payloads.size(), c.Frames);
        for (const Bytes& p : payloads) {
            UbxState ubx;
            ASSERT_TRUE(Decode(Frame(0x0A, 0x38, p), ubx).Decoded);
            const UbxRfRecord& r = ubx.Health.Rf;
            ASSERT_EQ(r.Count, c.Blocks);
            ASSERT_EQ(p[1], c.Blocks);
            for (int k = 0; k < c.Blocks; ++k) {
                const uint8_t* b = p.data() + 4 + 24 * k;
                const UbxRfBlock& d = r.Blocks[k];
                EXPECT_EQ(d.BlockId, b[0]);
                EXPECT_EQ(d.JammingState, b[1] & 3);
                EXPECT_EQ(d.AntStatus, b[2]);
                EXPECT_EQ(d.AntPower, b[3]);
                EXPECT_EQ(d.NoisePerMs, b[12] | b[13] << 8);
                EXPECT_EQ(d.AgcCnt, b[14] | b[15] << 8);
                EXPECT_EQ(d.JamInd, b[16]);
                EXPECT_EQ(d.OfsI, static_cast<int8_t>(b[17]));
                EXPECT_EQ(d.MagI, b[18]);
                EXPECT_EQ(d.OfsQ, static_cast<int8_t>(b[19]));
                EXPECT_EQ(d.MagQ, b[20]);
                // A connected, powered antenna and a plausible gain in both captures.
                EXPECT_EQ(d.AntStatus, 2);
                EXPECT_GT(d.AgcCnt, 0);
                EXPECT_LE(d.AgcCnt, 8191);
            }
            const ReceiverHealth h = HealthOf(ubx);
            EXPECT_EQ(h.BlockCount, c.Blocks);
            EXPECT_EQ(h.JamInd, std::max(p[4 + 16], c.Blocks > 1 ? p[28 + 16] : uint8_t{0}));
        }
    }
}

Bytes Zeros(size_t n) {
    return Bytes(n, 0);
}

TEST(UbxHealth, HandMadeFramesFillTheHealthView) {
    UbxState ubx;
    // MON-HW: noise 300, AGC 4000, antenna short, power off, jamming warning, indicator 77.
    Bytes hw = Zeros(60);
    hw[16] = 0x2C, hw[17] = 0x01, hw[18] = 0xA0, hw[19] = 0x0F, hw[20] = 3, hw[21] = 0;
    hw[22] = 2 << 2 | 0x01, hw[45] = 77;
    ASSERT_TRUE(Decode(Frame(0x0A, 0x09, hw), ubx).Decoded);
    // MON-HW2: I offset -5 magnitude 200, Q offset 7 magnitude 190.
    Bytes hw2 = Zeros(28);
    hw2[0] = 0xFB, hw2[1] = 200, hw2[2] = 7, hw2[3] = 190;
    ASSERT_TRUE(Decode(Frame(0x0A, 0x0B, hw2), ubx).Decoded);
    ReceiverHealth h = HealthOf(ubx);
    ASSERT_EQ(h.BlockCount, 1);
    EXPECT_EQ(h.Blocks[0].NoisePerMs, 300);
    EXPECT_EQ(h.Blocks[0].AgcCnt, 4000);
    EXPECT_STREQ(UbxAntennaText(h.Blocks[0].AntStatus), "short");
    EXPECT_STREQ(UbxAntPowerText(h.Blocks[0].AntPower), "off");
    EXPECT_STREQ(UbxJammingText(h.JammingState), "warning");
    EXPECT_EQ(h.JamInd, 77);
    EXPECT_EQ(h.Blocks[0].OfsI, -5);
    EXPECT_EQ(h.Blocks[0].MagQ, 190);
    EXPECT_FALSE(h.SpoofingKnown);

    // MON-RF claims three blocks but holds one: one is read, and it wins over MON-HW.
    Bytes rf = Zeros(4 + 24 + 10);
    rf[1] = 3, rf[4] = 5, rf[5] = 1, rf[4 + 16] = 9;
    ASSERT_TRUE(Decode(Frame(0x0A, 0x38, rf), ubx).Decoded);
    h = HealthOf(ubx);
    ASSERT_EQ(h.BlockCount, 1);
    EXPECT_EQ(h.Blocks[0].BlockId, 5);
    EXPECT_EQ(h.JamInd, 9);

    // MON-SPAN: two blocks, a spectrum ramp, span, resolution, centre, gain.
    Bytes span = Zeros(4 + 272 * 2);
    span[1] = 2;
    for (int b = 0; b < 2; ++b) {
        uint8_t* k = span.data() + 4 + 272 * b;
        for (int i = 0; i < 256; ++i) k[i] = static_cast<uint8_t>(i ^ b);
        k[257] = 0x20, k[258] = 0xA1, k[259] = 0x07;                 // span 128 MHz
        k[264] = 0x60, k[265] = 0x2B, k[266] = 0xE7, k[267] = 0x5D;  // centre 1575430 kHz
        k[268] = static_cast<uint8_t>(50 + b);
    }
    ASSERT_TRUE(Decode(Frame(0x0A, 0x31, span), ubx).Decoded);
    const UbxSpanRecord& s = ubx.Health.Span;
    ASSERT_EQ(s.Count, 2);
    EXPECT_EQ(s.Blocks[1].Spectrum[0], 1);
    EXPECT_EQ(s.Blocks[1].Spectrum[255], 254);
    EXPECT_EQ(s.Blocks[0].Span, 0x07A12000u);
    EXPECT_EQ(s.Blocks[0].Center, 0x5DE72B60u);
    EXPECT_EQ(s.Blocks[1].Pga, 51);

    // SEC-SIG version 1: jamming critical, spoofing indicated.
    Bytes sec1 = Zeros(12);
    sec1[0] = 1, sec1[4] = 0x01 | 3 << 1, sec1[8] = 0x01 | 2 << 1;
    ASSERT_TRUE(Decode(Frame(0x27, 0x09, sec1), ubx).Decoded);
    h = HealthOf(ubx);
    EXPECT_STREQ(UbxJammingText(h.JammingState), "critical");
    EXPECT_TRUE(h.SpoofingKnown);
    EXPECT_EQ(h.SpoofingState, UbxSpoofingIndicated);

    // SEC-SIG version 2: spoofing none, two frequencies listed, the second jammed.
    Bytes sec2 = Zeros(4 + 8);
    sec2[0] = 2, sec2[1] = 0x01 | 1 << 1 | 0x08 | 1 << 4, sec2[3] = 2;
    sec2[8] = 0x28, sec2[9] = 0x8E, sec2[10] = 0x17, sec2[11] = 0x01;  // 1543720 kHz, jammed
    ASSERT_TRUE(Decode(Frame(0x27, 0x09, sec2), ubx).Decoded);
    EXPECT_EQ(ubx.Health.SecSig.SpoofingState, 1);
    ASSERT_EQ(ubx.Health.SecSig.JammedCount, 1);
    EXPECT_EQ(ubx.Health.SecSig.JammedKHz[0], 0x178E28u);

    // NAV-STATUS flags2 reports spoofing on its own: the worse state counts.
    Bytes status = Zeros(16);
    status[7] = 3 << 3;
    ASSERT_TRUE(Decode(Frame(0x01, 0x03, status), ubx).Decoded);
    EXPECT_EQ(HealthOf(ubx).SpoofingState, 3);

    // Too short for their fixed parts: counted as short, nothing changed.
    EXPECT_FALSE(Decode(Frame(0x0A, 0x09, Zeros(59)), ubx).Valid);
    EXPECT_FALSE(Decode(Frame(0x0A, 0x0B, Zeros(27)), ubx).Valid);
    EXPECT_EQ(ubx.ShortFrames, 2u);
    EXPECT_EQ(ubx.Health.Hw.Block.JamInd, 77);

    std::string line;
    UbxConsoleLine(Decode(Frame(0x0A, 0x38, rf), ubx), ubx, line);
    EXPECT_EQ(line, "UBX MON-RF 1 blocks; 5: jamming ok 9 agc 0 noise 0 antenna init off");
}

TEST(UbxHealth, NavPvtTellsItsValidityAndConfirmation) {
    UbxState ubx;
    Bytes pvt = Zeros(92);
    pvt[11] = 0x05;  // date valid, fully resolved, time not valid
    pvt[22] = 0xE0;  // confirmation available, date and time confirmed
    ASSERT_TRUE(Decode(Frame(0x01, 0x07, pvt), ubx).Decoded);
    EXPECT_EQ(ubx.Pvt.Valid, 0x05);
    EXPECT_EQ(ubx.Pvt.Flags2, 0xE0);
}

}  // namespace
