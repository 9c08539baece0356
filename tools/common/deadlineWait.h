// Waiting on one descriptor until a deadline, for the command-line tools: the time left is the
// poll budget, rounded up so a wait never ends a little early and spins on a zero budget.
#pragma once

#include <poll.h>

#include <cerrno>
#include <chrono>

enum class DeadlineWait { Ready, Timeout, Failed };

// Ready also on an error or hang-up of the descriptor: the next read reports it.
inline DeadlineWait waitUntil(int fd, short events,
                              std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return DeadlineWait::Timeout;
        }
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(remaining));
        if (ready > 0) {
            return DeadlineWait::Ready;
        }
        if (ready < 0 && errno != EINTR) {
            return DeadlineWait::Failed;
        }
    }
}
