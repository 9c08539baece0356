// Hex digits of the tools' and the simulators' protocols, control channels and logs (kept apart
// from the product's own helpers, so they check the product rather than share its code).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Value of one hex digit (either case), or -1.
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Hex digits in pairs; blanks, ':' and '-' may separate the pairs. Several arguments are joined,
// so "00 0B 80 00 4554485F524551" reads the same as one quoted string. Nothing when a digit is
// not hex or stands alone.
inline std::optional<std::vector<uint8_t>> hexPairs(const std::vector<std::string>& parts) {
    std::vector<uint8_t> bytes;
    for (const std::string& part : parts) {
        int pendingHigh = -1;
        for (char c : part) {
            if (c == ' ' || c == '\t' || c == ':' || c == '-') {
                if (pendingHigh >= 0) {
                    return std::nullopt;  // a lone digit before a separator
                }
                continue;
            }
            const int value = hexDigitValue(c);
            if (value < 0) {
                return std::nullopt;
            }
            if (pendingHigh < 0) {
                pendingHigh = value;
            } else {
                bytes.push_back(static_cast<uint8_t>(pendingHigh * 16 + value));
                pendingHigh = -1;
            }
        }
        if (pendingHigh >= 0) {
            return std::nullopt;
        }
    }
    return bytes;
}
