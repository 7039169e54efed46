#include "shell/QtUiDispatcher.h"

#include <QThread>
#include <condition_variable>

void QtUiDispatcher::Post(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> hold(FLock);
        FWork.push_back(std::move(work));
    }
    QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void QtUiDispatcher::Drain() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> hold(FLock);
            if (FWork.empty()) return;
            work = std::move(FWork.front());
            FWork.pop_front();
        }
        work();
    }
}

void QtUiDispatcher::Synchronize(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    Post([&] {
        fn();
        // Signalled under the lock: the waiter cannot return (and destroy
        // these locals) before this call has let go of them.
        std::lock_guard<std::mutex> hold(doneLock);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock<std::mutex> wait(doneLock);
    doneSignal.wait(wait, [&] { return done; });
}

void QtUiDispatcher::Queue(std::function<void()> fn) {
    Post(std::move(fn));
}
