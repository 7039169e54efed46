#include <gtest/gtest.h>

#include <algorithm>

#include "tests/views/ViewTestSupport.h"
#include "views/FrameSnrViewer.h"

namespace {

class SnrChartTest : public testing::Test {
  protected:
    const std::vector<SnrBar>& Bars() const { return chart.snrChart->Bars(); }

    NMEA_Manager store;
    TFSnrViewer chart{nullptr, store};
};

TEST_F(SnrChartTest, ChartFillsTheFrame) {
    EXPECT_EQ(chart.snrChart->geometry(), QRect(0, 0, 210, 100));
    EXPECT_TRUE(Bars().empty());
}

TEST_F(SnrChartTest, SixBarsColouredByBand) {
    const uint8_t snrs[] = {0, 12, 30, 39, 40, 49, 50, 61};
    for (int j = 0; j < 8; ++j) SetSatellite(store, j, 10 + j, 30, 90, snrs[j]);
    chart.Refresh();
    ASSERT_EQ(Bars().size(), 6u);
    const QColor colours[] = {{255, 0, 0}, {255, 255, 0}, {255, 255, 0},
                              {0, 255, 0}, {0, 255, 0},   {0, 0, 255}};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Bars()[i].X, double(i + 1));
        EXPECT_EQ(Bars()[i].Y, snrs[i + 1]);
        EXPECT_EQ(Bars()[i].Label, QString::number(11 + i));
        EXPECT_EQ(Bars()[i].Color, colours[i]) << i;
    }

    // Rendered: each bar's inside has its colour, bars grow with the SNR,
    // and the space between bars is not painted.
    chart.resize(210, 100);
    const QImage shot = chart.grab().toImage();
    for (size_t i = 0; i < 6; ++i) {
        const QRect bar = chart.snrChart->BarRect(i);
        ASSERT_TRUE(QRect(0, 0, 210, 100).contains(bar)) << i;
        EXPECT_EQ(shot.pixelColor(bar.center().x(), bar.bottom() - 2), colours[i]) << i;
    }
    EXPECT_LT(chart.snrChart->BarRect(0).height(), chart.snrChart->BarRect(5).height());
    const int gapX = (chart.snrChart->BarRect(0).right() + chart.snrChart->BarRect(1).left()) / 2;
    const QColor gap = shot.pixelColor(gapX, chart.snrChart->BarRect(5).center().y());
    for (const QColor& c : colours) EXPECT_NE(gap, c);
}

TEST_F(SnrChartTest, SixtyIsShownSixtyOneIsNot) {
    SetSatellite(store, 0, 5, 10, 10, 60);
    SetSatellite(store, 1, 6, 10, 10, 61);
    SetSatellite(store, 2, 0, 10, 10, 45);  // empty slot
    chart.Refresh();
    ASSERT_EQ(Bars().size(), 1u);
    EXPECT_EQ(Bars()[0].Y, 60);
    EXPECT_EQ(Bars()[0].Color, QColor(0, 0, 255));
}

TEST_F(SnrChartTest, BarsKeepTheirSlotPositions) {
    SetSatellite(store, 0, 21, 10, 10, 35);
    SetSatellite(store, 5, 22, 10, 10, 35);
    chart.Refresh();
    ASSERT_EQ(Bars().size(), 2u);
    EXPECT_EQ(Bars()[0].X, 0.0);
    EXPECT_EQ(Bars()[1].X, 5.0);
    // Four empty steps lie between the two bars.
    const QRect first = chart.snrChart->BarRect(0);
    const QRect second = chart.snrChart->BarRect(1);
    EXPECT_NEAR(second.center().x() - first.center().x(), 5 * 210 / 6.0, 2);
}

TEST_F(SnrChartTest, EveryRefreshRebuildsTheBars) {
    SetSatellite(store, 3, 9, 10, 10, 44);
    chart.Refresh();
    ASSERT_EQ(Bars().size(), 1u);
    SetSatellite(store, 3, 0, 0, 0, 0);
    chart.Refresh();
    EXPECT_TRUE(Bars().empty());
}

// A receiver of several systems: values stand above every bar or above
// none, whatever the number of digits.
TEST_F(SnrChartTest, ValuesLabelEveryBarOrNone) {
    chart.resize(210, 100);
    const auto satellites = [](int count) {
        std::vector<SkySatellite> inView;
        for (int i = 0; i < count; ++i) {
            SkySatellite sat;
            sat.Prn = static_cast<uint16_t>(1 + i);
            sat.System = i % 2 ? Constellation::Glonass : Constellation::Gps;
            sat.Snr = static_cast<uint8_t>(i < 2 ? 8 + i : 45);  // 8, 9, then two digits
            sat.Placed = true;
            inView.push_back(sat);
        }
        std::sort(inView.begin(), inView.end(),
                  [](const SkySatellite& a, const SkySatellite& b) { return a.System < b.System; });
        return inView;
    };
    // Ink (dark text) in the strip just above bar i.
    const auto inkAbove = [this](const QImage& shot, size_t i) {
        const QRect bar = chart.snrChart->BarRect(i);
        const int line = chart.snrChart->fontMetrics().height();
        int ink = 0;
        for (int y = std::max(0, bar.top() - line); y < bar.top() - 1; ++y)
            for (int x = bar.left(); x <= bar.right(); ++x)
                ink += shot.pixelColor(x, y).lightness() < 128;
        return ink;
    };
    const struct {
        int Count;
        bool Values;
    } cases[] = {{30, false}, {4, true}};
    for (const auto& c : cases) {
        chart.ClearBars();
        chart.ShowAllSystems(satellites(c.Count));
        ASSERT_EQ(Bars().size(), size_t(c.Count));
        EXPECT_EQ(chart.snrChart->ValuesFit(), c.Values) << c.Count;
        const QImage shot = chart.snrChart->grab().toImage();
        for (size_t i = 0; i < Bars().size(); ++i)
            EXPECT_EQ(inkAbove(shot, i) > 0, c.Values) << c.Count << " bars, value " << Bars()[i].Y;
    }
}
}  // namespace
