// The gpsd daemon for the gpsd:// link tests, started in the foreground on
// one device and listening on 127.0.0.1 only; absent when gpsd is not installed.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // Starts `gpsd -N -n -S port device`, or with a control socket in place
    // of a device when `device` is empty.
    GpsdDaemon(uint16_t port, const std::string& device) {
        std::vector<std::string> args = {Program(), "-N", "-n", "-S", std::to_string(port)};
        if (device.empty()) {  // the daemon needs a device or a control socket
            FControl = "/tmp/lumarokub-gpsd-" + std::to_string(getpid()) + "-" +
                       std::to_string(port) + ".sock";
            args.insert(args.end(), {"-F", FControl});
        } else {
            args.push_back(device);
        }
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
    void Stop() {
        if (FPid <= 0) return;
        kill(FPid, SIGTERM);
        waitpid(FPid, nullptr, 0);
        FPid = -1;
        if (!FControl.empty()) unlink(FControl.c_str());
    }

  private:
    pid_t FPid = -1;
    std::string FControl;
};
