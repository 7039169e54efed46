// The thread facility: a worker thread with an Execute body that is created
// running or suspended, can be suspended at safe points, asked to terminate,
// waited for, or left to free itself when it ends. Work for the user-interface
// thread goes through a UiDispatcher: Synchronize waits for it, Queue does not.
//
// Usage: construct the derived object, set FreeOnTerminate if wanted, then
// Start(). A thread created suspended starts its Execute only at Resume().
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "thread/UiDispatcher.h"

class YThread {
  public:
    explicit YThread(bool createSuspended);
    // Delete a thread object only once its Execute has returned (WaitFor), or
    // let it free itself; never delete one that frees itself. By the time
    // this destructor runs a derived class's part is already gone, so a
    // derived class whose objects may be deleted while running calls
    // Shutdown() in its own destructor. This destructor still asks a running
    // thread to end and waits for it, as a last resort.
    virtual ~YThread();
    YThread(const YThread&) = delete;
    YThread& operator=(const YThread&) = delete;

    // Launches the operating-system thread; call once, after construction.
    void Start();
    // Releases a thread created suspended or suspended since.
    void Resume();
    // Asks the thread to pause at its next safe point (never inside a lock).
    void Suspend();
    bool Suspended() const;
    // Asks the thread to end; also releases it when it is suspended, so that
    // a terminated thread never stays parked.
    void Terminate();
    bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
    // The terminate request as a flag a blocking wait can watch.
    const std::atomic<bool>& TerminatedFlag() const { return FTerminated; }
    // Waits until Execute has returned. Not for threads that free themselves.
    void WaitFor();
    bool Finished() const { return FFinished.load(std::memory_order_acquire); }
    // When set, the object deletes itself once Execute has returned. Set it
    // before Start(); after that nothing may touch the object.
    void SetFreeOnTerminate(bool free) { FFreeOnTerminate = free; }
    bool FreeOnTerminate() const { return FFreeOnTerminate; }

    // Where Synchronize and Queue send work. The process-wide dispatcher is
    // the user-interface thread's; a thread may have its own (tests). Without
    // any dispatcher the work runs at once on the calling thread.
    static void SetMainDispatcher(UiDispatcher* dispatcher);
    static UiDispatcher* MainDispatcher();
    void SetDispatcher(UiDispatcher* dispatcher) { FDispatcher = dispatcher; }

    // The running thread's id (default-constructed before Start).
    std::thread::id ThreadId() const;
    std::thread::native_handle_type NativeHandle();

  protected:
    virtual void Execute() = 0;
    // Asks the thread to end and waits for it (not when called by the thread
    // itself, as when it frees itself). For the destructors of derived classes.
    void Shutdown();
    // Blocks while a suspension is requested; returns false once terminated.
    bool SafePoint();
    void Synchronize(const std::function<void()>& fn);
    void Queue(std::function<void()> fn);

  private:
    void Run();
    UiDispatcher* Dispatcher() const;

    std::thread FThread;
    mutable std::mutex FStateLock;
    std::condition_variable FStateChanged;
    bool FSuspended;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    bool FFreeOnTerminate = false;
    bool FStarted = false;
    UiDispatcher* FDispatcher = nullptr;
    static std::atomic<UiDispatcher*> FMainDispatcher;
};
