// A receiver configured by keys: answers CFG-VALGET, CFG-VALSET and
// CFG-VALDEL from its key store, and makes the RAM values it runs by take
// effect: the NMEA output rates on UART1, the measurement period and UART1's
// line rate.
#pragma once

#include <optional>

#include "tools/sim/OutputSchedule.h"
#include "tools/sim/SimKeyStore.h"
#include "tools/sim/UbxFrame.h"

struct KeyOutcome {
    std::vector<std::string> Replies;  // the answer (VALGET) and the ACK or NAK
    std::string Log;
    bool Acked = false;
    unsigned long NewBaud = 0;  // UART1's new line rate, after the answer; 0: unchanged
};

class KeyControl {
  public:
    KeyControl(unsigned long baud, bool zda) : FKeys(baud, zda) { FKeys.SetCheck(Runnable); }

    // Whether the message is one of the key messages.
    static bool Handles(const UbxMessage& m);
    KeyOutcome Apply(const UbxMessage& m, OutputSchedule& schedule, unsigned& periodMs);

  private:
    // A value the receiver cannot run by: a line rate it lacks, a measurement
    // period under 25 ms.
    static bool Runnable(const ubxcfg::KeyValue& value);
    KeyOutcome Get(const UbxMessage& m);
    KeyOutcome Set(const UbxMessage& m, OutputSchedule& schedule, unsigned& periodMs);
    KeyOutcome Delete(const UbxMessage& m);

    SimKeyStore FKeys;
};
