// Actions from the automation interface, handed to the key thread and run there between two
// passes of its loop, as the panel's own keys are: the key thread stays the only one that owns
// the keys' state. The caller waits a bounded time for its action to run; an action the key
// thread did not begin in that time is withdrawn, so what the caller is told is what happened.
#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "remoteAction.h"

class remoteKeyQueue {
public:
    static constexpr std::size_t kWaiting = 16;

    // From any thread: the action's outcome once the key thread ran it, or busy when it did not
    // begin within `wait` (or too many wait already), in which case it never runs.
    automation::actionOutcome submit(const automation::remoteAction& action,
                                     std::chrono::milliseconds wait);
    // From the key thread: runs every waiting action with `run`.
    void runWaiting(
        const std::function<automation::actionOutcome(const automation::remoteAction&)>& run);

private:
    struct ticket {
        automation::remoteAction action;
        enum class stage { waiting, running, over, withdrawn } state = stage::waiting;
        automation::actionOutcome outcome = automation::actionOutcome::busy;
    };
    std::mutex mutex_;
    std::condition_variable over_;
    std::deque<std::shared_ptr<ticket>> waiting_;
};

extern remoteKeyQueue remoteKeys;
