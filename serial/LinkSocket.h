// Socket helpers of the network links: connecting with a time limit, binding
// a UDP listener, and reads and writes with PortDevice's bounded waits. One
// interface over POSIX sockets (LinkSocketPosix.cpp) and Winsock
// (LinkSocketWin32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/LinkDevice.h"

namespace LinkSocket {

// A socket of either system (a descriptor, or a Winsock SOCKET).
using SocketHandle = std::intptr_t;
constexpr SocketHandle NoSocket = -1;

// "HOST port PORT", as the messages name an endpoint.
std::string EndpointText(const std::string& host, uint16_t port);
// The openings of the messages of a failed connection and a failed listener,
// and the reason of a name that did not resolve: one wording on every system.
std::string ConnectFailure(const std::string& host, uint16_t port);
std::string ListenFailure(const std::string& host, uint16_t port);
std::string NameNotFound(const std::string& reason);
// A connected TCP socket, or NoSocket with "cannot connect to HOST port PORT:
// reason" in `error`.
SocketHandle ConnectTcp(const std::string& host, uint16_t port, unsigned limitMs,
                        std::string& error);
// A UDP socket bound to ADDR (any address when empty) and PORT, or NoSocket.
SocketHandle BindUdp(const std::string& host, uint16_t port, std::string& error);
// PortDevice::Read's contract on a socket; a stream's end is the device gone.
int Read(SocketHandle socket, uint8_t* data, size_t size, unsigned waitMs);
// PortDevice::Write's contract on a socket, never raising SIGPIPE.
int Write(SocketHandle socket, const uint8_t* data, size_t size, unsigned waitMs);

// A link over one socket, closed with it.
class SocketLink : public LinkDevice {
  public:
    explicit SocketLink(SocketHandle socket) : FSocket(socket) {}
    ~SocketLink() override;
    SocketLink(const SocketLink&) = delete;
    SocketLink& operator=(const SocketLink&) = delete;
    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;

  protected:
    SocketHandle Socket() const { return FSocket; }

  private:
    SocketHandle FSocket;
};

}  // namespace LinkSocket
