// The main window at any size: the panels tile it, the sky view stays round,
// the panels on the right keep their size; a kept place lands on the screen.
#include <gtest/gtest.h>

#include <QScreen>

#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "shell/MainForm.h"
#include "shell/WindowLayout.h"
#include "tests/shell/WindowOnMonitor.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameLumarokStatus.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"

namespace {

constexpr int RightColumn = 210;

// The window at a size, its panels as it placed them.
TEST(WindowLayout, PanelsTileEveryWindowSize) {
    const QSize sizes[] = {{420, 498},  {421, 499},  {1280, 900}, {420, 1200},
                           {2000, 520}, {700, 3000}, {3840, 2100}};
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    window.show();
    for (const QSize size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        window.resize(size);
        ASSERT_EQ(window.size(), size);
        const int left = size.width() - RightColumn;
        const QRect chart = window.FSnrViewer->geometry(),
                    status = window.FLumarokStatus->geometry();
        const QRect console = window.FConsole->geometry(), sky = window.FSViewer->geometry();
        // The left column: sky area and chart stacked; the console below
        // them and the status bar at the foot, both across the window.
        EXPECT_EQ(chart.width(), left);
        EXPECT_EQ(chart.x(), 0);
        EXPECT_EQ(console.top(), chart.bottom() + 1);
        EXPECT_EQ(console.width(), size.width());
        EXPECT_EQ(status.top(), console.bottom() + 1);
        EXPECT_EQ(status.width(), size.width());
        EXPECT_EQ(status.height(), 20);
        EXPECT_EQ(status.bottom(), size.height() - 1);
        // The sky view: the largest square of the area above the chart, centred.
        const int area = chart.top();
        EXPECT_EQ(sky.width(), sky.height());
        EXPECT_EQ(sky.width(), std::min(left, area));
        EXPECT_LE(std::abs(sky.center().x() - (left - 1) / 2), 1);
        EXPECT_GE(sky.width(), 210);
        EXPECT_LE(area, std::max(210, left)) << "never taller than wide";
        EXPECT_EQ(window.FSViewer->skyImage->size(), sky.size()) << "the plot follows its view";
        EXPECT_EQ(window.FSnrViewer->snrChart->size(), chart.size());
        EXPECT_EQ(window.FConsole->consoleMemo->size(), console.size());
        // The right column keeps its panels' sizes at the right edge.
        const std::pair<QWidget*, QRect> right[] = {{window.FGPSInfo, {210, 0, 210, 135}},
                                                    {window.FRestartButton, {210, 260, 105, 70}},
                                                    {window.FUtilButton, {315, 260, 105, 70}}};
        for (const auto& [panel, rect] : right)
            EXPECT_EQ(panel->geometry(), rect.translated(size.width() - 420, 0))
                << panel->metaObject()->className();
        EXPECT_LE(right[0].first->geometry().bottom(), console.top());
        EXPECT_GE(console.top(), 330);
    }
}

TEST(WindowLayout, TheExtraSpaceOf1280x900) {
    const WindowLayout l = LayoutForSize(QSize(1280, 900));
    EXPECT_EQ(l.SkyArea, QRect(0, 0, 1070, 478));
    EXPECT_EQ(l.SkyView, QRect(296, 0, 478, 478));
    EXPECT_EQ(l.SnrChart, QRect(0, 478, 1070, 187));
    EXPECT_EQ(l.Console, QRect(0, 665, 1280, 215));
    EXPECT_EQ(l.Status, QRect(0, 880, 1280, 20));
    EXPECT_EQ(l.PortPanel, QRect(1070, 210, 210, 50));
    EXPECT_EQ(LayoutForSize(QSize(300, 300)).Console, QRect(0, 330, 420, 148))
        << "below the default: the default";
    EXPECT_EQ(LayoutForSize(QSize(300, 300)).Status, QRect(0, 478, 420, 20));
}

TEST(WindowLayout, CompactLayoutAndBackKeepTheGrownSize) {
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    window.show();
    window.resize(1000, 800);
    window.Parts().GpsConfig.DisplayPaused = false;
    window.FSViewer->SkyDblClick();
    EXPECT_TRUE(window.CompactLayout());
    EXPECT_EQ(window.size(), QSize(210, 330));
    EXPECT_EQ(window.FSViewer->geometry(), QRect(0, 0, 210, 210));
    EXPECT_EQ(window.FSnrViewer->geometry(), QRect(0, 210, 210, 100));
    EXPECT_EQ(window.FLumarokStatus->geometry(), QRect(0, 310, 210, 20));
    EXPECT_EQ(window.KeptGeometry().size(), QSize(1000, 800)) << "kept: the full layout";
    window.resize(900, 900);
    EXPECT_EQ(window.size(), QSize(210, 330)) << "the compact layout has one size";
    window.FSViewer->SkyDblClick();
    EXPECT_FALSE(window.CompactLayout());
    EXPECT_EQ(window.size(), QSize(1000, 800));
    EXPECT_EQ(window.FSnrViewer->geometry().width(), 790);
    EXPECT_TRUE(window.FRestartButton->isVisible());
    window.resize(420, 498);
    EXPECT_EQ(window.size(), QSize(420, 498));
    window.resize(300, 300);
    EXPECT_EQ(window.size(), QSize(420, 498)) << "never smaller than the default";
    window.Parts().GpsConfig.DisplayPaused = false;
}

TEST(WindowLayout, AKeptPlaceIsMovedAndShrunkOntoTheScreen) {
    const QSize minimum(420, 498);
    const QRect screen(0, 0, 1920, 1040);
    const QRect secondScreen(1920, 0, 1280, 1024);
    const struct {
        QRect Kept, Available, Fitted;
    } cases[] = {
        {{100, 100, 800, 600}, screen, {100, 100, 800, 600}},          // on screen
        {{1800, 900, 800, 600}, screen, {1120, 440, 800, 600}},        // off the bottom right
        {{-500, -50, 800, 600}, screen, {0, 0, 800, 600}},             // off the top left
        {{30, 20, 3000, 2000}, screen, {0, 0, 1920, 1040}},            // larger than the screen
        {{10, 10, 100, 100}, screen, {10, 10, 420, 498}},              // below the smallest
        {{50, 50, 800, 600}, {0, 0, 400, 300}, {0, 0, 420, 498}},      // screen below it
        {{100, 100, 800, 600}, secondScreen, {1920, 100, 800, 600}},   // another screen's
        {{3500, 100, 800, 600}, secondScreen, {2400, 100, 800, 600}},  // right of it
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOntoScreen(c.Kept, minimum, c.Available), c.Fitted) << c.Kept.x();
}

}  // namespace
