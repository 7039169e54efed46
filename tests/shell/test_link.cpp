// The window on a live link: a pseudo-terminal plays the receiver, the real
// reader thread feeds the console and the views, the console's commands go
// out through the real command sender.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "control/FormNmeaChoice.h"
#include "control/FrameRestartButton.h"
#include "control/FrameUtilButton.h"
#include "link/Connection.h"
#include "link/Monitor.h"
#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
#include "serial/UbxText.h"
#include "serial/YComPort.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "tests/serial/LoopbackServer.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/Sentences.h"
#include "tests/views/ViewTestSupport.h"
#include "thread/YThread.h"
#include "views/FrameConsole.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"
#include "views/MessageBox.h"

namespace {

const char* const Epoch1 =
    "$GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C\r\n"
    "$GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05\r\n"
    "$GPGSV,3,1,12,09,88,089,31,07,60,281,44,23,55,123,33,10,44,274,32*78\r\n"
    "$GPGSV,3,2,12,16,39,051,29,30,30,262,20,20,23,308,30,27,23,093,34*7F\r\n"
    "$GPGSV,3,3,12,19,13,123,27,03,07,176,19,05,05,328,13,47,,,*41\r\n"
    "$GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73\r\n";
const char* const Epoch2 =
    "$GPGGA,202641.000,4404.1305,N,12118.8515,W,2,11,0.83,1127.7,M,-19.6,M,0000,0000*65\r\n";

class LinkTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        YThread::SetMainDispatcher(&dispatcher);
        ASSERT_TRUE(ComPort->OpenPort(pty.Port(), 115200));
        GpsConfig->SetPort(pty.Port());
        GpsConfig->BaudRate = 115200;
        GpsConfig->DisplayPaused = false;
        GpsConfig->SetPortOpen(true);
    }
    void TearDown() override {
        if (reader) {
            reader->Terminate();
            // Its last hand-offs arrive meanwhile: keep the events going.
            EXPECT_TRUE(WaitFor([this] { return reader->Finished(); }));
            reader->WaitFor();
            delete reader;
        }
        GpsConfig->SetPortOpen(false);
        ComPort->ClosePort();
        YThread::SetMainDispatcher(nullptr);
    }

    // The window's reader, started (held until resumed), not freeing itself.
    TNmeaFetch* StartReader() {
        TNmeaFetch* made = window.MakeNmeaFetch(false);
        made->Start();
        return made;
    }

    // The monitor exists before the window, whose connection works on its port.
    std::unique_ptr<Monitor> Parts = std::make_unique<Monitor>();
    NMEA_Manager* const NmeaManager = &Parts->NmeaManager;
    GPSConfig* const GpsConfig = &Parts->GpsConfig;
    YComPort* const ComPort = &Parts->ComPort;
    TMainForm window{*Parts};
    QtUiDispatcher dispatcher;
    PtyPair pty;
    TNmeaFetch* reader = nullptr;
};

TEST_F(LinkTest, ReaderFeedsTheConsoleAndTheViews) {
    reader = StartReader();
    reader->Resume();
    ASSERT_TRUE(pty.Write(Epoch1));
    // Eleven of the twelve satellites in view are tracked (one has no SNR).
    ASSERT_TRUE(WaitFor([this] { return window.FSnrViewer->snrChart->Bars().size() == 11; }));
    ASSERT_TRUE(WaitFor([this] { return window.FSViewer->dateLabel->text() == "DATE: 15/04/13"; }));
    EXPECT_EQ(window.FSViewer->fixModeLabel->text(), "3D");
    EXPECT_EQ(window.FGPSInfo->latLabel->text(), "LAT:N 44.068843" + QString(QChar(0x00B0)));
    EXPECT_EQ(window.FGPSInfo->usedCountLabel->text(), "10");
    EXPECT_TRUE(window.FSViewer->satMarks[0]->isVisibleTo(window.FSViewer));
    ASSERT_TRUE(WaitFor([this] { return window.FConsole->LineCount() >= 6; }));
    EXPECT_TRUE(window.FConsole->consoleMemo->toPlainText().startsWith("$GPGGA,202640.000"));

    // The refresh let the reader go on: later sentences keep arriving.
    ASSERT_TRUE(pty.Write(Epoch2));
    EXPECT_TRUE(WaitFor([this] { return window.FGPSInfo->hdopLabel->text() == "HDOP:0.83"; }));
    EXPECT_FALSE(reader->Suspended());
}

TEST_F(LinkTest, PausedConsoleReceivesNothingWhileTheViewsGoOn) {
    reader = StartReader();
    reader->Resume();
    Click(window.FConsole->consoleMemo->viewport());
    ASSERT_TRUE(GpsConfig->DisplayPaused);
    ASSERT_TRUE(pty.Write(Epoch1));
    ASSERT_TRUE(WaitFor([this] { return window.FSViewer->fixModeLabel->text() == "3D"; }));
    EXPECT_TRUE(window.FConsole->consoleMemo->toPlainText().isEmpty());
}

// Every command the window sends, as the receiver gets it: each SiRF text
// with its checksum and CR LF, a typed text checked when it carries its own
// checksum, a typed UBX text as the frame and echoed without a stray '*'.
TEST_F(LinkTest, EachCommandReachesTheReceiverAsItActsOnIt) {
    std::vector<std::string> messages;
    SetMessageObserver(
        [&](const std::string& text, const std::string&) { messages.push_back(text); });
    TFmNmeaChoice sirf;
    sirf.SetLink(&window.Link());
    window.FUtilButton->SetSettingWindows(nullptr, &sirf);
    window.FRestartButton->SetLinkOpen(true);  // stands for the receiver being connected

    const auto frame = [](const char* hex) {
        const std::vector<uint8_t> bytes = HexTextToBytes(hex);
        return std::string(bytes.begin(), bytes.end());
    };
    const auto press = [this](int button) {
        return [this, button] { window.FRestartButton->restartButtons[button]->click(); };
    };
    const auto type = [this](const char* text) {
        return [this, text] {
            DoubleClick(window.FConsole->consoleMemo->viewport());
            window.FConsole->consoleMemo->setPlainText(text);
            window.FConsole->consoleMemo->moveCursor(QTextCursor::End);
            QTest::keyClick(window.FConsole->consoleMemo, Qt::Key_Return);
        };
    };
    const auto setIntervals = [this, &sirf] {
        window.FUtilButton->SirfSettingClick();
        sirf.Panel()->intervalEdits[0]->setText("2");   // GGA
        sirf.Panel()->intervalEdits[7]->setText("10");  // ZDA
        sirf.Panel()->okButton->click();
    };
    const std::string psrf100 = "$PSRF100,1,9600,8,1,0*0D\r\n";
    const struct {
        const char* What;
        std::function<void()> Act;
        std::string Wire;
        const char* Echo;     // the console's echo of a typed text
        const char* Refusal;  // part of the message refusing a typed text
    } cases[] = {
        {"HOT", press(0), "$PSRF104,0,0,0,96000,237759,922,12,1*2B\r\n" + frame(UbxHotStartFrame),
         nullptr, nullptr},
        {"WARM", press(1), "$PSRF104,0,0,0,96000,237759,922,12,2*28\r\n" + frame(UbxWarmStartFrame),
         nullptr, nullptr},
        {"COLD", press(2), "$PSRF104,0,0,0,96000,237759,922,12,4*2E\r\n" + frame(UbxColdStartFrame),
         nullptr, nullptr},
        {"Factory Rst", press(3), "$PSRF104,0,0,0,96000,237759,922,12,8*22\r\n", nullptr, nullptr},
        {"SiRF window", setIntervals, "$PSRF103,00,00,02,01*26\r\n$PSRF103,08,00,010,01*1D\r\n",
         nullptr, nullptr},
        {"typed", type("$PSRF100,1,9600,8,1,0"), psrf100, "> $PSRF100,1,9600,8,1,0*0D", nullptr},
        {"typed *", type("$PSRF100,1,9600,8,1,0*"), psrf100, "> $PSRF100,1,9600,8,1,0*0D", nullptr},
        {"typed *HH", type("$PSRF100,1,9600,8,1,0*0D"), psrf100, "> $PSRF100,1,9600,8,1,0*0D",
         nullptr},
        {"typed wrong *HH", type("$PSRF100,1,9600,8,1,0*0C"), "", "", "expected *0D"},
        {"typed UBX", type("B5620A0400000E34"), frame("B5620A0400000E34"), "> B5620A0400000E34",
         nullptr},
    };
    // A line sent after each case ends what the case put on the wire.
    const std::string after = "$PSRF101*27\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        messages.clear();
        c.Act();
        if (c.Echo) {
            EXPECT_EQ(window.FConsole->consoleMemo->toPlainText().trimmed().toStdString(), c.Echo);
        }
        ASSERT_TRUE(window.Link().WaitSendersIdle(std::chrono::seconds(10)));
        ASSERT_TRUE(window.Link().Send({"$PSRF101"}));
        EXPECT_EQ(pty.Read(c.Wire.size() + after.size()), c.Wire + after);
        if (c.Refusal) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find(c.Refusal), std::string::npos) << messages[0];
        } else {
            EXPECT_TRUE(messages.empty()) << messages.front();
        }
        ASSERT_TRUE(window.Link().WaitSendersIdle(std::chrono::seconds(10)));
    }
    window.FUtilButton->SetSettingWindows(nullptr, nullptr);
    SetMessageObserver(nullptr);
}

// Sentences of one kind, each with its own time, as fast as the line takes
// them; what the capture file then holds.
struct Flood {
    explicit Flood(int count) {
        for (int i = 0; i < count; ++i) {
            char body[96];
            std::snprintf(body, sizeof body,
                          "GPGGA,%02d%02d%02d.%03d,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,"
                          "-19.6,M,0000,0000",
                          i / 3600000 % 24, i / 60000 % 60, i / 1000 % 60, i % 1000);
            Sentences.push_back(Nmea(body));
            Bytes += Sentences.back() + "\r\n";
            Captured += Sentences.back() + "\r\r\n";
        }
    }
    std::vector<std::string> Sentences;
    std::string Bytes, Captured;
};

SentenceTally::Row GgaTally(const NMEA_Manager& store) {
    for (const SentenceTally::Row& row : store.Tally.Rows())
        if (row.Address == "GPGGA") return row;
    return {};
}

// A flood faster than the display, into the window's own reader while the
// GUI thread takes a turn only now and then: every sentence reaches the
// store's counts and the capture file; the console, handed the latest lines
// at most once a frame, says how many it could not show and ends with the
// last sentence.
TEST_F(LinkTest, AFloodReachesTheStoreAndTheCaptureWhileTheConsoleShowsTheLatest) {
    constexpr int Count = 20000;
    const Flood flood(Count);
    const std::string capture = testing::TempDir() + "/flood_capture.txt";
    uint64_t validBefore = 0;
    SentenceTally::Row ggaBefore;
    {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        ASSERT_TRUE(NmeaManager->Capture.Open(capture));
        validBefore = NmeaManager->ValidSentences;
        ggaBefore = GgaTally(*NmeaManager);
    }
    const auto stored = [&] {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        return NmeaManager->ValidSentences - validBefore;
    };
    reader = StartReader();
    reader->Resume();
    std::thread writer([&] { EXPECT_TRUE(pty.Write(flood.Bytes)); });
    bool sawCount = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (stored() < Count && std::chrono::steady_clock::now() < end) {
        QApplication::processEvents();
        sawCount |=
            window.FConsole->consoleMemo->document()->firstBlock().text().startsWith("*** ");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    writer.join();
    EXPECT_EQ(stored(), static_cast<uint64_t>(Count));
    const QString last = QString::fromStdString(flood.Sentences.back());
    EXPECT_TRUE(WaitFor([&] {
        return window.FConsole->consoleMemo->document()->lastBlock().text().trimmed() == last;
    }));
    EXPECT_TRUE(sawCount) << "the console never said it left lines out";

    // What the console holds is the stream's tail, in order.
    QStringList shown = window.FConsole->consoleMemo->toPlainText().split('\n');
    if (shown.front().startsWith("*** ")) shown.pop_front();
    ASSERT_FALSE(shown.isEmpty());
    ASSERT_LE(shown.size(), Count);
    const size_t first = flood.Sentences.size() - static_cast<size_t>(shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        ASSERT_EQ(shown[i].trimmed().toStdString(), flood.Sentences[first + i]) << i;

    {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        const SentenceTally::Row gga = GgaTally(*NmeaManager);
        EXPECT_EQ(gga.Sound - ggaBefore.Sound, static_cast<uint64_t>(Count));
        EXPECT_EQ(gga.Failed, ggaBefore.Failed);
        NmeaManager->Capture.Close();
    }
    EXPECT_TRUE(ReadWholeFile(capture) == flood.Captured) << "the capture file misses bytes";
    std::remove(capture.c_str());
}

}  // namespace
