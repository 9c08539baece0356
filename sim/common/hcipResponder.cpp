#include "hcipResponder.h"

#include <algorithm>
#include <cstdio>

#include "hexDigits.h"

namespace {

constexpr std::uint8_t kBroadcastClass = 0x80;
constexpr std::uint8_t kUnicastClass = 0x81;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;

constexpr std::size_t kMacOffset = 4;
constexpr std::size_t kMacEnd = kMacOffset + 6;  // shorter datagrams name no device
constexpr std::size_t kTextField = 16;           // host name and model name

// Answer codes.
constexpr std::uint8_t kDeviceInfoCode = 0x00;
constexpr std::uint8_t kFirmwareCode = 0x01;
constexpr std::uint8_t kDhcpModeCode = 0x02;
constexpr std::uint8_t kIpAddressCode = 0x03;
constexpr std::uint8_t kResetCode = 0x04;
constexpr std::uint8_t kHostNameCode = 0x09;
constexpr std::uint8_t kMacAddressCode = 0x0A;
constexpr std::uint8_t kModelCode = 0x40;
constexpr std::uint8_t kModelNameCode = 0x41;

// Offsets of the broadcast-class values.
constexpr std::size_t kDhcpFlagOffset = 22;
constexpr std::size_t kNewAddressOffset = 19;
constexpr std::size_t kNewGatewayOffset = 23;

// The unicast settings of one address each.
struct AddressSetting {
    const char* word;
    std::uint8_t code;
    std::size_t offset;
    HcipIpv4 HcipIdentity::*field;
    const char* what;
};

// clang-format off
constexpr AddressSetting kAddressSettings[] = {
    //  word           code  offset  field                    what
    {"SET_NETMASK",    0x0B, 15,     &HcipIdentity::netmask,  "netmask"},
    {"SET_GATEWAY",    0x0C, 15,     &HcipIdentity::gateway,  "gateway"},
    {"SET_PRIDNS",     0x0D, 14,     &HcipIdentity::dns1,     "dns1"},
    {"SET_SECDNS",     0x0E, 14,     &HcipIdentity::dns2,     "dns2"},
};
// clang-format on

std::uint8_t byteAt(const std::string& bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

std::string frame(std::uint8_t type, std::uint8_t code, const std::string& body) {
    const std::size_t size = 4 + body.size();
    std::string out;
    out += static_cast<char>((size >> 8) & 0xFF);
    out += static_cast<char>(size & 0xFF);
    out += static_cast<char>(type);
    out += static_cast<char>(code);
    return out + body;
}

std::string acknowledgement(std::uint8_t type, std::uint8_t code, bool taken) {
    return frame(type, code, std::string(1, static_cast<char>(taken ? kAck : kNak)));
}

// The first 16 characters, zero-padded to 16 bytes (no terminator when the text fills them).
std::string textField(const std::string& text) {
    std::string field = text.substr(0, kTextField);
    field.resize(kTextField, '\0');
    return field;
}

template <std::size_t N>
std::string raw(const std::array<std::uint8_t, N>& values) {
    return std::string(values.begin(), values.end());
}

std::string deviceInformation(const HcipIdentity& id) {
    std::string body(1, static_cast<char>(id.dhcp ? 0x01 : 0x00));
    body += textField(id.hostName) + raw(id.mac) + raw(id.address) + raw(id.netmask) +
            raw(id.gateway) + raw(id.dns1) + raw(id.dns2);
    return frame(kBroadcastClass, kDeviceInfoCode, body);
}

template <std::size_t N>
std::array<std::uint8_t, N> valueAt(const std::string& bytes, std::size_t offset) {
    std::array<std::uint8_t, N> value{};
    for (std::size_t i = 0; i < N; ++i) {
        value[i] = byteAt(bytes, offset + i);
    }
    return value;
}

bool has(const std::string& datagram, const char* word) {
    return datagram.find(word) != std::string::npos;
}

bool macMatches(const HcipIdentity& id, const std::string& datagram) {
    return datagram.size() >= kMacEnd && valueAt<6>(datagram, kMacOffset) == id.mac;
}

// For the log: which device a MAC-addressed request was meant for.
std::string targetText(const std::string& datagram) {
    if (datagram.size() < kMacEnd) {
        return "no MAC (" + std::to_string(datagram.size()) + " bytes)";
    }
    return "MAC " + macText(valueAt<6>(datagram, kMacOffset));
}

std::string hexByte(std::uint8_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

class Responder {
public:
    Responder(HcipIdentity& id, const std::string& datagram) : id_(id), d_(datagram) {}

    HcipOutcome run() {
        ++id_.requests;
        if (d_.size() < 3) {
            out_.ignored = "shorter than 3 bytes";
            return out_;
        }
        const std::uint8_t type = byteAt(d_, 2);
        if (type == kBroadcastClass) {
            broadcastClass();
        } else if (type == kUnicastClass) {
            unicastClass();
        } else {
            out_.ignored = "unknown class " + hexByte(type);
            return out_;
        }
        if (out_.answers.empty()) {
            out_.ignored =
                notes_.empty() ? "no known command word for class " + hexByte(type) : notes_;
        }
        return out_;
    }

private:
    void answer(std::string bytes, bool toBroadcast) {
        out_.answers.push_back({std::move(bytes), toBroadcast});
    }

    void note(const std::string& text) { notes_ += (notes_.empty() ? "" : "; ") + text; }

    void broadcastClass() {
        if (has(d_, "ETH_REQ")) {
            answer(deviceInformation(id_), true);
        }
        if (has(d_, "FWVER_REQ")) {
            if (macMatches(id_, d_)) {
                answer(acknowledgement(kBroadcastClass, kFirmwareCode, true), true);
            } else {
                note("\"FWVER_REQ\" for " + targetText(d_));
            }
        }
        if (has(d_, "SET_DHCPMODE")) {
            // Every device answers, only the one addressed with ACK.
            const bool mine = macMatches(id_, d_);
            const bool taken = mine && d_.size() > kDhcpFlagOffset;
            if (taken) {
                id_.dhcp = byteAt(d_, kDhcpFlagOffset) != 0;
                out_.changes.push_back(std::string("dhcp ") + (id_.dhcp ? "on" : "off"));
            }
            answer(acknowledgement(kBroadcastClass, kDhcpModeCode, taken), true);
        }
        if (has(d_, "GET_MODEL_NAME")) {
            if (macMatches(id_, d_)) {
                answer(frame(kBroadcastClass, kModelNameCode, textField(id_.modelName)), true);
            } else {
                note("\"GET_MODEL_NAME\" for " + targetText(d_));
            }
        } else if (has(d_, "GET_MODEL")) {
            if (macMatches(id_, d_)) {
                answer(frame(kBroadcastClass, kModelCode, raw(id_.modelCodes)), true);
            } else {
                note("\"GET_MODEL\" for " + targetText(d_));
            }
        }
        if (has(d_, "SET_IPADR")) {
            if (!macMatches(id_, d_)) {
                note("\"SET_IPADR\" for " + targetText(d_));
            } else if (d_.size() < kNewGatewayOffset + 4) {
                answer(acknowledgement(kBroadcastClass, kIpAddressCode, false), true);
            } else {
                id_.address = valueAt<4>(d_, kNewAddressOffset);
                id_.gateway = valueAt<4>(d_, kNewGatewayOffset);
                out_.changes.push_back("address " + dottedText(id_.address) + " gateway " +
                                       dottedText(id_.gateway));
                answer(acknowledgement(kBroadcastClass, kIpAddressCode, true), true);
            }
        }
        if (has(d_, "RESET")) {
            if (macMatches(id_, d_)) {
                ++id_.resets;
                out_.changes.push_back("reset");
                answer(acknowledgement(kBroadcastClass, kResetCode, true), true);
            } else {
                note("\"RESET\" for " + targetText(d_));
            }
        }
    }

    void unicastClass() {
        static const std::string kNameWord = "SET_DHCPNAME";
        const std::size_t nameAt = d_.find(kNameWord);
        if (nameAt != std::string::npos) {
            // Up to the first zero byte or the end of the datagram.
            const std::size_t start = nameAt + kNameWord.size();
            std::size_t end = d_.find('\0', start);
            if (end == std::string::npos) {
                end = d_.size();
            }
            id_.hostName = d_.substr(start, std::min(end - start, kTextField));
            out_.changes.push_back("host name " + visibleText(id_.hostName));
            answer(acknowledgement(kUnicastClass, kHostNameCode, true), false);
        }
        static const std::string kMacWord = "SET_MACADR";
        const std::size_t macAt = d_.find(kMacWord);
        if (macAt != std::string::npos) {
            const std::size_t start = macAt + kMacWord.size();
            const bool taken = d_.size() >= start + 6;
            if (taken) {
                id_.mac = valueAt<6>(d_, start);
                out_.changes.push_back("mac " + macText(id_.mac));
            }
            answer(acknowledgement(kUnicastClass, kMacAddressCode, taken), false);
        }
        for (const AddressSetting& setting : kAddressSettings) {
            if (!has(d_, setting.word)) {
                continue;
            }
            const bool taken = d_.size() >= setting.offset + 4;
            if (taken) {
                id_.*setting.field = valueAt<4>(d_, setting.offset);
                out_.changes.push_back(std::string(setting.what) + " " +
                                       dottedText(id_.*setting.field));
            }
            answer(acknowledgement(kUnicastClass, setting.code, taken), false);
        }
    }

    HcipIdentity& id_;
    const std::string& d_;
    HcipOutcome out_;
    std::string notes_;
};

}  // namespace

HcipOutcome hcipRespond(HcipIdentity& identity, const std::string& datagram) {
    return Responder(identity, datagram).run();
}

std::optional<HcipMac> parseMacText(const std::string& text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    HcipMac mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = i * 3;
        const int high = hexDigitValue(text[at]);
        const int low = hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0 || (i + 1 < mac.size() && text[at + 2] != ':')) {
            return std::nullopt;
        }
        mac[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return mac;
}

std::string macText(const HcipMac& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::optional<HcipIpv4> parseDottedText(const std::string& text) {
    HcipIpv4 address{};
    std::size_t pos = 0;
    for (std::size_t part = 0; part < address.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++digits;
            ++pos;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return std::nullopt;
        }
        address[part] = static_cast<std::uint8_t>(value);
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return address;
}

std::string dottedText(const HcipIpv4& a) {
    return std::to_string(a[0]) + '.' + std::to_string(a[1]) + '.' + std::to_string(a[2]) + '.' +
           std::to_string(a[3]);
}

std::string visibleText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x20 && u < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            out += escaped;
        }
    }
    return out;
}

std::string identityLine(const HcipIdentity& id) {
    return "name=" + visibleText(id.hostName) + " mac=" + macText(id.mac) +
           " dhcp=" + (id.dhcp ? "1" : "0") + " address=" + dottedText(id.address) +
           " netmask=" + dottedText(id.netmask) + " gateway=" + dottedText(id.gateway) +
           " dns1=" + dottedText(id.dns1) + " dns2=" + dottedText(id.dns2) +
           " resets=" + std::to_string(id.resets);
}
