// An MCU line on a virtual clock: bytes arrive at given microseconds after the request was
// written, and every wait of an exchange moves the clock on instead of sleeping. Tests and the
// fuzzer run the answer collection with it and know to the microsecond how long an exchange
// would have taken.
#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <string>

#include "mcuExchange.h"

class ScriptedAnswerLine final : public mcu::AnswerLine {
public:
    // bytes arrive atUs microseconds after the write, after everything scheduled before them.
    void arrive(long atUs, const std::string& bytes) {
        for (char byte : bytes) {
            pending_.push_back({atUs, byte});
        }
    }

    Clock::time_point writtenAt() const { return start_; }
    long elapsedUs() const { return nowUs_; }
    std::size_t unread() const { return pending_.size(); }

    int available() override {
        return static_cast<int>(std::count_if(pending_.begin(), pending_.end(),
                                              [this](const Byte& b) { return b.atUs <= nowUs_; }));
    }

    bool waitReadable(std::chrono::microseconds budget) override {
        if (available() > 0) {
            return true;
        }
        if (!pending_.empty() && pending_.front().atUs <= nowUs_ + budget.count()) {
            nowUs_ = std::max(nowUs_, pending_.front().atUs);
            return true;
        }
        nowUs_ += budget.count();
        return false;
    }

    int read(char* into, int most) override {
        int got = 0;
        while (got < most && !pending_.empty() && pending_.front().atUs <= nowUs_) {
            into[got++] = pending_.front().byte;
            pending_.pop_front();
        }
        return got;
    }

    void pause(std::chrono::microseconds duration) override { nowUs_ += duration.count(); }

    Clock::time_point now() override { return start_ + std::chrono::microseconds(nowUs_); }

private:
    struct Byte {
        long atUs;
        char byte;
    };
    std::deque<Byte> pending_;
    long nowUs_ = 0;
    const Clock::time_point start_ = Clock::time_point() + std::chrono::hours(1);
};
