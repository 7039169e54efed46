// The program without a demo receiver (no pseudo-terminals on this platform).
#include "shell/DemoReceiver.h"

bool DemoReceiverAvailable() {
    return false;
}

std::unique_ptr<DemoReceiver> StartDemoReceiver(unsigned long, std::string& error) {
    error = "not available on this platform";
    return nullptr;
}
