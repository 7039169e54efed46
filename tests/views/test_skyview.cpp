#include <gtest/gtest.h>

#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "shell/MainForm.h"
#include "tests/shell/WindowOnMonitor.h"
#include "tests/views/ViewTestSupport.h"
#include "tools/sim/NmeaText.h"
#include "views/Config.h"
#include "views/FrameSViewer.h"
#include "views/SkyGeometry.h"
#include "views/SkySnapshot.h"
#include "views/SystemColors.h"

namespace {

struct PixelCase {
    int Elevation, Azimuth, Left, Top;
};

TEST(SkyToPixel, PositionsOfElevationAzimuthPairs) {
    const PixelCase cases[] = {
        {90, 0, 95, 95},    {90, 217, 95, 95}, {0, 90, 179, 95}, {0, 180, 95, 179},
        {0, 270, 11, 95},   {45, 90, 155, 95}, {0, 0, 95, 10},   {30, 45, 147, 43},
        {-30, 45, 147, 43},  // a negative elevation maps like its positive counterpart
    };
    for (const PixelCase& c : cases) {
        const SkyPixel p = SkyToPixel(c.Elevation, c.Azimuth);
        EXPECT_TRUE(p.Ok) << c.Elevation << "/" << c.Azimuth;
        EXPECT_EQ(p.Left, c.Left) << c.Elevation << "/" << c.Azimuth;
        EXPECT_EQ(p.Top, c.Top) << c.Elevation << "/" << c.Azimuth;
    }
}

// Low satellites in the north stand at their own elevation and azimuth,
// none pushed up to the plot's edge, and their marks keep the order of their
// elevations.
TEST(SkyToPixel, LowNorthernSatellitesStandAtTheirPlace) {
    const PixelCase cases[] = {
        {24, 0, 95, 18},  {34, 0, 95, 25},   {10, 350, 81, 13}, {0, 340, 66, 16},
        {5, 15, 116, 14}, {15, 330, 54, 24}, {30, 20, 120, 26}, {20, 45, 151, 39},
    };
    for (const PixelCase& c : cases) {
        const SkyPixel p = SkyToPixel(c.Elevation, c.Azimuth);
        EXPECT_TRUE(p.Ok) << c.Elevation << "/" << c.Azimuth;
        EXPECT_EQ(QPoint(p.Left, p.Top), QPoint(c.Left, c.Top)) << c.Elevation << "/" << c.Azimuth;
    }
    for (int e = 0; e < 40; ++e) EXPECT_LE(SkyToPixel(e, 0).Top, SkyToPixel(e + 1, 0).Top) << e;
}

// At any side the plot is the default one scaled: the horizon, the zenith and
// every direction in between keep their share of the side.
TEST(SkyToPixel, ScalesWithThePlotSide) {
    for (int side : {210, 420, 600, 1000})
        for (int e = 0; e <= 90; e += 15)
            for (int a = 0; a < 360; a += 30) {
                const SkyPixel small = SkyToPixel(e, a), large = SkyToPixel(e, a, side);
                ASSERT_TRUE(large.Ok);
                const double k = side / 210.0;
                EXPECT_NEAR(large.Left, small.Left * k, k + 2) << side << " " << e << "/" << a;
                EXPECT_NEAR(large.Top, small.Top * k, k + 2) << side << " " << e << "/" << a;
            }
}

TEST(SkyToPixel, EveryDirectionLandsOnThePlot) {
    for (int e = -90; e <= 90; ++e)
        for (int a = -360; a <= 720; a += 3) {
            const SkyPixel p = SkyToPixel(e, a);
            ASSERT_TRUE(p.Ok);
            ASSERT_GE(p.Left, 10);
            ASSERT_LE(p.Left, 180);
            ASSERT_GE(p.Top, 10);
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
    EXPECT_EQ(sky.satMarks[15]->pos(), QPoint(95, 10));
    EXPECT_EQ(sky.satLabels[15]->pos(), QPoint(95, 14));
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

// Grown, the plot keeps its picture scaled: the rings round about the middle
// of the largest square, the marks, numbers and texts larger in proportion.
TEST_F(SkyViewTest, GrownPlotScalesEverything) {
    SetSatellite(store, 0, 7, 30, 45, 45);
    SetFixMode(store, "3D");
    sky.show();
    sky.resize(520, 420);  // the square: 420 wide, 50 in from the left
    sky.Refresh();
    EXPECT_EQ(sky.PlotRect(), QRect(50, 0, 420, 420));
    const SkyPixel p = SkyToPixel(30, 45, 420);
    EXPECT_EQ(sky.satMarks[0]->geometry(), QRect(50 + p.Left, p.Top, 50, 50));
    EXPECT_EQ(sky.satMarks[0]->Pen().width(), 4);
    EXPECT_EQ(sky.satLabels[0]->font().pointSize(), 24);
    EXPECT_EQ(sky.fixModeLabel->font().pointSize(), 30);
    EXPECT_EQ(sky.fixModeLabel->pos(), QPoint(520 - 60, 420 - 60));
    const QImage canvas = sky.skyImage->Canvas().toImage();
    ASSERT_EQ(canvas.size(), QSize(520, 420));
    // The outer ring crosses the middle lines at 40 from each side of the square.
    for (const QPoint ring :
         {QPoint(50 + 40, 210), QPoint(50 + 379, 210), QPoint(50 + 210, 40), QPoint(50 + 210, 379)})
        EXPECT_EQ(canvas.pixelColor(ring), QColor(Qt::white)) << ring.x() << "," << ring.y();
    EXPECT_EQ(canvas.pixelColor(50 + 120, 210), QColor(Qt::black));
    // Back at the default size, the default picture.
    sky.resize(210, 210);
    EXPECT_EQ(sky.satMarks[0]->geometry(), QRect(147, 43, 25, 25));
    EXPECT_EQ(sky.fixModeLabel->pos(), QPoint(180, 180));
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
    WindowOnMonitor made;
    TMainForm& window = made.Window;
    window.show();
    window.Parts().GpsConfig.DisplayPaused = false;
    const QSize full = window.size();
    ASSERT_EQ(full, QSize(420, 498));

    DoubleClick(window.FSViewer->skyImage, QPoint(60, 60));
    EXPECT_EQ(window.size(), QSize(210, 498 - 168));
    EXPECT_FALSE(window.FRestartButton->isVisible());
    EXPECT_FALSE(window.FUtilButton->isVisible());
    EXPECT_TRUE(window.Parts().GpsConfig.DisplayPaused);
    EXPECT_TRUE(window.FSViewer->AxesShown()) << "the click of the double-click toggles the axes";

    DoubleClick(window.FSViewer->skyImage, QPoint(60, 60));
    EXPECT_EQ(window.size(), full);
    EXPECT_TRUE(window.FRestartButton->isVisible());
    EXPECT_TRUE(window.FUtilButton->isVisible());
    EXPECT_FALSE(window.Parts().GpsConfig.DisplayPaused);
    EXPECT_FALSE(window.FSViewer->AxesShown());
}

// A receiver of four systems with 44 satellites in view, crowded in places
// (pairs of satellites a few degrees apart, a cluster low in the north under
// the clock), as one receiver cycle of GSV sets.
class CrowdedSky : public testing::Test {
  protected:
    static constexpr const char* Talkers[] = {"GP", "GL", "GA", "GB"};
    static constexpr int FirstPrn[] = {1, 65, 1, 1};
    static constexpr int PerSystem = 11;

    void SetUp() override {
        Dispatch("GPGGA,120000.00,2502.8656,N,12131.9110,E,1,12,0.8,12.0,M,15.0,M,,");
        uint32_t seed = 7;
        for (int system = 0; system < 4; ++system) {
            std::vector<std::string> fields;
            for (int k = 0; k < PerSystem; ++k) {
                seed = seed * 1103515245u + 12345u;
                int elevation = static_cast<int>(seed >> 8) % 80;
                int azimuth = static_cast<int>(seed >> 16) % 360;
                if (k % 4 == 1) {  // close beside the satellite before
                    elevation = last[0] + 2;
                    azimuth = (last[1] + 4) % 360;
                }
                if (k == 10) elevation = 12, azimuth = 330 + 5 * system;  // under the clock
                last[0] = elevation, last[1] = azimuth;
                fields.push_back(std::to_string(FirstPrn[system] + k) + "," +
                                 std::to_string(elevation) + "," + std::to_string(azimuth) + "," +
                                 std::to_string(25 + (k * 7) % 25));
            }
            const int pages = (PerSystem + 3) / 4;
            for (int page = 0; page < pages; ++page) {
                std::string body = std::string(Talkers[system]) + "GSV," + std::to_string(pages) +
                                   "," + std::to_string(page + 1) + "," + std::to_string(PerSystem);
                for (int k = page * 4; k < std::min(PerSystem, page * 4 + 4); ++k)
                    body += "," + fields[k];
                Dispatch(body);
            }
        }
        Dispatch("GPGGA,120001.00,2502.8656,N,12131.9110,E,1,12,0.8,12.0,M,15.0,M,,");
        ASSERT_TRUE(store.Sky.Extended());
    }
    void Dispatch(const std::string& body) {
        const std::string sentence = FinishSentence(body);
        std::lock_guard<std::mutex> hold(store.Lock());
        DispatchSentence(sentence.substr(0, sentence.find('\n')), store, nullptr);
    }
    std::vector<QLabel*> ShownLabels() const {
        std::vector<QLabel*> shown;
        for (QLabel* label : sky.skyLabels)
            if (label->isVisibleTo(&sky)) shown.push_back(label);
        return shown;
    }
    void SaveShot(const char* name) {
        if (qEnvironmentVariableIsSet("LUMAROKUB_SCREENSHOT_DIR"))
            sky.grab().save(qEnvironmentVariable("LUMAROKUB_SCREENSHOT_DIR") + "/" + name);
    }
    // A line leads from a mark's rim to each number standing away from it.
    void ExpectLeaders() {
        const std::vector<QLabel*> labels = ShownLabels();
        size_t moved = 0;
        for (size_t i = 0; i < labels.size(); ++i)
            moved += !TFSViewer::LabelTextRect(labels[i])
                          .adjusted(-3, -3, 3, 3)
                          .intersects(sky.skyMarks[i]->geometry());
        const std::vector<QLineF>& leaders = sky.skyImage->Leaders();
        EXPECT_GE(leaders.size(), moved);
        for (const QLineF& leader : leaders) {
            const auto touches = [&](const QRect& r, QPointF p) {
                return QRectF(r).adjusted(-1, -1, 1, 1).contains(p);
            };
            size_t from = 0, to = 0;
            for (size_t i = 0; i < labels.size(); ++i) {
                from += touches(sky.skyMarks[i]->geometry(), leader.p1());
                to += touches(TFSViewer::LabelTextRect(labels[i]), leader.p2());
            }
            EXPECT_GE(from, 1u) << leader.x1() << "," << leader.y1();
            EXPECT_GE(to, 1u) << leader.x2() << "," << leader.y2();
        }
    }
    // Every number is shown, inside the view, hiding no other number and no
    // other satellite's mark.
    void ExpectReadable(int side) {
        const std::vector<QLabel*> labels = ShownLabels();
        ASSERT_EQ(labels.size(), size_t(4 * PerSystem)) << side;
        for (size_t i = 0; i < labels.size(); ++i) {
            const QRect text = TFSViewer::LabelTextRect(labels[i]);
            EXPECT_TRUE(sky.rect().contains(text)) << labels[i]->text().toStdString();
            EXPECT_FALSE(text.intersects(sky.localTimeLabel->geometry()));
            for (const QLabel* letter : sky.compassLabels) {
                if (sky.AxesShown()) {
                    EXPECT_FALSE(text.intersects(letter->geometry()))
                        << letter->text().toStdString();
                }
            }
            for (size_t j = 0; j < labels.size(); ++j) {
                if (j == i) continue;
                EXPECT_FALSE(text.intersects(TFSViewer::LabelTextRect(labels[j])))
                    << side << ": " << labels[i]->text().toStdString() << " over "
                    << labels[j]->text().toStdString();
                EXPECT_FALSE(text.intersects(sky.skyMarks[j]->geometry()))
                    << side << ": " << labels[i]->text().toStdString() << " over the mark of "
                    << labels[j]->text().toStdString();
            }
        }
    }

    int last[2] = {0, 0};
    NMEA_Manager store;
    GPSConfig config;
    TFSViewer sky{nullptr, store, config, nullptr};
};

TEST_F(CrowdedSky, NumbersMoveAsideMarksStay) {
    sky.Refresh();
    ExpectReadable(210);
    ExpectLeaders();
    sky.SkyClick();  // the compass letters shown: numbers clear of them too
    ExpectReadable(210);
    sky.SkyClick();
    SaveShot("crowded-sky-210.png");
    // The marks stand where their satellites are, whatever their numbers do.
    SkySnapshot taken;
    {
        std::lock_guard<std::mutex> hold(store.Lock());
        taken.Take(store.Sky);
    }
    ASSERT_EQ(taken.InView.size(), size_t(4 * PerSystem));
    for (size_t i = 0; i < taken.InView.size(); ++i) {
        const SkySatellite& sat = taken.InView[i];
        const SkyPixel p = SkyToPixel(sat.Elevation, sat.Azimuth);
        EXPECT_EQ(sky.skyMarks[i]->pos(), QPoint(p.Left + 2, p.Top + 2)) << i;
    }
    sky.show();  // a shown view lays itself out anew as it is resized
    sky.resize(600, 600);
    ExpectReadable(600);
    ExpectLeaders();
    SaveShot("crowded-sky-600.png");
    sky.resize(640, 600);  // not square: the plot stays round, centred
    EXPECT_EQ(sky.PlotRect(), QRect(20, 0, 600, 600));
    ExpectReadable(600);
}
TEST_F(CrowdedSky, TheContextMenuShowsOneSystemOrAll) {
    sky.Refresh();
    std::unique_ptr<QMenu> menu(sky.MakeFilterMenu(nullptr));
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(texts,
              QStringList({"All systems", "GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "SBAS"}));
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    menu->actions()[2]->trigger();
    EXPECT_EQ(sky.SystemFilter(), Constellation::Glonass);
    std::vector<QLabel*> shown = ShownLabels();
    ASSERT_EQ(shown.size(), size_t(PerSystem));
    for (QLabel* label : shown) EXPECT_TRUE(label->text().startsWith('R'));
    // The filter holds across refreshes; "All systems" brings every one back.
    sky.Refresh();
    EXPECT_EQ(ShownLabels().size(), size_t(PerSystem));
    menu.reset(sky.MakeFilterMenu(nullptr));
    EXPECT_TRUE(menu->actions()[2]->isChecked());
    menu->actions()[0]->trigger();
    EXPECT_EQ(ShownLabels().size(), size_t(4 * PerSystem));
}

TEST_F(CrowdedSky, AClickOnAMarkNamesItsSatellite) {
    sky.Refresh();
    std::vector<std::pair<Constellation, int>> clicked;
    QObject::connect(&sky, &TFSViewer::SatelliteClicked,
                     [&](Constellation system, int prn) { clicked.emplace_back(system, prn); });
    // The last mark drawn is the one on top where marks overlap.
    const size_t last = 4 * PerSystem - 1;
    Click(sky.skyImage, sky.skyMarks[last]->geometry().center());
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(SystemPrnText(clicked[0].first, clicked[0].second), sky.skyLabels[last]->text());
    EXPECT_FALSE(sky.AxesShown());
    Click(sky.skyImage, QPoint(3, 100));  // beside the plot: the axes
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_TRUE(sky.AxesShown());
}
}  // namespace
