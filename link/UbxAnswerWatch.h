// Watches the receiver's answers to the UBX frames the monitor sends: each
// frame sent is expected to be acknowledged (ACK-ACK) or refused (ACK-NAK)
// within AnswerLimit, and each outcome, silence included, is reported as one
// short line ("UBX CFG-MSG acknowledged", "UBX CFG-RATE refused",
// "UBX CFG-RST: no answer"). Used on the user-interface thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

class UbxAnswerWatch {
  public:
    using Clock = std::chrono::steady_clock;
    using Report = std::function<void(const std::string&)>;
    static constexpr std::chrono::milliseconds AnswerLimit{1000};

    void SetReport(Report report) { FReport = std::move(report); }
    // A command text as sent ("B562" and hex pairs); other texts are not watched.
    void ExpectText(std::string_view text, Clock::time_point now);
    void Expect(uint8_t messageClass, uint8_t id, Clock::time_point now);
    // An ACK-ACK (acknowledged) or ACK-NAK naming a message: settles the
    // oldest frame of that message still waiting.
    void Answered(bool acknowledged, uint8_t messageClass, uint8_t id);
    // Reports the frames whose time to answer has run out.
    void Tick(Clock::time_point now);
    size_t Waiting() const { return FWaiting.size(); }

  private:
    struct Awaited {
        uint8_t Class;
        uint8_t Id;
        Clock::time_point Deadline;
    };
    void Tell(uint8_t messageClass, uint8_t id, const char* outcome);

    std::deque<Awaited> FWaiting;
    Report FReport;
};
