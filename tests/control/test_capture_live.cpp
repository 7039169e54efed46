// Capture end to end: the real reader thread takes sentences from a
// pseudo-terminal while the panel starts and stops the capture on the
// user-interface thread (a test event loop).
#include <QFileDialog>
#include <QTemporaryDir>
#include <QToolButton>
#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>

#include "ControlFixture.h"
#include "control/FrameUtilButton.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "tests/framing/UbxBytes.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/Sentences.h"
#include "tests/thread/TestEventLoop.h"

namespace {
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class LiveCaptureTest : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        ASSERT_TRUE(Pty.Ok());
        ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));
        Panel.SetSaveDialogRunner([this](QFileDialog&) { return Dir.filePath("live"); });
        Reader = std::make_unique<TNmeaFetch>(false, [] {});
        Reader->SetPort(&Port);
        Reader->SetStore(NmeaManager);
        Reader->SetDispatcher(&Loop);
        Reader->SetConsole([](const std::vector<std::string>&, uint64_t) {});
        Reader->SetSentenceHook([this](std::string_view, const DispatchResult&) { ++Dispatched; });
        Reader->SetUbxHook([this](const UbxDispatchResult&) { ++Dispatched; });
        Reader->SetCaptureFailedHook([this] { Panel.CaptureFailed(); });
        Reader->Start();
    }
    void TearDown() override {
        Reader->Terminate();
        EXPECT_TRUE(Loop.RunUntil([&] { return Reader->Finished(); }));
        Reader->WaitFor();
        Reader.reset();
        if (Panel.Logging()) Panel.StopLog();
        ControlFixture::TearDown();
    }
    // Sends the sentences and pumps until the reader has dispatched them.
    void Receive(const std::vector<std::string>& sentences) {
        const int target = Dispatched.load() + static_cast<int>(sentences.size());
        for (const auto& s : sentences) ASSERT_TRUE(Pty.Write(s + "\r\n"));
        ASSERT_TRUE(Loop.RunUntil([&] { return Dispatched.load() >= target; }));
    }

    QTemporaryDir Dir;
    PtyPair Pty;
    YComPort Port;
    TestEventLoop Loop;
    TFUtilButton Panel{nullptr, Store()};
    std::atomic<int> Dispatched{0};
    std::unique_ptr<TNmeaFetch> Reader;
};
}  // namespace

TEST_F(LiveCaptureTest, FileHoldsExactlyTheSentencesOfTheCaptureWindow) {
    Receive({Gga, Rmc});
    Panel.logButton->click();
    ASSERT_TRUE(Panel.Logging());
    Receive({Gsa, Gsv1, Gsv2, Gsv3, Gga});
    Panel.logButton->click();
    ASSERT_FALSE(Panel.Logging());
    Receive({Rmc});
    EXPECT_EQ(
        ReadFile(Dir.filePath("live.txt").toStdString()),
        Gsa + "\r\r\n" + Gsv1 + "\r\r\n" + Gsv2 + "\r\r\n" + Gsv3 + "\r\r\n" + Gga + "\r\r\n");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(LiveCaptureTest, UbxFramesAreKeptByteForByteInStreamOrder) {
    // NAV-STATUS, with a CR LF and a '$' inside its payload, and ACK-ACK.
    const std::string status =
        UbxBytes(0x01, 0x03, std::string("\x10\x20\r\n\x03$\xB5\x62", 8) + std::string(8, '\0'));
    const std::string ack = UbxBytes(0x05, 0x01, std::string("\x06\x01", 2));
    Panel.logButton->click();
    ASSERT_TRUE(Panel.Logging());
    const int target = Dispatched.load() + 4;
    ASSERT_TRUE(Pty.Write(Gga + "\r\n" + status + Rmc + "\r\n" + ack));
    ASSERT_TRUE(Loop.RunUntil([&] { return Dispatched.load() >= target; }));
    Panel.logButton->click();
    EXPECT_EQ(ReadFile(Dir.filePath("live.txt").toStdString()),
              Gga + "\r\r\n" + status + Rmc + "\r\r\n" + ack);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(LiveCaptureTest, DiskFullStopsTheCaptureAndTellsTheUserOnce) {
    Panel.LogClick();
    ASSERT_TRUE(Panel.Logging());
    {
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        ASSERT_TRUE(NmeaManager->Capture.Open("/dev/full"));
    }
    Receive({Gga, Rmc, Gsa});
    Loop.RunUntil([&] { return !Panel.Logging(); });
    Loop.RunFor(std::chrono::milliseconds(50));
    EXPECT_FALSE(Panel.Logging());
    EXPECT_EQ(Panel.logButton->text(), "Log");
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_NE(Messages[0].Text.find("No space left on device"), std::string::npos);
}
