// Lamps of the four rotary-function keys (shutter, focus, iris, gain) and the display backlight,
// both driven through shell commands.
//
// The lamps are RGB LEDs on an I2C LED driver (bus 1, address 0x03). Registers 0x02, 0x03 and 0x04
// hold twelve 2-bit fields, least significant first: field f is bits 2(f % 4) and 2(f % 4) + 1 of
// register 0x02 + f / 4. Key j has red, green, blue in fields 3j, 3j + 1, 3j + 2; 01 is on.
#pragma once

#include <functional>
#include <mutex>
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

// The backlight as this program last set it. A wake-up asks for the normal level on every key-loop
// pass while the panel is used; the shell command runs only when the level really changes, so the
// panel writes the duty cycle after the saver darkened it and not in between. Until the program
// first writes it, the backlight is at the level the system set, and a wake-up leaves it there.
class backlightLevel {
public:
    using runner = std::function<void(const std::string&)>;
    explicit backlightLevel(runner run) : run_(std::move(run)) {}

    // Sets `dutyCycle`; true when the command ran.
    bool set(int dutyCycle);
    // Back to the normal level, if the program has set another one.
    bool wake();

private:
    bool setLocked(int dutyCycle);

    runner run_;
    std::mutex mutex_;
    int written_ = -1;  // none yet
};
