// A caster of the tests' own on 127.0.0.1 (POSIX sockets): it takes one
// client at a time, keeps its request, answers with pieces written one by
// one (so chunk boundaries fall where a test wants them), then keeps what
// the client sends (its GGA) until the client or the test ends. It may answer
// source-table requests with a table of its own.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestCaster {
  public:
    // `table`: when given, the answer to a source-table request ("GET / "),
    // after which that client is closed.
    explicit TestCaster(std::vector<std::string> answer, std::string table = {})
        : FAnswer(std::move(answer)), FTable(std::move(table)) {
        FListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length);
        FPort = ntohs(address.sin_port);
        listen(FListen, 4);
        FThread = std::thread([this] { Run(); });
    }
    ~TestCaster() {
        FStop = true;
        FThread.join();
        close(FListen);
    }
    TestCaster(const TestCaster&) = delete;
    TestCaster& operator=(const TestCaster&) = delete;

    uint16_t Port() const { return FPort; }
    // Everything the clients sent, request and GGA, in order.
    std::string Received() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FReceived;
    }

  private:
    bool Readable(int fd) const {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 20) > 0;
    }
    void Run() {
        while (!FStop) {
            if (!Readable(FListen)) continue;
            const int client = accept(FListen, nullptr, nullptr);
            if (client < 0) continue;
            Serve(client);
            close(client);
        }
    }
    // Reads until the request's blank line, answers, then reads until the end.
    void Serve(int client) {
        bool answered = false;
        char buffer[4096];
        const size_t start = Received().size();  // where this client's request begins
        while (!FStop) {
            if (!Readable(client)) continue;
            const ssize_t n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            std::lock_guard<std::mutex> guard(FLock);
            FReceived.append(buffer, static_cast<size_t>(n));
            if (!answered && FReceived.find("\r\n\r\n", start) != std::string::npos) {
                answered = true;
                if (!FTable.empty() && FReceived.compare(start, 6, "GET / ") == 0) {
                    send(client, FTable.data(), FTable.size(), MSG_NOSIGNAL);
                    return;
                }
                for (const std::string& piece : FAnswer) {
                    send(client, piece.data(), piece.size(), MSG_NOSIGNAL);
                    std::this_thread::yield();
                }
            }
        }
    }

    std::vector<std::string> FAnswer;
    std::string FTable;
    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    mutable std::mutex FLock;
    std::string FReceived;
    std::thread FThread;
};
