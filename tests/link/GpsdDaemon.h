// The gpsd daemon for the gpsd:// link tests, started in the foreground on
// one device and listening on 127.0.0.1 only; absent when gpsd is not
// installed. Its control socket takes devices away as a hot-unplug would.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

class GpsdDaemon {
  public:
    // The daemon's program, "" when it is not installed.
    static std::string Program() {
        for (const char* path : {"/usr/sbin/gpsd", "/usr/local/sbin/gpsd", "/usr/bin/gpsd"})
            if (access(path, X_OK) == 0) return path;
        return "";
    }
    // Starts `gpsd -N -n -F control -S port device`, without a device when
    // `device` is empty.
    GpsdDaemon(uint16_t port, const std::string& device) {
        FControl = "/tmp/lumarokub-gpsd-" + std::to_string(getpid()) + "-" + std::to_string(port) +
                   ".sock";
        std::vector<std::string> args = {Program(),           "-N", "-n", "-F", FControl, "-S",
                                         std::to_string(port)};
        if (!device.empty()) args.push_back(device);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~GpsdDaemon() { Stop(); }
    GpsdDaemon(const GpsdDaemon&) = delete;
    GpsdDaemon& operator=(const GpsdDaemon&) = delete;

    bool Running() const { return FPid > 0; }
    // Tells the daemon the device is gone (its control command "-PATH");
    // true once it answered OK.
    bool RemoveDevice(const std::string& path) const {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, FControl.c_str(), sizeof address.sun_path - 1);
        const std::string command = "-" + path + "\n";
        const timeval limit{10, 0};  // a daemon that does not answer fails the test, not hangs it
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char answer[16] = {};
        const bool done =
            connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            write(fd, command.data(), command.size()) == static_cast<ssize_t>(command.size()) &&
            read(fd, answer, sizeof answer - 1) > 0 && std::strncmp(answer, "OK", 2) == 0;
        close(fd);
        return done;
    }
    void Stop() {
        if (FPid <= 0) return;
        kill(FPid, SIGTERM);
        waitpid(FPid, nullptr, 0);
        FPid = -1;
        unlink(FControl.c_str());
    }

  private:
    pid_t FPid = -1;
    std::string FControl;
};
