// A receiver of four systems, as the simulator's multi-constellation mode
// reports it: the sky view, the signal chart and the used strip show every
// satellite of every system, told apart by system, as the simulator's own
// truth of the epoch has them. The rendered pixels are checked, not only the
// widgets' state.
#include <gtest/gtest.h>

#include <QImage>
#include <map>

#include "link/GpsConfig.h"
#include "nmea/Dispatch.h"
#include "tests/views/ViewTestSupport.h"
#include "tools/sim/EpochSentences.h"
#include "tools/sim/NmeaText.h"
#include "tools/sim/ReceiverModel.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"
#include "views/SkyGeometry.h"
#include "views/SnrColors.h"
#include "views/SystemColors.h"

namespace {

constexpr int64_t EpochMs = 1000;
constexpr int64_t StartUnixMs = 1767225600000;  // 2026-01-01 00:00 UTC

Constellation SystemOf(Gnss g) {
    switch (g) {
        case Gnss::Gps:
            return Constellation::Gps;
        case Gnss::Glonass:
            return Constellation::Glonass;
        case Gnss::Galileo:
            return Constellation::Galileo;
        default:
            return Constellation::BeiDou;
    }
}

class MultiViews : public testing::Test {
  protected:
    // Runs the simulated receiver until it has a 3D fix with more satellites
    // than one GPS table holds, feeding every sentence of every epoch.
    void RunToFix() {
        ReceiverSettings settings;
        settings.Multi = true;
        settings.LatDeg = 25.04776;
        settings.LonDeg = 121.53185;
        settings.AltM = 12;
        settings.StartUnixMs = StartUnixMs;
        ReceiverModel model(settings);
        for (int64_t ms = 0; ms < 120 * EpochMs; ms += EpochMs) {
            truth = model.Advance(ms);
            for (int k = 0; k < SentenceKindCount; ++k)
                for (const std::string& body :
                     ComposeSentences(static_cast<SentenceKind>(k), truth, TalkerMode::Multi)) {
                    const std::string sentence = FinishSentence(body);
                    std::lock_guard<std::mutex> hold(store.Lock());
                    DispatchSentence(sentence.substr(0, sentence.find('\n')), store, nullptr);
                }
            if (truth.Fix == FixKind::Fix3D && truth.Satellites.size() > 16 && ms > 30 * EpochMs)
                break;
        }
        ASSERT_EQ(truth.Fix, FixKind::Fix3D);
        // A last epoch change closes the receiver cycle just fed.
        info.Refresh();
        chart.Refresh();
        sky.Refresh();
    }

    NMEA_Manager store;
    GPSConfig config;
    TFSViewer sky{nullptr, store, config, nullptr};
    TFSnrViewer chart{nullptr, store};
    TFGPSInfo info{nullptr, store};
    EpochState truth;
};

TEST_F(MultiViews, SkyViewShowsEverySatelliteOfEverySystem) {
    sky.resize(210, 210);
    RunToFix();
    ASSERT_TRUE(store.Sky.Extended());
    std::map<QString, size_t> labels;
    for (size_t i = 0; i < sky.skyLabels.size(); ++i)
        if (sky.skyLabels[i]->isVisibleTo(&sky)) labels[sky.skyLabels[i]->text()] = i;
    for (int j = 0; j < TFSViewer::MarkCount; ++j) EXPECT_FALSE(sky.satMarks[j]->isVisibleTo(&sky));
    ASSERT_EQ(labels.size(), truth.Satellites.size());
    std::map<Constellation, int> usedPerSystem;
    const QImage shot = sky.grab().toImage();
    for (const SatelliteView& sat : truth.Satellites) {
        const Constellation system = SystemOf(sat.System);
        const QString text = SystemPrnText(system, sat.Prn);
        ASSERT_TRUE(labels.count(text)) << text.toStdString();
        const SkyPixel p = SkyToPixel(sat.Elevation, sat.Azimuth);
        const QLabel* label = sky.skyLabels[labels[text]];
        EXPECT_EQ(sky.skyMarks[labels[text]]->pos(), QPoint(p.Left + 2, p.Top + 2))
            << text.toStdString();
        // A number on its mark is black on a used mark's fill; one moved beside
        // it has its system's colour.
        const bool onMark = label->pos() == QPoint(p.Left, p.Top + 2);
        const QColor usedColour = onMark ? QColor(Qt::black) : SystemFill(system);
        const QColor textColour = label->palette().color(QPalette::WindowText);
        EXPECT_EQ(textColour, sat.Used ? usedColour : QColor(192, 192, 192)) << text.toStdString();
        usedPerSystem[system] += sat.Used;
    }
    // Every system with used satellites shows its fill colour on screen.
    ASSERT_EQ(usedPerSystem.size(), 4u);
    for (const auto& [system, used] : usedPerSystem) {
        if (used == 0) continue;
        const QRgb fill = SystemFill(system).rgb();
        int pixels = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) pixels += shot.pixel(x, y) == fill;
        EXPECT_GT(pixels, 20) << ConstellationName(system);
    }
    if (qEnvironmentVariableIsSet("LUMAROKUB_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("LUMAROKUB_SCREENSHOT_DIR") + "/multi-sky.png");
}

TEST_F(MultiViews, ChartHasABarPerTrackedSatelliteGroupedBySystem) {
    chart.resize(210, 100);
    RunToFix();
    std::vector<const SatelliteView*> tracked;
    for (const SatelliteView& sat : truth.Satellites)
        if (sat.Snr >= 1 && sat.Snr <= 60) tracked.push_back(&sat);
    const auto& bars = chart.snrChart->Bars();
    ASSERT_EQ(bars.size(), tracked.size());
    ASSERT_GT(bars.size(), 16u);
    EXPECT_EQ(chart.snrChart->Groups().size(), 4u);
    const QImage shot = chart.snrChart->grab().toImage();
    for (size_t i = 0; i < bars.size(); ++i) {
        const SatelliteView& sat = *tracked[i];
        EXPECT_EQ(bars[i].Label, SystemPrnText(SystemOf(sat.System), sat.Prn));
        EXPECT_EQ(bars[i].Y, sat.Snr);
        // The bar is on screen in its band's colour.
        const QRect r = chart.snrChart->BarRect(i);
        EXPECT_GT(r.width(), 0);
        EXPECT_EQ(QColor(shot.pixel(r.center())), SnrBandColor(sat.Snr)) << i;
    }
    // Bars within the chart, none overlapping the next.
    for (size_t i = 0; i + 1 < bars.size(); ++i)
        EXPECT_LT(chart.snrChart->BarRect(i).right(), chart.snrChart->BarRect(i + 1).left());
    EXPECT_LE(chart.snrChart->BarRect(bars.size() - 1).right(), 209);
    if (qEnvironmentVariableIsSet("LUMAROKUB_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("LUMAROKUB_SCREENSHOT_DIR") + "/multi-chart.png");
}

TEST_F(MultiViews, UsedStripCountsEverySystemAndShowsWhatFits) {
    info.resize(210, 135);
    RunToFix();
    EXPECT_EQ(info.usedCountLabel->text(), QString::number(truth.UsedCount));
    std::vector<const SatelliteView*> used;
    for (const SatelliteView& sat : truth.Satellites)
        if (sat.Used) used.push_back(&sat);
    ASSERT_EQ(static_cast<int>(used.size()), truth.UsedCount);
    const size_t shown = std::min<size_t>(used.size(), UsedPrnSlots);
    for (size_t i = 0; i < shown; ++i) {
        EXPECT_TRUE(info.usedSatMarks[i]->isVisibleTo(&info));
        EXPECT_EQ(info.usedSatMarks[i]->Brush().color(), SystemFill(SystemOf(used[i]->System)));
    }
    for (int i = static_cast<int>(shown); i < TFGPSInfo::MarkCount; ++i)
        EXPECT_FALSE(info.usedSatMarks[i]->isVisibleTo(&info));
    if (qEnvironmentVariableIsSet("LUMAROKUB_SCREENSHOT_DIR"))
        info.grab().save(qEnvironmentVariable("LUMAROKUB_SCREENSHOT_DIR") + "/multi-info.png");
}

TEST_F(MultiViews, BackToAGpsReceiverTheTableViewsReturn) {
    sky.resize(210, 210);
    RunToFix();
    // A GPS-only receiver takes over: two cycles without the other systems.
    Feed(store,
         {"$GPRMC,000100.00,A,2502.8656,N,12131.9110,E,0.0,0.0,010126,,,A*5A",
          "$GPGSA,A,3,05,07,,,,,,,,,,,1.5,0.9,1.2*3E", "$GPGSV,1,1,02,05,40,100,30,07,20,200,41*7A",
          "$GPRMC,000101.00,A,2502.8656,N,12131.9110,E,0.0,0.0,010126,,,A*5B",
          "$GPGSA,A,3,05,07,,,,,,,,,,,1.5,0.9,1.2*3E", "$GPGSV,1,1,02,05,40,100,30,07,20,200,41*7A",
          "$GPRMC,000102.00,A,2502.8656,N,12131.9110,E,0.0,0.0,010126,,,A*58"});
    ASSERT_FALSE(store.Sky.Extended());
    sky.Refresh();
    for (const QLabel* label : sky.skyLabels) EXPECT_FALSE(label->isVisibleTo(&sky));
    EXPECT_TRUE(sky.satLabels[0]->isVisibleTo(&sky));
    EXPECT_EQ(sky.satLabels[0]->text(), "5");
    // Used as the GPS table has it: a white disc.
    EXPECT_EQ(sky.satMarks[0]->Brush().color(), QColor(Qt::white));
}

}  // namespace
