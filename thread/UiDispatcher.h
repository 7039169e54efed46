// Hands work from worker threads to the user-interface thread. The monitor
// implements it over the Qt event loop; tests implement it over a loop of
// their own.
#pragma once

#include <functional>

class UiDispatcher {
  public:
    virtual ~UiDispatcher() = default;
    // Runs fn on the user-interface thread and waits until it has run. Called
    // on the user-interface thread itself, runs fn at once. A thread that the
    // user-interface thread may wait for must never call this (it would
    // deadlock): such threads use Queue.
    virtual void Synchronize(const std::function<void()>& fn) = 0;
    // Runs fn on the user-interface thread later, without waiting.
    virtual void Queue(std::function<void()> fn) = 0;
};
