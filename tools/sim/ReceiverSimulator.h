// A GPS receiver on a pseudo-terminal: the engine behind lumarokub-sim and the
// monitor's demo mode. It emits a receiver's NMEA epochs (or replays a log)
// paced at its baud rate, sends line noise while the monitor's rate differs,
// obeys u-blox CFG and SiRF input messages, takes RTCM 3 corrections (--rtk)
// and answers "$PLUMR,RTCM*HH" with "$PLUMR,RTCM,<sound frames>,<bad frames>*HH",
// and injects faults on demand.
// Open() creates the pseudo-terminal, Start() runs the receiver on its own
// thread; the queries are safe from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/sim/CommandParser.h"
#include "tools/sim/FaultInjector.h"
#include "tools/sim/PacedOutput.h"
#include "tools/sim/PtyLine.h"
#include "tools/sim/ReceiverControl.h"
#include "tools/sim/ReceiverModel.h"
#include "tools/sim/ReplaySource.h"
#include "tools/sim/RtkModel.h"
#include "tools/sim/SentItem.h"
#include "tools/sim/SimOptions.h"

struct SimStatus {
    bool Running = false;
    bool HungUp = false;
    std::string RecordError;  // why the record file could not be written, "" while it could
    bool ReplayFinished = false;
    bool Mismatched = true;       // the slave's rate differs from ours
    unsigned long SlaveBaud = 0;  // the rate the other side set
    unsigned long Baud = 0;       // the rate the receiver sends at
    FixKind Fix = FixKind::None;  // of the last epoch
    int64_t Epochs = 0;           // measurement epochs computed
    int64_t EpochsSkipped = 0;    // not sent: the line was still busy with the one before
    int64_t EpochsDropped = 0;    // not sent: nobody read the line and its buffer was full
    unsigned PeriodMs = ReceiverControl::DefaultPeriodMs;
    std::array<int, StartKindCount> Restarts{};  // restarts commanded, by kind
    std::array<OutputRate, SentenceKindCount> Rates{};
    uint64_t BytesSent = 0;
    uint64_t NoiseBytes = 0;
    int Commands = 0;                     // complete commands received (sound or not)
    uint64_t RtcmFrames = 0;              // RTCM 3 frames received with a sound CRC
    uint64_t RtcmBadFrames = 0;           // ... with a bad one
    RtkSolution Rtk = RtkSolution::None;  // of the last epoch
    int Acks = 0, Naks = 0;
    double MaxLatenessMs = 0;  // the most the line fell behind its schedule
};

class ReceiverSimulator {
  public:
    explicit ReceiverSimulator(SimOptions options);
    ~ReceiverSimulator();
    ReceiverSimulator(const ReceiverSimulator&) = delete;
    ReceiverSimulator& operator=(const ReceiverSimulator&) = delete;

    // Creates the pseudo-terminal (and the link, the record file, loads the
    // replay file). False with a reason on failure.
    bool Open(std::string& error);
    // Opens if needed and starts the receiver's thread. A simulator runs once.
    bool Start(std::string& error);
    // Ends the thread and closes the line (the device goes away).
    void Stop();

    const std::string& SlavePath() const { return FLine.SlavePath(); }
    const SimOptions& Options() const { return FOptions; }

    SimStatus Status() const;
    // What went out, oldest first (at most SentLogLimit items).
    std::vector<SentItem> Sent() const;
    // The receiver's state in the last epoch computed.
    EpochState LastEpoch() const;

  private:
    static constexpr int64_t IdleFlushNs = 30'000'000;  // silence that ends a text command
    static constexpr int64_t MaxWaitNs = 20'000'000;  // the rate on the line is checked this often
    static constexpr size_t QueueLimitBytes = 16384;
    static constexpr size_t ReplayQueueMinBytes = 512;

    void Run();
    int64_t Now() const;
    void CheckRate();
    void ChangeBaud();
    bool ReadInput(int64_t now);
    void Handle(const ReceivedCommand& command, int64_t now);
    // RTCM frames and the count query; true when the command was one of them.
    bool HandleCorrections(const ReceivedCommand& command, int64_t now);
    void Reply(const std::string& bytes, int64_t now);
    void EmitEpoch();
    void FeedReplay(int64_t now);
    void QueueSentence(std::string sentence, int64_t epoch, std::vector<SentItem>& items);
    void Finished(SentItem&& item);
    void Wait(int64_t now);
    void HangUp();
    void CloseLine();
    void Log(const std::string& line) const;

    SimOptions FOptions;
    PtyLine FLine;
    std::unique_ptr<PacedOutput> FOutput;
    std::unique_ptr<ReceiverModel> FModel;
    ReceiverControl FControl;
    CommandParser FParser;
    FaultInjector FFaults;
    RtkModel FRtk;
    ReplaySource FReplay;
    std::FILE* FRecord = nullptr;
    bool FLinked = false;
    bool FStarted = false;

    std::thread FThread;
    std::atomic<bool> FStop{false};
    int FWake[2] = {-1, -1};

    // Owned by the thread.
    std::chrono::steady_clock::time_point FT0;
    bool FMismatched = true;
    unsigned long FBaud = 0;         // the line rate now (UART1's key changes it)
    unsigned long FPendingBaud = 0;  // the rate to change to once the answer is out
    int64_t FNextEpochNs = 0;
    int64_t FNextSimMs = 0;
    int64_t FVirtualBusyNs = 0;
    int64_t FLastInputNs = 0;
    size_t FReplayIndex = 0;
    int64_t FReplayNextNs = 0;
    bool FReplayDone = false;
    bool FSkipLogged = false;

    mutable std::mutex FLock;  // guards the three below
    SimStatus FStatus;
    std::deque<SentItem> FSent;
    EpochState FLastEpoch;
};
