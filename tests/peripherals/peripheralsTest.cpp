#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "functionKeyLamps.h"
#include "gpio.h"
#include "tempRoot.h"

namespace {

std::string joined(const std::vector<std::pair<int, int>>& registers) {
    std::string out;
    for (const auto& [reg, value] : registers) {
        char item[16];
        std::snprintf(item, sizeof item, "%s%02x=%02x", out.empty() ? "" : " ", reg, value);
        out += item;
    }
    return out;
}

TEST(FunctionKeyLamps, EveryCellOfTheColourTable) {
    const int colours[] = {0, 1, 2, 3, 12, 13, 23, 123};
    const char* expected[5][8] = {
        // 14: shutter (register 0x02)
        {"02=40", "02=41", "02=44", "02=50", "02=45", "02=51", "02=54", "02=55"},
        // 15: focus (0x02, 0x03)
        {"02=15 03=50", "02=55 03=50", "02=15 03=51", "02=15 03=54", "02=55 03=51", "02=55 03=54",
         "02=15 03=55", "02=55 03=55"},
        // 16: iris (0x03, 0x04)
        {"03=05 04=54", "03=15 04=54", "03=45 04=54", "03=05 04=55", "03=55 04=54", "03=15 04=55",
         "03=45 04=55", "03=55 04=55"},
        // 17: gain (0x04)
        {"04=01", "04=05", "04=11", "04=41", "04=15", "04=45", "04=51", "04=55"},
        // 99: all four
        {"02=00 03=00 04=00", "02=41 03=10 04=04", "02=04 03=41 04=10", "02=10 03=04 04=41",
         "02=45 03=51 04=14", "02=51 03=14 04=45", "02=14 03=45 04=51", "02=55 03=55 04=55"},
    };
    const int indexes[] = {14, 15, 16, 17, 99};
    for (int i = 0; i < 5; ++i) {
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(joined(functionKeyLampRegisters(indexes[i], colours[c])), expected[i][c])
                << "index " << indexes[i] << " colour " << colours[c];
        }
    }
    EXPECT_TRUE(functionKeyLampRegisters(18, 1).empty());
    EXPECT_TRUE(functionKeyLampRegisters(14, 4).empty());
    EXPECT_EQ(i2csetCommand(0x03, 0x51), "i2cset -f -y 1 0x03 0x03 0x51");
    EXPECT_EQ(backlightCommand(0), "echo 0 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle");
}

// Wake-ups come once per key-loop pass while the panel is used; the shell runs only on a change.
TEST(Backlight, WrittenOnlyWhenTheLevelChanges) {
    std::vector<std::string> ran;
    backlightLevel backlight([&ran](const std::string& command) { ran.push_back(command); });
    // The level the system set stays until the panel sets another.
    EXPECT_FALSE(backlight.wake());
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(backlight.set(0));
    for (int pass = 0; pass < 800; ++pass) {
        backlight.wake();
    }
    EXPECT_FALSE(backlight.set(5000000));
    EXPECT_TRUE(backlight.set(4500000));  // the encoder in test mode
    EXPECT_FALSE(backlight.set(4500000));
    EXPECT_TRUE(backlight.wake());
    EXPECT_EQ(ran,
              (std::vector<std::string>{"echo 0 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle",
                                        "echo 5000000 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle",
                                        "echo 4500000 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle",
                                        "echo 5000000 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle"}));
}

class GpioTest : public ::testing::Test {
protected:
    std::uint32_t hwbaseFrom(const std::string& ranges, std::string& printed) {
        root_.writeFile("proc/device-tree/soc/ranges", ranges);
        ::testing::internal::CaptureStdout();
        const std::uint32_t base = get_hwbase();
        printed = ::testing::internal::GetCapturedStdout();
        return base;
    }
    TempRoot root_;
};

TEST_F(GpioTest, BaseFromTheDeviceTree) {
    std::string printed;
    EXPECT_EQ(hwbaseFrom(std::string("\x7E\0\0\0\x3F\0\0\0\x01\0\0\0", 12), printed), 0x3F000000u);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(hwbaseFrom(std::string("\x7E\0\0\0\0\0\0\0\xFE\0\0\0", 12), printed), 0xFE000000u);
    EXPECT_EQ(hwbaseFrom(std::string("\x7C\0\0\0\x3F\0\0\0\x01\0\0\0", 12), printed), 0u);
    EXPECT_EQ(printed, "Unexpected ranges data (7c000000 3f000000 01000000)\n");
    EXPECT_EQ(hwbaseFrom(std::string("\x7E\0\0\0\x12\0\0\0", 8), printed), 0u);
    EXPECT_EQ(hwbaseFrom(std::string("\x7E\0\0", 3), printed), 0u);
    EXPECT_EQ(printed, "Ranges data too short\n");
    ::remove((root_ / "proc/device-tree/soc/ranges").c_str());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(get_hwbase(), 0u);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Can't open '" + root_.path() + "/proc/device-tree/soc/ranges'\n");
}

TEST_F(GpioTest, LevelsFromTheMappedBlock) {
    std::string block(4096, '\0');
    const std::uint32_t low = 0x80000005;   // pins 0, 2, 31
    const std::uint32_t high = 0x00000100;  // pin 40
    std::memcpy(&block[GPLEV0 * 4], &low, 4);
    std::memcpy(&block[GPLEV1 * 4], &high, 4);
    root_.writeFile("dev/gpiomem", block);
    EXPECT_EQ(get_gpio_level(0), -1) << "nothing mapped yet";
    ASSERT_TRUE(mapGpioBlock());
    EXPECT_EQ(get_gpio_level(0), 1);
    EXPECT_EQ(get_gpio_level(1), 0);
    EXPECT_EQ(get_gpio_level(2), 1);
    EXPECT_EQ(get_gpio_level(31), 1);
    EXPECT_EQ(get_gpio_level(40), 1);
    EXPECT_EQ(get_gpio_level(41), 0);
    EXPECT_EQ(get_gpio_level(54), -1);
    EXPECT_EQ(get_gpio_level(-1), -1);
    unmapGpioBlock();
}

}  // namespace
