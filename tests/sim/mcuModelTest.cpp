// The virtual MCU is written from the byte tables on its own; these cases hold it to the same
// tables, so that it can in turn check the product's frames.
#include "mcuModel.h"

#include <gtest/gtest.h>

namespace {

std::string unhex(const std::string& text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ') {
            compact += c;
        }
    }
    std::string out;
    EXPECT_TRUE(mcuUnhex(compact, out)) << text;
    return out;
}

TEST(VirtualMcuModel, AnswersEachCommandFromTheTables) {
    McuModel mcu;
    mcu.controls.axis[0] = 2603;
    mcu.controls.axisDir[0] = true;
    mcu.controls.shuttle = 5;
    mcu.controls.shuttleDir = true;
    mcu.controls.tbar = 1012;
    mcu.controls.key[3] = true;
    mcu.controls.key[39] = true;

    const auto answers = mcu.feed(unhex("55AA800476 6572") +
                                  unhex("55AA8115 9211111111111111111111111111111111111111") +
                                  unhex("55AA820574626172"));
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(mcuHex(answers[0]), "55aa800500010007");
    EXPECT_EQ(mcuHex(answers[1]),
              "55aa8115"
              "00"
              "1a2b"
              "0000"
              "0000"
              "85"
              "00"
              "03f4"
              "00000000"
              "1000000001");
    EXPECT_EQ(mcuHex(answers[2]), "55aa820503f40017");
    EXPECT_EQ(mcu.ledColour(0), 9);
    EXPECT_EQ(mcu.ledColour(1), 2);
}

TEST(VirtualMcuModel, FramesSplitAcrossReadsAndNoiseBetweenThem) {
    McuModel mcu;
    EXPECT_TRUE(mcu.feed(unhex("00 55")).empty());
    EXPECT_TRUE(mcu.feed(unhex("AA 80 04 76")).empty());
    const auto answers = mcu.feed(unhex("65 72 3C 3C 55 AA 86 0D") + "settingtbar" + unhex("02"));
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(mcuHex(answers[1]), "55aa860206");
    EXPECT_EQ(mcu.droppedBytes, 3);
}

TEST(VirtualMcuModel, InitialisationAndRejections) {
    McuModel mcu;
    const std::string table(98, '\x5A');
    auto answers = mcu.feed(unhex("55 AA 87 6A") + "INITZEK" + table);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(mcuHex(answers[0]), "55aa870206");
    EXPECT_EQ(mcu.colourTable(), table);
    answers = mcu.feed(unhex("55 AA 87 09") + "INITZEK" + unhex("00"));
    EXPECT_EQ(mcuHex(answers.at(0)), "55aa870215");
    answers = mcu.feed(unhex("55 AA 86 0D") + "settingtbar" + unhex("09"));
    EXPECT_EQ(mcuHex(answers.at(0)), "55aa860215");
    EXPECT_TRUE(mcu.feed(unhex("55 AA 80 04 78 78 78")).empty());  // not "ver"
    EXPECT_EQ(mcu.rejectedFrames, 1);
}

TEST(VirtualMcuModel, FaultsShapeTheAnswer) {
    McuModel mcu;
    mcu.faults.garbageBytes = 3;
    mcu.faults.trailingBytes = 2;
    mcu.faults.wrongType = true;
    auto answers = mcu.feed(unhex("55AA80047665 72"));
    EXPECT_EQ(mcuHex(answers.at(0)), "3c3c3c55aa8805000100077e7e");
    mcu.faults = McuFaults{};
    mcu.faults.truncateTo = 5;
    EXPECT_EQ(mcuHex(mcu.feed(unhex("55AA80047665 72")).at(0)), "55aa800500");
    mcu.faults.silent = true;
    EXPECT_TRUE(mcu.feed(unhex("55AA80047665 72")).empty());
}

}  // namespace
