// The time-to-fix campaign's state machine, driven by hand-made receiver
// states: what counts as a fix, time-outs, pauses, cancelling, and the
// statistics, which the test computes by itself.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "eval/TtffCampaign.h"

namespace {

// A receiver reporting a finished cycle every 'step' seconds.
struct Receiver {
    uint64_t Cycle = 0;
    double Now = 0;
    int Fix = 3;
    RtkFix Solution = RtkFix::Unknown;
    // One more cycle reported, and the campaign ticked at its time.
    void Tick(TtffCampaign& c, double step) {
        const FixState s = Step(step);
        c.Tick(s, Now);
    }
    FixState Step(double step) {
        Now += step;
        FixState s;
        s.Cycle = ++Cycle;
        s.CycleStart = Now;
        s.Fix = Fix;
        s.Solution = Solution;
        return s;
    }
};

TEST(TtffCampaign, EachRunTimesTheFirstFixOfACycleBegunAfterItsRestart) {
    CampaignSettings settings;
    settings.Runs = 2;
    settings.TimeoutSeconds = 100;
    settings.PauseSeconds = 1;
    int restarts = 0;
    Receiver rx;
    TtffCampaign c(settings, [&](RestartKind kind) {
        EXPECT_EQ(kind, RestartKind::Cold);
        ++restarts;
        return true;
    });
    for (int i = 0; i < 2; ++i) rx.Tick(c, 1);
    EXPECT_EQ(restarts, 0) << "the first restart waits until the receiver is heard";
    rx.Tick(c, 1);
    ASSERT_EQ(restarts, 1);
    rx.Tick(c, 0.5);
    EXPECT_EQ(c.Runs()[0].Fix3D, CampaignRun::NotReached)
        << "a fix the receiver kept through the restart (worked out before it, or the "
           "restart ignored) does not count";
    rx.Fix = 1;
    rx.Tick(c, 0.5);
    rx.Fix = 3;
    rx.Tick(c, 0.5);
    EXPECT_EQ(c.Runs()[0].Fix3D, 1.5) << "the first fix after it was lost, from its cycle's start";

    // Second run: no fix for a while, then 2D, then 3D.
    rx.Fix = 1;
    while (restarts < 2) rx.Tick(c, 0.5);
    const double second = rx.Now;
    FixState stale = rx.Step(0);
    stale.Cycle = rx.Cycle;  // the cycle under way at the restart
    stale.CycleStart = second - 0.2;
    stale.Fix = 3;
    c.Tick(stale, rx.Now);
    EXPECT_EQ(c.Runs()[1].Fix3D, CampaignRun::NotReached) << "begun before the restart";
    for (int i = 0; i < 4; ++i) rx.Tick(c, 1);
    rx.Fix = 2;
    rx.Tick(c, 1);
    rx.Fix = 3;
    rx.Tick(c, 1);
    ASSERT_TRUE(c.Finished());
    EXPECT_NEAR(c.Runs()[1].Fix2D, 5.0, 1e-9);
    EXPECT_NEAR(c.Runs()[1].Fix3D, 6.0, 1e-9);
    EXPECT_EQ(c.Failures(), 0);
}

// "Time to RTK fixed": the run goes on past the 3D fix to the receiver's
// first RTK fixed solution, timing float and fixed from the restart; a
// solution kept through the restart does not count.
TEST(TtffCampaign, ATimeToRtkFixedRunEndsAtFixed) {
    CampaignSettings settings;
    settings.Runs = 1;
    settings.TimeoutSeconds = 100;
    settings.UntilRtkFixed = true;
    int restarts = 0;
    Receiver rx;
    rx.Solution = RtkFix::Fixed;
    TtffCampaign c(settings, [&](RestartKind) { return ++restarts, true; });
    while (restarts == 0) rx.Tick(c, 1);
    rx.Tick(c, 1);
    EXPECT_EQ(c.Runs()[0].RtkFixed, CampaignRun::NotReached) << "kept through the restart";
    const struct {
        int Fix;
        RtkFix Solution;
    } cycles[] = {{1, RtkFix::NoFix}, {3, RtkFix::Fix3D}, {3, RtkFix::Dgnss},
                  {3, RtkFix::Float}, {3, RtkFix::Float}, {3, RtkFix::Fixed}};
    for (const auto& cycle : cycles) {
        EXPECT_FALSE(c.Finished());
        rx.Fix = cycle.Fix;
        rx.Solution = cycle.Solution;
        rx.Tick(c, 1);
    }
    ASSERT_TRUE(c.Finished());
    const CampaignRun& run = c.Runs()[0];
    EXPECT_EQ(run.Fix3D, 3);
    EXPECT_EQ(run.RtkFloat, 5);
    EXPECT_EQ(run.RtkFixed, 7);
}

// A campaign started by corrections sends no restart: each run begins when
// the caller says corrections started, times float and fixed from then once
// a cycle has shown no RTK solution, and the next run waits for the next start.
TEST(TtffCampaign, CorrectionsStartEachRun) {
    CampaignSettings settings;
    settings.Runs = 2;
    settings.TimeoutSeconds = 100;
    settings.StartBy = CampaignStart::Corrections;
    int restarts = 0;
    Receiver rx;
    rx.Solution = RtkFix::Fix3D;
    TtffCampaign c(settings, [&](RestartKind) { return ++restarts, true; });
    for (int i = 0; i < 5; ++i) rx.Tick(c, 1);
    EXPECT_TRUE(c.Runs().empty()) << "no run before corrections start";
    EXPECT_TRUE(c.AwaitingCorrections());
    for (int run = 0; run < 2; ++run) {
        const double start = rx.Now;
        ASSERT_TRUE(c.CorrectionsStarted(rx.Step(0), start));
        EXPECT_FALSE(c.CorrectionsStarted(rx.Step(0), start)) << "a run is under way";
        for (RtkFix s : {RtkFix::Fix3D, RtkFix::Dgnss, RtkFix::Float, RtkFix::Fixed}) {
            EXPECT_FALSE(c.AwaitingCorrections());
            rx.Solution = s;
            rx.Tick(c, 2);
        }
        const CampaignRun& r = c.Runs()[run];
        EXPECT_EQ(r.RtkFloat, 6);
        EXPECT_EQ(r.RtkFixed, 8);
        EXPECT_EQ(r.Fix3D, CampaignRun::NotReached);
        rx.Solution = RtkFix::Fix3D;
    }
    EXPECT_TRUE(c.Finished());
    EXPECT_EQ(restarts, 0);
    std::ostringstream csv;
    ExportCampaignCsv(c, csv);
    EXPECT_NE(csv.str().find("\n2,corrections,,,,fix,6.0,8.0\n"), std::string::npos) << csv.str();
}

// A receiver still in RTK when corrections start (a quick reconnect) counts
// only once it has lost it; a restart campaign ignores corrections starts.
TEST(TtffCampaign, CorrectionsStartNeedsTheRtkSolutionLost) {
    CampaignSettings settings;
    settings.Runs = 1;
    settings.StartBy = CampaignStart::Corrections;
    Receiver rx;
    rx.Solution = RtkFix::Fixed;
    TtffCampaign c(settings, [](RestartKind) { return true; });
    ASSERT_TRUE(c.CorrectionsStarted(rx.Step(0), rx.Now));
    rx.Tick(c, 1);
    EXPECT_EQ(c.Runs()[0].RtkFixed, CampaignRun::NotReached);
    rx.Solution = RtkFix::Fix3D;
    rx.Tick(c, 1);
    rx.Solution = RtkFix::Fixed;
    rx.Tick(c, 1);
    EXPECT_EQ(c.Runs()[0].RtkFixed, 3);

    TtffCampaign restarting(CampaignSettings{}, [](RestartKind) { return true; });
    EXPECT_FALSE(restarting.CorrectionsStarted(rx.Step(0), rx.Now));
}

TEST(TtffCampaign, ARunWithoutFixTimesOutAndTheNextFollowsThePause) {
    CampaignSettings settings;
    settings.Runs = 2;
    settings.TimeoutSeconds = 3;
    settings.PauseSeconds = 2;
    std::vector<double> restartTimes;
    Receiver rx;
    rx.Fix = 1;
    TtffCampaign c(settings, [&](RestartKind) {
        restartTimes.push_back(rx.Now);
        return true;
    });
    while (!c.Finished() && rx.Now < 100) rx.Tick(c, 0.25);
    ASSERT_TRUE(c.Finished());
    ASSERT_EQ(restartTimes.size(), 2u);
    EXPECT_NEAR(restartTimes[1] - restartTimes[0], 3 + 2, 0.25 + 1e-9);
    EXPECT_EQ(c.Failures(), 2);
    EXPECT_TRUE(c.Runs()[0].TimedOut);
    EXPECT_EQ(c.Runs()[0].Fix2D, CampaignRun::NotReached);
}

// A cancel, and the receiver or the link going away: nothing more is sent,
// the run under way is left out, and the reason stays.
TEST(TtffCampaign, EndingEarlySendsNothingMoreAndDropsTheRunUnderWay) {
    const struct {
        const char* name;
        std::function<void(TtffCampaign&)> end;
        bool cancelled;
        const char* problem;
    } cases[] = {
        {"cancel", [](TtffCampaign& c) { c.Cancel(); }, true, "cancelled"},
        {"device gone", [](TtffCampaign& c) { c.Abandon("/dev/x: the device is gone"); }, false,
         "/dev/x: the device is gone"},
    };
    for (const auto& k : cases) {
        CampaignSettings settings;
        settings.Runs = 5;
        settings.PauseSeconds = 0;
        int restarts = 0;
        Receiver rx;
        TtffCampaign c(settings, [&](RestartKind) { return ++restarts, true; });
        for (int i = 0; i < 3; ++i) rx.Tick(c, 1);
        rx.Fix = 1;
        rx.Tick(c, 1);
        rx.Fix = 3;
        rx.Tick(c, 1);  // run 1 done
        rx.Fix = 1;
        while (restarts < 2) rx.Tick(c, 1);
        rx.Tick(c, 1);
        k.end(c);
        for (int i = 0; i < 400; ++i) rx.Tick(c, 1);
        EXPECT_EQ(restarts, 2) << k.name;
        EXPECT_TRUE(c.Finished()) << k.name;
        EXPECT_EQ(c.Cancelled(), k.cancelled) << k.name;
        EXPECT_EQ(c.Problem(), k.problem) << k.name;
        ASSERT_EQ(c.Runs().size(), 1u) << k.name << ": the finished run stays, not the other";
        EXPECT_EQ(c.Failures(), 0) << k.name;
    }
}

// What a run that reached no 3D fix in time is called: a receiver heard
// with its fix all along ignored the restart; one that lost it, or went
// silent, timed out.
TEST(TtffCampaign, ARunWithoutNewFixIsTimedOutOrRestartIgnored) {
    const struct {
        const char* name;
        int fix;      // of the cycles after the restart
        bool silent;  // no cycle after the restart
        const char* result;
    } cases[] = {
        {"fix kept", 3, false, "restart ignored"},
        {"2D kept", 2, false, "restart ignored"},
        {"fix lost", 1, false, "timed out"},
        {"silent", 3, true, "timed out"},
    };
    for (const auto& k : cases) {
        CampaignSettings settings;
        settings.Runs = 1;
        settings.TimeoutSeconds = 5;
        Receiver rx;
        TtffCampaign c(settings, [](RestartKind) { return true; });
        FixState last;
        while (c.Runs().empty()) {
            last = rx.Step(1);
            c.Tick(last, rx.Now);
        }
        rx.Fix = k.fix;
        while (!c.Finished() && rx.Now < 100) {
            if (!k.silent) {
                rx.Tick(c, 0.5);
                continue;
            }
            rx.Now += 0.5;
            c.Tick(last, rx.Now);  // still the cycle the restart came in
        }
        ASSERT_TRUE(c.Finished()) << k.name;
        EXPECT_STREQ(RunResultText(c.Runs()[0]), k.result) << k.name;
        EXPECT_EQ(c.Failures() + c.Ignored(), 1) << k.name;
        std::ostringstream csv;
        ExportCampaignCsv(c, csv);
        EXPECT_NE(csv.str().find(k.fix == 1 || k.silent ? "1,cold,,,,timeout,,\n"
                                                        : "1,cold,,,,restart ignored,,\n"),
                  std::string::npos)
            << k.name << '\n'
            << csv.str();
        EXPECT_NE(csv.str().find("# 3D,count 0,min --,median --,mean --,p90 --,max --\n"),
                  std::string::npos)
            << k.name << ": no run reached 3D\n"
            << csv.str();
    }
}

TEST(TtffCampaign, AClosedLinkEndsTheCampaignWithAReason) {
    Receiver rx;
    TtffCampaign c(CampaignSettings{}, [](RestartKind) { return false; });
    for (int i = 0; i < 3; ++i) rx.Tick(c, 1);
    EXPECT_TRUE(c.Finished());
    EXPECT_NE(c.Problem().find("closed"), std::string::npos);
}

TEST(TtffCampaign, StatisticsAndTheCsvAgreeWithTheRuns) {
    // Runs with 3D times 30, 34, 31, 45, 33 and a time-out, fed in by hand.
    const double times[] = {30, 34, 31, 45, 33, -1};
    CampaignSettings settings;
    settings.Runs = 6;
    settings.TimeoutSeconds = 60;
    settings.PauseSeconds = 0;
    Receiver rx;
    size_t run = 0;
    double restartAt = 0;
    TtffCampaign c(settings, [&](RestartKind) { return restartAt = rx.Now, true; });
    rx.Fix = 1;
    while (!c.Finished() && rx.Now < 10000) {
        const size_t current = c.Runs().size();
        if (current > 0) run = current - 1;
        const double due = run < 6 ? times[run] : -1;
        rx.Fix = current > 0 && due >= 0 && rx.Now + 1 - restartAt >= due ? 3 : 1;
        rx.Tick(c, 1);
    }
    ASSERT_EQ(c.Runs().size(), 6u);
    const TtffStatistics s = c.Summary3D();
    EXPECT_EQ(s.Count, 5);
    EXPECT_EQ(s.Min, 30);
    EXPECT_EQ(s.Max, 45);
    EXPECT_EQ(s.Median, 33);
    EXPECT_NEAR(s.Mean, (30 + 34 + 31 + 45 + 33) / 5.0, 1e-9);
    EXPECT_EQ(s.P90, 45);  // nearest rank: the 5th of 5
    EXPECT_EQ(c.Failures(), 1);
    std::ostringstream csv;
    ExportCampaignCsv(c, csv);
    EXPECT_NE(csv.str().find("4,cold,45.0,45.0,,fix,,\n"), std::string::npos) << csv.str();
    EXPECT_NE(csv.str().find("6,cold,,,,timeout,,\n"), std::string::npos) << csv.str();
    EXPECT_NE(csv.str().find("# failures,1"), std::string::npos);
    EXPECT_EQ(Histogram({30, 34, 31, 45, 33}, 5), (std::vector<int>{0, 0, 0, 0, 0, 0, 4, 0, 0, 1}));
    // Tenths on the edges of 0.2 s bins fall in the bin they start.
    std::vector<int> tenths(19, 0);
    tenths[17] = 1;
    tenths[18] = 2;
    EXPECT_EQ(Histogram({3.4, 3.6, 3.7}, 0.2), tenths);
    // Times that all read 3.8 s in the runs table share one bin.
    std::vector<int> same(20, 0);
    same[19] = 4;
    EXPECT_EQ(Histogram({3.76, 3.79, 3.8, 3.84}, 0.2), same);
}

}  // namespace

TEST(CampaignText, RunCountsReadAsEnglish) {
    EXPECT_EQ(RunCountText(0), "0 runs");
    EXPECT_EQ(RunCountText(1), "1 run");
    EXPECT_EQ(RunCountText(2), "2 runs");
}
