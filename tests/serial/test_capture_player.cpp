// The capture player: what goes out in which order, and the user's controls.
// Pace in wall time is measured by bench_player, not here.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "serial/CapturePlayer.h"
#include "serial/PortDevice.h"

namespace {

using namespace std::chrono_literals;

// Three epochs a second apart; a comment, a sentence before the first time,
// CR CR LF line ends (this program's captures) and a GSV without a time.
const std::string Capture =
    "# a corpus log's comment\n"
    "$GPGSA,A,1*00\r\r\n"
    "$GPGGA,235959.00,,,,,0,,,,,,,,*00\r\r\n"
    "$GPGSV,1,1,00*00\r\r\n"
    "$GPRMC,000000.00,V,,,,,,,010101,,,N*00\n"
    "$GPGGA,000000.00,,,,,0,,,,,,,,*00\n"
    "\n"
    "$GPZDA,000001.50,01,01,2001,,*00\n";

std::vector<std::string> Split(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

// What the player sends within `limit`.
std::string Take(CapturePlayer& player, std::chrono::milliseconds limit, size_t chunk = 2048) {
    std::string taken;
    std::vector<uint8_t> buffer(chunk);
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const int n = player.Read(buffer.data(), buffer.size(), 10);
        if (n > 0) taken.append(reinterpret_cast<const char*>(buffer.data()), n);
    }
    return taken;
}

TEST(CapturePlayer, ReadsEveryKindOfCaptureAndTimesItsEpochs) {
    CapturePlayer player(Capture);
    ASSERT_EQ(player.Lines(), 6u);             // no comment, no empty line
    EXPECT_EQ(player.TimeOf(0), 0.0);          // before the first time: its epoch
    EXPECT_EQ(player.TimeOf(2), 0.0);          // the GSV goes with the GGA before it
    EXPECT_NEAR(player.TimeOf(3), 1.0, 1e-9);  // past midnight
    EXPECT_NEAR(player.TimeOf(5), 2.5, 1e-9);
    EXPECT_EQ(player.Write(reinterpret_cast<const uint8_t*>("$"), 1, 10), -1);

    CapturePlayer untimed("$GPGSV,1,1,00*00\n$GPGSV,1,1,00*00\n");
    EXPECT_NEAR(untimed.TimeOf(1), 1.0 / CapturePlayer::UntimedLinesPerSecond, 1e-9);
}

TEST(CapturePlayer, AsFastAsPossibleSendsEveryLineInOrderThenStaysQuiet) {
    CapturePlayer player(Capture);
    player.Playback()->SetSpeed(PlaybackControl::AsFastAsPossible);
    const std::vector<std::string> lines = Split(Take(player, 100ms, 7));  // lines cut across reads
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "$GPGSA,A,1*00");
    EXPECT_EQ(lines[1], "$GPGGA,235959.00,,,,,0,,,,,,,,*00");
    EXPECT_EQ(lines[5], "$GPZDA,000001.50,01,01,2001,,*00");
    const PlaybackControl::State state = player.Playback()->Snapshot();
    EXPECT_TRUE(state.Ended);
    EXPECT_EQ(state.Position, 6u);
    EXPECT_EQ(state.Utc, "00:00:01");
}

TEST(CapturePlayer, PacedPlaySendsOnlyWhatIsDue) {
    CapturePlayer player(Capture);
    EXPECT_EQ(Split(Take(player, 300ms)).size(), 3u) << "the next epoch is due after 1 s";
    player.Playback()->SetSpeed(PlaybackControl::FastestSpeed);
    EXPECT_EQ(Split(Take(player, 300ms)).size(), 3u);
}

TEST(CapturePlayer, PauseStepSeekAndLoop) {
    CapturePlayer player(Capture);
    PlaybackControl& control = *player.Playback();
    control.SetPaused(true);
    EXPECT_EQ(Take(player, 100ms), "");
    control.Step();  // one epoch, still paused
    EXPECT_EQ(Split(Take(player, 100ms)).size(), 3u);
    control.Step();
    const std::vector<std::string> second = Split(Take(player, 100ms));
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].substr(0, 6), "$GPRMC");
    EXPECT_TRUE(control.Snapshot().Paused);

    control.Seek(0.5);  // line 3 of 6
    control.SetSpeed(PlaybackControl::AsFastAsPossible);
    control.SetPaused(false);
    const std::vector<std::string> rest = Split(Take(player, 100ms));
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(rest[0].substr(0, 6), "$GPRMC");

    control.SetLoop(true);
    const std::vector<std::string> looped = Split(Take(player, 50ms));
    ASSERT_GE(looped.size(), 12u);
    EXPECT_EQ(looped[0], "$GPGSA,A,1*00");
    EXPECT_EQ(looped[6], "$GPGSA,A,1*00");
}

TEST(CapturePlayer, SpeedIsKeptWithinItsRange) {
    PlaybackControl control;
    control.SetSpeed(0.1);
    EXPECT_EQ(control.Snapshot().Speed, PlaybackControl::SlowestSpeed);
    control.SetSpeed(1000);
    EXPECT_EQ(control.Snapshot().Speed, PlaybackControl::FastestSpeed);
    control.SetSpeed(-1);
    EXPECT_EQ(control.Snapshot().Speed, PlaybackControl::AsFastAsPossible);
}

TEST(CapturePlayer, AMissingOrEmptyCaptureIsRefused) {
    std::string error;
    EXPECT_EQ(CapturePlayer::Open("/nonexistent/capture.txt", error), nullptr);
    EXPECT_NE(error.find("/nonexistent/capture.txt"), std::string::npos);
}

}  // namespace
