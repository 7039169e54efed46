#include "eval/TtffCampaign.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "eval/Accuracy.h"
#include "eval/EpochRecorder.h"

namespace {

constexpr const char* KindNames[] = {"hot", "warm", "cold", "factory"};
constexpr double Half = 0.5, Ninety = 0.9;
constexpr int FixNone = 1, FixMode2D = 2, FixMode3D = 3;
constexpr uint64_t CyclesBeforeFirstRun = 2;
constexpr double MsPerSecond = 1000.0;
const std::string NoFigure = "--";
constexpr const char* CorrectionsKindName = "corrections";

std::string Seconds(double value) {
    if (value < 0) return "";
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return std::string(text, r.ptr);
}

std::vector<double> Reached(const std::vector<CampaignRun>& runs, double CampaignRun::*measure) {
    std::vector<double> values;
    for (const CampaignRun& r : runs)
        if (r.*measure != CampaignRun::NotReached) values.push_back(r.*measure);
    return values;
}

void SummaryRow(std::ostream& out, const char* name, const TtffStatistics& s) {
    const auto figure = [&](double value) { return s.Count > 0 ? Seconds(value) : NoFigure; };
    out << "# " << name << ",count " << s.Count << ",min " << figure(s.Min) << ",median "
        << figure(s.Median) << ",mean " << figure(s.Mean) << ",p90 " << figure(s.P90) << ",max "
        << figure(s.Max) << '\n';
}

}  // namespace

const char* RunResultText(const CampaignRun& run) {
    if (run.TimedOut) return "timed out";
    if (run.RestartIgnored) return "restart ignored";
    return run.Done() ? "fix" : "running";
}

const char* RestartKindName(RestartKind kind) {
    return KindNames[static_cast<int>(kind)];
}

bool RestartKindFromName(const std::string& name, RestartKind& kind) {
    for (int i = 0; i < 4; ++i)
        if (name == KindNames[i]) {
            kind = static_cast<RestartKind>(i);
            return true;
        }
    return false;
}

namespace {
FixState FixStateOfEpoch(const Epoch& e, uint64_t cycle) {
    FixState s;
    s.Cycle = cycle;
    s.CycleStart = e.HostMs / MsPerSecond;
    s.ReceiverTtff = e.ReceiverTtff;
    s.Solution = e.Solution;
    s.Fix =
        e.Fix == EpochFix::Fix2D || e.Fix == EpochFix::Fix3D ? static_cast<int>(e.Fix) : FixNone;
    return s;
}
}  // namespace

FixState FixStateOf(const EpochRecorder& recording) {
    if (recording.Size() == 0) {
        FixState s;
        s.Cycle = recording.Recorded();
        return s;
    }
    return FixStateOfEpoch(recording.At(recording.Size() - 1), recording.Recorded());
}

std::vector<FixState> FixStatesSince(const EpochRecorder& recording, uint64_t& seen) {
    std::vector<FixState> states;
    const uint64_t dropped = recording.Dropped();
    for (uint64_t n = std::max(seen, dropped); n < recording.Recorded(); ++n)
        states.push_back(FixStateOfEpoch(recording.At(static_cast<size_t>(n - dropped)), n + 1));
    seen = recording.Recorded();
    return states;
}

TtffStatistics Statistics(std::vector<double> values) {
    TtffStatistics s;
    s.Count = static_cast<int>(values.size());
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    s.Min = values.front();
    s.Max = values.back();
    s.Mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    const size_t n = values.size();
    s.Median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) * Half;
    s.P90 = Percentile(values, Ninety);
    return s;
}

void FixTimeMeasure::Start(const FixState& state, double restartAt, bool byCorrections) {
    *this = FixTimeMeasure();
    FRestartAt = restartAt;
    FByCorrections = byCorrections;
    FRestartCycle = state.Cycle;
}

void FixTimeMeasure::Observe(const FixState& state) {
    if (state.Cycle == FRestartCycle || state.CycleStart <= FRestartAt) return;
    FHeardAfter = true;
    const double since = state.CycleStart - FRestartAt;
    if (FByCorrections) {
        if (state.Solution < RtkFix::Float) FFixLost = true;
    } else {
        if (state.Fix < FixMode2D) FFixLost = true;
        // A fix counts from when its cycle began, when the receiver reported it.
        if (FFixLost && state.Fix >= FixMode2D && FFix2D == NotReached) FFix2D = since;
        if (FFixLost && state.Fix == FixMode3D && FFix3D == NotReached) FFix3D = since;
    }
    if (state.ReceiverTtff >= 0) FReceiverTtff = state.ReceiverTtff;
    if (FFixLost && state.Solution >= RtkFix::Float && FFloat == NotReached) FFloat = since;
    if (FFixLost && state.Solution == RtkFix::Fixed && FFixed == NotReached) FFixed = since;
}

TtffCampaign::TtffCampaign(CampaignSettings settings, SendRestart send)
    : FSettings(settings), FSend(std::move(send)) {
    FSettings.Runs = std::max(FSettings.Runs, 1);
    if (FSettings.StartBy == CampaignStart::Corrections) FSettings.UntilRtkFixed = true;
}

void TtffCampaign::Tick(const FixState& state, double now) {
    switch (FPhase) {
        case Phase::Start:
            if (FSettings.StartBy == CampaignStart::Corrections) {
                FPhase = Phase::AwaitingCorrections;
                return;
            }
            // The first restart waits until the receiver is heard: two cycles
            // seen, so nothing it sent before the campaign is still on its way.
            if (FStartedAt < 0) {
                FStartedAt = now;
                FFirstCycle = state.Cycle;
            }
            if (state.Cycle - FFirstCycle >= CyclesBeforeFirstRun) StartRun(state, now);
            if (FPhase == Phase::Start && now - FStartedAt >= FSettings.TimeoutSeconds) {
                FProblem = "the receiver sends no time: nothing to measure";
                FPhase = Phase::Finished;
            }
            return;
        case Phase::Waiting: {
            CampaignRun& run = FRuns.back();
            FMeasure.Observe(state);
            run.Fix2D = FMeasure.Fix2D();
            run.Fix3D = FMeasure.Fix3D();
            run.ReceiverTtff = FMeasure.ReceiverTtff();
            run.RtkFloat = FMeasure.RtkFloat();
            run.RtkFixed = FMeasure.RtkFixed();
            if (!run.Done() && now - FMeasure.RestartAt() >= FSettings.TimeoutSeconds) {
                // A receiver heard with its fix all along did not restart:
                // that says nothing of its time to fix.
                if (FMeasure.HeardAfter() && !FMeasure.FixLost())
                    run.RestartIgnored = true;
                else
                    run.TimedOut = true;
            }
            if (run.Done()) EndRun(now);
            return;
        }
        case Phase::Pausing:
            if (now >= FPauseUntil) StartRun(state, now);
            return;
        case Phase::AwaitingCorrections:
        case Phase::Finished:
            return;
    }
}

bool TtffCampaign::CorrectionsStarted(const FixState& state, double now) {
    if (FSettings.StartBy != CampaignStart::Corrections) return false;
    if (FPhase == Phase::Start) FPhase = Phase::AwaitingCorrections;
    if (FPhase != Phase::AwaitingCorrections) return false;
    BeginRun(state, now);
    return true;
}

void TtffCampaign::StartRun(const FixState& state, double now) {
    if (!FSend(FSettings.Kind)) {
        FProblem = "the restart could not be sent: the link is closed";
        FPhase = Phase::Finished;
        return;
    }
    BeginRun(state, now);
}

void TtffCampaign::BeginRun(const FixState& state, double now) {
    CampaignRun run;
    run.Number = static_cast<int>(FRuns.size()) + 1;
    run.UntilRtkFixed = FSettings.UntilRtkFixed;
    FRuns.push_back(run);
    FMeasure.Start(state, now, FSettings.StartBy == CampaignStart::Corrections);
    FPhase = Phase::Waiting;
}

void TtffCampaign::EndRun(double now) {
    if (static_cast<int>(FRuns.size()) >= FSettings.Runs) {
        FPhase = Phase::Finished;
        return;
    }
    if (FSettings.StartBy == CampaignStart::Corrections) {
        FPhase = Phase::AwaitingCorrections;  // the next corrections start the next run
        return;
    }
    FPauseUntil = now + FSettings.PauseSeconds;
    FPhase = Phase::Pausing;
}

void TtffCampaign::Cancel() {
    if (FPhase == Phase::Finished) return;
    Abandon("cancelled");
    FCancelled = true;
}

void TtffCampaign::Abandon(const std::string& reason) {
    if (FPhase == Phase::Finished) return;
    if (!FRuns.empty() && !FRuns.back().Done()) FRuns.pop_back();  // a run cut short says nothing
    FProblem = reason;
    FPhase = Phase::Finished;
}

int TtffCampaign::Failures() const {
    return static_cast<int>(
        std::count_if(FRuns.begin(), FRuns.end(), [](const CampaignRun& r) { return r.TimedOut; }));
}

int TtffCampaign::Ignored() const {
    return static_cast<int>(std::count_if(FRuns.begin(), FRuns.end(),
                                          [](const CampaignRun& r) { return r.RestartIgnored; }));
}

TtffStatistics TtffCampaign::Summary2D() const {
    return Statistics(Reached(FRuns, &CampaignRun::Fix2D));
}
TtffStatistics TtffCampaign::Summary3D() const {
    return Statistics(Reached(FRuns, &CampaignRun::Fix3D));
}
TtffStatistics TtffCampaign::SummaryReceiver() const {
    return Statistics(Reached(FRuns, &CampaignRun::ReceiverTtff));
}

void ExportCampaignCsv(const TtffCampaign& c, std::ostream& out) {
    out << "run,kind,fix2d_s,fix3d_s,receiver_ttff_s,result,rtk_float_s,rtk_fixed_s\n";
    const char* kind = c.Settings().StartBy == CampaignStart::Corrections
                           ? CorrectionsKindName
                           : RestartKindName(c.Settings().Kind);
    for (const CampaignRun& r : c.Runs())
        out << r.Number << ',' << kind << ',' << Seconds(r.Fix2D) << ',' << Seconds(r.Fix3D) << ','
            << Seconds(r.ReceiverTtff) << ',' << (r.TimedOut ? "timeout" : RunResultText(r)) << ','
            << Seconds(r.RtkFloat) << ',' << Seconds(r.RtkFixed) << '\n';
    SummaryRow(out, "2D", c.Summary2D());
    SummaryRow(out, "3D", c.Summary3D());
    SummaryRow(out, "receiver", c.SummaryReceiver());
    out << "# failures," << c.Failures() << '\n';
    out << "# restarts ignored," << c.Ignored() << '\n';
}

constexpr double EdgeTolerance = 1e-9;
constexpr double ShownPerSecond = 10;  // the runs are shown in tenths of a second

std::vector<int> Histogram(const std::vector<double>& values, double width) {
    std::vector<int> bins;
    if (width <= 0) return bins;
    for (double v : values) {
        if (v < 0) continue;
        // A time on a bin's edge (3.6 s in 0.2 s bins) belongs to the bin it
        // starts, whatever the division's rounding.
        const double shown = std::round(v * ShownPerSecond) / ShownPerSecond;
        const size_t bin = static_cast<size_t>(shown / width + EdgeTolerance);
        if (bin >= bins.size()) bins.resize(bin + 1, 0);
        ++bins[bin];
    }
    return bins;
}

std::string RunCountText(size_t count) {
    return std::to_string(count) + (count == 1 ? " run" : " runs");
}
