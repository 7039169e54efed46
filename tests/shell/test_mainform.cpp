#include <gtest/gtest.h>

#include <QApplication>
#include <atomic>
#include <thread>

#include "control/FrameAbout.h"
#include "control/FrameComPortSetting.h"
#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "shell/CaptureReplay.h"
#include "shell/DataFreshness.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"

namespace {

TEST(MainForm, WindowTitledLumarokUbGrowsFromItsDefaultSize) {
    TMainForm window;
    window.show();
    EXPECT_FALSE(window.InitFailed());
    EXPECT_EQ(window.windowTitle(), "LumarokUb");
    EXPECT_EQ(window.size(), QSize(420, 498));
    EXPECT_EQ(window.minimumSize(), QSize(420, 498)) << "the default is the smallest size";
    EXPECT_GT(window.maximumSize().width(), 4000);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(MainForm, &window);
    EXPECT_NE(GpsConfig, nullptr);
    EXPECT_NE(NmeaManager, nullptr);
}

TEST(MainForm, NinePanelsAtTheirRectangles) {
    TMainForm window;
    const std::pair<QWidget*, QRect> panels[] = {
        {FSViewer, {0, 0, 210, 210}},           {FSnrViewer, {0, 210, 210, 120}},
        {FConsole, {0, 330, 420, 148}},         {FLumarokStatus, {0, 478, 420, 20}},
        {FGPSInfo, {210, 0, 210, 135}},         {FAbout, {210, 130, 210, 75}},
        {FComPortSetting, {210, 210, 210, 50}}, {FRestartButton, {210, 260, 105, 70}},
        {FUtilButton, {315, 260, 105, 70}},
    };
    for (const auto& [panel, rect] : panels) {
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->parentWidget(), &window);
        EXPECT_EQ(panel->geometry(), rect) << panel->metaObject()->className();
    }
    // The About panel is drawn over the bottom of the position panel.
    window.show();
    QWidget* top = window.childAt(300, 132);
    while (top && top->parentWidget() != &window) top = top->parentWidget();
    EXPECT_EQ(top, FAbout);
}

TEST(MainForm, GlobalsAreClearedWithTheWindow) {
    {
        TMainForm window;
        EXPECT_EQ(MainForm, &window);
    }
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(FGPSInfo, nullptr);
    EXPECT_EQ(FConsole, nullptr);
}

TEST(MainForm, RefreshViewsHoldsTheReaderAndRefreshesEveryView) {
    TMainForm window;
    const ReplayResult replay = ReplayCapture(CorpusFile("mt3339.log"), *NmeaManager);
    ASSERT_TRUE(replay.Opened);
    ASSERT_GT(replay.Sentences.size(), 100u);

    std::vector<std::string> events;
    window.SetReaderHold(
        [&] {
            events.push_back("suspend:" + FGPSInfo->latLabel->text().toStdString() + ":" +
                             std::to_string(FSnrViewer->snrChart->Bars().size()));
        },
        [&] {
            events.push_back("resume:" + std::to_string(FSnrViewer->snrChart->Bars().size()) + ":" +
                             FSViewer->fixModeLabel->text().toStdString());
        });
    RefreshViews();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], "suspend:LAT::0") << "suspended before any view changed";
    EXPECT_EQ(events[1].rfind("resume:", 0), 0u);
    EXPECT_NE(events[1], "resume:0:") << "resumed after the views were refreshed";
    EXPECT_TRUE(FGPSInfo->latLabel->text().startsWith("LAT:N 44.068"));
    EXPECT_FALSE(FSnrViewer->snrChart->Bars().empty());
    EXPECT_EQ(FSViewer->fixModeLabel->text(), "3D");
    int shown = 0;
    for (TCircleShape* mark : FSViewer->satMarks) shown += mark->isVisibleTo(FSViewer);
    EXPECT_GT(shown, 5);
    window.SetReaderHold(nullptr, nullptr);
}

// A capture shown at start is no live link: its views are not marked old,
// however long nothing more arrives.
TEST(MainForm, AShownCaptureIsNotOldWithoutALink) {
    TMainForm window;
    EXPECT_TRUE(window.ViewsStale()) << "no link, nothing shown";
    const std::string capture = CorpusFile("mt3339.log");
    ASSERT_TRUE(window.ShowCapture(capture));
    EXPECT_FALSE(window.ViewsStale());
    EXPECT_FALSE(FSViewer->Stale() || FSnrViewer->Stale() || FGPSInfo->Stale());
    EXPECT_EQ(FSViewer->fixModeLabel->text(), "3D");
    const std::vector<std::string> sentences = ReplayCapture(capture, *NmeaManager).Sentences;
    ASSERT_FALSE(sentences.empty());
    std::string last = sentences.back();
    while (!last.empty() && (last.back() == '\r' || last.back() == '\n')) last.pop_back();
    EXPECT_TRUE(FConsole->consoleMemo->toPlainText().contains(QString::fromStdString(last)));
    EXPECT_FALSE(WaitFor([&] { return window.ViewsStale(); },
                         TDataFreshness::SilenceLimitMs + TDataFreshness::PollIntervalMs * 2));
    EXPECT_FALSE(window.ShowCapture("/nonexistent-lumarokub-capture.log"));
}

TEST(QtUiDispatcher, SynchronizeRunsOnTheGuiThreadAndWaits) {
    QtUiDispatcher dispatcher;
    const std::thread::id gui = std::this_thread::get_id();
    std::atomic<bool> done{false};
    std::thread::id ranOn;
    int value = 0;
    std::thread worker([&] {
        dispatcher.Synchronize([&] {
            ranOn = std::this_thread::get_id();
            value = 42;
        });
        EXPECT_EQ(value, 42) << "Synchronize returns after fn has run";
        done = true;
    });
    ASSERT_TRUE(WaitFor([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(ranOn, gui);

    // On the GUI thread itself it runs at once.
    value = 0;
    dispatcher.Synchronize([&] { value = 7; });
    EXPECT_EQ(value, 7);
}

TEST(QtUiDispatcher, QueueRunsLaterInOrder) {
    QtUiDispatcher dispatcher;
    std::vector<int> order;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) dispatcher.Queue([&order, i] { order.push_back(i); });
    });
    worker.join();
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(WaitFor([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

}  // namespace
