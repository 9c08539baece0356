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

    // Runs `work` on its own thread; false (and nothing runs) while the last one is not done.
    bool start(std::function<void()> work) {
        if (running_.exchange(true)) {
            return false;
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        thread_ = std::thread([this, work = std::move(work)] {
            work();
            running_ = false;
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
