// Views marked as showing old data: the same grey wash with a "no data" tag
// in the middle over each whole view; marked fresh again, each renders
// exactly as before, pixel for pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <functional>

#include "link/GpsConfig.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"
#include "views/StaleVeil.h"

namespace {

QImage Shot(QWidget& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int DifferingPixels(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
    return differing;
}

// Pixels of exactly `colour`, and the rectangle around them.
struct ColourPatch {
    int Pixels = 0;
    QRect Bounds;
};
ColourPatch FindColour(const QImage& image, const QColor& colour) {
    ColourPatch patch;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb()) {
                ++patch.Pixels;
                patch.Bounds |= QRect(x, y, 1, 1);
            }
    return patch;
}

int PixelsOf(const QImage& image, Qt::GlobalColor colour) {
    return FindColour(image, QColor(colour)).Pixels;
}

class StaleViews : public testing::TestWithParam<const char*> {
  protected:
    struct View {
        const char* Name;
        QWidget* Widget;
        std::function<void(bool)> SetStale;
    };

    void SetUp() override {
        sky.resize(210, 210);
        chart.resize(210, 100);
        info.resize(210, 135);
        const std::string capture = GetParam();
        // No capture: nothing ever arrived, every text is empty.
        if (!capture.empty()) Feed(store, CaptureSentences(capture.c_str()));
        info.Refresh();
        chart.Refresh();
        sky.Refresh();
    }
    std::vector<View> Views() {
        return {{"sky", &sky, [this](bool s) { sky.SetStale(s); }},
                {"chart", &chart, [this](bool s) { chart.SetStale(s); }},
                {"info", &info, [this](bool s) { info.SetStale(s); }}};
    }

    NMEA_Manager store;
    GPSConfig config;
    TFSViewer sky{nullptr, store, config, nullptr};
    TFSnrViewer chart{nullptr, store};
    TFGPSInfo info{nullptr, store};
};

TEST_P(StaleViews, GreyWashWithATagOverTheWholeViewAndFreshAgainRestoresEveryPixel) {
    for (const View& view : Views()) {
        const QImage fresh = Shot(*view.Widget);
        view.SetStale(true);
        const QImage stale = Shot(*view.Widget);
        const int area = stale.width() * stale.height();
        // The whole view is washed, not a corner of it: nothing stays pure
        // black or pure white.
        EXPECT_GT(DifferingPixels(fresh, stale), area * 9 / 10) << view.Name;
        EXPECT_EQ(PixelsOf(stale, Qt::black), 0) << view.Name;
        EXPECT_EQ(PixelsOf(stale, Qt::white), 0) << view.Name;
        // The tag sits in the middle of every view alike.
        const ColourPatch tag = FindColour(stale, TStaleVeil::TagFill);
        EXPECT_GT(tag.Pixels, 100) << view.Name;
        EXPECT_TRUE(tag.Bounds.contains(stale.rect().center())) << view.Name;
        EXPECT_LT(tag.Bounds.width(), stale.width() / 2) << view.Name << ": a small tag";
        if (qEnvironmentVariableIsSet("LUMAROKUB_SCREENSHOT_DIR"))
            stale.save(qEnvironmentVariable("LUMAROKUB_SCREENSHOT_DIR") + "/stale-" + view.Name +
                       ".png");
        view.SetStale(false);
        EXPECT_EQ(DifferingPixels(fresh, Shot(*view.Widget)), 0) << view.Name;
    }
}

INSTANTIATE_TEST_SUITE_P(Captures, StaleViews, ::testing::Values("", "mt3339.log"),
                         [](const auto& info) {
                             return std::string(*info.param ? "Mt3339" : "NothingReceived");
                         });

// Marks made by a refresh while the view is already marked old lie under
// the wash too: the same picture whichever came first.
TEST(StaleSkyView, MarksOfALaterRefreshLieUnderTheWash) {
    NMEA_Manager early, late;
    GPSConfig config;
    TFSViewer first(nullptr, early, config, nullptr);
    TFSViewer second(nullptr, late, config, nullptr);
    first.resize(210, 210);
    second.resize(210, 210);
    const std::vector<std::string> sentences = CaptureSentences("neo-m8n.log");
    Feed(early, sentences);
    first.Refresh();
    first.SetStale(true);
    second.SetStale(true);
    Feed(late, sentences);
    second.Refresh();
    ASSERT_FALSE(second.skyMarks.empty()) << "a receiver of several systems";
    EXPECT_EQ(DifferingPixels(Shot(first), Shot(second)), 0);
}

// The wash lets clicks through: the compass axes still come and go.
TEST(StaleSkyView, ClicksReachThePlotUnderTheWash) {
    NMEA_Manager store;
    GPSConfig config;
    TFSViewer sky(nullptr, store, config, nullptr);
    sky.resize(210, 210);
    sky.SetStale(true);
    sky.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sky));
    QTest::mouseClick(sky.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 140));
    EXPECT_TRUE(WaitFor([&] { return sky.AxesShown(); }, 2000));
}

}  // namespace
