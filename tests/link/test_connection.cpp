// The connection object over real pseudo-terminals and simulated receivers,
// with a test loop as the user-interface thread: its states, the attempt
// rule for late changes, and ending every thread it ran.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "link/Connection.h"
#include "link/GpsConfig.h"
#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
#include "serial/YComPort.h"
#include "tests/link/SimReceivers.h"
#include "tests/link/WriteGate.h"
#include "tests/serial/PtyPair.h"
#include "tests/thread/TestEventLoop.h"

namespace {

using namespace std::chrono_literals;

// Records what the connection tells its panel.
class RecordingObserver : public ConnectionObserver {
  public:
    void StateChanged(LinkState state) override { States.push_back(state); }
    void SelectPort(int) override {}
    void SelectBaud(int) override {}
    void SetButtonCaption(const std::string&) override {}
    void EnableWatchTimer() override {}
    void ClearProlificFound() override {}
    void RefreshStatus() override {}
    void StopFixTimer() override {}
    void ShowMessage(const std::string& text, const std::string&) override {
        Messages.push_back(text);
    }
    void Note(const std::string& line) override {
        Notes.push_back(line);
        if (NoteSeen) NoteSeen();
    }
    std::vector<LinkState> States;
    std::vector<std::string> Messages;
    std::vector<std::string> Notes;
    std::function<void()> NoteSeen;
};

class ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        YThread::SetMainDispatcher(&Loop);
        Link.SetObserver(&Observer);
        Link.SetReaderFactory([this] {
            auto* reader = new TNmeaFetch(true, nullptr);
            reader->SetPort(&Port);
            reader->SetStore(&Store);
            reader->SetFreeOnTerminate(true);
            return reader;
        });
        Link.SetEventPump([this] { Loop.RunFor(1ms); });
    }
    void TearDown() override {
        EXPECT_TRUE(Link.Shutdown(10s));
        Loop.RunFor(20ms);
        YThread::SetMainDispatcher(nullptr);
    }

    static DetectLists One(const std::string& path) { return DetectLists{{path}, 0, 0}; }
    // General mode opens the configured source at the configured rate.
    void Configure(const Source& port, int32_t rate) {
        Config.SetPort(port);
        Config.BaudRate = rate;
    }
    bool DetectionEnded() const {
        const TGpsDeviceDetect* detect = Link.DetectThread();
        return !detect || detect->Finished();
    }

    TestEventLoop Loop;
    GPSConfig Config;
    YComPort Port;
    NMEA_Manager Store;
    RecordingObserver Observer;
    Connection Link{Config, &Port};
};

// A change queued by an attempt that has since been closed lands after the
// next attempt started: it is dropped, and the new attempt keeps its course.
TEST_F(ConnectionTest, ChangesOfAnEarlierAttemptAreDropped) {
    PtyPair line;
    Configure(line.Port(), 4800);
    ASSERT_TRUE(Link.Open(One(line.Path()), ModeGeneral));
    // The port opens at once; its "accepted" waits in the queue.
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!DetectionEnded() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(DetectionEnded());
    EXPECT_EQ(Link.State(), LinkState::Detecting);

    Link.Close();
    ASSERT_TRUE(Link.Open(One("/nonexistent/ttyGONE0"), ModeBaudDetect));
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.State() == LinkState::Failed; }, 5s));
    Loop.RunFor(50ms);
    EXPECT_EQ(Link.State(), LinkState::Failed);
    EXPECT_EQ(Observer.States, (std::vector<LinkState>{LinkState::Detecting, LinkState::Idle,
                                                       LinkState::Detecting, LinkState::Failed}));
    EXPECT_FALSE(Config.IsPortOpen());
}

// Open after a failure ends what the failed attempt left (its parked reader)
// without a word, and a link that goes down is LinkDown until closed.
TEST_F(ConnectionTest, OpenAfterFailureStartsAfreshAndALostLinkIsDown) {
    ASSERT_TRUE(Link.Open(One("/nonexistent/ttyGONE0"), ModeBaudDetect));
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.State() == LinkState::Failed; }, 5s));
    EXPECT_EQ(Observer.Messages, std::vector<std::string>{"no GPS device detected"});
    EXPECT_EQ(Link.RunningReaders(), 1) << "the failed attempt's reader is still parked";

    auto receiver = StartReceiver(9600);
    ASSERT_TRUE(Link.Open(DetectLists{{receiver->SlavePath()}, 0, 0}, ModeBaudDetect));
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.RunningReaders() == 1; }, 5s));
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.Connected(); }, 20s));
    EXPECT_EQ(Link.Shown().Rate, 9600);
    EXPECT_EQ(Link.Shown().Port, Port.PortSource());
    EXPECT_EQ(Link.RunningReaders(), 1);
    EXPECT_EQ(Observer.Messages.size(), 1u);

    receiver->Stop();  // hangs up
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.State() == LinkState::LinkDown; }, 5s));
    EXPECT_TRUE(Link.Started()) << "the button still reads Close";
    EXPECT_FALSE(Config.IsPortOpen());
    EXPECT_FALSE(Link.Send({"$PSRF103,00,00,01,01*"}));
    Link.Close();
    EXPECT_EQ(Link.State(), LinkState::Idle);
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.RunningReaders() == 0; }, 5s));
}

// Closing while the sender is in the middle of a write drops the commands
// still queued and says how many; the next link gets only its own commands,
// from a sender of its own.
TEST_F(ConnectionTest, CommandsPendingAtCloseAreDroppedNotSentOnTheNextLink) {
    PtyPair first, second;
    WriteGate gate;  // holds the sender in its first write until the note is out
    Port.SetObserver(&gate);
    Observer.NoteSeen = [&] { gate.Release(); };
    Configure(first.Port(), 115200);
    ASSERT_TRUE(Link.Open(One(first.Path()), ModeGeneral));
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.Connected(); }, 5s));
    ASSERT_TRUE(Link.Send(std::vector<std::string>(500, "$PSRF101*")));
    EXPECT_EQ(Link.RunningSenders(), 1);
    ASSERT_TRUE(gate.WaitHeld(10s));
    Link.Close();
    EXPECT_EQ(Link.RunningSenders(), 0);
    EXPECT_EQ(Observer.Notes,
              std::vector<std::string>{"*** 499 commands not sent: the link was closed."});
    EXPECT_FALSE(Link.Send({"$PSRF101*"})) << "closed";

    Configure(second.Port(), 115200);
    ASSERT_TRUE(Link.Open(One(second.Path()), ModeGeneral));
    ASSERT_TRUE(Loop.RunUntil([&] { return Link.Connected(); }, 5s));
    ASSERT_TRUE(Link.Send({"$PSRF103,00,00,01,01*"}));
    ASSERT_TRUE(Link.WaitSendersIdle(10s));
    EXPECT_EQ(second.ReadAll(), "$PSRF103,00,00,01,01*25\r\n");
    EXPECT_EQ(Observer.Notes.size(), 1u);
    Port.SetObserver(nullptr);
}

}  // namespace
