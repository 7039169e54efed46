#include "thread/YThread.h"

std::atomic<UiDispatcher*> YThread::FMainDispatcher{nullptr};

YThread::YThread(bool createSuspended) : FSuspended(createSuspended) {}

YThread::~YThread() {
    if (!FThread.joinable()) return;
    if (FThread.get_id() == std::this_thread::get_id()) {
        FThread.detach();  // freeing itself at the end of Run
        return;
    }
    Terminate();
    FThread.join();
}

void YThread::Start() {
    std::lock_guard<std::mutex> guard(FStateLock);
    if (FStarted) return;
    FStarted = true;
    FThread = std::thread(&YThread::Run, this);
}

// Resume and Terminate signal while holding the lock: a thread that frees
// itself may end and delete its condition variable as soon as it can take
// the lock again, so the caller must be done with the object by then.
void YThread::Resume() {
    std::lock_guard<std::mutex> guard(FStateLock);
    FSuspended = false;
    FStateChanged.notify_all();
}

void YThread::Suspend() {
    std::lock_guard<std::mutex> guard(FStateLock);
    FSuspended = true;
}

bool YThread::Suspended() const {
    std::lock_guard<std::mutex> guard(FStateLock);
    return FSuspended;
}

void YThread::Terminate() {
    std::lock_guard<std::mutex> guard(FStateLock);
    FTerminated.store(true, std::memory_order_release);
    FStateChanged.notify_all();
}

void YThread::WaitFor() {
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void YThread::Shutdown() {
    Terminate();
    WaitFor();
}

void YThread::SetMainDispatcher(UiDispatcher* dispatcher) {
    FMainDispatcher.store(dispatcher);
}

UiDispatcher* YThread::MainDispatcher() {
    return FMainDispatcher.load();
}

std::thread::id YThread::ThreadId() const {
    return FThread.get_id();
}

std::thread::native_handle_type YThread::NativeHandle() {
    return FThread.native_handle();
}

bool YThread::SafePoint() {
    std::unique_lock<std::mutex> guard(FStateLock);
    FStateChanged.wait(guard, [this] { return !FSuspended || Terminated(); });
    return !Terminated();
}

UiDispatcher* YThread::Dispatcher() const {
    return FDispatcher ? FDispatcher : FMainDispatcher.load();
}

void YThread::Synchronize(const std::function<void()>& fn) {
    if (UiDispatcher* dispatcher = Dispatcher())
        dispatcher->Synchronize(fn);
    else
        fn();
}

void YThread::Queue(std::function<void()> fn) {
    if (UiDispatcher* dispatcher = Dispatcher())
        dispatcher->Queue(std::move(fn));
    else
        fn();
}

void YThread::Run() {
    // A thread created suspended waits here for Resume; one terminated
    // before it ever ran skips its body.
    if (SafePoint()) Execute();
    FFinished.store(true, std::memory_order_release);
    if (FFreeOnTerminate) delete this;
}
