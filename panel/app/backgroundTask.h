// One long operation of the screens at a time, off the GUI thread: the stick check, the install,
// the network save. The GUI thread starts it and hears the outcome through queued signals.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

class backgroundTask {
public:
    backgroundTask() = default;
    backgroundTask(const backgroundTask&) = delete;
    backgroundTask& operator=(const backgroundTask&) = delete;
    ~backgroundTask() { wait(); }

    // What an operation hands back: the report of its outcome, run once the task counts as
    // done, so whoever hears it may start the next operation at once.
    using report = std::function<void()>;

    // Runs `work` on its own thread, then the report it returns; false (and nothing runs) while
    // the last one is not done, or when asked from the task's own thread.
    bool start(std::function<report()> work) {
        if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) {
            return false;
        }
        if (running_.exchange(true)) {
            return false;
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        thread_ = std::thread([this, work = std::move(work)] {
            const report outcome = work();
            running_ = false;
            if (outcome) {
                outcome();
            }
        });
        return true;
    }
    bool running() const { return running_; }
    void wait() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
};
