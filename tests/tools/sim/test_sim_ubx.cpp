// The simulator as a UBX receiver: NAV-PVT, NAV-SAT, NAV-STATUS and NAV-DOP
// each epoch, read back through the monitor's framing and decoding, and the
// MON-VER poll answered.
#include <gtest/gtest.h>

#include <chrono>

#include "SimTestSupport.h"
#include "framing/Framing.h"
#include "intake/UbxIntake.h"
#include "tools/sim/UbxFrame.h"

using namespace std::chrono;

namespace {

struct Decoded {
    NMEA_Manager Store;
    int Sentences = 0;
    int Pvts = 0;
};

void DecodeAll(const std::string& bytes, Decoded& d) {
    static framing::UbxFrameBuffer frame;
    MemoryByteSource source(bytes.data(), bytes.size());
    framing::FramerState state;
    char buffer[SentenceBufferSize];
    while (!source.AtEnd()) {
        uint16_t length = 0;
        const RecordKind kind =
            FrameRecord(source, buffer, length, state, &frame, [] { return false; });
        if (kind == RecordKind::Sentence) ++d.Sentences;
        if (kind != RecordKind::Ubx) continue;
        const UbxDispatchResult r = DispatchUbx(frame.Bytes, frame.Size, d.Store);
        EXPECT_TRUE(r.Decoded) << UbxMessageName(r.Class, r.Id);
        d.Pvts += r.Class == 0x01 && r.Id == 0x07;
    }
}

TEST(SimUbxReceiver, AUbxReceiverSendsItsEpochsAndFillsTheViews) {
    SimOptions o = FastOptions();
    o.Protocol = SimProtocol::Ubx;
    o.Talkers = TalkerMode::Multi;
    o.Baud = 115200;
    o.TimeScale = 10;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    std::string all;
    Decoded d;
    s.Port.ReadUntil(
        [&](const std::string& b) {
            Decoded probe;
            DecodeAll(b, probe);
            return probe.Pvts >= 12;
        },
        seconds(20), all);
    DecodeAll(all, d);
    EXPECT_GE(d.Pvts, 12);
    EXPECT_EQ(d.Sentences, 0);
    const UbxState& ubx = d.Store.Ubx;
    for (uint8_t id : {0x07, 0x35, 0x03, 0x04}) EXPECT_GE(ubx.CountOf(0x01, id), 11u) << int(id);
    EXPECT_EQ(ubx.Pvt.FixType, 3);
    EXPECT_NEAR(ubx.Pvt.Lat / 1e7, o.LatDeg, 0.01);
    EXPECT_NEAR(ubx.Pvt.Lon / 1e7, o.LonDeg, 0.01);
    EXPECT_GT(ubx.Status.Ttff, 0u);
    EXPECT_GT(ubx.Sat.Count, 8);
    EXPECT_EQ(d.Store.Display().FixModeText, "3D");
    EXPECT_EQ(d.Store.Display().LatText.substr(0, 7), "N 25.04");
    EXPECT_TRUE(d.Store.Sky.Extended());
}

TEST(SimUbxReceiver, MonVerPollIsAnswered) {
    SimOptions o = FastOptions();
    o.Protocol = SimProtocol::Ubx;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    ASSERT_TRUE(s.Port.Write(BuildUbxFrame(UbxClassMon, UbxMonVer, {})));
    std::string all;
    Decoded d;
    s.Port.ReadUntil(
        [&](const std::string& b) {
            Decoded probe;
            DecodeAll(b, probe);
            return probe.Store.Ubx.VersionKnown;
        },
        seconds(10), all);
    DecodeAll(all, d);
    ASSERT_TRUE(d.Store.Ubx.VersionKnown);
    EXPECT_EQ(std::string(d.Store.Ubx.Version.Hardware), "00080000");
    EXPECT_EQ(std::string(d.Store.Ubx.Version.Extensions[2]), "MOD=SIM-M8");
}

}  // namespace
