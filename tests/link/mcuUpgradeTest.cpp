// The MCU firmware upgrade on bytes: the loader's frames, its answers, the image file's version,
// and the transfer against a scripted loader, pack by pack.
#include "mcuUpgrade.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "tempRoot.h"
#include "testBytes.h"

namespace {

TEST(McuUpgradeFrames, ExactBytes) {
    EXPECT_EQ(hexOf(startUpgradeMcu(300)),
              "55aa830a757067726164650"
              "12c");
    EXPECT_EQ(hexOf(startUpgradeMcu(0x12345)),
              "55aa830a7570677261646523"
              "45")
        << "the size goes in 16 bits";
    EXPECT_EQ(hexOf(upgradeBinaryPacks(bytes("01 02 FF"))),
              "55aa840501"
              "02ff02");
    EXPECT_EQ(hexOf(upgradeDoneConfirm()), "55aa8505646f6e65");
    EXPECT_EQ(calcCheckSum(bytes("FF FF FF")), 765u);
    EXPECT_EQ(upgradeBinaryPacks(std::string(128, '\x01')).size(), 133u);
}

TEST(McuUpgradeFrames, AnswerTests) {
    std::uint8_t code = 0xEE;
    EXPECT_TRUE(isUpgradeMcuContinue(bytes("55 AA 83 02 06")));
    EXPECT_TRUE(isUpgradeMcuContinue(bytes("55 AA 83 02 06 00")));
    EXPECT_FALSE(isUpgradeMcuContinue(bytes("55 AA 83 02 15")));
    EXPECT_FALSE(isUpgradeMcuContinue(bytes("55 AA 84 02 06")));
    EXPECT_FALSE(isUpgradeMcuContinue(bytes("55 AA 83 02")));
    EXPECT_FALSE(isUpgradeMcuContinue(""));

    EXPECT_TRUE(isUpgradeMcuBinaryFileAckNext(bytes("55 AA 84 02 06"), code));
    EXPECT_EQ(code, 0x06);
    EXPECT_FALSE(isUpgradeMcuBinaryFileAckNext(bytes("55 AA 84 02 06 00"), code))
        << "one byte too many";
    EXPECT_FALSE(isUpgradeMcuBinaryFileAckNext(bytes("55 AA 84 02 20"), code));
    EXPECT_EQ(code, 0x20);
    EXPECT_FALSE(isUpgradeMcuBinaryFileAckNext(bytes("55 AA 84 03 06"), code));
    EXPECT_FALSE(isUpgradeMcuBinaryFileAckNext(bytes("55 AA 85 02 06"), code));
    EXPECT_FALSE(isUpgradeMcuBinaryFileAckNext(bytes("55"), code));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(isUpgradeMcuBinaryFileAckDone(bytes("55 AA 85 02 06"), code));
    EXPECT_FALSE(isUpgradeMcuBinaryFileAckDone(bytes("55 AA 85 02 15"), code));
    EXPECT_EQ(code, 0x15);
}

TEST(McuUpgradeFile, VersionOfTheImage) {
    TempRoot root;
    root.writeFile("v.bin", bytes("00 00 00 00 00 00 00 00 00 00 00 01 00 07 00 00 AA"));
    root.writeFile("short.bin", bytes("00 00 00 00 00 00 00 00 00 00 00 01 00"));
    root.writeFile("empty.bin", "");
    int minor = 99;
    EXPECT_EQ(readMcufileVersion(root.path() + "/v.bin", minor), 1);
    EXPECT_EQ(minor, 7);
    minor = 99;
    EXPECT_EQ(readMcufileVersion(root.path() + "/short.bin", minor), -1);
    EXPECT_EQ(readMcufileVersion(root.path() + "/empty.bin", minor), -1);
    EXPECT_EQ(readMcufileVersion(root.path() + "/missing.bin", minor), -1);
    EXPECT_EQ(minor, 99);

    EXPECT_TRUE(isMcuImageNewer(2, 0, 1, 9));
    EXPECT_TRUE(isMcuImageNewer(1, 8, 1, 7));
    EXPECT_FALSE(isMcuImageNewer(1, 7, 1, 7));
    EXPECT_FALSE(isMcuImageNewer(1, 9, 2, 0));
    EXPECT_TRUE(isMcuImageNewer(0, 0, -1, -1)) << "an MCU that did not answer";
}

// A loader that answers from a script: each entry is the answer to one frame ("" for silence);
// when the script runs out it acknowledges every frame.
struct scriptedLoader {
    std::deque<std::string> script;
    std::vector<std::string> frames;

    std::string operator()(const std::string& frame) {
        frames.push_back(frame);
        if (!script.empty()) {
            std::string answer = script.front();
            script.pop_front();
            return answer;
        }
        std::string ack = bytes("55 AA 00 02 06");
        ack[2] = frame.size() > 2 ? frame[2] : 0;
        return ack;
    }
};

class McuUpgradeTransfer : public ::testing::Test {
protected:
    std::string imageFile(std::size_t imageSize) {
        std::string contents = bytes("00 00 00 00 00 00 00 00 00 00 00 02 00 01 00 00");
        for (std::size_t i = 0; i < imageSize; ++i) {
            contents += static_cast<char>(i * 7 + 3);
        }
        root.writeFile("mcu.bin", contents);
        image = contents.substr(16);
        return root.path() + "/mcu.bin";
    }
    int run(std::size_t imageSize, bool keepGoing = true) {
        const std::string path = imageFile(imageSize);
        return doUpgradeMcuBinaryFile(
            path, [this](const std::string& frame) { return loader(frame); },
            [this, keepGoing](int value) {
                progress.push_back(value);
                return keepGoing;
            },
            mcuUpgradeTiming{std::chrono::milliseconds(0), 3});
    }
    // Sizes of the image bytes in the data frames sent, in order.
    std::vector<std::size_t> packSizes() const {
        std::vector<std::size_t> sizes;
        for (const std::string& f : loader.frames) {
            if (static_cast<std::uint8_t>(f[2]) == 0x84) {
                sizes.push_back(f.size() - 5);
            }
        }
        return sizes;
    }

    TempRoot root;
    std::string image;
    scriptedLoader loader;
    std::vector<int> progress;
};

TEST_F(McuUpgradeTransfer, ThreeHundredBytes) {
    EXPECT_EQ(run(300), 100);
    ASSERT_EQ(loader.frames.size(), 7u);
    EXPECT_EQ(hexOf(loader.frames[0]),
              "55aa830a757067726164650"
              "12c");
    EXPECT_EQ(loader.frames[1], loader.frames[0]);
    EXPECT_EQ(packSizes(), (std::vector<std::size_t>{128, 128, 44, 44}));
    EXPECT_EQ(loader.frames[4], upgradeBinaryPacks(image.substr(256)));
    EXPECT_EQ(hexOf(loader.frames[6]), "55aa8505646f6e65");
    EXPECT_EQ(progress, (std::vector<int>{0, 42, 85, 100}));
}

TEST_F(McuUpgradeTransfer, AMultipleOf128ClosesLikeAnyOther) {
    EXPECT_EQ(run(256), 100);
    EXPECT_EQ(packSizes(), (std::vector<std::size_t>{128, 128, 128}));
    EXPECT_EQ(progress, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(hexOf(loader.frames.back()), "55aa8505646f6e65");
}

TEST_F(McuUpgradeTransfer, RetriesAPackThatIsRefusedOrUnanswered) {
    // A NACK, then an answer one byte too long: the third send of the pack is taken (the
    // transfer allows three here), then the last pack goes again.
    loader.script = {bytes("55 AA 83 02 06"), bytes("55 AA 83 02 06"), bytes("55 AA 84 02 15"),
                     bytes("55 AA 84 02 06 00")};
    EXPECT_EQ(run(100), 100);
    EXPECT_EQ(packSizes(), (std::vector<std::size_t>{100, 100, 100, 100}));
}

TEST_F(McuUpgradeTransfer, FailuresReportTheirValue) {
    EXPECT_EQ(doUpgradeMcuBinaryFile(
                  root.path() + "/none.bin", [](const std::string&) { return std::string(); },
                  [this](int v) { return progress.push_back(v), true; }),
              101);
    EXPECT_EQ(progress, std::vector<int>{101});

    progress.clear();
    EXPECT_EQ(run(0), 102) << "a header and no image";
    EXPECT_TRUE(loader.frames.empty());
    EXPECT_EQ(progress, std::vector<int>{102});

    progress.clear();
    loader.script = {bytes("55 AA 83 02 06"), bytes("55 AA 83 02 15")};
    EXPECT_EQ(run(10), 103);
    EXPECT_EQ(loader.frames.size(), 2u) << "two start frames, no data";

    progress.clear();
    loader.frames.clear();
    loader.script = {"", bytes("55 AA 83 02 06"), bytes("55 AA 84 02 06"), bytes("55 AA 84 02 20")};
    EXPECT_EQ(run(200), 104);
    EXPECT_EQ(progress, (std::vector<int>{0, 104}));
    EXPECT_EQ(packSizes(), (std::vector<std::size_t>{128, 72}));

    progress.clear();
    loader.frames.clear();
    loader.script = {"", bytes("55 AA 83 02 06"), "", "", ""};
    EXPECT_EQ(run(50), 104) << "a pack never acknowledged ends the transfer";
    EXPECT_EQ(packSizes().size(), 3u);

    progress.clear();
    loader.frames.clear();
    loader.script = {"", bytes("55 AA 83 02 06"), bytes("55 AA 84 02 06"), bytes("55 AA 84 02 06"),
                     bytes("55 AA 85 02 15")};
    EXPECT_EQ(run(50), 104) << "done not confirmed";
    EXPECT_EQ(progress, (std::vector<int>{0, 104}));
}

TEST_F(McuUpgradeTransfer, APartialCopyOfTheImageIsNeverSent) {
    const std::string path = imageFile(300);
    const auto upgrade = [&](std::size_t expected) {
        return doUpgradeMcuBinaryFile(
            path, [this](const std::string& frame) { return loader(frame); },
            [this](int value) { return progress.push_back(value), true; },
            mcuUpgradeTiming{std::chrono::milliseconds(0), 3}, expected);
    };
    EXPECT_EQ(upgrade(317), 101) << "one byte short of the original";
    EXPECT_EQ(upgrade(315), 101);
    EXPECT_TRUE(loader.frames.empty()) << "nothing reaches the loader";
    EXPECT_EQ(progress, (std::vector<int>{101, 101}));
    EXPECT_EQ(upgrade(316), 100);
}

TEST_F(McuUpgradeTransfer, TheClientCanStopIt) {
    EXPECT_EQ(run(300, false), 104);
    EXPECT_EQ(packSizes().size(), 1u);
    EXPECT_EQ(progress, (std::vector<int>{0, 104}));
}

}  // namespace
