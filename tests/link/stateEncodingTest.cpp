#include "stateEncoding.h"

#include <gtest/gtest.h>

#include <vector>

#include "mcuCommunicate.h"
#include "testBytes.h"

namespace {

hardwareState sampleState() {
    hardwareState s;
    s.lockButtonPressed = true;
    s.joyStickX = 2603;
    s.joyStickXDir = true;
    s.joyStickY = 4095;
    s.joyStickZ = 256;
    s.joyStickZDir = true;
    s.shuttleValue = 5;
    s.shuttleDir = true;
    s.jogValue = 127;
    s.tBarValue = 1012;
    s.sliderValue1 = 1;
    s.sliderValue2 = 128;
    s.sliderValue3 = 255;
    s.keyPressTable = bytes("8100040001");
    return s;
}

TEST(HardwareStateTable, EncodesEveryFieldAtItsOffset) {
    EXPECT_EQ(hexOf(genHardwareStateTableToStr(sampleState())),
              hexOf(bytes("0018 82 6A 01 1A2B 0FFF 1100 85 7F 03F4 01 80 FF 00 8100040001")));
}

TEST(HardwareStateTable, IsTheStatusPayloadTheMcuSent) {
    // Bytes 4..23 of the table are the MCU's status payload again, so parsing them as a status
    // answer gives the record back.
    const std::string table = genHardwareStateTableToStr(sampleState());
    bool isSync = false;
    const hardwareState back =
        mcuCommunicate().getHardwareStatus(bytes("55 AA 81 15") + table.substr(4), isSync);
    EXPECT_EQ(back, sampleState());
}

TEST(HardwareStateTable, EmptyKeyTableStillAnnouncesTwentyFour) {
    hardwareState s;
    const std::string table = genHardwareStateTableToStr(s);
    EXPECT_EQ(table.size(), 19u);
    EXPECT_EQ(hexOf(table.substr(0, 4)), "0018826a");
}

TEST(HardwareStateTable, OutOfRangeValuesAreMasked) {
    hardwareState s;
    s.joyStickX = 0x1FFFF;  // only 12 bits fit
    s.shuttleValue = 200;   // 7 bits
    s.sliderValue4 = 0x1234;
    const std::string table = genHardwareStateTableToStr(s);
    EXPECT_EQ(hexOf(table.substr(5, 2)), "0fff");
    EXPECT_EQ(hexOf(table.substr(11, 1)), "48");
    EXPECT_EQ(hexOf(table.substr(18, 1)), "34");
}

TEST(ByteHelpers, MatchTheirTables) {
    EXPECT_EQ(hexOf(makeHighByteLowByteStr(1012)), "03f4");
    EXPECT_EQ(hexOf(makeHighByteLowByteStr(70000)), "1170");
    EXPECT_EQ(hexOf(makeOneByteDirValueStr(5, 1)), "85");
    EXPECT_EQ(hexOf(makeOneByteDirValueStr(200, 0)), "48");
    EXPECT_EQ(hexOf(makeOneByteDirValueStr(5, 7)), "85");
    EXPECT_EQ(hexOf(makeOneByteValueStr(0x1FF)), "ff");
}

TEST(ResponseEnvelope, AnswerByteOnlyWhenGiven) {
    const std::string data = "FWUPDSTATE" + makeOneByteValueStr(50);
    EXPECT_EQ(hexOf(makeResponseString(15, 0x82, 0x6E, 0, data)),
              hexOf(bytes("000F 82 6E") + data));
    EXPECT_EQ(hexOf(makeResponseString(15, 0x82, 0x6E, 0x06, data)),
              hexOf(bytes("000F 82 6E 06") + data));
    // The caller's length is written as given, not computed.
    EXPECT_EQ(hexOf(makeResponseString(0x0102, 0x82, 0x66, 0x15, "")), "0102826615");
}

TEST(UpgradeStateMessage, ClampsProgressOutsideItsRange) {
    const std::string prefix = hexOf(bytes("000F 82 6E") + "FWUPDSTATE");
    EXPECT_EQ(hexOf(fwUpgradeState(0)), prefix + "00");
    EXPECT_EQ(hexOf(fwUpgradeState(100)), prefix + "64");
    EXPECT_EQ(hexOf(fwUpgradeState(115)), prefix + "73");
    EXPECT_EQ(hexOf(fwUpgradeState(116)), prefix + "00");
    EXPECT_EQ(hexOf(fwUpgradeState(-1)), prefix + "00");
    EXPECT_EQ(fwUpgradeState(104).size(), 15u);
}

TEST(KeyTables, InitialMapIsAllColourOne) {
    EXPECT_EQ(genKeyInitialedTable(), std::string(20, '\x11'));
}

TEST(KeyTables, DiagnosticTableUsesTheOppositeNibbleOrder) {
    const std::string table = keyPressedTable({3, 6, 7, 10, 21});
    EXPECT_EQ(hexOf(table), "0010001100010000000010000000000000000000");
    EXPECT_EQ(hexOf(keyPressedTable({-1, 40, 0, 39})), "0100000000000000000000000000000000000010");
}

TEST(KeyTables, ParserFindsTheKeysAndTheDaemonPrintsThem) {
    std::vector<std::string> lines;
    setLinkLogSink([&lines](const char*, const std::string& line) { lines.push_back(line); });
    setLinkProgram(LinkProgram::daemon);
    const std::vector<int> keys = runKeyTableSelfCheck();
    setLinkProgram(LinkProgram::panel);
    const std::vector<int> panelKeys = runKeyTableSelfCheck();
    setLinkLogSink({});

    EXPECT_EQ(keys, (std::vector<int>{3, 6, 7, 10, 21}));
    EXPECT_EQ(panelKeys, keys);
    ASSERT_EQ(lines.size(), 5u);  // the panel prints nothing
    EXPECT_EQ(lines[0], "key numbers 40 \n");
    EXPECT_EQ(lines[1], "key index 2,  key state 0, key index 3 key state 1 \n");
    EXPECT_EQ(lines[2], "key index 6,  key state 1, key index 7 key state 1 \n");
    EXPECT_EQ(lines[3], "key index 10,  key state 1, key index 11 key state 0 \n");
    EXPECT_EQ(lines[4], "key index 20,  key state 0, key index 21 key state 1 \n");
}

}  // namespace
