// The signal history's series: which epochs and satellites it draws, and the
// gaps where the receiver gave no value.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "tests/views/ViewTestSupport.h"
#include "views/HistoryView.h"
#include "views/SystemColors.h"

namespace {

Epoch At(uint32_t ms, bool fix) {
    Epoch e;
    e.HostMs = ms;
    e.Fix = fix ? EpochFix::Fix3D : EpochFix::NoFix;
    e.HasPosition = fix;
    e.HasAltitude = fix;
    e.Altitude = 100 + ms / 1000.0;
    e.SpeedMs = 2.5;
    e.Hdop = fix ? 0.9 : 0;
    e.Pdop = fix ? 1.7 : 0;
    e.UsedCount = fix ? 6 : 0;
    e.InViewCount = 9;
    e.Satellites = {{Constellation::Gps, 5, 40, 30, 100, true, fix},
                    {Constellation::Glonass, 70, 0, 20, 200, true, false}};
    return e;
}

TEST(HistoryView, DrawsEachColumnOnceWithGapsWhereNothingWasGiven) {
    THistoryView view;
    view.resize(600, 400);
    // Ten seconds over 600 columns: the epochs 10 ms apart share a column.
    const std::vector<Epoch> epochs = {At(1000, true), At(1005, true), At(2000, false),
                                       At(3000, true)};
    view.Show(epochs, 0, 10);
    const auto& track = view.Track();
    ASSERT_EQ(track.Hdop.size(), 3u);
    EXPECT_EQ(track.Hdop[0], QPointF(1.0, 0.9));
    EXPECT_EQ(track.Pdop[2], QPointF(3.0, 1.7));
    EXPECT_TRUE(std::isnan(track.Hdop[1].y())) << "no fix, no dilution";
    EXPECT_TRUE(std::isnan(track.Altitude[1].y()));
    EXPECT_TRUE(std::isnan(track.Speed[1].y()));
    EXPECT_DOUBLE_EQ(track.Altitude[2].y(), 103.0);
    EXPECT_DOUBLE_EQ(track.Speed[0].y(), 2.5);
    EXPECT_EQ(track.Used[1].y(), 0);
    EXPECT_EQ(track.InView[1].y(), 9);

    ASSERT_EQ(view.Lines().size(), 2u);
    const auto& gps = view.Lines().begin()->second;
    EXPECT_EQ(gps.System, Constellation::Gps);
    EXPECT_EQ(gps.Points.size(), 3u);
    EXPECT_LT(view.Lines().rbegin()->second.Points[0].y(), 0) << "untracked: a gap";

    view.Show(epochs, 0, 10, {Constellation::Glonass});
    ASSERT_EQ(view.Lines().size(), 1u);
    EXPECT_EQ(view.Lines().begin()->second.System, Constellation::Glonass);
    EXPECT_EQ(view.Track().Hdop.size(), 3u) << "the solution does not depend on the filter";

    view.Show(epochs, 0, 10, {}, {{Constellation::Gps, 5}});
    ASSERT_EQ(view.Lines().size(), 1u);
    EXPECT_EQ(view.Lines().begin()->second.System, Constellation::Gps);
    view.Show(epochs, 0, 10, {Constellation::Glonass}, {{Constellation::Gps, 5}});
    EXPECT_TRUE(view.Lines().empty()) << "both choices apply";

    QImage image(view.size(), QImage::Format_ARGB32);
    view.render(&image);  // paints every strip without a fault
}

TEST(HistoryView, SatellitesAreTypedAsSystemLetterAndNumber) {
    std::vector<THistoryView::SatelliteKey> keys;
    std::string wrong;
    ASSERT_TRUE(THistoryView::SatellitesFromText(" G5 r70, E11 c201", keys, wrong));
    const std::vector<THistoryView::SatelliteKey> expected = {{Constellation::Gps, 5},
                                                              {Constellation::Glonass, 70},
                                                              {Constellation::Galileo, 11},
                                                              {Constellation::BeiDou, 201}};
    EXPECT_EQ(keys, expected);
    for (const char* bad : {"G", "X5", "G5a", "G12345"}) {
        EXPECT_FALSE(THistoryView::SatellitesFromText(std::string("G1 ") + bad, keys, wrong));
        EXPECT_EQ(wrong, bad);
    }
    EXPECT_TRUE(THistoryView::SatellitesFromText("", keys, wrong));
    EXPECT_TRUE(keys.empty());
}

// Two satellites over ten seconds: G5 at 40 dB-Hz, R70 at 20.
class HistoryLines : public testing::Test {
  protected:
    void SetUp() override {
        view.resize(600, 400);
        std::vector<Epoch> epochs;
        for (uint32_t s = 0; s <= 10; ++s) {
            Epoch e = At(s * 1000, true);
            e.Satellites = {{Constellation::Gps, 5, 40, 30, 100, true, true},
                            {Constellation::Glonass, 70, 20, 20, 200, true, false}};
            epochs.push_back(e);
        }
        view.Show(epochs, 0, 10);
    }
    QPointF Point(double seconds, double snr) const {
        const QRectF plot = view.SignalPlot();
        return QPointF(plot.left() + seconds / 10 * plot.width(),
                       plot.bottom() - snr / 60 * plot.height());
    }
    QImage Shot() {
        QImage image(view.size(), QImage::Format_RGB32);
        view.render(&image);
        return image;
    }

    THistoryView view;
};

TEST_F(HistoryLines, HoveringALineNamesItsSatelliteAndValue) {
    const struct {
        double Seconds, Snr, Dy;
        const char* Text;  // null: no line there
    } cases[] = {
        {5, 40, 0, "G5: 40 dB-Hz at 5.0 s"},
        {5.04, 40, 3, "G5: 40 dB-Hz at 5.0 s"},
        {2, 20, -3, "R70: 20 dB-Hz at 2.0 s"},
        {9.96, 20, 0, "R70: 20 dB-Hz at 10.0 s"},
        {5, 30, 0, nullptr},
        {5, 40, 12, nullptr},
    };
    for (const auto& c : cases) {
        const QPointF at = Point(c.Seconds, c.Snr) + QPointF(0, c.Dy);
        const auto hit = view.LineAt(at);
        ASSERT_EQ(hit.has_value(), c.Text != nullptr) << c.Seconds << " s, " << c.Snr;
        if (hit) {
            EXPECT_EQ(view.HitText(*hit).toStdString(), c.Text);
        }
    }
}

// How many pixels of the column through 'at', within 4 above and below, have
// the colour: a line's width where it crosses the column.
int Thickness(const QImage& shot, QPoint at, const QColor& colour) {
    int n = 0;
    for (int dy = -4; dy <= 4; ++dy) n += shot.pixelColor(at + QPoint(0, dy)) == colour;
    return n;
}

TEST_F(HistoryLines, ChosenLineStandsOutInItsSystemColour) {
    const QPoint gps = Point(5, 40).toPoint(), glonass = Point(5, 20).toPoint();
    const QColor gpsColour = SystemFill(Constellation::Gps);
    const QColor glonassColour = SystemFill(Constellation::Glonass);
    QImage shot = Shot();
    EXPECT_EQ(Thickness(shot, gps, gpsColour), 1);
    EXPECT_EQ(Thickness(shot, glonass, glonassColour), 1);

    // A click on R70's legend entry highlights its line; the other is dimmed.
    const auto legend = view.LegendEntries();
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[1].first, (THistoryView::SatelliteKey{Constellation::Glonass, 70}));
    std::vector<int> chosen;
    QObject::connect(&view, &THistoryView::SatelliteChosen,
                     [&](Constellation, int prn) { chosen.push_back(prn); });
    Click(&view, legend[1].second.center());
    EXPECT_EQ(chosen, std::vector<int>({70}));
    ASSERT_TRUE(view.Highlighted());
    EXPECT_EQ(view.Highlighted()->Prn, 70);
    shot = Shot();
    EXPECT_GE(Thickness(shot, glonass, glonassColour), 3);
    EXPECT_EQ(Thickness(shot, gps, gpsColour), 0);

    // A click on the G5 line moves the highlight; a second click clears it.
    Click(&view, gps);
    ASSERT_TRUE(view.Highlighted());
    EXPECT_EQ(view.Highlighted()->Prn, 5);
    Click(&view, gps);
    EXPECT_FALSE(view.Highlighted());
    EXPECT_EQ(chosen, std::vector<int>({70, 5, 5}));
    EXPECT_EQ(Thickness(Shot(), gps, gpsColour), 1);
}

}  // namespace
