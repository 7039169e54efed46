// The network links' sockets on Windows: Winsock 2, its sockets made
// non-blocking and waited on with select() for PortDevice's bounded waits.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "serial/LinkSocket.h"
#include "serial/PortDevice.h"

namespace LinkSocket {
namespace {

constexpr WORD WinsockVersion = MAKEWORD(2, 2);
constexpr unsigned MsPerSecond = 1000;

// Winsock is started once for the process, on the first socket.
bool WinsockStarted() {
    struct Startup {
        Startup() {
            WSADATA data;
            Started = WSAStartup(WinsockVersion, &data) == 0;
        }
        ~Startup() {
            if (Started) WSACleanup();
        }
        bool Started = false;
    };
    static Startup startup;
    return startup.Started;
}

// The system's text for a Winsock error, without its closing full stop.
std::string ErrorText(int code) {
    char* text = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = text ? text : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string LastErrorText() {
    return ErrorText(WSAGetLastError());
}

SOCKET Native(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

SocketHandle Handle(SOCKET socket) {
    return static_cast<SocketHandle>(socket);
}

bool MakeNonBlocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

enum class Wait { Ready, TimedOut, Failed };

// Waits until `s` can be read (or written); a failure Winsock reports in the
// exception set (a connection refused, say) is Failed.
Wait WaitFor(SOCKET s, bool write, unsigned waitMs) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval limit{static_cast<long>(waitMs / MsPerSecond),
                  static_cast<long>(waitMs % MsPerSecond * MsPerSecond)};
    const int rc = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &limit);
    if (rc == SOCKET_ERROR) return Wait::Failed;
    if (rc == 0) return Wait::TimedOut;
    return FD_ISSET(s, &failed) ? Wait::Failed : Wait::Ready;
}

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
    error = ErrorText(rc);
    return false;
}

// One address tried with a time limit: the reason when it fails.
SOCKET ConnectOne(const addrinfo& address, unsigned limitMs, std::string& reason) {
    const SOCKET s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        reason = LastErrorText();
        return INVALID_SOCKET;
    }
    if (!MakeNonBlocking(s)) {
        reason = LastErrorText();
        closesocket(s);
        return INVALID_SOCKET;
    }
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return s;
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        reason = LastErrorText();
        closesocket(s);
        return INVALID_SOCKET;
    }
    switch (WaitFor(s, true, limitMs)) {
        case Wait::Ready:
            return s;
        case Wait::TimedOut:
            reason = "timed out after " + std::to_string(limitMs / MsPerSecond) + " s";
            break;
        case Wait::Failed: {
            int soError = 0;
            int length = sizeof soError;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
            reason = ErrorText(soError);
            break;
        }
    }
    closesocket(s);
    return INVALID_SOCKET;
}

}  // namespace

SocketHandle ConnectTcp(const std::string& host, uint16_t port, unsigned limitMs,
                        std::string& error) {
    const std::string prefix = ConnectFailure(host, port);
    if (!WinsockStarted()) {
        error = prefix + "the network is not available (Winsock did not start)";
        return NoSocket;
    }
    AddressList list;
    std::string reason;
    if (!Resolve(host, port, SOCK_STREAM, false, list, reason)) {
        error = prefix + NameNotFound(reason);
        return NoSocket;
    }
    for (const addrinfo* a = list.First; a; a = a->ai_next) {
        const SOCKET s = ConnectOne(*a, limitMs, reason);
        if (s != INVALID_SOCKET) return Handle(s);
    }
    error = prefix + reason;
    return NoSocket;
}

SocketHandle BindUdp(const std::string& host, uint16_t port, std::string& error) {
    const std::string prefix = ListenFailure(host, port);
    if (!WinsockStarted()) {
        error = prefix + "the network is not available (Winsock did not start)";
        return NoSocket;
    }
    AddressList list;
    std::string reason;
    if (!Resolve(host, port, SOCK_DGRAM, true, list, reason)) {
        error = prefix + NameNotFound(reason);
        return NoSocket;
    }
    for (const addrinfo* a = list.First; a; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            reason = LastErrorText();
            continue;
        }
        // No SO_REUSEADDR: on Windows it would let another program take the
        // port from under the listener.
        if (MakeNonBlocking(s) && ::bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0)
            return Handle(s);
        reason = LastErrorText();
        closesocket(s);
    }
    error = prefix + reason;
    return NoSocket;
}

int Read(SocketHandle socket, uint8_t* data, size_t size, unsigned waitMs) {
    const SOCKET s = Native(socket);
    switch (WaitFor(s, false, waitMs)) {
        case Wait::TimedOut:
            return PortDevice::ReadTimedOut;
        case Wait::Failed:
            return PortDevice::ReadDeviceGone;
        case Wait::Ready:
            break;
    }
    const int n = ::recv(s, reinterpret_cast<char*>(data), static_cast<int>(size), 0);
    if (n > 0) return n;
    if (n == SOCKET_ERROR) {
        const int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK || code == WSAEINTR) return PortDevice::ReadTimedOut;
        // A datagram longer than the buffer arrives cut: its part is kept.
        if (code == WSAEMSGSIZE) return static_cast<int>(size);
    }
    return PortDevice::ReadDeviceGone;  // the peer ended the stream, or the network failed
}

int Write(SocketHandle socket, const uint8_t* data, size_t size, unsigned waitMs) {
    const SOCKET s = Native(socket);
    switch (WaitFor(s, true, waitMs)) {
        case Wait::TimedOut:
            return 0;
        case Wait::Failed:
            return -1;
        case Wait::Ready:
            break;
    }
    const int n = ::send(s, reinterpret_cast<const char*>(data), static_cast<int>(size), 0);
    if (n >= 0) return n;
    const int code = WSAGetLastError();
    return code == WSAEWOULDBLOCK || code == WSAEINTR ? 0 : -1;
}

SocketLink::~SocketLink() {
    closesocket(Native(FSocket));
}

int SocketLink::Read(uint8_t* data, size_t size, unsigned waitMs) {
    return LinkSocket::Read(FSocket, data, size, waitMs);
}

int SocketLink::Write(const uint8_t* data, size_t size, unsigned waitMs) {
    return LinkSocket::Write(FSocket, data, size, waitMs);
}

}  // namespace LinkSocket
