// gpsd:// from the window: the real daemon on a pseudo-terminal where the
// simulator plays a receiver, listening on 127.0.0.1. Skipped without gpsd.
#include "ConnectFixture.h"
#include "tests/link/GpsdDaemon.h"
#include "tests/serial/LoopbackServer.h"
#include "views/FrameConsole.h"

namespace {

// The simulator's line rate: a new pseudo-terminal's, which gpsd tries first.
constexpr unsigned long SimBaud = 38400;

class GpsdLinkTest : public ConnectFixture {
  protected:
    void SetUp() override {
        if (GpsdDaemon::Program().empty()) GTEST_SKIP() << "gpsd is not installed";
        ConnectFixture::SetUp();
        AllowNoPort(true);
        OpenWindow();
        Port = FreeLoopbackPort();
        Url = "gpsd://127.0.0.1:" + std::to_string(Port);
    }
    void TearDown() override {
        if (GpsdDaemon::Program().empty()) return;
        ConnectFixture::TearDown();
        AllowNoPort(false);
    }
    void OpenUrl() {
        Panel->portCombo->setEditText(QString::fromStdString(Url));
        Press();
    }
    // The store shows the simulator's position and satellites.
    bool ShowsTheSimulator() {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        return NmeaManager->Display().LatText.find("25") != std::string::npos &&
               NmeaManager->Gsv.InView > 0 && NmeaManager->Display().SatsUsedText != "0";
    }
    int ConsoleCount(const QString& text) const {
        return Window->FConsole->consoleMemo->toPlainText().count(text);
    }

    uint16_t Port = 0;
    std::string Url;
};

TEST_F(GpsdLinkTest, ShowsTheReceiverGpsdOwnsAndComesBackAfterTheDaemonRestarts) {
    auto receiver = StartReceiver(SimBaud);
    auto daemon = std::make_unique<GpsdDaemon>(Port, receiver->SlavePath());
    ASSERT_TRUE(daemon->Running());
    RunFor(500ms);  // the daemon starts listening
    OpenUrl();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s))
        << (Messages.empty() ? "" : Messages.back().Text);
    ASSERT_TRUE(RunUntil([&] { return ShowsTheSimulator(); }, 10s));
    EXPECT_FALSE(Window->FConsole->consoleMemo->toPlainText().contains("\"class\""))
        << "the daemon's own lines are not shown";

    daemon.reset();  // gpsd stopped
    ASSERT_TRUE(RunUntil([&] { return Window->Link().State() == LinkState::LinkDown; }, 5s));
    daemon = std::make_unique<GpsdDaemon>(Port, receiver->SlavePath());
    ASSERT_TRUE(RunUntil([&] { return Window->Link().State() == LinkState::Connected; }, 10s));
    EXPECT_EQ(ConsoleCount("the link is back"), 1);
}

TEST_F(GpsdLinkTest, ADaemonWithoutAReceiverIsSaidClearly) {
    GpsdDaemon daemon(Port, "");
    ASSERT_TRUE(daemon.Running());
    RunFor(500ms);
    OpenUrl();
    ASSERT_TRUE(RunUntil([&] { return !Messages.empty(); }, 8s));
    EXPECT_NE(Messages[0].Text.find("gpsd at 127.0.0.1 port " + std::to_string(Port) +
                                    ": it has no receiver"),
              std::string::npos)
        << Messages[0].Text;
    EXPECT_TRUE(RunUntil([&] { return Caption() == "Open"; }, 1s));
}

}  // namespace
