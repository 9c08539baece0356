// A periodic task with a pause gate and a stop handshake; its thread runs worker(item).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class workItem {
public:
    using clock = std::chrono::steady_clock;

    workItem(clock::time_point start, std::chrono::nanoseconds period, std::function<void()> work)
        : currentTime(start), delayTime(period), task(std::move(work)) {}
    virtual ~workItem() = default;

    workItem(const workItem&) = delete;
    workItem& operator=(const workItem&) = delete;

    // The worker finishes the run it is in and then waits at the pause gate.
    void pauseThread();
    // Closes the gate like pauseThread, then waits until a run of the task that is under way has
    // ended, so that no run of the task follows this call until the gate opens again. Must not be
    // called while holding a lock the task takes.
    void pauseAndWaitIdle();
    // Opens the pause gate.
    void startRunningThread();
    // Wakes the timer: a running item runs its task at once instead of at the end of its period.
    void restart();
    // Ends the worker loop and returns once the worker has left it, whether the item was
    // running or paused. A worker thread must have been started on the item (it may not have
    // reached its loop yet). Returns at once when the item was stopped before.
    void stop();

    bool isRunning() const;

    // When the task is next due; owned by the worker thread once it runs.
    clock::time_point currentTime;
    // Period, measured from the moment taken before the task ran.
    std::chrono::nanoseconds delayTime;
    // The work done each period; set before the worker thread starts.
    std::function<void()> task;

    std::atomic<bool> endProcess{false};  // written under pauseMutex so the gate sees it
    std::condition_variable timerCondition;
    std::condition_variable stopCondition;
    std::condition_variable pauseCondition;
    std::mutex timerMutex;
    std::mutex stopMutex;
    mutable std::mutex pauseMutex;
    bool startRunning = false;  // guarded by pauseMutex
    bool inTask = false;        // guarded by pauseMutex: the worker is running the task
    bool loopLeft = false;      // guarded by stopMutex

    // Pause after each run of the task, before the next period is set.
    static constexpr std::chrono::milliseconds kAfterTaskPause{15};
};

// Thread body of a work item: runs the task once per period while the gate is open.
void worker(workItem& item);

// Starts a thread on worker(item). The caller owns the thread (join after stop(), or detach).
std::thread startWorkerThread(workItem& item);
