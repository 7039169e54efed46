// The receiver's side of the control protocols: what each u-blox CFG frame and
// each SiRF input sentence does to the output and to acquisition, and what the
// receiver answers (UBX ACK-ACK or ACK-NAK, poll replies; SiRF sends none).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/sim/CommandParser.h"
#include "tools/sim/Interference.h"
#include "tools/sim/KeyControl.h"
#include "tools/sim/OutputSchedule.h"
#include "tools/sim/ReceiverModel.h"

struct ControlOutcome {
    std::vector<std::string> Replies;  // binary frames to send between sentences
    std::optional<StartKind> Restart;
    std::string Log;  // one line saying what was received and done
    bool Acked = false;
    bool Naked = false;
    unsigned long NewBaud = 0;  // the line rate to change to once the replies are out; 0: none
};

class ReceiverControl {
  public:
    static constexpr unsigned DefaultPeriodMs = 1000;
    static constexpr unsigned MinPeriodMs = 25;
    static constexpr int UartTarget = 1;  // the I/O target this port stands for

    explicit ReceiverControl(bool zda, const InterferenceSettings& health = {})
        : FZda(zda), FSchedule(zda), FHealthRates(health) {}

    ControlOutcome Apply(const ReceivedCommand& command);
    // A message to refuse whatever it holds, as (class << 8) | id; 0: none.
    void SetRefused(uint16_t message) { FRefused = message; }
    // The receiver generation simulated: from 9 on it keeps keys (at `baud`
    // on UART1), from 10 on it refuses CFG-MSG and CFG-RATE.
    void SetGeneration(int generation, unsigned long baud);

    const OutputSchedule& Schedule() const { return FSchedule; }
    OutputSchedule& Schedule() { return FSchedule; }
    unsigned PeriodMs() const { return FPeriodMs; }
    const HealthRates& Health() const { return FHealthRates; }

  private:
    ControlOutcome ApplyUbx(const UbxMessage& m);
    ControlOutcome CfgRst(const UbxMessage& m);
    ControlOutcome CfgMsg(const UbxMessage& m);
    ControlOutcome CfgRate(const UbxMessage& m);
    ControlOutcome CfgMsgHealth(const UbxMessage& m);
    ControlOutcome ApplyText(const std::string& body);
    ControlOutcome Psrf104(const std::vector<std::string>& fields);
    ControlOutcome Psrf103(const std::vector<std::string>& fields);
    void FactoryReset();

    bool FZda;
    OutputSchedule FSchedule;
    unsigned FPeriodMs = DefaultPeriodMs;
    uint16_t FRefused = 0;
    HealthRates FHealthRates;
    int FGeneration = 8;
    std::unique_ptr<KeyControl> FKeys;
};
