// The connection to the receiver: everything one attempt runs, and one place
// that ends it. It owns the detection thread, the close step and the command
// sender, and tracks the reader (which frees itself) by a completion token.
// All of its members are called on the user-interface thread; the threads'
// changes reach it through the UiDispatcher queue, and changes that belong
// to an older attempt are dropped on arrival.
//
// States:
//   Idle       nothing runs (at start, after Close)        -> Detecting on Open
//   Detecting  the detection thread tries ports and rates  -> Connected, Failed, Idle
//   Connected  the port is open and the reader runs        -> LinkDown, Idle
//   LinkDown   the reader found the device gone            -> Idle on Close,
//              Connected when a link is reconnected
//   Failed     detection ended without a port             -> Detecting on Open, Idle
// Open from Failed ends the failed attempt's leftovers silently first.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/Command.h"
#include "link/ThreadGpsDeviceDetect.h"
#include "link/ThreadNMEAFetch.h"

class MessageSink;
class TCommandOut;
class YComPort;
struct GPSConfig;
class UbxAnswerWatch;

enum class LinkState { Idle, Detecting, Connected, LinkDown, Failed };

// Counts threads that free themselves: each holds a token while it uses the
// port and drops it when done.
class ThreadTracker {
  public:
    ThreadTracker();
    std::shared_ptr<void> Token();
    int Running() const;
    // Waits until no token is held, running `pump` between short waits (a
    // thread may be waiting for the user-interface thread); false when some
    // still run after `limit`.
    bool WaitIdle(std::chrono::milliseconds limit, const std::function<void()>& pump) const;

  private:
    struct Count {
        mutable std::mutex Lock;
        std::condition_variable Changed;
        int Running = 0;
    };
    std::shared_ptr<Count> FCount;
};

// What the port panel hears from the connection: the detection thread's
// changes of the current attempt and every change of state.
class ConnectionObserver : public DetectTarget {
  public:
    virtual void StateChanged(LinkState state) = 0;
};

class Connection {
  public:
    // Makes the reader of a new attempt: created suspended and not started.
    // The connection starts it, and the detection thread releases it once a
    // receiver answers. It frees itself when it ends.
    using ReaderFactory = std::function<TNmeaFetch*()>;

    // The port and rate the status bar shows: the link's while connected,
    // the current trial's while detecting. Known is false before any attempt.
    struct Endpoint {
        bool Known = false;
        Source Port;
        int32_t Rate = 0;
    };

    static constexpr std::chrono::milliseconds SenderLimit{2000};

    Connection(GPSConfig& config, YComPort* port);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void SetReaderFactory(ReaderFactory factory) { FMakeReader = std::move(factory); }
    void SetObserver(ConnectionObserver* observer) { FObserver = observer; }
    // The sink for the sender's failures.
    void SetMessages(MessageSink* messages) { FMessages = messages; }
    // Where the sender registers each UBX frame sent to await its answer.
    void SetAnswerWatch(UbxAnswerWatch* watch) { FAnswers = watch; }
    // A command text sent on each connecting (the receiver's identity poll);
    // it awaits no acknowledgement. Empty: none.
    void SetIdentityPoll(std::string text) { FIdentityPoll = std::move(text); }
    // Runs the user-interface thread's pending work while Shutdown waits.
    void SetEventPump(std::function<void()> pump) { FPump = std::move(pump); }

    // Starts a new attempt over `lists` in `mode` (a detection mode). From
    // Failed it first ends what the failed attempt left, without a word.
    // False when the threads could not be made (the state is then Failed).
    bool Open(DetectLists lists, int32_t mode);
    // Ends the attempt: detection (waited for), the reader, and the command
    // sender (its queued commands are dropped and the console is told how
    // many; the write under way finishes within the port's write limit),
    // then closes the port on the close step's thread. Idle afterwards.
    void Close();
    // Ends everything and waits for it (program exit, window teardown):
    // false when a thread still runs after `limit`.
    bool Shutdown(std::chrono::milliseconds limit = SenderLimit);

    // Queues `lines` (command texts, Command.h) on the link's command
    // sender, back to back and behind every command queued before; each UBX
    // frame's answer is awaited. A text over CommandTextLimit is left out.
    // False (nothing queued) while the port is not open.
    bool Send(std::vector<std::string> lines);
    // Whether Send would hand its lines on: the port is open.
    bool CanSend() const;
    // The same for polls, which are answered by the message asked for
    // rather than acknowledged: no answer is awaited.
    bool Poll(std::vector<std::string> lines);
    // Queues command values as they are (raw bytes, say, each one write).
    bool Submit(std::vector<Command> commands);
    // Follows the receiver to a new line rate it has acknowledged: the open
    // serial port is set to `baud` and the reader goes on at it. False for a
    // link or a closed port, or a rate the port cannot run at.
    bool FollowRate(int32_t baud);
    // Waits until the sender has written everything queued.
    bool WaitSendersIdle(std::chrono::milliseconds limit) const;
    int RunningReaders() const { return FReaders.Running(); }
    // The current attempt's threads (null when none): the detection thread,
    // the close step, the reader (it frees itself once asked to end) and
    // the command sender.
    const TGpsDeviceDetect* DetectThread() const { return FDetect.get(); }
    const TGpsDeviceDetect* CloseThread() const { return FCloseStep.get(); }
    TNmeaFetch* NmeaFetch() const { return FReader; }
    const TCommandOut* CommandOut() const { return FSender.get(); }
    // 1 while the link's command sender runs: from the first command after
    // the port opened until the attempt ends.
    int RunningSenders() const { return FSender ? 1 : 0; }

    LinkState State() const { return FState; }
    // An attempt is under way: detecting, connected or with its link down.
    bool Started() const;
    bool Connected() const { return FState == LinkState::Connected; }
    unsigned Attempt() const { return FAttempt; }
    Endpoint Shown() const { return FShown; }

  private:
    class AttemptTarget;
    struct Gate {
        Connection* Owner = nullptr;
    };

    // The one place the attempt's threads are ended: detection (waited for)
    // and the reader (asked to end; it frees itself).
    void EndThreads();
    // Ends the sender, dropping what it still holds; `tell`: the observer
    // hears how many commands were dropped.
    void StopSender(bool tell);
    bool SubmitTexts(const std::vector<std::string>& lines, bool awaitAnswer);
    void FinishCloseStep();
    void SetState(LinkState state);

    // The current attempt's events, on the user-interface thread.
    void OnTrying(const Source& port, int32_t rate);
    void OnAccepted(const Source& port, int32_t rate);
    void OnDetectionFailed();
    void OnDeviceGone();
    void OnLinkAttempt(const TNmeaFetch::LinkAttempt& attempt);

    GPSConfig& FConfig;
    YComPort* const FPort;
    ReaderFactory FMakeReader;
    ConnectionObserver* FObserver = nullptr;
    MessageSink* FMessages = nullptr;
    UbxAnswerWatch* FAnswers = nullptr;
    std::string FIdentityPoll;
    std::function<void()> FPump;

    LinkState FState = LinkState::Idle;
    unsigned FAttempt = 0;
    Endpoint FShown;
    std::shared_ptr<Gate> FGate;
    std::unique_ptr<TGpsDeviceDetect> FDetect;
    std::unique_ptr<TGpsDeviceDetect> FCloseStep;
    TNmeaFetch* FReader = nullptr;  // frees itself; only asked to end once
    ThreadTracker FReaders;
    // The attempt's one command sender, made by the first command submitted
    // while the port is open and ended (joined) with the attempt.
    std::unique_ptr<TCommandOut> FSender;
};

const char* LinkStateName(LinkState state);
