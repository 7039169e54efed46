#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "nmea/UbxMessages.h"
#include "tests/framing/UbxBytes.h"
#include "tests/views/ViewTestSupport.h"
#include "views/FrameGPSInfo.h"

namespace {

const QString Degree = QString(QChar(0x00B0));

// One epoch of a real receiver capture (mt3339.log).
const std::vector<std::string> Mt3339Epoch = {
    "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C",
    "$GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05",
    "$GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73",
};

// "$body*hh" with its checksum.
std::string Nmea(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    char star[4];
    std::snprintf(star, sizeof star, "*%02X", sum);
    return "$" + body + star;
}

class GpsInfoTest : public testing::Test {
  protected:
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) info.FixTimerTick();
    }
    QString Fix2D() const { return info.fix2DLabel->text(); }
    QString Fix3D() const { return info.fix3DLabel->text(); }

    NMEA_Manager store;
    TFGPSInfo info{nullptr, store};
};

TEST_F(GpsInfoTest, LayoutOfBoxesAndLabels) {
    EXPECT_EQ(info.posBox->geometry(), QRect(1, 0, 104, 60));
    EXPECT_EQ(info.dopBox->geometry(), QRect(106, 0, 104, 60));
    EXPECT_EQ(info.motionBox->geometry(), QRect(1, 60, 208, 40));
    EXPECT_EQ(info.usedSatBox->geometry(), QRect(1, 100, 208, 28));
    EXPECT_EQ(info.usedSatStrip->geometry(), QRect(2, 10, 203, 15));
    EXPECT_EQ(info.usedSatStrip->grab().toImage().pixelColor(100, 7), QColor(Qt::black));
    // PDOP, HDOP, VDOP from top to bottom, one label height apart.
    const int line = info.pdopLabel->height();
    EXPECT_EQ(info.pdopLabel->pos(), QPoint(10, 12));
    EXPECT_EQ(info.hdopLabel->pos(), QPoint(10, 12 + line));
    EXPECT_EQ(info.vdopLabel->pos(), QPoint(10, 12 + 2 * line));
    EXPECT_EQ(info.latLabel->pos(), QPoint(10, 12));
    EXPECT_EQ(info.altLabel->pos(), QPoint(10, 12 + 2 * line));
    EXPECT_EQ(info.courseLabel->pos(), QPoint(10, 12));
    EXPECT_EQ(info.speedLabel->pos(), QPoint(105, 12));
    EXPECT_EQ(info.fix2DLabel->pos(), QPoint(10, 12 + line));
    EXPECT_EQ(info.fix3DLabel->pos(), QPoint(105, 12 + line));
    EXPECT_EQ(info.pdopLabel->text(), "PDOP:");
    EXPECT_EQ(info.courseLabel->text(), "Course:");
    EXPECT_EQ(info.fix2DLabel->text(), "2D:");
    EXPECT_FALSE(info.FixTimerRunning());
}

// Every digit of a position shows inside the position box, from five to
// eleven decimals of a degree: a long text gets a smaller font, a short one
// keeps the box's font.
TEST_F(GpsInfoTest, PositionTextsFitTheirBoxWhole) {
    const struct {
        const char* Latitude;
        const char* Longitude;
    } cases[] = {
        {"4404.130", "12118.851"},
        {"2037.72790", "15111.12000"},
        {"2037.7279012", "15111.1200000"},
        {"8959.999999999", "17959.999999999"},
    };
    for (const auto& c : cases) {
        const std::string body = std::string("GNGGA,202640.000,") + c.Latitude + ",S," +
                                 c.Longitude + ",W,4,12,0.6,-1234.5678,M,-19.6,M,,";
        Feed(store, {Nmea(body)});
        info.Refresh();
        for (QLabel* label : {info.latLabel, info.lonLabel, info.altLabel}) {
            EXPECT_LE(label->geometry().right(), info.posBox->width() - 3)
                << label->text().toStdString();
            EXPECT_EQ(label->size(), label->sizeHint());
        }
        EXPECT_TRUE(info.lonLabel->text().startsWith("LON:W 1")) << c.Longitude;
    }
    // The short texts of the first case keep the box's font.
    Feed(store, Mt3339Epoch);
    info.Refresh();
    EXPECT_EQ(info.altLabel->font(), info.posBox->font());
}

TEST_F(GpsInfoTest, RefreshShowsDecodedTextsWithDegreeSigns) {
    Feed(store, Mt3339Epoch);
    info.Refresh();
    EXPECT_EQ(info.latLabel->text(), "LAT:N 44.068843" + Degree);
    EXPECT_EQ(info.lonLabel->text(), "LON:W 121.314192" + Degree);
    EXPECT_EQ(info.altLabel->text(), "ALT:1127.7");
    EXPECT_EQ(info.pdopLabel->text(), "PDOP:1.64");
    EXPECT_EQ(info.hdopLabel->text(), "HDOP:0.98");
    EXPECT_EQ(info.vdopLabel->text(), "VDOP:1.31");
    EXPECT_EQ(info.courseLabel->text(), "Course:225.97" + Degree);
    EXPECT_EQ(info.speedLabel->text(), "Speed:0.015 m/sec");
    EXPECT_EQ(info.usedCountLabel->text(), "10");
    // Labels size themselves to their text.
    EXPECT_EQ(info.lonLabel->size(), info.lonLabel->sizeHint());
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(info.usedSatMarks[i]->isVisibleTo(&info)) << i;
    EXPECT_EQ(info.usedSatLabels[0]->text(), "20");
    EXPECT_EQ(info.usedSatLabels[9]->text(), "30");
}

TEST_F(GpsInfoTest, UsedSatelliteMarksSitAtTheirSlots) {
    Feed(store, {"$GPGSA,A,3,04,05,,,,09,,,,,,,2.0,1.0,1.5*3D"});
    {
        std::lock_guard<std::mutex> hold(store.Lock());
        ASSERT_EQ(store.Gsa.Message.UsedPrn[0], 4) << "sentence not decoded";
    }
    info.Refresh();
    const int shown[] = {0, 1, 5};
    const int lefts[] = {3, 18, 78};
    for (int k = 0; k < 3; ++k) {
        const int i = shown[k];
        EXPECT_TRUE(info.usedSatMarks[i]->isVisibleTo(&info));
        EXPECT_TRUE(info.usedSatLabels[i]->isVisibleTo(&info));
        EXPECT_EQ(info.usedSatMarks[i]->geometry(), QRect(lefts[k], 2, 18, 18));
        EXPECT_EQ(info.usedSatLabels[i]->pos(), QPoint(lefts[k], 2));
    }
    EXPECT_EQ(info.usedSatLabels[5]->text(), "9");
    for (int i = 0; i < TFGPSInfo::MarkCount; ++i) {
        if (i == 0 || i == 1 || i == 5) continue;
        EXPECT_FALSE(info.usedSatMarks[i]->isVisibleTo(&info)) << i;
        EXPECT_FALSE(info.usedSatLabels[i]->isVisibleTo(&info)) << i;
    }
    // A later list without used satellites hides every mark; the strip stays.
    Feed(store, {"$GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99*30"});
    info.Refresh();
    for (int i = 0; i < TFGPSInfo::MarkCount; ++i)
        EXPECT_FALSE(info.usedSatMarks[i]->isVisibleTo(&info)) << i;
    EXPECT_TRUE(info.usedSatStrip->isVisibleTo(&info));
    EXPECT_EQ(info.usedCountLabel->text(), "0");
}

TEST_F(GpsInfoTest, EmptyStoreTextsLeaveTheBarePrefix) {
    {
        std::lock_guard<std::mutex> hold(store.Lock());
        store.Display().LatText.clear();
    }
    info.Refresh();
    EXPECT_EQ(info.latLabel->text(), "LAT:" + Degree);
}

TEST_F(GpsInfoTest, BothCountersRunWithoutFix) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    EXPECT_TRUE(info.FixTimerRunning());
    Tick();
    EXPECT_EQ(Fix2D(), "2D:0 sec");
    EXPECT_EQ(Fix3D(), "3D:0 sec");
    Tick();
    EXPECT_EQ(Fix2D(), "2D:1 sec");
    EXPECT_EQ(Fix3D(), "3D:1 sec");
    SetFixMode(store, "NON Fix");
    Tick();
    EXPECT_EQ(Fix2D(), "2D:2 sec");
    EXPECT_EQ(Fix3D(), "3D:2 sec");
}

TEST_F(GpsInfoTest, TwoDFixHoldsTheTwoDCounter) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    Tick(37);
    EXPECT_EQ(info.FixSeconds(), 37u);
    SetFixMode(store, "2D");
    Tick();
    EXPECT_EQ(Fix2D(), "2D:36 sec");
    EXPECT_EQ(Fix3D(), "3D:37sec");
    Tick();
    EXPECT_EQ(Fix2D(), "2D:36 sec");
    EXPECT_EQ(Fix3D(), "3D:38sec");
    // A 3D fix stops the count with the 3D time kept.
    SetFixMode(store, "3D");
    Tick();
    EXPECT_FALSE(info.FixTimerRunning());
    EXPECT_EQ(Fix3D(), "3D:38sec");
}

TEST_F(GpsInfoTest, ThreeDFixInTheFirstTwoTicksIsIgnored) {
    SetFixMode(store, "3D");
    info.StartFixTimer();
    Tick(5);
    EXPECT_TRUE(info.FixTimerRunning());
    EXPECT_EQ(info.FixSeconds(), 0u);
    EXPECT_EQ(Fix2D(), "2D:");
    SetFixMode(store, "0");
    Tick();
    ASSERT_EQ(info.FixSeconds(), 1u);
    SetFixMode(store, "3D");
    Tick();
    EXPECT_TRUE(info.FixTimerRunning()) << "counter 1 is still inside the guard";
    EXPECT_EQ(info.FixSeconds(), 1u);
}

TEST_F(GpsInfoTest, ThreeDFixFromCounterTwoStopsTheTimer) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    Tick(2);
    SetFixMode(store, "3D");
    Tick();
    EXPECT_FALSE(info.FixTimerRunning());
    EXPECT_EQ(info.FixSeconds(), 3u);
    EXPECT_EQ(Fix2D(), "2D:1 sec");
    EXPECT_EQ(Fix3D(), "3D:1 sec");
}

TEST_F(GpsInfoTest, CounterPastTwoHoursReadsInValid) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    Tick(7201);
    EXPECT_EQ(Fix2D(), "2D:7200 sec");
    EXPECT_TRUE(info.FixTimerRunning());
    Tick();
    EXPECT_EQ(Fix2D(), "InValid");
    EXPECT_EQ(Fix3D(), "InValid");
    EXPECT_FALSE(info.FixTimerRunning());
    EXPECT_EQ(info.FixSeconds(), 7201u);
}

TEST_F(GpsInfoTest, StopAndRestart) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    Tick(5);
    info.StopFixTimer();
    EXPECT_FALSE(info.FixTimerRunning());
    EXPECT_EQ(Fix2D(), "2D:0 sec");
    EXPECT_EQ(Fix3D(), "3D:0 sec");
    EXPECT_EQ(info.FixSeconds(), 5u) << "stopping does not reset the counter";
    info.StartFixTimer();
    Tick();
    EXPECT_EQ(Fix2D(), "2D:0 sec");
    Tick();
    EXPECT_EQ(Fix2D(), "2D:1 sec");
}

TEST_F(GpsInfoTest, StopFromAnotherThreadRunsOnTheGuiThread) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    Tick(3);
    std::thread worker([this] { info.StopFixTimer(); });
    worker.join();
    EXPECT_TRUE(info.FixTimerRunning()) << "the stop is queued, not run on the worker";
    ASSERT_TRUE(WaitFor([this] { return !info.FixTimerRunning(); }));
    EXPECT_EQ(Fix2D(), "2D:0 sec");
    EXPECT_EQ(Fix3D(), "3D:0 sec");
}

TEST_F(GpsInfoTest, TicksReadTheFixModeWhileTheReaderWrites) {
    std::atomic<bool> stop{false};
    std::thread reader([this, &stop] {
        while (!stop) {
            Feed(store, {"$GPGSA,A,2,20,16,09,,,,,,,,,,1.64,0.98,1.31*0E"});
            Feed(store, {"$GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99*30"});
        }
    });
    info.StartFixTimer();
    for (int i = 0; i < 2000 && info.FixTimerRunning(); ++i) {
        Tick();
        info.Refresh();
    }
    stop = true;
    reader.join();
    EXPECT_TRUE(info.FixTimerRunning()) << "only 2D and no-fix modes were written";
}

}  // namespace

// A hot start whose fix is back after one to two seconds: the guard against a
// left-over fix held the counting at "0 sec" for good; now a fix reported on
// two ticks after a tick without one stops it and tells the second it took.
TEST_F(GpsInfoTest, AFixBackWithinTheGuardShowsTheSecondsItTook) {
    SetFixMode(store, "0");
    info.StartFixTimer();
    Tick();  // 1 s: still no fix
    SetFixMode(store, "3D");
    Tick(2);  // 2 s: the fix is back; 3 s: still there, counting stops
    EXPECT_FALSE(info.FixTimerRunning());
    EXPECT_EQ(Fix2D(), "2D:1 sec");
    EXPECT_EQ(Fix3D(), "3D:1 sec");

    // A fix reported before the receiver said it had none is forgotten.
    SetFixMode(store, "3D");
    info.StartFixTimer();
    Tick();  // left over from before the restart
    SetFixMode(store, "0");
    Tick();
    SetFixMode(store, "3D");
    Tick(2);  // first seen at 3 s
    EXPECT_FALSE(info.FixTimerRunning());
    EXPECT_EQ(Fix2D(), "2D:2 sec");
    EXPECT_EQ(Fix3D(), "3D:2 sec");
}

namespace {
// NAV-STATUS with the receiver's time to first fix in ms.
std::string NavStatus(uint32_t ttffMs) {
    std::string payload(16, '\0');
    payload[4] = 3;  // 3D
    for (int i = 0; i < 4; ++i) payload[8 + i] = static_cast<char>((ttffMs >> (8 * i)) & 0xFF);
    return UbxBytes(0x01, 0x03, payload);
}

void Dispatch(NMEA_Manager& store, const std::string& frame) {
    std::lock_guard<std::mutex> hold(store.Lock());
    DispatchUbx(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), store);
}
}  // namespace

TEST_F(GpsInfoTest, TheReceiversOwnTimeToFixShowsBesideTheCounters) {
    info.show();
    // An NMEA receiver: nothing beside the counters.
    Feed(store, Mt3339Epoch);
    info.Refresh();
    EXPECT_FALSE(info.receiverTtffLabel->isVisible());

    Dispatch(store, NavStatus(0));  // no fix yet since its start
    info.Refresh();
    EXPECT_TRUE(info.receiverTtffLabel->isVisible());
    EXPECT_EQ(info.receiverTtffLabel->text(), "Rx:--");
    Dispatch(store, NavStatus(31250));
    info.Refresh();
    EXPECT_EQ(info.receiverTtffLabel->text(), "Rx:31.3s");
    Dispatch(store, NavStatus(123456));
    info.Refresh();
    EXPECT_EQ(info.receiverTtffLabel->text(), "Rx:123s");
    // In the counters' row, right of the 3D counter, inside the box.
    EXPECT_EQ(info.receiverTtffLabel->y(), info.fix3DLabel->y());
    EXPECT_GT(info.receiverTtffLabel->x(), info.fix3DLabel->x());
    EXPECT_LE(info.receiverTtffLabel->geometry().right(), info.motionBox->width());
}
