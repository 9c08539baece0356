// The virtual front panel's parts that need no window: decoding the virtual MCU's answers, the
// function-key lamp registers from the command log, the encoder pipe, and the control client
// against the virtual MCU itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "controlAnswers.h"
#include "controlClient.h"
#include "functionLamps.h"
#include "keyTable.h"
#include "rotaryFifo.h"
#include "simProcess.h"
#include "tempRoot.h"

namespace {

using namespace frontpanel;

const std::string kPanelColours =
    "0000"
    "000000000000FFFFFFFFFFFFFFFF000000000000FFFF000000000000FFFF0F0FB5B51717DFDF69692222"
    "26266666B9B9FFFF73730000FFFF7D7D3E3EFCFC0B0BAFAF0000D6D668680606BFBFF9F900000000FFFF"
    "7FFF0000FFFF10108E8ECECE";

LampRegisters registers(int r2, int r3, int r4) {
    return LampRegisters{r2, r3, r4};
}

std::string colourName(const LampColour& lamp) {
    if (!lamp.known) {
        return "?";
    }
    return std::string(lamp.red ? "R" : "") + (lamp.green ? "G" : "") + (lamp.blue ? "B" : "");
}

TEST(FrontPanelKeys, EveryKeyOnceWithItsLabel) {
    std::set<int> seen;
    for (const KeyGroup& group : keyGroups()) {
        for (int k : group.keys) {
            EXPECT_TRUE(seen.insert(k).second) << k;
        }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kKeyCount));
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 35);
    EXPECT_EQ(keyLabel(0), "FAST");
    EXPECT_EQ(keyLabel(11), "AUTO FOCUS");
    EXPECT_EQ(keyLabel(20), "PST 7");
    EXPECT_EQ(keyLabel(21), "1");
    EXPECT_EQ(keyLabel(32), "12");
    EXPECT_EQ(keyLabel(35), "M/W");
    EXPECT_EQ(keyLabel(36), "");
    EXPECT_EQ(keyLabel(-1), "");
}

TEST(FrontPanelAnswers, LedIndices) {
    LedIndices leds{};
    std::string error;
    ASSERT_TRUE(parseLedIndices("111111111111112aaaaaaa99999999999911110f", leds, error));
    EXPECT_EQ(leds[0], 1);
    EXPECT_EQ(leds[14], 2);
    EXPECT_EQ(leds[15], 10);
    EXPECT_EQ(leds[22], 9);
    EXPECT_EQ(leds[39], 15);
    const LedIndices before = leds;
    EXPECT_FALSE(parseLedIndices("1111", leds, error));
    EXPECT_NE(error.find("40 hex digits"), std::string::npos);
    EXPECT_FALSE(parseLedIndices(std::string(39, '1') + "g", leds, error));
    EXPECT_FALSE(parseLedIndices("error unknown command: get leds", leds, error));
    EXPECT_FALSE(parseLedIndices("", leds, error));
    EXPECT_EQ(leds, before);
}

TEST(FrontPanelAnswers, ColourTable) {
    ColourTable table;
    std::string error;
    ASSERT_TRUE(parseColourTable("none", table, error));
    EXPECT_FALSE(table.present);
    EXPECT_TRUE(table.entries.empty());

    ASSERT_TRUE(parseColourTable(kPanelColours, table, error));
    EXPECT_TRUE(table.present);
    EXPECT_TRUE(table.warning.empty());
    ASSERT_EQ(table.entries.size(), 16u);
    EXPECT_EQ(table.entries[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(table.entries[2], (Rgb{0xff, 0, 0}));
    EXPECT_EQ(table.entries[9], (Rgb{0xff, 0x7d, 0x3e}));
    // Channels are taken from the first byte of each pair.
    EXPECT_EQ(table.entries[14], (Rgb{0x7f, 0, 0xff}));
    EXPECT_EQ(table.entries[15], (Rgb{0x10, 0x8e, 0xce}));

    // A short table: the complete entries are used, and the shortfall is reported.
    ASSERT_TRUE(parseColourTable(kPanelColours.substr(0, 4 + 12 * 3 + 6), table, error));
    EXPECT_EQ(table.entries.size(), 3u);
    EXPECT_FALSE(table.warning.empty());
    // A longer one: no more than 16 entries.
    ASSERT_TRUE(parseColourTable(kPanelColours + "FFFFFFFFFFFF", table, error));
    EXPECT_EQ(table.entries.size(), 16u);
    EXPECT_FALSE(table.warning.empty());

    EXPECT_FALSE(parseColourTable("00", table, error));
    EXPECT_FALSE(parseColourTable(kPanelColours.substr(1), table, error));
    EXPECT_FALSE(parseColourTable("error unknown command", table, error));
    EXPECT_FALSE(parseColourTable("", table, error));
}

TEST(FrontPanelLamps, CommandLines) {
    auto write = parseLampCommand("i2cset -f -y 1 0x03 0x02 0x55");
    ASSERT_TRUE(write);
    EXPECT_EQ(write->reg, 2);
    EXPECT_EQ(write->value, 0x55);
    write = parseLampCommand("  i2cset -y -f 1 3 4 0x05 b\r");
    ASSERT_TRUE(write);
    EXPECT_EQ(write->reg, 4);
    EXPECT_EQ(write->value, 5);
    for (const char* other :
         {"", "i2cset", "i2cset -f -y 1 0x03 0x02", "i2cset -f -y 0 0x03 0x02 0x55",
          "i2cset -f -y 1 0x04 0x02 0x55", "i2cset -f -y 1 0x03 0x05 0x55",
          "i2cset -f -y 1 0x03 0x01 0x55", "i2cset -f -y 1 0x03 0x02 0x155",
          "i2cset -f -y 1 0x03 0x02 0x5z", "i2cset -f -y 1 0x03 0x02 0x55 w",
          "echo 0 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle", "reboot",
          "sudo i2cset -f -y 1 0x03 0x02 0x55"}) {
        EXPECT_FALSE(parseLampCommand(other)) << other;
    }
}

TEST(FrontPanelLamps, FunctionSelectionLamps) {
    // The registers written when shutter, focus, iris and gain are chosen: that key red, the
    // others white.
    const int rows[4][3] = {
        {0x41, 0x55, 0x55}, {0x55, 0x50, 0x55}, {0x55, 0x15, 0x54}, {0x55, 0x55, 0x05}};
    for (int chosen = 0; chosen < 4; ++chosen) {
        const LampRegisters regs = registers(rows[chosen][0], rows[chosen][1], rows[chosen][2]);
        for (int key = 0; key < 4; ++key) {
            EXPECT_EQ(colourName(lampColour(regs, key)), key == chosen ? "R" : "RGB")
                << "chosen " << chosen << " key " << key;
        }
    }
    EXPECT_EQ(colourName(lampColour(registers(0, 0, 0), 2)), "");
}

TEST(FrontPanelLamps, SingleKeyColours) {
    // One key recoloured, every other field of its registers on: index 15 (focus) spans
    // registers 0x02 and 0x03, index 16 (iris) 0x03 and 0x04.
    struct Case {
        int key;
        int r2, r3, r4;
        const char* colour;
    };
    const Case cases[] = {
        {0, 0x40, 0x55, 0x55, ""},    {0, 0x41, 0x55, 0x55, "R"},  {0, 0x44, 0x55, 0x55, "G"},
        {0, 0x50, 0x55, 0x55, "B"},   {0, 0x45, 0x55, 0x55, "RG"}, {0, 0x51, 0x55, 0x55, "RB"},
        {0, 0x54, 0x55, 0x55, "GB"},  {1, 0x15, 0x50, 0x55, ""},   {1, 0x55, 0x50, 0x55, "R"},
        {1, 0x15, 0x51, 0x55, "G"},   {1, 0x15, 0x54, 0x55, "B"},  {1, 0x55, 0x51, 0x55, "RG"},
        {1, 0x55, 0x54, 0x55, "RB"},  {1, 0x15, 0x55, 0x55, "GB"}, {2, 0x55, 0x05, 0x54, ""},
        {2, 0x55, 0x15, 0x54, "R"},   {2, 0x55, 0x45, 0x54, "G"},  {2, 0x55, 0x05, 0x55, "B"},
        {2, 0x55, 0x55, 0x54, "RG"},  {2, 0x55, 0x15, 0x55, "RB"}, {2, 0x55, 0x45, 0x55, "GB"},
        {2, 0x55, 0x55, 0x55, "RGB"},
    };
    for (const Case& c : cases) {
        const LampRegisters regs = registers(c.r2, c.r3, c.r4);
        EXPECT_EQ(colourName(lampColour(regs, c.key)), c.colour)
            << "key " << c.key << " registers " << c.r2 << " " << c.r3 << " " << c.r4;
        for (int other = 0; other < 4; ++other) {
            if (other != c.key) {
                EXPECT_EQ(colourName(lampColour(regs, other)), "RGB") << other;
            }
        }
    }
}

TEST(FrontPanelLamps, UnknownUntilItsRegistersAreWritten) {
    const LampRegisters regs = registers(0x55, -1, -1);
    EXPECT_EQ(colourName(lampColour(regs, 0)), "RGB");
    EXPECT_FALSE(lampColour(regs, 1).known);  // needs 0x03 as well
    EXPECT_FALSE(lampColour(regs, 3).known);
    EXPECT_FALSE(lampColour(registers(0x55, 0x55, 0x55), 4).known);
    EXPECT_FALSE(lampColour(registers(0x55, 0x55, 0x55), -1).known);
}

std::vector<input_event> readEvents(int fd) {
    std::vector<input_event> events;
    input_event event{};
    while (::read(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
        events.push_back(event);
    }
    return events;
}

TEST(FrontPanelEncoder, WritesDetentsIntoThePipe) {
    TempRoot root(false);
    RotaryFifo rotary(root.path());
    std::string error;
    ASSERT_TRUE(rotary.open(error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat(rotary.path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(root.readFile("dev/input/event0.name"), "rotary@10");

    // The reader opens read-only, as the application does; the pipe already has a writer.
    const int reader = ::open(rotary.path().c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(rotary.turn(+1, error)) << error;
    ASSERT_TRUE(rotary.turn(-1, error)) << error;
    const std::vector<input_event> events = readEvents(reader);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(sizeof(input_event), 24u);
    const int expected[4][3] = {
        {EV_REL, REL_X, 1}, {EV_SYN, SYN_REPORT, 0}, {EV_REL, REL_X, -1}, {EV_SYN, SYN_REPORT, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(events[i].type, expected[i][0]) << i;
        EXPECT_EQ(events[i].code, expected[i][1]) << i;
        EXPECT_EQ(events[i].value, expected[i][2]) << i;
        EXPECT_GT(events[i].input_event_sec, 0) << i;
    }
    ::close(reader);
}

TEST(FrontPanelControl, DrivesTheVirtualMcu) {
    TempRoot root(false);
    SimProcess mcu;
    const std::string socket = root / "run/mcu.sock";
    ASSERT_TRUE(
        mcu.start(ZEK_VIRTUAL_MCU_PATH, {"--link", root / "dev/ttyAMA0", "--control", socket}));
    ControlClient client(socket);
    std::string answer;
    std::string error;
    ASSERT_TRUE(client.call("press 24", answer, error)) << error;
    EXPECT_EQ(answer, "ok");
    ASSERT_TRUE(client.call("get state", answer, error)) << error;
    EXPECT_EQ(answer.substr(36, 2), "80") << answer;
    ASSERT_TRUE(client.call("release 24", answer, error)) << error;
    ASSERT_TRUE(client.call("joy x 2603 1", answer, error)) << error;
    ASSERT_TRUE(client.call("get state", answer, error)) << error;
    EXPECT_EQ(answer.substr(2, 4), "1a2b") << answer;
    ASSERT_TRUE(client.call("get leds", answer, error)) << error;
    LedIndices leds{};
    EXPECT_TRUE(parseLedIndices(answer, leds, error)) << error;
    ASSERT_TRUE(client.call("get colours", answer, error)) << error;
    ColourTable table;
    EXPECT_TRUE(parseColourTable(answer, table, error)) << error;
    EXPECT_FALSE(table.present);
    ASSERT_TRUE(client.call("joy x 9999 1", answer, error)) << error;
    EXPECT_EQ(answer.rfind("error", 0), 0u) << answer;
    EXPECT_FALSE(client.call("press 1\nrelease 1", answer, error));

    mcu.stop();
    EXPECT_FALSE(client.call("ping", answer, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(client.connected());
}

}  // namespace
