// The demo receiver behind --demo: a simulated GPS receiver on a
// pseudo-terminal in this process. The monitor knows only this interface;
// the program links its implementation (the receiver simulator, or none on
// a platform without pseudo-terminals).
#pragma once

#include <memory>
#include <string>

class DemoReceiver {
  public:
    virtual ~DemoReceiver() = default;
    // The pseudo-terminal's slave side, the port the monitor connects to.
    virtual std::string SlavePath() const = 0;
};

// False where the program has no demo receiver.
bool DemoReceiverAvailable();
// A running demo receiver at `baud`; null with `error` set when it cannot start.
std::unique_ptr<DemoReceiver> StartDemoReceiver(unsigned long baud, std::string& error);
