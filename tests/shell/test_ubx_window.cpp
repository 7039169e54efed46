// The window on a simulated u-blox receiver that speaks UBX only: the views
// fill from NAV-PVT and NAV-SAT, the receiver's identity reaches the status
// bar, and the answers to the u-blox dialog's frames are shown one by one.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "control/FormNmeaChoiceUb.h"
#include "link/Connection.h"
#include "link/GpsConfig.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/PortTable.h"
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

class UbxWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        YThread::SetMainDispatcher(&dispatcher);
        std::string error;
        ASSERT_TRUE(sim.Open(error)) << error;
        const int32_t number = PortTable::NumberForPath(sim.SlavePath());
        ASSERT_TRUE(ComPort->OpenPort(static_cast<uint32_t>(number), 115200));
        ASSERT_TRUE(sim.Start(error)) << error;
        GpsConfig->PortNumber = number;
        GpsConfig->BaudRate = 115200;
        GpsConfig->DisplayPaused = false;
        GpsConfig->SetPortOpen(true);
        reader = CreateNmeaFetch(false);
        reader->Resume();
    }
    void TearDown() override {
        if (reader) {
            NmeaFetch = nullptr;
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
        return static_cast<int>(FConsole->consoleMemo->toPlainText().count(text));
    }

    YComPort* port = ComPort ? ComPort : (ComPort = new YComPort);
    TMainForm window;
    QtUiDispatcher dispatcher;
    ReceiverSimulator sim{UbxOnly()};
    TNmeaFetch* reader = nullptr;
};

TEST_F(UbxWindowTest, AUbxOnlyReceiverFillsTheViews) {
    ASSERT_TRUE(WaitFor([] { return FSViewer->fixModeLabel->text() == "3D"; }));
    ASSERT_TRUE(WaitFor([] { return FGPSInfo->latLabel->text().startsWith("LAT:N 25.04"); }));
    EXPECT_TRUE(FGPSInfo->lonLabel->text().startsWith("LON:E 121.53"));
    EXPECT_TRUE(WaitFor([] { return FSnrViewer->snrChart->Bars().size() >= 8; }));
    EXPECT_GE(ConsoleLinesWith("UBX NAV-PVT 3D"), 1);
}

TEST_F(UbxWindowTest, IdentityAndAnswersReachTheConsoleAndTheStatusBar) {
    ComPort->SendCommandText("B5620A0400000E34");  // MON-VER poll
    ASSERT_TRUE(WaitFor([] { return FLumarokStatus->PanelText(0).contains("SIM-M8 SPG 3.01"); }));

    TFmNmeaChoice_ub dialog;
    dialog.SetLink(&window.Link());
    dialog.chkUart->setChecked(true);
    dialog.chkGGA->setChecked(true);
    dialog.edtPeriod->setText("500");
    dialog.btnSettingOK->click();
    ASSERT_TRUE(WaitFor([this] { return ConsoleLinesWith("UBX CFG-MSG acknowledged") == 7; }))
        << FConsole->consoleMemo->toPlainText().toStdString();
    ASSERT_TRUE(WaitFor([this] { return ConsoleLinesWith("UBX CFG-RATE refused") == 1; }));
    EXPECT_TRUE(FLumarokStatus->PanelText(0).contains("UBX CFG-RATE refused"));
    EXPECT_EQ(ConsoleLinesWith("no answer"), 0);
}

}  // namespace
