// The panel MCU as the panel software sees it, written from the protocol's byte tables:
//
//   request                               answer
//   55 AA 80 04 "ver"                     55 AA 80 05 major(2) minor(2)
//   55 AA 81 15 LED map(20)               55 AA 81 15 status(20)
//   55 AA 82 05 "tbar"                    55 AA 82 05 max(2) min(2)
//   55 AA 86 0D "settingtbar" selector    55 AA 86 02 06|15   (02 = store max, 03 = store min)
//   55 AA 87 L  "INITZEK" colour table    55 AA 87 02 06|15   (L = table length + 8)
//
// Status payload: lock (bit 0) | X: dir bit 4 + value bits 11..8, value bits 7..0 | Y | Z |
// shuttle: dir bit 7 + value | jog | T-bar (2) | sliders 1..4 | key bit map (5 bytes, key k in
// bit 7 - k % 8 of byte k / 8).
//
// The model keeps the controls' state, the last LED map and colour table it received and the
// stored T-bar ends, and turns the bytes it is fed into answers. Faults change answers on the way
// out; timing faults (silence, delays) are the caller's, which owns the clock.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct McuControls {
    bool lock = false;
    std::array<int, 3> axis{};  // X, Y, Z magnitudes 0..4095
    std::array<bool, 3> axisDir{};
    int shuttle = 0;
    bool shuttleDir = false;
    int jog = 0;
    bool jogDir = false;
    int tbar = 0;
    std::array<int, 4> slider{};
    std::array<bool, 40> key{};
};

struct McuFaults {
    bool silent = false;
    int delayMs = 0;         // before the answer
    int byteDelayUs = 0;     // between answer bytes (87 is a byte time at 115200 baud)
    int garbageBytes = 0;    // bytes before the frame
    int truncateTo = -1;     // answer cut to this many bytes
    bool wrongType = false;  // answer carries another type
    int trailingBytes = 0;   // bytes after the frame
};

class McuModel {
public:
    McuModel();

    // Takes bytes from the line and returns the answers, faults applied, one per complete
    // request frame. Partial frames wait for more bytes.
    std::vector<std::string> feed(const std::string& bytes);

    McuControls controls;
    McuFaults faults;
    int versionMajor = 0x0001;
    int versionMinor = 0x0007;
    int tbarMax = 1012;
    int tbarMin = 23;

    const std::string& ledMap() const { return ledMap_; }
    const std::string& colourTable() const { return colourTable_; }
    // Colour index the LED map gives key k (high nibble for even k).
    int ledColour(int key) const;
    // The 20-byte status payload of the present controls.
    std::string statusPayload() const;

    std::map<int, long> framesByType;
    // Types of the first frames received, in order (the first 16), and the first LED map.
    std::vector<int> firstTypes;
    std::string firstLedMap;
    long rejectedFrames = 0;
    long droppedBytes = 0;

private:
    std::string answerFor(std::uint8_t type, const std::string& payload);
    std::string applyFaults(std::string answer) const;

    std::string pending_;
    std::string ledMap_;
    std::string colourTable_;
};

std::string mcuHex(const std::string& bytes);
bool mcuUnhex(const std::string& text, std::string& bytes);
