#include "link/ThreadNMEAFetch.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "link/DisplayFeed.h"
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
constexpr uint8_t UbxCfgClass = 0x06;
constexpr uint8_t UbxCfgMsgId = 0x01;
constexpr uint8_t UbxCfgRateId = 0x08;
constexpr uint8_t UbxCfgValGetId = 0x8B;

}  // namespace

// The feed and the hooks that empty it, shared with the hand-offs queued to
// the user-interface thread: they may run after the reader has freed itself.
struct TNmeaFetch::Display {
    Display(size_t lineLimit, ConsoleHook console, RefreshHook refresh, PaceHook pace)
        : Feed(lineLimit),
          Console(std::move(console)),
          Refresh(std::move(refresh)),
          Pace(std::move(pace)) {}

    // On the user-interface thread: the console first, then the views.
    void HandOver() {
        const DisplayFeed::Batch batch = Feed.Take();
        if (Console && (!batch.Lines.empty() || batch.NotShown != 0))
            Console(batch.Lines, batch.NotShown);
        if (batch.Refresh && Refresh) Refresh();
    }

    DisplayFeed Feed;
    const ConsoleHook Console;
    const RefreshHook Refresh;
    const PaceHook Pace;
};

TNmeaFetch::TNmeaFetch(bool createSuspended, RefreshHook refresh)
    : YThread(createSuspended),
      FRefresh(std::move(refresh)),
      FFrame(std::make_unique<framing::UbxFrameBuffer>()),
      FRtcmFrame(std::make_unique<framing::RtcmFrameBuffer>()) {
    FCurrentSentence.reserve(SentenceBufferSize);
}

void TNmeaFetch::Execute() {
    ReadUntilTerminated();
    FCompletion.reset();
}

void TNmeaFetch::ReadUntilTerminated() {
    if (!FPort || !FStore) return;
    FDisplay = std::make_shared<Display>(FConsoleLines, FConsole, FRefresh, FPace);
    NewLink();
    while (SafePoint()) {
        uint16_t length = 0;
        const RecordKind kind =
            FPort->ReadRecord(FSentence, length, FFrame.get(), FRtcmFrame.get(), TerminatedFlag());
        FLength = length;
        NoteDeviceState();
        if (kind == RecordKind::Ubx)
            HandleUbxFrame();
        else if (kind == RecordKind::Rtcm)
            HandleRtcmFrame();
        else if (FLength != 0)
            HandleSentence();
        else if (FPort->Framer().Bytes.Total() != FCountedBytes) {
            std::lock_guard<std::mutex> guard(FStore->Lock());
            CountBytes(kind, false);
        }
        if (DeviceGone() && FOnAttempt && FPort->IsLink()) Reconnect();
    }
}

double TNmeaFetch::ArrivalClockS() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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
        QueueAfterDisplay([hook = FOnAttempt, attempt] { hook(attempt); });
        if (attempt.Back) {
            FDeviceGone.store(false, std::memory_order_release);
            NewLink();
            return;
        }
    }
}

// A new link may send no checksums where the last one did (Dispatch.h), and
// what an earlier receiver told in UBX and RTCM 3 is not this one's (its time
// to first fix, its frame counts).
void TNmeaFetch::NewLink() {
    std::lock_guard<std::mutex> guard(FStore->Lock());
    FStore->ChecksumsSeen = false;
    FStore->Ubx.StartOver();
    FStore->Rtcm.StartOver();
}

void TNmeaFetch::NoteDeviceState() {
    const bool gone = FPort->DeviceGone();
    if (gone == DeviceGone()) return;
    FDeviceGone.store(gone, std::memory_order_release);
    if (gone && FOnDeviceGone) QueueAfterDisplay(FOnDeviceGone);
}

bool TNmeaFetch::DisplayPaused() const {
    return FConfig && FConfig->DisplayPaused.load(std::memory_order_relaxed);
}

void TNmeaFetch::WakeDisplay() {
    Queue([display = FDisplay] {
        if (display->Pace)
            display->Pace([display] { display->HandOver(); });
        else
            display->HandOver();
    });
}

void TNmeaFetch::ShowLine(const std::string& line) {
    if (FDisplay->Feed.AddLine(line)) WakeDisplay();
}

void TNmeaFetch::AskRefresh() {
    if (FDisplay->Feed.RequestRefresh()) WakeDisplay();
}

void TNmeaFetch::QueueAfterDisplay(std::function<void()> fn) {
    Queue([display = FDisplay, fn = std::move(fn)] {
        display->HandOver();
        fn();
    });
}

void TNmeaFetch::HandleSentence() {
    FCurrentSentence.assign(SentenceText(FSentence, FLength));
    if (FConsole && !DisplayPaused()) ShowLine(FCurrentSentence);

    DeferredPurge purge;
    DispatchResult result;
    {
        std::lock_guard<std::mutex> guard(FStore->Lock());
        result = DispatchSentence(FCurrentSentence, *FStore, &purge);
        CountBytes(RecordKind::Sentence, result.Valid);
    }
    result.CaptureFailed = CaptureSentence(FCurrentSentence, *FStore);
    if (purge.Requested) FPort->PurgePort(PurgeBoth);
    if (result.CaptureFailed && FOnCaptureFailed) QueueAfterDisplay(FOnCaptureFailed);
    if (FSentenceHook) FSentenceHook(FCurrentSentence, result);
    if (result.Refresh && FRefresh) AskRefresh();
}

void TNmeaFetch::HandleUbxFrame() {
    const bool shown = FConsole && !DisplayPaused();
    UbxDispatchResult result;
    {
        std::lock_guard<std::mutex> guard(FStore->Lock());
        result = DispatchUbx(FFrame->Bytes, FFrame->Size, *FStore);
        CountBytes(RecordKind::Ubx, false);
        if (shown) UbxConsoleLine(result, *FStore, FCurrentSentence);
    }
    if (shown) ShowLine(FCurrentSentence);
    if (CaptureUbxFrame(FFrame->Bytes, FFrame->Size, *FStore) && FOnCaptureFailed)
        QueueAfterDisplay(FOnCaptureFailed);
    if (FUbxHook) FUbxHook(result);
    TellUbxEvents(result);
    if (result.Refresh && FRefresh) AskRefresh();
}

// A frame of corrections for a receiver (a base station's output): counted
// by message number at its arrival on the monitor's clock, decoded into the
// store and shown as one console line, "RTCM 1077 (123 bytes)".
void TNmeaFetch::HandleRtcmFrame() {
    const framing::RtcmFrameInfo frame = FPort->Framer().Rtcm;
    RtcmFrameResult result;
    {
        std::lock_guard<std::mutex> guard(FStore->Lock());
        result =
            FStore->Rtcm.Take(FRtcmFrame->Payload(), FRtcmFrame->PayloadLength(), ArrivalClockS());
        CountBytes(RecordKind::Rtcm, false);
    }
    if (FRtcmHook) FRtcmHook(result);
    if (!FConsole || DisplayPaused()) return;
    ShowLine("RTCM " + std::to_string(frame.MessageNumber) + " (" +
             std::to_string(frame.PayloadLength) + " bytes)");
}

void TNmeaFetch::CountBytes(RecordKind kind, bool sound) {
    const framing::FramerState framer = FPort->Framer();
    FStore->Bytes.Framed(framer, kind, sound);
    FStore->Rtcm.Framed(framer);
    FCountedBytes = framer.Bytes.Total();
}

// Only this thread writes the store, so it reads the records without the lock.
void TNmeaFetch::TellUbxEvents(const UbxDispatchResult& result) {
    if (!result.Decoded) return;
    const UbxState& ubx = FStore->Ubx;
    if (result.Class == UbxAckClass && FOnAnswer)
        QueueAfterDisplay([hook = FOnAnswer, answer = ubx.LastAnswer] { hook(answer); });
    if (result.Class == UbxMonClass && result.Id == UbxMonVerId && FOnIdentity)
        QueueAfterDisplay(
            [hook = FOnIdentity, identity = UbxReceiverIdentity(ubx.Version)] { hook(identity); });
    if (result.Class == UbxCfgClass && (result.Id == UbxCfgMsgId || result.Id == UbxCfgRateId) &&
        FOnSetting) {
        UbxSettingAnswer answer;
        answer.IsRate = result.Id == UbxCfgRateId;
        answer.Msg = ubx.CfgMsg;
        answer.Rate = ubx.CfgRate;
        QueueAfterDisplay([hook = FOnSetting, answer] { hook(answer); });
    }
    if (result.Class == UbxCfgClass && result.Id == UbxCfgValGetId && FOnKeyValues)
        QueueAfterDisplay([hook = FOnKeyValues, values = ubx.KeyValues] { hook(values); });
}
