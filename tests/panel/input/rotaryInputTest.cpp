#include "rotaryInput.h"

#include <gtest/gtest.h>
#include <linux/input.h>

#include <algorithm>
#include <cstring>

namespace {

std::string event(int type, int code, int value) {
    input_event e{};
    e.type = static_cast<__u16>(type);
    e.code = static_cast<__u16>(code);
    e.value = value;
    return std::string(reinterpret_cast<const char*>(&e), sizeof e);
}

TEST(RotaryInput, StepsFromRawEventsAcrossReads) {
    const std::string stream = event(EV_REL, REL_X, 1) + event(EV_SYN, 0, 0) +
                               event(EV_REL, REL_X, -1) + event(EV_REL, REL_Y, 1) +
                               event(EV_REL, REL_X, 2) + event(EV_KEY, 30, 1) +
                               event(EV_REL, REL_X, -1);
    std::vector<char> pending;
    // Split in the middle of a record.
    const std::size_t cut = sizeof(input_event) * 2 + 5;
    std::vector<int> steps = rotarySteps(stream.data(), cut, pending);
    EXPECT_EQ(steps, std::vector<int>{1});
    EXPECT_EQ(pending.size(), 5u);
    steps = rotarySteps(stream.data() + cut, stream.size() - cut, pending);
    EXPECT_EQ(steps, (std::vector<int>{-1, -1}));
    EXPECT_TRUE(pending.empty());
    EXPECT_TRUE(rotarySteps(nullptr, 0, pending).empty());
}

TEST(RotaryInput, OneDetentPer300Ms) {
    detentGate gate(1000);
    EXPECT_FALSE(gate.accept(1100)) << "too close to the start";
    EXPECT_TRUE(gate.accept(1300));
    EXPECT_FALSE(gate.accept(1400)) << "two detents 100 ms apart: the second is dropped";
    EXPECT_TRUE(gate.accept(1600));
    // The clock wraps every hour; a large jump is a new detent.
    EXPECT_TRUE(gate.accept(50));
}

TEST(RotaryInput, TestModeBacklightStaysInItsRange) {
    int level = 5000000;
    for (int detent = 1; detent <= 20; ++detent) {
        level = nextBacklightLevel(level, -1);
        EXPECT_EQ(level, std::min(10000000, 5000000 + detent * 500000)) << detent;
    }
    for (int detent = 0; detent < 25; ++detent) {
        level = nextBacklightLevel(level, +1);
    }
    EXPECT_EQ(level, 0);
}

}  // namespace
