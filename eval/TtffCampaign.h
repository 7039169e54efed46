// A time-to-fix campaign: the receiver is restarted again and again (hot,
// warm, cold or factory), and each run measures the time from the restart to
// the first 2D and the first 3D fix once the receiver has shown it lost its
// fix, until a time-out; a receiver that kept its fix all that time ignored
// the restart. Between runs it pauses. The campaign is a state machine driven by Tick(), which the
// window's timer or the command line's loop calls every few tens of milliseconds with the
// receiver's state read under the store lock; it sends restarts through the function it is given
// and never while that lock is held. Cancelling sends nothing: the receiver keeps running as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "nmea/RtkState.h"

class NMEA_Manager;

enum class RestartKind { Hot, Warm, Cold, Factory };
const char* RestartKindName(RestartKind kind);  // "hot", "warm", "cold", "factory"
bool RestartKindFromName(const std::string& name, RestartKind& kind);

// What starts a run: a restart the campaign sends, or corrections the
// caller says began to reach the receiver (the Corrections window on
// connecting); a run started by corrections measures the times to RTK float
// and fixed and ends at fixed.
enum class CampaignStart { Restart, Corrections };

struct CampaignSettings {
    RestartKind Kind = RestartKind::Cold;
    int Runs = 10;
    double TimeoutSeconds = 120;
    double PauseSeconds = 5;
    // "Time to RTK fixed": a run ends at the receiver's first RTK fixed
    // solution instead of its 3D fix; the times to float and fixed are kept
    // in every campaign.
    bool UntilRtkFixed = false;
    CampaignStart StartBy = CampaignStart::Restart;
};

// What a run needs to see of the receiver at a tick: its last finished
// cycle, read from the recording under the store lock.
struct FixState {
    uint64_t Cycle = 0;        // cycles finished so far
    double CycleStart = 0;     // when the last one began, seconds, the campaign's clock
    int Fix = 1;               // 1 none, 2 2D, 3 3D
    double ReceiverTtff = -1;  // the receiver's own time to first fix, seconds (-1: not told)
    RtkFix Solution = RtkFix::Unknown;  // the receiver's own word on its solution
};
class EpochRecorder;
FixState FixStateOf(const EpochRecorder& recording);
// Each cycle recorded after the first `seen` ones, oldest first (those
// dropped meanwhile left out), and `seen` moved past them: a reader ticking
// slower than the receiver's cycles still sees every one.
std::vector<FixState> FixStatesSince(const EpochRecorder& recording, uint64_t& seen);

// The measuring rule of a time to fix, shared by the campaign and the
// position panel's counters. A time runs from `restartAt`, when the restart
// went out, to the start of the first cycle that tells the fix (when its first
// sentence came). Only a cycle begun after the restart counts: the one under
// way when it went out still tells the old fix. And a fix counts only once a
// cycle has shown the fix lost: cycles the receiver worked out before the
// restart reached it may still be on their way (in its output buffer, on the
// line), and a receiver that ignored the restart must not pass for one that
// got its fix back at once.
class FixTimeMeasure {
  public:
    static constexpr double NotReached = -1;

    // A restart went out at `restartAt` while `state` was the last cycle.
    // Started by corrections, the times to float and fixed count once a
    // cycle after the start has shown no RTK solution (rather than no fix),
    // and the 2D and 3D times are not measured.
    void Start(const FixState& state, double restartAt, bool byCorrections = false);
    // Takes the last finished cycle, read at a tick.
    void Observe(const FixState& state);

    double RestartAt() const { return FRestartAt; }
    double Fix2D() const { return FFix2D; }  // seconds after the restart
    double Fix3D() const { return FFix3D; }
    double ReceiverTtff() const { return FReceiverTtff; }
    double RtkFloat() const { return FFloat; }  // seconds to RTK float (or fixed) after the restart
    double RtkFixed() const { return FFixed; }
    bool FixLost() const { return FFixLost; }        // a cycle after the restart showed no fix
    bool HeardAfter() const { return FHeardAfter; }  // a cycle begun after the restart came

  private:
    double FRestartAt = 0;
    uint64_t FRestartCycle = 0;
    bool FFixLost = false;
    bool FHeardAfter = false;
    bool FByCorrections = false;
    double FFix2D = NotReached, FFix3D = NotReached, FReceiverTtff = NotReached;
    double FFloat = NotReached, FFixed = NotReached;
};

struct CampaignRun {
    static constexpr double NotReached = -1;
    int Number = 0;                                 // from 1
    double Fix2D = NotReached, Fix3D = NotReached;  // seconds after the restart
    double ReceiverTtff = NotReached;
    double RtkFloat = NotReached, RtkFixed = NotReached;  // seconds after the restart
    bool UntilRtkFixed = false;                           // the run ends at RTK fixed
    bool TimedOut = false;
    bool RestartIgnored = false;  // the time-out came and the receiver never lost its fix
    bool Done() const {
        return TimedOut || RestartIgnored || (UntilRtkFixed ? RtkFixed : Fix3D) != NotReached;
    }
};
// "fix", "timed out", "restart ignored" or "running".
const char* RunResultText(const CampaignRun& run);

// A count of runs as a user reads it: "1 run", "3 runs".
std::string RunCountText(size_t count);

// Summary of one measure over the runs that reached it.
struct TtffStatistics {
    int Count = 0;
    double Min = 0, Median = 0, Mean = 0, P90 = 0, Max = 0;
};
TtffStatistics Statistics(std::vector<double> values);

class TtffCampaign {
  public:
    // Sends the restart; false when it cannot (the link is closed).
    using SendRestart = std::function<bool(RestartKind)>;

    TtffCampaign(CampaignSettings settings, SendRestart send);

    // Advances the campaign to 'nowSeconds' (any monotonic clock).
    void Tick(const FixState& state, double nowSeconds);
    void Cancel();
    // Corrections began to reach the receiver at `nowSeconds` while `state`
    // was its last cycle: a campaign started by corrections begins its next
    // run; false when none was waiting for it (another start, a run under
    // way, the campaign finished).
    bool CorrectionsStarted(const FixState& state, double nowSeconds);
    // True while a campaign started by corrections waits for them.
    bool AwaitingCorrections() const { return FPhase == Phase::AwaitingCorrections; }
    // Ends the campaign because the receiver or the link went away, with
    // `reason`; the run under way is left out, as a cancel leaves it.
    void Abandon(const std::string& reason);

    bool Finished() const { return FPhase == Phase::Finished; }
    bool Cancelled() const { return FCancelled; }
    // Why the campaign ended early ("" when it ran to the end).
    const std::string& Problem() const { return FProblem; }
    const CampaignSettings& Settings() const { return FSettings; }
    const std::vector<CampaignRun>& Runs() const { return FRuns; }
    int Failures() const;  // runs timed out
    int Ignored() const;   // restarts the receiver ignored
    TtffStatistics Summary2D() const;
    TtffStatistics Summary3D() const;
    TtffStatistics SummaryReceiver() const;

  private:
    enum class Phase { Start, AwaitingCorrections, Waiting, Pausing, Finished };

    void StartRun(const FixState& state, double now);
    void BeginRun(const FixState& state, double now);
    void EndRun(double now);

    CampaignSettings FSettings;
    SendRestart FSend;
    Phase FPhase = Phase::Start;
    std::vector<CampaignRun> FRuns;
    double FPauseUntil = 0;
    FixTimeMeasure FMeasure;   // of the run under way
    uint64_t FFirstCycle = 0;  // at the first tick
    double FStartedAt = -1;    // the first tick's time
    bool FCancelled = false;
    std::string FProblem;
};

// One row per run (seconds with one decimal; the kind "corrections" for runs
// started by corrections; the times to RTK float and fixed last), then the summary rows ("--"
// for the figures of a measure no run reached).
void ExportCampaignCsv(const TtffCampaign& campaign, std::ostream& out);
// Counts of 'values' in bins of 'width' seconds from 0. Each time counts as
// the runs table shows it, to a tenth of a second: times that read the same
// share a bin.
std::vector<int> Histogram(const std::vector<double>& values, double width);
