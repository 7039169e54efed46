// The serial port's Win32 backend on a COM port that wine backs with a
// pseudo-terminal; the wine-pty-com helper plays the receiver.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "framing/Framing.h"
#include "serial/YComPort.h"
#include "tests/serial/PtyComClient.h"
#include "tests/serial/Sentences.h"

namespace {

using namespace std::chrono_literals;

const Source PtyCom = Source::FromEntry("COM" + std::to_string(LUMAROKUB_PTY_COM_NUMBER));
const Source MissingCom = Source::FromEntry("COM9");

const std::string HotStartBytes("\xB5\x62\x06\x04\x04\x00\x00\x00\x02\x00\x10\x68\x0D\x0A", 14);

class Win32PortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Receiver.Ok()) << Receiver.Error();
        ASSERT_TRUE(Port.OpenPort(PtyCom, 9600)) << Port.LastError();
    }
    std::string ReadOne() {
        char buffer[SentenceBufferSize];
        const uint16_t n = Port.ReadSentence(buffer, false);
        return std::string(buffer, n);
    }

    PtyComClient Receiver{LUMAROKUB_PTY_COM_PORT_FILE};
    YComPort Port;
};

TEST_F(Win32PortTest, TheRateReachesTheDeviceAndAnOpenPortIsNotReopened) {
    EXPECT_EQ(Receiver.Baud(), 9600);
    EXPECT_FALSE(Port.OpenPort(PtyCom, 4800));
    EXPECT_EQ(Receiver.Baud(), 9600);
    ASSERT_TRUE(Port.ClosePort());
    ASSERT_TRUE(Port.OpenPort(PtyCom, 4800)) << Port.LastError();
    EXPECT_EQ(Receiver.Baud(), 4800);
}

TEST_F(Win32PortTest, SentencesArriveFromTheDevice) {
    ASSERT_TRUE(Receiver.Feed("\x11\x22\r\n" + Gga + "\r\n" + Rmc + "\r\n"));
    EXPECT_EQ(ReadOne(), Gga + "\r");
    EXPECT_EQ(ReadOne(), Rmc + "\r");
    EXPECT_EQ(ReadOne(), "");
}

TEST_F(Win32PortTest, CommandTextsReachTheDeviceAsTextOrAsUbxBytes) {
    const std::string sirf = Nmea("PSRF101,0,0,0,0,0,0,12,1") + "\r\n";
    EXPECT_EQ(Port.SendCommandText(sirf), static_cast<int>(sirf.size()));
    EXPECT_EQ(Receiver.Read(sirf.size()), sirf);

    EXPECT_EQ(Port.SendCommandText(MakeUbxFrameText("0604040000000200")), 14);
    EXPECT_EQ(Receiver.Read(14), HotStartBytes);
}

TEST_F(Win32PortTest, AReceivePurgeDropsWhatHasArrived) {
    ASSERT_TRUE(Receiver.Feed(Gga + "\r\n"));
    std::this_thread::sleep_for(200ms);  // let the bytes reach the driver's queue
    Port.PurgePort(PurgeReceive);
    EXPECT_EQ(ReadOne(), "");
    ASSERT_TRUE(Receiver.Feed(Rmc + "\r\n"));
    EXPECT_EQ(ReadOne(), Rmc + "\r");
}

TEST(Win32Port, AVanishedDeviceIsReported) {
    YComPort port;
    {
        PtyComClient receiver(LUMAROKUB_PTY_COM_PORT_FILE);
        ASSERT_TRUE(receiver.Ok()) << receiver.Error();
        ASSERT_TRUE(port.OpenPort(PtyCom, 4800)) << port.LastError();
        ASSERT_TRUE(receiver.Feed(Gga + "\r\n"));
        char buffer[SentenceBufferSize];
        EXPECT_EQ(std::string(buffer, port.ReadSentence(buffer, false)), Gga + "\r");
    }  // the helper closes the pseudo-terminal
    char buffer[SentenceBufferSize];
    for (int i = 0; i < 20 && !port.DeviceGone(); ++i) port.ReadSentence(buffer, false);
    EXPECT_TRUE(port.DeviceGone());
}

TEST(Win32Port, AMissingPortFailsWithFileNotFound) {
    YComPort port;
    EXPECT_FALSE(port.OpenPort(MissingCom, 4800));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NE(port.LastError().find("COM9"), std::string::npos) << port.LastError();
    EXPECT_NE(port.LastError().find("error 2)"), std::string::npos) << port.LastError();
}

// lumarokub-decode.exe --port COMn prints one JSON line per sentence it reads.
TEST(Win32DecodePort, PrintsTheSentencesTheDeviceSends) {
    PtyComClient receiver(LUMAROKUB_PTY_COM_PORT_FILE);
    ASSERT_TRUE(receiver.Ok()) << receiver.Error();
    const std::string command = std::string("\"") + LUMAROKUB_DECODE_TOOL + "\" --port COM" +
                                std::to_string(LUMAROKUB_PTY_COM_NUMBER) + " --baud 9600 --count 3";
    FILE* decoder = _popen(command.c_str(), "r");
    ASSERT_NE(decoder, nullptr);
    // The decoder purges the port once it is open: keep sending until it has read enough.
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (int i = 0; i < 100 && !done; ++i) {
            receiver.Feed(Gga + "\r\n");
            std::this_thread::sleep_for(100ms);
        }
    });
    std::vector<std::string> lines;
    char line[1024];
    while (std::fgets(line, sizeof line, decoder)) lines.emplace_back(line);
    const int status = _pclose(decoder);
    done = true;
    feeder.join();
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& json : lines) {
        EXPECT_NE(json.find("\"sentence\":\"" + Gga + "\""), std::string::npos) << json;
        EXPECT_NE(json.find("\"valid\":true"), std::string::npos) << json;
    }
}

}  // namespace
