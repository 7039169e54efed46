#include "link/ThreadNMEAFetch.h"

#include <mutex>

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

constexpr uint8_t UbxAckClass = 0x05;
constexpr uint8_t UbxMonClass = 0x0A;
constexpr uint8_t UbxMonVerId = 0x04;

}  // namespace

TNmeaFetch::TNmeaFetch(bool createSuspended, RefreshHook refresh)
    : YThread(createSuspended),
      FRefresh(std::move(refresh)),
      FFrame(std::make_unique<framing::UbxFrameBuffer>()) {
    FCurrentSentence.reserve(SentenceBufferSize);
}

void TNmeaFetch::Execute() {
    ReadUntilTerminated();
    FCompletion.reset();
}

void TNmeaFetch::ReadUntilTerminated() {
    if (!FPort || !FStore) return;
    while (SafePoint()) {
        uint16_t length = 0;
        const RecordKind kind =
            FPort->ReadRecord(FSentence, length, FFrame.get(), TerminatedFlag());
        FLength = length;
        NoteDeviceState();
        if (kind == RecordKind::Ubx)
            HandleUbxFrame();
        else if (FLength != 0)
            HandleSentence();
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

void TNmeaFetch::HandleUbxFrame() {
    const bool shown = FConsole && !DisplayPaused();
    UbxDispatchResult result;
    {
        std::lock_guard<std::mutex> guard(FStore->Lock());
        result = DispatchUbx(FFrame->Bytes, FFrame->Size, *FStore);
        if (shown) UbxConsoleLine(result, *FStore, FCurrentSentence);
    }
    if (shown) Synchronize([this] { FConsole(FCurrentSentence); });
    if (FUbxHook) FUbxHook(result);
    TellUbxEvents(result);
    if (result.Refresh && FRefresh) Synchronize(FRefresh);
}

// Only this thread writes the store, so it reads the records without the lock.
void TNmeaFetch::TellUbxEvents(const UbxDispatchResult& result) {
    if (!result.Decoded) return;
    const UbxState& ubx = FStore->Ubx;
    if (result.Class == UbxAckClass && FOnAnswer)
        Queue([hook = FOnAnswer, answer = ubx.LastAnswer] { hook(answer); });
    if (result.Class == UbxMonClass && result.Id == UbxMonVerId && FOnIdentity)
        Queue(
            [hook = FOnIdentity, identity = UbxReceiverIdentity(ubx.Version)] { hook(identity); });
}
