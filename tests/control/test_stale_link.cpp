// Old data looks old, through the whole window on a live link: the sky view,
// the signal chart and the position panel are marked old while no link is
// open, when the simulated receiver falls silent, at a wrong rate, on Close
// and when the line hangs up, and fresh again as soon as sound sentences come.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <string>
#include <vector>

#include "ConnectFixture.h"
#include "shell/DataFreshness.h"
#include "tests/serial/PtyPair.h"
#include "views/FrameGPSInfo.h"
#include "views/FrameSViewer.h"
#include "views/FrameSnrViewer.h"

namespace {

constexpr int Baud4800 = 0, Baud115200 = 5;
constexpr auto SilenceLimit = std::chrono::milliseconds(TDataFreshness::SilenceLimitMs);
// The simulator's sentences by their SiRF message numbers: GGA, GLL, GSA, GSV, RMC, VTG.
constexpr int SentenceKinds = 6;

class StaleLink : public ConnectFixture {
  protected:
    // How many of the three data views are marked old; they always agree
    // with the window's one decision.
    int StaleViews() {
        const int stale =
            Window->FSViewer->Stale() + Window->FSnrViewer->Stale() + Window->FGPSInfo->Stale();
        EXPECT_EQ(stale, Window->ViewsStale() ? 3 : 0);
        return stale;
    }
    bool AllStale() { return StaleViews() == 3; }
    bool AllFresh() { return StaleViews() == 0; }

    // A receiver at 115200 baud, connected in General mode and showing fresh data.
    void ConnectFresh(ReceiverSimulator& receiver) {
        SetExtraPorts({receiver.SlavePath()});
        OpenWindow();
        EXPECT_TRUE(AllStale()) << "no link yet";
        Choose(0, Baud115200, ModeGeneral);
        Press();
        ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
        ASSERT_TRUE(RunUntil([&] { return AllFresh(); }, 10s));
    }

    // Sets every sentence's output interval through the control panels'
    // command path, one command at a time, each heard by the receiver before
    // the next.
    void SetOutputInterval(ReceiverSimulator& receiver, int seconds) {
        for (int kind = 0; kind < SentenceKinds; ++kind) {
            const int heard = receiver.Status().Commands;
            Window->Link().Send(
                {"$PSRF103,0" + std::to_string(kind) + ",00,0" + std::to_string(seconds) + ",01*"});
            ASSERT_TRUE(RunUntil([&] { return receiver.Status().Commands > heard; }, 5s)) << kind;
        }
    }
};

TEST_F(StaleLink, FreshWhileDataFlowsOldAfterSilenceFreshAgainWhenItResumes) {
    auto receiver = StartReceiver(115200);
    ConnectFresh(*receiver);
    // Longer than the silence limit: sentences keep the views fresh.
    EXPECT_FALSE(RunUntil([&] { return !AllFresh(); }, SilenceLimit + 1s));

    QElapsedTimer silent;
    silent.start();
    SetOutputInterval(*receiver, 0);
    ASSERT_TRUE(RunUntil([&] { return AllStale(); }, SilenceLimit + 10s));
    // Not at the first quiet poll: a moment without sentences is no silence.
    EXPECT_GE(silent.elapsed(), TDataFreshness::SilenceLimitMs / 2);
    EXPECT_TRUE(Connected());

    // The first view refresh of the resumed data shows it fresh, without
    // waiting for a poll.
    std::vector<bool> staleAfterRefresh;
    Window->SetRefreshWatch([&] { staleAfterRefresh.push_back(Window->ViewsStale()); });
    SetOutputInterval(*receiver, 1);
    ASSERT_TRUE(RunUntil([&] { return !staleAfterRefresh.empty(); }, 10s));
    EXPECT_FALSE(staleAfterRefresh.front());
    Window->SetRefreshWatch(nullptr);
    EXPECT_TRUE(AllFresh());
}

TEST_F(StaleLink, CloseMarksTheViewsOldAtOnce) {
    auto receiver = StartReceiver(115200);
    ConnectFresh(*receiver);
    Press();  // Close
    EXPECT_TRUE(AllStale());
    // And they stay old: the receiver still talks, but to no one.
    EXPECT_FALSE(RunUntil([&] { return !AllStale(); }, 2s));
}

TEST_F(StaleLink, LostLinkIsOldAsSoonAsItIsSeenDown) {
    auto receiver = StartReceiver(115200);
    ConnectFresh(*receiver);
    receiver->Stop();  // hangs up
    ASSERT_TRUE(RunUntil([&] { return !Connected(); }, 5s));
    EXPECT_TRUE(AllStale());
}

TEST_F(StaleLink, WrongRateInGeneralStaysOld) {
    auto receiver = StartReceiver(115200);
    StartMismatched(*receiver);
    SetExtraPorts({receiver->SlavePath()});
    OpenWindow();
    Choose(0, Baud4800, ModeGeneral);
    Press();
    ASSERT_TRUE(RunUntil([&] { return Connected(); }, 5s));
    EXPECT_FALSE(RunUntil([&] { return !AllStale(); }, SilenceLimit + 1s));
    EXPECT_GT(receiver->Status().NoiseBytes, 0u) << "noise came, and nothing sound";
}

}  // namespace
