// Tally state shared by the switcher, tally and GUI threads. Each item says how it is kept safe.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "switcherProtocol.h"
#include "tallyModel.h"

// The last tally byte the switcher reported per channel. The switcher thread writes, the GUI
// thread reads; every entry is an atomic of its own, so a reader may see some entries of one
// answer before the others, never a torn one.
extern std::array<std::atomic<std::int8_t>, switcherLink::kTallyEntries> tallyStatus;
// The switcher link got its initial burst and is polling.
extern std::atomic<bool> switcherConnected;
// Lamp passes asked of the GUI thread and not yet begun. The switcher thread asks for a pass per
// tally record; a pass reads every entry afresh, so while enough passes wait, more would only
// resend the same lamps, and a hostile answer with thousands of records cannot bury the GUI
// thread under them.
extern std::atomic<int> pendingTallyPasses;
constexpr int kMaxPendingTallyPasses = 2;

// The contact tally: lamp states written by the tally thread, sent by the GUI thread.
extern tally::tallyLightTable tallyArray;
// The contact poll runs; clearing it asks the poll to end.
extern std::atomic<bool> isTallyCheckRunning;
// The camera on each contact channel (0 for none), as the GUI thread's mapping last had it; the
// tally thread reads this copy, never the mapping itself.
extern std::array<std::atomic<int>, tally::kGpiChannels> gpiChannelCamera;

// Everything above back to its start values.
void resetTallyState();
