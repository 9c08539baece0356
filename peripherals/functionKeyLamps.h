// Lamps of the four rotary-function keys (shutter, focus, iris, gain) and the display backlight,
// both driven through shell commands.
//
// The lamps are RGB LEDs on an I2C LED driver (bus 1, address 0x03). Registers 0x02, 0x03 and 0x04
// hold twelve 2-bit fields, least significant first: field f is bits 2(f % 4) and 2(f % 4) + 1 of
// register 0x02 + f / 4. Key j has red, green, blue in fields 3j, 3j + 1, 3j + 2; 01 is on.
#pragma once

#include <string>
#include <utility>
#include <vector>

// "i2cset -f -y 1 0x03 0xRR 0xVV"
std::string i2csetCommand(int reg, int value);

// Registers and values for change4KeyColor: index 14..17 = the shutter, focus, iris, gain key,
// 99 = all four; colour 0 off, 1 red, 2 green, 3 blue, 12 red + green, 13 red + blue,
// 23 green + blue, 123 white. For one key, its registers are rewritten with its fields as asked
// and every other field on; for all four, every other field off. Empty for anything else.
std::vector<std::pair<int, int>> functionKeyLampRegisters(int index, int colour);

// "echo VALUE > /sys/class/pwm/pwmchip0/pwm0/duty_cycle"
std::string backlightCommand(int dutyCycle);
constexpr int kBacklightNormal = 5000000;
constexpr int kBacklightMax = 10000000;
constexpr int kBacklightStep = 500000;
