#include "tallyState.h"

std::array<std::atomic<std::int8_t>, switcherLink::kTallyEntries> tallyStatus{};
std::atomic<bool> switcherConnected{false};
std::atomic<int> pendingTallyPasses{0};
tally::tallyLightTable tallyArray;
std::atomic<bool> isTallyCheckRunning{false};
std::array<std::atomic<int>, tally::kGpiChannels> gpiChannelCamera{};

void resetTallyState() {
    for (std::atomic<std::int8_t>& entry : tallyStatus) {
        entry = 0;
    }
    switcherConnected = false;
    pendingTallyPasses = 0;
    tallyArray.reset();
    isTallyCheckRunning = false;
    for (std::atomic<int>& camera : gpiChannelCamera) {
        camera = 0;
    }
}
