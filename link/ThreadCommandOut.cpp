#include "link/ThreadCommandOut.h"

#include <cstring>
#include <memory>
#include <new>

#include "link/CommandText.h"
#include "link/MessageSink.h"
#include "link/UbxRestart.h"
#include "serial/YComPort.h"

TCommandOut* CommandOut = nullptr;
MessageSink* SerialMessages = nullptr;

const char* const CommandOutMemoryText = "Not enough memory to allocate buffer";
const char* const CommandOutMemoryCaption = "error message";

TCommandOut::TCommandOut(bool createSuspended, std::vector<std::string> lines, int32_t portNumber,
                         YComPort* port)
    : YThread(createSuspended), FLines(std::move(lines)), FPortNumber(portNumber), FPort(port) {}

std::mutex& TCommandOut::SendLock() {
    static std::mutex lock;
    return lock;
}

void TCommandOut::Execute() {
    SendAll();
    FCompletion.reset();
}

void TCommandOut::SendAll() {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[BufferSize]);
    if (!buffer) {
        Queue([messages = FMessages] {
            if (messages) messages->ShowMessage(CommandOutMemoryText, CommandOutMemoryCaption);
        });
        return;  // nothing is sent without the buffer
    }
    for (const std::string& line : FLines) SendLine(line, buffer.get());
    buffer.reset();
    std::lock_guard<std::mutex> sending(SendLock());
    PurgePort(FPort, PurgeTransmit);
}

void TCommandOut::SendLine(const std::string& line, char* buffer) {
    if (line.size() > MaxLineChars) {
        ++FRefused;
        return;
    }
    std::memset(buffer, 0, BufferSize);
    std::memcpy(buffer, line.data(), line.size());
    std::unique_lock<std::mutex> sending(SendLock());
    const CommandWireText wire =
        CompleteCommandText(FRestarts ? FRestarts->Apply(buffer) : std::string_view(buffer));
    if (!wire.Ok) {
        sending.unlock();
        ++FRefused;
        Tell(wire.Refusal);
        return;
    }
    // The receive side is kept before a UBX frame: the answer to the frame
    // before may already sit there, and the user is shown every answer.
    const bool ubx = wire.Text.compare(0, UbxSyncText.size(), UbxSyncText) == 0;
    PurgePort(FPort, ubx ? PurgeTransmit : PurgeBoth);
    SendCommandText(FPort, wire.Text);
}

void TCommandOut::Tell(const std::string& text) {
    Queue([messages = FMessages, text] {
        if (messages) messages->ShowMessage(text, CommandRefusedCaption);
    });
}
