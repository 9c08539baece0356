#include "stopSignals.h"

namespace {

volatile sig_atomic_t stopFlag = 0;

void onStopSignal(int) {
    stopFlag = 1;
}

}  // namespace

bool stopRequested() {
    return stopFlag != 0;
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

sigset_t blockStopSignalsOutsideWait() {
    catchStopSignals();
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
