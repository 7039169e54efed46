// termios backend: ports are device paths.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "serial/PortDevice.h"

namespace PortDevice {
namespace {

constexpr unsigned DrainPollMs = 1;

struct RateEntry {
    uint32_t Baud;
    speed_t Speed;
};

constexpr RateEntry RateTable[] = {
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedFor(uint32_t baud, speed_t& speed) {
    for (const RateEntry& entry : RateTable)
        if (entry.Baud == baud) {
            speed = entry.Speed;
            return true;
        }
    return false;
}

// Raw 8N1, no flow control, reads never block (waits are done with poll).
bool ApplySettings(int fd, uint32_t baud, std::string& error) {
    speed_t speed;
    if (!SpeedFor(baud, speed)) {
        error = "unsupported baud rate " + std::to_string(baud);
        return false;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        error = std::strerror(errno);
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 ||
        tcsetattr(fd, TCSANOW, &tio) != 0) {
        error = std::strerror(errno);
        return false;
    }
    tcflush(fd, TCIOFLUSH);
    return true;
}

// Exclusive use: TIOCEXCL keeps other programs from opening the device, and
// an advisory lock keeps out those that bypass it (privileged ones) but ask
// for the lock, as serial tools do.
bool TakeExclusive(int fd, std::string& error) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "port is in use" : std::strerror(errno);
        return false;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool IsSupportedBaudRate(uint32_t baud) {
    speed_t speed;
    return SpeedFor(baud, speed);
}

bool SetRate(Handle fd, uint32_t baud, std::string& error) {
    speed_t speed;
    termios tio{};
    if (!SpeedFor(baud, speed)) {
        error = "unsupported baud rate " + std::to_string(baud);
        return false;
    }
    if (tcgetattr(fd, &tio) != 0 || cfsetispeed(&tio, speed) != 0 ||
        cfsetospeed(&tio, speed) != 0 || tcsetattr(fd, TCSADRAIN, &tio) != 0) {
        error = std::strerror(errno);
        return false;
    }
    tcflush(fd, TCIFLUSH);
    return true;
}

Handle Open(const std::string& path, uint32_t baud, uint16_t, uint16_t, std::string& error) {
    if (path.empty()) {
        error = "no port named";
        return NoHandle;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return NoHandle;
    }
    if (!isatty(fd)) {
        error = path + ": not a serial port";
        ::close(fd);
        return NoHandle;
    }
    if (!TakeExclusive(fd, error) || !ApplySettings(fd, baud, error)) {
        error = path + ": " + error;
        ::close(fd);
        return NoHandle;
    }
    return fd;
}

void Close(Handle handle) {
    if (handle == NoHandle) return;
    ioctl(handle, TIOCNXCL);
    ::close(handle);
}

static int OutputQueued(Handle handle) {
    int queued = 0;
    return ioctl(handle, TIOCOUTQ, &queued) == 0 ? queued : -1;
}

// A transmit purge with nothing queued does nothing: the bytes of a finished
// write may still be in flight inside the driver (a pseudo-terminal's buffer,
// a UART's FIFO) and are not "pending" any more.
void Purge(Handle handle, bool transmit, bool receive) {
    if (transmit && OutputQueued(handle) == 0) transmit = false;
    if (transmit && receive)
        tcflush(handle, TCIOFLUSH);
    else if (transmit)
        tcflush(handle, TCOFLUSH);
    else if (receive)
        tcflush(handle, TCIFLUSH);
}

int Read(Handle handle, uint8_t* data, size_t size, unsigned waitMs) {
    pollfd p{handle, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(waitMs));
    if (ready < 0) return errno == EINTR ? ReadTimedOut : ReadDeviceGone;
    if (ready == 0) return ReadTimedOut;
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(handle, data, size);
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return ReadTimedOut;
        return ReadDeviceGone;  // end of file (hang-up) or EIO: the device went away
    }
    return ReadDeviceGone;  // POLLHUP, POLLERR or POLLNVAL without data
}

int Write(Handle handle, const uint8_t* data, size_t size, unsigned waitMs) {
    pollfd p{handle, POLLOUT, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(waitMs));
    if (ready < 0) return errno == EINTR ? 0 : -1;
    if (ready == 0) return 0;
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return -1;
    const ssize_t n = ::write(handle, data, size);
    if (n >= 0) return static_cast<int>(n);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

// Written bytes sit in the driver's output queue until they are on the wire;
// a transmit purge would discard them, so a write counts as done only once
// the queue is empty.
bool Drain(Handle handle, unsigned waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const int queued = OutputQueued(handle);
        if (queued < 0) return false;
        if (queued == 0) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(DrainPollMs));
    }
}

}  // namespace PortDevice
