// linkctl, the command-line client of linkDaemon: every request as it travels, every answer form
// read back, the hardware state table, and garbage of any length refused with a message; then the
// program itself in whole sessions against a small fake daemon on 127.0.0.1 (ports from the
// kernel, the pool port from a range the one-byte hundreds can announce).
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "linkctlProtocol.h"
#include "spelledBytes.h"

extern char** environ;

namespace {

using namespace linkctl;
using Clock = std::chrono::steady_clock;

Bytes B(const std::string& spelled) {
    const std::string raw = bytes(spelled);
    return Bytes(raw.begin(), raw.end());
}

std::string H(const Bytes& data) {
    return hex(std::string(data.begin(), data.end()));
}

// ---------------------------------------------------------------------------------------------
// Requests.

struct RequestCase {
    const char* name;
    std::function<Bytes()> build;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const RequestCase& c) {
    return os << c.name;
}

class Request : public ::testing::TestWithParam<RequestCase> {};

TEST_P(Request, ExactBytes) {
    EXPECT_EQ(H(GetParam().build()), H(B(GetParam().expected)));
}

LedMap liveMap() {
    return {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0xAA, 0xAA, 0xAA,
            0xA9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x91, 0x11, 0x11, 0x11};
}

INSTANTIATE_TEST_SUITE_P(
    AllWords, Request,
    ::testing::Values(
        RequestCase{"AskForControl", askForControlRequest, "'ASKFORCONTROL'"},
        RequestCase{"RegistKeyArea1AndShuttleJog", [] { return registRequest(0x41); },
                    "'REGIST_RC' 41"},
        RequestCase{"RegistEverything", [] { return registRequest(0xFF); }, "'REGIST_RC' FF"},
        RequestCase{"ReleaseKeyArea1", [] { return releaseRequest(0x01); }, "'RELEASE_RC' 01"},
        RequestCase{"InitZekDefaultTable", [] { return initZekRequest(defaultInitTable()); },
                    "'INITZEK' 0C 0F "
                    "00 00 00 00 00 00  FF FF FF FF FF FF  FF FF 00 00 00 00  00 00 FF FF 00 00 "
                    "00 00 00 00 FF FF  0F 0F B5 B5 17 17  DF DF 69 69 22 22  26 26 66 66 B9 B9 "
                    "FF FF 73 73 00 00  FF FF 7D 7D 3E 3E  FC FC 0B 0B AF AF  00 00 D6 D6 68 68 "
                    "06 06 BF BF F9 F9  00 00 00 00 FF FF  7F FF 00 00 FF FF  10 10 8E 8E CE CE"},
        RequestCase{"InitZekAsGiven", [] { return initZekRequest(B("7F 00 01 02")); },
                    "'INITZEK' 7F 00 01 02"},
        RequestCase{"CaliZek", caliZekRequest, "'CALIZEK'"},
        RequestCase{"UpdateStatusStartMap", [] { return updateStatusRequest(initialLedMap()); },
                    "'UPDATESTATUS' 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"},
        RequestCase{"UpdateStatusLiveMap", [] { return updateStatusRequest(liveMap()); },
                    "'UPDATESTATUS' 11 11 11 11 11 11 11 AA AA AA A9 99 99 99 99 99 91 11 11 11"},
        RequestCase{"UpdateStatusPressedKeysLit",
                    [] {
                        return updateStatusRequest(ledMapWithKeys(initialLedMap(), {3, 6, 21}, 2));
                    },
                    "'UPDATESTATUS' 11 12 11 21 11 11 11 11 11 11 12 11 11 11 11 11 11 11 11 11"},
        RequestCase{"GetVersion", getVersionRequest, "'GET_VERSION'"},
        RequestCase{"SettingTbarMax", [] { return settingTbarRequest(TbarEnd::Max); },
                    "'SETTINGTBAR' '2'"},
        RequestCase{"SettingTbarMin", [] { return settingTbarRequest(TbarEnd::Min); },
                    "'SETTINGTBAR' 33"},
        RequestCase{"NeedFwUpd", needFwUpdRequest, "'NEEDFWUPD'"},
        RequestCase{"StartFwUpd", startFwUpdRequest, "'STARTFWUPD'"},
        RequestCase{"CancelUpgradeReply", cancelUpgradeReply, "00 05 82 6E 15"}),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST(InitTable, DefaultKeepsTheLineAndIsNinetyEightBytes) {
    const Bytes table = defaultInitTable();
    EXPECT_EQ(table.size(), 98u);
    EXPECT_EQ(describeSerialMode(table[0]), "1 stop bit, 8 data bits, parity none");
    EXPECT_EQ(describeBaudCode(table[1]), "115200 baud");
}

TEST(InitTable, ModeAndBaudDescriptions) {
    EXPECT_EQ(describeSerialMode(0x00), "1 stop bit, 5 data bits, parity none");
    EXPECT_EQ(describeSerialMode(0x2A), "2 stop bits, 7 data bits, parity even");
    EXPECT_EQ(describeSerialMode(0x7F), "stop bits unchanged, 8 data bits, parity unchanged");
    EXPECT_EQ(describeSerialMode(0x15), "stop bits unchanged, 6 data bits, parity odd");
    EXPECT_EQ(describeBaudCode(2), "110 baud");
    EXPECT_EQ(describeBaudCode(9), "300 baud");
    EXPECT_EQ(describeBaudCode(6), "230400 baud");
    EXPECT_EQ(describeBaudCode(0), "rate unchanged");
    EXPECT_EQ(describeBaudCode(1), "rate unchanged");
    EXPECT_EQ(describeBaudCode(16), "rate unchanged");
}

// ---------------------------------------------------------------------------------------------
// Answers that are understood.

TEST(Answers, AskForControlGivesPoolPortAndFreeMask) {
    const auto fresh = parseAskForControlAnswer(B("00 08 82 65 46 01 FF"));
    ASSERT_TRUE(fresh.ok()) << fresh.error;
    EXPECT_EQ(fresh.value.poolPort, 7001);
    EXPECT_EQ(fresh.value.freeMask, 0xFF);
    EXPECT_EQ(resourceNames(fresh.value.freeMask),
              "keyBoardArea1 keyBoardArea2 keyBoardArea3 keyBoardArea4 TBar joyStick "
              "shuttleJog slider");

    const auto last = parseAskForControlAnswer(B("00 08 82 65 46 06 9E"));
    ASSERT_TRUE(last.ok()) << last.error;
    EXPECT_EQ(last.value.poolPort, 7006);
    EXPECT_EQ(last.value.freeMask, 0x9E);

    // Eight bytes, as the length field promises, read the same.
    const auto promised = parseAskForControlAnswer(B("00 08 82 65 46 02 BE 00"));
    ASSERT_TRUE(promised.ok()) << promised.error;
    EXPECT_EQ(promised.value.poolPort, 7002);
    EXPECT_EQ(promised.value.freeMask, 0xBE);
}

TEST(Answers, BookingAndReleaseGiveTheFreeMask) {
    const auto first = parseRegistAnswer(B("00 06 82 66 06 BE"));
    ASSERT_TRUE(first.ok()) << first.error;
    EXPECT_EQ(first.value, 0xBE);
    EXPECT_EQ(resourceNames(first.value),
              "keyBoardArea2 keyBoardArea3 keyBoardArea4 TBar joyStick slider");
    const auto second = parseRegistAnswer(B("00 06 82 66 06 9E"));
    ASSERT_TRUE(second.ok()) << second.error;
    EXPECT_EQ(second.value, 0x9E);
    const auto released = parseReleaseAnswer(B("00 06 82 67 06 9F"));
    ASSERT_TRUE(released.ok()) << released.error;
    EXPECT_EQ(released.value, 0x9F);
}

TEST(Answers, AckOrNack) {
    const auto initAck = parseInitZekAnswer(B("00 05 82 68 06"));
    ASSERT_TRUE(initAck.ok()) << initAck.error;
    EXPECT_TRUE(initAck.value);
    const auto initNack = parseInitZekAnswer(B("00 05 82 68 15"));
    ASSERT_TRUE(initNack.ok()) << initNack.error;
    EXPECT_FALSE(initNack.value);
    const auto startAck = parseStartFwUpdAnswer(B("00 05 82 6D 06"));
    ASSERT_TRUE(startAck.ok()) << startAck.error;
    EXPECT_TRUE(startAck.value);
    const auto startNack = parseStartFwUpdAnswer(B("00 05 82 6D 15"));
    ASSERT_TRUE(startNack.ok()) << startNack.error;
    EXPECT_FALSE(startNack.value);
}

TEST(Answers, CalibrationBytesAreUnsigned) {
    const auto tbar = parseCaliZekAnswer(B("00 09 82 69 06 03 F4 00 17"));
    ASSERT_TRUE(tbar.ok()) << tbar.error;
    EXPECT_EQ(tbar.value.maxValue, 1012);
    EXPECT_EQ(tbar.value.minValue, 23);
    const auto high = parseCaliZekAnswer(B("00 09 82 69 06 FF F0 80 01"));
    ASSERT_TRUE(high.ok()) << high.error;
    EXPECT_EQ(high.value.maxValue, 65520);
    EXPECT_EQ(high.value.minValue, 32769);
}

TEST(Answers, Versions) {
    const auto version =
        parseGetVersionAnswer(B("00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 00 00"));
    ASSERT_TRUE(version.ok()) << version.error;
    EXPECT_EQ(version.value.daemonMajor, 23);
    EXPECT_EQ(version.value.daemonMinor, 35);
    EXPECT_EQ(version.value.mcuMajor, 1);
    EXPECT_EQ(version.value.mcuMinor, 7);
    const auto noMcu =
        parseGetVersionAnswer(B("00 14 82 42 00 17 00 23 FF FF FF FF 00 00 00 00 00 00 00 00"));
    ASSERT_TRUE(noMcu.ok()) << noMcu.error;
    EXPECT_EQ(noMcu.value.mcuMajor, 0xFFFF);
    EXPECT_EQ(noMcu.value.mcuMinor, 0xFFFF);

    const auto stick = parseNeedFwUpdAnswer(B("00 0D 82 6C 06 00 17 00 24 00 01 00 08"));
    ASSERT_TRUE(stick.ok()) << stick.error;
    EXPECT_EQ(stick.value.appMajor, 23);
    EXPECT_EQ(stick.value.appMinor, 36);
    EXPECT_EQ(stick.value.mcuFileMajor, 1);
    EXPECT_EQ(stick.value.mcuFileMinor, 8);
}

TEST(Answers, ProgressMessages) {
    struct Row {
        const char* message;
        int value;
        const char* meaning;
        bool final;
    };
    const Row rows[] = {
        {"00 0F 82 6E 'FWUPDSTATE' 00", 0, "0% of the image sent", false},
        {"00 0F 82 6E 'FWUPDSTATE' 2A", 42, "42% of the image sent", false},
        {"00 0F 82 6E 'FWUPDSTATE' 55", 85, "85% of the image sent", false},
        {"00 0F 82 6E 'FWUPDSTATE' 64", 100, "upgrade finished", true},
        {"00 0F 82 6E 'FWUPDSTATE' 65", 101, "image file cannot be opened", true},
        {"00 0F 82 6E 'FWUPDSTATE' 66", 102, "image empty", true},
        {"00 0F 82 6E 'FWUPDSTATE' 67", 103, "MCU did not accept the start", true},
        {"00 0F 82 6E 'FWUPDSTATE' 68", 104, "transfer failed", true},
        {"00 0F 82 6E 'FWUPDSTATE' 69", 105, "MCU firmware not older than the image, nothing done",
         true},
        {"00 0F 82 6E 'FWUPDSTATE' 73", 115, "unknown progress value", true},
    };
    for (const Row& row : rows) {
        const auto progress = parseProgressMessage(B(row.message));
        ASSERT_TRUE(progress.ok()) << row.message << ": " << progress.error;
        EXPECT_EQ(progress.value, row.value) << row.message;
        EXPECT_EQ(progressMeaning(progress.value), row.meaning) << row.message;
        EXPECT_EQ(progressIsFinal(progress.value), row.final) << row.message;
    }
}

// ---------------------------------------------------------------------------------------------
// The hardware state table.

TEST(StateTable, EveryField) {
    // lock; X right 2603; Y down 100; Z tele 5; shuttle dir 5; jog 3; T-bar 1012; sliders;
    // keys 3 (byte 0, 0x10) and 29 (byte 3, 0x04).
    const auto parsed = parseHardwareStateTable(
        B("00 18 82 6A 01 1A 2B 00 64 10 05 85 03 03 F4 0C 00 FF 07 10 00 00 04 00"));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const hardwareState& s = parsed.value;
    EXPECT_TRUE(s.lockButtonPressed);
    EXPECT_TRUE(s.joyStickXDir);
    EXPECT_EQ(s.joyStickX, 2603);
    EXPECT_FALSE(s.joyStickYDir);
    EXPECT_EQ(s.joyStickY, 100);
    EXPECT_TRUE(s.joyStickZDir);
    EXPECT_EQ(s.joyStickZ, 5);
    EXPECT_TRUE(s.shuttleDir);
    EXPECT_EQ(s.shuttleValue, 5);
    EXPECT_FALSE(s.jogDir);
    EXPECT_EQ(s.jogValue, 3);
    EXPECT_EQ(s.tBarValue, 1012);
    EXPECT_EQ(s.sliderValue1, 12);
    EXPECT_EQ(s.sliderValue2, 0);
    EXPECT_EQ(s.sliderValue3, 255);
    EXPECT_EQ(s.sliderValue4, 7);
    EXPECT_EQ(H(s.keyPressTable), "10 00 00 04 00");
    EXPECT_EQ(pressedKeys(s), (std::vector<int>{3, 29}));
    EXPECT_EQ(keyLabel(3), "LOCK");
    EXPECT_EQ(keyLabel(29), "9");
    EXPECT_EQ(stateLine(s),
              "keys=3,29 lock=1 x=+2603 y=-100 z=+5 tbar=1012 sliders=12,0,255,7 shuttle=+5 "
              "jog=-3");
}

TEST(StateTable, ExtremesAndOnlyTheUsedBits) {
    // Lock byte FE: only bit 0 counts. Axes at 4095 with the bits above the direction set;
    // shuttle and jog at 127; T-bar 65535; keys 0, 7, 8 and 39 (last bit of byte 4).
    const auto parsed = parseHardwareStateTable(
        B("00 18 82 6A FE EF FF 2F FF 0F FF FF 7F FF FF 01 02 03 04 81 80 00 00 01"));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const hardwareState& s = parsed.value;
    EXPECT_FALSE(s.lockButtonPressed);
    EXPECT_EQ(s.joyStickX, 4095);
    EXPECT_FALSE(s.joyStickXDir);  // 0xEF: bit 4 clear
    EXPECT_EQ(s.joyStickY, 4095);
    EXPECT_FALSE(s.joyStickYDir);  // 0x2F: bit 4 clear
    EXPECT_EQ(s.joyStickZ, 4095);
    EXPECT_FALSE(s.joyStickZDir);
    EXPECT_EQ(s.shuttleValue, 127);
    EXPECT_TRUE(s.shuttleDir);
    EXPECT_EQ(s.jogValue, 127);
    EXPECT_FALSE(s.jogDir);
    EXPECT_EQ(s.tBarValue, 65535);
    EXPECT_EQ(s.sliderValue1, 1);
    EXPECT_EQ(s.sliderValue4, 4);
    EXPECT_EQ(pressedKeys(s), (std::vector<int>{0, 7, 8, 39}));
    EXPECT_EQ(keyLabel(39), "");
}

TEST(StateTable, KeyTableAsLongAsTheDaemonHadIt) {
    // No key table (the daemon's MCU did not answer): 19 bytes although the field says 24.
    const auto empty =
        parseHardwareStateTable(B("00 18 82 6A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
    ASSERT_TRUE(empty.ok()) << empty.error;
    EXPECT_TRUE(empty.value.keyPressTable.empty());
    EXPECT_TRUE(pressedKeys(empty.value).empty());
    EXPECT_EQ(stateLine(empty.value),
              "keys=? lock=0 x=0 y=0 z=0 tbar=0 sliders=0,0,0,0 shuttle=0 jog=0");

    // Two keys' bytes only: keys 0-15 readable, the rest not pressed.
    const auto shortTable = parseHardwareStateTable(
        B("00 18 82 6A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01"));
    ASSERT_TRUE(shortTable.ok()) << shortTable.error;
    EXPECT_EQ(pressedKeys(shortTable.value), (std::vector<int>{15}));
    EXPECT_FALSE(keyPressed(shortTable.value, 39));

    // Noise behind the table lengthens it; only keys 0-39 count.
    const auto longTable = parseHardwareStateTable(
        B("00 18 82 6A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 FF FF"));
    ASSERT_TRUE(longTable.ok()) << longTable.error;
    EXPECT_EQ(longTable.value.keyPressTable.size(), 7u);
    EXPECT_EQ(pressedKeys(longTable.value), (std::vector<int>{32}));
    EXPECT_EQ(stateLine(longTable.value),
              "keys=32 lock=0 x=0 y=0 z=0 tbar=0 sliders=0,0,0,0 shuttle=0 jog=0");
}

TEST(StateTable, BlockForTheTerminal) {
    const auto parsed = parseHardwareStateTable(
        B("00 18 82 6A 01 1A 2B 00 64 10 05 85 03 03 F4 0C 00 FF 07 10 00 00 04 00"));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const std::vector<std::string> lines = stateBlock(parsed.value);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "keys      3 \"LOCK\"  29 \"9\"");
    EXPECT_EQ(lines[1], "lock      pressed");
    EXPECT_EQ(lines[2], "joystick  x 2603 right   y  100 down   z    5 tele");
    EXPECT_EQ(lines[3], "T-bar     1012");
    EXPECT_EQ(lines[4], "sliders    12   0 255   7");
    EXPECT_EQ(lines[5], "shuttle     5 (direction set)     jog   3 (direction clear)");
    // Always as many lines, so a live view can redraw in place.
    EXPECT_EQ(stateBlock(hardwareState{}).size(), 6u);
}

// ---------------------------------------------------------------------------------------------
// Answers that are refused, each with a message that says why.

using Parser = std::function<std::string(const Bytes&)>;

template <typename T>
Parser errorOf(Parsed<T> (*parse)(const Bytes&)) {
    return [parse](const Bytes& m) { return parse(m).error; };
}

struct RefusedCase {
    const char* name;
    Parser parse;
    const char* answer;
    const char* error;
};

std::ostream& operator<<(std::ostream& os, const RefusedCase& c) {
    return os << c.name;
}

class Refused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, WithMessage) {
    EXPECT_EQ(GetParam().parse(B(GetParam().answer)), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCheck, Refused,
    ::testing::Values(
        RefusedCase{"Empty", errorOf(parseGetVersionAnswer), "", "empty answer to \"GET_VERSION\""},
        RefusedCase{"ShorterThanTheHeader", errorOf(parseRegistAnswer), "00 06 82",
                    "answer to \"REGIST_RC\" too short: 3 bytes, 6 expected"},
        RefusedCase{"AskForControlCut", errorOf(parseAskForControlAnswer), "00 08 82 65 46 01",
                    "answer to \"ASKFORCONTROL\" too short: 6 bytes, 7 expected"},
        RefusedCase{"AskForControlTooLong", errorOf(parseAskForControlAnswer),
                    "00 08 82 65 46 01 FF 00 00",
                    "answer to \"ASKFORCONTROL\" too long: 9 bytes, 7 expected"},
        RefusedCase{"AskForControlUnitsOver99", errorOf(parseAskForControlAnswer),
                    "00 08 82 65 46 64 FF",
                    "answer to \"ASKFORCONTROL\": pool port bytes 46 64 are not hundreds and "
                    "units"},
        RefusedCase{"AskForControlNoPort", errorOf(parseAskForControlAnswer),
                    "00 08 82 65 00 00 FF",
                    "answer to \"ASKFORCONTROL\": no pool port offered (port 0)"},
        RefusedCase{"VersionHeaderOnly", errorOf(parseGetVersionAnswer), "00 14 82 42 00 17 00 23",
                    "answer to \"GET_VERSION\" too short: 8 bytes, 20 expected"},
        RefusedCase{"VersionTooLong", errorOf(parseGetVersionAnswer),
                    "00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 00 00 00",
                    "answer to \"GET_VERSION\" too long: 21 bytes, 20 expected"},
        RefusedCase{"WrongType", errorOf(parseCaliZekAnswer), "00 09 83 69 06 03 F4 00 17",
                    "answer to \"CALIZEK\": type byte 0x83, not 0x82"},
        RefusedCase{"WrongCodeNamed", errorOf(parseInitZekAnswer), "00 05 82 6D 06",
                    "answer to \"INITZEK\": wrong response code 0x6D (the answer to "
                    "\"STARTFWUPD\"), expected 0x68"},
        RefusedCase{"WrongCodeUnknown", errorOf(parseCaliZekAnswer), "00 09 82 01 06 03 F4 00 17",
                    "answer to \"CALIZEK\": wrong response code 0x01, expected 0x69"},
        RefusedCase{"WrongLengthField", errorOf(parseRegistAnswer), "00 05 82 66 06 BE",
                    "answer to \"REGIST_RC\": length field says 5, expected 6"},
        RefusedCase{"RegistNack", errorOf(parseRegistAnswer), "00 06 82 66 15 BE",
                    "answer to \"REGIST_RC\": NACK"},
        RefusedCase{"CalibrationNack", errorOf(parseCaliZekAnswer), "00 09 82 69 15 03 F4 00 17",
                    "answer to \"CALIZEK\": NACK"},
        RefusedCase{"NeitherAckNorNack", errorOf(parseInitZekAnswer), "00 05 82 68 07",
                    "answer to \"INITZEK\": answer byte 0x07, neither ACK 0x06 nor NACK 0x15"},
        RefusedCase{"NeedFwUpdCut", errorOf(parseNeedFwUpdAnswer), "00 0D 82 6C 06 00 17 00 24",
                    "answer to \"NEEDFWUPD\" too short: 9 bytes, 13 expected"},
        RefusedCase{"StateTableCut", errorOf(parseHardwareStateTable),
                    "00 18 82 6A 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
                    "answer to \"UPDATESTATUS\" too short: 18 bytes, 19 at least expected"},
        RefusedCase{"StateTableOtherLength", errorOf(parseHardwareStateTable),
                    "00 13 82 6A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
                    "answer to \"UPDATESTATUS\": length field says 19, expected 24"},
        RefusedCase{"ProgressWithoutText", errorOf(parseProgressMessage),
                    "00 0F 82 6E 'FWUPDSTATX' 2A",
                    "progress message: no \"FWUPDSTATE\" behind the response code"},
        RefusedCase{"ProgressCut", errorOf(parseProgressMessage), "00 0F 82 6E 'FWUPD'",
                    "progress message too short: 9 bytes, 15 expected"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

const std::vector<std::pair<const char*, Parser>>& allParsers() {
    static const std::vector<std::pair<const char*, Parser>> parsers = {
        {"ASKFORCONTROL", errorOf(parseAskForControlAnswer)},
        {"REGIST_RC", errorOf(parseRegistAnswer)},
        {"RELEASE_RC", errorOf(parseReleaseAnswer)},
        {"INITZEK", errorOf(parseInitZekAnswer)},
        {"CALIZEK", errorOf(parseCaliZekAnswer)},
        {"UPDATESTATUS", errorOf(parseHardwareStateTable)},
        {"GET_VERSION", errorOf(parseGetVersionAnswer)},
        {"NEEDFWUPD", errorOf(parseNeedFwUpdAnswer)},
        {"STARTFWUPD", errorOf(parseStartFwUpdAnswer)},
        {"progress", errorOf(parseProgressMessage)},
    };
    return parsers;
}

TEST(Garbage, EveryLengthUpTo64IsRefusedByEveryParser) {
    std::mt19937 random(710);
    for (size_t length = 0; length <= 64; ++length) {
        for (int fill = 0; fill < 4; ++fill) {
            Bytes garbage(length);
            for (uint8_t& b : garbage) {
                b = fill == 0   ? 0x00
                    : fill == 1 ? 0xFF
                    : fill == 2 ? 0x82  // the type byte everywhere
                                : static_cast<uint8_t>(random());
            }
            for (const auto& [name, parse] : allParsers()) {
                EXPECT_FALSE(parse(garbage).empty()) << name << " took " << H(garbage);
            }
            EXPECT_TRUE(describeAnswer(garbage).empty()) << H(garbage);
            MessageSplitter splitter;
            for (const Bytes& message : splitter.feed(garbage)) {
                EXPECT_LE(message.size(), garbage.size());
            }
        }
    }
}

TEST(Garbage, EveryCutOfAGoodAnswerIsRefused) {
    const std::pair<const char*, const char*> good[] = {
        {"ASKFORCONTROL", "00 08 82 65 46 01 FF"},
        {"REGIST_RC", "00 06 82 66 06 BE"},
        {"RELEASE_RC", "00 06 82 67 06 9F"},
        {"INITZEK", "00 05 82 68 06"},
        {"CALIZEK", "00 09 82 69 06 03 F4 00 17"},
        {"UPDATESTATUS", "00 18 82 6A 01 1A 2B 00 64 10 05 85 03 03 F4 0C 00 FF 07"},
        {"GET_VERSION", "00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 00 00"},
        {"NEEDFWUPD", "00 0D 82 6C 06 00 17 00 24 00 01 00 08"},
        {"STARTFWUPD", "00 05 82 6D 06"},
        {"progress", "00 0F 82 6E 'FWUPDSTATE' 2A"},
    };
    for (const auto& [name, answer] : good) {
        const Bytes whole = B(answer);
        for (const auto& [parserName, parse] : allParsers()) {
            if (std::string(parserName) != name) {
                EXPECT_FALSE(parse(whole).empty()) << parserName << " took the " << name;
                continue;
            }
            EXPECT_EQ(parse(whole), "") << name;
            for (size_t cut = 0; cut < whole.size(); ++cut) {
                const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
                EXPECT_FALSE(parse(part).empty()) << name << " cut to " << cut;
            }
        }
        EXPECT_FALSE(describeAnswer(whole).empty()) << name;
    }
}

TEST(Garbage, HugeAnswersAreRefused) {
    std::mt19937 random(7000);
    Bytes huge(1 << 20);
    for (uint8_t& b : huge) {
        b = static_cast<uint8_t>(random());
    }
    huge[0] = 0xFF;  // a length field no message has
    huge[1] = 0xFF;
    huge[2] = 0x82;  // past the type check, to the code
    for (const auto& [name, parse] : allParsers()) {
        EXPECT_FALSE(parse(huge).empty()) << name;
    }
    // A good header in front of a megabyte: refused by its size.
    Bytes longAsk = B("00 08 82 65 46 01 FF");
    longAsk.resize(1 << 20, 0x46);
    EXPECT_EQ(parseAskForControlAnswer(longAsk).error,
              "answer to \"ASKFORCONTROL\" too long: 1048576 bytes, 7 expected");
    MessageSplitter splitter;
    const std::vector<Bytes> out = splitter.feed(huge);
    ASSERT_EQ(out.size(), 1u);  // no sane length field: handed out whole, for the parser to refuse
    EXPECT_TRUE(splitter.pending().empty());
}

// ---------------------------------------------------------------------------------------------
// The upgrade's messages, cut out of what arrives.

TEST(Splitter, AnswerAndProgressInOneRead) {
    MessageSplitter splitter;
    const std::vector<Bytes> out =
        splitter.feed(B("00 05 82 6D 06 00 0F 82 6E 'FWUPDSTATE' 00 00 0F 82 6E 'FWUPDSTATE' 2A"));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(H(out[0]), H(B("00 05 82 6D 06")));
    EXPECT_EQ(H(out[1]), H(B("00 0F 82 6E 'FWUPDSTATE' 00")));
    EXPECT_EQ(H(out[2]), H(B("00 0F 82 6E 'FWUPDSTATE' 2A")));
    EXPECT_TRUE(splitter.pending().empty());
}

TEST(Splitter, MessageOverSeveralReads) {
    MessageSplitter splitter;
    EXPECT_TRUE(splitter.feed(B("00")).empty());
    EXPECT_TRUE(splitter.feed(B("0F 82 6E 'FWUP'")).empty());
    EXPECT_EQ(H(splitter.pending()), H(B("00 0F 82 6E 'FWUP'")));
    const std::vector<Bytes> out = splitter.feed(B("'DSTATE' 64 00 05"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(H(out[0]), H(B("00 0F 82 6E 'FWUPDSTATE' 64")));
    EXPECT_EQ(H(splitter.pending()), "00 05");
}

TEST(Splitter, BytesThatStartNoMessageComeOutWhole) {
    struct Row {
        const char* received;
        const char* why;
    };
    const Row rows[] = {
        {"00 02 82 6E 15", "length under 4"},
        {"04 01 82 6E 15", "length over 1024"},
        {"00 05 83 6E 15", "type other than 0x82"},
        {"'FWUPDSTATE'", "text"},
    };
    for (const Row& row : rows) {
        MessageSplitter splitter;
        const std::vector<Bytes> out = splitter.feed(B(row.received));
        ASSERT_EQ(out.size(), 1u) << row.why;
        EXPECT_EQ(H(out[0]), H(B(row.received))) << row.why;
        EXPECT_FALSE(parseProgressMessage(out[0]).ok()) << row.why;
    }
}

// ---------------------------------------------------------------------------------------------
// Command-line values.

TEST(Resources, MasksAndNames) {
    struct Row {
        std::vector<std::string> args;
        uint8_t mask;
    };
    const Row rows[] = {
        {{"0x41"}, 0x41},
        {{"65"}, 0x41},
        {{"keyBoardArea1", "shuttleJog"}, 0x41},
        {{"tbar,JOYSTICK"}, 0x30},
        {{"slider", "0x01"}, 0x81},
        {{"all"}, 0xFF},
        {{"0"}, 0x00},
    };
    for (const Row& row : rows) {
        uint8_t mask = 0xAA;
        std::string error;
        EXPECT_TRUE(parseResourceMask(row.args, mask, error)) << row.args[0] << ": " << error;
        EXPECT_EQ(mask, row.mask) << row.args[0];
    }
    EXPECT_EQ(resourceNames(0x00), "none");
    EXPECT_EQ(resourceNames(0x41), "keyBoardArea1 shuttleJog");
    EXPECT_EQ(resourceNames(0x9F),
              "keyBoardArea1 keyBoardArea2 keyBoardArea3 keyBoardArea4 "
              "TBar slider");
}

TEST(Resources, RefusedWords) {
    const std::vector<std::vector<std::string>> bad = {{"joystik"}, {"0x100"}, {"256"}, {}, {","}};
    for (const auto& args : bad) {
        uint8_t mask = 0;
        std::string error;
        EXPECT_FALSE(parseResourceMask(args, mask, error));
        EXPECT_FALSE(error.empty());
    }
    uint8_t mask = 0;
    std::string error;
    parseResourceMask({"joystik"}, mask, error);
    EXPECT_EQ(error,
              "not a resource mask (0x00-0xFF or 0-255) or name: 'joystik'; names: "
              "keyBoardArea1 keyBoardArea2 keyBoardArea3 keyBoardArea4 TBar joyStick shuttleJog "
              "slider, all");
}

TEST(Text, HexAndNumbers) {
    Bytes out;
    EXPECT_TRUE(parseHex({"00 08:82-65", "46", "01FF"}, out));
    EXPECT_EQ(H(out), "00 08 82 65 46 01 FF");
    EXPECT_FALSE(parseHex({"0 08"}, out));
    EXPECT_FALSE(parseHex({"0G"}, out));
    EXPECT_FALSE(parseHex({"123"}, out));
    EXPECT_EQ(hexBytes(B("00 0F 82")), "00 0F 82");
    unsigned long value = 0;
    EXPECT_TRUE(parseNumber("0x0C", 255, value));
    EXPECT_EQ(value, 12u);
    EXPECT_TRUE(parseNumber("15", 255, value));
    EXPECT_EQ(value, 15u);
    EXPECT_FALSE(parseNumber("0x", 255, value));
    EXPECT_FALSE(parseNumber("256", 255, value));
    EXPECT_FALSE(parseNumber("-1", 255, value));
    EXPECT_FALSE(parseNumber("", 255, value));
    EXPECT_FALSE(parseNumber("99999999999", 4000000000ul, value));
}

// ---------------------------------------------------------------------------------------------
// The program against a fake daemon on loopback.

// One message the fake sends; with `awaitReply` it then listens on that connection for the
// client's reply (the way the daemon reads after each upgrade progress message).
struct Say {
    std::string message;  // spelled as bytes() reads it
    bool awaitReply = false;
};

// Command words and what the fake says to each, tried in order, the first found in a message
// acting (a message without any gets nothing).
using Script = std::vector<std::pair<std::string, std::vector<Say>>>;

// A daemon of the test's own on 127.0.0.1: a control port from the kernel that answers
// "ASKFORCONTROL" with its pool port and `freeMask`, and a pool port that answers from the
// script. It records every message. Its thread stops and its sockets close with the object.
class FakeDaemon {
public:
    FakeDaemon(Script script, uint8_t freeMask = 0xFF, const char* askAnswer = nullptr)
        : script_(std::move(script)), freeMask_(freeMask), askAnswer_(askAnswer ? askAnswer : "") {}
    ~FakeDaemon() {
        if (thread_.joinable()) {
            const char stop = 's';
            (void)!::write(stopPipe_[1], &stop, 1);
            thread_.join();
        }
        for (int fd : {controlFd_, poolFd_, stopPipe_[0], stopPipe_[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    // Binds both ports and starts serving; false (with a test failure) when that cannot be done.
    bool start() {
        if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe";
            return false;
        }
        controlFd_ = listenOn(0);
        // The pool port travels as hundreds and units in one byte each, so it must be below
        // 25600; kernel-chosen ports lie above, so try a few from a range of our own.
        std::mt19937 random(static_cast<unsigned>(::getpid()) ^
                            static_cast<unsigned>(Clock::now().time_since_epoch().count()));
        for (int attempt = 0; attempt < 200 && poolFd_ < 0; ++attempt) {
            poolFd_ = listenOn(static_cast<uint16_t>(20000 + random() % 5600));
        }
        if (controlFd_ < 0 || poolFd_ < 0) {
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
            return false;
        }
        controlPort_ = localPort(controlFd_);
        poolPort_ = localPort(poolFd_);
        thread_ = std::thread([this] { serve(); });
        return true;
    }

    uint16_t controlPort() const { return controlPort_; }
    uint16_t poolPort() const { return poolPort_; }

    std::vector<Bytes> poolMessages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return poolMessages_;
    }
    std::vector<Bytes> controlMessages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return controlMessages_;
    }
    // What the client replied to a message with `awaitReply`, by that message's text.
    std::vector<std::pair<std::string, Bytes>> replies() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return replies_;
    }
    int poolConnections() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return poolConnections_;
    }
    // For what the client does without waiting for an answer: the fake may see it only after
    // the client has ended. Waits at most five seconds for the connections and messages.
    bool waitForPool(int connections, size_t messages) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return recorded_.wait_for(lock, std::chrono::seconds(5), [&] {
            return poolConnections_ >= connections && poolMessages_.size() >= messages;
        });
    }

private:
    static int listenOn(uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 4) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            return -1;
        }
        return fd;
    }

    static uint16_t localPort(int fd) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }

    static void sendAll(int fd, const Bytes& message) {
        (void)!::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    }

    void serve() {
        struct Client {
            int fd;
            bool pool;
        };
        std::vector<Client> clients;
        for (;;) {
            std::vector<pollfd> fds = {
                {stopPipe_[0], POLLIN, 0}, {controlFd_, POLLIN, 0}, {poolFd_, POLLIN, 0}};
            for (const Client& client : clients) {
                fds.push_back({client.fd, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            if (fds[0].revents) {
                break;
            }
            const size_t polled = clients.size();  // those accepted below wait for the next poll
            for (size_t i = 1; i <= 2; ++i) {
                if (fds[i].revents & POLLIN) {
                    const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
                    if (fd >= 0) {
                        clients.push_back({fd, i == 2});
                        if (i == 2) {
                            std::lock_guard<std::mutex> lock(mutex_);
                            ++poolConnections_;
                            recorded_.notify_all();
                        }
                    }
                }
            }
            std::vector<Client> open;
            for (size_t i = 0; i < clients.size(); ++i) {
                const Client client = clients[i];
                if (i >= polled || !fds[3 + i].revents) {
                    open.push_back(client);
                    continue;
                }
                uint8_t buffer[2048];
                const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    ::close(client.fd);
                    continue;
                }
                open.push_back(client);
                handle(client.fd, client.pool, Bytes(buffer, buffer + n));
            }
            clients = std::move(open);
        }
        for (const Client& client : clients) {
            ::close(client.fd);
        }
    }

    void handle(int fd, bool pool, const Bytes& message) {
        const std::string text(message.begin(), message.end());
        if (!pool) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                controlMessages_.push_back(message);
            }
            if (text.find("ASKFORCONTROL") != std::string::npos) {
                sendAll(fd,
                        askAnswer_.empty()
                            ? Bytes{0x00, 0x08, 0x82, 0x65, static_cast<uint8_t>(poolPort_ / 100),
                                    static_cast<uint8_t>(poolPort_ % 100), freeMask_}
                            : B(askAnswer_));
            }
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            poolMessages_.push_back(message);
            recorded_.notify_all();
        }
        for (const auto& [word, says] : script_) {
            if (text.find(word) == std::string::npos) {
                continue;
            }
            for (const Say& say : says) {
                sendAll(fd, B(say.message));
                if (say.awaitReply) {
                    pollfd entry{fd, POLLIN, 0};
                    if (::poll(&entry, 1, 2000) > 0) {
                        uint8_t buffer[64];
                        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                        if (n > 0) {
                            std::lock_guard<std::mutex> lock(mutex_);
                            replies_.push_back({say.message, Bytes(buffer, buffer + n)});
                        }
                    }
                }
            }
            return;
        }
    }

    const Script script_;
    const uint8_t freeMask_;
    const std::string askAnswer_;
    int stopPipe_[2] = {-1, -1};
    int controlFd_ = -1;
    int poolFd_ = -1;
    uint16_t controlPort_ = 0;
    uint16_t poolPort_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;  // guards what the serving thread records
    mutable std::condition_variable recorded_;
    std::vector<Bytes> poolMessages_;
    std::vector<Bytes> controlMessages_;
    std::vector<std::pair<std::string, Bytes>> replies_;
    int poolConnections_ = 0;
};

struct ToolRun {
    int status = -1;  // exit status, or -1 when killed or not started
    std::string out;
    std::string err;
};

// Runs linkctl to its end, killing it (by its process id) at the deadline.
ToolRun runLinkctl(const std::vector<std::string>& args,
                   std::chrono::milliseconds wait = std::chrono::milliseconds(15000)) {
    ToolRun run;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return run;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return run;
    }
    std::vector<std::string> argv = {ZEK_LINKCTL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) {
        pointers.push_back(a.data());
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    const auto deadline = Clock::now() + wait;
    bool outOpen = spawned == 0;
    bool errOpen = spawned == 0;
    bool killed = false;
    while (outOpen || errOpen) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (left <= 0 || ::poll(fds, 2, static_cast<int>(left)) <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
                continue;
            }
            (i == 0 ? run.out : run.err).append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (spawned == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!killed && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> withPort(const FakeDaemon& daemon, std::vector<std::string> command) {
    std::vector<std::string> args = {"--port", std::to_string(daemon.controlPort()), "--timeout",
                                     "2000"};
    args.insert(args.end(), command.begin(), command.end());
    return args;
}

TEST(Session, AskPrintsPoolPortAndFreeResources) {
    FakeDaemon daemon({}, 0x9E);
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"--verbose", "ask"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "pool port " + std::to_string(daemon.poolPort()) + "\n"))
        << run.out;
    const std::string control = "127.0.0.1:" + std::to_string(daemon.controlPort());
    EXPECT_TRUE(
        contains(run.err, "sent to " + control + ": 41 53 4B 46 4F 52 43 4F 4E 54 52 4F 4C\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "received from " + control + ": 00 08 82 65 ")) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "free: keyBoardArea2 keyBoardArea3 keyBoardArea4 TBar slider (mask 0x9E)"))
        << run.out;
    ASSERT_EQ(daemon.controlMessages().size(), 1u);
    EXPECT_EQ(H(daemon.controlMessages()[0]), H(B("'ASKFORCONTROL'")));
    EXPECT_TRUE(daemon.waitForPool(1, 0));
    EXPECT_EQ(daemon.poolConnections(), 1);
    EXPECT_TRUE(daemon.poolMessages().empty());
}

TEST(Session, BookAndReleaseInOneSession) {
    FakeDaemon daemon(
        {{"REGIST_RC", {{"00 06 82 66 06 9E"}}}, {"RELEASE_RC", {{"00 06 82 67 06 9F"}}}},
        0xBF);  // shuttleJog is another client's
    ASSERT_TRUE(daemon.start());
    const ToolRun run =
        runLinkctl(withPort(daemon, {"book", "keyBoardArea1", "joyStick", "+", "release", "0x01"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "booked: keyBoardArea1 joyStick\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "released: keyBoardArea1\n")) << run.out;
    EXPECT_TRUE(contains(run.out,
                         "free now: keyBoardArea1 keyBoardArea2 keyBoardArea3 "
                         "keyBoardArea4 TBar slider (mask 0x9F)"))
        << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(H(sent[0]), H(B("'REGIST_RC' 21")));
    EXPECT_EQ(H(sent[1]), H(B("'RELEASE_RC' 01")));
}

TEST(Session, BookingRefusedInPartIsAFailure) {
    FakeDaemon daemon({{"REGIST_RC", {{"00 06 82 66 06 9E"}}}}, 0xBE);
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"book", "0x61"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.out, "booked: joyStick\n")) << run.out;
    EXPECT_TRUE(contains(
        run.err, "linkctl: not granted: keyBoardArea1 shuttleJog (held by another client)\n"))
        << run.err;
}

TEST(Session, InitSendsTheDefaultTable) {
    FakeDaemon daemon({{"INITZEK", {{"00 05 82 68 06"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"init"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "init: ACK")) << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].size(), 7u + 98u);
    EXPECT_EQ(H(Bytes(sent[0].begin(), sent[0].begin() + 15)),
              H(B("'INITZEK' 0C 0F 00 00 00 00 00 00")));
}

TEST(Session, InitModeBaudAndNack) {
    FakeDaemon daemon({{"INITZEK", {{"00 05 82 68 15"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"init", "--mode", "0x2E", "--baud=11"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "NACK")) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "mode 0x2E (2 stop bits, 8 data bits, parity even), baud code "
                         "11 (9600 baud)"))
        << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].size(), 105u);
    EXPECT_EQ(H(Bytes(sent[0].begin(), sent[0].begin() + 9)), H(B("'INITZEK' 2E 0B")));
}

TEST(Session, VersionCalibrationAndStatus) {
    FakeDaemon daemon(
        {{"CALIZEK", {{"00 09 82 69 06 03 F4 00 17"}}},
         {"UPDATESTATUS",
          {{"00 18 82 6A 01 1A 2B 00 64 10 05 85 03 03 F4 0C 00 FF 07 10 00 00 04 00"}}},
         {"GET_VERSION", {{"00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 00 00"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run =
        runLinkctl(withPort(daemon, {"version", "+", "calibration", "+", "status", "--leds",
                                     "1111111111111111111111111111111111111122"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "linkDaemon version 23.35\nMCU version 1.7 (0.1.0.7)\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "T-bar maximum 1012, minimum 23\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "keys      3 \"LOCK\"  29 \"9\"\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "joystick  x 2603 right   y  100 down   z    5 tele\n"))
        << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(H(sent[2]),
              H(B("'UPDATESTATUS' 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 22")));
}

TEST(Session, WatchLightsPressedKeys) {
    FakeDaemon daemon(
        {{"REGIST_RC", {{"00 06 82 66 06 00"}}},
         {"INITZEK", {{"00 05 82 68 06"}}},
         {"UPDATESTATUS",
          {{"00 18 82 6A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 10 00 00 00 00"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"watch", "--interval", "20", "--count", "2"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "poll 1 keys=3 lock=0 x=0 y=0 z=0 tbar=0 sliders=0,0,0,0 "
                         "shuttle=0 jog=0\npoll 2 keys=3 "))
        << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(H(sent[0]), H(B("'REGIST_RC' FF")));
    EXPECT_EQ(sent[1].size(), 105u);
    EXPECT_EQ(H(sent[2]),
              H(B("'UPDATESTATUS' 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11")));
    EXPECT_EQ(H(sent[3]),
              H(B("'UPDATESTATUS' 11 12 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11")));
}

TEST(Session, TbarSendsTheSelectorText) {
    FakeDaemon daemon({});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"tbar", "min"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(daemon.waitForPool(1, 1));
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(H(sent[0]), H(B("'SETTINGTBAR' '3'")));
}

TEST(Session, NeedUpdateWithAndWithoutStick) {
    {
        FakeDaemon daemon({{"NEEDFWUPD", {{"00 0D 82 6C 06 00 17 00 24 00 01 00 08"}}}});
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(withPort(daemon, {"needupdate"}));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(contains(
            run.out, "USB stick: linkDaemon version 23.36, MCU firmware file version 1.8\n"))
            << run.out;
    }
    {
        FakeDaemon daemon({});
        ASSERT_TRUE(daemon.start());
        const auto started = Clock::now();
        const ToolRun run = runLinkctl(
            {"--port", std::to_string(daemon.controlPort()), "--timeout", "300", "needupdate"});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.err,
                             "linkctl: no answer to \"NEEDFWUPD\" within 300 ms: the "
                             "daemon found no USB stick with firmware\n"))
            << run.err;
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
    }
}

TEST(Session, UpgradeToTheEndWithMessagesInOneRead) {
    FakeDaemon daemon({{"STARTFWUPD",
                        {{"00 05 82 6D 15 00 0F 82 6E 'FWUPDSTATE' 00 00 0F 82 6E 'FWUPDSTATE' 2A"},
                         {"00 0F 82 6E 'FWUPDSTATE' 55 00 0F 82 6E 'FWUPDSTATE' 64"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"upgrade"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "STARTFWUPD: NACK")) << run.out;
    EXPECT_TRUE(contains(run.out,
                         "progress 0: 0% of the image sent\nprogress 42: 42% of the "
                         "image sent\nprogress 85: 85% of the image sent\nprogress 100: "
                         "upgrade finished\n"))
        << run.out;
}

TEST(Session, UpgradeFailureValue) {
    FakeDaemon daemon({{"STARTFWUPD", {{"00 05 82 6D 06"}, {"00 0F 82 6E 'FWUPDSTATE' 69"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"upgrade"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.out, "STARTFWUPD: ACK")) << run.out;
    EXPECT_TRUE(contains(run.err,
                         "linkctl: upgrade failed: MCU firmware not older than the "
                         "image, nothing done\n"))
        << run.err;
}

TEST(Session, UpgradeCancelledAtAProgress) {
    FakeDaemon daemon({{"STARTFWUPD",
                        {{"00 05 82 6D 15"},
                         {"00 0F 82 6E 'FWUPDSTATE' 00", true},
                         {"00 0F 82 6E 'FWUPDSTATE' 2A", true},
                         {"00 0F 82 6E 'FWUPDSTATE' 68"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"upgrade", "--cancel-at", "40"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.out, "asked the daemon to stop at 42%\n")) << run.out;
    EXPECT_TRUE(contains(run.err, "upgrade failed: transfer failed")) << run.err;
    const auto replies = daemon.replies();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].first, "00 0F 82 6E 'FWUPDSTATE' 2A");
    EXPECT_EQ(H(replies[0].second), "00 05 82 6E 15");
}

TEST(Session, RawPrintsWhatComesBack) {
    FakeDaemon daemon(
        {{"GET_VERSION", {{"00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 00 00"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl({"--port", std::to_string(daemon.controlPort()), "--timeout",
                                    "500", "raw", "474554", "5F56455253494F4E"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "answer 00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 "
                         "00 00\nGET_VERSION answer: daemon 23.35, MCU 1.7\n"))
        << run.out;
    ASSERT_EQ(daemon.poolMessages().size(), 1u);
    EXPECT_EQ(H(daemon.poolMessages()[0]), H(B("'GET_VERSION'")));
}

TEST(Session, FailuresSayWhy) {
    {
        // Nobody listens: a port bound here but never listened on refuses connections.
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        const std::string port = std::to_string(ntohs(address.sin_port));
        const ToolRun run = runLinkctl({"--port", port, "--timeout", "1000", "version"});
        ::close(fd);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.err, "linkctl: cannot connect to 127.0.0.1:" + port + ": "))
            << run.err;
    }
    {
        FakeDaemon daemon({}, 0xFF, "00 08 82 66 46 01 FF");
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(withPort(daemon, {"ask"}));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err,
                  "linkctl: answer to \"ASKFORCONTROL\": wrong response code 0x66 (the answer to "
                  "\"REGIST_RC\"), expected 0x65\n");
    }
    {
        FakeDaemon daemon({{"CALIZEK", {{"00 09 82 69 06 03 F4"}}}});
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(withPort(daemon, {"calibration"}));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "linkctl: answer to \"CALIZEK\" too short: 7 bytes, 9 expected\n");
    }
}

TEST(Session, UsageAndHelp) {
    const ToolRun help = runLinkctl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "usage: linkctl")) << help.out;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } rows[] = {
        {{}, "linkctl: no command given\n"},
        {{"frobnicate"}, "linkctl: unknown command 'frobnicate'\n"},
        {{"book"}, "linkctl: book: no resources given"},
        {{"leds", "1122"}, "linkctl: an LED map is 20 bytes: 40 hex digits\n"},
        {{"tbar", "middle"}, "linkctl: tbar takes max or min\n"},
        {{"upgrade", "--cancel-at", "100"}, "linkctl: not a progress percentage (0-99): '100'\n"},
        {{"--host", "localhost", "ask"}, "linkctl: not a dotted IPv4 address: 'localhost'\n"},
        {{"ask", "+"}, "linkctl: a command must follow '+'\n"},
    };
    for (const auto& row : rows) {
        const ToolRun run = runLinkctl(row.args);
        EXPECT_EQ(run.status, 2) << row.message;
        EXPECT_EQ(run.err.rfind(row.message, 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

}  // namespace
