// The u-blox NMEA Setting window against the simulator as a generation 10
// receiver on a pseudo-terminal: it reads the receiver's choices with one
// CFG-VALGET, writes them with one CFG-VALSET into the layers ticked, and the
// receiver's output changes; CFG-MSG and CFG-RATE never go out.
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>
#include <memory>

#include "ControlFixture.h"
#include "control/FormNmeaChoiceUb.h"
#include "link/Connection.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "shell/QtUiDispatcher.h"
#include "tests/tools/sim/SimOnPort.h"
#include "tests/tools/sim/SimTestSupport.h"
#include "ubx/UbxKeyCodec.h"

namespace {
using namespace std::chrono_literals;

SimOptions Generation10() {
    SimOptions o = FastOptions();
    o.Generation = 10;
    return o;
}

class NmeaChoiceKeysTest : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        ASSERT_TRUE(ConnectSim(Sim, Port, *GpsConfig));
        Link = std::make_unique<Connection>(*GpsConfig, &Port);
        // The reader's hand-offs reach the window on this thread, as in the monitor.
        YThread::SetMainDispatcher(&Dispatcher);
        Reader = std::make_unique<TNmeaFetch>(false, [] {});
        Reader->SetPort(&Port);
        Reader->SetStore(NmeaManager);
        Reader->SetKeyValuesHook([this](const UbxKeyValuesRecord& r) { Window.KeysAnswered(r); });
        Reader->Start();
        // The receiver's MON-VER, as the identity poll on connecting reads it.
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        std::strcpy(NmeaManager->Ubx.Version.Software, "ROM SPG 5.10 (7b202e)");
        std::strcpy(NmeaManager->Ubx.Version.Extensions[0], "PROTVER=34.10");
        NmeaManager->Ubx.Version.ExtensionCount = 1;
        NmeaManager->Ubx.VersionKnown = true;
    }
    void TearDown() override {
        EXPECT_TRUE(Link->WaitSendersIdle(10s));
        Reader->Terminate();
        Reader->WaitFor();
        Link.reset();
        DisconnectSim(Sim, Port, *GpsConfig);
        QCoreApplication::processEvents();  // hand-offs still queued
        YThread::SetMainDispatcher(nullptr);
        ControlFixture::TearDown();
    }
    OutputRate Rate(SentenceKind kind) const { return Sim.Status().Rates[static_cast<int>(kind)]; }

    QtUiDispatcher Dispatcher;
    ReceiverSimulator Sim{Generation10()};
    YComPort Port;
    std::unique_ptr<TNmeaFetch> Reader;
    std::unique_ptr<Connection> Link;
    TFmNmeaChoice_ub Window;
};
}  // namespace

TEST_F(NmeaChoiceKeysTest, ReadsAndWritesTheChoicesWithKeys) {
    Window.SetLink(Link.get());
    Window.SetStore(NmeaManager);
    // The receiver's own choices differ from the window's: GSV off, 500 ms.
    Window.chkGSV->setChecked(true);
    Window.chkZDA->setChecked(true);
    Window.ReadReceiverSettings();
    ASSERT_TRUE(Window.ByKeys());
    EXPECT_TRUE(Window.gpbLayers->isVisibleTo(&Window));
    EXPECT_TRUE(Window.chkRam->isChecked());
    EXPECT_FALSE(Window.chkBbr->isChecked());
    ASSERT_TRUE(Pump([&] { return !Window.Polling(); }));
    EXPECT_EQ(Window.lblPolled->text().toStdString(), "Showing the receiver's settings.");
    for (QCheckBox* on :
         {Window.chkGGA, Window.chkGLL, Window.chkGSA, Window.chkGSV, Window.chkRMC, Window.chkVTG})
        EXPECT_TRUE(on->isChecked()) << on->text().toStdString();
    EXPECT_FALSE(Window.chkZDA->isChecked());
    EXPECT_TRUE(Window.chkUart->isChecked());
    EXPECT_TRUE(Window.chkUSB->isChecked());
    EXPECT_EQ(Window.edtPeriod->text(), "1000");

    // GGA and RMC alone every 250 ms, into RAM and BBR.
    for (QCheckBox* off : {Window.chkGLL, Window.chkGSA, Window.chkGSV, Window.chkVTG})
        off->setChecked(false);
    Window.edtPeriod->setText("250");
    Window.chkBbr->setChecked(true);
    const int acks = Sim.Status().Acks;
    Window.btnSettingOK->click();
    ASSERT_TRUE(WaitFor([&] { return Sim.Status().Acks > acks; }, 5s));
    EXPECT_EQ(Sim.Status().Naks, 0) << "no CFG-MSG or CFG-RATE went out";
    EXPECT_EQ(Sim.Status().PeriodMs, 250u);
    EXPECT_EQ(Rate(SentenceKind::GGA).Value, 1u);
    EXPECT_EQ(Rate(SentenceKind::RMC).Value, 1u);
    for (SentenceKind off : {SentenceKind::GLL, SentenceKind::GSA, SentenceKind::GSV,
                             SentenceKind::VTG, SentenceKind::ZDA})
        EXPECT_EQ(Rate(off).Value, 0u) << SentenceKindName(off);
    const int64_t changedAt = Sim.Status().Epochs;
    ASSERT_TRUE(WaitFor([&] { return Sim.Status().Epochs > changedAt + 4; }, 5s));
    for (const SentItem& item : Sim.Sent())
        if (item.Type == SentItem::Sentence && item.Epoch > changedAt + 1) {
            const std::string type = TypeOf(item.Bytes);
            EXPECT_TRUE(type == "GPGGA" || type == "GPRMC") << item.Bytes;
        }

    // BBR holds the choices too: the window, opened again on BBR, would read them.
    Window.chkRam->setChecked(false);
    Window.chkBbr->setChecked(false);
    const int commands = Sim.Status().Commands;
    Window.btnSettingOK->click();
    EXPECT_EQ(Window.lblPolled->text().toStdString(),
              "Tick at least one layer to write the choices to.");
    EXPECT_TRUE(Link->WaitSendersIdle(5s));
    EXPECT_EQ(Sim.Status().Commands, commands);
    Window.edtPeriod->setText("1000");
}
