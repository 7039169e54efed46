// A user-interface thread for tests: work handed over with Synchronize or
// Queue runs on the thread that created the loop, while it pumps.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "thread/UiDispatcher.h"

class TestEventLoop : public UiDispatcher {
  public:
    TestEventLoop() : FOwner(std::this_thread::get_id()) {}

    void Synchronize(const std::function<void()>& fn) override {
        if (std::this_thread::get_id() == FOwner) {
            fn();
            return;
        }
        auto done = std::make_shared<bool>(false);
        std::unique_lock<std::mutex> guard(FLock);
        FTasks.push_back({fn, done});
        FChanged.notify_all();
        FChanged.wait(guard, [&] { return *done; });
    }

    void Queue(std::function<void()> fn) override {
        std::lock_guard<std::mutex> guard(FLock);
        FTasks.push_back({std::move(fn), nullptr});
        FChanged.notify_all();
    }

    // Runs handed-over work on this thread until `until` holds or the time is up.
    bool RunUntil(const std::function<bool()>& until,
                  std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::unique_lock<std::mutex> guard(FLock);
        for (;;) {
            while (!FTasks.empty()) {
                Task task = std::move(FTasks.front());
                FTasks.pop_front();
                guard.unlock();
                task.Fn();
                guard.lock();
                if (task.Done) *task.Done = true;
                FChanged.notify_all();
            }
            guard.unlock();
            const bool met = until();
            guard.lock();
            if (met) return true;
            // Wake now and then: `until` may watch state nobody signals.
            if (std::chrono::steady_clock::now() >= deadline) return false;
            FChanged.wait_for(guard, PollInterval);
        }
    }

    // Pumps for a while (lets handed-over work run).
    void RunFor(std::chrono::milliseconds span) {
        RunUntil([] { return false; }, span);
    }

  private:
    struct Task {
        std::function<void()> Fn;
        std::shared_ptr<bool> Done;
    };
    static constexpr std::chrono::milliseconds PollInterval{5};

    const std::thread::id FOwner;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::deque<Task> FTasks;
};
