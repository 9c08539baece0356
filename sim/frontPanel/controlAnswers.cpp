#include "controlAnswers.h"

#include "hexDigits.h"

namespace frontpanel {

std::string clipForMessage(const std::string& text, std::size_t limit) {
    std::string shown;
    for (char c : text) {
        // Control characters from a confused peer would garble the status line.
        shown += (c >= 0x20 && c < 0x7f) ? c : '?';
        if (shown.size() >= limit) {
            return shown + "...";
        }
    }
    return shown.empty() ? "(empty)" : shown;
}

bool decodeHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (text.size() % 2 != 0) {
        return false;
    }
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            bytes.clear();
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

bool parseLedIndices(const std::string& answer, LedIndices& out, std::string& error) {
    if (answer.size() != static_cast<std::size_t>(kLedPositions)) {
        error = "LED answer is not 40 hex digits: " + clipForMessage(answer);
        return false;
    }
    LedIndices parsed{};
    for (std::size_t k = 0; k < parsed.size(); ++k) {
        const int value = hexDigitValue(answer[k]);
        if (value < 0) {
            error = "LED answer has a non-hex digit: " + clipForMessage(answer);
            return false;
        }
        parsed[k] = static_cast<std::uint8_t>(value);
    }
    out = parsed;
    return true;
}

bool parseColourTable(const std::string& answer, ColourTable& out, std::string& error) {
    ColourTable table;
    if (answer == "none") {
        out = table;
        return true;
    }
    std::vector<std::uint8_t> bytes;
    if (!decodeHex(answer, bytes)) {
        error = "colour answer is not hex: " + clipForMessage(answer);
        return false;
    }
    if (bytes.size() < 2) {
        error = "colour answer is too short: " + clipForMessage(answer);
        return false;
    }
    table.present = true;
    for (std::size_t at = 2; at + 6 <= bytes.size() && table.entries.size() < kColourEntries;
         at += 6) {
        table.entries.push_back(Rgb{bytes[at], bytes[at + 2], bytes[at + 4]});
    }
    if (bytes.size() != kColourTableBytes) {
        table.warning = "colour table has " + std::to_string(bytes.size()) +
                        " bytes instead of 98; " + std::to_string(table.entries.size()) +
                        " entries used";
    }
    out = table;
    return true;
}

}  // namespace frontpanel
