#include <gtest/gtest.h>

#include <thread>

#include "tests/views/ViewTestSupport.h"
#include "views/FrameLumarokStatus.h"

namespace {

class StatusTest : public testing::Test {
  protected:
    QString Panel(int i) const { return status.PanelText(i); }

    GPSConfig config;
    TFLumarokStatus status{nullptr, config};
};

TEST_F(StatusTest, ThreePanelsWithInitialTexts) {
    EXPECT_EQ(status.statusPanels[0]->geometry(), QRect(0, 0, 45, 20));
    EXPECT_EQ(status.statusPanels[1]->geometry(), QRect(45, 0, 65, 20));
    EXPECT_EQ(status.statusPanels[2]->geometry(), QRect(110, 0, 100, 20));
    EXPECT_EQ(Panel(0), "Close");
    EXPECT_EQ(Panel(1), "COM:");
    EXPECT_EQ(Panel(2), "BR:");
}

TEST_F(StatusTest, OpenPortAndRate) {
    config.PortNumber = 1;
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
    config.PortNumber = 12;
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
    status.SetPortNameLookup([](int32_t n) { return n == 2 ? std::string("ttyUSB0") : ""; });
    config.PortNumber = 2;
    status.Refresh();
    EXPECT_EQ(Panel(1), "COM:ttyUSB0");
    config.PortNumber = 7;  // unknown to the table: the number
    status.Refresh();
    EXPECT_EQ(Panel(1), "COM:7");
}

TEST_F(StatusTest, RefreshFromTheDetectionThreadIsAppliedOnTheGuiThread) {
    std::thread detection([this] {
        config.PortNumber = 4;
        config.BaudRate = 115200;
        config.SetPortOpen(true);
        status.Refresh();
    });
    detection.join();
    ASSERT_TRUE(WaitFor([this] { return Panel(0) == "Open"; }));
    EXPECT_EQ(Panel(1), "COM:4");
    EXPECT_EQ(Panel(2), "BR:115200bps");
}

}  // namespace
