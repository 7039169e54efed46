// The UDP listener link.
#pragma once

#include <vector>

#include "serial/LinkSocket.h"

class UdpLink : public LinkSocket::SocketLink {
  public:
    explicit UdpLink(LinkSocket::SocketHandle socket);
    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;

  private:
    bool Receive(unsigned waitMs);

    std::vector<uint8_t> FDatagram;
    size_t FTaken = 0;
};
