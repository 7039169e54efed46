// The three satellite views of a GPS-only receiver render pixel for pixel as
// recorded in tests/views/golden, and so does the whole main window grown to
// 1280 x 900 and at two device pixels per pixel. Set
// LUMAROKUB_WRITE_VIEW_GOLDEN=1 to record them anew (only ever from a build
// whose rendering is known good, and looked at).
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "link/GpsConfig.h"
#include "shell/MainForm.h"
#include "tests/shell/WindowOnMonitor.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"

namespace {

const QString GoldenDir = LUMAROKUB_VIEW_GOLDEN_DIR;

// Compares a rendering with its golden image, or records it when asked to.
void ExpectGolden(QWidget& view, const QString& name) {
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString path = GoldenDir + "/" + name + ".png";
    if (qEnvironmentVariableIsSet("LUMAROKUB_WRITE_VIEW_GOLDEN")) {
        ASSERT_TRUE(shot.save(path));
        return;
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(golden.isNull()) << path.toStdString();
    ASSERT_EQ(shot.size(), golden.size()) << name.toStdString();
    int differing = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) differing += shot.pixel(x, y) != golden.pixel(x, y);
    EXPECT_EQ(differing, 0) << name.toStdString();
}

class GoldenRendering : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenRendering, GpsOnlyViewsAreUnchanged) {
    const std::string file = GetParam();
    NMEA_Manager store;
    GPSConfig config;
    TFSViewer sky(nullptr, store, config, nullptr);
    TFSnrViewer chart(nullptr, store);
    TFGPSInfo info(nullptr, store);
    sky.resize(210, 210);
    chart.resize(210, 100);
    info.resize(210, 135);
    Feed(store, CaptureSentences(file.c_str()));
    info.Refresh();
    chart.Refresh();
    sky.Refresh();
    const QString stem = QString::fromStdString(file.substr(0, file.find('.')));
    ExpectGolden(sky, stem + "-sky");
    ExpectGolden(chart, stem + "-chart");
    ExpectGolden(info, stem + "-info");
    sky.SkyClick();  // the compass axes drawn over the same satellites
    ExpectGolden(sky, stem + "-sky-axes");
}

INSTANTIATE_TEST_SUITE_P(GpsOnlyCaptures, GoldenRendering,
                         ::testing::Values("ublox-lea-4h.log", "gr601-w.log", "mt3339.log",
                                           "polarx2.log"),
                         [](const auto& info) {
                             std::string name = info.param;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// The main window showing a receiver of four systems: at a size, drawn at a
// pixel ratio. A ratio other than the screen's is left to the run made with
// that ratio (QT_SCALE_FACTOR, the ctest test test_views_pixel_ratio_2).
struct WindowShot {
    const char* Name;
    QSize Size;
    qreal Ratio;
};

class MainWindowGolden : public ::testing::TestWithParam<WindowShot> {};

TEST_P(MainWindowGolden, RendersAsRecorded) {
    const WindowShot& shot = GetParam();
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    if (window.devicePixelRatioF() != shot.Ratio)
        GTEST_SKIP() << "drawn at " << window.devicePixelRatioF() << " device pixels per pixel";
    window.resize(shot.Size);
    ASSERT_TRUE(window.ShowCapture(CorpusFile("ublox-zed-f9p-nmea.log")));
    ASSERT_EQ(window.grab().size(), shot.Size * shot.Ratio) << "device pixels, not scaled";
    ExpectGolden(window, shot.Name);
}

INSTANTIATE_TEST_SUITE_P(Window, MainWindowGolden,
                         ::testing::Values(WindowShot{"window-1280x900", {1280, 900}, 1},
                                           WindowShot{"window-ratio2", {420, 498}, 2}),
                         [](const auto& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
