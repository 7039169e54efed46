// The simulator as an RTK receiver: corrections from rtklib's caster on
// 127.0.0.1 reach it through lumarokub-decode --corrections on its
// pseudo-terminal; it reports DGNSS, then RTK float and fixed at its --rtk
// times (read from its own GGA times), counts every frame whole (its answer
// to the count query) and lumarokub-decode's --final tells the state. Beside
// it, the command parser's RTCM framing and the RTK model's timing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "SimTestSupport.h"
#include "tests/ntrip/CasterProcess.h"
#include "tests/ntrip/RtcmCount.h"
#include "tests/serial/DecoderProcess.h"
#include "tools/sim/NmeaText.h"
#include "tools/sim/RtkModel.h"

using namespace std::chrono;
using nlohmann::json;

namespace {

std::string ReadCorpusFile(const std::string& name) {
    std::ifstream in(std::string(LUMAROKUB_RTCM_CORPUS_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The frames of a capture whose CRC holds, each whole (the scan of
// tests/ntrip/RtcmCount.h, keeping the frames).
std::vector<std::string> FramesOf(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    std::vector<std::string> frames;
    size_t i = 0;
    while (i + 6 <= text.size()) {
        const size_t length = static_cast<size_t>(bytes[i + 1] & 3) << 8 | bytes[i + 2];
        const size_t covered = 3 + length;
        if (bytes[i] != 0xD3 || (bytes[i + 1] & 0xFC) != 0 || i + covered + 3 > text.size() ||
            framing::Crc24q(bytes + i, covered) !=
                (static_cast<uint32_t>(bytes[i + covered]) << 16 |
                 static_cast<uint32_t>(bytes[i + covered + 1]) << 8 | bytes[i + covered + 2])) {
            ++i;
            continue;
        }
        frames.push_back(text.substr(i, covered + 3));
        i += covered + 3;
    }
    return frames;
}

// GGA's time field in seconds of the day.
double GgaSeconds(const std::string& sentence) {
    const std::string time = sentence.substr(7, 9);
    return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(2, 2)) * 60 +
           std::stod(time.substr(4));
}

char GgaQuality(const std::string& sentence) {
    size_t at = 0;
    for (int comma = 0; comma < 6; ++comma) at = sentence.find(',', at) + 1;
    return sentence[at];
}

TEST(SimRtk, FloatThenFixedFromACastersCorrections) {
    if (CasterProcess::Program().empty()) GTEST_SKIP() << "str2str is not installed";
    const std::vector<std::string> frames = FramesOf(ReadCorpusFile("rtcm3.2.log"));
    ASSERT_GT(frames.size(), 100u);

    const uint16_t port = CasterProcess::FreePort();
    CasterProcess caster(port, "rover:pw", "RTK",
                         "RTK;RTCM 3.2;;2;GPS;NET;DEU;52.5;13.3;0;0;x;none;B;N;9600;");
    ASSERT_TRUE(caster.WaitAccepting()) << caster.Command();

    SimOptions options = FastOptions();
    options.TimeScale = 1;
    options.Rtk = {true, 2, 4};
    ReceiverSimulator sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    Decoder decoder({"--final", "--port", sim.SlavePath(), "--baud", "115200", "--corrections",
                     "ntrip://rover:pw@127.0.0.1:" + std::to_string(port) + "/RTK"});

    // The caster serves a frame every 20 ms, the capture over and over,
    // until the receiver says RTK fixed; frames served before the decoder
    // streams reach nobody, so the count starts with the first the
    // simulator takes.
    std::atomic<bool> stop{false};
    std::vector<size_t> servedSizes;  // of every frame served, in order
    std::thread server([&] {
        for (size_t i = 0; !stop; ++i) {
            const std::string& frame = frames[i % frames.size()];
            if (!caster.Serve(frame)) return;
            servedSizes.push_back(frame.size());
            std::this_thread::sleep_for(milliseconds(20));
        }
    });
    const bool fixed =
        WaitFor([&] { return sim.LastEpoch().Rtk == RtkSolution::Fixed; }, seconds(90));
    stop = true;
    server.join();
    ASSERT_TRUE(fixed);

    // Epochs fall each second: float 2 s and fixed 4 s after the first
    // correction, which came within the second before the first DGNSS epoch.
    double dgnssAt = -1, floatAt = -1, fixedAt = -1;
    std::string rmcModes;
    for (const SentItem& item : sim.Sent()) {
        if (item.Type != SentItem::Sentence) continue;
        const std::string& sentence = item.Bytes;
        if (TypeOf(sentence) == "GPRMC") rmcModes += sentence[sentence.find('*') - 1];
        if (TypeOf(sentence) != "GPGGA") continue;
        const char quality = GgaQuality(sentence);
        if (quality == '2' && dgnssAt < 0) dgnssAt = GgaSeconds(sentence);
        if (quality == '5' && floatAt < 0) floatAt = GgaSeconds(sentence);
        if (quality == '4' && fixedAt < 0) fixedAt = GgaSeconds(sentence);
    }
    ASSERT_GE(dgnssAt, 0);
    EXPECT_GE(floatAt - dgnssAt, 1);
    EXPECT_LE(floatAt - dgnssAt, 3);
    EXPECT_GE(fixedAt - dgnssAt, 3);
    EXPECT_LE(fixedAt - dgnssAt, 5);
    EXPECT_NE(rmcModes.find("DF"), std::string::npos) << rmcModes;

    decoder.Signal(SIGTERM);
    ASSERT_EQ(decoder.Wait(seconds(60)), 0) << decoder.Errors();
    std::string last;
    std::istringstream rest(decoder.Rest());
    for (std::string line; std::getline(rest, line);)
        if (!line.empty()) last = line;
    const json state = json::parse(last);

    // The caster's stream reached the decoder from some frame on: the
    // bytes it counted are the last frames served, and every one of them
    // reached the simulator whole.
    const size_t received = state["corrections"]["bytes"].get<size_t>();
    size_t sum = 0, sent = 0;
    for (auto size = servedSizes.rbegin(); size != servedSizes.rend() && sum < received; ++size) {
        sum += *size;
        ++sent;
    }
    ASSERT_EQ(sum, received) << "the caster's stream does not end in whole frames";
    EXPECT_EQ(sim.Status().RtcmFrames, sent);
    EXPECT_EQ(sim.Status().RtcmBadFrames, 0u);
    EXPECT_EQ(state["rtk"]["fix"], "RTK fixed") << state["rtk"];
    EXPECT_TRUE(state["rtk"]["age"].is_number()) << state["rtk"];
    EXPECT_LT(state["rtk"]["age"].get<double>(), 10) << state["rtk"];
    sim.Stop();
}

// The command parser splits RTCM frames out of the input beside text
// commands: every frame of a capture once, a damaged CRC told as such.
TEST(SimRtk, ParserCountsFramesBesideCommands) {
    const std::string capture = ReadCorpusFile("rtcm3.bndm.log");
    std::string damaged = FramesOf(capture).front();
    damaged[5] = static_cast<char>(damaged[5] ^ 0x01);
    const std::string input =
        capture + FinishSentence("PLUMR,RTCM") + damaged + FinishSentence("PSRF104,1");
    CommandParser parser;
    ReceivedCommand command;
    size_t sound = 0, bad = 0;
    std::vector<std::string> texts;
    for (char c : input) {
        if (!parser.Feed(static_cast<uint8_t>(c), command)) continue;
        sound += command.Type == ReceivedCommand::Rtcm;
        bad += command.Type == ReceivedCommand::RtcmBadCrc;
        if (command.Type == ReceivedCommand::Text) texts.push_back(command.Body);
    }
    EXPECT_EQ(sound, CountRtcmFrames(capture));
    EXPECT_EQ(bad, 1u);
    EXPECT_EQ(texts, (std::vector<std::string>{"PLUMR,RTCM", "PSRF104,1"}));
}

// The count query over the line: the frames written so far, sound and bad.
TEST(SimRtk, AnswersTheCountQuery) {
    std::vector<std::string> frames = FramesOf(ReadCorpusFile("rtcm3.2.log"));
    frames.resize(100);
    frames[3][4] = static_cast<char>(frames[3][4] ^ 0x10);
    SimOptions options = FastOptions();

    options.Rtk = {true, 2, 4};
    RunningSim s(options);
    ASSERT_TRUE(s.Ok);
    std::string all;
    for (const std::string& frame : frames) ASSERT_TRUE(s.Port.Write(frame));
    ASSERT_TRUE(s.Port.Write(FinishSentence("PLUMR,RTCM")));
    const std::string answer = FinishSentence("PLUMR,RTCM,99,1");
    EXPECT_TRUE(s.Port.ReadUntil(
        [&](const std::string& bytes) { return bytes.find(answer) != std::string::npos; },
        seconds(30), all));
}

// The RTK model by the clock: DGNSS from the first frame, float and fixed
// after their times of continuous corrections, a plain fix 10 s after they
// stop, and the run starting over when they come back.
TEST(SimRtk, ModelFollowsTheCorrections) {
    constexpr int64_t S = 1'000'000'000;
    RtkModel model({true, 2, 4}, 1);
    EpochState epoch;
    epoch.Fix = FixKind::Fix3D;
    const auto at = [&](int64_t ns) {
        model.Apply(epoch, ns);
        return epoch.Rtk;
    };
    EXPECT_EQ(at(0), RtkSolution::None);
    for (int64_t t = 10 * S; t <= 20 * S; t += S / 2) model.Received(t);
    const struct {
        int64_t Ns;
        RtkSolution Expected;
    } cases[] = {{10 * S + S / 2, RtkSolution::Dgnss},
                 {12 * S, RtkSolution::Float},
                 {14 * S, RtkSolution::Fixed},
                 {30 * S, RtkSolution::Fixed},
                 {30 * S + 1, RtkSolution::None}};
    for (const auto& c : cases) EXPECT_EQ(at(c.Ns), c.Expected) << c.Ns / S;
    model.Apply(epoch, 21 * S);
    EXPECT_DOUBLE_EQ(epoch.CorrectionAgeS, 1.0);
    model.Received(40 * S);  // after a gap of more than 10 s: a new run
    EXPECT_EQ(at(41 * S), RtkSolution::Dgnss);
    epoch.Fix = FixKind::None;
    EXPECT_EQ(at(41 * S), RtkSolution::None);
}

}  // namespace
