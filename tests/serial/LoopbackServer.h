// A TCP server on 127.0.0.1 for the link tests: it takes one client at a
// time, sends it what it is given and keeps what the client sends.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A port on 127.0.0.1 that nothing listens on (for refused connections and
// UDP listeners): taken from the system and given back.
inline uint16_t FreeLoopbackPort(int type = SOCK_STREAM) {
    const int fd = socket(AF_INET, type, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

class LoopbackServer {
  public:
    // Listens on `port` (0: one the system picks); the client gets `greeting`,
    // and the connection is ended after it when `hangUp` is set.
    explicit LoopbackServer(std::string greeting, bool hangUp = false, uint16_t port = 0)
        : FGreeting(std::move(greeting)), FHangUp(hangUp) {
        FListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(FListen, 4);
        socklen_t length = sizeof address;
        getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length);
        FPort = ntohs(address.sin_port);
        FThread = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return FPort; }
    std::string Url(const std::string& scheme = "tcp") const {
        return scheme + "://127.0.0.1:" + std::to_string(FPort);
    }
    // Ends the client's connection and stops listening.
    void Stop() {
        FStop = true;
        if (FThread.joinable()) FThread.join();
        if (FListen >= 0) close(FListen);
        FListen = -1;
    }
    // Waits until the client has sent `count` bytes; what it sent.
    std::string Received(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::unique_lock<std::mutex> hold(FLock);
        FChanged.wait_for(hold, limit, [&] { return FReceived.size() >= count; });
        return FReceived;
    }
    int Clients() const { return FClients.load(); }

  private:
    void Serve() {
        while (!FStop) {
            pollfd p{FListen, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const int client = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            ++FClients;
            Talk(client);
            close(client);
        }
    }
    void Talk(int client) {
        size_t sent = 0;
        while (sent < FGreeting.size() && !FStop) {
            const ssize_t n =
                send(client, FGreeting.data() + sent, FGreeting.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
        if (FHangUp) return;
        char chunk[4096];
        while (!FStop) {
            pollfd p{client, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) return;
            std::lock_guard<std::mutex> hold(FLock);
            FReceived.append(chunk, static_cast<size_t>(n));
            FChanged.notify_all();
        }
    }

    std::string FGreeting;
    bool FHangUp;
    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FClients{0};
    std::thread FThread;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::string FReceived;
};
