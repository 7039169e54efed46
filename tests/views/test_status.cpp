#include <gtest/gtest.h>

#include <QTest>
#include <thread>

#include "shell/MainForm.h"
#include "tests/shell/WindowOnMonitor.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameLumarokStatus.h"

namespace {

// The panels lie side by side across the whole bar, and each shows its
// text whole or, cut short, with its whole text in its tooltip.
void ExpectTiled(const TFLumarokStatus& bar) {
    int left = 0;
    for (int i = 0; i < TFLumarokStatus::PanelCount; ++i) {
        const QLabel* panel = bar.statusPanels[i];
        EXPECT_EQ(panel->geometry(), QRect(left, 0, panel->width(), bar.height())) << i;
        left += panel->width();
        const QString whole = bar.PanelText(i);
        if (panel->text() == whole) continue;
        EXPECT_TRUE(panel->text().endsWith(QChar(0x2026))) << panel->text().toStdString();
        EXPECT_EQ(panel->toolTip(), whole) << i;
    }
    EXPECT_EQ(left, bar.width());
}

class StatusTest : public testing::Test {
  protected:
    QString Panel(int i) const { return status.PanelText(i); }

    GPSConfig config;
    TFLumarokStatus status{nullptr, config};
};

TEST_F(StatusTest, ThreePanelsWithInitialTexts) {
    EXPECT_EQ(status.size(), QSize(210, 20));
    ExpectTiled(status);
    EXPECT_EQ(Panel(0), "Close");
    EXPECT_EQ(Panel(1), "COM:");
    EXPECT_EQ(Panel(2), "BR:");
}

TEST_F(StatusTest, OpenPortAndRate) {
    config.SetPort(Source::FromEntry("COM1"));
    config.BaudRate = 4800;
    config.SetPortOpen(true);
    status.Refresh();
    EXPECT_EQ(Panel(0), "Open");
    EXPECT_EQ(Panel(1), "COM:1");
    EXPECT_EQ(Panel(2), "BR:4800bps");
    for (int rate : {9600, 19200, 38400, 57600, 115200}) {
        config.BaudRate = rate;
        status.Refresh();
        EXPECT_EQ(Panel(2), "BR:" + QString::number(rate) + "bps");
    }
}

TEST_F(StatusTest, ClosedPortStillShowsItsNumber) {
    config.SetPort(Source::FromEntry("COM12"));
    status.Refresh();
    EXPECT_EQ(Panel(0), "Close");
    EXPECT_EQ(Panel(1), "COM:12");
}

TEST_F(StatusTest, UnknownRateKeepsThePreviousText) {
    config.BaudRate = 14400;
    status.Refresh();
    EXPECT_EQ(Panel(2), "BR:");
    config.BaudRate = 9600;
    status.Refresh();
    config.BaudRate = 14400;
    status.Refresh();
    EXPECT_EQ(Panel(2), "BR:9600bps");
}

TEST_F(StatusTest, ShowsThePortName) {
    config.SetPort(Source::Device("/dev/ttyUSB0"));
    status.Refresh();
    EXPECT_EQ(Panel(1), "COM:ttyUSB0");
}

TEST_F(StatusTest, RefreshFromTheDetectionThreadIsAppliedOnTheGuiThread) {
    std::thread detection([this] {
        config.SetPort(Source::FromEntry("COM4"));
        config.BaudRate = 115200;
        config.SetPortOpen(true);
        status.Refresh();
    });
    detection.join();
    ASSERT_TRUE(WaitFor([this] { return Panel(0) == "Open"; }));
    EXPECT_EQ(Panel(1), "COM:4");
    EXPECT_EQ(Panel(2), "BR:115200bps");
}

// The bar in the monitor's window at its smallest (and default) size, as a
// u-blox receiver names itself and answers: the bar spans the window, and
// every text reads whole. A narrower bar cuts the state panel short with the
// whole text in its tooltip.
TEST(StatusInWindow, TheReceiverAndItsAnswerReadWholeAtTheSmallestSize) {
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TFLumarokStatus& bar = *window.FLumarokStatus;
    ASSERT_EQ(bar.width(), 420);
    window.Parts().GpsConfig.SetPort(Source::Device("/dev/ttyUSB0"));
    window.Parts().GpsConfig.BaudRate = 115200;
    window.Parts().GpsConfig.SetPortOpen(true);
    bar.Refresh();
    const struct {
        const char* Receiver;
        const char* Note;
        const char* State;
    } cases[] = {
        {"", "", "Open"},
        {"SIM-M8 SPG 3.01", "", "Open  SIM-M8 SPG 3.01"},
        {"SIM-M8 SPG 3.01", "UBX CFG-RST acknowledged",
         "Open  SIM-M8 SPG 3.01  UBX CFG-RST acknowledged"},
    };
    for (const auto& c : cases) {
        bar.ShowReceiver(c.Receiver);
        bar.ShowNote(c.Note);
        EXPECT_EQ(bar.PanelText(0), c.State);
        EXPECT_EQ(bar.PanelText(1), "COM:ttyUSB0");
        EXPECT_EQ(bar.PanelText(2), "BR:115200bps");
        for (int i = 0; i < TFLumarokStatus::PanelCount; ++i) {
            EXPECT_EQ(bar.statusPanels[i]->text(), bar.PanelText(i)) << c.State << ", panel " << i;
            EXPECT_EQ(bar.statusPanels[i]->toolTip(), "") << c.State << ", panel " << i;
        }
        ExpectTiled(bar);
    }
    bar.resize(210, bar.height());
    EXPECT_NE(bar.statusPanels[0]->text(), bar.PanelText(0));
    EXPECT_EQ(bar.statusPanels[0]->toolTip(), bar.PanelText(0));
    ExpectTiled(bar);
    window.Parts().GpsConfig.SetPortOpen(false);
}

}  // namespace
