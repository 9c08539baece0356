#include "defs.h"

bool hardwareState::operator==(const hardwareState& o) const {
    return lockButtonPressed == o.lockButtonPressed && joyStickX == o.joyStickX &&
           joyStickY == o.joyStickY && joyStickZ == o.joyStickZ && sliderValue1 == o.sliderValue1 &&
           sliderValue2 == o.sliderValue2 && sliderValue3 == o.sliderValue3 &&
           sliderValue4 == o.sliderValue4 && shuttleDir == o.shuttleDir &&
           shuttleValue == o.shuttleValue && jogDir == o.jogDir && jogValue == o.jogValue &&
           tBarValue == o.tBarValue && joyStickXDir == o.joyStickXDir &&
           joyStickYDir == o.joyStickYDir && joyStickZDir == o.joyStickZDir &&
           keyPressTable == o.keyPressTable;
}

bool isKeyPressed(const std::string& keyPressTable, int key) {
    if (key < 0) {
        return false;
    }
    const std::size_t byteIndex = static_cast<std::size_t>(key) / 8;
    if (byteIndex >= keyPressTable.size()) {
        return false;
    }
    const auto byte = static_cast<unsigned char>(keyPressTable[byteIndex]);
    return (byte >> (7 - key % 8)) & 0x01;
}
