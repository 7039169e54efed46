// The network links on Windows (Winsock) under wine, against a server and a
// sender of the test's own on 127.0.0.1.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "framing/Framing.h"
#include "serial/Source.h"
#include "serial/YComPort.h"
#include "tests/serial/Sentences.h"

namespace {

using namespace std::chrono_literals;

struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

uint16_t PortOf(SOCKET s) {
    sockaddr_in address{};
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

bool OpenUrl(YComPort& port, const std::string& url) {
    return port.OpenPort(Source::Link(url), 4800);
}

std::string NextSentence(YComPort& port) {
    char buffer[SentenceBufferSize];
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < end) {
        const uint16_t length = port.ReadSentence(buffer, false);
        if (length) return std::string(buffer, length - 1);  // without its CR
    }
    return "";
}

TEST(Win32Links, TcpCarriesTheStreamAndTheCommands) {
    Winsock winsock;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    const std::string url = "tcp://127.0.0.1:" + std::to_string(PortOf(listener));
    std::string received;
    std::thread server([&] {
        const SOCKET peer = accept(listener, nullptr, nullptr);
        const std::string stream = Gga + "\r\n" + Rmc + "\r\n";
        send(peer, stream.data(), static_cast<int>(stream.size()), 0);
        char buffer[256];
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (received.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            const int n = recv(peer, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received.append(buffer, static_cast<size_t>(n));
        }
        closesocket(peer);
    });
    YComPort port;
    ASSERT_TRUE(OpenUrl(port, url)) << port.LastError();
    EXPECT_EQ(NextSentence(port), Gga);
    EXPECT_EQ(NextSentence(port), Rmc);
    const std::string command = "$PSRF101,0,0,0,0,0,0,12,4*10\r\n";
    EXPECT_EQ(port.SendCommandText(command), static_cast<int>(command.size()));
    server.join();
    EXPECT_EQ(received, command);
    // The server has gone: the link reads as a device gone.
    char buffer[SentenceBufferSize];
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!port.DeviceGone() && std::chrono::steady_clock::now() < end)
        port.ReadSentence(buffer, false);
    EXPECT_TRUE(port.DeviceGone());
    port.ClosePort();
    closesocket(listener);
}

TEST(Win32Links, UdpDatagramsAreFramedAndANamedRefusalSaysWhy) {
    Winsock winsock;
    // A free port: bound and let go.
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = Loopback(0);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const uint16_t number = PortOf(probe);
    closesocket(probe);

    YComPort port;
    ASSERT_TRUE(OpenUrl(port, "udp://127.0.0.1:" + std::to_string(number))) << port.LastError();
    const SOCKET sender = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in to = Loopback(number);
    const std::string datagram = Gga + "\r\n" + Rmc;  // the last sentence without its line end
    sendto(sender, datagram.data(), static_cast<int>(datagram.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
    EXPECT_EQ(NextSentence(port), Gga);
    EXPECT_EQ(NextSentence(port), Rmc);
    closesocket(sender);
    port.ClosePort();

    // Nothing listens on the port just freed: the refusal names the endpoint.
    YComPort tcp;
    EXPECT_FALSE(OpenUrl(tcp, "tcp://127.0.0.1:" + std::to_string(number)));
    EXPECT_NE(tcp.LastError().find("127.0.0.1 port " + std::to_string(number)), std::string::npos)
        << tcp.LastError();
}

}  // namespace
