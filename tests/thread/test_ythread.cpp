// The thread facility: suspension, termination, freeing itself, and work
// handed to a user-interface thread.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "tests/thread/TestEventLoop.h"
#include "thread/YThread.h"

namespace {

using namespace std::chrono_literals;

// Runs `body` once, or loops it through safe points until terminated.
class TestThread : public YThread {
  public:
    TestThread(bool suspended, std::function<void(TestThread&)> body)
        : YThread(suspended), FBody(std::move(body)) {}
    ~TestThread() override {
        if (Destroyed) *Destroyed = true;
    }
    using YThread::Queue;
    using YThread::SafePoint;
    using YThread::Synchronize;
    std::atomic<bool>* Destroyed = nullptr;

  protected:
    void Execute() override { FBody(*this); }

  private:
    std::function<void(TestThread&)> FBody;
};

TEST(YThread, ACreatedSuspendedThreadRunsOnlyAfterResume) {
    std::atomic<bool> ran{false};
    TestThread thread(true, [&](TestThread&) { ran = true; });
    thread.Start();
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(thread.Suspended());
    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(thread.Finished());
}

TEST(YThread, SuspendParksTheThreadAtItsNextSafePoint) {
    std::atomic<int> passes{0};
    TestThread thread(false, [&](TestThread& self) {
        while (self.SafePoint()) {
            ++passes;
            std::this_thread::sleep_for(1ms);
        }
    });
    thread.Start();
    while (passes < 3) std::this_thread::yield();
    thread.Suspend();
    std::this_thread::sleep_for(20ms);  // the pass under way ends
    const int parked = passes;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(passes, parked);
    thread.Resume();
    while (passes < parked + 3) std::this_thread::yield();
    thread.Terminate();
    thread.WaitFor();
}

TEST(YThread, TerminateReleasesASuspendedThreadWithoutRunningIt) {
    std::atomic<bool> ran{false};
    TestThread thread(true, [&](TestThread&) { ran = true; });
    thread.Start();
    thread.Terminate();
    thread.WaitFor();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(thread.Terminated());
}

TEST(YThread, AThreadLeftToFreeItselfIsDeletedWhenItEnds) {
    std::atomic<bool> destroyed{false};
    auto* thread = new TestThread(false, [](TestThread&) {});
    thread->Destroyed = &destroyed;
    thread->SetFreeOnTerminate(true);
    thread->Start();
    while (!destroyed) std::this_thread::yield();
}

TEST(YThread, SynchronizeRunsOnTheUserInterfaceThreadAndWaits) {
    TestEventLoop loop;
    int value = 0;  // touched by both threads, ordered by the hand-off
    std::thread::id ranOn;
    int seenAfter = -1;
    TestThread thread(false, [&](TestThread& self) {
        self.Synchronize([&] {
            ranOn = std::this_thread::get_id();
            value = 42;
        });
        seenAfter = value;
    });
    thread.SetDispatcher(&loop);
    thread.Start();
    EXPECT_TRUE(loop.RunUntil([&] { return thread.Finished(); }));
    thread.WaitFor();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(seenAfter, 42);
}

TEST(YThread, QueueDoesNotWaitForTheUserInterfaceThread) {
    TestEventLoop loop;
    bool ran = false;
    TestThread thread(false, [&](TestThread& self) { self.Queue([&] { ran = true; }); });
    thread.SetDispatcher(&loop);
    thread.Start();
    thread.WaitFor();  // nobody pumps the loop, yet the thread ended
    EXPECT_FALSE(ran);
    loop.RunUntil([&] { return ran; });
    EXPECT_TRUE(ran);
}

TEST(YThread, WithoutADispatcherWorkRunsOnTheCallingThread) {
    std::thread::id ranOn, body;
    TestThread thread(false, [&](TestThread& self) {
        body = std::this_thread::get_id();
        self.Synchronize([&] { ranOn = std::this_thread::get_id(); });
    });
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(ranOn, body);
}

}  // namespace
