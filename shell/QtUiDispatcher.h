// Hands work from worker threads to the Qt event loop of the GUI thread.
// The work itself travels through a queue of our own under a standard mutex,
// so every hand-over is visible to ThreadSanitizer; Qt only carries the
// wake-up call.
#pragma once

#include <QObject>
#include <deque>
#include <mutex>

#include "thread/UiDispatcher.h"

class QtUiDispatcher : public QObject, public UiDispatcher {
    Q_OBJECT
  public:
    // Work runs in the event loop of the thread that creates the dispatcher.
    explicit QtUiDispatcher(QObject* parent = nullptr) : QObject(parent) {}

    void Synchronize(const std::function<void()>& fn) override;
    void Queue(std::function<void()> fn) override;

  private:
    Q_INVOKABLE void Drain();
    void Post(std::function<void()> work);

    std::mutex FLock;
    std::deque<std::function<void()>> FWork;
};
