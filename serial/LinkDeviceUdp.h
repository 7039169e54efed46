// The UDP listener link (POSIX).
#pragma once

#include <vector>

#include "serial/LinkSocketPosix.h"

class UdpLink : public LinkSocket::SocketLink {
  public:
    explicit UdpLink(int fd);
    int Read(uint8_t* data, size_t size, unsigned waitMs) override;
    int Write(const uint8_t* data, size_t size, unsigned waitMs) override;

  private:
    bool Receive(unsigned waitMs);

    std::vector<uint8_t> FDatagram;
    size_t FTaken = 0;
};
