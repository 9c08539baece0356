// Hex fixtures for byte-exact tests: spaces are ignored, so rows can follow the byte tables.
#pragma once

#include <string>

#include "commonFunctions.h"

inline std::string bytes(std::string hex) {
    std::string compact;
    for (char c : hex) {
        if (c != ' ') {
            compact += c;
        }
    }
    return hex_to_string(compact, LinkProgram::panel);
}

inline std::string hexOf(const std::string& data) {
    std::string out;
    static const char* digits = "0123456789abcdef";
    for (char c : data) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 0x0F];
    }
    return out;
}
