// The sending side of the link benchmarks: a TCP server on 127.0.0.1 that
// sends a stream to its first client as fast as the socket takes it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

// Listens on 127.0.0.1 and sends `bytes` to the first client, then ends.
class Sender {
  public:
    explicit Sender(const std::string& bytes) : FBytes(bytes) {
        FListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(FListen, 1);
        socklen_t length = sizeof address;
        getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length);
        FPort = ntohs(address.sin_port);
        FThread = std::thread([this] { Send(); });
    }
    ~Sender() {
        FThread.join();
        close(FListen);
    }
    uint16_t Port() const { return FPort; }
    std::chrono::steady_clock::time_point Started() const { return FStarted; }

  private:
    void Send() {
        const int client = accept(FListen, nullptr, nullptr);
        FStarted = std::chrono::steady_clock::now();
        size_t sent = 0;
        while (sent < FBytes.size()) {
            const ssize_t n =
                send(client, FBytes.data() + sent, FBytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        close(client);
    }

    const std::string& FBytes;
    int FListen = -1;
    uint16_t FPort = 0;
    std::chrono::steady_clock::time_point FStarted;
    std::thread FThread;
};
