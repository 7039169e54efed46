// The reader thread end to end: sentences written on the master side of a
// pseudo-terminal arrive in the store, the console and the views through a
// test event loop standing in for the user-interface thread.
#include <gtest/gtest.h>
#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "link/GpsConfig.h"
#include "link/ReaderEvents.h"
#include "link/ThreadNMEAFetch.h"
#include "nmea/Dispatch.h"
#include "serial/YComPort.h"
#include "tests/framing/RtcmBytes.h"
#include "tests/framing/UbxBytes.h"
#include "tests/serial/PortRecorder.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/Sentences.h"
#include "tests/thread/TestEventLoop.h"

namespace {

using namespace std::chrono_literals;

class FetchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Pty.Ok());
        ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));
    }
    void TearDown() override {
        if (Reader) {
            Reader->Terminate();
            EXPECT_TRUE(Loop.RunUntil([&] { return Reader->Finished(); }));
            Reader->WaitFor();
            Reader.reset();
        }
    }
    void StartReader(bool suspended = false) {
        Reader = std::make_unique<TNmeaFetch>(suspended, [this] { ++Refreshes; });
        Reader->SetPort(&Port);
        Reader->SetStore(&Store);
        Reader->SetConfig(&Config);
        Reader->SetDispatcher(&Loop);
        Reader->SetConsole([this](const std::vector<std::string>& lines, uint64_t notShown) {
            EXPECT_EQ(notShown, 0u);
            Console.insert(Console.end(), lines.begin(), lines.end());
            ConsoleThreads.push_back(std::this_thread::get_id());
        });
        Reader->SetSentenceHook([this](std::string_view, const DispatchResult&) { ++Dispatched; });
        Reader->SetDeviceGoneHook([this] { ++GoneReports; });
        Reader->Start();
    }
    bool WaitDispatched(int count) {
        return Loop.RunUntil([&] { return Dispatched.load() >= count; });
    }

    PtyPair Pty;
    YComPort Port;
    NMEA_Manager Store;
    GPSConfig Config;
    TestEventLoop Loop;
    std::atomic<int> Dispatched{0};
    int Refreshes = 0;  // on the loop's thread only
    int GoneReports = 0;
    std::vector<std::string> Console;
    std::vector<std::thread::id> ConsoleThreads;
    std::unique_ptr<TNmeaFetch> Reader;
};

// UBX frames between sentences reach the store's UBX part and the console
// as one readable line each, with no purge of what follows.
TEST_F(FetchTest, UbxFramesArriveInTheStoreAndOnTheConsoleAsLines) {
    std::atomic<int> frames{0};
    Reader = std::make_unique<TNmeaFetch>(false, [this] { ++Refreshes; });
    Reader->SetPort(&Port);
    Reader->SetStore(&Store);
    Reader->SetDispatcher(&Loop);
    Reader->SetConsole([this](const std::vector<std::string>& lines, uint64_t) {
        Console.insert(Console.end(), lines.begin(), lines.end());
    });
    Reader->SetSentenceHook([this](std::string_view, const DispatchResult&) { ++Dispatched; });
    Reader->SetUbxHook([&](const UbxDispatchResult& r) { frames += r.Valid; });
    PortRecorder recorder;
    Port.SetObserver(&recorder);
    Reader->Start();
    const std::string nak = UbxBytes(0x05, 0x00, "\x06\x01");
    const std::string version = UbxBytes(
        0x0A, 0x04, "ROM CORE 3.01" + std::string(17, '\0') + "00080000" + std::string(2, '\0'));
    ASSERT_TRUE(Pty.Write(Gga + "\r\n" + nak + version + Rmc + "\r\n"));
    ASSERT_TRUE(WaitDispatched(2));
    ASSERT_TRUE(Loop.RunUntil([&] { return frames.load() == 2 && Console.size() == 4; }));
    EXPECT_EQ(Console,
              (std::vector<std::string>{Gga + "\r", "UBX ACK-NAK CFG-MSG",
                                        "UBX MON-VER 00080000 ROM CORE 3.01", Rmc + "\r"}));
    {
        std::lock_guard<std::mutex> guard(Store.Lock());
        EXPECT_EQ(std::string(Store.Ubx.Version.Hardware), "00080000");
        EXPECT_EQ(Store.Ubx.Nak.Id, 0x01);
    }
    Port.SetObserver(nullptr);
    EXPECT_EQ(recorder.Events(), std::vector<std::string>{});
}

// A new connection starts the UBX part over (the receiver before's time to
// first fix and frame counts are gone); an RTCM 3 frame, '$' bytes and all,
// is counted by number, timed by the monitor's clock, decoded (a 1077 too
// short for its masks is counted as such, a 1230 kept) and shown as one
// line; the store counts every byte written in its class.
TEST_F(FetchTest, ANewConnectionForgetsTheReceiverBeforeAndRtcmFramesAreCounted) {
    Store.Ubx.Count(0x01, 0x03);
    Store.Ubx.Status.Ttff = 30000;
    Store.Rtcm.Count(1005);
    StartReader();
    const double started = TNmeaFetch::ArrivalClockS();
    const std::string rtcm =
        RtcmBytes(1077, std::string(20, '$')) + RtcmBytes(1230, std::string("\x16\x80", 2));
    const std::string bytes = Gga + "\r\n" + rtcm + Rmc + "\r\n";
    ASSERT_TRUE(Pty.Write(bytes));
    ASSERT_TRUE(WaitDispatched(2));
    ASSERT_TRUE(Loop.RunUntil([&] { return Console.size() == 4; }));
    EXPECT_EQ(Console, (std::vector<std::string>{Gga + "\r", "RTCM 1077 (22 bytes)",
                                                 "RTCM 1230 (4 bytes)", Rmc + "\r"}));
    const auto counted = [&] {
        std::lock_guard<std::mutex> guard(Store.Lock());
        return Store.Bytes.Classes().Total();
    };
    ASSERT_TRUE(Loop.RunUntil([&] { return counted() == bytes.size(); })) << counted();
    std::lock_guard<std::mutex> guard(Store.Lock());
    EXPECT_EQ(Store.Ubx.CountOf(0x01, 0x03), 0u);
    EXPECT_EQ(Store.Ubx.Status.Ttff, 0u);
    ASSERT_EQ(Store.Rtcm.Kinds(), 2);
    EXPECT_EQ(Store.Rtcm[0].Number, 1077);
    EXPECT_EQ(Store.Rtcm[0].TimedFrames, 1u);
    EXPECT_GE(Store.Rtcm[0].LastAt, started);
    EXPECT_LE(Store.Rtcm[1].LastAt, TNmeaFetch::ArrivalClockS());
    EXPECT_EQ(Store.Rtcm.Malformed, 1u);
    EXPECT_EQ(Store.Rtcm.Latest.Biases.StationId, 22);
    EXPECT_TRUE(Store.Rtcm.Latest.Biases.Aligned);
    EXPECT_EQ(Store.Bytes.Classes().Rtcm, rtcm.size());
    EXPECT_EQ(Store.Bytes.Classes().Sound, Gga.size() + Rmc.size() + 4);
}

TEST_F(FetchTest, SentencesArriveInTheStoreAndOnTheConsole) {
    StartReader();
    ASSERT_TRUE(Pty.Write(Gga + "\r\n" + Rmc + "\r\n"));
    ASSERT_TRUE(WaitDispatched(2));

    NMEA_Manager expected;
    DispatchSentence(Gga + "\r", expected, nullptr);
    DispatchSentence(Rmc + "\r", expected, nullptr);
    {
        std::lock_guard<std::mutex> guard(Store.Lock());
        EXPECT_EQ(Store.Gga.Message.Time, expected.Gga.Message.Time);
        EXPECT_EQ(Store.Gga.Message.Latitude, expected.Gga.Message.Latitude);
        EXPECT_EQ(Store.Rmc.Message.Date, expected.Rmc.Message.Date);
        EXPECT_EQ(Store.Display().LatText, expected.Display().LatText);
    }
    EXPECT_TRUE(Loop.RunUntil([&] { return Console.size() == 2; }));
    EXPECT_EQ(Console, (std::vector<std::string>{Gga + "\r", Rmc + "\r"}));
    for (std::thread::id id : ConsoleThreads) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_GE(Refreshes, 1);  // two requests, merged when the loop was slower
    EXPECT_LE(Refreshes, 2);
}

// The reader never waits for the user-interface thread: while that is busy
// the sentences go on into the store, and one hand-off then carries the
// latest lines (the older ones counted) and one refresh.
TEST_F(FetchTest, ABusyDisplayGetsOneHandOffWithTheLatestLines) {
    std::vector<uint64_t> notShown;
    Reader = std::make_unique<TNmeaFetch>(false, [this] { ++Refreshes; });
    Reader->SetPort(&Port);
    Reader->SetStore(&Store);
    Reader->SetDispatcher(&Loop);
    Reader->SetConsole(
        [&](const std::vector<std::string>& lines, uint64_t dropped) {
            Console.insert(Console.end(), lines.begin(), lines.end());
            notShown.push_back(dropped);
        },
        3);
    Reader->SetSentenceHook([this](std::string_view, const DispatchResult&) { ++Dispatched; });
    Reader->Start();
    const std::string gga2 =
        Nmea("GPGGA,123520.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,");
    ASSERT_TRUE(
        Pty.Write(Gga + "\r\n" + Rmc + "\r\n" + Gsa + "\r\n" + gga2 + "\r\n" + Rmc + "\r\n"));
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (Dispatched.load() < 5 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);  // the loop does not run meanwhile
    ASSERT_EQ(Dispatched.load(), 5);
    Loop.RunFor(50ms);
    EXPECT_EQ(Console, (std::vector<std::string>{Gsa + "\r", gga2 + "\r", Rmc + "\r"}));
    EXPECT_EQ(notShown, std::vector<uint64_t>{2});
    EXPECT_EQ(Refreshes, 1);
}

TEST_F(FetchTest, TheConsoleGetsNothingWhileTheDisplayIsPaused) {
    Config.DisplayPaused = true;
    StartReader();
    Pty.Write(Gga + "\r\n");
    ASSERT_TRUE(WaitDispatched(1));
    Config.DisplayPaused = false;
    Pty.Write(Rmc + "\r\n");
    ASSERT_TRUE(WaitDispatched(2));
    Loop.RunUntil([&] { return !Console.empty(); });
    Loop.RunFor(50ms);
    EXPECT_EQ(Console, std::vector<std::string>{Rmc + "\r"});
    std::lock_guard<std::mutex> guard(Store.Lock());
    EXPECT_NE(Store.Gga.Message.Time, 0u);  // still parsed while paused
}

TEST_F(FetchTest, AGsvSetAsksForOneRefreshAfterItsLastPage) {
    StartReader();
    Pty.Write(Gsv1 + "\r\n" + Gsv2 + "\r\n");
    ASSERT_TRUE(WaitDispatched(2));
    Loop.RunFor(50ms);
    EXPECT_EQ(Refreshes, 0);
    Pty.Write(Gsv3 + "\r\n");
    ASSERT_TRUE(WaitDispatched(3));
    EXPECT_TRUE(Loop.RunUntil([&] { return Refreshes == 1; }));
    Loop.RunFor(50ms);
    EXPECT_EQ(Refreshes, 1);
}

TEST_F(FetchTest, CaptureLinesEndCrCrLfAndAreFlushedOneByOne) {
    const std::string path = ::testing::TempDir() + "/fetch_capture.txt";
    {
        std::lock_guard<std::mutex> guard(Store.Lock());
        ASSERT_TRUE(Store.Capture.Open(path));
    }
    const auto content = [&] {
        std::ifstream file(path, std::ios::binary);
        std::stringstream all;
        all << file.rdbuf();
        return all.str();
    };
    StartReader();
    Pty.Write(Gga + "\r\n");
    ASSERT_TRUE(WaitDispatched(1));
    EXPECT_EQ(content(), Gga + "\r\r\n");
    Pty.Write("$GPXYZ,1*00\r\n");
    ASSERT_TRUE(WaitDispatched(2));
    EXPECT_EQ(content(), Gga + "\r\r\n$GPXYZ,1*00\r\r\n");
    std::lock_guard<std::mutex> guard(Store.Lock());
    Store.Capture.Close();
    std::remove(path.c_str());
}

TEST_F(FetchTest, LineNoisePurgesThePortAfterTheStoreIsReleased) {
    PortRecorder recorder;
    Port.SetObserver(&recorder);
    StartReader();
    Pty.Write("$GPXYZ,1*00\r\n");
    ASSERT_TRUE(WaitDispatched(1));
    Loop.RunUntil([&] { return !recorder.Events().empty(); });
    EXPECT_EQ(recorder.Events(), std::vector<std::string>{PortRecorder::PurgeBothEvent});
    Port.SetObserver(nullptr);
}

TEST_F(FetchTest, AReaderCreatedSuspendedReadsOnlyOnceResumed) {
    StartReader(true);
    Pty.Write(Gga + "\r\n");
    Loop.RunFor(100ms);
    EXPECT_EQ(Dispatched, 0);
    Reader->Resume();
    EXPECT_TRUE(WaitDispatched(1));
}

TEST_F(FetchTest, AVanishedDeviceIsReportedOnceAndTheReaderWaitsWithoutSpinning) {
    StartReader();
    Pty.Write(Gga + "\r\n");
    ASSERT_TRUE(WaitDispatched(1));
    Pty.CloseMaster();
    ASSERT_TRUE(Loop.RunUntil([&] { return GoneReports > 0; }));
    EXPECT_TRUE(Reader->DeviceGone());

    clockid_t clock;
    ASSERT_EQ(pthread_getcpuclockid(Reader->NativeHandle(), &clock), 0);
    timespec before{}, after{};
    clock_gettime(clock, &before);
    Loop.RunFor(500ms);
    clock_gettime(clock, &after);
    const double cpuMs =
        (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 100.0) << "the reader spins on a vanished device";
    EXPECT_EQ(GoneReports, 1);
    EXPECT_FALSE(Reader->Finished());
}

// A view reads the store on its own thread while the reader fills it. Each
// sentence's texts change together under the store's lock, so the view never
// sees the latitude of one fix with the longitude of another (and
// ThreadSanitizer reports any access that skips the lock).
TEST_F(FetchTest, AViewReadingTheStoreNeverSeesHalfASentence) {
    const std::string north = Gga;
    const std::string south =
        Nmea("GPGGA,123520.000,3350.0000,S,15112.0000,E,1,05,1.2,45.0,M,20.0,M,,");
    StartReader();
    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, reads{0};
    std::thread view([&] {
        while (!done.load()) {
            std::this_thread::yield();  // leaves the reader its turn at the lock
            std::lock_guard<std::mutex> hold(Store.Lock());
            const std::string lat = Store.Display().LatText, lon = Store.Display().LonText;
            const bool pairNorth = lat == "N 48.117300" && lon == "E 11.516667";
            const bool pairSouth = lat == "S 33.833333" && lon == "E 151.200000";
            if (!lat.empty() && lat != "0.00" && !pairNorth && !pairSouth) {
                if (torn++ == 0) ADD_FAILURE() << lat << " " << lon;
            }
            ++reads;
        }
    });
    constexpr int Pairs = 300;
    std::string bytes;
    for (int i = 0; i < Pairs; ++i) bytes += north + "\r\n" + south + "\r\n";
    // The loop takes the console's lines while the bytes go out.
    std::thread writer([&] { EXPECT_TRUE(Pty.Write(bytes)); });
    EXPECT_TRUE(WaitDispatched(2 * Pairs));
    writer.join();
    // On a loaded host the view may not have had its turn yet: it gets one.
    const auto limit = std::chrono::steady_clock::now() + 30s;
    while (reads.load() == 0 && std::chrono::steady_clock::now() < limit) std::this_thread::yield();
    done = true;
    view.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(reads, 0);
}

// A listener of a reader's events: what reached it, in order.
class RecordedEvents : public ReaderEvents {
  public:
    void ConsoleLines(const std::vector<std::string>& lines, uint64_t) override {
        for (const std::string& line : lines) Seen.push_back("line " + line);
    }
    void RefreshViews() override { Seen.push_back("refresh"); }
    void PaceDisplay(std::function<void()> handOff) override { handOff(); }
    void UbxAnswered(const UbxAckRecord& answer) override {
        Seen.push_back(answer.Acknowledged ? "ack" : "nak");
    }
    void ReceiverIdentified(const std::string& identity) override {
        Seen.push_back("identity " + identity);
    }
    void SettingRead(const UbxSettingAnswer& answer) override {
        Seen.push_back(answer.IsRate ? "rate" : "msg");
    }
    void KeysRead(const UbxKeyValuesRecord& answer) override {
        Seen.push_back("keys " + std::to_string(answer.Count));
    }
    void CaptureFailed() override { Seen.push_back("capture failed"); }

    std::vector<std::string> Seen;
};

// Every event of a reader reaches its listener on the loop's thread; once the listener has cleared
// the gate (a window that went) the reader's later hand-offs reach nothing.
TEST_F(FetchTest, ReaderEventsReachTheListenerUntilItClosesTheGate) {
    RecordedEvents events;
    const ReaderEventsGate gate = std::make_shared<ReaderEvents*>(&events);
    Reader = std::make_unique<TNmeaFetch>(false, nullptr);
    Reader->SetPort(&Port);
    Reader->SetStore(&Store);
    Reader->SetDispatcher(&Loop);
    // An RMC marks the stream's end: everything before it was handed over
    // before the mark runs.
    bool marked = false;
    Reader->SetSentenceHook([&](std::string_view sentence, const DispatchResult&) {
        ++Dispatched;
        if (sentence.substr(0, 6) == "$GPRMC") Loop.Queue([&marked] { marked = true; });
    });
    ListenToReader(*Reader, gate, 10);
    Reader->Start();
    const std::string ack = UbxBytes(0x05, 0x01, "\x06\x01");
    const std::string rate = UbxBytes(0x06, 0x08, std::string("\xF4\x01\x01\x00\x01\x00", 6));
    const std::string version = UbxBytes(
        0x0A, 0x04, "ROM CORE 3.01" + std::string(17, '\0') + "00080000" + std::string(2, '\0'));
    ASSERT_TRUE(Pty.Write(ack + rate + version + Gga + "\r\n"));
    ASSERT_TRUE(WaitDispatched(1));
    // The lines go through the display feed in stream order; each event is
    // queued behind a hand-off of what the feed held, so it follows its line.
    const std::vector<std::string> lines = {
        "line UBX ACK-ACK CFG-MSG", "line UBX CFG-RATE 500 ms x 1",
        "line UBX MON-VER 00080000 ROM CORE 3.01", "line " + Gga + "\r"};
    const std::vector<std::string> told = {"ack", "rate", "identity 00080000 ROM CORE 3.01"};
    const auto at = [&](const std::string& seen) {
        return std::find(events.Seen.begin(), events.Seen.end(), seen) - events.Seen.begin();
    };
    const auto seenSize = [&] { return static_cast<ptrdiff_t>(events.Seen.size()); };
    ASSERT_TRUE(Loop.RunUntil(
        [&] { return at(told.back()) < seenSize() && at(lines.back()) < seenSize(); }));
    std::vector<std::string> seenLines, seenTold;
    for (const std::string& seen : events.Seen) {
        if (seen.rfind("line ", 0) == 0)
            seenLines.push_back(seen);
        else if (seen != "refresh")
            seenTold.push_back(seen);
    }
    EXPECT_EQ(seenLines, lines);
    EXPECT_EQ(seenTold, told);
    for (size_t i = 0; i < told.size(); ++i) EXPECT_GT(at(told[i]), at(lines[i])) << told[i];
    EXPECT_GT(at("refresh"), at(lines[0]));
    const std::vector<std::string> expected = events.Seen;

    *gate = nullptr;
    ASSERT_TRUE(Pty.Write(ack + Gga + "\r\n" + Rmc + "\r\n"));
    ASSERT_TRUE(Loop.RunUntil([&] { return marked; }));
    EXPECT_EQ(events.Seen, expected);
}

// The user-interface thread writes the store too (a capture replayed while
// the link starts): each answer the reader tells is the frame it read,
// copied under the store lock in that frame's dispatch, never a frame the
// other thread put in meanwhile (and ThreadSanitizer reports a read that
// skips the lock).
TEST_F(FetchTest, EachAnswerToldIsTheFrameReadWhileAnotherThreadWritesTheStore) {
    std::vector<UbxAckRecord> answers;
    Reader = std::make_unique<TNmeaFetch>(false, [] {});
    Reader->SetPort(&Port);
    Reader->SetStore(&Store);
    Reader->SetDispatcher(&Loop);
    Reader->SetAnswerHook([&](const UbxAckRecord& answer) { answers.push_back(answer); });
    Reader->Start();
    const std::string ack = UbxBytes(0x05, 0x01, "\x06\x01");
    const std::string nak = UbxBytes(0x05, 0x00, "\x06\x08");
    std::atomic<bool> done{false};
    std::thread replay([&] {
        const auto* bytes = reinterpret_cast<const uint8_t*>(nak.data());
        while (!done.load()) {
            std::this_thread::yield();  // leaves the reader its turn at the lock
            std::lock_guard<std::mutex> hold(Store.Lock());
            DispatchUbx(bytes, nak.size(), Store);
        }
    });
    constexpr size_t Frames = 400;
    std::string bytes;
    for (size_t i = 0; i < Frames; ++i) bytes += ack;
    std::thread writer([&] { EXPECT_TRUE(Pty.Write(bytes)); });
    EXPECT_TRUE(Loop.RunUntil([&] { return answers.size() >= Frames; }));
    writer.join();
    done = true;
    replay.join();
    size_t wrong = 0;
    for (const UbxAckRecord& answer : answers)
        wrong += !answer.Acknowledged || answer.Class != 0x06 || answer.Id != 0x01;
    EXPECT_EQ(wrong, 0u) << "of " << answers.size();
}

// A receiver that loses its fix sends empty fields; what the position panel
// shows must follow it away from the last fix and back.
TEST_F(FetchTest, AFixItsLossAndItsReturnReachTheDisplayTexts) {
    StartReader();
    const auto displayed = [&](int sentences) {
        EXPECT_TRUE(WaitDispatched(sentences));
        std::lock_guard<std::mutex> hold(Store.Lock());
        return Store.Display();
    };
    Pty.Write(Gga + "\r\n" + Rmc + "\r\n");
    DataDisplay d = displayed(2);
    EXPECT_EQ(d.LatText, "N 48.117300");
    EXPECT_EQ(d.FixValidText, "Valid");

    Pty.Write(Nmea("GPGGA,,,,,,0,,,,M,,M,,") + "\r\n");
    d = displayed(3);
    EXPECT_EQ(d.FixValidText, "InValid");
    EXPECT_EQ(d.LatText, "--");
    EXPECT_EQ(d.LonText, "--");
    EXPECT_EQ(d.AltText, "--");
    EXPECT_EQ(d.SatsUsedText, "0");
    EXPECT_EQ(d.GmtText, "");
    Pty.Write(Nmea("GPRMC,,V,,,,,,,,,,N") + "\r\n");
    d = displayed(4);
    EXPECT_EQ(d.LatText, "--");
    EXPECT_EQ(d.DateText, "");
    EXPECT_EQ(d.FixValidText, "InValid");

    Pty.Write(Gga + "\r\n");
    d = displayed(5);
    EXPECT_EQ(d.FixValidText, "Valid");
    EXPECT_EQ(d.LatText, "N 48.117300");
    EXPECT_EQ(d.AltText, "545.4");
    EXPECT_EQ(d.SatsUsedText, "8");
}

TEST(NmeaFetchReconnect, WaitsGrowFromOneSecondToThirty) {
    const unsigned expected[] = {1, 2, 4, 8, 16, 30, 30};
    for (unsigned attempt = 1; attempt <= 7; ++attempt)
        EXPECT_EQ(TNmeaFetch::ReconnectWaitS(attempt), expected[attempt - 1]) << attempt;
    EXPECT_EQ(TNmeaFetch::ReconnectWaitS(1000), 30u);
}

}  // namespace
