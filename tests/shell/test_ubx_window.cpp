// The window on a simulated u-blox receiver that speaks UBX only: the views
// fill from NAV-PVT and NAV-SAT, the receiver's identity reaches the status
// bar, and the answers to the u-blox dialog's frames are shown one by one.
// On one that sends NMEA, the u-blox dialog opens with what it really sends.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "control/FormNmeaChoiceUb.h"
#include "link/Connection.h"
#include "link/GpsConfig.h"
#include "link/Monitor.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/Source.h"
#include "serial/UbxText.h"
#include "serial/YComPort.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "tests/tools/sim/SimTestSupport.h"
#include "tests/views/ViewTestSupport.h"
#include "thread/YThread.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"

namespace {

constexpr uint16_t CfgRate = 0x0608;

SimOptions UbxOnly() {
    SimOptions o = FastOptions();
    o.Protocol = SimProtocol::Ubx;
    o.Talkers = TalkerMode::Multi;
    o.Baud = 115200;
    o.RefusedUbx = CfgRate;
    return o;
}

// A u-blox receiver sending NMEA, GPS talker.
SimOptions UbloxNmea() {
    SimOptions o = FastOptions();
    o.Baud = 115200;
    return o;
}

template <SimOptions (*MakeOptions)()>
class SimWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        YThread::SetMainDispatcher(&dispatcher);
        std::string error;
        ASSERT_TRUE(sim.Open(error)) << error;
        const Source device = Source::Device(sim.SlavePath());
        ASSERT_TRUE(ComPort->OpenPort(device, 115200));
        ASSERT_TRUE(sim.Start(error)) << error;
        GpsConfig->SetPort(device);
        GpsConfig->BaudRate = 115200;
        GpsConfig->DisplayPaused = false;
        GpsConfig->SetPortOpen(true);
        reader = window.MakeNmeaFetch(false);
        reader->Start();
        reader->Resume();
    }
    void TearDown() override {
        if (reader) {
            reader->Terminate();
            EXPECT_TRUE(WaitFor([this] { return reader->Finished(); }));
            reader->WaitFor();
            delete reader;
        }
        EXPECT_TRUE(window.Link().WaitSendersIdle(std::chrono::seconds(10)));
        GpsConfig->SetPortOpen(false);
        ComPort->ClosePort();
        sim.Stop();
        YThread::SetMainDispatcher(nullptr);
    }
    int ConsoleLinesWith(const QString& text) const {
        return static_cast<int>(window.FConsole->consoleMemo->toPlainText().count(text));
    }

    std::unique_ptr<Monitor> Parts = std::make_unique<Monitor>();
    NMEA_Manager* const NmeaManager = &Parts->NmeaManager;
    GPSConfig* const GpsConfig = &Parts->GpsConfig;
    YComPort* const ComPort = &Parts->ComPort;
    TMainForm window{*Parts};
    QtUiDispatcher dispatcher;
    ReceiverSimulator sim{MakeOptions()};
    TNmeaFetch* reader = nullptr;
};

using UbxWindowTest = SimWindowTest<UbxOnly>;
using UbloxNmeaWindowTest = SimWindowTest<UbloxNmea>;

TEST_F(UbxWindowTest, AUbxOnlyReceiverFillsTheViews) {
    ASSERT_TRUE(WaitFor([this] { return window.FSViewer->fixModeLabel->text() == "3D"; }));
    ASSERT_TRUE(
        WaitFor([this] { return window.FGPSInfo->latLabel->text().startsWith("LAT:N 25.04"); }));
    EXPECT_TRUE(window.FGPSInfo->lonLabel->text().startsWith("LON:E 121.53"));
    EXPECT_TRUE(WaitFor([this] { return window.FSnrViewer->snrChart->Bars().size() >= 8; }));
    EXPECT_GE(ConsoleLinesWith("UBX NAV-PVT 3D"), 1);
}

TEST_F(UbxWindowTest, IdentityAndAnswersReachTheConsoleAndTheStatusBar) {
    ComPort->SendCommandText("B5620A0400000E34");  // MON-VER poll
    ASSERT_TRUE(WaitFor(
        [this] { return window.FLumarokStatus->PanelText(0).contains("SIM-M8 SPG 3.01"); }));

    TFmNmeaChoice_ub dialog;
    dialog.SetLink(&window.Link());
    dialog.chkUart->setChecked(true);
    dialog.chkGGA->setChecked(true);
    dialog.edtPeriod->setText("500");
    dialog.btnSettingOK->click();
    ASSERT_TRUE(WaitFor([this] { return ConsoleLinesWith("UBX CFG-MSG acknowledged") == 7; }))
        << window.FConsole->consoleMemo->toPlainText().toStdString();
    ASSERT_TRUE(WaitFor([this] { return ConsoleLinesWith("UBX CFG-RATE refused") == 1; }));
    EXPECT_TRUE(window.FLumarokStatus->PanelText(0).contains("UBX CFG-RATE refused"));
    EXPECT_EQ(ConsoleLinesWith("no answer"), 0);
}

TEST_F(UbloxNmeaWindowTest, TheDialogOpensWithWhatTheReceiverSends) {
    // The receiver is told GSV and VTG off and a 500 ms period beforehand.
    for (const char* body :
         {"06010800F003000000000001", "06010800F005000000000001", "06080600F40101000100"})
        ASSERT_TRUE(ComPort->SendCommandText(MakeUbxFrameText(body)));
    ASSERT_TRUE(WaitFor([this] { return sim.Status().Acks == 3; }));

    window.CreateSettingWindows();
    TFmNmeaChoice_ub& dialog = *window.FmNmeaChoice_ub;
    dialog.chkUSB->setChecked(true);
    dialog.show();
    EXPECT_TRUE(dialog.Polling());
    EXPECT_TRUE(WaitFor([&] { return !dialog.Polling(); }));
    EXPECT_EQ(dialog.lblPolled->text(), "Showing the receiver's settings.");
    for (QCheckBox* on : {dialog.chkGGA, dialog.chkGLL, dialog.chkGSA, dialog.chkRMC})
        EXPECT_TRUE(on->isChecked()) << on->text().toStdString();
    for (QCheckBox* off : {dialog.chkGSV, dialog.chkVTG, dialog.chkZDA})
        EXPECT_FALSE(off->isChecked()) << off->text().toStdString();
    // The receiver's port is its UART.
    EXPECT_TRUE(dialog.chkUart->isChecked());
    EXPECT_FALSE(dialog.chkUSB->isChecked());
    EXPECT_EQ(dialog.edtPeriod->text(), "500");
    EXPECT_EQ(dialog.edtFrequency->text(), "2.00");
    // The polls await no acknowledgement: no answer line follows.
    QTest::qWait(1200);
    EXPECT_EQ(ConsoleLinesWith("no answer"), 0);
    EXPECT_EQ(ConsoleLinesWith("acknowledged"), 0);
}

}  // namespace
