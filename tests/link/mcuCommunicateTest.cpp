#include "mcuCommunicate.h"

#include <gtest/gtest.h>

#include "testBytes.h"

namespace {

const mcuCommunicate protocol;

struct BuilderCase {
    const char* name;
    std::string frame;
    const char* expectedHex;
};

class McuBuilderTest : public ::testing::TestWithParam<BuilderCase> {};

TEST_P(McuBuilderTest, BuildsExactFrame) {
    EXPECT_EQ(hexOf(GetParam().frame), hexOf(bytes(GetParam().expectedHex)));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, McuBuilderTest,
    ::testing::Values(BuilderCase{"version", protocol.askVersion(), "55 AA 80 04 76 65 72"},
                      BuilderCase{"tbarRead", protocol.calibrateTbar(), "55 AA 82 05 74 62 61 72"},
                      BuilderCase{"tbarStoreMax", protocol.settingTbar(mcu::kTbarStoreMaximum),
                                  "55 AA 86 0D 73 65 74 74 69 6E 67 74 62 61 72 02"},
                      BuilderCase{"tbarStoreMin", protocol.settingTbar(mcu::kTbarStoreMinimum),
                                  "55 AA 86 0D 73 65 74 74 69 6E 67 74 62 61 72 03"},
                      BuilderCase{"statusWithInitialMap",
                                  protocol.updateKeyBoardStatus(std::string(20, '\x11')),
                                  "55 AA 81 15 1111111111 1111111111 1111111111 1111111111"},
                      // The length byte is fixed at 0x15, so the map is always sent as 20 bytes.
                      BuilderCase{"statusShortMapPadded",
                                  protocol.updateKeyBoardStatus(bytes("9a")),
                                  "55 AA 81 15 9a00000000 0000000000 0000000000 0000000000"},
                      BuilderCase{"initShortTable", protocol.initZEK(bytes("0102")),
                                  "55 AA 87 0A 49 4E 49 54 5A 45 4B 01 02"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(McuInitFrame, CarriesThePanelColourTable) {
    const std::string table = panelColourTable();
    ASSERT_EQ(table.size(), mcu::kColourTableSize);
    // Leading zero pair, then index n at 2 + 6n as R R G G B B.
    EXPECT_EQ(hexOf(table.substr(0, 2)), "0000");
    EXPECT_EQ(hexOf(table.substr(2 + 6 * 1, 6)), "ffffffffffff");
    EXPECT_EQ(hexOf(table.substr(2 + 6 * 5, 6)), "0f0fb5b51717");
    EXPECT_EQ(hexOf(table.substr(2 + 6 * 9, 6)), "ffff7d7d3e3e");
    EXPECT_EQ(hexOf(table.substr(2 + 6 * 14, 6)), "7fff0000ffff");
    EXPECT_EQ(hexOf(table.substr(2 + 6 * 15, 6)), "10108e8ecece");

    const std::string frame = protocol.initZEK(table);
    EXPECT_EQ(frame.size(), 109u);
    EXPECT_EQ(hexOf(frame.substr(0, 11)), "55aa876a494e49545a454b");
    EXPECT_EQ(frame.substr(11), table);
}

TEST(McuVersionAnswer, ParsesAndFormats) {
    bool isSync = false;
    int major = -1;
    EXPECT_EQ(protocol.versionNumber(bytes("55 AA 80 05 00 01 00 07"), isSync, major), 7);
    EXPECT_TRUE(isSync);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(formatMcuVersion(major, 7), "0.1.0.7");
    // Bytes are unsigned: 0x0203 0xFF10.
    EXPECT_EQ(protocol.versionNumber(bytes("55 AA 80 05 02 03 FF 10"), isSync, major), 0xFF10);
    EXPECT_EQ(major, 0x0203);
    EXPECT_EQ(formatMcuVersion(0x0203, 0xFF10), "2.3.255.16");
}

struct RejectCase {
    const char* name;
    const char* answerHex;
    bool expectSync;
    mcu::AnswerError expectedError;
};

class McuVersionRejectTest : public ::testing::TestWithParam<RejectCase> {};

TEST_P(McuVersionRejectTest, LeavesMajorUnchanged) {
    bool isSync = !GetParam().expectSync;
    int major = 42;
    mcu::AnswerError why = mcu::AnswerError::none;
    EXPECT_EQ(protocol.versionNumber(bytes(GetParam().answerHex), isSync, major, &why), -1);
    EXPECT_EQ(isSync, GetParam().expectSync);
    EXPECT_EQ(major, 42);
    EXPECT_EQ(why, GetParam().expectedError);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, McuVersionRejectTest,
    ::testing::Values(
        RejectCase{"empty", "", false, mcu::AnswerError::noSync},
        RejectCase{"oneByte", "55", false, mcu::AnswerError::noSync},
        RejectCase{"wrongSync", "55 AB 80 05 00 01 00 07", false, mcu::AnswerError::noSync},
        RejectCase{"syncOnly", "55 AA", true, mcu::AnswerError::missingHeader},
        RejectCase{"typeOnly", "55 AA 80", true, mcu::AnswerError::missingHeader},
        RejectCase{"wrongType", "55 AA 81 05 00 01 00 07", true, mcu::AnswerError::wrongType},
        RejectCase{"wrongLength", "55 AA 80 04 00 01 00", true, mcu::AnswerError::wrongLength},
        // The length byte promises four payload bytes; reading them would run past the answer.
        RejectCase{"truncated", "55 AA 80 05 00 01", true, mcu::AnswerError::truncated}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(McuStatusAnswer, MapsEveryField) {
    // lock(bit 0 only) | X 1A2B | Y 0FFF | Z 1000 | shuttle 85 | jog 7F | T-bar 03F4 |
    // sliders 01 80 FF 00 | keys: 0 and 7 (byte 0), 21 (byte 2), 39 (byte 4)
    const std::string answer =
        bytes("55 AA 81 15 FD 1A2B 0FFF 1000 85 7F 03F4 01 80 FF 00 81 00 04 00 01");
    bool isSync = false;
    mcu::AnswerError why = mcu::AnswerError::truncated;
    const hardwareState s = protocol.getHardwareStatus(answer, isSync, &why);
    EXPECT_TRUE(isSync);
    EXPECT_EQ(why, mcu::AnswerError::none);
    EXPECT_TRUE(s.lockButtonPressed);
    EXPECT_TRUE(s.joyStickXDir);
    EXPECT_EQ(s.joyStickX, 2603);
    EXPECT_FALSE(s.joyStickYDir);
    EXPECT_EQ(s.joyStickY, 4095);
    EXPECT_TRUE(s.joyStickZDir);
    EXPECT_EQ(s.joyStickZ, 0);
    EXPECT_TRUE(s.shuttleDir);
    EXPECT_EQ(s.shuttleValue, 5);
    EXPECT_FALSE(s.jogDir);
    EXPECT_EQ(s.jogValue, 127);
    EXPECT_EQ(s.tBarValue, 1012);
    EXPECT_EQ(s.sliderValue1, 1);
    EXPECT_EQ(s.sliderValue2, 128);
    EXPECT_EQ(s.sliderValue3, 255);
    EXPECT_EQ(s.sliderValue4, 0);
    EXPECT_EQ(hexOf(s.keyPressTable), "8100040001");
    for (int key = 0; key < kKeyCount; ++key) {
        const bool expected = key == 0 || key == 7 || key == 21 || key == 39;
        EXPECT_EQ(isKeyPressed(s.keyPressTable, key), expected) << "key " << key;
    }
}

TEST(McuStatusAnswer, TrailingBytesLengthenOnlyTheKeyTable) {
    const std::string frame = bytes("55 AA 81 15 00 1A2B 0000 0000 85 00 0000 00000000 4000000000");
    bool isSync = false;
    const hardwareState plain = protocol.getHardwareStatus(frame, isSync);
    hardwareState withNoise = protocol.getHardwareStatus(frame + bytes("55AA80"), isSync);
    EXPECT_EQ(hexOf(withNoise.keyPressTable), "400000000055aa80");
    EXPECT_TRUE(isKeyPressed(withNoise.keyPressTable, 1));
    withNoise.keyPressTable = plain.keyPressTable;
    EXPECT_EQ(withNoise, plain);
}

TEST(McuStatusAnswer, InvalidAnswersGiveAnAllZeroRecord) {
    const struct {
        const char* hex;
        bool sync;
    } cases[] = {
        {"", false},
        {"AA 55 81 15 00 1A2B 0000 0000 85 00 0000 00000000 4000000000", false},
        {"55 AA 80 15 00 1A2B 0000 0000 85 00 0000 00000000 4000000000", true},
        {"55 AA 81 14 00 1A2B 0000 0000 85 00 0000 00000000 40000000", true},
        {"55 AA 81 15 00 1A2B 0000 0000 85 00", true},  // broken off mid-frame
    };
    for (const auto& c : cases) {
        bool isSync = !c.sync;
        const hardwareState s = protocol.getHardwareStatus(bytes(c.hex), isSync);
        EXPECT_EQ(isSync, c.sync) << c.hex;
        EXPECT_EQ(s, hardwareState{}) << c.hex;
        EXPECT_TRUE(s.keyPressTable.empty());
    }
}

TEST(McuTbarAnswer, BytesAreUnsigned) {
    bool isSync = false;
    const calibrateTbarPar par =
        protocol.getTbarCalibratePar(bytes("55 AA 82 05 03 F4 00 17"), isSync);
    EXPECT_TRUE(isSync);
    EXPECT_EQ(par.maxValue, 1012);
    EXPECT_EQ(par.minValue, 23);
    EXPECT_TRUE(par.isKnown());
}

TEST(McuTbarAnswer, InvalidAnswerIsUnknown) {
    for (const char* hex :
         {"", "55 AA 82 05 03 F4", "55 AA 86 05 03 F4 00 17", "55 AA 82 04 03 F4 00"}) {
        bool isSync = false;
        const calibrateTbarPar par = protocol.getTbarCalibratePar(bytes(hex), isSync);
        EXPECT_FALSE(par.isKnown()) << hex;
        EXPECT_EQ(par.maxValue, calibrateTbarPar::kUnknown);
        EXPECT_EQ(par.minValue, calibrateTbarPar::kUnknown);
    }
}

TEST(McuAckAnswers, SettingNeedsExactlyOneAckByteInitIgnoresTrailingBytes) {
    EXPECT_TRUE(protocol.isSettingTbarOk(bytes("55 AA 86 02 06")));
    EXPECT_FALSE(protocol.isSettingTbarOk(bytes("55 AA 86 02 06 00")));
    EXPECT_FALSE(protocol.isSettingTbarOk(bytes("55 AA 86 02 06 06")));
    EXPECT_FALSE(protocol.isSettingTbarOk(bytes("55 AA 86 02 15")));
    EXPECT_FALSE(protocol.isSettingTbarOk(bytes("55 AA 87 02 06")));
    EXPECT_FALSE(protocol.isSettingTbarOk(bytes("55 AA 86 02")));
    EXPECT_FALSE(protocol.isSettingTbarOk(bytes("")));

    EXPECT_TRUE(protocol.isInitZekOk(bytes("55 AA 87 02 06")));
    EXPECT_TRUE(protocol.isInitZekOk(bytes("55 AA 87 02 06 00 7E")));
    EXPECT_FALSE(protocol.isInitZekOk(bytes("55 AA 87 02 15")));
    EXPECT_FALSE(protocol.isInitZekOk(bytes("55 AA 87 03 06")));
    EXPECT_FALSE(protocol.isInitZekOk(bytes("55 AA 87 02")));
    EXPECT_FALSE(protocol.isInitZekOk(bytes("3C 55 AA 87 02 06")));
}

TEST(McuSync, BothFormsNeedFiftyFiveThenAa) {
    EXPECT_TRUE(protocol.isSyncByteCorrect(bytes("55AA")));
    EXPECT_FALSE(protocol.isSyncByteCorrect(bytes("AA55")));
    EXPECT_FALSE(protocol.isSyncByteCorrect(bytes("55")));
    EXPECT_TRUE(protocol.isCommandTypeCorrect(0x81, 0x81));
    EXPECT_FALSE(protocol.isDataLengthCorrect(0x14, 0x15));
}

}  // namespace
