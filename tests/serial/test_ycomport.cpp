// The serial port over real pseudo-terminals: the test plays the receiver on
// the master side.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "framing/Framing.h"
#include "serial/YComPort.h"
#include "tests/framing/UbxBytes.h"
#include "tests/serial/PortRecorder.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/Sentences.h"

namespace {

using namespace std::chrono_literals;

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

const std::string HotStartBytes =
    Bytes({0xB5, 0x62, 0x06, 0x04, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x10, 0x68, 0x0D, 0x0A});
const std::string WarmStartBytes =
    Bytes({0xB5, 0x62, 0x06, 0x04, 0x04, 0x00, 0x01, 0x00, 0x02, 0x00, 0x11, 0x6C, 0x0D, 0x0A});
const std::string ColdStartBytes =
    Bytes({0xB5, 0x62, 0x06, 0x04, 0x04, 0x00, 0xFF, 0x07, 0x02, 0x00, 0x16, 0x79, 0x0D, 0x0A});

class PortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Pty.Ok());
        ASSERT_TRUE(Port.OpenPort(Pty.Port(), 9600)) << Port.LastError();
    }
    // Waits until what the master wrote can be read on the slave side.
    void WaitReadable() {
        pollfd p{Pty.Slave(), POLLIN, 0};
        ::poll(&p, 1, 2000);
    }
    std::string ReadOne() {
        char buffer[SentenceBufferSize];
        const uint16_t n = Port.ReadSentence(buffer, false);
        return std::string(buffer, n);
    }

    PtyPair Pty;
    YComPort Port;
};

// --- opening ---------------------------------------------------------------

TEST_F(PortTest, OpensRaw8N1WithoutFlowControlAtTheChosenRate) {
    EXPECT_TRUE(Port.IsOpen());
    EXPECT_EQ(Pty.Speed(), static_cast<speed_t>(B9600));
    const termios tio = Pty.SlaveSettings();
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL));
    EXPECT_FALSE(tio.c_oflag & OPOST);
}

TEST_F(PortTest, OpeningAnOpenPortIsRefusedAndKeepsItsSettings) {
    EXPECT_FALSE(Port.OpenPort(Pty.Port(), 19200));
    EXPECT_TRUE(Port.IsOpen());
    EXPECT_EQ(Pty.Speed(), static_cast<speed_t>(B9600));
    EXPECT_EQ(Port.BaudRate(), 9600u);
}

TEST_F(PortTest, APortInUseCannotBeOpenedAgain) {
    YComPort other;
    EXPECT_FALSE(other.OpenPort(Pty.Port(), 9600));
    EXPECT_FALSE(other.IsOpen());
    Port.ClosePort();
    EXPECT_TRUE(other.OpenPort(Pty.Port(), 9600)) << other.LastError();
}

TEST_F(PortTest, HighRatesAreSet) {
    Port.ClosePort();
    ASSERT_TRUE(Port.OpenPort(Pty.Port(), 921600));
    EXPECT_EQ(Pty.Speed(), static_cast<speed_t>(B921600));
}

TEST(PortOpen, MissingDevicesAndUnsupportedRatesFail) {
    PtyPair pty;
    YComPort port;
    EXPECT_FALSE(port.OpenPort(Source::Device("/dev/lumarokub-no-such-port"), 9600));
    EXPECT_FALSE(port.OpenPort(Source(), 9600));
    EXPECT_FALSE(port.OpenPort(pty.Port(), 1234));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.LastError().empty());
}

TEST(PortOpen, AClosedPortDoesNothing) {
    YComPort port;
    EXPECT_TRUE(port.ClosePort());
    EXPECT_EQ(port.SendCommandText("$PSRF104*"), SendPortClosed);
    port.PurgePort(PurgeBoth);
    char buffer[SentenceBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(port.ReadSentence(buffer, false), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[SentenceBufferSize - 1], 0);
}

// --- command texts on the wire ----------------------------------------------

TEST_F(PortTest, SirfTextIsSentAsItsCharactersWithNothingAdded) {
    const std::string text = "$PSRF104,37.3875111,-121.97232,0,96000,237759,1946,12,1*";
    EXPECT_EQ(Port.SendCommandText(text), static_cast<int>(text.size()));
    EXPECT_EQ(Pty.ReadAll(), text);
}

TEST_F(PortTest, UbxTextIsSentAsTheBytesItSpells) {
    EXPECT_EQ(Port.SendCommandText(UbxWarmStartFrame), 14);
    EXPECT_EQ(Pty.ReadAll(), WarmStartBytes);
}

TEST_F(PortTest, LowerCaseSyncIsSentAsCharacters) {
    EXPECT_EQ(Port.SendCommandText("b5620604"), 8);
    EXPECT_EQ(Pty.ReadAll(), "b5620604");
}

TEST_F(PortTest, LowerCaseHexDigitsAreSentAsTheirValues) {
    EXPECT_EQ(Port.SendCommandText("B5620a0F"), 4);
    EXPECT_EQ(Pty.ReadAll(), Bytes({0xB5, 0x62, 0x0A, 0x0F}));
}

TEST_F(PortTest, OddLengthDropsTheUnpairedCharacter) {
    EXPECT_EQ(Port.SendCommandText("B56206F"), 3);
    EXPECT_EQ(Pty.ReadAll(), Bytes({0xB5, 0x62, 0x06}));
}

TEST(UbxText, FramesAreBuiltWithTheirChecksum) {
    EXPECT_EQ(MakeUbxFrameText("0604040000000200"), UbxHotStartFrame);
    EXPECT_EQ(MakeUbxFrameText("0604040001000200"), UbxWarmStartFrame);
    EXPECT_EQ(MakeUbxFrameText("06040400FF070200"), UbxColdStartFrame);
    EXPECT_EQ(HexPairToByte("FF"), 0xFF);
    EXPECT_EQ(HexPairToByte("ff"), 0xFF);
    EXPECT_EQ(HexPairToByte("aF"), 0xAF);
    EXPECT_EQ(HexPairToByte("fg"), 0xF0);
    EXPECT_EQ(HexPairToByte("7"), 0x70);
    EXPECT_EQ(HexPairToByte("G1"), 0x01);
}

TEST_F(PortTest, WritesThatCannotFinishInTheLimitFail) {
    // Nobody reads the master side: the line never takes more than its buffer.
    const std::string big(256 * 1024, 'x');
    EXPECT_EQ(Port.WriteBytes(reinterpret_cast<const uint8_t*>(big.data()), big.size()),
              SendTimedOut);
}

// --- reading sentences --------------------------------------------------------

TEST_F(PortTest, StrayBytesThenASentence) {
    Pty.Write("x\x01\r\n" + Gga + "\r\n");
    const std::string got = ReadOne();
    EXPECT_EQ(got, Gga + "\r");
    char buffer[SentenceBufferSize];
    Pty.Write(Rmc + "\r\n");
    const uint16_t n = Port.ReadSentence(buffer, false);
    EXPECT_EQ(std::string(buffer, n), Rmc + "\r");
    for (size_t i = n; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0);
}

TEST_F(PortTest, SentencesBackToBackEachEndWithTheirCarriageReturn) {
    Pty.Write(Gga + "\r\n" + Gsa + "\r\n" + Rmc + "\r\n");
    EXPECT_EQ(ReadOne(), Gga + "\r");
    EXPECT_EQ(ReadOne(), Gsa + "\r");
    EXPECT_EQ(ReadOne(), Rmc + "\r");
}

TEST_F(PortTest, ALineFeedAloneEndsASentence) {
    Pty.Write(Gga + "\n" + Rmc + "\n");
    EXPECT_EQ(ReadOne(), Gga + "\r");
    EXPECT_EQ(ReadOne(), Rmc + "\r");
}

TEST_F(PortTest, ASentenceLongerThanAHundredCharactersIsDropped) {
    Pty.Write("$GPTXT," + std::string(110, 'A') + "\r\n" + Gga + "\r\n");
    EXPECT_EQ(ReadOne(), "");
    EXPECT_EQ(ReadOne(), Gga + "\r");
}

TEST_F(PortTest, SevenHighBytesBeforeTheDollarGiveUp) {
    Pty.Write(std::string(7, '\x80') + Gga + "\r\n");
    WaitReadable();
    EXPECT_EQ(ReadOne(), "");
}

TEST_F(PortTest, SixHighBytesBeforeTheDollarAreTolerated) {
    Pty.Write(std::string(6, '\xF0') + Gga + "\r\n");
    WaitReadable();
    EXPECT_EQ(ReadOne(), Gga + "\r");
}

TEST_F(PortTest, TheHuntExaminesAtMost299Bytes) {
    Pty.Write(std::string(297, 'A') + Gga + "\r\n");
    WaitReadable();
    EXPECT_EQ(ReadOne(), Gga + "\r");
    Pty.Write(std::string(298, 'A') + Gga + "\r\n");
    WaitReadable();
    EXPECT_EQ(ReadOne(), "");
}

TEST_F(PortTest, ASentenceArrivingInDribsIsCollectedWhole) {
    std::thread writer([&] {
        for (char c : Gga + "\r\n") {
            Pty.Write(std::string(1, c));
            std::this_thread::sleep_for(2ms);
        }
    });
    EXPECT_EQ(ReadOne(), Gga + "\r");
    writer.join();
}

// UBX frames between sentences: read whole by ReadRecord, passed over by
// ReadSentence without a purge or a give-up, in dribs too.
TEST_F(PortTest, UbxFramesAreReadBesideSentencesAndAreNoNoise) {
    const std::string pvt = UbxBytes(0x01, 0x07, std::string(46, '\xF0') + std::string(46, '\x7F'));
    PortRecorder recorder;
    Port.SetObserver(&recorder);
    std::thread writer([&] {
        const std::string bytes = Gga + "\r\n" + pvt + pvt + Rmc + "\r\n" + pvt + Gsa + "\r\n";
        for (size_t i = 0; i < bytes.size(); i += 37) {
            Pty.Write(bytes.substr(i, 37));
            std::this_thread::sleep_for(2ms);
        }
    });
    char buffer[SentenceBufferSize];
    framing::UbxFrameBuffer frame;
    uint16_t length = 0;
    const std::atomic<bool> stop{false};
    EXPECT_EQ(Port.ReadRecord(buffer, length, &frame, stop), RecordKind::Sentence);
    EXPECT_EQ(std::string(buffer, length), Gga + "\r");
    ASSERT_EQ(Port.ReadRecord(buffer, length, &frame, stop), RecordKind::Ubx);
    EXPECT_EQ(std::string(frame.Bytes, frame.Bytes + frame.Size), pvt);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(ReadOne(), Rmc + "\r");
    EXPECT_EQ(ReadOne(), Gsa + "\r");
    writer.join();
    Port.SetObserver(nullptr);
    EXPECT_EQ(recorder.Events(), std::vector<std::string>{});
}

TEST_F(PortTest, ReceivePurgeDropsInputNotYetFramed) {
    Pty.Write(Gga + "\r\n" + Gsa + "\r\n");
    WaitReadable();
    EXPECT_EQ(ReadOne(), Gga + "\r");  // the GSA may already sit in the read buffer
    Port.PurgePort(PurgeReceive);
    Pty.Write(Rmc + "\r\n");
    EXPECT_EQ(ReadOne(), Rmc + "\r");
}

TEST_F(PortTest, ARaisedStopFlagEndsTheWaitOnASilentPort) {
    std::atomic<bool> stop{false};
    std::thread raiser([&] {
        std::this_thread::sleep_for(100ms);
        stop = true;
    });
    char buffer[SentenceBufferSize];
    EXPECT_EQ(Port.ReadSentence(buffer, stop), 0);
    raiser.join();
}

TEST_F(PortTest, AStopRaisedInTheMiddleOfASentenceGivesNoSentence) {
    Pty.Write("$GPGGA,1235");
    std::atomic<bool> stop{false};
    std::thread raiser([&] {
        std::this_thread::sleep_for(100ms);
        stop = true;
    });
    char buffer[SentenceBufferSize];
    EXPECT_EQ(Port.ReadSentence(buffer, stop), 0);
    EXPECT_EQ(buffer[0], 0);
    raiser.join();
}

TEST_F(PortTest, AStopAlreadyRaisedReturnsAtOnceWithoutReading) {
    Pty.Write(Gga + "\r\n");
    WaitReadable();
    char buffer[SentenceBufferSize];
    EXPECT_EQ(Port.ReadSentence(buffer, true), 0);
    EXPECT_EQ(ReadOne(), Gga + "\r");
}

// What was read off the port before a stop is framed without reading more:
// whole records come out, a record the bytes end inside does not.
TEST_F(PortTest, RecordsAlreadyReadAreFramedWithoutReadingMore) {
    Pty.Write(Gga + "\r\n" + Gsa + "\r\n" + Rmc.substr(0, 20));
    WaitReadable();
    EXPECT_EQ(ReadOne(), Gga + "\r");  // one read takes the whole write
    char buffer[SentenceBufferSize];
    uint16_t length = 0;
    ASSERT_TRUE(Port.HasUnframedBytes());
    EXPECT_EQ(Port.ReadUnframedRecord(buffer, length, nullptr, nullptr), RecordKind::Sentence);
    EXPECT_EQ(std::string(buffer, length), Gsa + "\r");
    Pty.Write(Rmc.substr(20) + "\r\n");
    WaitReadable();
    EXPECT_EQ(Port.ReadUnframedRecord(buffer, length, nullptr, nullptr), RecordKind::None);
    EXPECT_EQ(length, 0);
    EXPECT_FALSE(Port.HasUnframedBytes());
}

TEST_F(PortTest, AVanishedDeviceIsReportedAndReadsBackOff) {
    Pty.Write(Gga + "\r\n");
    EXPECT_EQ(ReadOne(), Gga + "\r");
    EXPECT_FALSE(Port.DeviceGone());
    Pty.CloseMaster();
    const auto start = std::chrono::steady_clock::now();
    constexpr int Calls = 5;
    for (int i = 0; i < Calls; ++i) EXPECT_EQ(ReadOne(), "");
    EXPECT_TRUE(Port.DeviceGone());
    // Each call waits instead of returning at once, so a reading loop never spins.
    EXPECT_GE(std::chrono::steady_clock::now() - start, Calls * 40ms);
    EXPECT_LT(Port.SendCommandText("$PSRF101*"), 0);
    EXPECT_TRUE(Port.ClosePort());
    EXPECT_FALSE(Port.IsOpen());
}

TEST_F(PortTest, ClosingWhileAnotherThreadReadsEndsTheRead) {
    std::atomic<bool> done{false};
    std::thread reader([&] {
        char buffer[SentenceBufferSize];
        while (Port.ReadSentence(buffer, false) != 0 || Port.IsOpen()) {
        }
        done = true;
    });
    std::this_thread::sleep_for(100ms);
    Port.ClosePort();
    reader.join();
    EXPECT_TRUE(done);
}

// The receiver moved to another rate: the port follows it while another
// thread reads, keeps its raw 8N1 settings, and the reader goes on; a rate
// the port lacks, or a closed port, changes nothing.
TEST_F(PortTest, ARateChangeWhileAnotherThreadReadsKeepsTheReaderGoing) {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> got;
    std::thread reader([&] {
        char buffer[SentenceBufferSize];
        while (Port.IsOpen()) {
            const uint16_t n = Port.ReadSentence(buffer, false);
            if (n == 0) continue;
            std::lock_guard<std::mutex> hold(lock);
            got.emplace_back(buffer, n);
            changed.notify_all();
        }
    });
    const auto received = [&](size_t count) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, 5s, [&] { return got.size() >= count; });
    };
    Pty.Write(Gga + "\r\n");
    EXPECT_TRUE(received(1));
    EXPECT_TRUE(Port.ChangeRate(38400)) << Port.LastError();
    EXPECT_EQ(Pty.Speed(), static_cast<speed_t>(B38400));
    EXPECT_EQ(Port.BaudRate(), 38400u);
    const termios tio = Pty.SlaveSettings();
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    Pty.Write(Rmc + "\r\n");
    EXPECT_TRUE(received(2));
    EXPECT_FALSE(Port.ChangeRate(1234));
    EXPECT_EQ(Pty.Speed(), static_cast<speed_t>(B38400));
    Port.ClosePort();
    reader.join();
    EXPECT_EQ(got, (std::vector<std::string>{Gga + "\r", Rmc + "\r"}));
    EXPECT_FALSE(Port.ChangeRate(9600));
}

}  // namespace

// Holds every write on the wire side until released, and notes purges.
class HeldWrites : public PortObserver {
  public:
    void PortWrote(const uint8_t*, size_t) override {
        std::unique_lock<std::mutex> lock(FLock);
        FWriting = true;
        FChanged.notify_all();
        FChanged.wait(lock, [&] { return FReleased; });
    }
    void PortPurged(bool, bool) override { Purged = true; }
    void WaitWriting() {
        std::unique_lock<std::mutex> lock(FLock);
        FChanged.wait(lock, [&] { return FWriting; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased = true;
        FChanged.notify_all();
    }
    std::atomic<bool> Purged{false};

  private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FWriting = false, FReleased = false;
};

// The reader's purge after line noise waits for a command being written, so
// no command is ever cut in half on the wire.
TEST_F(PortTest, APurgeWaitsForTheWriteInProgress) {
    HeldWrites held;
    Port.SetObserver(&held);
    std::thread writer([&] { Port.SendCommandText("$PSRF104,0,0,0,0,0,0,12,1*"); });
    held.WaitWriting();
    std::thread purger([&] { Port.PurgePort(PurgeBoth); });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(held.Purged) << "the purge went ahead of the write";
    held.Release();
    writer.join();
    purger.join();
    EXPECT_TRUE(held.Purged);
    Port.SetObserver(nullptr);
}
