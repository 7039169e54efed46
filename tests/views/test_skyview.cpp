#include <gtest/gtest.h>

#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "shell/MainForm.h"
#include "tests/views/ViewTestSupport.h"
#include "views/Config.h"
#include "views/FrameSViewer.h"
#include "views/SkyGeometry.h"

namespace {

struct PixelCase {
    int Elevation, Azimuth, Left, Top;
};

TEST(SkyToPixel, PositionsOfElevationAzimuthPairs) {
    const PixelCase cases[] = {
        {90, 0, 95, 95},    {90, 217, 95, 95}, {0, 90, 179, 95}, {0, 180, 95, 179},
        {0, 270, 11, 95},   {45, 90, 155, 95}, {0, 0, 95, 0},    {30, 45, 147, 43},
        {-30, 45, 147, 43},  // a negative elevation maps like its positive counterpart
    };
    for (const PixelCase& c : cases) {
        const SkyPixel p = SkyToPixel(c.Elevation, c.Azimuth);
        EXPECT_TRUE(p.Ok) << c.Elevation << "/" << c.Azimuth;
        EXPECT_EQ(p.Left, c.Left) << c.Elevation << "/" << c.Azimuth;
        EXPECT_EQ(p.Top, c.Top) << c.Elevation << "/" << c.Azimuth;
    }
}

TEST(SkyToPixel, EveryDirectionLandsOnThePlot) {
    for (int e = -90; e <= 90; ++e)
        for (int a = -360; a <= 720; a += 3) {
            const SkyPixel p = SkyToPixel(e, a);
            ASSERT_TRUE(p.Ok);
            ASSERT_GE(p.Left, 10);
            ASSERT_LE(p.Left, 180);
            ASSERT_LE(p.Top, 180);
        }
}

class SkyViewTest : public testing::Test {
  protected:
    void SetUp() override {
        std::lock_guard<std::mutex> hold(store.Lock());
        const uint8_t used[] = {7, 9};
        std::copy(std::begin(used), std::end(used), store.Gsa.Message.UsedPrn);
    }
    QColor LabelColor(int slot) const {
        return sky.satLabels[slot]->palette().color(QPalette::WindowText);
    }

    NMEA_Manager store;
    GPSConfig config;
    TFSViewer sky{nullptr, store, config, nullptr};
};

TEST_F(SkyViewTest, MarksSitWhereSkyToPixelPutsThem) {
    SetSatellite(store, 0, 7, 90, 10, 45);
    SetSatellite(store, 3, 12, 0, 90, 35);
    SetSatellite(store, 15, 30, 0, 0, 20);
    sky.Refresh();
    EXPECT_EQ(sky.satMarks[0]->geometry(), QRect(95, 95, 25, 25));
    EXPECT_EQ(sky.satLabels[0]->pos(), QPoint(95, 99));
    EXPECT_EQ(sky.satMarks[3]->pos(), QPoint(179, 95));
    EXPECT_EQ(sky.satMarks[15]->pos(), QPoint(95, 0));
    EXPECT_EQ(sky.satLabels[15]->pos(), QPoint(95, 4));
    EXPECT_EQ(sky.satLabels[3]->text(), "12");
    for (int j : {0, 3, 15}) EXPECT_TRUE(sky.satMarks[j]->isVisibleTo(&sky)) << j;
    for (int j : {1, 2, 4, 14}) EXPECT_FALSE(sky.satMarks[j]->isVisibleTo(&sky)) << j;
    // A slot emptied later is hidden again.
    SetSatellite(store, 3, 0, 0, 0, 0);
    sky.Refresh();
    EXPECT_FALSE(sky.satMarks[3]->isVisibleTo(&sky));
    EXPECT_FALSE(sky.satLabels[3]->isVisibleTo(&sky));
}

TEST_F(SkyViewTest, RingColourFollowsTheSnrBand) {
    const uint8_t snrs[] = {29, 30, 49, 50, 0, 1, 39, 40, 99};
    const QColor colours[] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {192, 192, 192},
                              {255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int j = 0; j < 9; ++j) SetSatellite(store, j, 20 + j, 40, 40 * j, snrs[j]);
    sky.Refresh();
    for (int j = 0; j < 9; ++j) {
        EXPECT_EQ(sky.satMarks[j]->Pen().color(), colours[j]) << "SNR " << int(snrs[j]);
        EXPECT_EQ(sky.satMarks[j]->Pen().width(), 2);
    }
}

TEST_F(SkyViewTest, UsedSatelliteIsAWhiteDiscUnusedAHollowRing) {
    SetSatellite(store, 0, 7, 60, 100, 45);   // in the used list
    SetSatellite(store, 1, 11, 60, 250, 45);  // not used
    sky.Refresh();
    EXPECT_EQ(sky.satMarks[0]->Brush().style(), Qt::SolidPattern);
    EXPECT_EQ(sky.satMarks[0]->Brush().color(), QColor(Qt::white));
    EXPECT_EQ(LabelColor(0), QColor(Qt::black));
    EXPECT_EQ(sky.satMarks[1]->Brush().style(), Qt::NoBrush);
    EXPECT_EQ(LabelColor(1), QColor(192, 192, 192));

    // Rendered: the used disc is white inside, the unused ring shows the black plot.
    const QImage shot = sky.grab().toImage();
    const QPoint usedCentre = sky.satMarks[0]->geometry().center();
    const QPoint unusedInside = sky.satMarks[1]->geometry().topLeft() + QPoint(12, 5);
    EXPECT_EQ(shot.pixelColor(usedCentre.x() - 8, usedCentre.y()), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(unusedInside), QColor(Qt::black));
}

TEST_F(SkyViewTest, CornerTextsAndFixMode) {
    Feed(store, {"$GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73",
                 "$GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05"});
    sky.Refresh();
    EXPECT_EQ(sky.dateLabel->text(), "DATE: 15/04/13");
    EXPECT_EQ(sky.gmtLabel->text(), "GMT: 20:26:40");
    EXPECT_EQ(sky.localTimeLabel->text(), "(PM)12:26:40");
    EXPECT_EQ(sky.localTimeLabel->pos(), QPoint(0, 0));
    EXPECT_EQ(sky.gmtLabel->pos(), QPoint(130, 0));
    EXPECT_EQ(sky.dateLabel->x(), 0);
    EXPECT_EQ(sky.dateLabel->y() + sky.dateLabel->height() + 5, 210);
    EXPECT_EQ(sky.fixModeLabel->text(), "3D");
    EXPECT_EQ(sky.fixModeLabel->pos(), QPoint(180, 180));
    EXPECT_EQ(sky.fixModeLabel->font().pointSize(), 15);
    EXPECT_EQ(sky.fixModeLabel->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST_F(SkyViewTest, ModeZeroReadsAsSmallRedNonFix) {
    for (const char* mode : {"0", "NON Fix"}) {
        SetFixMode(store, "2D");
        sky.Refresh();
        EXPECT_EQ(sky.fixModeLabel->text(), "2D");
        SetFixMode(store, mode);
        sky.Refresh();
        EXPECT_EQ(sky.fixModeLabel->text(), "NON Fix") << mode;
        EXPECT_EQ(sky.fixModeLabel->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(sky.fixModeLabel->font().pointSize(), 8);
        EXPECT_EQ(sky.fixModeLabel->pos(), QPoint(164, 180));
    }
}

TEST_F(SkyViewTest, BackgroundRingsAndCentreDot) {
    const QImage canvas = sky.skyImage->Canvas().toImage();
    EXPECT_EQ(canvas.pixelColor(20, 105), QColor(Qt::white));   // outer ring, left
    EXPECT_EQ(canvas.pixelColor(189, 105), QColor(Qt::white));  // outer ring, right
    EXPECT_EQ(canvas.pixelColor(57, 105), QColor(Qt::white));   // inner ring
    EXPECT_EQ(canvas.pixelColor(105, 105), QColor(Qt::white));  // centre dot
    EXPECT_EQ(canvas.pixelColor(80, 105), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(195, 105), QColor(Qt::black));
}

TEST_F(SkyViewTest, TwoClicksRestoreThePicture) {
    sky.show();
    const QImage before = sky.grab().toImage();
    Click(sky.skyImage, QPoint(150, 60));
    EXPECT_TRUE(sky.AxesShown());
    for (QLabel* letter : sky.compassLabels) EXPECT_TRUE(letter->isVisible());
    EXPECT_EQ(sky.compassLabels[0]->text(), "N");
    EXPECT_EQ(sky.compassLabels[1]->pos(), QPoint(190, 94));
    EXPECT_EQ(sky.compassLabels[2]->pos(), QPoint(99, 185));
    EXPECT_EQ(sky.compassLabels[3]->pos(), QPoint(2, 94));
    const QImage axes = sky.skyImage->Canvas().toImage();
    EXPECT_EQ(axes.pixelColor(80, 105), QColor(Qt::white));
    EXPECT_EQ(axes.pixelColor(105, 40), QColor(Qt::white));
    EXPECT_NE(sky.grab().toImage(), before);

    Click(sky.skyImage, QPoint(150, 60));
    EXPECT_FALSE(sky.AxesShown());
    for (QLabel* letter : sky.compassLabels) EXPECT_FALSE(letter->isVisible());
    EXPECT_EQ(sky.grab().toImage(), before);
}

TEST(SkyViewLayout, DoubleClickSwitchesToCompactLayoutAndBack) {
    TMainForm window;
    window.show();
    GpsConfig->DisplayPaused = false;
    const QSize full = window.size();
    ASSERT_EQ(full, QSize(420, 498));

    DoubleClick(FSViewer->skyImage, QPoint(60, 60));
    EXPECT_EQ(window.size(), QSize(210, 498 - 168));
    EXPECT_FALSE(FRestartButton->isVisible());
    EXPECT_FALSE(FUtilButton->isVisible());
    EXPECT_TRUE(GpsConfig->DisplayPaused);
    EXPECT_TRUE(FSViewer->AxesShown()) << "the click of the double-click toggles the axes";

    DoubleClick(FSViewer->skyImage, QPoint(60, 60));
    EXPECT_EQ(window.size(), full);
    EXPECT_TRUE(FRestartButton->isVisible());
    EXPECT_TRUE(FUtilButton->isVisible());
    EXPECT_FALSE(GpsConfig->DisplayPaused);
    EXPECT_FALSE(FSViewer->AxesShown());
}

}  // namespace
