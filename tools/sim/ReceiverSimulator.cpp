#include "tools/sim/ReceiverSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

#include "tools/sim/EpochUbx.h"
#include "tools/sim/NmeaText.h"

namespace {

constexpr uint32_t FaultSeedSalt = 0x9E3779B9u;
constexpr uint32_t NoiseSeedSalt = 0x7F4A7C15u;
constexpr int64_t NsPerMs = 1'000'000;
constexpr int64_t NsPerS = 1'000'000'000;
// The query a test sends for the count of corrections received.
constexpr char RtcmQuery[] = "PLUMR,RTCM";

ReceiverSettings SettingsFrom(const SimOptions& o) {
    ReceiverSettings s;
    s.Seed = o.Seed;
    s.Multi = o.Talkers == TalkerMode::Multi;
    s.LatDeg = o.LatDeg;
    s.LonDeg = o.LonDeg;
    s.AltM = o.AltM;
    s.SpeedKmh = o.SpeedKmh;
    s.CourseDeg = o.CourseDeg;
    s.FirstStart = o.FirstStart;
    for (int k = 0; k < StartKindCount; ++k) s.Times[k] = o.Times[k];
    s.StartUnixMs = o.StartUnixMs;
    if (s.StartUnixMs == 0) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        s.StartUnixMs = std::chrono::duration_cast<std::chrono::seconds>(now).count() * 1000;
    }
    return s;
}

}  // namespace

ReceiverSimulator::ReceiverSimulator(SimOptions options)
    : FOptions(std::move(options)),
      FControl(FOptions.Zda, FOptions.Interference),
      FFaults(FOptions.Faults, FOptions.Seed ^ FaultSeedSalt),
      FRtk(FOptions.Rtk, FOptions.TimeScale) {
    FControl.SetRefused(FOptions.RefusedUbx);
    FControl.SetGeneration(FOptions.Generation, FOptions.Baud);
    FBaud = FOptions.Baud;
    FStatus.Baud = FBaud;
    if (FOptions.TimeScale <= 0) FOptions.TimeScale = 1;
    FStatus.Rates = {};
    for (int k = 0; k < SentenceKindCount; ++k)
        FStatus.Rates[k] = FControl.Schedule().Rate(static_cast<SentenceKind>(k));
}

ReceiverSimulator::~ReceiverSimulator() {
    Stop();
}

bool ReceiverSimulator::Open(std::string& error) {
    if (FLine.IsOpen()) return true;
    if (BaudConstant(FOptions.Baud) == 0) {
        error = "unsupported baud rate " + std::to_string(FOptions.Baud);
        return false;
    }
    if (!FOptions.ReplayFile.empty() && !FReplay.Load(FOptions.ReplayFile, error)) return false;
    if (!FOptions.RecordFile.empty()) {
        FRecord = std::fopen(FOptions.RecordFile.c_str(), "wb");
        if (!FRecord) {
            error = FOptions.RecordFile + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!FLine.Open(error)) return false;
    if (!FOptions.LinkPath.empty()) {
        unlink(FOptions.LinkPath.c_str());  // a link left by an earlier run
        if (symlink(FLine.SlavePath().c_str(), FOptions.LinkPath.c_str()) != 0) {
            error = FOptions.LinkPath + ": " + std::strerror(errno);
            CloseLine();
            return false;
        }
        FLinked = true;
    }
    FOutput = std::make_unique<PacedOutput>(FLine, FOptions.Baud, FOptions.Seed ^ NoiseSeedSalt);
    FOutput->SetRecord(FRecord);
    if (FOptions.ReplayFile.empty())
        FModel = std::make_unique<ReceiverModel>(SettingsFrom(FOptions));
    return true;
}

bool ReceiverSimulator::Start(std::string& error) {
    if (FThread.joinable()) return true;
    if (FStarted) {
        error = "a simulator runs once: make a new one";
        return false;
    }
    FStarted = true;
    if (!Open(error)) return false;
    if (pipe2(FWake, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    FStop = false;
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStatus.Running = true;
    }
    FThread = std::thread([this] { Run(); });
    return true;
}

void ReceiverSimulator::Stop() {
    if (FThread.joinable()) {
        FStop = true;
        const char wake = 1;
        [[maybe_unused]] const ssize_t n = write(FWake[1], &wake, 1);
        FThread.join();
    }
    for (int& fd : FWake) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    CloseLine();
    std::lock_guard<std::mutex> lock(FLock);
    FStatus.Running = false;
}

void ReceiverSimulator::CloseLine() {
    FLine.Close();
    if (FLinked) unlink(FOptions.LinkPath.c_str());
    FLinked = false;
    if (FRecord && std::fclose(FRecord) != 0) {
        std::lock_guard<std::mutex> lock(FLock);
        if (FStatus.RecordError.empty())
            FStatus.RecordError = FOptions.RecordFile + ": " + std::strerror(errno);
    }
    FRecord = nullptr;
    if (FOutput) FOutput->SetRecord(nullptr);
}

SimStatus ReceiverSimulator::Status() const {
    std::lock_guard<std::mutex> lock(FLock);
    return FStatus;
}

std::vector<SentItem> ReceiverSimulator::Sent() const {
    std::lock_guard<std::mutex> lock(FLock);
    return {FSent.begin(), FSent.end()};
}

EpochState ReceiverSimulator::LastEpoch() const {
    std::lock_guard<std::mutex> lock(FLock);
    return FLastEpoch;
}

void ReceiverSimulator::Log(const std::string& line) const {
    if (FOptions.Log && !line.empty()) FOptions.Log(line);
}

int64_t ReceiverSimulator::Now() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                FT0)
        .count();
}

void ReceiverSimulator::Run() {
    FT0 = std::chrono::steady_clock::now();
    const int64_t hangupNs =
        FOptions.HangupAfterS > 0 ? static_cast<int64_t>(FOptions.HangupAfterS * NsPerS) : -1;
    const auto done = [this](SentItem&& item) { Finished(std::move(item)); };
    while (!FStop) {
        const int64_t now = Now();
        if (hangupNs >= 0 && now >= hangupNs) {
            HangUp();
            return;
        }
        ChangeBaud();
        CheckRate();
        if (!ReadInput(now)) {
            HangUp();
            return;
        }
        if (FModel) {
            if (now >= FNextEpochNs) EmitEpoch();
        } else {
            FeedReplay(now);
        }
        if (!FOutput->Transmit(Now(), FMismatched, done)) {
            Log("writing to the line failed: " + std::string(std::strerror(errno)));
            HangUp();
            return;
        }
        {
            std::lock_guard<std::mutex> lock(FLock);
            FStatus.BytesSent = FOutput->BytesSent();
            FStatus.NoiseBytes = FOutput->NoiseBytes();
            FStatus.MaxLatenessMs = FOutput->MaxLatenessMs();
            if (FStatus.RecordError.empty() && !FOutput->RecordError().empty())
                FStatus.RecordError = FOptions.RecordFile + ": " + FOutput->RecordError();
            if (FReplayDone && !FOutput->HasData()) FStatus.ReplayFinished = true;
        }
        Wait(Now());
    }
}

// A new UART1 rate takes effect once its answer has gone out at the old one;
// no epoch is queued meanwhile.
void ReceiverSimulator::ChangeBaud() {
    if (FPendingBaud == 0 || FOutput->HasData()) return;
    Log("UART1 now at " + std::to_string(FPendingBaud) + " baud");
    FBaud = FPendingBaud;
    FPendingBaud = 0;
    FOutput->SetBaud(FBaud);
    std::lock_guard<std::mutex> lock(FLock);
    FStatus.Baud = FBaud;
}

void ReceiverSimulator::CheckRate() {
    const unsigned long rate = FLine.SlaveBaud();
    const bool mismatched = rate != FBaud;
    if (mismatched != FMismatched) {
        Log(mismatched ? "line set to " + std::to_string(rate) + " baud: sending noise"
                       : "line set to " + std::to_string(rate) + " baud: rates match");
        // A real line garbles bytes as they arrive, so what reaches the reader
        // after it set the rate was sent at that rate. Bytes written here just
        // before the change was seen were sent at the old one; they are lost
        // with the change, as a UART's partial characters are.
        FLine.DropUnread();
    }
    FMismatched = mismatched;
    std::lock_guard<std::mutex> lock(FLock);
    FStatus.Mismatched = mismatched;
    FStatus.SlaveBaud = rate;
}

bool ReceiverSimulator::ReadInput(int64_t now) {
    char buffer[512];
    for (;;) {
        const ssize_t n = FLine.Read(buffer, sizeof buffer);
        if (n < 0) return false;
        if (n == 0) break;
        FLastInputNs = now;
        if (FMismatched) {  // at the wrong rate what arrives is garbage to a UART
            ReceivedCommand discard;
            FParser.Flush(discard);
            continue;
        }
        ReceivedCommand command;
        for (ssize_t i = 0; i < n; ++i)
            if (FParser.Feed(static_cast<uint8_t>(buffer[i]), command)) Handle(command, now);
    }
    if (FParser.Busy() && now - FLastInputNs >= IdleFlushNs) {
        ReceivedCommand command;
        if (FParser.Flush(command)) Handle(command, now);
    }
    return true;
}

void ReceiverSimulator::Reply(const std::string& bytes, int64_t now) {
    FVirtualBusyNs =
        std::max(FVirtualBusyNs, now) + static_cast<int64_t>(bytes.size()) * FOutput->ByteNs();
    SentItem item;
    item.Type = SentItem::Binary;
    item.Bytes = bytes;
    FOutput->Enqueue(std::move(item), true);
}

bool ReceiverSimulator::HandleCorrections(const ReceivedCommand& command, int64_t now) {
    if (command.Type == ReceivedCommand::Rtcm || command.Type == ReceivedCommand::RtcmBadCrc) {
        const bool sound = command.Type == ReceivedCommand::Rtcm;
        if (sound) FRtk.Received(now);
        if (!sound) Log("RTCM " + std::to_string(command.RtcmNumber) + " with a bad CRC: ignored");
        std::lock_guard<std::mutex> lock(FLock);
        ++(sound ? FStatus.RtcmFrames : FStatus.RtcmBadFrames);
        return true;
    }
    if (command.Type != ReceivedCommand::Text || command.Body != RtcmQuery) return false;
    SimStatus status = Status();
    Reply(FinishSentence(std::string(RtcmQuery) + "," + std::to_string(status.RtcmFrames) + "," +
                             std::to_string(status.RtcmBadFrames),
                         true),
          now);
    Log("$" + command.Body + ": answered");
    return true;
}

void ReceiverSimulator::Handle(const ReceivedCommand& command, int64_t now) {
    if (HandleCorrections(command, now)) return;
    {
        std::lock_guard<std::mutex> lock(FLock);
        ++FStatus.Commands;
    }
    const ControlOutcome outcome = FControl.Apply(command);
    if (!FModel) {  // a recording answers nothing and does not restart
        Log(outcome.Log + " (replaying: no effect)");
        return;
    }
    Log(outcome.Log);
    for (const std::string& reply : outcome.Replies) Reply(reply, now);
    if (outcome.Restart) FModel->Restart(*outcome.Restart, FNextSimMs);
    if (outcome.NewBaud != 0) FPendingBaud = outcome.NewBaud;
    std::lock_guard<std::mutex> lock(FLock);
    if (outcome.Restart) ++FStatus.Restarts[static_cast<size_t>(*outcome.Restart)];
    FStatus.Acks += outcome.Acked;
    FStatus.Naks += outcome.Naked;
    FStatus.PeriodMs = FControl.PeriodMs();
    for (int k = 0; k < SentenceKindCount; ++k)
        FStatus.Rates[k] = FControl.Schedule().Rate(static_cast<SentenceKind>(k));
}

void ReceiverSimulator::QueueSentence(std::string sentence, int64_t epoch,
                                      std::vector<SentItem>& items) {
    std::string garbage = FFaults.Garbage();
    if (!garbage.empty()) {
        SentItem burst;
        burst.Type = SentItem::Garbage;
        burst.Bytes = std::move(garbage);
        items.push_back(std::move(burst));
    }
    SentItem item;
    item.Epoch = epoch;
    item.Faulty = !sentence.empty() && sentence[0] == '$' && FFaults.Corrupt(sentence);
    item.Bytes = std::move(sentence);
    items.push_back(std::move(item));
}

void ReceiverSimulator::EmitEpoch() {
    const int64_t dueNs = FNextEpochNs;
    const int64_t simMs = FNextSimMs;
    const unsigned period = FControl.PeriodMs();
    FNextSimMs += period;
    FNextEpochNs += static_cast<int64_t>(std::llround(period * NsPerMs / FOptions.TimeScale));

    EpochState epoch = FModel->Advance(simMs);
    FRtk.Apply(epoch, dueNs);
    ApplyInterference(FOptions.Interference, simMs, epoch);
    // A receiver computes every solution; one whose output would start while
    // the previous epoch is still going out is not sent (decided on the ideal
    // line schedule, so the output does not depend on thread timing).
    const bool skip = FVirtualBusyNs > dueNs || FPendingBaud != 0;
    const bool drop = !skip && FOutput->QueuedBytes() > QueueLimitBytes;
    if (skip && FPendingBaud == 0 && !FSkipLogged) {
        Log("the line is too slow for this output: epochs are left out (raise --baud)");
        FSkipLogged = true;
    }
    if (!skip && !drop) {
        std::vector<SentItem> items;
        const TalkerMode mode = FOptions.Talkers;
        if (FOptions.Protocol != SimProtocol::Ubx) {
            for (int k = 0; k < SentenceKindCount; ++k) {
                const auto kind = static_cast<SentenceKind>(k);
                if (!FControl.Schedule().Due(kind, epoch.Index, simMs)) continue;
                const bool checksum = FControl.Schedule().Rate(kind).Checksum;
                for (const std::string& body : ComposeSentences(kind, epoch, mode))
                    QueueSentence(FinishSentence(body, checksum), epoch.Index, items);
            }
        }
        if (FOptions.Protocol != SimProtocol::Nmea) {
            for (std::string& frame : ComposeUbxFrames(epoch)) {
                SentItem item;
                item.Type = SentItem::Binary;
                item.Epoch = epoch.Index;
                item.Bytes = std::move(frame);
                items.push_back(std::move(item));
            }
        }
        for (std::string& frame : ComposeHealthFrames(epoch, FControl.Health())) {
            SentItem item;
            item.Type = SentItem::Binary;
            item.Epoch = epoch.Index;
            item.Bytes = std::move(frame);
            items.push_back(std::move(item));
        }
        for (SentItem& item : items) {
            FVirtualBusyNs = std::max(FVirtualBusyNs, dueNs) +
                             static_cast<int64_t>(item.Bytes.size()) * FOutput->ByteNs();
            FOutput->Enqueue(std::move(item), false);
        }
    }
    std::lock_guard<std::mutex> lock(FLock);
    FStatus.Fix = epoch.Fix;
    FStatus.Rtk = epoch.Rtk;
    ++FStatus.Epochs;
    FStatus.EpochsSkipped += skip;
    FStatus.EpochsDropped += drop;
    FLastEpoch = std::move(epoch);
}

void ReceiverSimulator::FeedReplay(int64_t now) {
    const auto& lines = FReplay.Lines();
    const bool byRate = FOptions.ReplayRate > 0;
    // Back to back: keep about 100 ms of line time queued so the line never idles.
    const size_t low = std::max<size_t>(ReplayQueueMinBytes, FOptions.Baud / 10 / 10);
    while (!FReplayDone && (byRate ? now >= FReplayNextNs : FOutput->QueuedBytes() < low)) {
        if (FReplayIndex == lines.size()) {
            if (!FOptions.Loop) {
                FReplayDone = true;
                break;
            }
            FReplayIndex = 0;
        }
        if (byRate) FReplayNextNs += static_cast<int64_t>(NsPerS / FOptions.ReplayRate);
        if (!byRate || FOutput->QueuedBytes() <= QueueLimitBytes) {
            std::vector<SentItem> items;
            QueueSentence(lines[FReplayIndex], -1, items);
            for (SentItem& item : items) FOutput->Enqueue(std::move(item), false);
        }
        ++FReplayIndex;
    }
}

void ReceiverSimulator::Finished(SentItem&& item) {
    std::lock_guard<std::mutex> lock(FLock);
    FSent.push_back(std::move(item));
    while (FSent.size() > FOptions.SentLogLimit) FSent.pop_front();
}

void ReceiverSimulator::Wait(int64_t now) {
    int64_t wake = now + MaxWaitNs;
    if (FModel) wake = std::min(wake, FNextEpochNs);
    if (!FModel && FOptions.ReplayRate > 0 && !FReplayDone) wake = std::min(wake, FReplayNextNs);
    if (FOutput->HasData() && !FOutput->Blocked()) wake = std::min(wake, FOutput->LineFreeNs());
    if (FParser.Busy()) wake = std::min(wake, FLastInputNs + IdleFlushNs);
    const int64_t waitNs = std::max<int64_t>(0, wake - now);
    const int timeoutMs = static_cast<int>((waitNs + NsPerMs - 1) / NsPerMs);
    pollfd fds[2] = {
        {FLine.MasterFd(), static_cast<short>(POLLIN | (FOutput->Blocked() ? POLLOUT : 0)), 0},
        {FWake[0], POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) > 0 && (fds[1].revents & POLLIN)) {
        char drain[16];
        while (read(FWake[0], drain, sizeof drain) > 0) {
        }
    }
}

void ReceiverSimulator::HangUp() {
    Log("hanging up: the line is closed");
    CloseLine();
    std::lock_guard<std::mutex> lock(FLock);
    FStatus.HungUp = true;
    FStatus.Running = false;
}
