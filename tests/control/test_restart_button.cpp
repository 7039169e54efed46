// The restart panel against a pseudo-terminal: what reaches the wire for a
// receiver of each protocol, nothing while closed, and the fix-mode reset.
// The SiRF texts reach the wire with their checksum and line end.
#include <QToolButton>
#include <mutex>

#include "LinkFixture.h"
#include "control/FrameRestartButton.h"
#include "link/UbxRestart.h"
#include "nmea/Dispatch.h"
#include "nmea/UbxMessages.h"
#include "serial/UbxText.h"

namespace {
std::string Bytes(const char* hex) {
    const auto bytes = HexTextToBytes(hex);
    return std::string(bytes.begin(), bytes.end());
}

class RestartTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        Panel.SetLink(Link.get());
        Panel.SetFixTimerHook([this] { ++FixTimerStarts; });
        SetFixMode("3D");
    }
    static void SetFixMode(const char* text) {
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        NmeaManager->Display().FixModeText = text;
    }
    static std::string FixMode() {
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        return NmeaManager->Display().FixModeText;
    }

    // The store learns the receiver's protocol: one UBX frame, or a run of
    // sentences and no frame.
    static void HearUbx() {
        const auto ack = HexTextToBytes("B5620501020006010F38");
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        DispatchUbx(ack.data(), ack.size(), *NmeaManager);
    }
    static void HearNmea() {
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        for (uint64_t i = 0; i < NmeaOnlySentences; ++i)
            DispatchSentence("$GPZDA,201530.00,04,07,2002,00,00*60\r", *NmeaManager, nullptr);
    }

    TFRestartButton Panel{nullptr, Store()};
    int FixTimerStarts = 0;
};

// Button `index`'s SiRF text as the wire carries it.
const char* const SirfWire[] = {
    "$PSRF104,0,0,0,96000,237759,922,12,1*2B\r\n",
    "$PSRF104,0,0,0,96000,237759,922,12,2*28\r\n",
    "$PSRF104,0,0,0,96000,237759,922,12,4*2E\r\n",
    "$PSRF104,0,0,0,96000,237759,922,12,8*22\r\n",
};
}  // namespace

TEST(RestartTexts, FourPsrf104Texts) {
    EXPECT_EQ(TFRestartButton::RestartText(0), "$PSRF104,0,0,0,96000,237759,922,12,1*");
    EXPECT_EQ(TFRestartButton::RestartText(1), "$PSRF104,0,0,0,96000,237759,922,12,2*");
    EXPECT_EQ(TFRestartButton::RestartText(2), "$PSRF104,0,0,0,96000,237759,922,12,4*");
    EXPECT_EQ(TFRestartButton::RestartText(3), "$PSRF104,0,0,0,96000,237759,922,12,8*");
}

TEST_F(RestartTest, ButtonsLaidOutTopToBottom) {
    const char* captions[] = {"HOT", "WARM", "COLD", "Factory Rst"};
    for (int i = 0; i < TFRestartButton::ButtonCount; ++i) {
        EXPECT_EQ(Panel.restartButtons[i]->text(), captions[i]);
        EXPECT_EQ(Panel.restartButtons[i]->geometry(), QRect(0, 17 * i, 105, 17));
        EXPECT_EQ(Panel.restartButtons[i]->focusPolicy(), Qt::NoFocus);
    }
}

// Until the receiver's protocol is known both restarts go out; then only its own.
TEST_F(RestartTest, RestartsGoOutInTheReceiversOwnProtocol) {
    Connect();
    const char* frames[] = {UbxHotStartFrame, UbxWarmStartFrame, UbxColdStartFrame};
    for (int i = 0; i < 3; ++i) {
        SetFixMode("3D");
        Panel.restartButtons[i]->click();
        EXPECT_EQ(Pty.ReadAll(), SirfWire[i] + Bytes(frames[i])) << i;
        EXPECT_EQ(FixMode(), "0");
    }
    HearNmea();
    ASSERT_EQ(KnownProtocol(*NmeaManager), ReceiverProtocol::Nmea);
    Panel.restartButtons[0]->click();
    EXPECT_EQ(Pty.ReadAll(), SirfWire[0]);
    HearUbx();
    ASSERT_EQ(KnownProtocol(*NmeaManager), ReceiverProtocol::Ubx);
    for (int i = 0; i < 3; ++i) {
        Panel.restartButtons[i]->click();
        const std::string expected = Bytes(frames[i]);
        EXPECT_EQ(expected.size(), 14u);
        EXPECT_EQ(Pty.ReadAll(), expected) << "button " << i;
    }
    EXPECT_FALSE(UbxRestarts.Hot || UbxRestarts.Warm || UbxRestarts.Cold);
    EXPECT_EQ(FixTimerStarts, 7);
}

TEST_F(RestartTest, FactoryResetWritesTheTextAlone) {
    Connect();
    Panel.restartButtons[3]->click();
    const std::string wire = Pty.ReadAll();
    EXPECT_EQ(wire, SirfWire[3]);
    EXPECT_EQ(FixTimerStarts, 1);
}

// A restart pressed while closed sends nothing, then or later: the next
// command the user sends goes out as typed.
TEST_F(RestartTest, NotConnectedSendsNothingAndLeavesTheNextCommandAlone) {
    Panel.SetLinkOpen(false);
    EXPECT_FALSE(Panel.restartButtons[0]->isEnabled());
    ASSERT_TRUE(Port.OpenPort(Pty.Number(), 115200));  // open, but no connection accepted
    Panel.HotClick();
    Panel.WarmClick();
    EXPECT_EQ(FixTimerStarts, 0);
    EXPECT_EQ(Pty.ReadAll(), "");
    EXPECT_FALSE(UbxRestarts.Hot || UbxRestarts.Warm);
    Port.ClosePort();

    Connect();
    ASSERT_TRUE(Link->Send({"$PSRF103,00,00,01,01*"}));
    ASSERT_TRUE(Link->WaitSendersIdle(std::chrono::seconds(10)));
    EXPECT_EQ(Pty.ReadAll(), "$PSRF103,00,00,01,01*25\r\n");
}
