#include "link/ThreadNMEAFetch.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "link/DisplayFeed.h"
#include "link/GpsConfig.h"
#include "serial/YComPort.h"

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
      FRtcmFrame(std::make_unique<framing::RtcmFrameBuffer>()) {}

void TNmeaFetch::Execute() {
    ReadUntilTerminated();
    FCompletion.reset();
}

void TNmeaFetch::ReadUntilTerminated() {
    if (!FPort || !FStore) return;
    FDisplay = std::make_shared<Display>(FConsoleLines, FConsole, FRefresh, FPace);
    FIntake = std::make_unique<Intake>(*FStore);
    NewLink();
    for (;;) {
        // Termination ends the reading, not the decoding: the records in what
        // the port has already read are handled before the thread ends.
        const bool reading = SafePoint();
        if (!reading && !FPort->HasUnframedBytes()) break;
        uint16_t length = 0;
        const RecordKind kind =
            reading ? FPort->ReadRecord(FSentence, length, FFrame.get(), FRtcmFrame.get(),
                                        TerminatedFlag())
                    : FPort->ReadUnframedRecord(FSentence, length, FFrame.get(), FRtcmFrame.get());
        FLength = length;
        NoteDeviceState();
        Take(kind);
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

// What the intake tells the reader: console lines and refreshes through the
// display feed, the rest queued behind it to the user-interface thread.
class TNmeaFetch::Sinks final : public IntakeSinks {
  public:
    explicit Sinks(TNmeaFetch& reader) : R(reader) {}

    bool WantsConsole() override { return R.FConsole && !R.DisplayPaused(); }
    void ConsoleLine(const std::string& line) override { R.ShowLine(line); }
    void Purge() override { R.FPort->PurgePort(PurgeBoth); }
    void CaptureFailed() override {
        if (R.FOnCaptureFailed) R.QueueAfterDisplay(R.FOnCaptureFailed);
    }
    void UbxAnswer(const UbxAckRecord& answer) override {
        if (R.FOnAnswer) R.QueueAfterDisplay([hook = R.FOnAnswer, answer] { hook(answer); });
    }
    void UbxIdentity(const UbxVersionRecord& version) override {
        if (R.FOnIdentity)
            R.QueueAfterDisplay([hook = R.FOnIdentity, identity = UbxReceiverIdentity(version)] {
                hook(identity);
            });
    }
    void UbxSetting(const UbxSettingAnswer& answer) override {
        if (R.FOnSetting) R.QueueAfterDisplay([hook = R.FOnSetting, answer] { hook(answer); });
    }
    void UbxKeyValues(const UbxKeyValuesRecord& values) override {
        if (R.FOnKeyValues) R.QueueAfterDisplay([hook = R.FOnKeyValues, values] { hook(values); });
    }
    void Refresh() override {
        if (R.FRefresh) R.AskRefresh();
    }

  private:
    TNmeaFetch& R;
};

void TNmeaFetch::Take(RecordKind kind) {
    const framing::FramerState framer = FPort->Framer();
    FramedRecord record = RecordOf(kind, FSentence, static_cast<uint16_t>(FLength), FFrame.get(),
                                   FRtcmFrame.get(), &framer);
    if (kind == RecordKind::Rtcm) record.ArrivalS = ArrivalClockS();
    Sinks sinks(*this);
    const IntakeResult result = FIntake->Feed(record, sinks);
    if (!result.Sentence.empty() && FSentenceHook) FSentenceHook(result.Sentence, result.Dispatch);
    if (kind == RecordKind::Ubx && FUbxHook) FUbxHook(result.Ubx);
    if (kind == RecordKind::Rtcm && FRtcmHook) FRtcmHook(result.Rtcm);
}
