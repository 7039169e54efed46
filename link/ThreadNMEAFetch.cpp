#include "link/ThreadNMEAFetch.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "link/GpsConfig.h"
#include "serial/YComPort.h"

TNmeaFetch* NmeaFetch = nullptr;

namespace {

// Dispatch asks for a purge while the store is locked; the purge itself may
// wait for a command being written, so it runs after the lock is released.
class DeferredPurge : public PortPurger {
  public:
    void PurgeBoth() override { Requested = true; }
    bool Requested = false;
};

}  // namespace

TNmeaFetch::TNmeaFetch(bool createSuspended, RefreshHook refresh)
    : YThread(createSuspended), FRefresh(std::move(refresh)) {
    FCurrentSentence.reserve(SentenceBufferSize);
}

void TNmeaFetch::Execute() {
    ReadUntilTerminated();
    FCompletion.reset();
}

void TNmeaFetch::ReadUntilTerminated() {
    if (!FPort || !FStore) return;
    while (SafePoint()) {
        FLength = FPort->ReadSentence(FSentence, TerminatedFlag());
        NoteDeviceState();
        if (FLength != 0) HandleSentence();
        if (DeviceGone() && FOnAttempt && FPort->IsLink()) Reconnect();
    }
}

unsigned TNmeaFetch::ReconnectWaitS(unsigned number) {
    unsigned wait = FirstReconnectWaitS;
    for (unsigned i = 1; i < number && wait < LongestReconnectWaitS; ++i) wait *= 2;
    return wait < LongestReconnectWaitS ? wait : LongestReconnectWaitS;
}

bool TNmeaFetch::WaitUnlessTerminated(unsigned seconds) {
    constexpr auto Step = std::chrono::milliseconds(20);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (Terminated()) return false;
        std::this_thread::sleep_for(Step);
    }
    return !Terminated();
}

void TNmeaFetch::Reconnect() {
    for (unsigned number = 1; WaitUnlessTerminated(ReconnectWaitS(number)); ++number) {
        LinkAttempt attempt;
        attempt.Number = number;
        attempt.Back = FPort->ReopenLink();
        if (!attempt.Back) {
            if (!FPort->IsLink()) return;  // closed meanwhile: nothing to reconnect
            attempt.Error = FPort->LastError();
            attempt.NextWaitS = ReconnectWaitS(number + 1);
        }
        Queue([hook = FOnAttempt, attempt] { hook(attempt); });
        if (attempt.Back) {
            FDeviceGone.store(false, std::memory_order_release);
            return;
        }
    }
}

void TNmeaFetch::NoteDeviceState() {
    const bool gone = FPort->DeviceGone();
    if (gone == DeviceGone()) return;
    FDeviceGone.store(gone, std::memory_order_release);
    if (gone && FOnDeviceGone) Queue(FOnDeviceGone);
}

bool TNmeaFetch::DisplayPaused() const {
    return FConfig && FConfig->DisplayPaused.load(std::memory_order_relaxed);
}

void TNmeaFetch::HandleSentence() {
    FCurrentSentence.assign(SentenceText(FSentence, FLength));
    if (FConsole && !DisplayPaused()) Synchronize([this] { FConsole(FCurrentSentence); });

    DeferredPurge purge;
    DispatchResult result;
    {
        std::lock_guard<std::mutex> guard(FStore->Lock());
        result = DispatchSentence(FCurrentSentence, *FStore, &purge);
    }
    result.CaptureFailed = CaptureSentence(FCurrentSentence, *FStore);
    if (purge.Requested) FPort->PurgePort(PurgeBoth);
    if (result.CaptureFailed && FOnCaptureFailed) Queue(FOnCaptureFailed);
    if (FSentenceHook) FSentenceHook(FCurrentSentence, result);
    if (result.Refresh && FRefresh) Synchronize(FRefresh);
}
