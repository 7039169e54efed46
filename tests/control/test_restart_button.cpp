// The restart panel against a pseudo-terminal: what reaches the wire for a
// receiver of each protocol, nothing while closed, and the fix-mode reset;
// and against the simulator, the time to fix it starts counting.
// The SiRF texts reach the wire with their checksum and line end.
#include <QToolButton>
#include <mutex>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>

#include "ConnectFixture.h"
#include "LinkFixture.h"
#include "control/CampaignPanel.h"
#include "control/EvaluationWindow.h"
#include "control/FrameRestartButton.h"
#include "eval/EpochRecorder.h"
#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "serial/UbxText.h"
#include "tools/sim/ReceiverSimulator.h"
#include "views/FrameGPSInfo.h"

namespace {
std::string Bytes(const char* hex) {
    const auto bytes = HexTextToBytes(hex);
    return std::string(bytes.begin(), bytes.end());
}

class RestartTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        Panel.SetLink(Link);
        Panel.SetFixTimerHook([this] { ++FixTimerStarts; });
        SetFixMode("3D");
    }
    void SetFixMode(const char* text) {
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        NmeaManager->Display().FixModeText = text;
    }
    std::string FixMode() {
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        return NmeaManager->Display().FixModeText;
    }

    // The store learns the receiver's protocol: one UBX frame, or a run of
    // sentences and no frame.
    void HearUbx() {
        const auto ack = HexTextToBytes("B5620501020006010F38");
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        DispatchUbx(ack.data(), ack.size(), *NmeaManager);
    }
    void HearNmea() {
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
    ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));  // open, but no connection accepted
    Panel.HotClick();
    Panel.WarmClick();
    EXPECT_EQ(FixTimerStarts, 0);
    EXPECT_EQ(Pty.ReadAll(), "");
    Port.ClosePort();

    Connect();
    ASSERT_TRUE(Link->Send({"$PSRF103,00,00,01,01*"}));
    ASSERT_TRUE(Link->WaitSendersIdle(std::chrono::seconds(10)));
    EXPECT_EQ(Pty.ReadAll(), "$PSRF103,00,00,01,01*25\r\n");
}

// A hot start from the campaign, which restarts through the restart panel,
// against the simulator: the position panel's counters measure the same run
// as the campaign, to the tenth, and their times are the recording's own
// cycles: the first cycle with each fix, which in receiver time comes as
// long after the first cycle without a fix as the receiver takes.
namespace {

constexpr int Baud115200 = 5;
constexpr double TimeScale = 10;  // a receiver second lasts 0.1 s
constexpr double Hot2D = 2, Hot3D = 3;

class FixCounterRun : public ConnectFixture {
  protected:
    // The first cycle recorded after `restartAt` (recording clock, seconds)
    // that shows no fix, and the first after it with at least `fix`.
    struct Cycles {
        Epoch Lost, Fixed;
    };
    Cycles FindCycles(double restartAt, EpochFix fix) {
        Cycles found;
        bool lost = false;
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        const EpochRecorder& recording = Window->Recording();
        for (size_t i = 0; i < recording.Size(); ++i) {
            const Epoch e = recording.At(i);
            if (e.HostMs / 1000.0 <= restartAt) continue;
            const bool hasFix = e.Fix == EpochFix::Fix2D || e.Fix == EpochFix::Fix3D;
            if (!hasFix && !lost) {
                lost = true;
                found.Lost = e;
            }
            if (lost && hasFix && e.Fix >= fix) {
                found.Fixed = e;
                break;
            }
        }
        return found;
    }
};

}  // namespace

TEST_F(FixCounterRun, ThePanelAndTheCampaignMeasureTheSameHotStart) {
    SimOptions options;
    options.Baud = 115200;
    options.TimeScale = TimeScale;
    options.Times[static_cast<int>(StartKind::Hot)] = {Hot2D, Hot3D};
    ReceiverSimulator receiver(options);
    std::string error;
    ASSERT_TRUE(receiver.Start(error)) << error;
    SetExtraPorts({receiver.SlavePath()});
    OpenWindow();
    Choose(0, Baud115200, ModeGeneral);
    Press();
    ASSERT_TRUE(RunUntil([&] { return WindowConnected(); }, 10s));
    // Once the receiver's protocol is known, one restart goes out, not both kinds.
    ASSERT_TRUE(RunUntil(
        [&] {
            std::lock_guard<std::mutex> hold(NmeaManager->Lock());
            return KnownProtocol(*NmeaManager) != ReceiverProtocol::Unknown;
        },
        10s));

    TCampaignPanel& campaign = *Window->ShowEvaluation(true).campaign;
    campaign.kindCombo->setCurrentIndex(static_cast<int>(RestartKind::Hot));
    campaign.runsSpin->setValue(1);
    campaign.timeoutSpin->setValue(30);
    campaign.startButton->click();
    ASSERT_TRUE(RunUntil([&] { return !campaign.Running(); }, 60s));
    ASSERT_TRUE(RunUntil([&] { return !Window->FGPSInfo->FixTimerRunning(); }, 10s));
    ASSERT_EQ(campaign.Campaign()->Runs().size(), 1u) << campaign.Campaign()->Problem();
    const CampaignRun run = campaign.Campaign()->Runs()[0];
    ASSERT_GE(run.Fix3D, 0) << RunResultText(run);
    EXPECT_EQ(receiver.Status().Restarts[static_cast<int>(StartKind::Hot)], 1);

    const FixTimeMeasure& panel = Window->FGPSInfo->FixTimes();
    EXPECT_NEAR(panel.Fix2D(), run.Fix2D, 0.1);
    EXPECT_NEAR(panel.Fix3D(), run.Fix3D, 0.1);
    EXPECT_EQ(Window->FGPSInfo->fix2DLabel->text(),
              QString("2D:%1 s").arg(panel.Fix2D(), 0, 'f', 1));
    EXPECT_EQ(Window->FGPSInfo->fix3DLabel->text(),
              QString("3D:%1 s").arg(panel.Fix3D(), 0, 'f', 1));

    // Each time ends at the start of the recording's first cycle with that
    // fix, which the receiver stamped as long after the fix was lost as it
    // takes (its cycles are one receiver second apart).
    const struct {
        EpochFix Fix;
        double Measured, ReceiverSeconds;
    } fixes[] = {{EpochFix::Fix2D, panel.Fix2D(), Hot2D}, {EpochFix::Fix3D, panel.Fix3D(), Hot3D}};
    for (const auto& f : fixes) {
        const Cycles c = FindCycles(panel.RestartAt(), f.Fix);
        ASSERT_NE(c.Fixed.UtcMs, Epoch::NoTime);
        EXPECT_NEAR(f.Measured, c.Fixed.HostMs / 1000.0 - panel.RestartAt(), 0.0015);
        const double receiverSeconds = (c.Fixed.UtcMs - c.Lost.UtcMs) / 1000.0;
        EXPECT_GE(receiverSeconds, f.ReceiverSeconds - 1) << static_cast<int>(f.Fix);
        EXPECT_LE(receiverSeconds, f.ReceiverSeconds) << static_cast<int>(f.Fix);
    }

    // A dropped link keeps the times, marked old with the rest of the panel.
    const QString fix2D = Window->FGPSInfo->fix2DLabel->text(),
                  fix3D = Window->FGPSInfo->fix3DLabel->text();
    Press();
    ASSERT_TRUE(RunUntil([&] { return !Connected() && Window->FGPSInfo->Stale(); }, 10s));
    EXPECT_EQ(Window->FGPSInfo->fix2DLabel->text(), fix2D);
    EXPECT_EQ(Window->FGPSInfo->fix3DLabel->text(), fix3D);
}

// The campaign window measures on the recording's clock, the one the cycles'
// starts are taken by and the position panel's counters read: a clock far
// from any other still gives the times from the restart to the cycles.
TEST(CampaignClock, TheCampaignRunsOnTheRecordingsClock) {
    std::mutex lock;
    uint32_t clockMs = 5000000;
    EpochRecorder recording(100, [&] { return clockMs; });
    TCampaignPanel campaign(nullptr, lock, recording, [](RestartKind) { return true; });
    campaign.runsSpin->setValue(1);
    campaign.Start();
    // A cycle begun 0.2 s after the last tick, and the tick when it ends.
    const auto cycle = [&](EpochFix fix) {
        Epoch e;
        e.HostMs = clockMs + 200;
        e.Fix = fix;
        recording.Record(e);
        clockMs += 1000;
        campaign.Tick();
    };
    for (EpochFix fix : {EpochFix::Fix3D, EpochFix::Fix3D}) cycle(fix);  // the restart goes out
    for (EpochFix fix : {EpochFix::NoFix, EpochFix::Fix2D, EpochFix::Fix3D}) cycle(fix);
    ASSERT_FALSE(campaign.Running()) << campaign.Campaign()->Problem();
    ASSERT_EQ(campaign.Campaign()->Runs().size(), 1u);
    EXPECT_NEAR(campaign.Campaign()->Runs()[0].Fix2D, 1.2, 1e-6);
    EXPECT_NEAR(campaign.Campaign()->Runs()[0].Fix3D, 2.2, 1e-6);
}
