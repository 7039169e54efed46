// rtklib's str2str as an NTRIP caster on 127.0.0.1: one mountpoint with a
// user and password, its stream taken from a pipe the test writes, so every
// byte served is one the test wrote while a client was listening. Absent
// when str2str is not installed.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "serial/LinkSocket.h"
#include "tests/serial/LoopbackServer.h"

class CasterProcess {
  public:
    static std::string Program() {
        for (const char* path : {"/usr/bin/str2str", "/usr/local/bin/str2str"})
            if (access(path, X_OK) == 0) return path;
        return "";
    }
    // A port nobody listens on at the moment.
    static uint16_t FreePort() { return FreeLoopbackPort(); }
    // `str2str -out ntripc://USER:PASSWORD@:PORT/MOUNT:TABLE`, the input its
    // standard input; `table` is the STR record after "STR;MOUNT;".
    CasterProcess(uint16_t port, const std::string& login, const std::string& mount,
                  const std::string& table)
        : FPort(port) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        FInput = pipeFds[1];
        fcntl(FInput, F_SETFD, FD_CLOEXEC);
        FCommand = "str2str -out ntripc://" + login + "@:" + std::to_string(port) + "/" + mount +
                   ":" + table;
        std::vector<std::string> args = {
            Program(), "-out",
            "ntripc://" + login + "@:" + std::to_string(port) + "/" + mount + ":" + table};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[0]);
    }
    ~CasterProcess() { Kill(); }
    CasterProcess(const CasterProcess&) = delete;
    CasterProcess& operator=(const CasterProcess&) = delete;

    const std::string& Command() const { return FCommand; }
    // Waits until the caster accepts connections (true), within a generous limit.
    bool WaitAccepting() const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            std::string error;
            const auto socket = LinkSocket::ConnectTcp("127.0.0.1", FPort, 1000, error);
            if (socket != LinkSocket::NoSocket) {
                LinkSocket::SocketLink closing(socket);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Serves `bytes` to the clients connected now.
    bool Serve(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(FInput, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
    void Kill() {
        if (FPid > 0) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
            FPid = -1;
        }
        if (FInput >= 0) close(FInput);
        FInput = -1;
    }

  private:
    uint16_t FPort;
    pid_t FPid = -1;
    int FInput = -1;
    std::string FCommand;
};
