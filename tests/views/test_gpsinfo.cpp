#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "eval/EpochRecorder.h"
#include "intake/UbxIntake.h"
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

// The counters on the recording's cycles and clock (milliseconds set by the
// test): a cycle is recorded with the host time its first sentence came.
class FixCounterTest : public GpsInfoTest {
  protected:
    void SetUp() override { info.SetRecording(&recording); }
    // A cycle begun at `startMs` telling `fix`, finished and ticked 900 ms later.
    void Cycle(uint32_t startMs, EpochFix fix) {
        Epoch e;
        e.HostMs = startMs;
        e.Fix = fix;
        {
            std::lock_guard<std::mutex> hold(store.Lock());
            recording.Record(e);
        }
        clockMs = startMs + 900;
        Tick();
    }

    uint32_t clockMs = 0;
    EpochRecorder recording{1000, [this] { return clockMs; }};
};

constexpr EpochFix None = EpochFix::NoFix, Two = EpochFix::Fix2D, Three = EpochFix::Fix3D;

// A restart at 10 s; the receiver's cycles begin at 10.2 s, 11.2 s, and
// so on, each told by the labels after it ends. A time is from the restart
// to the start of the first cycle with that fix, in tenths; the first cycle
// after the restart may still tell the fix from before it.
TEST_F(FixCounterTest, CountersShowTheTimeToTheFirstCycleWithEachFix) {
    const struct {
        const char* What;
        std::vector<EpochFix> Cycles;  // from 10.2 s, one a second
        const char* Fix2D;
        const char* Fix3D;
        bool Running;
    } cases[] = {
        {"hot: 2D at 2 s, 3D at 3 s", {Three, None, Two, Three}, "2D:2.2 s", "3D:3.2 s", false},
        {"a 3D fix at once", {None, Three}, "2D:1.2 s", "3D:1.2 s", false},
        {"2D only", {None, None, Two, Two}, "2D:2.2 s", "3D:4.1 s", true},
        {"no fix yet", {None, None}, "2D:2.1 s", "3D:2.1 s", true},
        {"the old fix never lost", {Three, Three, Three}, "2D:3.1 s", "3D:3.1 s", true},
    };
    uint32_t base = 0;  // each case a little later on the clock
    for (const auto& c : cases) {
        base += 100000;
        Cycle(base + 9000, Three);
        clockMs = base + 10000;
        info.StartFixTimer();
        uint32_t start = base + 10200;
        for (EpochFix fix : c.Cycles) {
            Cycle(start, fix);
            start += 1000;
        }
        EXPECT_EQ(Fix2D(), c.Fix2D) << c.What;
        EXPECT_EQ(Fix3D(), c.Fix3D) << c.What;
        EXPECT_EQ(info.FixTimerRunning(), c.Running) << c.What;
        // A dropped link stops the counting: the times reached stay, a time
        // not reached says so.
        info.StopFixTimer();
        EXPECT_FALSE(info.FixTimerRunning());
        EXPECT_EQ(Fix3D(), c.Running ? QString("3D:--") : QString(c.Fix3D)) << c.What;
        EXPECT_TRUE(Fix2D() == c.Fix2D || Fix2D() == "2D:--") << c.What;
    }
}

// A window busy for a while ticks after several cycles: the first with each
// fix still counts, not the last seen.
TEST_F(FixCounterTest, CyclesBetweenTwoTicksAreAllSeen) {
    Cycle(0, Three);
    info.StartFixTimer();  // at 0.9 s
    for (uint32_t ms : {1000, 2000, 3000, 4000}) {
        Epoch e;
        e.HostMs = ms;
        e.Fix = ms == 1000 ? None : ms == 2000 ? Two : Three;
        std::lock_guard<std::mutex> hold(store.Lock());
        recording.Record(e);
    }
    clockMs = 5000;
    Tick();
    EXPECT_EQ(Fix2D(), "2D:1.1 s");
    EXPECT_EQ(Fix3D(), "3D:2.1 s");
    EXPECT_FALSE(info.FixTimerRunning());
}

TEST_F(FixCounterTest, CounterPastTwoHoursReadsInValid) {
    Cycle(0, Three);
    info.StartFixTimer();
    Cycle(7200000, None);
    EXPECT_EQ(Fix2D(), "2D:7200.0 s") << "7200 s is still counted";
    EXPECT_TRUE(info.FixTimerRunning());
    Cycle(7201000, None);
    EXPECT_EQ(Fix2D(), "InValid");
    EXPECT_EQ(Fix3D(), "InValid");
    EXPECT_FALSE(info.FixTimerRunning());
}

TEST_F(FixCounterTest, StopFromAnotherThreadRunsOnTheGuiThreadAndKeepsTheTimes) {
    Cycle(0, Three);
    info.StartFixTimer();
    Cycle(1000, None);
    Cycle(2000, Two);
    std::thread worker([this] { info.StopFixTimer(); });
    worker.join();
    EXPECT_TRUE(info.FixTimerRunning()) << "the stop is queued, not run on the worker";
    ASSERT_TRUE(WaitFor([this] { return !info.FixTimerRunning(); }));
    EXPECT_EQ(Fix2D(), "2D:1.1 s");
    EXPECT_EQ(Fix3D(), "3D:--");
}

// The reader records cycles under the store lock while the counters read them.
TEST_F(FixCounterTest, TicksReadTheRecordingWhileTheReaderWrites) {
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> written{0};
    // Started before the reader: cycles recorded before a restart never count.
    clockMs = 0;
    info.StartFixTimer();
    std::thread reader([&] {
        for (uint32_t ms = 1; !stop; ++ms) {
            Epoch e;
            e.HostMs = ms;
            e.Fix = ms % 2 ? EpochFix::NoFix : EpochFix::Fix2D;
            std::lock_guard<std::mutex> hold(store.Lock());
            recording.Record(e);
            written = ms;
        }
    });
    // Ticks until the reader has recorded a few thousand cycles.
    constexpr uint32_t Cycles = 5000;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (written < Cycles && std::chrono::steady_clock::now() < limit) Tick();
    stop = true;
    reader.join();
    Tick();  // the cycles recorded since the last tick
    EXPECT_GE(written, Cycles);
    EXPECT_TRUE(info.FixTimerRunning()) << "only 2D and no-fix cycles were recorded";
    // A 2D cycle (their starts are even milliseconds) after one without a fix.
    ASSERT_GT(info.FixTimes().Fix2D(), 0);
    EXPECT_EQ(std::lround(info.FixTimes().Fix2D() * 1000) % 2, 0);
    EXPECT_LT(info.FixTimes().Fix3D(), 0);
}

}  // namespace

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
