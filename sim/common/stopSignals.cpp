#include "stopSignals.h"

void catchStopSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

sigset_t blockStopSignalsOutsideWait(void (*handler)(int)) {
    catchStopSignals(handler);
    sigset_t stopSignals;
    sigset_t waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    return waitMask;
}

int waitLettingStopIn(std::vector<pollfd>& fds, int timeoutMs, const sigset_t& waitMask) {
    const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    return ::ppoll(fds.data(), fds.size(), timeoutMs < 0 ? nullptr : &timeout, &waitMask);
}
