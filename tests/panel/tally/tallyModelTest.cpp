// Tally rules without a screen: lamps per tally byte, the channel mapping the screens save, the
// contact sender's camera limit, the contact pins, and the lamp table of the contact tally.
#include <gtest/gtest.h>

#include <QList>

#include <atomic>
#include <thread>

#include "tallyModel.h"

namespace {

using tally::lampPair;

TEST(TallyLamps, ByteToLamps) {
    EXPECT_EQ(tally::lampsForTallyByte(0), (lampPair{3, 3}));
    EXPECT_EQ(tally::lampsForTallyByte(1), (lampPair{3, 2}));
    EXPECT_EQ(tally::lampsForTallyByte(4), (lampPair{2, 3}));
    EXPECT_EQ(tally::lampsForTallyByte(5), (lampPair{2, 3}));
    for (const int other : {2, 3, 6, 127, -1, -128}) {
        EXPECT_FALSE(tally::lampsForTallyByte(other).has_value()) << other;
    }
}

QList<int> cameras(std::initializer_list<std::pair<int, int>> cameraChannel) {
    QList<int> map;
    for (int m = 0; m < 24; ++m) {
        map.append(0);
    }
    for (const auto& [camera, channel] : cameraChannel) {
        map[camera - 1] = channel;
    }
    return map;
}

TEST(TallyMapping, LaterCameraWinsAndChannelsBeyondTheSwitcherAreIgnored) {
    EXPECT_EQ(tally::channelMapping(cameras({{2, 1}, {7, 1}}), 12),
              QList<int>({7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(tally::channelMapping(cameras({{3, 9}, {4, 6}}), 6), QList<int>({0, 0, 0, 0, 0, 4}));
    EXPECT_EQ(tally::channelMapping(cameras({{24, 12}, {1, 3}}), 12),
              QList<int>({0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 24}));
    // Negative channels and short lists from a screen are taken without harm.
    EXPECT_EQ(tally::channelMapping(QList<int>({-1, 2}), 6), QList<int>({0, 2, 0, 0, 0, 0}));
}

TEST(TallySender, CameraLimit) {
    EXPECT_EQ(tally::senderCameraLimit(3, true), 11);
    EXPECT_EQ(tally::senderCameraLimit(3, false), 3);
    EXPECT_EQ(tally::senderCameraLimit(20, true), 24);
    EXPECT_EQ(tally::senderCameraLimit(-4, false), 0);
}

TEST(TallyContacts, ScanOrderIsRedsThenGreens) {
    const auto& order = tally::gpiScanOrder();
    const int pins[] = {20, 21, 22, 23, 24, 25, 40, 41, 42, 43, 44, 45};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(order[i].pin, pins[i]);
        EXPECT_EQ(order[i].channel, i % 6 + 1);
        EXPECT_EQ(order[i].red, i < 6);
    }
}

TEST(TallyLightTable, ChangesAreTakenOnceAndWithinTheLimit) {
    tally::tallyLightTable table;
    EXPECT_EQ(table.light(4).red, 3);
    EXPECT_EQ(table.light(4).channel, 999);

    table.setLamp(4, true, 2);  // pin 22 high, channel 3 on camera 4
    table.setLamp(9, false, 2);
    auto taken = table.takeChanged(8);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].camera, 4);
    EXPECT_EQ(taken[0].light.red, 2);
    EXPECT_EQ(taken[0].light.green, 3);
    EXPECT_TRUE(table.takeChanged(8).empty());

    // The input staying high changes nothing; camera 9 waits for a limit that reaches it.
    table.setLamp(4, true, 2);
    taken = table.takeChanged(24);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].camera, 9);

    table.setLamp(0, true, 2);
    table.setLamp(25, true, 2);
    EXPECT_TRUE(table.takeChanged(24).empty());
    table.forget(4);
    EXPECT_EQ(table.light(4).red, 3);
}

// A poll writing while the sender takes: every change reaches the sender; with the last value
// written always the one the sender ends up with.
TEST(TallyLightTable, NoChangeIsLostBetweenTheReadAndTheClear) {
    tally::tallyLightTable table;
    std::atomic<bool> done{false};
    std::thread poll([&] {
        for (int i = 0; i < 20000; ++i) {
            table.setLamp(1, true, i % 2 == 0 ? 2 : 3);
        }
        table.setLamp(1, true, 2);
        done = true;
    });
    int lastSent = 3;
    while (!done) {
        for (const auto& change : table.takeChanged(24)) {
            lastSent = change.light.red;
        }
    }
    poll.join();
    for (const auto& change : table.takeChanged(24)) {
        lastSent = change.light.red;
    }
    EXPECT_EQ(lastSent, 2);
}

}  // namespace
