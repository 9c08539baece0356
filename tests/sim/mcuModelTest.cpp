// The virtual MCU is written from the byte tables on its own; these cases hold it to the same
// tables, so that it can in turn check the product's frames.
#include "mcuModel.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <vector>

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

// The firmware loader. Packs are written out whole: a run of one byte value and its check byte
// (128 x 01 sums to 80, 128 x 02 to 00, 44 x 03 to 84, 128 x FF to 80).

const std::string kStart300 = "55 AA 83 0A 75 70 67 72 61 64 65 01 2C";  // "upgrade", 300 bytes
const std::string kStart3 = "55 AA 83 0A 75 70 67 72 61 64 65 00 03";    // "upgrade", 3 bytes
const std::string kDone = "55 AA 85 05 64 6F 6E 65";                     // "done"

const std::string kAckStart = "55aa830206";
const std::string kNackStart = "55aa830215";
const std::string kAckData = "55aa840206";
const std::string kNackData = "55aa840215";
const std::string kFatalData = "55aa840220";
const std::string kAckDone = "55aa850206";
const std::string kNackDone = "55aa850215";
const std::string kFatalDone = "55aa850220";

// Built before any test runs, so without the checks of unhex().
std::string pack(std::size_t n, char value, const std::string& head, const std::string& check) {
    std::string headBytes;
    std::string checkByte;
    mcuUnhex(head, headBytes);
    mcuUnhex(check, checkByte);
    return headBytes + std::string(n, value) + checkByte;
}

const std::string kPack1 = pack(128, '\x01', "55AA8482", "80");
const std::string kPack2 = pack(128, '\x02', "55AA8482", "00");
const std::string kPack3 = pack(44, '\x03', "55AA842E", "84");
const std::string kImage300 =
    std::string(128, '\x01') + std::string(128, '\x02') + std::string(44, '\x03');

// Feeds each frame alone and returns its answer in hex; "-" when there was none.
std::vector<std::string> exchange(McuModel& mcu, const std::vector<std::string>& frames) {
    std::vector<std::string> out;
    for (const std::string& frame : frames) {
        const auto answers = mcu.feed(frame);
        EXPECT_LE(answers.size(), 1u);
        out.push_back(answers.empty() ? "-" : mcuHex(answers[0]));
    }
    return out;
}

struct LoaderCase {
    const char* name;
    std::vector<const char*> before;  // frames fed first, their answers not looked at
    const char* frame;
    const char* answer;
};

void PrintTo(const LoaderCase& c, std::ostream* out) {
    *out << c.name;
}

class VirtualMcuLoaderFrame : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(VirtualMcuLoaderFrame, AnswersFromTheTables) {
    McuModel mcu;
    for (const char* frame : GetParam().before) {
        mcu.feed(unhex(frame));
    }
    const auto answers = mcu.feed(unhex(GetParam().frame));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(mcuHex(answers[0]), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, VirtualMcuLoaderFrame,
    ::testing::Values(
        LoaderCase{"StartAck", {}, "55 AA 83 0A 75 70 67 72 61 64 65 01 2C", "55aa830206"},
        LoaderCase{"StartOtherWord", {}, "55 AA 83 0A 75 70 67 72 61 64 78 01 2C", "55aa830215"},
        LoaderCase{"StartShort", {}, "55 AA 83 09 75 70 67 72 61 64 65 01", "55aa830215"},
        LoaderCase{"StartLong", {}, "55 AA 83 0B 75 70 67 72 61 64 65 01 2C 00", "55aa830215"},
        LoaderCase{"StartEmptyImage", {}, "55 AA 83 0A 75 70 67 72 61 64 65 00 00", "55aa830215"},
        LoaderCase{"DataAck",
                   {"55 AA 83 0A 75 70 67 72 61 64 65 00 03"},
                   "55 AA 84 05 01 02 FF 02",
                   "55aa840206"},
        LoaderCase{"DataWrongCheck",
                   {"55 AA 83 0A 75 70 67 72 61 64 65 00 03"},
                   "55 AA 84 05 01 02 FF 03",
                   "55aa840215"},
        LoaderCase{"DataCheckOnly",
                   {"55 AA 83 0A 75 70 67 72 61 64 65 00 03"},
                   "55 AA 84 02 00",
                   "55aa840215"},
        LoaderCase{"DataWithoutStart", {}, "55 AA 84 05 01 02 FF 02", "55aa840215"},
        LoaderCase{"DataAfterRefusedStart",
                   {"55 AA 83 0A 75 70 67 72 61 64 78 00 03"},
                   "55 AA 84 05 01 02 FF 02",
                   "55aa840215"},
        LoaderCase{"DoneAck",
                   {"55 AA 83 0A 75 70 67 72 61 64 65 00 03", "55 AA 84 05 01 02 FF 02"},
                   "55 AA 85 05 64 6F 6E 65",
                   "55aa850206"},
        LoaderCase{"DoneShortImage",
                   {"55 AA 83 0A 75 70 67 72 61 64 65 01 2C"},
                   "55 AA 85 05 64 6F 6E 65",
                   "55aa850215"},
        LoaderCase{"DoneWithoutStart", {}, "55 AA 85 05 64 6F 6E 65", "55aa850215"},
        LoaderCase{"DoneOtherWord",
                   {"55 AA 83 0A 75 70 67 72 61 64 65 00 03", "55 AA 84 05 01 02 FF 02"},
                   "55 AA 85 05 64 6F 6E 78",
                   "55aa850215"}),
    [](const ::testing::TestParamInfo<LoaderCase>& info) { return info.param.name; });

TEST(VirtualMcuLoader, ImageOf300BytesWithItsLastPackRepeated) {
    McuModel mcu;
    // The start frame comes twice; the second begins the reception afresh.
    EXPECT_EQ(exchange(mcu, {unhex(kStart300), unhex(kStart300), kPack1, kPack2, kPack3, kPack3,
                             unhex(kDone)}),
              (std::vector<std::string>{kAckStart, kAckStart, kAckData, kAckData, kAckData,
                                        kAckData, kAckDone}));
    ASSERT_TRUE(mcu.loader.hasImage());
    EXPECT_EQ(mcu.loader.image(), kImage300);
    EXPECT_EQ(mcu.loader.summary(),
              "state=idle announced=300 received=300 packs=3 repeats=1 naks=0 starts=2 done=1");
}

}  // namespace
