// The signal history's series: which epochs and satellites it draws, and the
// gaps where the receiver gave no value.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "views/HistoryView.h"

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

}  // namespace
