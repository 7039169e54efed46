// The interference watch, rule by rule: each alarm at its threshold and just
// short of it, from a short run of epochs, and raised once while its rule holds.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "eval/Export.h"
#include "eval/InterferenceWatch.h"

namespace {

constexpr double MetresPerDegree = 6371008.8 * 3.14159265358979323846 / 180;

Epoch At(uint32_t utcMs, std::vector<int> cno = {}, double northM = 0, double speedMs = 0) {
    Epoch e;
    e.UtcMs = utcMs;
    e.HostMs = utcMs;
    e.Fix = EpochFix::Fix3D;
    e.HasPosition = true;
    e.Latitude = northM / MetresPerDegree;
    e.SpeedMs = speedMs;
    uint16_t prn = 1;
    for (int c : cno)
        e.Satellites.push_back(
            {Constellation::Gps, prn++, static_cast<uint8_t>(c), 45, 90, true, c > 0});
    return e;
}

ReceiverHealth Health(int jamInd, uint8_t spoofing = 1) {
    ReceiverHealth h;
    h.Known = true;
    h.BlockCount = 1;
    h.JamInd = h.Blocks[0].JamInd = static_cast<uint8_t>(jamInd);
    h.SpoofingKnown = true;
    h.SpoofingState = spoofing;
    return h;
}

const std::vector<int> Six = {40, 42, 44, 46, 48, 50};

struct Case {
    const char* Name;
    std::vector<Epoch> Epochs;  // checked in order; the alarms of the last one count
    ReceiverHealth Last;        // the health at the last epoch (before: clean)
    std::vector<AlarmKind> Raised;
};

std::vector<Case> Cases() {
    const auto shifted = [](int by, int count) {
        std::vector<int> c = Six;
        for (int i = 0; i < count; ++i) c[static_cast<size_t>(i)] -= by;
        return c;
    };
    Epoch timeJump = At(2001, Six);
    timeJump.HostMs = 1000;
    Epoch timeSame = At(2000, Six);
    timeSame.HostMs = 1000;
    Epoch fileTime = At(9000, Six);  // a file: the host clock stands still
    fileTime.HostMs = 0;
    Epoch fileStart = At(0, Six);
    fileStart.HostMs = 0;
    return {
        {"jamming indicator at the threshold",
         {At(0, Six), At(1000, Six)},
         Health(100),
         {AlarmKind::Jamming}},
        {"jamming indicator just below", {At(0, Six), At(1000, Six)}, Health(99), {}},
        {"C/N0 of four of six down 7 dB",
         {At(0, Six), At(1000, shifted(7, 4))},
         Health(0),
         {AlarmKind::CnoDrop}},
        {"C/N0 of four of six down 6 dB", {At(0, Six), At(1000, shifted(6, 4))}, Health(0), {}},
        {"C/N0 of three of six down 7 dB", {At(0, Six), At(1000, shifted(7, 3))}, Health(0), {}},
        {"satellites lost count as dropped",
         {At(0, Six), At(1000, {40, 42, 0, 0, 0, 0})},
         Health(0),
         {AlarmKind::CnoDrop}},
        {"C/N0 down within 5 s",
         {At(0, Six), At(5000, shifted(10, 6))},
         Health(0),
         {AlarmKind::CnoDrop}},
        {"C/N0 down over 6 s", {At(0, Six), At(6000, shifted(10, 6))}, Health(0), {}},
        {"spoofing indicated", {At(0, Six), At(1000, Six)}, Health(0, 2), {AlarmKind::Spoofing}},
        {"no spoofing", {At(0, Six), At(1000, Six)}, Health(0, 1), {}},
        {"position 51 m off at rest",
         {At(0, Six), At(1000, Six, 51)},
         Health(0),
         {AlarmKind::PositionJump}},
        {"position 49 m off at rest", {At(0, Six), At(1000, Six, 49)}, Health(0), {}},
        {"61 m at 10 m/s",
         {At(0, Six, 0, 10), At(1000, Six, 61, 10)},
         Health(0),
         {AlarmKind::PositionJump}},
        {"59 m at 10 m/s", {At(0, Six, 0, 10), At(1000, Six, 59, 10)}, Health(0), {}},
        {"time 1.001 s off the host clock",
         {At(0, Six), timeJump},
         Health(0),
         {AlarmKind::TimeJump}},
        {"time 1 s off the host clock", {At(0, Six), timeSame}, Health(0), {}},
        {"a file's time gap", {fileStart, fileTime}, Health(0), {}},
        {"six satellites within 1 dB",
         {At(0, Six), At(1000, {40, 41, 40, 41, 40, 40})},
         Health(0),
         {AlarmKind::EqualCno}},
        {"six satellites within 2 dB",
         {At(0, Six), At(1000, {40, 42, 40, 41, 40, 40})},
         Health(0),
         {}},
        {"five satellites equal", {At(0, Six), At(1000, {40, 40, 40, 40, 40})}, Health(0), {}},
    };
}

TEST(InterferenceWatch, EachRuleAtItsThresholdAndJustBelow) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.Name);
        InterferenceWatch watch;
        for (size_t i = 0; i + 1 < c.Epochs.size(); ++i) watch.Check(c.Epochs[i], Health(0));
        const int raised = watch.Check(c.Epochs.back(), c.Last);
        ASSERT_EQ(raised, static_cast<int>(c.Raised.size()));
        std::vector<AlarmKind> kinds;
        for (const WatchEvent& e : watch.Events()) kinds.push_back(e.Kind);
        EXPECT_EQ(kinds, c.Raised);
        for (const WatchEvent& e : watch.Events()) {
            EXPECT_EQ(e.UtcMs, c.Epochs.back().UtcMs);
            EXPECT_FALSE(e.Text.empty());
        }
    }
}

// An alarm is raised when its rule starts to hold, not again while it holds,
// and again once it has stopped holding.
TEST(InterferenceWatch, RaisesOncePerEpisode) {
    InterferenceWatch watch;
    const int jamInd[] = {10, 150, 180, 150, 20, 160};
    uint32_t t = 0;
    for (int j : jamInd) watch.Check(At(t += 1000, Six), Health(j));
    ASSERT_EQ(watch.Events().size(), 2u);
    EXPECT_EQ(watch.Events()[0].UtcMs, 2000u);
    EXPECT_EQ(watch.Events()[1].UtcMs, 6000u);
    EXPECT_EQ(watch.Events()[1].Value, 160);

    // Thresholds come from the settings.
    WatchThresholds limits;
    limits.JamIndicator = 200;
    InterferenceWatch strict(limits);
    t = 0;
    for (int j : jamInd) strict.Check(At(t += 1000, Six), Health(j));
    EXPECT_TRUE(strict.Events().empty());

    std::ostringstream csv;
    ExportEventsCsv(watch.Events(), csv);
    EXPECT_EQ(csv.str().substr(0, csv.str().find('\n')), "host_s,utc,kind,value,threshold,text");
    EXPECT_NE(csv.str().find("2.000,00:00:02.000,jamming,150.00,100.00,\"jamming indicator 150"),
              std::string::npos)
        << csv.str();
}

}  // namespace
