// udp://[ADDR]:PORT: a listener for NMEA datagrams, one or several sentences
// each. A datagram whose last sentence lacks its line end gets one, so the
// next datagram's first sentence is not glued to it. Receive only.
#include "serial/LinkDeviceUdp.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "serial/PortDevice.h"

namespace {
constexpr size_t LargestDatagram = 65536;
constexpr char LineEnd[] = "\r\n";
}  // namespace

UdpLink::UdpLink(LinkSocket::SocketHandle socket) : SocketLink(socket) {
    FDatagram.reserve(LargestDatagram + sizeof LineEnd);
}

int UdpLink::Read(uint8_t* data, size_t size, unsigned waitMs) {
    if (FTaken == FDatagram.size() && !Receive(waitMs)) return PortDevice::ReadTimedOut;
    const size_t count = std::min(size, FDatagram.size() - FTaken);
    std::memcpy(data, FDatagram.data() + FTaken, count);
    FTaken += count;
    return static_cast<int>(count);
}

int UdpLink::Write(const uint8_t*, size_t, unsigned) {
    return -1;
}

bool UdpLink::Receive(unsigned waitMs) {
    FDatagram.resize(LargestDatagram);
    FTaken = 0;
    const int n = LinkSocket::Read(Socket(), FDatagram.data(), LargestDatagram, waitMs);
    if (n <= 0) {
        FDatagram.clear();  // a listener does not go away; an error is a datagram lost
        return false;
    }
    FDatagram.resize(static_cast<size_t>(n));
    if (FDatagram.back() != '\n') FDatagram.insert(FDatagram.end(), LineEnd, LineEnd + 2);
    return true;
}
