// A program run with its standard output and error on pipes, for the
// tests of the command-line tools.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <string>
#include <vector>

class Program {
  public:
    // args[0] is the program's path.
    explicit Program(std::vector<std::string> args);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The first line of standard output.
    std::string FirstLine(std::chrono::milliseconds timeout);
    // Waits for the end; the exit status, or -1 on time-out.
    int Wait(std::chrono::milliseconds timeout);
    void Signal(int sig);
    std::string Out();
    std::string Err();

  private:
    static void Drain(int fd, std::string& into);

    pid_t FPid = -1;
    bool FExited = false;
    int FOut = -1, FErr = -1;
    std::string FOutText, FErrText;
};
