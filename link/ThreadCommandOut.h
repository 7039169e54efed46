// TCommandOut: the one command sender of a connection. A long-lived thread
// takes commands from a first-in first-out queue and writes each whole, in
// the order they were submitted, so the user-interface thread never waits on
// the line and no two commands are reordered or interleaved. The commands of
// one Submit go out back to back, whatever other threads submit meanwhile.
//
// Before each command the port's transmit side is purged, and before an NMEA
// text its receive side too; a UBX frame keeps the receive side, where the
// answer to the frame before may already sit. Raw bytes (corrections) are
// never purged: once some went out, no transmit purge runs on the link
// again, as the transmit side may still hold corrections on their way to
// the receiver. An NMEA text goes out completed
// (CommandText.h); one whose checksum digits are wrong is refused and the
// user is told through the message sink. Each UBX frame that awaits its
// answer is registered with the answer watch the moment it is written.
//
// Owner and lifetime: the connection makes it, starts it and ends it: Stop
// drops the commands still queued (never sent on a later link) and asks the
// thread to end; deleting it waits for the write under way, which finishes
// within the port's write limit. Nothing is submitted after Stop.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "link/Command.h"
#include "thread/YThread.h"

class MessageSink;
class UbxAnswerWatch;
class YComPort;

class TCommandOut : public YThread {
  public:
    // Writes to `port` (none: nothing goes out, as on a closed port).
    explicit TCommandOut(YComPort* port);
    ~TCommandOut() override;

    // Where a failure the user must see goes (none: it is dropped). Set before Start.
    void SetMessages(MessageSink* messages) { FMessages = messages; }
    // Where each UBX frame awaiting its answer is registered. Set before Start.
    void SetAnswerWatch(UbxAnswerWatch* watch) { FAnswers = watch; }

    // Appends `commands` to the queue, back to back; false (nothing queued)
    // once stopped. Any thread.
    bool Submit(std::vector<Command> commands);
    // Drops what is queued and asks the thread to end once the write under
    // way is over, without waiting; the number of commands dropped. WaitFor
    // (or the destructor) then waits for the thread.
    size_t Stop();
    // Waits until the queue is empty and nothing is being written; false
    // when that takes longer than `limit`.
    bool WaitIdle(std::chrono::milliseconds limit) const;
    // Commands queued and not yet taken up.
    size_t Pending() const;
    // Commands refused for a wrong checksum or an empty encoding.
    int Refused() const { return FRefused.load(); }

  protected:
    void Execute() override;

  private:
    // The next command, waiting for one; false once stopping.
    bool Next(Command& command);
    void Done();
    void SendOne(const Command& command);
    void SendText(const NmeaText& text);
    // The bytes written, or a SendPortClosed/SendTimedOut result.
    int Write(const uint8_t* bytes, size_t count);
    // Shows `text` to the user on the user-interface thread.
    void Tell(const std::string& text);

    YComPort* const FPort;
    MessageSink* FMessages = nullptr;
    UbxAnswerWatch* FAnswers = nullptr;
    std::atomic<int> FRefused{0};
    bool FRawSent = false;  // the sender's thread only

    mutable std::mutex FLock;
    mutable std::condition_variable FChanged;
    std::deque<Command> FQueue;
    bool FBusy = false;  // a command taken from the queue is being written
    bool FStopping = false;
};

extern const char* const CommandsDroppedText;
