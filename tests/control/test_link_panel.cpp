// Links from the window: URLs typed into the port panel, against servers and
// senders on 127.0.0.1. No serial port is present in these tests.
#include <QLineEdit>

#include "ConnectFixture.h"
#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "control/PlayerBar.h"
#include "serial/PlaybackControl.h"
#include "tests/serial/LoopbackServer.h"
#include "tests/serial/Sentences.h"
#include "views/Config.h"
#include "views/FrameConsole.h"
#include "views/FrameLumarokStatus.h"

namespace {

constexpr int FactoryReset = 3;  // the restart buttons' Factory Rst

class LinkPanel : public ConnectFixture {
  protected:
    void SetUp() override {
        ConnectFixture::SetUp();
        AllowNoPort(true);
        OpenWindow();
    }
    void TearDown() override {
        ConnectFixture::TearDown();
        AllowNoPort(false);
    }
    void Type(const std::string& text) {
        Panel->portCombo->setEditText(QString::fromStdString(text));
    }
    int StoredGga() {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        return static_cast<int>(NmeaManager->ValidSentences);
    }
    int ConsoleCount(const QString& text) const {
        return Window->FConsole->consoleMemo->toPlainText().count(text);
    }
};

TEST_F(LinkPanel, ATypedTcpUrlConnectsAndTheWindowsCommandsReachTheServer) {
    ASSERT_TRUE(Messages.empty()) << "no serial port is no reason to end with a link to show";
    LoopbackServer server(Gga + "\r\n" + Rmc + "\r\n");
    Type(server.Url());
    Press();
    ASSERT_TRUE(RunUntil([&] { return WindowConnected() && StoredGga() >= 2; }, 5s));
    EXPECT_EQ(Panel->portCombo->currentText().toStdString(), server.Url());
    EXPECT_EQ(Window->FLumarokStatus->PanelText(1).toStdString(), server.Url());
    EXPECT_TRUE(Window->FRestartButton->restartButtons[FactoryReset]->isEnabled());

    // On connecting the monitor asks for the receiver's identity (the UBX
    // MON-VER poll); then the factory reset and a command go out as sent.
    const std::string poll("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8);
    EXPECT_EQ(server.Received(poll.size()), poll);
    Window->FRestartButton->restartButtons[FactoryReset]->click();
    const std::string restart = "$PSRF104,0,0,0,96000,237759,922,12,8*22\r\n";
    EXPECT_EQ(server.Received(poll.size() + restart.size()), poll + restart);
    const std::string command = "$PSRF103,05,00,01,01*20\r\n";
    ASSERT_TRUE(Window->Link().Send({command}));
    EXPECT_EQ(server.Received(poll.size() + restart.size() + command.size()),
              poll + restart + command);
}

TEST_F(LinkPanel, AMalformedUrlIsRefusedBeforeAnythingOpens) {
    Type("tcp://127.0.0.1");
    Press();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_NE(Messages[0].Text.find("the port is missing"), std::string::npos) << Messages[0].Text;
    EXPECT_FALSE(Panel->ConnectionStarted());
    EXPECT_EQ(Caption(), "Open");
    EXPECT_EQ(Panel->portCombo->count(), 0) << "a refused URL is not listed";
}

TEST_F(LinkPanel, AnUnreachableHostIsNamedAndThePanelReadsOpenAgain) {
    const uint16_t closed = FreeLoopbackPort();
    Type("tcp://127.0.0.1:" + std::to_string(closed));
    const auto start = std::chrono::steady_clock::now();
    Press();
    ASSERT_TRUE(RunUntil([&] { return !Messages.empty(); }, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_NE(Messages[0].Text.find("127.0.0.1 port " + std::to_string(closed)), std::string::npos)
        << Messages[0].Text;
    EXPECT_NE(Messages[0].Text.find("refused"), std::string::npos);
    EXPECT_TRUE(RunUntil([&] { return Caption() == "Open"; }, 1s));
}

TEST_F(LinkPanel, AReceiveOnlyLinkTurnsTheSendingControlsOff) {
    const uint16_t number = FreeLoopbackPort(SOCK_DGRAM);
    Type("udp://127.0.0.1:" + std::to_string(number));
    Panel->modeCombo->setCurrentIndex(ModeBaudDetect);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    EXPECT_TRUE(RunUntil([&] { return ConsoleCount("BR Detect does not apply") == 1; }, 2s));
    for (QToolButton* button : Window->FRestartButton->restartButtons) {
        EXPECT_FALSE(button->isEnabled());
        EXPECT_TRUE(button->toolTip().contains("only receives"));
    }
    EXPECT_FALSE(Window->FUtilButton->settingButton->isEnabled());
    Window->FConsole->ConsoleDblClick();
    EXPECT_FALSE(Window->FConsole->CommandMode());
    EXPECT_TRUE(Window->FConsole->consoleMemo->toolTip().contains("udp://"));

    Press();  // Close: a serial port chosen next may send again
    EXPECT_FALSE(Window->FRestartButton->restartButtons[0]->isEnabled())
        << "closed: nothing to restart";
    EXPECT_TRUE(Window->FRestartButton->restartButtons[0]->toolTip().isEmpty());
    EXPECT_TRUE(Window->FUtilButton->settingButton->isEnabled());
}

TEST_F(LinkPanel, ADroppedLinkComesBackByItselfWhenTheServerReturns) {
    const uint16_t number = FreeLoopbackPort();
    auto server = std::make_unique<LoopbackServer>(Gga + "\r\n", false, number);
    Type(server->Url());
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected() && StoredGga() >= 1; }, 5s));

    server.reset();  // the server ends
    ASSERT_TRUE(RunUntil([&] { return !Connected(); }, 3s));
    EXPECT_EQ(Window->Link().State(), LinkState::LinkDown);
    EXPECT_EQ(Caption(), "Close");
    ASSERT_TRUE(RunUntil([&] { return ConsoleCount("Reconnection attempt 2 failed") == 1; }, 6s));
    EXPECT_EQ(ConsoleCount("has gone down"), 1);
    EXPECT_EQ(ConsoleCount("Reconnection attempt 1 failed"), 1);
    EXPECT_TRUE(Window->FConsole->consoleMemo->toPlainText().contains("Next attempt in 4 s"));

    server = std::make_unique<LoopbackServer>(Rmc + "\r\n", false, number);
    const int before = StoredGga();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 6s));
    EXPECT_EQ(Window->Link().State(), LinkState::Connected);
    EXPECT_EQ(ConsoleCount("the link is back"), 1);
    EXPECT_TRUE(RunUntil([&] { return StoredGga() > before; }, 3s));
}

TEST_F(LinkPanel, CloseEndsTheReconnectionAttempts) {
    auto server = std::make_unique<LoopbackServer>(Gga + "\r\n", true);
    Type(server->Url());
    Press();
    ASSERT_TRUE(RunUntil([&] { return Window->Link().State() == LinkState::LinkDown; }, 5s));
    server.reset();
    Press();  // Close
    ASSERT_TRUE(RunUntil([&] { return Window->Link().RunningReaders() == 0; }, 3s));
    RunFor(1500ms);
    EXPECT_EQ(ConsoleCount("Reconnection attempt"), 0);
    EXPECT_FALSE(ComPort->IsOpen());
}

TEST_F(LinkPanel, ACapturePlaysWithItsPlayerBarBesideTheWindow) {
    const std::string capture = std::string(LUMAROKUB_CORPUS_DIR) + "/mt3339.log";
    Window->show();
    Type("file://" + capture);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    TPlayerBar* bar = Window->PlayerBar();
    ASSERT_TRUE(RunUntil([&] { return bar->isVisible(); }, 2s));
    EXPECT_EQ(Window->size(), QSize(Config.ClientWidth, Config.ClientHeight));
    EXPECT_GT(bar->frameGeometry().top(), Window->frameGeometry().bottom()) << "below, not over";
    // The bar goes where the window goes.
    Window->move(Window->pos() + QPoint(40, 30));
    EXPECT_TRUE(
        RunUntil([&] { return bar->pos() == TPlayerBar::PlaceFor(Window->frameGeometry()); }, 2s));
    EXPECT_FALSE(Window->FRestartButton->restartButtons[0]->isEnabled());
    EXPECT_TRUE(RunUntil([&] { return StoredGga() > 0; }, 3s));

    bar->playButton->click();  // pause
    ASSERT_TRUE(bar->Control()->Snapshot().Paused);
    RunFor(300ms);
    const size_t paused = bar->Control()->Snapshot().Position;
    RunFor(1200ms);
    EXPECT_EQ(bar->Control()->Snapshot().Position, paused);
    bar->stepButton->click();
    EXPECT_TRUE(RunUntil([&] { return bar->Control()->Snapshot().Position > paused; }, 2s));

    bar->speedCombo->setCurrentIndex(bar->speedCombo->count() - 1);  // max
    bar->playButton->click();
    ASSERT_TRUE(RunUntil([&] { return bar->Control()->Snapshot().Ended; }, 5s));
    EXPECT_TRUE(RunUntil([&] { return bar->positionLabel->text().endsWith("end"); }, 1s));

    Press();  // Close
    EXPECT_TRUE(RunUntil([&] { return !bar->isVisible(); }, 2s));
}

}  // namespace
