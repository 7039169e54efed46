// The command sender writing to a real pseudo-terminal: command texts and
// their values, the order on the wire, and stopping while it writes.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "link/Command.h"
#include "link/CommandText.h"
#include "link/MessageSink.h"
#include "link/ThreadCommandOut.h"
#include "link/UbxAnswerWatch.h"
#include "serial/YComPort.h"
#include "tests/link/WriteGate.h"
#include "tests/serial/PortRecorder.h"
#include "tests/serial/PtyPair.h"

namespace {

using namespace std::chrono_literals;

std::string AsString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string FrameBytes(const std::string& text) {
    return AsString(HexTextToBytes(text));
}

// What a command puts on the wire.
std::string Wire(const Command& command) {
    if (const auto* text = std::get_if<NmeaText>(&command.Value))
        return CompleteCommandText(text->Text).Text;
    return AsString(FrameWireBytes(command));
}

// Each text's value, and the bytes it goes out as.
TEST(CommandFromText, EachTextBecomesItsValueAndGoesOutAsItSpells) {
    const std::string cfgMsg = MakeUbxFrameText("06010800F000000000010001");
    const struct {
        std::string Text;
        int Kind;  // CommandValue's index: 0 NmeaText, 1 UbxFrame, 2 RawBytes
        uint8_t Class, Id;
        size_t PayloadSize;
        bool LineEnd;
    } cases[] = {
        {"$PSRF101*", 0, 0, 0, 0, false},
        {"PSRF101", 0, 0, 0, 0, false},
        {"b5620A0400000E34", 0, 0, 0, 0, false},  // not the sync: characters
        {"B5620A0400000E34", 1, 0x0A, 0x04, 0, false},
        {UbxColdStartFrame, 1, 0x06, 0x04, 4, true},
        {cfgMsg, 1, 0x06, 0x01, 8, true},
        {"B5620A0400000E35", 2, 0, 0, 0, false},        // wrong checksum: the bytes as typed
        {"B5620A0400000E340D", 2, 0, 0, 0, false},      // half a line end
        {"B5620a0400000e34", 1, 0x0A, 0x04, 0, false},  // lower-case digits read as typed
        {"B56206", 2, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::optional<Command> command = CommandFromText(c.Text);
        ASSERT_TRUE(command);
        ASSERT_EQ(static_cast<int>(command->Value.index()), c.Kind);
        const std::string expected =
            c.Kind == 0 ? CompleteCommandText(c.Text).Text : FrameBytes(c.Text);
        EXPECT_EQ(Wire(*command), expected);
        if (const auto* frame = std::get_if<UbxFrame>(&command->Value)) {
            EXPECT_EQ(frame->Class, c.Class);
            EXPECT_EQ(frame->Id, c.Id);
            EXPECT_EQ(frame->Payload.size(), c.PayloadSize);
            EXPECT_EQ(command->LineEnd, c.LineEnd);
        }
    }
    // One limit for every text: 99 characters.
    const std::string longest = "$PSRF" + std::string(CommandTextLimit - 6, '9') + "*";
    ASSERT_EQ(longest.size(), 99u);
    EXPECT_TRUE(CommandFromText(longest));
    EXPECT_FALSE(CommandFromText(longest + "9"));
    EXPECT_FALSE(CommandFromText("B562" + std::string(CommandTextLimit - 3, '0')));
}

class RecordedMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        Shown.push_back(caption + ": " + text);
    }
    std::vector<std::string> Shown;
};

class CommandOutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Pty.Ok());
        ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));
        Port.SetObserver(&Recorder);
        Sender.SetMessages(&Messages);
        Sender.SetAnswerWatch(&Answers);
        Sender.Start();
    }
    // Queues the texts as the connection's Send does and waits until they are out.
    void Send(const std::vector<std::string>& lines, bool awaitAnswer = true) {
        std::vector<Command> commands;
        for (const std::string& line : lines) {
            commands.push_back(*CommandFromText(line));
            commands.back().AwaitAnswer = awaitAnswer;
        }
        ASSERT_TRUE(Sender.Submit(std::move(commands)));
        ASSERT_TRUE(Sender.WaitIdle(10s));
    }
    // Waits until the port has written something.
    bool WriteSeen() {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            for (const std::string& event : Recorder.Events())
                if (event.rfind("write", 0) == 0) return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    PtyPair Pty;
    YComPort Port;
    PortRecorder Recorder;
    RecordedMessages Messages;  // shown on the sender's thread: no dispatcher here
    UbxAnswerWatch Answers;
    TCommandOut Sender{&Port};
};

// The order on the wire is the order of submission, whichever thread
// submits: NMEA texts from one, UBX frames and raw correction units from the
// other, each whole. Each goes behind its own purge until the first raw
// unit (corrections): from then on the transmit side is never purged, as it
// may hold corrections still on their way, and a text purges the receive
// side only.
TEST_F(CommandOutTest, CommandsFromTwoThreadsGoOutInTheOrderSubmitted) {
    constexpr int PerThread = 100;
    std::mutex submitting;
    std::vector<Command> submitted;  // in the order Submit accepted them
    const auto submit = [&](Command command) {
        std::lock_guard<std::mutex> hold(submitting);
        submitted.push_back(command);
        ASSERT_TRUE(Sender.Submit({std::move(command)}));
    };
    std::thread texts([&] {
        for (int i = 0; i < PerThread; ++i)
            submit(Command{NmeaText{"$PSRF103," + std::to_string(i) + ",00,01,01*"}});
    });
    std::thread frames([&] {
        for (int i = 0; i < PerThread; ++i) {
            const uint8_t n = static_cast<uint8_t>(i);
            if (i % 2 == 0)
                submit(Command{UbxFrame{0x06, 0x01, {0xF0, n, 0, 1, 0, 0, 0, 0}}, false, true});
            else  // an RTCM 3 frame's size of raw bytes
                submit(Command{RawBytes{std::vector<uint8_t>(300, n)}});
        }
    });
    texts.join();
    frames.join();

    std::string expectedWire;
    std::vector<std::string> expectedEvents;
    bool rawSent = false;
    for (const Command& command : submitted) {
        expectedWire += Wire(command);
        const bool text = std::holds_alternative<NmeaText>(command.Value);
        rawSent = rawSent || std::holds_alternative<RawBytes>(command.Value);
        if (text)
            expectedEvents.push_back(rawSent ? "purge RX" : PortRecorder::PurgeBothEvent);
        else if (!rawSent)
            expectedEvents.push_back(PortRecorder::PurgeTransmitEvent);
        expectedEvents.push_back("write " + Wire(command));
    }
    EXPECT_EQ(Pty.Read(expectedWire.size(), 10000), expectedWire);
    ASSERT_TRUE(Sender.WaitIdle(10s));
    EXPECT_EQ(Recorder.Events(), expectedEvents);
    EXPECT_EQ(Answers.Waiting(), static_cast<size_t>(PerThread / 2)) << "each frame is watched";
}

// Stopping in the middle of a write drops everything still queued and ends
// the thread once that write is over, also while another thread closes the
// port; a port opened again gets nothing of the dropped commands.
TEST_F(CommandOutTest, StoppingWhileSendingDropsTheRestAndSendsNothingMore) {
    WriteGate gate;
    Port.SetObserver(&gate);
    constexpr size_t Count = 2000;
    std::vector<Command> commands(Count, Command{NmeaText{"$PSRF" + std::string(80, '7') + "*"}});
    ASSERT_TRUE(Sender.Submit(std::move(commands)));
    ASSERT_TRUE(gate.WaitHeld(10s));  // the first command is being written
    std::thread closer([&] { Port.ClosePort(); });
    EXPECT_EQ(Sender.Stop(), Count - 1);
    EXPECT_FALSE(Sender.Submit({Command{NmeaText{"$PSRF101*"}}}));
    gate.Release();
    Sender.WaitFor();
    closer.join();
    EXPECT_TRUE(Sender.Finished());
    EXPECT_EQ(Sender.Pending(), 0u);
    EXPECT_TRUE(Sender.WaitIdle(0ms));
    ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));
    std::vector<std::string> writes;
    for (const std::string& event : gate.Events())
        if (event.rfind("write", 0) == 0) writes.push_back(event);
    EXPECT_EQ(writes.size(), 1u);
    Port.SetObserver(nullptr);
}

// Each frame goes out after a transmit purge only: the receiver's answers to
// the frames before stay queued for the reader. A frame sent awaits its
// answer; a poll and a text await none.
TEST_F(CommandOutTest, EightUbxTextsGiveEightTransmitPurgesAndEightWatchedFramesInOrder) {
    std::vector<std::string> frames;
    std::string wire;
    std::vector<std::string> expected;
    for (int sentence = 0; sentence < 8; ++sentence) {
        char body[32];
        std::snprintf(body, sizeof body, "06010800F0%02X000100000000", sentence);
        frames.push_back(MakeUbxFrameText(body));
        wire += FrameBytes(frames.back());
        expected.push_back(PortRecorder::PurgeTransmitEvent);
        expected.push_back("write " + FrameBytes(frames.back()));
    }
    Send(frames);
    EXPECT_EQ(Recorder.Events(), expected);
    EXPECT_EQ(Pty.Read(wire.size()), wire);
    EXPECT_EQ(Answers.Waiting(), 8u);
    Send({"B5620A0400000E34"}, false);  // a poll
    Send({"$PSRF101*"});
    EXPECT_EQ(Answers.Waiting(), 8u);
}

// An NMEA text leaves with its checksum and CR LF, whatever of them it
// lacked; checksum digits it carries are checked, and a wrong one stops the
// text (the user is told the right one) but not the lines after it.
TEST_F(CommandOutTest, NmeaTextsLeaveCompletedAndWrongChecksumsAreRefused) {
    const std::string after = "$PSRF101*27\r\n";  // the line sent behind each case
    const struct {
        const char* Line;
        const char* Wire;     // nullptr: refused
        const char* Message;  // part of the refusal
    } cases[] = {
        {"$PSRF103,00,00,01,01*", "$PSRF103,00,00,01,01*25\r\n", nullptr},
        {"$PSRF103,02,00,00,01", "$PSRF103,02,00,00,01*26\r\n", nullptr},
        {"$PSRF101*27", "$PSRF101*27\r\n", nullptr},
        {"$PSRF101*27\r\n", "$PSRF101*27\r\n", nullptr},
        {"$PSRF101*27\n", "$PSRF101*27\r\n", nullptr},
        {"$PSRF101*\r\n", "$PSRF101*27\r\n", nullptr},
        {"$PSRF104,0,0,0,96000,237759,922,12,1*2b", "$PSRF104,0,0,0,96000,237759,922,12,1*2B\r\n",
         nullptr},
        {"$PSRF101*28", nullptr, "Wrong checksum *28 in $PSRF101: expected *27"},
        {"$PSRF101*2", nullptr, "expected *27"},
        {"$PSRF101*277", nullptr, "expected *27"},
        {"$PSRF101*2G\r\n", nullptr, "expected *27"},
        {"PSRF101", "PSRF101", nullptr},  // not an NMEA text: as it is
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        Messages.Shown.clear();
        const int refused = Sender.Refused();
        Send({c.Line, after});
        const std::string wire = c.Wire ? c.Wire : "";
        EXPECT_EQ(Pty.Read(wire.size() + after.size()), wire + after);
        EXPECT_EQ(Sender.Refused() - refused, c.Wire ? 0 : 1);
        if (c.Wire) {
            EXPECT_TRUE(Messages.Shown.empty());
            continue;
        }
        ASSERT_EQ(Messages.Shown.size(), 1u);
        EXPECT_EQ(Messages.Shown[0].rfind("warning: ", 0), 0u) << Messages.Shown[0];
        EXPECT_NE(Messages.Shown[0].find(c.Message), std::string::npos) << Messages.Shown[0];
    }
}

}  // namespace
