// wine-pty-com LINK PORTFILE: a Linux helper that backs a wine COM port with
// pseudo-terminals, for the Windows tests that run under wine.
//
// Wine's registry maps the COM port to LINK. The helper listens on a loopback
// TCP port, written to PORTFILE. Each connection gets a fresh pseudo-terminal
// in a child process: raw mode, its slave made the child's controlling
// terminal (else wineserver adopts it and reports it when the master closes),
// LINK re-aimed at the slave, then "READY". The client then drives the
// receiver's side with one-line commands:
//   FEED <hex>              write the bytes to the master   -> OK
//   READ <max> <quiet ms>   bytes until max or a quiet gap  -> DATA <hex>
//   BAUD                    the rate the port was set to    -> BAUD <n>
// Closing the connection closes the pseudo-terminal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

constexpr size_t ChunkSize = 4096;

struct SpeedName {
    speed_t Speed;
    long Baud;
};
constexpr SpeedName Speeds[] = {
    {B1200, 1200},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},
    {B19200, 19200},   {B38400, 38400},   {B57600, 57600},   {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

long BaudOf(speed_t speed) {
    for (const SpeedName& entry : Speeds)
        if (entry.Speed == speed) return entry.Baud;
    return 0;
}

std::string ToHex(const std::string& bytes) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += Digits[c >> 4];
        hex += Digits[c & 15];
    }
    return hex;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadLine(int fd, std::string& line) {
    line.clear();
    char c;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

std::string ReadQuietly(int fd, size_t max, int quietMs) {
    std::string bytes;
    char chunk[ChunkSize];
    while (bytes.size() < max) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) break;
        const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, max - bytes.size()));
        if (n <= 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    return bytes;
}

void MakeRaw(int fd) {
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
}

bool AimLink(const std::string& link, const char* target) {
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    return ::symlink(target, temporary.c_str()) == 0 &&
           ::rename(temporary.c_str(), link.c_str()) == 0;
}

// Serves one connection on its own pseudo-terminal.
int Serve(int client, const std::string& link) {
    setsid();
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 1;
    const char* slavePath = ptsname(master);
    const int slave = slavePath ? ::open(slavePath, O_RDWR) : -1;
    if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) return 1;
    MakeRaw(slave);
    MakeRaw(master);
    if (!AimLink(link, slavePath) || !WriteAll(client, "READY\n")) return 1;

    std::string line;
    while (ReadLine(client, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        std::string reply;
        if (command == "FEED") {
            std::string hex;
            in >> hex;
            reply = WriteAll(master, FromHex(hex)) ? "OK" : "FAILED";
        } else if (command == "READ") {
            size_t max = 0;
            int quietMs = 0;
            in >> max >> quietMs;
            reply = "DATA " + ToHex(ReadQuietly(master, max, quietMs));
        } else if (command == "BAUD") {
            termios tio{};
            tcgetattr(master, &tio);
            reply = "BAUD " + std::to_string(BaudOf(cfgetispeed(&tio)));
        } else {
            reply = "UNKNOWN";
        }
        if (!WriteAll(client, reply + "\n")) break;
    }
    ::close(master);
    ::close(slave);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wine-pty-com LINK PORTFILE\n");
        return 2;
    }
    const std::string link = argv[1];
    const std::string portFile = argv[2];
    signal(SIGCHLD, SIG_IGN);  // children reap themselves

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener, 4) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        std::perror("wine-pty-com");
        return 1;
    }
    const std::string temporary = portFile + ".new";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) return 1;
    std::fprintf(out, "%u\n", ntohs(address.sin_port));
    std::fclose(out);
    std::rename(temporary.c_str(), portFile.c_str());

    for (;;) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        if (fork() == 0) {
            ::close(listener);
            std::_Exit(Serve(client, link));
        }
        ::close(client);
    }
}
