// The control panels against the receiver simulator on a pseudo-terminal:
// the receiver restarts, changes its outputs and its period as commanded.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <memory>

#include "ControlFixture.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameRestartButton.h"
#include "intake/UbxIntake.h"
#include "link/Connection.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "tests/tools/sim/SimTestSupport.h"
#include "tools/sim/UbxFrame.h"

namespace {
using namespace std::chrono_literals;

class ReceiverSimTest : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        std::string error;
        ASSERT_TRUE(Sim.Open(error)) << error;
        const Source device = Source::Device(Sim.SlavePath());
        ASSERT_TRUE(Port.OpenPort(device, 115200));
        ASSERT_TRUE(Sim.Start(error)) << error;
        GpsConfig->SetPort(device);
        GpsConfig->SetPortOpen(true);
    }
    void TearDown() override {
        EXPECT_TRUE(Link->WaitSendersIdle(10s));
        Port.ClosePort();
        Sim.Stop();
        ControlFixture::TearDown();
    }
    int Restarts(StartKind kind) const { return Sim.Status().Restarts[static_cast<int>(kind)]; }
    OutputRate Rate(SentenceKind kind) const { return Sim.Status().Rates[static_cast<int>(kind)]; }

    ReceiverSimulator Sim{FastOptions()};
    YComPort& Port = *ComPort;
    // The connection the panels send on; SetUp opens its port directly.
    Connection* const Link = &Parts->Link;
};
}  // namespace

TEST_F(ReceiverSimTest, EachRestartButtonRestartsTheReceiverOnce) {
    // The receiver answered UBX: each restart goes out as its CFG-RST alone.
    {
        const std::string ack = BuildUbxAck(true, UbxClassCfg, UbxCfgMsg);
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        DispatchUbx(reinterpret_cast<const uint8_t*>(ack.data()), ack.size(), *NmeaManager);
    }
    TFRestartButton panel(nullptr, *NmeaManager);
    panel.SetLink(Link);
    const StartKind kinds[] = {StartKind::Hot, StartKind::Warm, StartKind::Cold,
                               StartKind::Factory};
    for (int i = 0; i < TFRestartButton::ButtonCount; ++i) {
        const int commands = Sim.Status().Commands;
        panel.restartButtons[i]->click();
        EXPECT_TRUE(WaitFor([&] { return Restarts(kinds[i]) == 1; }, 5s)) << i;
        EXPECT_EQ(Sim.Status().Commands, commands + 1) << i;
    }
}

TEST_F(ReceiverSimTest, UbloxDialogSelectsSentencesAndPeriod) {
    TFmNmeaChoice_ub window;
    window.SetLink(Link);
    window.chkUart->setChecked(true);
    window.chkGGA->setChecked(true);
    window.chkRMC->setChecked(true);
    window.edtPeriod->setText("250");
    window.btnSettingOK->click();
    ASSERT_TRUE(WaitFor([&] { return Sim.Status().Acks >= 8; }, 5s));
    EXPECT_EQ(Sim.Status().PeriodMs, 250u);
    EXPECT_EQ(Rate(SentenceKind::GGA).Value, 1u);
    EXPECT_EQ(Rate(SentenceKind::RMC).Value, 1u);
    for (SentenceKind off : {SentenceKind::GLL, SentenceKind::GSA, SentenceKind::GSV,
                             SentenceKind::VTG, SentenceKind::ZDA})
        EXPECT_EQ(Rate(off).Value, 0u) << SentenceKindName(off);
    // What the receiver now sends: GGA and RMC alone, four epochs a second.
    const int64_t changedAt = Sim.Status().Epochs;
    ASSERT_TRUE(WaitFor([&] { return Sim.Status().Epochs > changedAt + 10; }, 5s));
    std::vector<double> ggaSeconds;
    for (const SentItem& item : Sim.Sent()) {
        if (item.Type != SentItem::Sentence || item.Epoch <= changedAt + 1) continue;
        const std::string type = TypeOf(item.Bytes);
        EXPECT_TRUE(type == "GPGGA" || type == "GPRMC") << item.Bytes;
        if (type != "GPGGA") continue;
        const std::string utc = Fields(item.Bytes).at(1);  // hhmmss.ss
        ggaSeconds.push_back(std::stod(utc.substr(0, 2)) * 3600 + std::stod(utc.substr(2, 2)) * 60 +
                             std::stod(utc.substr(4)));
    }
    ASSERT_GE(ggaSeconds.size(), 4u);
    for (size_t i = 1; i < ggaSeconds.size(); ++i)
        EXPECT_NEAR(ggaSeconds[i] - ggaSeconds[i - 1], 0.25, 0.001) << i;
    window.edtPeriod->setText("1000");
}

TEST_F(ReceiverSimTest, SirfWindowSetsTheGllInterval) {
    TFmNmeaChoice window;
    window.SetLink(Link);
    window.Panel()->intervalEdits[TFNmeaChoice::GllRow]->setText("10");
    window.Panel()->okButton->click();
    ASSERT_TRUE(WaitFor([&] { return Rate(SentenceKind::GLL).Value == 10; }, 5s));
    EXPECT_EQ(Rate(SentenceKind::GLL).In, OutputRate::Seconds);
}
