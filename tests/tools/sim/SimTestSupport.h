// Test helpers for the receiver simulator: the monitor's side of the
// pseudo-terminal, and a splitter of the received stream into NMEA sentences
// and UBX frames.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tools/sim/ReceiverSimulator.h"

// The slave side opened as the monitor opens a port: no controlling
// terminal, raw 8N1, the given rate.
class MonitorPort {
  public:
    MonitorPort() = default;
    MonitorPort(const MonitorPort&) = delete;
    MonitorPort& operator=(const MonitorPort&) = delete;
    ~MonitorPort() { Close(); }

    bool Open(const std::string& path, unsigned long baud);
    void Close();
    bool SetBaud(unsigned long baud);
    void Flush();
    bool Write(const std::string& bytes);
    // Reads for a while; the bytes that came.
    std::string ReadFor(std::chrono::milliseconds duration);
    // Reads until `done(all bytes so far)` or the time-out; false on time-out.
    bool ReadUntil(const std::function<bool(const std::string&)>& done,
                   std::chrono::milliseconds timeout, std::string& all);
    // Reads until the line goes away (read 0, EIO, POLLHUP); false on time-out.
    bool WaitForHangup(std::chrono::milliseconds timeout);

  private:
    int FFd = -1;
};

struct StreamPiece {
    enum Kind { Sentence, Ubx, Stray };
    Kind Type = Stray;
    std::string Bytes;  // a sentence with its CR LF; a whole UBX frame; stray bytes
};

// Splits bytes as they arrived. An incomplete piece at the end is left out.
std::vector<StreamPiece> SplitStream(const std::string& bytes);
std::vector<std::string> SentencesOf(const std::string& bytes);

// Checked here independently of the simulator's code: "$...*hh\r\n".
bool SentenceChecksumOk(const std::string& sentence);
// The comma-separated fields of a sentence, the type ("GPGGA") first, no checksum.
std::vector<std::string> Fields(const std::string& sentence);
std::string TypeOf(const std::string& sentence);  // "GPGGA"

// Bytes from upper-case hexadecimal text, as the monitor turns its UBX
// command texts into bytes.
std::string FromHex(const std::string& text);

// Options for a quick in-process receiver: 115200 baud, a fixed seed and time,
// delays shortened.
SimOptions FastOptions();

// A started simulator with a monitor port already at its rate, so nothing
// of its output is noise.
struct RunningSim {
    explicit RunningSim(const SimOptions& options);
    ~RunningSim() { Sim.Stop(); }
    ReceiverSimulator Sim;
    MonitorPort Port;
    bool Ok = false;
};

// Polls `done` until it holds or the time-out passes.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);
