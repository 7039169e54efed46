#include "link/Connection.h"

#include <thread>

#include "link/GpsConfig.h"
#include "link/ThreadCommandOut.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/YComPort.h"

namespace {
constexpr std::chrono::milliseconds PumpStep{5};
}  // namespace

ThreadTracker::ThreadTracker() : FCount(std::make_shared<Count>()) {}

std::shared_ptr<void> ThreadTracker::Token() {
    {
        std::lock_guard<std::mutex> hold(FCount->Lock);
        ++FCount->Running;
    }
    // The deleter runs when the last holder lets the token go.
    return std::shared_ptr<void>(nullptr, [count = FCount](void*) {
        std::lock_guard<std::mutex> hold(count->Lock);
        --count->Running;
        count->Changed.notify_all();
    });
}

int ThreadTracker::Running() const {
    std::lock_guard<std::mutex> hold(FCount->Lock);
    return FCount->Running;
}

bool ThreadTracker::WaitIdle(std::chrono::milliseconds limit,
                             const std::function<void()>& pump) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::unique_lock<std::mutex> hold(FCount->Lock);
    while (FCount->Running > 0) {
        if (std::chrono::steady_clock::now() >= end) return false;
        if (!pump) {
            FCount->Changed.wait_until(hold, end);
            continue;
        }
        FCount->Changed.wait_for(hold, PumpStep);
        hold.unlock();
        pump();
        hold.lock();
    }
    return true;
}

// The detection threads of one attempt reach the connection through this
// forwarder. Their work is queued, so it may arrive after the connection is
// gone or after a newer attempt started (the close step's changes landing on
// the next attempt): then it is dropped. Only the user-interface thread
// touches it.
class Connection::AttemptTarget : public DetectTarget {
  public:
    AttemptTarget(std::shared_ptr<Gate> gate, unsigned attempt)
        : FGate(std::move(gate)), FAttempt(attempt) {}

    void SelectPort(int index) override {
        if (ConnectionObserver* o = Observer()) o->SelectPort(index);
    }
    void SelectBaud(int index) override {
        if (ConnectionObserver* o = Observer()) o->SelectBaud(index);
    }
    // The caption follows the connection's state, not the thread.
    void SetButtonCaption(const std::string&) override {}
    void EnableWatchTimer() override {
        if (ConnectionObserver* o = Observer()) o->EnableWatchTimer();
    }
    void ClearProlificFound() override {
        if (ConnectionObserver* o = Observer()) o->ClearProlificFound();
    }
    void RefreshStatus() override {
        if (ConnectionObserver* o = Observer()) o->RefreshStatus();
    }
    void StopFixTimer() override {
        if (ConnectionObserver* o = Observer()) o->StopFixTimer();
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        if (ConnectionObserver* o = Observer()) o->ShowMessage(text, caption);
    }
    void Note(const std::string& line) override {
        if (ConnectionObserver* o = Observer()) o->Note(line);
    }
    void Trying(const Source& port, int32_t rate) override {
        if (Connection* c = Live()) c->OnTrying(port, rate);
    }
    void Accepted(const Source& port, int32_t rate) override {
        if (Connection* c = Live()) c->OnAccepted(port, rate);
    }
    void DetectionFailed() override {
        if (Connection* c = Live()) c->OnDetectionFailed();
    }

  private:
    Connection* Live() const {
        Connection* owner = FGate->Owner;
        return owner && owner->FAttempt == FAttempt ? owner : nullptr;
    }
    ConnectionObserver* Observer() const {
        Connection* owner = Live();
        return owner ? owner->FObserver : nullptr;
    }

    std::shared_ptr<Gate> FGate;
    unsigned FAttempt;
};

Connection::Connection(GPSConfig& config, YComPort* port)
    : FConfig(config), FPort(port), FGate(std::make_shared<Gate>()) {
    FGate->Owner = this;
}

Connection::~Connection() {
    Shutdown();
    FGate->Owner = nullptr;
}

bool Connection::Started() const {
    return FState == LinkState::Detecting || FState == LinkState::Connected ||
           FState == LinkState::LinkDown;
}

void Connection::SetState(LinkState state) {
    FState = state;
    if (FObserver) FObserver->StateChanged(state);
}

void Connection::EndThreads() {
    if (FDetect) {
        // A probe under way finishes first; the thread only queues work for
        // this thread, so waiting here cannot deadlock.
        FDetect->Resume();
        FDetect->Terminate();
        FDetect->WaitFor();
        FDetect.reset();
    }
    if (TNmeaFetch* reader = FReader) {
        FReader = nullptr;
        // Terminate also releases a reader still held suspended; it frees
        // itself, so nothing may touch it afterwards.
        reader->Terminate();
    }
}

void Connection::FinishCloseStep() {
    // Its one ClosePort runs to the end: a new attempt must find the port closed.
    if (!FCloseStep) return;
    FCloseStep->WaitFor();
    FCloseStep.reset();
}

bool Connection::Open(DetectLists lists, int32_t mode) {
    StopSender(true);
    EndThreads();
    FinishCloseStep();
    ++FAttempt;
    FShown = {};
    SetState(LinkState::Detecting);
    try {
        // The reader exists, started but suspended, before the detection
        // thread that releases it once a receiver answers.
        TNmeaFetch* reader = FMakeReader ? FMakeReader() : nullptr;
        if (reader) {
            reader->SetCompletionToken(FReaders.Token());
            reader->SetDeviceGoneHook([gate = FGate, attempt = FAttempt] {
                Connection* owner = gate->Owner;
                if (owner && owner->FAttempt == attempt) owner->OnDeviceGone();
            });
            reader->SetReconnect(
                [gate = FGate, attempt = FAttempt](const TNmeaFetch::LinkAttempt& tried) {
                    Connection* owner = gate->Owner;
                    if (owner && owner->FAttempt == attempt) owner->OnLinkAttempt(tried);
                });
            FReader = reader;
            reader->Start();
        }
        FDetect = std::make_unique<TGpsDeviceDetect>(
            false, std::move(lists), mode, std::make_shared<AttemptTarget>(FGate, FAttempt),
            FConfig, FPort, reader);
        FDetect->Start();
    } catch (const std::exception&) {
        SetState(LinkState::Failed);
        return false;
    }
    return true;
}

void Connection::Close() {
    StopSender(true);
    EndThreads();
    FinishCloseStep();
    FCloseStep = std::make_unique<TGpsDeviceDetect>(
        false, DetectLists{}, ModeClose, std::make_shared<AttemptTarget>(FGate, FAttempt), FConfig,
        FPort, nullptr);
    FCloseStep->Start();
    FConfig.SetPortOpen(false);
    SetState(LinkState::Idle);
}

bool Connection::Shutdown(std::chrono::milliseconds limit) {
    StopSender(false);
    EndThreads();
    FinishCloseStep();
    ClosePort(FPort);
    FConfig.SetPortOpen(false);
    // The user-interface thread keeps running its queue (the readers' last
    // hand-offs) while the readers end.
    const bool readersEnded = FReaders.WaitIdle(limit, FPump);
    FState = LinkState::Idle;  // nobody is told: the program or the window is ending
    return readersEnded;
}

void Connection::StopSender(bool tell) {
    if (!FSender) return;
    const size_t dropped = FSender->Stop();
    if (tell && dropped > 0 && FObserver)
        FObserver->Note("*** " + std::to_string(dropped) +
                        (dropped == 1 ? " command" : " commands") + CommandsDroppedText);
    FSender.reset();  // waits for the write under way
}

bool Connection::Send(std::vector<std::string> lines) {
    return SubmitTexts(lines, true);
}

bool Connection::Poll(std::vector<std::string> lines) {
    return SubmitTexts(lines, false);
}

bool Connection::SubmitTexts(const std::vector<std::string>& lines, bool awaitAnswer) {
    std::vector<Command> commands;
    commands.reserve(lines.size());
    for (const std::string& line : lines) {
        std::optional<Command> command = CommandFromText(line);
        if (!command) continue;
        command->AwaitAnswer = awaitAnswer;
        commands.push_back(std::move(*command));
    }
    return Submit(std::move(commands));
}

bool Connection::Submit(std::vector<Command> commands) {
    if (!FConfig.IsPortOpen()) return false;
    if (!FSender) {
        auto sender = std::make_unique<TCommandOut>(FPort);
        sender->SetMessages(FMessages);
        sender->SetAnswerWatch(FAnswers);
        sender->Start();
        FSender = std::move(sender);
    }
    return FSender->Submit(std::move(commands));
}

bool Connection::FollowRate(int32_t baud) {
    if (!FConfig.IsPortOpen() || baud <= 0 || !FPort->ChangeRate(static_cast<uint32_t>(baud)))
        return false;
    FConfig.BaudRate = baud;
    if (FShown.Known) FShown.Rate = baud;
    if (FObserver) FObserver->RefreshStatus();
    return true;
}

bool Connection::CanSend() const {
    return FConfig.IsPortOpen();
}

bool Connection::WaitSendersIdle(std::chrono::milliseconds limit) const {
    return !FSender || FSender->WaitIdle(limit);
}

void Connection::OnTrying(const Source& port, int32_t rate) {
    if (FState != LinkState::Detecting) return;
    FShown = {true, port, rate};
    if (FObserver) FObserver->RefreshStatus();
}

void Connection::OnAccepted(const Source& port, int32_t rate) {
    if (FState != LinkState::Detecting) return;
    FShown = {true, port, rate};
    SetState(LinkState::Connected);
    if (!FIdentityPoll.empty()) Poll({FIdentityPoll});
}

void Connection::OnDetectionFailed() {
    if (FState == LinkState::Detecting) SetState(LinkState::Failed);
}

void Connection::OnDeviceGone() {
    if (FState != LinkState::Connected) return;
    FConfig.SetPortOpen(false);
    SetState(LinkState::LinkDown);
}

void Connection::OnLinkAttempt(const TNmeaFetch::LinkAttempt& attempt) {
    if (FState != LinkState::LinkDown) return;
    std::string line = "*** Reconnection attempt " + std::to_string(attempt.Number);
    if (attempt.Back)
        line += ": the link is back.";
    else
        line += " failed: " + attempt.Error + ". Next attempt in " +
                std::to_string(attempt.NextWaitS) + " s.";
    if (FObserver) FObserver->Note(line);
    if (!attempt.Back) return;
    FConfig.SetPortOpen(true);
    SetState(LinkState::Connected);
}

const char* LinkStateName(LinkState state) {
    switch (state) {
        case LinkState::Idle:
            return "Idle";
        case LinkState::Detecting:
            return "Detecting";
        case LinkState::Connected:
            return "Connected";
        case LinkState::LinkDown:
            return "LinkDown";
        case LinkState::Failed:
            return "Failed";
    }
    return "";
}
