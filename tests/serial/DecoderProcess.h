// lumarokub-decode run as a child process, its output read through pipes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// The decoder running as a child process, its output read through pipes.
class Decoder {
  public:
    explicit Decoder(std::vector<std::string> args) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        args.insert(args.begin(), LUMAROKUB_DECODE_TOOL);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn(&FPid, LUMAROKUB_DECODE_TOOL, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        FOut = out[0];
        FErr = err[0];
    }
    ~Decoder() {
        if (FPid > 0 && !FEnded) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
        close(FOut);
        close(FErr);
    }

    // The next line of standard output, or "" after `limit`.
    std::string Line(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const size_t end = FPending.find('\n');
            if (end != std::string::npos) {
                std::string line = FPending.substr(0, end);
                FPending.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(FOut, FPending, static_cast<int>(left.count())))
                return "";
        }
    }
    // Waits for the exit; returns the status (-1 when killed or still running).
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(FPid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        FEnded = true;
        while (ReadSome(FOut, FPending, 0)) {
        }
        while (ReadSome(FErr, FErrors, 0)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Signal(int sig) { kill(FPid, sig); }
    const std::string& Rest() const { return FPending; }
    const std::string& Errors() const { return FErrors; }

  private:
    static bool ReadSome(int fd, std::string& into, int waitMs) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return false;
        char chunk[4096];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        into.append(chunk, static_cast<size_t>(n));
        return true;
    }

    pid_t FPid = -1;
    int FOut = -1;
    int FErr = -1;
    bool FEnded = false;
    std::string FPending;
    std::string FErrors;
};
