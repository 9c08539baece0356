#include "workItem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Records when the task ran.
struct RunLog {
    std::mutex mutex;
    std::vector<Clock::time_point> runs;

    void record() {
        std::lock_guard<std::mutex> lock(mutex);
        runs.push_back(Clock::now());
    }
    std::size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return runs.size();
    }
    bool waitForCount(std::size_t wanted, std::chrono::seconds limit = 10s) {
        const auto deadline = Clock::now() + limit;
        while (count() < wanted) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
};

TEST(WorkItem, RunsOncePerPeriodWhileStarted) {
    RunLog log;
    workItem item(Clock::now(), 60ms, [&log] { log.record(); });
    std::thread thread = startWorkerThread(item);
    item.startRunningThread();
    ASSERT_TRUE(log.waitForCount(4));
    item.stop();
    thread.join();
    std::lock_guard<std::mutex> lock(log.mutex);
    for (std::size_t i = 1; i < log.runs.size(); ++i) {
        // The period is measured from before the task ran, so runs are never closer than it.
        EXPECT_GE(log.runs[i] - log.runs[i - 1], 59ms) << "run " << i;
    }
}

// Before a firmware upgrade takes the line, the poll must be out of its exchange and must not start
// another: a pause that waits for the run under way, wherever the worker was when it came.
TEST(WorkItem, PauseAndWaitIdleReturnsWithNoRunUnderWayOrToCome) {
    std::atomic<bool> inside{false};
    std::atomic<int> runs{0};
    workItem item(Clock::now(), 1ms, [&] {
        inside = true;
        std::this_thread::sleep_for(3ms);
        ++runs;
        inside = false;
    });
    std::thread thread = startWorkerThread(item);
    for (int round = 0; round < 30; ++round) {
        item.startRunningThread();
        std::this_thread::sleep_for(std::chrono::microseconds(500 + 700 * (round % 7)));
        item.pauseAndWaitIdle();
        EXPECT_FALSE(inside.load()) << "round " << round;
        const int before = runs.load();
        std::this_thread::sleep_for(25ms);
        EXPECT_EQ(runs.load(), before) << "a run after the pause, round " << round;
    }
    item.stop();
    thread.join();
}

TEST(WorkItem, DoesNotRunWhilePaused) {
    RunLog log;
    workItem item(Clock::now(), 20ms, [&log] { log.record(); });
    std::thread thread = startWorkerThread(item);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(log.count(), 0u) << "a new item starts paused";

    item.startRunningThread();
    ASSERT_TRUE(log.waitForCount(2));
    // A run already under way finishes; after that nothing more.
    item.pauseAndWaitIdle();
    const std::size_t atPause = log.count();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(log.count(), atPause);

    item.startRunningThread();
    ASSERT_TRUE(log.waitForCount(atPause + 1));
    item.stop();
    thread.join();
}

TEST(WorkItem, StopReturnsForRunningPausedAndNeverStartedItems) {
    RunLog log;
    // A long period: stop must not wait for it to run out.
    workItem running(Clock::now(), 1h, [&log] { log.record(); });
    std::thread runningThread = startWorkerThread(running);
    running.startRunningThread();
    ASSERT_TRUE(log.waitForCount(1));
    running.stop();
    runningThread.join();

    workItem paused(Clock::now(), 10ms, [&log] { log.record(); });
    std::thread pausedThread = startWorkerThread(paused);
    paused.startRunningThread();
    ASSERT_TRUE(log.waitForCount(3));
    paused.pauseAndWaitIdle();
    paused.stop();
    pausedThread.join();

    workItem neverStarted(Clock::now(), 10ms, [&log] { log.record(); });
    std::thread idleThread = startWorkerThread(neverStarted);
    const std::size_t before = log.count();
    neverStarted.stop();
    idleThread.join();
    EXPECT_EQ(log.count(), before);
    neverStarted.stop();  // a second stop returns at once
}

TEST(WorkItem, StopBeforeTheThreadReachesItsLoop) {
    std::atomic<int> runs{0};
    workItem item(Clock::now(), 10ms, [&runs] { ++runs; });
    item.startRunningThread();
    std::thread thread;
    std::thread stopper([&item] { item.stop(); });
    std::this_thread::sleep_for(20ms);
    thread = startWorkerThread(item);
    stopper.join();
    thread.join();
    EXPECT_EQ(runs.load(), 0);
}

}  // namespace

namespace {

TEST(WorkItem, RestartRunsAWaitingItemAtOnceAndNeverBlocks) {
    RunLog log;
    workItem item(Clock::now(), 10s, [&log] { log.record(); });
    std::thread thread = startWorkerThread(item);
    // Paused at the gate, the worker holds its timer lock: a restart must not wait for it.
    item.restart();
    item.startRunningThread();
    ASSERT_TRUE(log.waitForCount(1));
    // Now in its ten-second wait: a restart runs it again at once.
    std::this_thread::sleep_for(50ms);
    const auto before = Clock::now();
    item.restart();
    ASSERT_TRUE(log.waitForCount(2, 2s));
    EXPECT_LT(Clock::now() - before, 2s);
    item.pauseThread();
    item.restart();
    item.stop();
    thread.join();
}

}  // namespace
