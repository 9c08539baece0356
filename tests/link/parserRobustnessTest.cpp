// Every parser takes any bytes: empty, short, huge, random, or a valid header over a payload of
// any length. Under AddressSanitizer a read past the input fails the run.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "commonFunctions.h"
#include "mcuCommunicate.h"
#include "mcuModel.h"
#include "stateEncoding.h"

namespace {

std::string randomBytes(std::mt19937& random, std::size_t size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(size, '\0');
    for (char& c : out) {
        c = static_cast<char>(byte(random));
    }
    return out;
}

// Runs every parser of the link code on one input; the results only need to be consistent.
void parseEverything(const std::string& input) {
    const mcuCommunicate protocol;
    bool isSync = false;
    int major = -7;
    const int minor = protocol.versionNumber(input, isSync, major);
    if (minor == -1) {
        EXPECT_EQ(major, -7);
    }
    const hardwareState state = protocol.getHardwareStatus(input, isSync);
    if (state.keyPressTable.empty()) {
        EXPECT_EQ(state, hardwareState{});
    }
    for (int key = -1; key <= kKeyCount; ++key) {
        isKeyPressed(state.keyPressTable, key);
        isKeyPressed(input, key);
    }
    protocol.getTbarCalibratePar(input, isSync);
    protocol.isSettingTbarOk(input);
    protocol.isInitZekOk(input);
    parserKeyPressedStr(input);
    hex_to_string(input, LinkProgram::panel);
    EXPECT_EQ(string_to_hex(input, LinkProgram::panel).size(),
              input.empty() ? 0 : input.size() * 3 - 1);
}

class QuietLog : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkProgram(LinkProgram::panel);
        setLinkLogSink([](const char*, const std::string&) {});
    }
    void TearDown() override { setLinkLogSink({}); }
};

using ParserRobustness = QuietLog;

TEST_F(ParserRobustness, RandomInputsOfEveryShortLength) {
    std::mt19937 random(710);
    for (std::size_t size = 0; size <= 64; ++size) {
        for (int round = 0; round < 200; ++round) {
            parseEverything(randomBytes(random, size));
        }
    }
}

TEST_F(ParserRobustness, ValidHeadersOverPayloadsOfAnyLength) {
    std::mt19937 random(2603);
    for (int type = 0x80; type <= 0x87; ++type) {
        for (int length = 0; length <= 0x20; ++length) {
            for (std::size_t payload = 0; payload <= 40; ++payload) {
                std::string input{'\x55', '\xAA', static_cast<char>(type),
                                  static_cast<char>(length)};
                parseEverything(input + randomBytes(random, payload));
            }
        }
    }
}

TEST_F(ParserRobustness, OneMebibyteInputs) {
    std::mt19937 random(1012);
    const std::string noise = randomBytes(random, 1 << 20);
    parseEverything(noise);
    const std::string status = std::string("\x55\xAA\x81\x15", 4) + noise;
    bool isSync = false;
    const hardwareState state = mcuCommunicate().getHardwareStatus(status, isSync);
    EXPECT_TRUE(isSync);
    EXPECT_EQ(state.keyPressTable.size(), status.size() - mcu::kKeyTableOffset);
    // The daemon's table message carries whatever key table the record holds.
    EXPECT_EQ(genHardwareStateTableToStr(state).size(), 19 + state.keyPressTable.size());
}

TEST_F(ParserRobustness, VirtualMcuTakesAnyBytes) {
    std::mt19937 random(87);
    McuModel model;
    std::size_t answers = 0;
    for (int round = 0; round < 2000; ++round) {
        answers += model.feed(randomBytes(random, random() % 300)).size();
    }
    // A good frame after all that noise is still answered.
    model.feed(std::string(300, '\0'));
    const auto afterNoise = model.feed(std::string("\x55\xAA\x80\x04ver", 7));
    ASSERT_EQ(afterNoise.size(), 1u);
    EXPECT_EQ(afterNoise[0].substr(0, 4), std::string("\x55\xAA\x80\x05", 4));
    (void)answers;
}

}  // namespace
