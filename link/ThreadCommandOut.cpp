#include "link/ThreadCommandOut.h"

#include "link/CommandText.h"
#include "link/MessageSink.h"
#include "link/UbxAnswerWatch.h"
#include "serial/YComPort.h"

const char* const CommandsDroppedText = " not sent: the link was closed.";

TCommandOut::TCommandOut(YComPort* port) : YThread(false), FPort(port) {}

TCommandOut::~TCommandOut() {
    Stop();
    Shutdown();
}

bool TCommandOut::Submit(std::vector<Command> commands) {
    {
        std::lock_guard<std::mutex> hold(FLock);
        if (FStopping) return false;
        for (Command& command : commands) FQueue.push_back(std::move(command));
    }
    FChanged.notify_all();
    return true;
}

size_t TCommandOut::Stop() {
    size_t dropped = 0;
    {
        std::lock_guard<std::mutex> hold(FLock);
        FStopping = true;
        dropped = FQueue.size();
        FQueue.clear();
    }
    FChanged.notify_all();
    Terminate();
    return dropped;
}

bool TCommandOut::WaitIdle(std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> hold(FLock);
    return FChanged.wait_for(hold, limit, [this] { return FQueue.empty() && !FBusy; });
}

size_t TCommandOut::Pending() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FQueue.size();
}

void TCommandOut::Execute() {
    Command command;
    while (Next(command)) {
        SendOne(command);
        Done();
    }
}

bool TCommandOut::Next(Command& command) {
    std::unique_lock<std::mutex> hold(FLock);
    FChanged.wait(hold, [this] { return FStopping || !FQueue.empty(); });
    if (FStopping) return false;
    command = std::move(FQueue.front());
    FQueue.pop_front();
    FBusy = true;
    return true;
}

void TCommandOut::Done() {
    {
        std::lock_guard<std::mutex> hold(FLock);
        FBusy = false;
    }
    FChanged.notify_all();
}

void TCommandOut::SendOne(const Command& command) {
    if (const auto* text = std::get_if<NmeaText>(&command.Value)) {
        SendText(*text);
        return;
    }
    const std::vector<uint8_t> bytes = FrameWireBytes(command);
    if (bytes.empty()) {
        ++FRefused;
        return;
    }
    if (std::holds_alternative<RawBytes>(command.Value))
        FRawSent = true;
    else if (!FRawSent)
        PurgePort(FPort, PurgeTransmit);
    const int written = Write(bytes.data(), bytes.size());
    const auto* frame = std::get_if<UbxFrame>(&command.Value);
    if (frame && command.AwaitAnswer && FAnswers && written > 0)
        FAnswers->Expect(frame->Class, frame->Id, UbxAnswerWatch::Clock::now());
}

void TCommandOut::SendText(const NmeaText& text) {
    const CommandWireText wire = CompleteCommandText(text.Text);
    if (!wire.Ok) {
        ++FRefused;
        Tell(wire.Refusal);
        return;
    }
    PurgePort(FPort, FRawSent ? PurgeReceive : PurgeBoth);
    Write(reinterpret_cast<const uint8_t*>(wire.Text.data()), wire.Text.size());
}

int TCommandOut::Write(const uint8_t* bytes, size_t count) {
    return FPort ? FPort->WriteBytes(bytes, count) : SendPortClosed;
}

void TCommandOut::Tell(const std::string& text) {
    Queue([messages = FMessages, text] {
        if (messages) messages->ShowMessage(text, CommandRefusedCaption);
    });
}
