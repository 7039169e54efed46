// lumarokub-decode --port, run as a program against a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/serial/DecoderProcess.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/Sentences.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// The decoder purges the port once it is open: repeat a sentence until the
// first line shows that it reads.
std::string FirstLine(PtyPair& pty, Decoder& decoder) {
    for (int i = 0; i < 50; ++i) {
        pty.Write(Gga + "\r\n");
        std::string line = decoder.Line(100ms);
        if (!line.empty()) return line;
    }
    return "";
}

TEST(DecodePort, PrintsOneJsonLinePerSentenceAndEndsAfterCount) {
    PtyPair pty;
    Decoder decoder({"--port", pty.Path(), "--baud", "9600", "--count", "3"});
    const std::string first = FirstLine(pty, decoder);
    EXPECT_NE(first.find("\"sentence\":\"" + Gga + "\""), std::string::npos) << first;
    EXPECT_NE(first.find("\"type\":\"GGA\""), std::string::npos);
    EXPECT_NE(first.find("\"valid\":true"), std::string::npos);
    EXPECT_EQ(pty.Speed(), static_cast<speed_t>(B9600));
    pty.Write(Rmc + "\r\n" + Gsa + "\r\n" + Gga + "\r\n");
    std::string line;
    do line = decoder.Line();
    while (line.find("GPGGA") != std::string::npos);
    EXPECT_NE(line.find("\"sentence\":\"" + Rmc + "\""), std::string::npos) << line;
    EXPECT_EQ(decoder.Wait(), 0);
    EXPECT_EQ(decoder.Errors(), "");
}

TEST(DecodePort, AVanishedDeviceEndsWithOneErrorLineAndStatus3) {
    PtyPair pty;
    Decoder decoder({"--port", pty.Path()});
    ASSERT_NE(FirstLine(pty, decoder), "");
    pty.CloseMaster();
    EXPECT_EQ(decoder.Wait(), 3);
    const std::string errors = decoder.Errors();
    EXPECT_NE(errors.find(pty.Path()), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST(DecodePort, TerminationEndsCleanlyAndPrintsTheFinalState) {
    PtyPair pty;
    Decoder decoder({"--final", "--port", pty.Path()});
    // With --final nothing is printed per sentence: wait until the port is set up.
    while (pty.Speed() != static_cast<speed_t>(B4800)) std::this_thread::sleep_for(5ms);
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(50ms);
        pty.Write(Gga + "\r\n");
    }
    // A UBX ACK-ACK of CFG-MSG, then the same with its last checksum byte wrong.
    const std::string ack("\xB5\x62\x05\x01\x02\x00\x06\x01\x0F\x38", 10);
    std::string damaged = ack;
    damaged.back() = '\x39';
    pty.Write(ack + damaged + Gga + "\r\n");
    // Everything written has been read off the port once its queue is empty.
    const auto until = std::chrono::steady_clock::now() + 60s;
    for (int unread = 1; unread > 0 && std::chrono::steady_clock::now() < until;) {
        unread = 0;
        ioctl(pty.Slave(), FIONREAD, &unread);
        if (unread > 0) std::this_thread::sleep_for(5ms);
    }
    decoder.Signal(SIGTERM);
    EXPECT_EQ(decoder.Wait(60s), 0);
    const std::string final = decoder.Line(10s);
    EXPECT_NE(final.find("\"display\""), std::string::npos) << final;
    EXPECT_NE(final.find("\"sentences\":"), std::string::npos);
    EXPECT_NE(final.find("\"badChecksums\":1"), std::string::npos)
        << "the port's framing counts a damaged frame as a file's does: " << final;
    EXPECT_EQ(decoder.Errors(), "");
}

TEST(DecodePort, APortThatCannotBeOpenedFailsWithStatus2) {
    Decoder decoder({"--port", "/nonexistent/ttyUSB9"});
    EXPECT_EQ(decoder.Wait(), 2);
    EXPECT_NE(decoder.Errors().find("/nonexistent/ttyUSB9"), std::string::npos);
}

}  // namespace
