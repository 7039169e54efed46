// Socket helpers of the POSIX links: connecting with a time limit, binding a
// UDP listener, and reads and writes with PortDevice's bounded waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/LinkDevice.h"

namespace LinkSocket {

// "HOST port PORT", as the messages name an endpoint.
std::string EndpointText(const std::string& host, uint16_t port);
// A connected TCP socket, or -1 with "cannot connect to HOST port PORT:
// reason" in `error`.
int ConnectTcp(const std::string& host, uint16_t port, unsigned limitMs, std::string& error);
// A UDP socket bound to ADDR (any address when empty) and PORT, or -1.
int BindUdp(const std::string& host, uint16_t port, std::string& error);
// PortDevice::Read's contract on a socket; a stream's end is the device gone.
int Read(int fd, uint8_t* data, size_t size, unsigned waitMs);
// PortDevice::Write's contract on a socket, never raising SIGPIPE.
int Write(int fd, const uint8_t* data, size_t size, unsigned waitMs);

// A link over one socket descriptor, closed with it.
class SocketLink : public LinkDevice {
  public:
    explicit SocketLink(int fd) : FFd(fd) {}
    ~SocketLink() override;
    SocketLink(const SocketLink&) = delete;
    SocketLink& operator=(const SocketLink&) = delete;
    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;

  protected:
    int Fd() const { return FFd; }

  private:
    int FFd;
};

}  // namespace LinkSocket
