// The simulator's end of the serial line: the master side of a
// pseudo-terminal, with the slave side kept open so that the rate the monitor
// sets on it can be read back (a pseudo-terminal itself ignores rates).
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <string>

class PtyLine {
  public:
    PtyLine() = default;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    ~PtyLine() { Close(); }

    // Opens the pseudo-terminal, puts the slave in raw mode and makes both
    // descriptors non-blocking. False with a reason on failure.
    bool Open(std::string& error);
    // Closes both sides: to the monitor the device is gone.
    void Close();
    bool IsOpen() const { return FMaster >= 0; }

    const std::string& SlavePath() const { return FSlavePath; }
    int MasterFd() const { return FMaster; }

    // The rate last set on the slave side, in bits per second; 0 when unknown.
    unsigned long SlaveBaud() const;

    // Non-blocking: the count written, 0 when the line is full, -1 on error.
    ssize_t Write(const char* data, size_t size);
    // Non-blocking: the count read, 0 when nothing is there, -1 on error.
    ssize_t Read(char* data, size_t size);
    // Drops what was written but not yet read on the slave side.
    void DropUnread();

  private:
    int FMaster = -1;
    int FSlave = -1;
    std::string FSlavePath;
};

// The termios speed constant for a rate, or 0 when the rate has none.
unsigned BaudConstant(unsigned long baud);
// The rate of a termios speed constant, or 0.
unsigned long BaudOfConstant(unsigned constant);
