// The firmware upgrade over a real line against the virtual MCU's loader: images of every kind of
// size arrive byte for byte, and the loader's refusals, silence and fatal errors end as they
// should.
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "mcuLineFixture.h"
#include "mcuUpgrade.h"
#include "testBytes.h"

namespace {

class McuUpgradeLine : public McuLineTest {
protected:
    std::string imageFile(std::size_t size) {
        std::mt19937 random(static_cast<unsigned>(size));
        std::string contents =
            std::string(11, '\0') + "\x02" + std::string(1, '\0') + "\x01" + std::string(2, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            contents += static_cast<char>(random() & 0xFF);
        }
        root_.writeFile("mcu.bin", contents);
        image = contents.substr(16);
        return root_.path() + "/mcu.bin";
    }
    int upgrade(std::size_t size) {
        progress.clear();
        return doUpgradeMcuBinaryFile(
            imageFile(size), [this](const std::string& f) { return sendCommandtoMcu(f, line_); },
            [this](int value) {
                progress.push_back(value);
                return true;
            },
            mcuUpgradeTiming{std::chrono::milliseconds(0), 5});
    }
    std::string rebuilt() { return simValue("get image"); }

    std::string image;
    std::vector<int> progress;
};

TEST_F(McuUpgradeLine, ImagesOfEverySizeArriveWhole) {
    // 65520 bytes make a file of 64 KiB, the most the loader's 16-bit size can announce whole.
    // Progress: the share sent before each acknowledged pack, rounded down, then 100.
    const std::pair<std::size_t, std::vector<int>> small[] = {
        {300, {0, 42, 85, 100}}, {256, {0, 50, 100}}, {1, {0, 100}}};
    for (const auto& [size, expected] : small) {
        EXPECT_EQ(upgrade(size), 100) << size;
        EXPECT_EQ(rebuilt(), hexOf(image)) << size;
        EXPECT_EQ(progress, expected) << size;
    }
    EXPECT_EQ(upgrade(65520), 100);
    EXPECT_EQ(rebuilt(), hexOf(image));
    ASSERT_EQ(progress.size(), 513u);  // 512 packs, then done
    EXPECT_EQ(progress[1], 0);
    EXPECT_EQ(progress[256], 50);
    EXPECT_EQ(progress[511], 99);
    EXPECT_EQ(progress[512], 100);
}

TEST_F(McuUpgradeLine, AnImageTooLargeToAnnounceIsNotSent) {
    EXPECT_EQ(upgrade(65536), 104);
    EXPECT_EQ(progress, std::vector<int>{104});
    EXPECT_NE(simValue("get upgrade").find(" starts=0 "), std::string::npos)
        << simValue("get upgrade");
}

TEST_F(McuUpgradeLine, RefusedAndLostPacksAreSentAgain) {
    sim("upgrade nak 2");
    EXPECT_EQ(upgrade(400), 100);
    EXPECT_EQ(rebuilt(), hexOf(image));
    sim("upgrade silent 2");
    EXPECT_EQ(upgrade(200), 100);
    EXPECT_EQ(rebuilt(), hexOf(image));
}

TEST_F(McuUpgradeLine, FailuresLeaveTheLoaderReadyForTheNextTry) {
    sim("upgrade notready");
    EXPECT_EQ(upgrade(100), 103);
    sim("upgrade none");
    sim("upgrade fatal");
    EXPECT_EQ(upgrade(300), 104);
    EXPECT_EQ(progress.back(), 104);
    sim("upgrade nak 9");
    EXPECT_EQ(upgrade(300), 104) << "five tries of a pack, then the transfer gives up";
    sim("upgrade none");
    EXPECT_EQ(upgrade(300), 100) << "and the next try starts afresh";
    EXPECT_EQ(rebuilt(), hexOf(image));
}

}  // namespace
