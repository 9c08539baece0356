// Bytes written the way the protocol tables read: hex pairs and 'quoted text', blank-separated,
// for example "00 0B 80 00 'ETH_REQ'"; and bytes back as upper-case hex pairs.
#pragma once

#include <cstdio>
#include <string>

inline std::string bytes(const std::string& spec) {
    std::string out;
    for (std::size_t i = 0; i < spec.size();) {
        const char c = spec[i];
        if (c == ' ') {
            ++i;
        } else if (c == '\'') {
            const std::size_t end = spec.find('\'', i + 1);
            out += spec.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            out += static_cast<char>(std::stoi(spec.substr(i, 2), nullptr, 16));
            i += 2;
        }
    }
    return out;
}

inline std::string hex(const std::string& data) {
    std::string out;
    char pair[4];
    for (const char c : data) {
        std::snprintf(pair, sizeof pair, out.empty() ? "%02X" : " %02X",
                      static_cast<unsigned char>(c));
        out += pair;
    }
    return out;
}
