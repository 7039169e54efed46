// Watches the receiver's answers to the UBX frames the monitor sends: each
// frame sent is expected to be acknowledged (ACK-ACK) or refused (ACK-NAK)
// within AnswerLimit, and each outcome, silence included, is reported as one
// short line ("UBX CFG-MSG acknowledged", "UBX CFG-RATE refused",
// "UBX CFG-RST: no answer"). The command sender registers each frame as it
// goes out, on its own thread; the answers and the ticks come on the
// user-interface thread, where every report is made.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class UbxAnswerWatch {
  public:
    using Clock = std::chrono::steady_clock;
    using Report = std::function<void(const std::string&)>;
    static constexpr std::chrono::milliseconds AnswerLimit{1000};

    // Set before any frame is sent.
    void SetReport(Report report) { FReport = std::move(report); }
    // A frame of the message went out at `now`. Any thread.
    void Expect(uint8_t messageClass, uint8_t id, Clock::time_point now);
    // An ACK-ACK (acknowledged) or ACK-NAK naming a message: settles the
    // oldest frame of that message still waiting.
    void Answered(bool acknowledged, uint8_t messageClass, uint8_t id);
    // Reports the frames whose time to answer has run out.
    void Tick(Clock::time_point now);
    size_t Waiting() const;

  private:
    struct Awaited {
        uint8_t Class;
        uint8_t Id;
        Clock::time_point Deadline;
    };
    void Tell(const std::vector<std::string>& lines) const;
    static std::string Line(uint8_t messageClass, uint8_t id, const char* outcome);

    mutable std::mutex FLock;
    std::deque<Awaited> FWaiting;  // in the order the frames went out
    Report FReport;
};
