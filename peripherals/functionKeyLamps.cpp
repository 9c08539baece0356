#include "functionKeyLamps.h"

#include <array>
#include <cstdio>

namespace {

// Which of red, green, blue a colour code lights, or false for an unknown code.
bool channelsOf(int colour, std::array<bool, 3>& rgb) {
    switch (colour) {
        case 0:
            rgb = {false, false, false};
            return true;
        case 1:
            rgb = {true, false, false};
            return true;
        case 2:
            rgb = {false, true, false};
            return true;
        case 3:
            rgb = {false, false, true};
            return true;
        case 12:
            rgb = {true, true, false};
            return true;
        case 13:
            rgb = {true, false, true};
            return true;
        case 23:
            rgb = {false, true, true};
            return true;
        case 123:
            rgb = {true, true, true};
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string i2csetCommand(int reg, int value) {
    char text[64];
    std::snprintf(text, sizeof text, "i2cset -f -y 1 0x03 0x%02x 0x%02x", reg & 0xFF, value & 0xFF);
    return text;
}

std::vector<std::pair<int, int>> functionKeyLampRegisters(int index, int colour) {
    std::array<bool, 3> rgb{};
    if (!channelsOf(colour, rgb)) {
        return {};
    }
    std::array<bool, 12> fields{};
    std::vector<int> keys;
    if (index == 99) {
        keys = {0, 1, 2, 3};
    } else if (index >= 14 && index <= 17) {
        keys = {index - 14};
        fields.fill(true);
    } else {
        return {};
    }
    for (const int key : keys) {
        for (int c = 0; c < 3; ++c) {
            fields[3 * key + c] = rgb[c];
        }
    }
    // The registers that hold the keys' fields, lowest first.
    std::vector<std::pair<int, int>> out;
    for (int reg = 0; reg < 3; ++reg) {
        bool touched = false;
        for (const int key : keys) {
            for (int f = 3 * key; f < 3 * key + 3; ++f) {
                touched = touched || f / 4 == reg;
            }
        }
        if (!touched) {
            continue;
        }
        int value = 0;
        for (int slot = 0; slot < 4; ++slot) {
            if (fields[reg * 4 + slot]) {
                value |= 1 << (2 * slot);
            }
        }
        out.emplace_back(0x02 + reg, value);
    }
    return out;
}

std::string backlightCommand(int dutyCycle) {
    return "echo " + std::to_string(dutyCycle) + " > /sys/class/pwm/pwmchip0/pwm0/duty_cycle";
}

bool backlightLevel::set(int dutyCycle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return setLocked(dutyCycle);
}

bool backlightLevel::wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_ >= 0 && setLocked(kBacklightNormal);
}

bool backlightLevel::setLocked(int dutyCycle) {
    if (written_ == dutyCycle) {
        return false;
    }
    written_ = dutyCycle;
    run_(backlightCommand(dutyCycle));
    return true;
}
