#include "commonFunctions.h"

#include <stdexcept>

namespace {

constexpr char kDigits[] = "0123456789abcdef";

int hexDigitValue(char c) {
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

void reject(const char* text, LinkProgram form) {
    if (form == LinkProgram::daemon) {
        throw std::runtime_error(text);
    }
    linkLog("zek.link", text);
}

}  // namespace

std::string string_to_hex(const std::string& bytes) {
    return string_to_hex(bytes, linkProgram());
}

std::string string_to_hex(const std::string& bytes, LinkProgram form) {
    std::string out;
    out.reserve(bytes.size() * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (form == LinkProgram::daemon) {
            out += "0X";
        } else if (i > 0) {
            out += ':';
        }
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

std::string hex_to_string(const std::string& hex) {
    return hex_to_string(hex, linkProgram());
}

std::string hex_to_string(const std::string& hex, LinkProgram form) {
    if (hex.size() % 2 != 0) {
        reject("String is not valid length ...", form);
    }
    std::string out;
    out.reserve(hex.size() / 2);
    bool badPairSeen = false;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = hexDigitValue(hex[i]);
        const int low = hexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            if (!badPairSeen) {
                reject("String is not valid hex ...", form);
                badPairSeen = true;
            }
            continue;
        }
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return out;
}
