#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <atomic>
#include <thread>

#include "control/ConfigurationWindow.h"
#include "control/FrameAbout.h"
#include "control/FrameComPortSetting.h"
#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "link/ThreadNMEAFetch.h"
#include "shell/CaptureReplay.h"
#include "shell/DataFreshness.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "tests/shell/WindowOnMonitor.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"

namespace {

TEST(MainForm, WindowTitledLumarokUbGrowsFromItsDefaultSize) {
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    window.show();
    EXPECT_FALSE(window.InitFailed());
    EXPECT_EQ(window.windowTitle(), "LumarokUb");
    EXPECT_EQ(window.size(), QSize(420, 498));
    EXPECT_EQ(window.minimumSize(), QSize(420, 498)) << "the default is the smallest size";
    EXPECT_GT(window.maximumSize().width(), 4000);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST(MainForm, NinePanelsAtTheirRectangles) {
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    const std::pair<QWidget*, QRect> panels[] = {
        {window.FSViewer, {0, 0, 210, 210}},           {window.FSnrViewer, {0, 210, 210, 120}},
        {window.FConsole, {0, 330, 420, 148}},         {window.FLumarokStatus, {0, 478, 420, 20}},
        {window.FGPSInfo, {210, 0, 210, 135}},         {window.FAbout, {210, 130, 210, 75}},
        {window.FComPortSetting, {210, 210, 210, 50}}, {window.FRestartButton, {210, 260, 105, 70}},
        {window.FUtilButton, {315, 260, 105, 70}},
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
    EXPECT_EQ(top, window.FAbout);
}

// The monitor outlives its window and serves the next one: the store keeps
// what came in, the connection is idle and takes the new window's reader.
TEST(MainForm, TheNextWindowOnTheMonitorShowsItsStore) {
    auto parts = std::make_unique<Monitor>();
    ASSERT_TRUE(ReplayCapture(CorpusFile("mt3339.log"), parts->NmeaManager).Opened);
    { TMainForm first(*parts); }
    EXPECT_EQ(parts->Link.State(), LinkState::Idle);
    TMainForm window(*parts);
    window.RefreshViews();
    EXPECT_TRUE(window.FGPSInfo->latLabel->text().startsWith("LAT:N 44.068"));
    TNmeaFetch* reader = window.MakeNmeaFetch(false);
    EXPECT_NE(reader, nullptr);
    delete reader;
}

// One refresh brings every view to the store: the position panel, the
// signal chart and the sky view, each reading it under its lock.
TEST(MainForm, RefreshViewsRefreshesEveryView) {
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    const ReplayResult replay = ReplayCapture(CorpusFile("mt3339.log"), window.Parts().NmeaManager);
    ASSERT_TRUE(replay.Opened);
    ASSERT_GT(replay.Sentences.size(), 100u);
    EXPECT_EQ(window.FGPSInfo->latLabel->text(), "LAT:") << "nothing shown before the refresh";
    int refreshes = 0;
    window.SetRefreshWatch([&] { ++refreshes; });
    window.RefreshViews();
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(window.FGPSInfo->latLabel->text().startsWith("LAT:N 44.068"));
    EXPECT_FALSE(window.FSnrViewer->snrChart->Bars().empty());
    EXPECT_EQ(window.FSViewer->fixModeLabel->text(), "3D");
    int shown = 0;
    for (TCircleShape* mark : window.FSViewer->satMarks)
        shown += mark->isVisibleTo(window.FSViewer);
    EXPECT_GT(shown, 5);
}

// A capture shown at start is no live link: its views are not marked old,
// however long nothing more arrives.
TEST(MainForm, AShownCaptureIsNotOldWithoutALink) {
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    EXPECT_TRUE(window.ViewsStale()) << "no link, nothing shown";
    const std::string capture = CorpusFile("mt3339.log");
    ASSERT_TRUE(window.ShowCapture(capture));
    EXPECT_FALSE(window.ViewsStale());
    EXPECT_FALSE(window.FSViewer->Stale() || window.FSnrViewer->Stale() ||
                 window.FGPSInfo->Stale());
    EXPECT_EQ(window.FSViewer->fixModeLabel->text(), "3D");
    const std::vector<std::string> sentences =
        ReplayCapture(capture, window.Parts().NmeaManager).Sentences;
    ASSERT_FALSE(sentences.empty());
    std::string last = sentences.back();
    while (!last.empty() && (last.back() == '\r' || last.back() == '\n')) last.pop_back();
    EXPECT_TRUE(window.FConsole->consoleMemo->toPlainText().contains(QString::fromStdString(last)));
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

namespace {
// The configuration window of receivers configured by keys opens from the
// main window's shortcut, made once.
TEST(MainForm, CtrlShiftKOpensTheConfigurationWindow) {
    WindowOnMonitor made;
    made.Window.show();
    QApplication::setActiveWindow(&made.Window);
    QTest::keyClick(&made.Window, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    TConfigurationWindow& shown = made.Window.Configuration();
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(&made.Window.Configuration(), &shown);
    shown.hide();
}
}  // namespace
