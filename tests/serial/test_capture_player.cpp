// The capture player: what goes out in which order, and the user's controls.
// Pace in wall time is measured by bench_player, not here.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DecoderProcess.h"
#include "serial/CapturePlayer.h"
#include "serial/PortDevice.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "tests/framing/UbxBytes.h"

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

// A UBX navigation frame telling `timeOfWeekMs`, then `rest`.
std::string Nav(uint8_t id, uint32_t timeOfWeekMs, const std::string& rest = "") {
    std::string payload;
    for (int i = 0; i < 4; ++i) payload += static_cast<char>(timeOfWeekMs >> (8 * i) & 0xFF);
    return UbxBytes(0x01, id, payload + rest);
}

// The sentences in what the player sent, without their line ends.
std::vector<std::string> Split(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '$') lines.push_back(line);
    }
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

// The pieces' capture times: a comment and a sentence before the first
// time go with its epoch, midnight passes, a line without a time takes the
// time before it; UBX navigation frames time a capture without NMEA times.
// All the player sends until it has ended.
std::string TakeAll(CapturePlayer& player, size_t chunk) {
    std::string taken;
    std::vector<uint8_t> buffer(chunk);
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!player.Playback()->Snapshot().Ended && std::chrono::steady_clock::now() < limit) {
        const int n = player.Read(buffer.data(), buffer.size(), 10);
        if (n > 0) taken.append(reinterpret_cast<const char*>(buffer.data()), n);
    }
    return taken;
}

TEST(CapturePlayer, TimesEachPieceByTheCapturesOwnClock) {
    const std::string ubxOnly = Nav(0x07, 604799000) + "# note\n" + Nav(0x35, 604799000) +
                                UbxBytes(0x0A, 0x04, "no time") + Nav(0x07, 500);
    const std::string untimed = "$GPGSV,1,1,00*00\n$GPGSV,1,1,00*00\n";
    const struct {
        const char* name;
        std::string capture;
        std::vector<double> times;
    } cases[] = {
        {"sentences", Capture, {0, 0, 0, 0, 1, 1, 1, 2.5}},
        {"UBX frames, over the week's end", ubxOnly, {0, 0, 0, 0, 1.5}},
        {"no time", untimed, {0, 1 / CapturePlayer::UntimedLinesPerSecond}},
    };
    for (const auto& c : cases) {
        CapturePlayer player(c.capture);
        ASSERT_EQ(player.Lines(), c.times.size()) << c.name;
        for (size_t i = 0; i < c.times.size(); ++i)
            EXPECT_NEAR(player.TimeOf(i), c.times[i], 1e-9) << c.name << ", piece " << i;
    }
    CapturePlayer player(Capture);
    EXPECT_EQ(player.Write(reinterpret_cast<const uint8_t*>("$"), 1, 10), -1);
}

// Every byte goes out as it stands, whatever the reads' size: UBX frames
// holding LF, "#" and "$" bytes, comments, empty lines, a last line
// without its end.
TEST(CapturePlayer, AsFastAsPossibleSendsEveryByteInOrderThenStaysQuiet) {
    const std::string binary = "# header\n" + Nav(0x07, 1000, std::string("\n#\n$GPGGA,1\r\n")) +
                               "$GPGGA,000000.00,,,,,0,,,,,,,,*00\r\r\n" +
                               UbxBytes(0x05, 0x01, "\n\n") + "\n\xB5\x62\x01" + Capture +
                               "$GPGSV,1,1,00*00";
    for (const std::string& capture : {Capture, binary}) {
        for (size_t chunk : {size_t{1}, size_t{7}, size_t{2048}}) {
            CapturePlayer player(capture);
            player.Playback()->SetSpeed(PlaybackControl::AsFastAsPossible);
            EXPECT_EQ(TakeAll(player, chunk), capture) << "reads of " << chunk;
            const PlaybackControl::State state = player.Playback()->Snapshot();
            EXPECT_TRUE(state.Ended);
            EXPECT_EQ(state.Position, player.Lines());
            EXPECT_EQ(state.Utc, "00:00:01");
        }
    }
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

    control.Seek(0.5);  // piece 4 of 8
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

// What a capture gives: its records as counted by the framer.
struct Framed {
    uint64_t Sentences = 0, Frames = 0, BadChecksums = 0;
    bool operator==(const Framed& o) const {
        return Sentences == o.Sentences && Frames == o.Frames && BadChecksums == o.BadChecksums;
    }
};
std::ostream& operator<<(std::ostream& out, const Framed& f) {
    return out << f.Sentences << " sentences, " << f.Frames << " UBX frames, " << f.BadChecksums
               << " bad checksums";
}

// Plays `path` through a file:// link as fast as it goes and frames it as
// the reader does; `log` gets what the monitor's Log would write of it.
Framed PlayThroughLink(const std::string& path, std::string& log) {
    YComPort port;
    Framed framed;
    if (!port.OpenPort(Source::Link("file://" + path), 9600)) {
        ADD_FAILURE() << port.LastError();
        return framed;
    }
    port.Playback()->SetSpeed(PlaybackControl::AsFastAsPossible);
    const std::atomic<bool> stop{false};
    char sentence[SentenceBufferSize];
    framing::UbxFrameBuffer frame;
    const auto limit = std::chrono::steady_clock::now() + 60s;
    // Done once the player has ended and two hunts in a row found nothing.
    for (int idle = 0; idle < 2 && std::chrono::steady_clock::now() < limit;) {
        uint16_t length = 0;
        switch (port.ReadRecord(sentence, length, &frame, stop)) {
            case RecordKind::Sentence:
                ++framed.Sentences;
                log.append(sentence, length).append("\r\n");
                idle = 0;
                break;
            case RecordKind::Ubx:
                log.append(reinterpret_cast<const char*>(frame.Bytes), frame.Size);
                idle = 0;
                break;
            default:
                idle = port.Playback()->Snapshot().Ended ? idle + 1 : 0;
        }
    }
    framed.Frames = port.Framer().UbxFrames;
    framed.BadChecksums = port.Framer().UbxBadChecksums;
    port.ClosePort();
    return framed;
}

// What lumarokub-decode --final counts in the file.
Framed DecodeFile(const std::string& path) {
    Decoder decoder({"--final", path});
    const std::string line = decoder.Line(30s);
    EXPECT_EQ(decoder.Wait(), 0) << decoder.Errors();
    Framed framed;
    const nlohmann::json state = nlohmann::json::parse(line, nullptr, false);
    if (!state.is_object()) {
        ADD_FAILURE() << "not JSON: " << line.substr(0, 200);
        return framed;
    }
    framed.Sentences = state["counts"]["sentences"].get<uint64_t>();
    if (state.contains("Ubx")) {
        framed.Frames = state["Ubx"]["frames"].get<uint64_t>();
        framed.BadChecksums = state["Ubx"]["badChecksums"].get<uint64_t>();
    }
    return framed;
}

// A UBX capture played through file:// reads as its decode does, and so does
// the monitor's Log of it (CR CR LF, frames byte for byte) played back: the
// same frames, none broken.
TEST(CapturePlayer, CapturesAndTheMonitorsLogsPlayTheirFramesWhole) {
    const std::string ubxDir = std::string(LUMAROKUB_CORPUS_DIR) + "/../ubx/";
    for (const char* name : {"ublox-neo-m8p.log", "ublox-zed-f9t-ubx_nmea_l5.log"}) {
        SCOPED_TRACE(name);
        const std::string capture = ubxDir + name;
        std::string log;
        const Framed played = PlayThroughLink(capture, log);
        EXPECT_EQ(played, DecodeFile(capture));
        ASSERT_GT(played.Frames, 50u);

        const std::string logPath =
            testing::TempDir() + "player-log-" + std::to_string(getpid()) + "-" + name;
        std::ofstream(logPath, std::ios::binary) << log;
        std::string again;
        const Framed replayed = PlayThroughLink(logPath, again);
        EXPECT_EQ(replayed, DecodeFile(logPath));
        EXPECT_EQ(replayed.Frames, played.Frames);
        EXPECT_EQ(replayed.Sentences, played.Sentences);
        EXPECT_EQ(replayed.BadChecksums, 0u);
        EXPECT_TRUE(again == log) << "the Log of the Log is the Log";
        std::remove(logPath.c_str());
    }
}

}  // namespace
