// The NTRIP client on Windows (Winsock) under wine, against a caster of the
// test's own on 127.0.0.1: the source table, an NTRIP 2 stream in chunks
// delivered whole with the login sent, a wrong password told, and the
// reconnection after the caster drops the stream.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ntrip/NtripClient.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* Login = "cm92ZXI6czNjcmV0LVB3";  // rover:s3cret-Pw in base64
constexpr const char* Table =
    "SOURCETABLE 200 OK\r\nContent-Type: text/plain\r\n\r\n"
    "STR;WIN1;Windows base;RTCM 3.2;1077(1);2;GPS;NET;DEU;48.10;11.50;0;0;x;none;B;N;9600;\r\n"
    "ENDSOURCETABLE\r\n";

struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

// Binary bytes of every value, so that a byte lost or doubled shows.
std::string Corrections(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

// The caster: each client's request read up to its blank line, then the
// table for "GET / ", 401 for a wrong login, and otherwise the stream in
// chunks of uneven sizes, after which the connection is closed.
class WinsockCaster {
  public:
    explicit WinsockCaster(std::string stream) : FStream(std::move(stream)) {
        FListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length);
        FPort = ntohs(address.sin_port);
        listen(FListen, 4);
        FThread = std::thread([this] { Run(); });
    }
    ~WinsockCaster() {
        FStop = true;
        FThread.join();
        closesocket(FListen);
    }
    uint16_t Port() const { return FPort; }
    std::string Requests() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FRequests;
    }

  private:
    bool Readable(SOCKET s) const {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval wait{0, 20000};
        return select(0, &set, nullptr, nullptr, &wait) > 0;
    }
    void Run() {
        while (!FStop) {
            if (!Readable(FListen)) continue;
            const SOCKET client = accept(FListen, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            Serve(client);
            closesocket(client);
        }
    }
    void Send(SOCKET client, const std::string& bytes) {
        send(client, bytes.data(), static_cast<int>(bytes.size()), 0);
    }
    void Serve(SOCKET client) {
        std::string request;
        char buffer[1024];
        while (!FStop && request.find("\r\n\r\n") == std::string::npos) {
            if (!Readable(client)) continue;
            const int n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            request.append(buffer, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> guard(FLock);
            FRequests += request;
        }
        if (request.rfind("GET / ", 0) == 0) {
            Send(client, Table);
            return;
        }
        if (request.find(std::string("Basic ") + Login) == std::string::npos) {
            Send(client, "HTTP/1.1 401 Unauthorized\r\n\r\n");
            return;
        }
        Send(client, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        size_t done = 0;
        for (size_t size = 1; done < FStream.size(); size = size * 3 + 1) {
            const size_t part = std::min(size, FStream.size() - done);
            std::ostringstream head;
            head << std::hex << part << "\r\n";
            Send(client, head.str() + FStream.substr(done, part) + "\r\n");
            done += part;
        }
        Send(client, "0\r\n\r\n");
    }

    std::string FStream;
    SOCKET FListen = INVALID_SOCKET;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    mutable std::mutex FLock;
    std::string FRequests;
    std::thread FThread;
};

NtripUrl Url(uint16_t port, const std::string& password, const std::string& mount) {
    NtripUrl url;
    std::string error;
    EXPECT_TRUE(ParseNtripUrl(
        "ntrip://rover:" + password + "@127.0.0.1:" + std::to_string(port) + "/" + mount, url,
        error))
        << error;
    return url;
}

template <class Done>
bool WaitUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(NtripWin32, TableStreamAndRefusalOverWinsock) {
    Winsock winsock;
    const std::string stream = Corrections(20000);
    WinsockCaster caster(stream);

    SourceTable table;
    std::string error;
    const std::atomic<bool> stop{false};
    ASSERT_TRUE(FetchSourceTable(Url(caster.Port(), "", ""), NtripLimits{}, stop, table, error))
        << error;
    ASSERT_EQ(table.Streams.size(), 1u);
    EXPECT_EQ(table.Streams[0].Mount, "WIN1");

    // The stream comes whole, twice: the caster ends it and the client
    // connects again after a second.
    NtripClientConfig config;
    config.Url = Url(caster.Port(), "s3cret-Pw", "WIN1");
    std::mutex lock;
    std::string got;
    std::vector<std::string> lines;
    NtripClient client(
        config,
        [&](const uint8_t* data, size_t size) {
            std::lock_guard<std::mutex> guard(lock);
            got.append(reinterpret_cast<const char*>(data), size);
        },
        [&](const std::string& line) {
            std::lock_guard<std::mutex> guard(lock);
            lines.push_back(line);
        });
    client.Start();
    client.Resume();
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> guard(lock);
        return got.size() >= 2 * stream.size();
    }));
    client.Terminate();
    client.WaitFor();
    EXPECT_TRUE(got == stream + stream) << got.size();
    EXPECT_GE(client.Status().Connections, 2u);
    EXPECT_NE(caster.Requests().find("Ntrip-Version: Ntrip/2.0"), std::string::npos);

    NtripClientConfig wrong = config;
    wrong.Url = Url(caster.Port(), "wrong-Pw", "WIN1");
    NtripClient refused(wrong, nullptr, nullptr);
    refused.Start();
    refused.Resume();
    ASSERT_TRUE(WaitUntil([&] { return refused.Status().Phase == NtripPhase::Failed; }));
    refused.WaitFor();
    EXPECT_NE(refused.Status().LastError.find("wrong user or password for rover"),
              std::string::npos)
        << refused.Status().LastError;
    EXPECT_EQ(refused.Status().LastError.find("wrong-Pw"), std::string::npos);
}

}  // namespace
