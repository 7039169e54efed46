// The monitor's demo receiver: the receiver simulator on its own thread.
#include <utility>

#include "shell/DemoReceiver.h"
#include "tools/sim/ReceiverSimulator.h"

namespace {

class SimulatedDemoReceiver : public DemoReceiver {
  public:
    explicit SimulatedDemoReceiver(std::unique_ptr<ReceiverSimulator> receiver)
        : FReceiver(std::move(receiver)) {}
    std::string SlavePath() const override { return FReceiver->SlavePath(); }

  private:
    std::unique_ptr<ReceiverSimulator> FReceiver;
};

}  // namespace

bool DemoReceiverAvailable() {
    return true;
}

std::unique_ptr<DemoReceiver> StartDemoReceiver(unsigned long baud, std::string& error) {
    SimOptions options;
    options.Baud = baud;
    auto receiver = std::make_unique<ReceiverSimulator>(options);
    if (!receiver->Start(error)) return nullptr;
    return std::make_unique<SimulatedDemoReceiver>(std::move(receiver));
}
