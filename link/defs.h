// Records shared by every user of the panel MCU link.
#pragma once

#include <cstddef>
#include <string>

// One snapshot of the panel controls, as reported by the MCU's keyboard status answer.
// Deflections are magnitudes; the direction flags give the sign.
struct hardwareState {
    bool lockButtonPressed = false;
    int joyStickX = 0;     // 0..4095
    int joyStickY = 0;     // 0..4095
    int joyStickZ = 0;     // 0..4095 (zoom twist)
    int sliderValue1 = 0;  // 0..255
    int sliderValue2 = 0;
    int sliderValue3 = 0;
    int sliderValue4 = 0;
    bool shuttleDir = false;
    int shuttleValue = 0;  // 0..127
    bool jogDir = false;
    int jogValue = 0;   // 0..127
    int tBarValue = 0;  // 0..65535
    bool joyStickXDir = false;
    bool joyStickYDir = false;
    bool joyStickZDir = false;
    // Key k (0..39) is bit 7 - (k % 8) of byte k / 8; normally 5 bytes, empty after a failed
    // exchange, longer when trailing bytes followed the answer.
    std::string keyPressTable;

    bool operator==(const hardwareState& other) const;
    bool operator!=(const hardwareState& other) const { return !(*this == other); }
};

// Number of keys the key bit map can describe.
constexpr int kKeyCount = 40;

// True when key k is marked pressed in a key bit map. A byte the table does not hold counts as
// "not pressed", so short or empty tables are safe to ask.
bool isKeyPressed(const std::string& keyPressTable, int key);

// T-bar end positions stored in the MCU.
struct calibrateTbarPar {
    // Value of both fields when the MCU's answer could not be read. No T-bar reports it, so a
    // failed read can never be mistaken for a stored position.
    static constexpr int kUnknown = -1;

    int maxValue = kUnknown;
    int minValue = kUnknown;

    bool isKnown() const { return maxValue != kUnknown && minValue != kUnknown; }
};
