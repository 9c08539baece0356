// How a simulator stops: SIGTERM and SIGINT set its stop flag (stopRequested), and SIGPIPE is
// ignored, so a reader that went away never ends a simulator.
#pragma once

#include <poll.h>
#include <signal.h>

#include <vector>

void catchStopSignals();

// True once SIGTERM or SIGINT came.
bool stopRequested();

// As catchStopSignals, and the two stop signals are blocked outside the program's wait, so a
// stop request cannot slip in between the flag's check and the wait. Returns the mask to wait
// with (ppoll), which lets them in.
sigset_t blockStopSignalsOutsideWait();

// Waits for events on fds for up to timeoutMs (forever when negative) with the stop signals let
// in; the result of ppoll.
int waitLettingStopIn(std::vector<pollfd>& fds, int timeoutMs, const sigset_t& waitMask);
