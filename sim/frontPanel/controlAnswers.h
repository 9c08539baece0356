// Decoding of the virtual MCU's answers to "get leds" and "get colours". The answers come from
// another process, so every length and digit is checked before it is used.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "keyTable.h"

namespace frontpanel {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

using LedIndices = std::array<std::uint8_t, kLedPositions>;

// "get leds": exactly 40 hex digits, the colour index of positions 0 to 39.
bool parseLedIndices(const std::string& answer, LedIndices& out, std::string& error);

struct ColourTable {
    bool present = false;      // false while the MCU has not been initialised ("none")
    std::vector<Rgb> entries;  // entry n is the colour of index n; at most 16
    std::string warning;       // set when the table is usable but not the expected 98 bytes
    bool operator==(const ColourTable& o) const {
        return present == o.present && entries == o.entries && warning == o.warning;
    }
};

constexpr int kColourEntries = 16;
constexpr std::size_t kColourTableBytes = 2 + 6 * kColourEntries;

// "get colours": "none", or the table as hex: two lead bytes, then 6-byte entries
// R R G G B B. A table of another length gives the complete entries it holds and a warning.
bool parseColourTable(const std::string& answer, ColourTable& out, std::string& error);

// Decodes hex text (either case) into bytes; false on an odd length or a non-hex character.
bool decodeHex(const std::string& text, std::vector<std::uint8_t>& bytes);

// The answer text shortened for a status line.
std::string clipForMessage(const std::string& text, std::size_t limit = 60);

}  // namespace frontpanel
