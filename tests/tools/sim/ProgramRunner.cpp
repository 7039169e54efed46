#include "ProgramRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <thread>

using namespace std::chrono;

Program::Program(std::vector<std::string> args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    FPid = fork();
    if (FPid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    FOut = out[0];
    FErr = err[0];
    fcntl(FOut, F_SETFL, O_NONBLOCK);
    fcntl(FErr, F_SETFL, O_NONBLOCK);
}

Program::~Program() {
    if (FPid > 0 && !FExited) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    if (FOut >= 0) close(FOut);
    if (FErr >= 0) close(FErr);
}

std::string Program::FirstLine(milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (FOutText.find('\n') == std::string::npos && steady_clock::now() < deadline) {
        Drain(FOut, FOutText);
        std::this_thread::sleep_for(milliseconds(5));
    }
    const size_t nl = FOutText.find('\n');
    return nl == std::string::npos ? "" : FOutText.substr(0, nl);
}

int Program::Wait(milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (steady_clock::now() < deadline) {
        Drain(FOut, FOutText);
        Drain(FErr, FErrText);
        int status = 0;
        if (waitpid(FPid, &status, WNOHANG) == FPid) {
            FExited = true;
            Drain(FOut, FOutText);
            Drain(FErr, FErrText);
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    return -1;
}

void Program::Signal(int sig) {
    kill(FPid, sig);
}

std::string Program::Out() {
    Drain(FOut, FOutText);
    return FOutText;
}

std::string Program::Err() {
    Drain(FErr, FErrText);
    return FErrText;
}

void Program::Drain(int fd, std::string& into) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) into.append(buffer, static_cast<size_t>(n));
}
