#include "remoteKeys.h"

remoteKeyQueue remoteKeys;

automation::actionOutcome remoteKeyQueue::submit(const automation::remoteAction& action,
                                                 std::chrono::milliseconds wait) {
    auto t = std::make_shared<ticket>();
    t->action = action;
    std::unique_lock<std::mutex> lock(mutex_);
    if (waiting_.size() >= kWaiting) {
        return automation::actionOutcome::busy;
    }
    waiting_.push_back(t);
    if (!over_.wait_for(lock, wait, [&] { return t->state == ticket::stage::over; })) {
        if (t->state == ticket::stage::waiting) {
            t->state = ticket::stage::withdrawn;
            return automation::actionOutcome::busy;
        }
        // Begun: it ends within the pass, so its outcome is waited for.
        over_.wait(lock, [&] { return t->state == ticket::stage::over; });
    }
    return t->outcome;
}

void remoteKeyQueue::runWaiting(
    const std::function<automation::actionOutcome(const automation::remoteAction&)>& run) {
    for (;;) {
        std::shared_ptr<ticket> t;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (waiting_.empty()) {
                return;
            }
            t = waiting_.front();
            waiting_.pop_front();
            if (t->state == ticket::stage::withdrawn) {
                continue;
            }
            t->state = ticket::stage::running;
        }
        const automation::actionOutcome outcome = run(t->action);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            t->outcome = outcome;
            t->state = ticket::stage::over;
        }
        over_.notify_all();
    }
}
