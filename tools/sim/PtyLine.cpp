#include "tools/sim/PtyLine.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

struct BaudPair {
    unsigned long Rate;
    speed_t Constant;
};

constexpr BaudPair BaudTable[] = {
    {50, B50},         {75, B75},         {110, B110},        {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},        {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},      {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},  {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}};

bool SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

unsigned BaudConstant(unsigned long baud) {
    for (const BaudPair& p : BaudTable)
        if (p.Rate == baud) return p.Constant;
    return 0;
}

unsigned long BaudOfConstant(unsigned constant) {
    for (const BaudPair& p : BaudTable)
        if (p.Constant == constant) return p.Rate;
    return 0;
}

bool PtyLine::Open(std::string& error) {
    Close();
    char name[256] = {};
    if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0) {
        error = std::string("openpty: ") + std::strerror(errno);
        FMaster = FSlave = -1;
        return false;
    }
    FSlavePath = name;
    // Programs started meanwhile (a tool under test) must not hold the line
    // open: the receiver's hang-up would go unseen.
    fcntl(FMaster, F_SETFD, FD_CLOEXEC);
    fcntl(FSlave, F_SETFD, FD_CLOEXEC);
    // A new pseudo-terminal is in cooked mode with echo on: it would echo our
    // own output back to us and mangle line ends. The rate stays as it is.
    termios tio{};
    if (tcgetattr(FSlave, &tio) == 0) {
        const speed_t in = cfgetispeed(&tio), out = cfgetospeed(&tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, in);
        cfsetospeed(&tio, out);
        tcsetattr(FSlave, TCSANOW, &tio);
    }
    if (!SetNonBlocking(FMaster) || !SetNonBlocking(FSlave)) {
        error = std::string("fcntl: ") + std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

void PtyLine::Close() {
    if (FMaster >= 0) close(FMaster);
    if (FSlave >= 0) close(FSlave);
    FMaster = FSlave = -1;
}

unsigned long PtyLine::SlaveBaud() const {
    termios tio{};
    if (FSlave < 0 || tcgetattr(FSlave, &tio) != 0) return 0;
    return BaudOfConstant(cfgetospeed(&tio));
}

ssize_t PtyLine::Write(const char* data, size_t size) {
    const ssize_t n = write(FMaster, data, size);
    if (n >= 0) return n;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

void PtyLine::DropUnread() {
    if (FSlave >= 0) tcflush(FSlave, TCIFLUSH);
}

ssize_t PtyLine::Read(char* data, size_t size) {
    const ssize_t n = read(FMaster, data, size);
    if (n >= 0) return n;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}
