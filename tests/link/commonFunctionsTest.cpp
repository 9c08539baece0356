#include "commonFunctions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class LogCapture {
public:
    LogCapture() {
        setLinkLogSink([this](const char*, const std::string& line) { lines.push_back(line); });
    }
    ~LogCapture() { setLinkLogSink({}); }
    std::vector<std::string> lines;
};

TEST(HexText, EachProgramHasItsOwnForm) {
    const std::string frame("\x55\xAA\x80\x04\x00", 5);
    EXPECT_EQ(string_to_hex(frame, LinkProgram::panel), "55:aa:80:04:00");
    EXPECT_EQ(string_to_hex(frame, LinkProgram::daemon), "0X550Xaa0X800X040X00");
    EXPECT_EQ(string_to_hex("", LinkProgram::panel), "");
    EXPECT_EQ(string_to_hex("", LinkProgram::daemon), "");
}

TEST(HexText, RoundTripsAllByteValues) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    std::string hex;
    for (char c : string_to_hex(all, LinkProgram::panel)) {
        if (c != ':') {
            hex += c;
        }
    }
    EXPECT_EQ(hex_to_string(hex, LinkProgram::panel), all);
    EXPECT_EQ(hex_to_string("55AAff", LinkProgram::daemon), std::string("\x55\xAA\xFF"));
}

TEST(HexText, OddLengthIsLoggedByThePanelAndThrownByTheDaemon) {
    LogCapture log;
    EXPECT_EQ(hex_to_string("55a", LinkProgram::panel), "\x55");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "String is not valid length ...\n");
    try {
        hex_to_string("55a", LinkProgram::daemon);
        FAIL() << "expected an exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "String is not valid length ...");
    }
}

TEST(HexText, NonHexPairsAreNotTurnedIntoBytes) {
    LogCapture log;
    EXPECT_EQ(hex_to_string("55zz80", LinkProgram::panel), std::string("\x55\x80"));
    EXPECT_EQ(log.lines, std::vector<std::string>{"String is not valid hex ...\n"});
    EXPECT_THROW(hex_to_string("zz", LinkProgram::daemon), std::runtime_error);
}

}  // namespace
