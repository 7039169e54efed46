// The control messages on a live line: restarts with their acquisition
// times, sentences switched on and off, the measurement period, and the UBX
// answers mixed into the NMEA stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "SimTestSupport.h"
#include "tools/sim/NmeaText.h"
#include "tools/sim/UbxFrame.h"

using namespace std::chrono;

namespace {

const char* const HotStartText = "B562060404000000020010680D0A";
const char* const ColdStartText = "B56206040400FF07020016790D0A";
const char* const Rate250Text = "B56206080600FA000100010010960D0A";

// Seconds of the day of a sentence's time field "hhmmss.ss"; -1 when empty.
double TimeOfDay(const std::string& field) {
    if (field.size() < 6) return -1;
    return std::stoi(field.substr(0, 2)) * 3600 + std::stoi(field.substr(2, 2)) * 60 +
           std::stod(field.substr(4));
}

// The GGA sentences of a stretch of output.
std::vector<std::vector<std::string>> Ggas(const std::string& bytes) {
    std::vector<std::vector<std::string>> list;
    for (const std::string& s : SentencesOf(bytes))
        if (TypeOf(s) == "GPGGA") list.push_back(Fields(s));
    return list;
}

// The fix type (GSA field 2) of each epoch in order, with the epoch's
// simulated time counted in one-second epochs (a cold start leaves the time
// fields empty at first).
struct FixAt {
    double Time;
    int FixType;
};
std::vector<FixAt> Fixes(const std::string& bytes) {
    std::vector<FixAt> list;
    for (const std::string& s : SentencesOf(bytes)) {
        const auto f = Fields(s);
        if (f[0] == "GPGSA") list.push_back({static_cast<double>(list.size()), std::stoi(f[2])});
    }
    return list;
}

std::vector<std::string> UbxFramesOf(const std::string& bytes) {
    std::vector<std::string> list;
    for (const StreamPiece& p : SplitStream(bytes))
        if (p.Type == StreamPiece::Ubx) list.push_back(p.Bytes);
    return list;
}

bool HasAck(const std::string& bytes, uint8_t cls, uint8_t id) {
    for (const std::string& f : UbxFramesOf(bytes))
        if (f == BuildUbxAck(true, cls, id)) return true;
    return false;
}

SimOptions ControlOptions() {
    SimOptions o = FastOptions();
    o.Times[static_cast<int>(StartKind::Hot)] = {0.5, 1};
    o.Times[static_cast<int>(StartKind::Warm)] = {3, 4};
    o.Times[static_cast<int>(StartKind::Cold)] = {5, 7};
    return o;
}

// Restarts with `command` once the receiver has a 3D fix, then reads until it
// has one again; the simulated seconds from the first no-fix epoch to the
// first 2D and 3D epochs.
struct Acquisition {
    double To2D = -1, To3D = -1;
    std::string Bytes;
};
Acquisition Restart(RunningSim& s, const std::string& command) {
    Acquisition a;
    EXPECT_TRUE(WaitFor([&] { return s.Sim.Status().Fix == FixKind::Fix3D; }, seconds(3)));
    s.Port.ReadFor(milliseconds(10));
    EXPECT_TRUE(s.Port.Write(command));
    const auto refixed = [](const std::string& b) {
        bool lost = false;
        for (const FixAt& f : Fixes(b)) {
            if (f.FixType == 1) lost = true;
            if (lost && f.FixType == 3) return true;
        }
        return false;
    };
    EXPECT_TRUE(s.Port.ReadUntil(refixed, seconds(6), a.Bytes));
    double lostAt = -1;
    for (const FixAt& f : Fixes(a.Bytes)) {
        if (f.FixType == 1 && lostAt < 0) lostAt = f.Time;
        if (lostAt < 0) continue;
        if (f.FixType >= 2 && a.To2D < 0) a.To2D = f.Time - lostAt;
        if (f.FixType == 3 && a.To3D < 0) a.To3D = f.Time - lostAt;
    }
    return a;
}

TEST(SimControl, UbxColdAndHotStartsRestartAcquisition) {
    RunningSim s(ControlOptions());
    ASSERT_TRUE(s.Ok);
    const Acquisition cold = Restart(s, FromHex(ColdStartText));
    EXPECT_TRUE(HasAck(cold.Bytes, 0x06, 0x04));
    // Epochs are a second apart: the fix comes at the first epoch at or after the set time.
    EXPECT_GE(cold.To2D, 5);
    EXPECT_LE(cold.To2D, 6);
    EXPECT_GE(cold.To3D, 7);
    EXPECT_LE(cold.To3D, 8);
    // Before the fix a real receiver leaves the position fields empty.
    for (const auto& gga : Ggas(cold.Bytes))
        if (gga[6] == "0") {
            EXPECT_TRUE(gga[2].empty() && gga[4].empty() && gga[9].empty());
        }

    const Acquisition hot = Restart(s, FromHex(HotStartText));
    EXPECT_TRUE(HasAck(hot.Bytes, 0x06, 0x04));
    EXPECT_LE(hot.To3D, 2);
    EXPECT_EQ(s.Sim.Status().Restarts[static_cast<int>(StartKind::Cold)], 1);
    EXPECT_EQ(s.Sim.Status().Restarts[static_cast<int>(StartKind::Hot)], 1);
}

TEST(SimControl, SirfWarmStartWithoutChecksumOrLineEnd) {
    RunningSim s(ControlOptions());
    ASSERT_TRUE(s.Ok);
    const Acquisition warm = Restart(s, "$PSRF104,0,0,0,96000,237759,922,12,2*28\r\n");
    EXPECT_GE(warm.To3D, 4);
    EXPECT_LE(warm.To3D, 5);
    EXPECT_TRUE(UbxFramesOf(warm.Bytes).empty());  // a SiRF receiver answers nothing
    EXPECT_EQ(s.Sim.Status().Restarts[static_cast<int>(StartKind::Warm)], 1);
}

TEST(SimControl, MonitorsMessageDialogFramesSwitchSentences) {
    RunningSim s(ControlOptions());
    ASSERT_TRUE(s.Ok);
    // Frames as the message dialog sends them: GGA, GSA, RMC and ZDA on for
    // UART1, GLL, GSV and VTG on USB only, then the period of 1000 ms.
    auto msg = [](uint8_t id, uint8_t uart, uint8_t usb) {
        return BuildUbxFrame(0x06, 0x01, {0xF0, id, 0, uart, 0, usb, 0, 1}) + "\r\n";
    };
    std::string command = msg(0x00, 1, 1) + msg(0x01, 0, 1) + msg(0x02, 1, 1) + msg(0x03, 0, 1) +
                          msg(0x04, 1, 1) + msg(0x05, 0, 1) + msg(0x08, 1, 1) +
                          FromHex("B56206080600E8030100010001390D0A");
    s.Port.ReadFor(milliseconds(10));
    ASSERT_TRUE(s.Port.Write(command));
    ASSERT_TRUE(WaitFor([&] { return s.Sim.Status().Acks == 8; }, seconds(2)));
    std::string all;
    const auto threeZdas = [](const std::string& b) {
        int n = 0;
        for (const std::string& x : SentencesOf(b)) n += TypeOf(x) == "GPZDA";
        return n >= 3;
    };
    ASSERT_TRUE(s.Port.ReadUntil(threeZdas, seconds(4), all));
    // ZDA was off before: the epochs after the first ZDA are all of the new set.
    std::vector<std::string> types;
    for (const auto& x : SentencesOf(all)) types.push_back(TypeOf(x));
    const auto zda = std::find(types.begin(), types.end(), "GPZDA");
    const std::vector<std::string> after(zda + 1, types.end());
    ASSERT_GE(after.size(), 8u);
    for (size_t i = 0; i < after.size(); ++i) {
        static const char* const Epoch[] = {"GPGGA", "GPGSA", "GPRMC", "GPZDA"};
        EXPECT_EQ(after[i], Epoch[i % 4]);
    }

    // All off on UART (USB only) silences the receiver.
    command.clear();
    for (uint8_t id : {0, 1, 2, 3, 4, 5, 8}) command += msg(id, 0, 1);
    ASSERT_TRUE(s.Port.Write(command));
    ASSERT_TRUE(WaitFor([&] { return s.Sim.Status().Acks == 15; }, seconds(2)));
    s.Port.ReadFor(milliseconds(300));  // what was already on its way
    EXPECT_TRUE(SentencesOf(s.Port.ReadFor(milliseconds(700))).empty());
    for (int k = 0; k < SentenceKindCount; ++k) EXPECT_EQ(s.Sim.Status().Rates[k].Value, 0u);
}

TEST(SimControl, AcksGoBetweenSentencesAndBadFramesAreIgnored) {
    RunningSim s(ControlOptions());
    ASSERT_TRUE(s.Ok);
    std::string bad = FromHex(ColdStartText);
    bad[11] ^= 0x01;
    std::string all;
    // A burst of commands while the receiver is talking.
    for (int i = 0; i < 6; ++i) {
        all += s.Port.ReadFor(milliseconds(70));
        ASSERT_TRUE(s.Port.Write(BuildUbxFrame(0x06, 0x08, {0xE8, 0x03, 1, 0, 1, 0}) + bad));
    }
    ASSERT_TRUE(s.Port.ReadUntil([](const std::string& b) { return UbxFramesOf(b).size() >= 6; },
                                 seconds(3), all));
    all += s.Port.ReadFor(milliseconds(300));
    size_t acks = 0;
    for (const StreamPiece& p : SplitStream(all)) {
        EXPECT_NE(p.Type, StreamPiece::Stray) << "an answer cut into a sentence";
        if (p.Type == StreamPiece::Ubx) {
            EXPECT_EQ(p.Bytes, BuildUbxAck(true, 0x06, 0x08));
            ++acks;
        } else {
            EXPECT_TRUE(SentenceChecksumOk(p.Bytes)) << p.Bytes;
        }
    }
    EXPECT_EQ(acks, 6u);
    EXPECT_EQ(s.Sim.Status().Restarts[static_cast<int>(StartKind::Cold)], 0);
    EXPECT_EQ(s.Sim.Status().Commands, 12);
}

TEST(SimControl, CfgRateSetsTheMeasurementPeriod) {
    SimOptions o = ControlOptions();
    o.TimeScale = 1;
    RunningSim s(o);
    ASSERT_TRUE(s.Ok);
    ASSERT_TRUE(s.Port.Write(FromHex(Rate250Text)));
    ASSERT_TRUE(WaitFor([&] { return s.Sim.Status().PeriodMs == 250; }, seconds(2)));
    s.Port.ReadFor(milliseconds(1100));  // the epoch in progress
    const auto start = steady_clock::now();
    const std::string all = s.Port.ReadFor(milliseconds(1500));
    const duration<double> elapsed = steady_clock::now() - start;
    const auto ggas = Ggas(all);
    ASSERT_GE(ggas.size(), 3u);
    for (size_t i = 1; i < ggas.size(); ++i)
        EXPECT_NEAR(TimeOfDay(ggas[i][1]) - TimeOfDay(ggas[i - 1][1]), 0.25, 1e-6);
    // Four epochs a second on the wall clock too (loosely).
    EXPECT_GE(ggas.size(), static_cast<size_t>(elapsed.count() * 4 * 0.6));
    EXPECT_LE(ggas.size(), static_cast<size_t>(elapsed.count() * 4 + 2));
}

TEST(SimControl, SirfIntervalsInSeconds) {
    RunningSim s(ControlOptions());
    ASSERT_TRUE(s.Ok);
    // GSV off, GGA every 3 s, RMC every 2 s; VTG off without its checksum,
    // which a receiver ignores.
    ASSERT_TRUE(
        s.Port.Write("$PSRF103,05,00,00,01*$PSRF103,03,00,00,01*27\r\n"
                     "$PSRF103,00,00,03,01*27\r\n" +
                     FinishSentence("PSRF103,04,00,02,01")));
    ASSERT_TRUE(WaitFor([&] { return s.Sim.Status().Commands == 4; }, seconds(2)));
    s.Port.ReadFor(milliseconds(300));
    const std::string all = s.Port.ReadFor(milliseconds(3000));  // 12 simulated seconds
    std::vector<double> gga, rmc;
    size_t vtg = 0;
    for (const std::string& x : SentencesOf(all)) {
        const auto f = Fields(x);
        EXPECT_NE(f[0], "GPGSV");
        vtg += f[0] == "GPVTG";
        if (f[0] == "GPGGA") gga.push_back(TimeOfDay(f[1]));
        if (f[0] == "GPRMC") rmc.push_back(TimeOfDay(f[1]));
    }
    ASSERT_GE(gga.size(), 2u);
    ASSERT_GE(rmc.size(), 3u);
    for (size_t i = 1; i < gga.size(); ++i) EXPECT_NEAR(gga[i] - gga[i - 1], 3, 1e-6);
    for (size_t i = 1; i < rmc.size(); ++i) EXPECT_NEAR(rmc[i] - rmc[i - 1], 2, 1e-6);
    EXPECT_EQ(s.Sim.Status().Rates[static_cast<int>(SentenceKind::GSV)].Value, 0u);
    EXPECT_GE(vtg, rmc.size()) << "VTG goes on every second";
}

}  // namespace
