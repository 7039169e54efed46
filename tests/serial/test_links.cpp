// YComPort over links and lumarokub-decode --port URL, against servers and
// senders on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "framing/Framing.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "tests/serial/DecoderProcess.h"
#include "tests/serial/LoopbackServer.h"
#include "tests/serial/Sentences.h"

namespace {

using namespace std::chrono_literals;

const std::string CorpusCapture = std::string(LUMAROKUB_CORPUS_DIR) + "/mt3339.log";

bool OpenUrl(YComPort& port, const std::string& url) {
    return port.OpenPort(Source::Link(url), 4800);
}

std::string NextSentence(YComPort& port, std::chrono::milliseconds limit = 3s) {
    char buffer[SentenceBufferSize];
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const uint16_t length = port.ReadSentence(buffer, false);
        if (length) return std::string(buffer, length - 1);  // without its CR
    }
    return "";
}

void SendDatagram(uint16_t port, const std::string& text) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(fd);
}

TEST(TcpLink, DecodesAServedCaptureAsTheFileDecodes) {
    Decoder fromFile({"--final", CorpusCapture});
    const std::string expected = fromFile.Line(60s);
    ASSERT_EQ(fromFile.Wait(60s), 0);
    ASSERT_NE(expected.find("\"counts\""), std::string::npos);

    LoopbackServer server(ReadWholeFile(CorpusCapture), true);
    Decoder fromLink({"--final", "--port", server.Url()});
    EXPECT_EQ(fromLink.Line(60s), expected);
    EXPECT_EQ(fromLink.Wait(60s), 3);  // the server ended the stream
    EXPECT_NE(fromLink.Errors().find(server.Url() + ": link ended"), std::string::npos)
        << fromLink.Errors();
}

// True once something holds UDP port `number` on 127.0.0.1 (our own bind,
// without SO_REUSEADDR, is then refused).
bool UdpPortHeld(uint16_t number) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(number);
    const bool held = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
    close(fd);
    return held;
}

// The number of sentences the decoder prints for `file`.
int SentencesIn(const std::string& file) {
    Decoder lines({file});
    int sentences = 0;
    for (std::string line; !(line = lines.Line(60s)).empty();)
        sentences += line.find("\"sentence\"") != std::string::npos;
    return lines.Wait(60s) == 0 ? sentences : -1;
}

// Every wait here ends on an event (the port bound, the counted sentences
// taken in), so a loaded machine only makes the test slower.
TEST(UdpLink, DecodesACaptureSentAsDatagramsAsTheFileDecodes) {
    Decoder fromFile({"--final", CorpusCapture});
    const std::string expected = fromFile.Line(60s);
    ASSERT_EQ(fromFile.Wait(60s), 0);
    const int sentences = SentencesIn(CorpusCapture);
    ASSERT_GT(sentences, 0);

    const uint16_t number = FreeLoopbackPort(SOCK_DGRAM);
    Decoder fromLink({"--final", "--count", std::to_string(sentences), "--port",
                      "udp://127.0.0.1:" + std::to_string(number)});
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (!UdpPortHeld(number) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(UdpPortHeld(number)) << "the decoder never listened";
    // A few lines to a datagram, each ending at a line end: the stream the
    // decoder frames is the file's, byte for byte. The whole capture fits in
    // the listener's socket buffer, so none is lost while the decoder is slow.
    const std::string capture = ReadWholeFile(CorpusCapture);
    constexpr int LinesPerDatagram = 3;
    size_t start = 0;
    while (start < capture.size()) {
        size_t end = start;
        for (int line = 0; line < LinesPerDatagram && end < capture.size(); ++line) {
            const size_t next = capture.find('\n', end);
            end = next == std::string::npos ? capture.size() : next + 1;
        }
        SendDatagram(number, capture.substr(start, end - start));
        start = end;
    }
    // The decoder stops at the counted sentence, before the capture's last
    // line end: the state is the file's but for that byte's count.
    nlohmann::json got = nlohmann::json::parse(fromLink.Line(60s), nullptr, false);
    nlohmann::json want = nlohmann::json::parse(expected, nullptr, false);
    ASSERT_TRUE(got.is_object());
    got.erase("bytes");
    want.erase("bytes");
    EXPECT_EQ(got, want);
    EXPECT_EQ(fromLink.Wait(60s), 0);
}

TEST(TcpLink, CommandsArriveByteForByte) {
    LoopbackServer server(Gga + "\r\n");
    YComPort port;
    ASSERT_TRUE(OpenUrl(port, server.Url())) << port.LastError();
    EXPECT_TRUE(port.IsLink());
    EXPECT_EQ(NextSentence(port), Gga);
    const std::string text = "$PSRF101,0,0,0,0,0,0,12,4*10\r\n";
    EXPECT_EQ(port.SendCommandText(text), static_cast<int>(text.size()));
    EXPECT_EQ(port.SendCommandText("B56206040400FFFF0200"), 10);  // a UBX text goes as bytes
    const std::string ubx("\xB5\x62\x06\x04\x04\x00\xFF\xFF\x02\x00", 10);
    EXPECT_EQ(server.Received(text.size() + ubx.size()), text + ubx);
}

TEST(TcpLink, AnUnreachablePortIsNamedWithTheReason) {
    const uint16_t closed = FreeLoopbackPort();
    YComPort port;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenUrl(port, "tcp://127.0.0.1:" + std::to_string(closed)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    const std::string error = port.LastError();
    EXPECT_NE(error.find("127.0.0.1 port " + std::to_string(closed)), std::string::npos) << error;
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_FALSE(port.IsOpen());
}

TEST(TcpLink, ALinkThatWentAwayIsReopenedInPlace) {
    const uint16_t number = FreeLoopbackPort();
    auto server = std::make_unique<LoopbackServer>(Gga + "\r\n", true, number);
    YComPort port;
    ASSERT_TRUE(OpenUrl(port, server->Url())) << port.LastError();
    EXPECT_EQ(NextSentence(port), Gga);
    EXPECT_EQ(NextSentence(port, 500ms), "");
    EXPECT_TRUE(port.DeviceGone());
    server.reset();
    EXPECT_FALSE(port.ReopenLink());  // nobody listens
    EXPECT_TRUE(port.IsLink());
    EXPECT_NE(port.LastError().find("refused"), std::string::npos);
    server = std::make_unique<LoopbackServer>(Rmc + "\r\n", false, number);
    EXPECT_TRUE(port.ReopenLink()) << port.LastError();
    EXPECT_FALSE(port.DeviceGone());
    EXPECT_EQ(NextSentence(port), Rmc);
    // Closed ports are not reopened behind the user's back.
    port.ClosePort();
    EXPECT_FALSE(port.ReopenLink());
    EXPECT_FALSE(port.IsOpen());
}

TEST(UdpLink, DatagramsOfOneOrSeveralSentencesAreFramed) {
    const uint16_t number = FreeLoopbackPort(SOCK_DGRAM);
    YComPort port;
    ASSERT_TRUE(OpenUrl(port, "udp://127.0.0.1:" + std::to_string(number))) << port.LastError();
    SendDatagram(number, Gga + "\r\n" + Rmc + "\r\n");
    EXPECT_EQ(NextSentence(port), Gga);
    EXPECT_EQ(NextSentence(port), Rmc);
    SendDatagram(number, Gsa);  // no line end: the next datagram's sentence stays whole
    SendDatagram(number, "\x01\xff garbage $$ \r\n" + Gga + "\r\n");
    EXPECT_EQ(NextSentence(port), Gsa);
    std::string next;
    do next = NextSentence(port);
    while (!next.empty() && next != Gga);
    EXPECT_EQ(next, Gga);
    EXPECT_EQ(port.SendCommandText("$PSRF101*00\r\n"), SendTimedOut);  // receive only
}

}  // namespace
