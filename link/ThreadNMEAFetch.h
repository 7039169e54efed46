// TNmeaFetch: the reader thread. It takes sentence after sentence from the
// port, hands each to the console (unless the display is paused), dispatches
// it into the store while holding the store's lock, writes it to the capture
// file once the lock is released, and asks for a refresh of the views when a
// dispatch says so. Capture writes run outside the lock.
//
// The console lines and refresh requests go through a DisplayFeed: the
// reader never waits for the user-interface thread. One queued wake-up
// carries everything since the last hand-off, and the user-interface thread
// takes it when it has time (the window at most once a frame). A receiver at
// a normal rate sees every sentence in the console and a refresh per request;
// a stream faster than the display has the older lines counted instead of
// shown and its refresh requests merged. Everything else the reader queues
// to the user-interface thread (answers, the device gone, reconnections)
// first hands over what the feed holds, so the console keeps the order.
// UBX frames between the sentences are dispatched into the store's UBX part
// the same way, reach the console as one readable line each and go to the
// capture file byte for byte, in stream order with the sentences.
//
// When the device behind the port disappears the thread keeps waiting
// without spinning and reports it once through the device-gone hook. A link
// that went away (a TCP peer or gpsd ended, the network failed) is opened
// again when reconnection is on: after 1 s, then 2, 4 … up to 30 s between
// attempts, until the thread is asked to end; each attempt is reported once.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framing/Framing.h"
#include "intake/Intake.h"
#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"
#include "thread/YThread.h"

class YComPort;
struct GPSConfig;

class TNmeaFetch : public YThread {
  public:
    using RefreshHook = std::function<void()>;
    // Console lines in arrival order, after `notShown` older lines that did
    // not fit the feed's line limit.
    using ConsoleHook =
        std::function<void(const std::vector<std::string>& lines, uint64_t notShown)>;
    // Runs a hand-off to the display on the user-interface thread, now or
    // at a moment of its choosing.
    using PaceHook = std::function<void(std::function<void()> handOff)>;
    using SentenceHook = std::function<void(std::string_view, const DispatchResult&)>;
    using EventHook = std::function<void()>;
    // One reconnection attempt: its number from 1, whether the link is back,
    // and otherwise why not and the seconds until the next one.
    struct LinkAttempt {
        unsigned Number = 0;
        bool Back = false;
        std::string Error;
        unsigned NextWaitS = 0;
    };
    using AttemptHook = std::function<void(const LinkAttempt&)>;

    static constexpr unsigned FirstReconnectWaitS = 1;
    static constexpr unsigned LongestReconnectWaitS = 30;
    // The wait before attempt `number` (from 1): 1, 2, 4 … 30 s.
    static unsigned ReconnectWaitS(unsigned number);
    using UbxHook = std::function<void(const UbxDispatchResult&)>;
    using RtcmHook = std::function<void(const RtcmFrameResult&)>;
    // The clock RTCM 3 frames are timed by on arrival (seconds, steady).
    static double ArrivalClockS();
    using AnswerHook = std::function<void(const UbxAckRecord&)>;
    using IdentityHook = std::function<void(const std::string&)>;
    using SettingHook = std::function<void(const UbxSettingAnswer&)>;
    using KeyValuesHook = std::function<void(const UbxKeyValuesRecord&)>;

    // Reads nothing until given a port and a store (before Start).
    TNmeaFetch(bool createSuspended, RefreshHook refresh);
    ~TNmeaFetch() override { Shutdown(); }

    void SetPort(YComPort* port) { FPort = port; }
    // Replaces the refresh hook (before Start).
    void SetRefresh(RefreshHook refresh) { FRefresh = std::move(refresh); }
    void SetStore(NMEA_Manager* store) { FStore = store; }
    // The configuration whose DisplayPaused holds the console back (none: never paused).
    void SetConfig(const GPSConfig* config) { FConfig = config; }
    static constexpr size_t DefaultConsoleLines = 1000;
    // The console's append operation, run on the user-interface thread with
    // at most `lineLimit` lines a hand-off.
    void SetConsole(ConsoleHook console, size_t lineLimit = DefaultConsoleLines) {
        FConsole = std::move(console);
        FConsoleLines = lineLimit;
    }
    // Where the display's hand-offs run (none: as soon as they arrive).
    void SetDisplayPacer(PaceHook pace) { FPace = std::move(pace); }
    // Runs on the reader thread after each dispatch, outside the lock.
    void SetSentenceHook(SentenceHook hook) { FSentenceHook = std::move(hook); }
    // Runs on the reader thread after each UBX frame's dispatch, outside the
    // lock; the hook takes the store lock to read the store.
    void SetUbxHook(UbxHook hook) { FUbxHook = std::move(hook); }
    // The same after each RTCM 3 frame was taken into the store.
    void SetRtcmHook(RtcmHook hook) { FRtcmHook = std::move(hook); }
    // Queued to the user-interface thread with each ACK-ACK or ACK-NAK, and
    // with the receiver's identity from each MON-VER.
    void SetAnswerHook(AnswerHook hook) { FOnAnswer = std::move(hook); }
    void SetIdentityHook(IdentityHook hook) { FOnIdentity = std::move(hook); }
    // Queued with each CFG-MSG or CFG-RATE the receiver sends (its answers
    // to the setting polls).
    void SetSettingHook(SettingHook hook) { FOnSetting = std::move(hook); }
    // Each CFG-VALGET answer (configuration keys), queued to the GUI thread.
    void SetKeyValuesHook(KeyValuesHook hook) { FOnKeyValues = std::move(hook); }
    // Queued to the user-interface thread when the device has gone away.
    void SetDeviceGoneHook(EventHook hook) { FOnDeviceGone = std::move(hook); }
    // Turns reconnection of a link on: each attempt is queued to the
    // user-interface thread through `hook`.
    void SetReconnect(AttemptHook hook) { FOnAttempt = std::move(hook); }
    // Queued when the capture file failed on a sentence and was closed.
    void SetCaptureFailedHook(EventHook hook) { FOnCaptureFailed = std::move(hook); }

    // Held while the thread reads and dropped when it ends, so whoever
    // handed it out knows when the reader no longer uses the port.
    void SetCompletionToken(std::shared_ptr<void> token) { FCompletion = std::move(token); }

    bool DeviceGone() const { return FDeviceGone.load(std::memory_order_acquire); }

    char FSentence[SentenceBufferSize] = {};
    uint32_t FLength = 0;

  protected:
    void Execute() override;

  private:
    struct Display;

    void ReadUntilTerminated();
    void NewLink();
    void NoteDeviceState();
    void Reconnect();
    // Sleeps `seconds` in short steps; false when asked to end meanwhile.
    bool WaitUnlessTerminated(unsigned seconds);
    // Feeds the record just read to the intake and runs the hooks.
    void Take(RecordKind kind);
    class Sinks;
    bool DisplayPaused() const;
    void ShowLine(const std::string& line);
    void AskRefresh();
    void WakeDisplay();
    // Queues `fn` behind a hand-off of what the feed holds.
    void QueueAfterDisplay(std::function<void()> fn);

    RefreshHook FRefresh;
    ConsoleHook FConsole;
    size_t FConsoleLines = DefaultConsoleLines;
    PaceHook FPace;
    std::shared_ptr<Display> FDisplay;  // made when the thread starts reading
    SentenceHook FSentenceHook;
    UbxHook FUbxHook;
    RtcmHook FRtcmHook;
    AnswerHook FOnAnswer;
    IdentityHook FOnIdentity;
    SettingHook FOnSetting;
    KeyValuesHook FOnKeyValues;
    EventHook FOnDeviceGone;
    EventHook FOnCaptureFailed;
    AttemptHook FOnAttempt;
    YComPort* FPort = nullptr;
    NMEA_Manager* FStore = nullptr;
    const GPSConfig* FConfig = nullptr;
    std::unique_ptr<Intake> FIntake;  // made when the thread starts reading
    std::unique_ptr<framing::UbxFrameBuffer> FFrame;
    std::unique_ptr<framing::RtcmFrameBuffer> FRtcmFrame;
    std::atomic<bool> FDeviceGone{false};
    std::shared_ptr<void> FCompletion;
};
