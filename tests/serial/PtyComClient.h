// The receiver's side of a COM port that wine backs with a pseudo-terminal:
// a connection to the wine-pty-com helper, which opens a fresh
// pseudo-terminal for it and aims the port at it. The port is ready once the
// object is constructed (Ok()); it goes away with the object.
#pragma once

#include <winsock2.h>

#include <fstream>
#include <string>

class PtyComClient {
  public:
    explicit PtyComClient(const char* portFile) {
        WSADATA data;
        FStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        unsigned short tcpPort = 0;
        std::ifstream(portFile) >> tcpPort;
        FSocket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(tcpPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (tcpPort == 0) {
            FError = std::string("no helper port in ") + portFile;
        } else if (FSocket == INVALID_SOCKET ||
                   connect(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            FError = "cannot reach the helper (error " + std::to_string(WSAGetLastError()) + ")";
        } else {
            FReady = Line() == "READY";
            if (!FReady) FError = "the helper gave no pseudo-terminal";
        }
    }
    ~PtyComClient() {
        if (FSocket != INVALID_SOCKET) closesocket(FSocket);
        if (FStarted) WSACleanup();
    }
    PtyComClient(const PtyComClient&) = delete;
    PtyComClient& operator=(const PtyComClient&) = delete;

    bool Ok() const { return FReady; }
    const std::string& Error() const { return FError; }

    // Sends bytes to the port, as a receiver would.
    bool Feed(const std::string& bytes) { return Ask("FEED " + ToHex(bytes)) == "OK"; }
    // What the port wrote: until `max` bytes or `quietMs` without any.
    std::string Read(size_t max, int quietMs = 2000) {
        const std::string reply =
            Ask("READ " + std::to_string(max) + " " + std::to_string(quietMs));
        return reply.rfind("DATA ", 0) == 0 ? FromHex(reply.substr(5)) : std::string();
    }
    // The rate the port was set to, as the Linux side sees it.
    long Baud() {
        const std::string reply = Ask("BAUD");
        return reply.rfind("BAUD ", 0) == 0 ? std::stol(reply.substr(5)) : -1;
    }

    static std::string ToHex(const std::string& bytes) {
        static const char Digits[] = "0123456789ABCDEF";
        std::string hex;
        for (unsigned char c : bytes) {
            hex += Digits[c >> 4];
            hex += Digits[c & 15];
        }
        return hex;
    }

  private:
    static std::string FromHex(const std::string& hex) {
        std::string bytes;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return bytes;
    }

    std::string Ask(const std::string& command) {
        const std::string line = command + "\n";
        if (send(FSocket, line.data(), static_cast<int>(line.size()), 0) !=
            static_cast<int>(line.size()))
            return {};
        return Line();
    }

    std::string Line() {
        std::string line;
        char c;
        while (recv(FSocket, &c, 1, 0) == 1 && c != '\n') line += c;
        return line;
    }

    bool FStarted = false;
    bool FReady = false;
    SOCKET FSocket = INVALID_SOCKET;
    std::string FError;
};
