// Every parser takes any bytes: empty, short or huge (random input of every length is the fuzz
// targets' part). Each input must be rejected for the reason the frame rules give, or accepted
// only when it is a whole frame, with the fields read from the right bytes. (Under
// AddressSanitizer a read past the input also fails the run.)
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "commonFunctions.h"
#include "mcuCommunicate.h"
#include "stateEncoding.h"
#include "testBytes.h"

namespace {

using mcu::AnswerError;

// A value no parser reports, to see that the parser said why.
const auto kNotSaid = static_cast<AnswerError>(99);

std::string randomBytes(std::mt19937& random, std::size_t size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(size, '\0');
    for (char& c : out) {
        c = static_cast<char>(byte(random));
    }
    return out;
}

unsigned byteAt(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// The frame rules: 55 AA, the type, the length byte L, then L - 1 payload bytes (a frame is L + 3
// bytes); bytes after the frame do not matter.
AnswerError reasonToReject(const std::string& in, unsigned type, unsigned length) {
    if (in.size() < 2 || byteAt(in, 0) != 0x55 || byteAt(in, 1) != 0xAA) {
        return AnswerError::noSync;
    }
    if (in.size() < 4) {
        return AnswerError::missingHeader;
    }
    if (byteAt(in, 2) != type) {
        return AnswerError::wrongType;
    }
    if (byteAt(in, 3) != length) {
        return AnswerError::wrongLength;
    }
    if (in.size() < length + 3) {
        return AnswerError::truncated;
    }
    return AnswerError::none;
}

// How many inputs each parser accepted, so a run shows that acceptance was tried at all.
struct acceptedCounts {
    int version = 0;
    int status = 0;
    int tbar = 0;
    int initialise = 0;
};

#define EXPECT_REASON(why, expected, input)                                \
    EXPECT_EQ(why, expected) << mcu::answerErrorText(why) << ", expected " \
                             << mcu::answerErrorText(expected) << ", for " << hexOf(input)

// Runs every parser of the link code on one input and checks each verdict.
void parseEverything(const std::string& input, acceptedCounts& accepted) {
    const mcuCommunicate protocol;

    // Version answer: 55 AA 80 05, major and minor as 16-bit numbers.
    {
        bool isSync = false;
        int major = -7;
        AnswerError why = kNotSaid;
        const int minor = protocol.versionNumber(input, isSync, major, &why);
        const AnswerError expected = reasonToReject(input, 0x80, 0x05);
        EXPECT_REASON(why, expected, input);
        EXPECT_EQ(isSync, expected != AnswerError::noSync) << hexOf(input);
        if (expected == AnswerError::none) {
            ++accepted.version;
            EXPECT_EQ(major, static_cast<int>(byteAt(input, 4) * 256 + byteAt(input, 5)));
            EXPECT_EQ(minor, static_cast<int>(byteAt(input, 6) * 256 + byteAt(input, 7)));
        } else {
            EXPECT_EQ(minor, -1);
            EXPECT_EQ(major, -7) << "major left alone";
        }
    }

    // Status answer: 55 AA 81 15, the controls, then the key table to the end.
    hardwareState state;
    {
        bool isSync = false;
        AnswerError why = kNotSaid;
        state = protocol.getHardwareStatus(input, isSync, &why);
        const AnswerError expected = reasonToReject(input, 0x81, 0x15);
        EXPECT_REASON(why, expected, input);
        EXPECT_EQ(isSync, expected != AnswerError::noSync) << hexOf(input);
        if (expected == AnswerError::none) {
            ++accepted.status;
            EXPECT_EQ(state.joyStickX,
                      static_cast<int>((byteAt(input, 5) & 0x0F) * 256 + byteAt(input, 6)));
            EXPECT_EQ(state.tBarValue,
                      static_cast<int>(byteAt(input, 13) * 256 + byteAt(input, 14)));
            EXPECT_EQ(state.sliderValue4, static_cast<int>(byteAt(input, 18)));
            EXPECT_EQ(state.keyPressTable, input.substr(19));
        } else {
            EXPECT_EQ(state, hardwareState{}) << hexOf(input);
        }
    }

    // T-bar calibration answer: 55 AA 82 05, maximum and minimum as 16-bit numbers.
    {
        bool isSync = false;
        AnswerError why = kNotSaid;
        const calibrateTbarPar par = protocol.getTbarCalibratePar(input, isSync, &why);
        const AnswerError expected = reasonToReject(input, 0x82, 0x05);
        EXPECT_REASON(why, expected, input);
        EXPECT_EQ(isSync, expected != AnswerError::noSync) << hexOf(input);
        if (expected == AnswerError::none) {
            ++accepted.tbar;
            EXPECT_EQ(par.maxValue, static_cast<int>(byteAt(input, 4) * 256 + byteAt(input, 5)));
            EXPECT_EQ(par.minValue, static_cast<int>(byteAt(input, 6) * 256 + byteAt(input, 7)));
        } else {
            EXPECT_EQ(par.maxValue, -1);
            EXPECT_EQ(par.minValue, -1);
        }
    }

    // The two acknowledgements: the T-bar setting only exactly 55 AA 86 02 06; the initialisation
    // 55 AA 87 02 06 with anything after it.
    EXPECT_EQ(protocol.isSettingTbarOk(input), input == std::string("\x55\xAA\x86\x02\x06", 5))
        << hexOf(input);
    const bool initialised =
        reasonToReject(input, 0x87, 0x02) == AnswerError::none && byteAt(input, 4) == 0x06;
    accepted.initialise += initialised ? 1 : 0;
    EXPECT_EQ(protocol.isInitZekOk(input), initialised) << hexOf(input);

    // Key k is bit 7 - k % 8 of byte k / 8; a byte the table does not hold is "not pressed".
    for (const std::string& table : {state.keyPressTable, input}) {
        for (int key = -1; key <= kKeyCount; ++key) {
            const bool held = key >= 0 && static_cast<std::size_t>(key / 8) < table.size() &&
                              ((byteAt(table, key / 8) >> (7 - key % 8)) & 1) != 0;
            EXPECT_EQ(isKeyPressed(table, key), held) << key << " in " << hexOf(table);
        }
    }
    // The daemon's key list: one entry per non-zero nibble.
    std::size_t nibbles = 0;
    for (const char c : input) {
        const auto b = static_cast<unsigned char>(c);
        nibbles += ((b & 0x0F) != 0 ? 1 : 0) + ((b >> 4) != 0 ? 1 : 0);
    }
    EXPECT_EQ(parserKeyPressedStr(input).size(), nibbles) << hexOf(input);

    EXPECT_EQ(hex_to_string(hexOf(input), LinkProgram::panel), input);
    EXPECT_LE(hex_to_string(input, LinkProgram::panel).size(), input.size() / 2);
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

TEST_F(ParserRobustness, ShortAndEmptyInputsAreRejectedForTheirReason) {
    const struct {
        const char* hex;
        AnswerError version;
        AnswerError status;
    } cases[] = {
        {"", AnswerError::noSync, AnswerError::noSync},
        {"55", AnswerError::noSync, AnswerError::noSync},
        {"aa 55 80 05 00 01 00 07", AnswerError::noSync, AnswerError::noSync},
        {"55 aa", AnswerError::missingHeader, AnswerError::missingHeader},
        {"55 aa 80", AnswerError::missingHeader, AnswerError::missingHeader},
        {"55 aa 80 05", AnswerError::truncated, AnswerError::wrongType},
        {"55 aa 80 05 00 01 00", AnswerError::truncated, AnswerError::wrongType},
        {"55 aa 80 05 00 01 00 07", AnswerError::none, AnswerError::wrongType},
        {"55 aa 80 04 00 01 00 07", AnswerError::wrongLength, AnswerError::wrongType},
        {"55 aa 81 15", AnswerError::wrongType, AnswerError::truncated},
        {"55 aa 81 14 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
         AnswerError::wrongType, AnswerError::wrongLength},
    };
    acceptedCounts accepted;
    for (const auto& c : cases) {
        const std::string input = bytes(c.hex);
        bool isSync = false;
        int major = 0;
        AnswerError why = kNotSaid;
        mcuCommunicate().versionNumber(input, isSync, major, &why);
        EXPECT_REASON(why, c.version, input);
        why = kNotSaid;
        mcuCommunicate().getHardwareStatus(input, isSync, &why);
        EXPECT_REASON(why, c.status, input);
        parseEverything(input, accepted);
    }
}

TEST_F(ParserRobustness, OneMebibyteInputs) {
    std::mt19937 random(1012);
    acceptedCounts accepted;
    const std::string noise = randomBytes(random, 1 << 20);
    parseEverything(noise, accepted);
    const std::string status = std::string("\x55\xAA\x81\x15", 4) + noise;
    parseEverything(status, accepted);
    EXPECT_EQ(accepted.status, 1);
    bool isSync = false;
    const hardwareState state = mcuCommunicate().getHardwareStatus(status, isSync);
    EXPECT_EQ(state.keyPressTable.size(), status.size() - 19);
    // The daemon's table message carries whatever key table the record holds.
    EXPECT_EQ(genHardwareStateTableToStr(state).size(), 19 + state.keyPressTable.size());
}

}  // namespace
