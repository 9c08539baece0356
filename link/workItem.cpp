#include "workItem.h"

#include <exception>
#include <string>

#include "linkLog.h"

void workItem::pauseThread() {
    std::lock_guard<std::mutex> lock(pauseMutex);
    startRunning = false;
}

void workItem::pauseAndWaitIdle() {
    std::unique_lock<std::mutex> lock(pauseMutex);
    startRunning = false;
    pauseCondition.wait(lock, [this] { return !inTask; });
}

void workItem::startRunningThread() {
    {
        std::lock_guard<std::mutex> lock(pauseMutex);
        startRunning = true;
    }
    pauseCondition.notify_all();
}

void workItem::restart() {
    // The worker holds timerMutex while it runs the task and while it waits at the pause gate, so
    // the wake-up is sent without it: a worker in its timed wait runs at once; one that is busy
    // or paused has nothing to wake from and keeps its schedule.
    timerCondition.notify_all();
}

bool workItem::isRunning() const {
    std::lock_guard<std::mutex> lock(pauseMutex);
    return startRunning;
}

void workItem::stop() {
    {
        std::lock_guard<std::mutex> lock(pauseMutex);
        if (endProcess.load()) {
            return;
        }
        endProcess.store(true);
    }
    // A paused worker waits at the gate: the gate also opens for the end.
    pauseCondition.notify_all();
    {
        // The worker holds timerMutex except while it waits for the next period, so once we
        // hold it the worker is either in that wait (and this wakes it) or out of its loop.
        std::lock_guard<std::mutex> lock(timerMutex);
        timerCondition.notify_all();
    }
    std::unique_lock<std::mutex> lock(stopMutex);
    stopCondition.wait(lock, [this] { return loopLeft; });
}

void worker(workItem& item) {
    std::unique_lock<std::mutex> timerLock(item.timerMutex);
    while (true) {
        workItem::clock::time_point now;
        bool due = false;
        {
            // The gate and the decision to run are taken together, so a pause that closes the
            // gate after this point waits for the run (pauseAndWaitIdle) instead of missing it.
            std::unique_lock<std::mutex> pauseLock(item.pauseMutex);
            item.pauseCondition.wait(
                pauseLock, [&item] { return item.startRunning || item.endProcess.load(); });
            now = workItem::clock::now();
            if (item.endProcess.load()) {
                break;
            }
            due = item.currentTime < now;
            item.inTask = due;
        }
        if (due) {
            try {
                item.task();
            } catch (const std::exception& failure) {
                linkLog("workItem", std::string("task failed: ") + failure.what());
            }
            {
                std::lock_guard<std::mutex> pauseLock(item.pauseMutex);
                item.inTask = false;
            }
            item.pauseCondition.notify_all();
            std::this_thread::sleep_for(workItem::kAfterTaskPause);
        }
        item.currentTime = now + item.delayTime;
        // A wake-up before the deadline means "run now" (stop() uses it to end the wait early;
        // the end flag is then seen before the task could run again).
        if (item.timerCondition.wait_until(timerLock, item.currentTime) ==
            std::cv_status::no_timeout) {
            item.currentTime = workItem::clock::now();
        }
    }
    timerLock.unlock();
    std::lock_guard<std::mutex> stopLock(item.stopMutex);
    item.loopLeft = true;
    item.stopCondition.notify_all();
}

std::thread startWorkerThread(workItem& item) {
    return std::thread([&item] { worker(item); });
}
