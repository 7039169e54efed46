#include "serial/LinkSocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "serial/PortDevice.h"

namespace LinkSocket {
namespace {

struct AddressList {
    addrinfo* First = nullptr;
    ~AddressList() {
        if (First) freeaddrinfo(First);
    }
};

bool Resolve(const std::string& host, uint16_t port, int type, bool passive, AddressList& list,
             std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type;
    hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    const std::string service = std::to_string(port);
    const int rc =
        getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list.First);
    if (rc == 0) return true;
    error = rc == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(rc);
    return false;
}

// One address tried with a time limit: the reason when it fails.
int ConnectOne(const addrinfo& address, unsigned limitMs, std::string& reason) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                            address.ai_protocol);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    int rc = ::connect(fd, address.ai_addr, address.ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        rc = ::poll(&p, 1, static_cast<int>(limitMs));
        if (rc == 0) {
            reason = "timed out after " + std::to_string(limitMs / 1000) + " s";
            ::close(fd);
            return -1;
        }
        int soError = 0;
        socklen_t length = sizeof soError;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
        errno = soError;
        rc = soError == 0 ? 0 : -1;
    }
    if (rc != 0) {
        reason = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

SocketHandle ConnectTcp(const std::string& host, uint16_t port, unsigned limitMs,
                        std::string& error) {
    const std::string prefix = ConnectFailure(host, port);
    AddressList list;
    std::string reason;
    if (!Resolve(host, port, SOCK_STREAM, false, list, reason)) {
        error = prefix + NameNotFound(reason);
        return NoSocket;
    }
    for (const addrinfo* a = list.First; a; a = a->ai_next) {
        const int fd = ConnectOne(*a, limitMs, reason);
        if (fd >= 0) return fd;
    }
    error = prefix + reason;
    return NoSocket;
}

SocketHandle BindUdp(const std::string& host, uint16_t port, std::string& error) {
    const std::string prefix = ListenFailure(host, port);
    AddressList list;
    std::string reason;
    if (!Resolve(host, port, SOCK_DGRAM, true, list, reason)) {
        error = prefix + NameNotFound(reason);
        return NoSocket;
    }
    for (const addrinfo* a = list.First; a; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            reason = std::strerror(errno);
            continue;
        }
        const int yes = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0) return fd;
        reason = std::strerror(errno);
        ::close(fd);
    }
    error = prefix + reason;
    return NoSocket;
}

int Read(SocketHandle socket, uint8_t* data, size_t size, unsigned waitMs) {
    const int fd = static_cast<int>(socket);
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(waitMs));
    if (ready < 0) return errno == EINTR ? PortDevice::ReadTimedOut : PortDevice::ReadDeviceGone;
    if (ready == 0) return PortDevice::ReadTimedOut;
    const ssize_t n = ::recv(fd, data, size, 0);
    if (n > 0) return static_cast<int>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return PortDevice::ReadTimedOut;
    return PortDevice::ReadDeviceGone;  // the peer ended the stream, or the network failed
}

int Write(SocketHandle socket, const uint8_t* data, size_t size, unsigned waitMs) {
    const int fd = static_cast<int>(socket);
    pollfd p{fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(waitMs));
    if (ready < 0) return errno == EINTR ? 0 : -1;
    if (ready == 0) return 0;
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return -1;
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

SocketLink::~SocketLink() {
    ::close(static_cast<int>(FSocket));
}

int SocketLink::Read(uint8_t* data, size_t size, unsigned waitMs) {
    return LinkSocket::Read(FSocket, data, size, waitMs);
}

int SocketLink::Write(const uint8_t* data, size_t size, unsigned waitMs) {
    return LinkSocket::Write(FSocket, data, size, waitMs);
}

}  // namespace LinkSocket
