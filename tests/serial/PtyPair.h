// A pseudo-terminal standing in for a receiver: the test writes and reads on
// the master side; the port under test opens the slave path.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "serial/Source.h"

class PtyPair {
  public:
    PtyPair() {
        char name[128] = {};
        if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0) return;
        FPath = name;
        // Child processes (the decoder under test) must not keep either side open.
        fcntl(FMaster, F_SETFD, FD_CLOEXEC);
        fcntl(FSlave, F_SETFD, FD_CLOEXEC);
        termios tio{};
        tcgetattr(FSlave, &tio);
        cfmakeraw(&tio);
        tcsetattr(FSlave, TCSANOW, &tio);
    }
    ~PtyPair() {
        CloseMaster();
        if (FSlave >= 0) ::close(FSlave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return FMaster >= 0; }
    const std::string& Path() const { return FPath; }
    // The slave side as the port under test opens it.
    Source Port() const { return Source::Device(FPath); }
    int Master() const { return FMaster; }
    int Slave() const { return FSlave; }

    // The receiver goes away (an adapter pulled out).
    void CloseMaster() {
        if (FMaster >= 0) ::close(FMaster);
        FMaster = -1;
    }

    bool Write(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(FMaster, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Reads until `count` bytes have come or nothing arrives for `quietMs`.
    std::string Read(size_t count, int quietMs = 2000) const {
        std::string bytes;
        char chunk[4096];
        while (bytes.size() < count) {
            pollfd p{FMaster, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            const ssize_t n = ::read(FMaster, chunk, std::min(sizeof chunk, count - bytes.size()));
            if (n <= 0) break;
            bytes.append(chunk, static_cast<size_t>(n));
        }
        return bytes;
    }

    // Everything that arrives until the line has been quiet for `quietMs`.
    std::string ReadAll(int quietMs = 300) const { return Read(static_cast<size_t>(-1), quietMs); }

    // The input speed the port set (visible on the master side).
    speed_t Speed() const {
        termios tio{};
        tcgetattr(FMaster, &tio);
        return cfgetispeed(&tio);
    }

    termios SlaveSettings() const {
        termios tio{};
        tcgetattr(FMaster, &tio);
        return tio;
    }

  private:
    int FMaster = -1;
    int FSlave = -1;
    std::string FPath;
};
