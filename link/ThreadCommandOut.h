// TCommandOut: a short-lived thread that writes a list of command texts to
// the port, so the user-interface thread never waits on the serial line.
//
// Each line's purge and write happen under one lock shared by every sender,
// so two senders started in quick succession never interleave their bytes or
// purge each other's output. A line longer than MaxLineChars is refused whole.
// Each line goes out completed (CommandText.h): an NMEA text with its checksum
// and line end; one whose checksum digits are wrong is refused, and the user
// is told through the message sink.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "thread/YThread.h"

class MessageSink;
class YComPort;
struct UbxRestartRequests;

class TCommandOut : public YThread {
  public:
    static constexpr size_t BufferSize = 100;
    static constexpr size_t MaxLineChars = BufferSize - 1;

    // Writes to `port` (none: nothing goes out, as on a closed port).
    TCommandOut(bool createSuspended, std::vector<std::string> lines, int32_t portNumber,
                YComPort* port);
    ~TCommandOut() override { Shutdown(); }

    // Pending u-blox restarts: the first line goes out as the frame of one.
    // Set before Start.
    void SetRestartRequests(UbxRestartRequests* requests) { FRestarts = requests; }
    // Where a failure the user must see goes (none: it is dropped). Set before Start.
    void SetMessages(MessageSink* messages) { FMessages = messages; }

    // Held until the last line and purge are done, so whoever handed it out
    // knows when this sender no longer uses the port. Set before Start.
    void SetCompletionToken(std::shared_ptr<void> token) { FCompletion = std::move(token); }

    // Lines refused for their length or a wrong checksum (read after the
    // thread has ended).
    int Refused() const { return FRefused.load(); }
    int32_t PortNumber() const { return FPortNumber; }

    // The lock every sender holds around one line's purge and write, so that
    // the lines of two senders never interleave on the port.
    static std::mutex& SendLock();

  protected:
    void Execute() override;

  private:
    void SendAll();
    void SendLine(const std::string& line, char* buffer);
    // Shows `text` to the user on the user-interface thread.
    void Tell(const std::string& text);

    const std::vector<std::string> FLines;
    const int32_t FPortNumber;
    YComPort* const FPort;
    UbxRestartRequests* FRestarts = nullptr;
    MessageSink* FMessages = nullptr;
    std::atomic<int> FRefused{0};
    std::shared_ptr<void> FCompletion;
};

// The most recently started sender; read only by its creator.
extern TCommandOut* CommandOut;

extern const char* const CommandOutMemoryText;
extern const char* const CommandOutMemoryCaption;
