// The command sender thread writing to a real pseudo-terminal.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>

#include "link/CommandText.h"
#include "link/MessageSink.h"
#include "link/ThreadCommandOut.h"
#include "link/UbxRestart.h"
#include "serial/YComPort.h"
#include "tests/serial/PortRecorder.h"
#include "tests/serial/PtyPair.h"

namespace {

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
        ASSERT_TRUE(Port.OpenPort(Pty.Number(), 9600));
        Port.SetObserver(&Recorder);
    }
    void Send(std::vector<std::string> lines) {
        TCommandOut sender(false, std::move(lines), Pty.Number(), &Port);
        sender.SetRestartRequests(&Restarts);
        sender.SetMessages(&Messages);
        sender.Start();
        sender.WaitFor();
        Refused = sender.Refused();
    }
    static std::string FrameBytes(const std::string& text) {
        std::string bytes;
        for (uint8_t b : HexTextToBytes(text)) bytes += static_cast<char>(b);
        return bytes;
    }

    PtyPair Pty;
    YComPort Port;
    PortRecorder Recorder;
    UbxRestartRequests Restarts;
    RecordedMessages Messages;  // shown on the sender's thread: no dispatcher here
    int Refused = 0;
};

// Each frame goes out after a transmit purge only: the receiver's answers to
// the frames before stay queued for the reader.
TEST_F(CommandOutTest, EightUbxTextsGiveEightTransmitPurgesAndEightFramesInOrder) {
    std::vector<std::string> frames;
    std::string wire;
    for (int sentence = 0; sentence < 8; ++sentence) {
        char body[32];
        std::snprintf(body, sizeof body, "06010800F0%02X0001000000", sentence);
        frames.push_back(MakeUbxFrameText(body));
        wire += FrameBytes(frames.back());
    }
    Send(frames);

    std::vector<std::string> expected;
    for (const std::string& frame : frames) {
        expected.push_back(PortRecorder::PurgeTransmitEvent);
        expected.push_back("write " + FrameBytes(frame));
    }
    expected.push_back(PortRecorder::PurgeTransmitEvent);
    EXPECT_EQ(Recorder.Events(), expected);
    EXPECT_EQ(Pty.ReadAll(), wire);
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
        Send({c.Line, after});
        const std::string wire = c.Wire ? c.Wire : "";
        EXPECT_EQ(Pty.Read(wire.size() + after.size()), wire + after);
        EXPECT_EQ(Refused, c.Wire ? 0 : 1);
        if (c.Wire) {
            EXPECT_TRUE(Messages.Shown.empty());
            continue;
        }
        ASSERT_EQ(Messages.Shown.size(), 1u);
        EXPECT_EQ(Messages.Shown[0].rfind("warning: ", 0), 0u) << Messages.Shown[0];
        EXPECT_NE(Messages.Shown[0].find(c.Message), std::string::npos) << Messages.Shown[0];
    }
    // A UBX frame's text goes out as the frame's bytes, nothing added.
    Send({UbxHotStartFrame, after});
    const std::string frame = FrameBytes(UbxHotStartFrame);
    EXPECT_EQ(Pty.Read(frame.size() + after.size()), frame + after);
}

TEST_F(CommandOutTest, APendingRestartReplacesOnlyTheFirstLine) {
    Restarts.Cold = true;
    Send({"$PSRF104,0,0,0,0,0,0,12,4*", "$PSRF101*"});
    EXPECT_EQ(Pty.ReadAll(), FrameBytes(UbxColdStartFrame) + "$PSRF101*27\r\n");
    EXPECT_FALSE(Restarts.Cold);
}

TEST_F(CommandOutTest, EachRestartRequestReplacesOneTextByItsFrame) {
    const std::string sirf = "$PSRF104,0,0,0,0,0,0,12,1*";
    const std::pair<std::atomic<bool>*, const char*> cases[] = {
        {&Restarts.Hot, UbxHotStartFrame},
        {&Restarts.Warm, UbxWarmStartFrame},
        {&Restarts.Cold, UbxColdStartFrame}};
    for (const auto& [flag, frame] : cases) {
        *flag = true;
        Send({sirf});
        EXPECT_FALSE(*flag);
        EXPECT_EQ(Pty.ReadAll(), FrameBytes(frame));
        Send({sirf});
        EXPECT_EQ(Pty.ReadAll(), sirf + "10\r\n");
    }
}

TEST_F(CommandOutTest, RestartRequestsAreConsumedOneAtATimeHotWarmCold) {
    Restarts.Cold = Restarts.Warm = Restarts.Hot = true;
    for (int i = 0; i < 4; ++i) Send({"$PSRF101*"});
    EXPECT_EQ(Pty.ReadAll(), FrameBytes(UbxHotStartFrame) + FrameBytes(UbxWarmStartFrame) +
                                 FrameBytes(UbxColdStartFrame) + "$PSRF101*27\r\n");
}

TEST_F(CommandOutTest, WithoutRestartRequestsTheTextGoesOutAsItIs) {
    TCommandOut sender(false, {"$PSRF101*"}, Pty.Number(), &Port);
    Restarts.Hot = true;  // not handed to this sender
    sender.Start();
    sender.WaitFor();
    EXPECT_EQ(Pty.ReadAll(), "$PSRF101*27\r\n");
    EXPECT_TRUE(Restarts.Hot);
}

// The limit counts the text handed over, before its checksum and line end.
TEST_F(CommandOutTest, ALineLongerThan99CharactersIsRefusedWhole) {
    const std::string longest = "$PSRF" + std::string(TCommandOut::MaxLineChars - 6, '9') + "*";
    ASSERT_EQ(longest.size(), 99u);
    Send({longest, longest + "9", "$PSRF101*"});
    EXPECT_EQ(Pty.ReadAll(), longest + "2E\r\n$PSRF101*27\r\n");
    EXPECT_EQ(Refused, 1);
    for (const std::string& event : Recorder.Events()) EXPECT_NE(event, "write " + longest + "9");
}

TEST_F(CommandOutTest, ConcurrentSendersKeepEachLineWholeWithItsOwnPurge) {
    constexpr int Lines = 25;
    std::vector<std::string> a, b;
    for (int i = 0; i < Lines; ++i) {
        a.push_back("$PSRFA," + std::to_string(i) + "," + std::string(60, 'a') + "*");
        b.push_back("$PSRFB," + std::to_string(i) + "," + std::string(60, 'b') + "*");
    }
    TCommandOut first(false, a, Pty.Number(), &Port);
    TCommandOut second(false, b, Pty.Number(), &Port);
    for (std::string& line : a) line = CompleteCommandText(line).Text;
    for (std::string& line : b) line = CompleteCommandText(line).Text;
    std::string wire;
    std::thread master([&] { wire = Pty.ReadAll(500); });
    first.Start();
    second.Start();
    first.WaitFor();
    second.WaitFor();
    master.join();

    // The wire holds every line whole, each sender's lines in its own order.
    size_t pos = 0, nextA = 0, nextB = 0;
    while (pos < wire.size()) {
        if (nextA < a.size() && wire.compare(pos, a[nextA].size(), a[nextA]) == 0)
            pos += a[nextA++].size();
        else if (nextB < b.size() && wire.compare(pos, b[nextB].size(), b[nextB]) == 0)
            pos += b[nextB++].size();
        else
            FAIL() << "bytes interleaved at " << pos << ": " << wire.substr(pos, 40);
    }
    EXPECT_EQ(nextA, a.size());
    EXPECT_EQ(nextB, b.size());

    // Every write directly follows its own purge; no purge cuts into a line.
    const std::vector<std::string> events = Recorder.Events();
    int writes = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].rfind("write", 0) != 0) continue;
        ++writes;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(events[i - 1], PortRecorder::PurgeBothEvent);
    }
    EXPECT_EQ(writes, 2 * Lines);
}

TEST_F(CommandOutTest, ClosingThePortWhileSendersWriteEndsThemCleanly) {
    std::vector<std::unique_ptr<TCommandOut>> senders;
    for (int i = 0; i < 4; ++i) {
        senders.push_back(std::make_unique<TCommandOut>(
            false, std::vector<std::string>(50, "$PSRF103,0" + std::to_string(i) + ",00,01,01*"),
            Pty.Number(), &Port));
        senders.back()->Start();
    }
    std::thread master([&] { Pty.ReadAll(300); });
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(Port.ClosePort());
    for (auto& sender : senders) sender->WaitFor();
    EXPECT_FALSE(Port.IsOpen());
    EXPECT_EQ(Port.SendCommandText("$PSRF101*"), SendPortClosed);
    master.join();
}

// Tells when a sender that frees itself is gone.
class WatchedSender : public TCommandOut {
  public:
    WatchedSender(std::vector<std::string> lines, int32_t number, YComPort& port,
                  std::atomic<bool>& gone)
        : TCommandOut(false, std::move(lines), number, &port), FGone(gone) {}
    ~WatchedSender() override { FGone = true; }

  private:
    std::atomic<bool>& FGone;
};

TEST_F(CommandOutTest, ASenderThatFreesItselfSendsAndGoes) {
    std::atomic<bool> gone{false};
    auto* sender = new WatchedSender({"$PSRF101*"}, Pty.Number(), Port, gone);
    sender->SetFreeOnTerminate(true);
    CommandOut = sender;
    sender->Start();
    EXPECT_EQ(Pty.Read(13), "$PSRF101*27\r\n");
    while (!gone) std::this_thread::yield();
    CommandOut = nullptr;
}

}  // namespace
