#include "control/CommandSend.h"

#include <condition_variable>
#include <mutex>

#include "link/GpsConfig.h"
#include "link/MessageSink.h"
#include "link/ThreadCommandOut.h"
#include "link/ThreadNMEAFetch.h"
#include "link/UbxRestart.h"
#include "serial/YComPort.h"

namespace {
std::mutex SendersLock;
std::condition_variable SendersDone;
int RunningSenders = 0;

// A sender that reports when it no longer uses the port.
class CountedCommandOut : public TCommandOut {
  public:
    using TCommandOut::TCommandOut;
    ~CountedCommandOut() override { Shutdown(); }

  protected:
    void Execute() override {
        TCommandOut::Execute();
        std::lock_guard<std::mutex> lock(SendersLock);
        --RunningSenders;
        SendersDone.notify_all();
    }
};
}  // namespace

bool ReceiverConnected() {
    return NmeaFetch != nullptr && GpsConfig != nullptr && GpsConfig->IsPortOpen();
}

void StartCommandOut(std::vector<std::string> lines) {
    auto* sender =
        new CountedCommandOut(false, std::move(lines), GpsConfig->PortNumber.load(), ComPort);
    sender->SetRestartRequests(&UbxRestarts);
    sender->SetMessages(SerialMessages);
    sender->SetFreeOnTerminate(true);
    CommandOut = sender;
    {
        std::lock_guard<std::mutex> lock(SendersLock);
        ++RunningSenders;
    }
    sender->Start();
}

bool WaitCommandSendersIdle(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(SendersLock);
    return SendersDone.wait_for(lock, limit, [] { return RunningSenders == 0; });
}
