// hcipTool: a network configuration client for the HCIP device-configuration service (UDP port
// 5002) that panels and link daemons answer, written the way a PC configuration tool on the
// network talks to them. Tests and people use it to scan for devices, read versions and model,
// and write a network setup. Its request bytes come from its own table below, on purpose
// independent of the product's frame builders, so a mistake in one shows up against the other.
//
// usage: hcipTool [--interface IFACE] [--port PORT] [--timeout MS] [--to ADDR] [--yes]
//                 [--verbose] COMMAND ARGS...
//   scan | version | model MAC | model-name MAC | set-dhcp MAC on|off | set-ip MAC ADDR GATEWAY
//   set-netmask MAC MASK | set-gateway MAC GATEWAY | set-dns1 MAC ADDR | set-dns2 MAC ADDR
//   set-name MAC NAME | set-mac MAC NEWMAC | set-static MAC ADDR MASK GATEWAY DNS1 DNS2
//   factory MAC | raw HEX...
// (each explained in kUsage below, printed by "hcipTool --help"). Broadcast-class requests go
// to 255.255.255.255:PORT; unicast-class ones, and 'version' and 'raw' with --to, go to ADDR.
//
// On a real network a setting reaches only the device the user named by its MAC: the
// broadcast-class ones carry the MAC, and before a unicast-class one the tool scans and checks
// that the device at --to has that MAC. Run from a terminal, a change also needs --yes.
//
// Every datagram received is printed as "answer from A.B.C.D:PORT <hex bytes>", followed by a
// decoded line when it is a well-formed answer. Exit status: 0 the expected answer arrived,
// 1 no answer, a negative one, another device at --to (or the socket failed), 2 usage error or
// a change not confirmed with --yes.
#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commandLine.h"
#include "deadlineWait.h"
#include "hexDigits.h"

namespace {

const char kUsage[] =
    "usage: hcipTool [--interface IFACE] [--port PORT] [--timeout MS] [--to ADDR] [--yes]\n"
    "                [--verbose] COMMAND ARGS...\n"
    "\n"
    "Options (also --name=value):\n"
    "  --interface IFACE  send and receive on this interface only (needed to broadcast where\n"
    "                     there is no default route, e.g. in a network namespace)\n"
    "  --port PORT        the devices' port (default 5002)\n"
    "  --timeout MS       how long each step waits for its answer (default 2000)\n"
    "  --to ADDR          the device's current IPv4 address: unicast requests go there, and\n"
    "                     'version' and 'raw' are sent there instead of broadcast\n"
    "  --yes              make the change: needed for every set-* and factory command when\n"
    "                     hcipTool runs on a terminal (scripts need not give it)\n"
    "  --verbose          print every request sent on stderr\n"
    "\n"
    "Commands (MAC is six hex pairs joined by ':'; addresses are dotted IPv4):\n"
    "  scan                        broadcast \"ETH_REQ\"; print every device that answers\n"
    "  version                     \"GET_VERSION\" (broadcast, or unicast with --to)\n"
    "  model MAC                   \"GET_MODEL\" to the device with this MAC\n"
    "  model-name MAC              \"GET_MODEL_NAME\" to the device with this MAC\n"
    "  set-dhcp MAC on|off         \"SET_DHCPMODE\"\n"
    "  set-ip MAC ADDR GATEWAY     \"SET_IPADR\": static address and gateway\n"
    "  set-netmask MAC MASK        \"SET_NETMASK\" (unicast, needs --to)\n"
    "  set-gateway MAC GATEWAY     \"SET_GATEWAY\" (unicast, needs --to)\n"
    "  set-dns1 MAC ADDR           \"SET_PRIDNS\" (unicast, needs --to)\n"
    "  set-dns2 MAC ADDR           \"SET_SECDNS\" (unicast, needs --to)\n"
    "  set-name MAC NAME           \"SET_DHCPNAME\", first 15 characters (unicast, needs --to)\n"
    "  set-mac MAC NEWMAC          \"SET_MACADR\" (unicast, needs --to)\n"
    "  set-static MAC ADDR MASK GATEWAY DNS1 DNS2\n"
    "                              the complete manual setup: set-ip to MAC, then set-netmask,\n"
    "                              set-dns1 and set-dns2 to --to (the device's current address),\n"
    "                              then the device's completion answer (code 0x03)\n"
    "  factory MAC                 \"E2P_DEFAULT\": factory network setup\n"
    "  raw HEX...                  send these bytes as they are (broadcast, or to --to) and\n"
    "                              print everything received until the timeout; bytes that\n"
    "                              carry a setting's word need --yes on a terminal\n"
    "\n"
    "The unicast settings go to --to only after a scan showed that the device there has MAC;\n"
    "otherwise nothing is sent.\n"
    "\n"
    "Examples:\n"
    "  hcipTool scan\n"
    "  hcipTool --interface eth0 --timeout 500 scan\n"
    "  hcipTool version\n"
    "  hcipTool --to 192.168.0.10 version\n"
    "  hcipTool model 02:A4:5C:01:02:03\n"
    "  hcipTool model-name 02:A4:5C:01:02:03\n"
    "  hcipTool --yes set-dhcp 02:A4:5C:01:02:03 on\n"
    "  hcipTool --yes set-ip 02:A4:5C:01:02:03 192.168.0.50 192.168.0.254\n"
    "  hcipTool --yes --to 192.168.0.10 set-netmask 02:A4:5C:01:02:03 255.255.255.0\n"
    "  hcipTool --yes --to 192.168.0.10 set-gateway 02:A4:5C:01:02:03 192.168.0.254\n"
    "  hcipTool --yes --to 192.168.0.10 set-dns1 02:A4:5C:01:02:03 9.9.9.9\n"
    "  hcipTool --yes --to 192.168.0.10 set-dns2 02:A4:5C:01:02:03 8.8.4.4\n"
    "  hcipTool --yes --to 192.168.0.10 set-name 02:A4:5C:01:02:03 studio-a\n"
    "  hcipTool --yes --to 192.168.0.10 set-mac 02:A4:5C:01:02:03 02:A4:5C:01:02:04\n"
    "  hcipTool --yes --to 192.168.0.10 set-static 02:A4:5C:01:02:03 192.168.0.50 \\\n"
    "           255.255.255.0 192.168.0.254 9.9.9.9 8.8.4.4\n"
    "  hcipTool --yes factory 02:A4:5C:01:02:03\n"
    "  hcipTool --timeout 500 raw 00 0B 80 00 45 54 48 5F 52 45 51\n"
    "\n"
    "scan and raw listen for the whole timeout; the other commands return as soon as their\n"
    "answer arrives. Exit status: 0 answered (ACK); 1 no answer, NAK, another device at --to,\n"
    "or the network failed; 2 usage error, or a change not confirmed with --yes.\n";

using Bytes = std::vector<uint8_t>;
using MacAddress = std::array<uint8_t, 6>;
using Ipv4Address = std::array<uint8_t, 4>;
using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------------------------------------
// Protocol: bytes in, records out. No sockets here.

constexpr uint8_t BROADCAST_TYPECODE = 0x80;
constexpr uint8_t UDP_TYPECODE = 0x81;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

constexpr size_t kHeaderLength = 4;  // length (2, big-endian, counts the header), type, code
constexpr size_t kMacLength = 6;
constexpr size_t kNameFieldLength = 16;
constexpr size_t kMaxNameLength = 15;  // the request keeps at least one zero byte behind the name
constexpr size_t kMaxDatagramLength = 65507;  // largest UDP payload over IPv4

// Answer codes that are not simply the request's code echoed in an acknowledgement.
constexpr uint8_t kDeviceInfoCode = 0x00;
constexpr uint8_t kModelInfoCode = 0x40;
constexpr uint8_t kModelNameCode = 0x41;
constexpr uint8_t kVersionCode = 0x42;
constexpr uint8_t kSetIpAdrCode = 0x03;  // also the code of the completion answer

constexpr size_t kDeviceInfoLength = 47;
constexpr size_t kModelInfoLength = 8;
constexpr size_t kModelNameLength = 20;
constexpr size_t kVersionLength = 20;
constexpr size_t kAckLength = 5;

// One request form per command word. The service recognises a request by its type byte and
// by finding the word in the datagram; the code byte is what the answer will carry (or, for
// the version and model questions, the code of the matching answer family).
struct RequestForm {
    const char* word;
    uint8_t type;
    uint8_t code;
    bool carriesMac;     // MAC of the addressed device in bytes 4-9
    size_t valueLength;  // bytes behind the word
    size_t totalLength;  // what the length field says
};

// clang-format off
//                                       word              type                code  MAC    value total
constexpr RequestForm kEthReq          {"ETH_REQ",        BROADCAST_TYPECODE, 0x00, false, 0,    11};
constexpr RequestForm kGetVersionBcast {"GET_VERSION",    BROADCAST_TYPECODE, 0x01, false, 0,    15};
constexpr RequestForm kGetVersionUcast {"GET_VERSION",    UDP_TYPECODE,       0x01, false, 0,    15};
constexpr RequestForm kSetDhcpMode     {"SET_DHCPMODE",   BROADCAST_TYPECODE, 0x02, true,  1,    23};
constexpr RequestForm kSetIpAdr        {"SET_IPADR",      BROADCAST_TYPECODE, 0x03, true,  8,    27};
constexpr RequestForm kE2pDefault      {"E2P_DEFAULT",    BROADCAST_TYPECODE, 0x06, true,  0,    21};
constexpr RequestForm kGetModel        {"GET_MODEL",      BROADCAST_TYPECODE, 0x40, true,  0,    19};
constexpr RequestForm kGetModelName    {"GET_MODEL_NAME", BROADCAST_TYPECODE, 0x41, true,  0,    24};
constexpr RequestForm kSetDhcpName     {"SET_DHCPNAME",   UDP_TYPECODE,       0x09, false, 16,   32};
constexpr RequestForm kSetMacAdr       {"SET_MACADR",     UDP_TYPECODE,       0x0A, false, 6,    20};
constexpr RequestForm kSetNetmask      {"SET_NETMASK",    UDP_TYPECODE,       0x0B, false, 4,    19};
constexpr RequestForm kSetGateway      {"SET_GATEWAY",    UDP_TYPECODE,       0x0C, false, 4,    19};
constexpr RequestForm kSetPriDns       {"SET_PRIDNS",     UDP_TYPECODE,       0x0D, false, 4,    18};
constexpr RequestForm kSetSecDns       {"SET_SECDNS",     UDP_TYPECODE,       0x0E, false, 4,    18};
// clang-format on

// The total column is written out so a row can be checked against a capture by eye; the
// compiler checks that it agrees with the other columns.
constexpr bool lengthAgrees(const RequestForm& form) {
    return form.totalLength == kHeaderLength + (form.carriesMac ? kMacLength : 0) +
                                   std::char_traits<char>::length(form.word) + form.valueLength;
}
static_assert(lengthAgrees(kEthReq) && lengthAgrees(kGetVersionBcast) &&
                  lengthAgrees(kGetVersionUcast) && lengthAgrees(kSetDhcpMode) &&
                  lengthAgrees(kSetIpAdr) && lengthAgrees(kE2pDefault) && lengthAgrees(kGetModel) &&
                  lengthAgrees(kGetModelName) && lengthAgrees(kSetDhcpName) &&
                  lengthAgrees(kSetMacAdr) && lengthAgrees(kSetNetmask) &&
                  lengthAgrees(kSetGateway) && lengthAgrees(kSetPriDns) && lengthAgrees(kSetSecDns),
              "a request row's total length disagrees with its columns");

// Builds one request. The length field is the real datagram length; a value of another length
// than the form's would be a bug in this file, so it is padded or cut to the form's length
// rather than sent malformed.
Bytes buildRequest(const RequestForm& form, const MacAddress* mac, Bytes value = {}) {
    value.resize(form.valueLength, 0);
    Bytes frame = {0, 0, form.type, form.code};
    if (form.carriesMac) {
        MacAddress none{};
        const MacAddress& target = mac ? *mac : none;
        frame.insert(frame.end(), target.begin(), target.end());
    }
    const size_t wordLength = std::strlen(form.word);
    frame.insert(frame.end(), form.word, form.word + wordLength);
    frame.insert(frame.end(), value.begin(), value.end());
    frame[0] = static_cast<uint8_t>(frame.size() >> 8);
    frame[1] = static_cast<uint8_t>(frame.size() & 0xFF);
    return frame;
}

Bytes addressBytes(const Ipv4Address& address) {
    return Bytes(address.begin(), address.end());
}

// The host name goes out as a fixed 16-byte field; cutting at 15 keeps a zero byte behind the
// name, so the device finds its end even when it reads up to the first zero.
Bytes nameField(const std::string& name) {
    Bytes field(kNameFieldLength, 0);
    const size_t length = name.size() < kMaxNameLength ? name.size() : kMaxNameLength;
    for (size_t i = 0; i < length; ++i) {
        field[i] = static_cast<uint8_t>(name[i]);
    }
    return field;
}

struct Answer {
    enum class Kind { DeviceInfo, Version, ModelInfo, ModelName, Ack };
    Kind kind;
    uint8_t type;
    uint8_t code;
    bool acknowledged;        // acknowledgements: ACK rather than NAK; other kinds: true
    std::string description;  // the decoded line
    MacAddress deviceMac{};   // device information: the answering device's MAC
};

std::string hexByte(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string hexBytes(const Bytes& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += hexByte(bytes[i]);
    }
    return text;
}

std::string macText(const Bytes& bytes, size_t offset) {
    std::string text;
    for (size_t i = 0; i < kMacLength; ++i) {
        if (i > 0) {
            text += ':';
        }
        text += hexByte(bytes[offset + i]);
    }
    return text;
}

std::string dottedText(const Bytes& bytes, size_t offset) {
    return std::to_string(bytes[offset]) + '.' + std::to_string(bytes[offset + 1]) + '.' +
           std::to_string(bytes[offset + 2]) + '.' + std::to_string(bytes[offset + 3]);
}

// A zero-padded text field up to its first zero byte. Anything that is not a visible ASCII
// character (blanks and the escape character included) is shown as \xNN, so a decoded line
// always splits cleanly at its blanks.
std::string fieldText(const Bytes& bytes, size_t offset, size_t width) {
    std::string text;
    for (size_t i = offset; i < offset + width && bytes[i] != 0; ++i) {
        const uint8_t c = bytes[i];
        if (c > 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            text += "\\x" + hexByte(c);
        }
    }
    return text;
}

unsigned bigEndian16(const Bytes& bytes, size_t offset) {
    return (static_cast<unsigned>(bytes[offset]) << 8) | bytes[offset + 1];
}

// The MCU version is signed on the device: a device that never got an answer from its MCU
// reports -1 (0xFFFF).
int signedBigEndian16(const Bytes& bytes, size_t offset) {
    const unsigned value = bigEndian16(bytes, offset);
    return value >= 0x8000 ? static_cast<int>(value) - 0x10000 : static_cast<int>(value);
}

// Decodes one received datagram. Only well-formed answers decode: the length field must equal
// the datagram's size and the size must be the one of the answer's kind; every offset read
// below is covered by that size check.
std::optional<Answer> decodeAnswer(const Bytes& datagram) {
    if (datagram.size() < kHeaderLength || bigEndian16(datagram, 0) != datagram.size()) {
        return std::nullopt;
    }
    const uint8_t type = datagram[2];
    const uint8_t code = datagram[3];
    if (type != BROADCAST_TYPECODE && type != UDP_TYPECODE) {
        return std::nullopt;
    }
    const size_t size = datagram.size();

    if (size == kAckLength && (datagram[4] == kAck || datagram[4] == kNak)) {
        const bool positive = datagram[4] == kAck;
        return Answer{Answer::Kind::Ack, type, code, positive,
                      "ack code=0x" + hexByte(code) + (positive ? " ACK" : " NAK")};
    }
    if (type == BROADCAST_TYPECODE && code == kDeviceInfoCode && size == kDeviceInfoLength) {
        MacAddress mac{};
        std::copy(datagram.begin() + 21, datagram.begin() + 21 + kMacLength, mac.begin());
        return Answer{Answer::Kind::DeviceInfo,
                      type,
                      code,
                      true,
                      "device mac=" + macText(datagram, 21) +
                          " name=" + fieldText(datagram, 5, kNameFieldLength) +
                          " dhcp=" + std::to_string(datagram[4]) +
                          " ip=" + dottedText(datagram, 27) + " mask=" + dottedText(datagram, 31) +
                          " gateway=" + dottedText(datagram, 35) +
                          " dns1=" + dottedText(datagram, 39) + " dns2=" + dottedText(datagram, 43),
                      mac};
    }
    if (code == kVersionCode && size == kVersionLength) {
        return Answer{Answer::Kind::Version, type, code, true,
                      "version app=" + std::to_string(bigEndian16(datagram, 4)) + '.' +
                          std::to_string(bigEndian16(datagram, 6)) +
                          " mcu=" + std::to_string(signedBigEndian16(datagram, 8)) + '.' +
                          std::to_string(signedBigEndian16(datagram, 10))};
    }
    if (type == BROADCAST_TYPECODE && code == kModelInfoCode && size == kModelInfoLength) {
        return Answer{Answer::Kind::ModelInfo, type, code, true,
                      "model vendor-category=0x" + hexByte(datagram[4]) + " vendor-id=0x" +
                          hexByte(datagram[5]) + " product-category=0x" + hexByte(datagram[6]) +
                          " product-id=0x" + hexByte(datagram[7])};
    }
    if (type == BROADCAST_TYPECODE && code == kModelNameCode && size == kModelNameLength) {
        return Answer{Answer::Kind::ModelName, type, code, true,
                      "model-name " + fieldText(datagram, 4, kNameFieldLength)};
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Command-line values.

// Four decimal numbers 0-255 joined by dots, nothing else (no octal or hex forms, no blanks).
std::optional<Ipv4Address> parseDotted(const std::string& text) {
    Ipv4Address address{};
    size_t pos = 0;
    for (size_t part = 0; part < address.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        unsigned value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits <= 3) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++digits;
            ++pos;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return std::nullopt;
        }
        address[part] = static_cast<uint8_t>(value);
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return address;
}

// Six hex pairs joined by ':', either case.
std::optional<MacAddress> parseMac(const std::string& text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    MacAddress mac{};
    for (size_t i = 0; i < mac.size(); ++i) {
        const size_t at = i * 3;
        const int high = hexDigitValue(text[at]);
        const int low = hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0 || (i + 1 < mac.size() && text[at + 2] != ':')) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return mac;
}

std::optional<unsigned long> parseUnsigned(const std::string& text, unsigned long maximum) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value > maximum) {
        return std::nullopt;
    }
    return value;
}

// ---------------------------------------------------------------------------------------------
// Transport: one UDP socket. It owns the waiting and nothing else.

struct Datagram {
    sockaddr_in from{};
    Bytes bytes;
};

std::string endpointText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ':' + std::to_string(ntohs(address.sin_port));
}

class UdpEndpoint {
public:
    enum class Wait { Datagram, Timeout, Failed };

    UdpEndpoint() = default;
    ~UdpEndpoint() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Any local address and an ephemeral port: devices answer broadcast-class requests to
    // 255.255.255.255 at the sender's port and unicast ones to the sender itself, and such a
    // socket receives both. Binding to an interface makes the limited broadcast leave through
    // it even where no default route exists.
    bool open(const std::string& interfaceName, std::string& error) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            error = std::string("socket: ") + std::strerror(errno);
            return false;
        }
        const int on = 1;
        if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            return fail("SO_BROADCAST", error);
        }
        if (!interfaceName.empty() &&
            ::setsockopt(fd_, SOL_SOCKET, SO_BINDTODEVICE, interfaceName.c_str(),
                         static_cast<socklen_t>(interfaceName.size() + 1)) != 0) {
            return fail("interface " + interfaceName, error);
        }
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = 0;
        if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            return fail("bind", error);
        }
        return true;
    }

    bool sendTo(const Bytes& datagram, const sockaddr_in& to, std::string& error) {
        const ssize_t sent = ::sendto(fd_, datagram.data(), datagram.size(), 0,
                                      reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (sent < 0 || static_cast<size_t>(sent) != datagram.size()) {
            error = "send to " + endpointText(to) + ": " +
                    (sent < 0 ? networkFailureAdvice(errno) : "datagram cut short");
            return false;
        }
        return true;
    }

    // Waits for one datagram until the deadline, with the remaining time as the poll budget.
    Wait receive(Clock::time_point deadline, Datagram& out, std::string& error) {
        for (;;) {
            const DeadlineWait waited = waitUntil(fd_, POLLIN, deadline);
            if (waited == DeadlineWait::Timeout) {
                return Wait::Timeout;
            }
            if (waited == DeadlineWait::Failed) {
                error = std::string("poll: ") + std::strerror(errno);
                return Wait::Failed;
            }
            socklen_t fromLength = sizeof out.from;
            const ssize_t received =
                ::recvfrom(fd_, buffer_.data(), buffer_.size(), 0,
                           reinterpret_cast<sockaddr*>(&out.from), &fromLength);
            if (received < 0) {
                if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                    continue;
                }
                error = std::string("receive: ") + std::strerror(errno);
                return Wait::Failed;
            }
            out.bytes.assign(buffer_.begin(), buffer_.begin() + received);
            return Wait::Datagram;
        }
    }

private:
    // Leaves the endpoint closed, so a half-configured socket is never used.
    bool fail(const std::string& step, std::string& error) {
        error = step + ": " + networkFailureAdvice(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }

    int fd_ = -1;
    // Larger than any UDP payload, so no datagram is ever cut.
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(65536);
};

// ---------------------------------------------------------------------------------------------
// Client: requests out, answers printed and matched.

struct Options {
    std::string interfaceName;
    uint16_t port = 5002;
    unsigned long timeoutMs = 2000;
    std::optional<Ipv4Address> to;
    bool yes = false;
    bool verbose = false;
};

enum class Outcome { Positive, Negative, NoAnswer };

sockaddr_in socketAddress(const Ipv4Address& address, uint16_t port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    std::memcpy(&out.sin_addr.s_addr, address.data(), address.size());
    out.sin_port = htons(port);
    return out;
}

class HcipClient {
public:
    HcipClient(UdpEndpoint& endpoint, const Options& options)
        : endpoint_(endpoint), options_(options) {}

    // Broadcast-class requests go to the limited broadcast address: a device is found by MAC,
    // whatever address it has (or lacks) at the moment.
    bool sendBroadcast(const Bytes& datagram) {
        return send(datagram, socketAddress({255, 255, 255, 255}, options_.port));
    }

    bool sendUnicast(const Bytes& datagram) {
        return send(datagram, socketAddress(*options_.to, options_.port));
    }

    // Waits for an answer of this kind, type and code and prints everything that arrives
    // meanwhile. A NAK ends the wait only when it surely comes from the addressed device (a
    // unicast request, or an answer from --to): other devices answer some MAC-addressed
    // requests with NAK, and the device that was meant may still say ACK.
    Outcome awaitAnswer(uint8_t type, Answer::Kind answerKind, uint8_t answerCode,
                        bool unicastRequest) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
        bool refused = false;
        Datagram datagram;
        for (;;) {
            std::string error;
            const UdpEndpoint::Wait wait = endpoint_.receive(deadline, datagram, error);
            if (wait == UdpEndpoint::Wait::Failed) {
                std::fprintf(stderr, "hcipTool: %s\n", error.c_str());
                return refused ? Outcome::Negative : Outcome::NoAnswer;
            }
            if (wait == UdpEndpoint::Wait::Timeout) {
                if (refused) {
                    std::fprintf(stderr, "hcipTool: only NAK for code 0x%02X within %lu ms\n",
                                 answerCode, options_.timeoutMs);
                    return Outcome::Negative;
                }
                std::fprintf(stderr,
                             "hcipTool: no answer of type 0x%02X code 0x%02X within %lu ms: check "
                             "that the device is on and reachable ('hcipTool scan'), or wait "
                             "longer with --timeout\n",
                             type, answerCode, options_.timeoutMs);
                return Outcome::NoAnswer;
            }
            const std::optional<Answer> answer = print(datagram);
            if (!answer || answer->kind != answerKind || answer->type != type ||
                answer->code != answerCode) {
                continue;
            }
            if (answer->acknowledged) {
                return Outcome::Positive;
            }
            refused = true;
            if (unicastRequest || fromTarget(datagram.from)) {
                std::fprintf(stderr, "hcipTool: the device answered NAK\n");
                return Outcome::Negative;
            }
        }
    }

    // Asks every device for its setup ("ETH_REQ") and waits for the answer of the one at --to:
    // true when that device has `mac`. A unicast setting is sent only then, so a wrong or
    // reassigned address cannot change another device.
    bool targetHasMac(const MacAddress& mac) {
        if (!sendBroadcast(buildRequest(kEthReq, nullptr))) {
            return false;
        }
        const std::string target = dottedText(Bytes(options_.to->begin(), options_.to->end()), 0);
        const auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
        Datagram datagram;
        for (;;) {
            std::string error;
            const UdpEndpoint::Wait wait = endpoint_.receive(deadline, datagram, error);
            if (wait == UdpEndpoint::Wait::Failed) {
                std::fprintf(stderr, "hcipTool: %s\n", error.c_str());
                return false;
            }
            if (wait == UdpEndpoint::Wait::Timeout) {
                std::fprintf(stderr,
                             "hcipTool: no device at %s answered the scan within %lu ms, so "
                             "nothing was changed: check the address ('hcipTool scan' lists the "
                             "devices), the interface (--interface), or wait longer with "
                             "--timeout\n",
                             target.c_str(), options_.timeoutMs);
                return false;
            }
            const std::optional<Answer> answer = print(datagram);
            if (!answer || answer->kind != Answer::Kind::DeviceInfo || !fromTarget(datagram.from)) {
                continue;
            }
            if (answer->deviceMac == mac) {
                return true;
            }
            const Bytes found(answer->deviceMac.begin(), answer->deviceMac.end());
            const Bytes named(mac.begin(), mac.end());
            std::fprintf(stderr,
                         "hcipTool: the device at %s is %s, not %s, so nothing was changed: "
                         "check the address and the MAC ('hcipTool scan' lists both)\n",
                         target.c_str(), macText(found, 0).c_str(), macText(named, 0).c_str());
            return false;
        }
    }

    // Listens for the whole timeout; returns how many datagrams arrived and, of them, how many
    // decoded as `countedKind`.
    std::pair<size_t, size_t> collectAll(std::optional<Answer::Kind> countedKind) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
        size_t received = 0;
        size_t counted = 0;
        Datagram datagram;
        for (;;) {
            std::string error;
            const UdpEndpoint::Wait wait = endpoint_.receive(deadline, datagram, error);
            if (wait == UdpEndpoint::Wait::Failed) {
                std::fprintf(stderr, "hcipTool: %s\n", error.c_str());
                break;
            }
            if (wait == UdpEndpoint::Wait::Timeout) {
                break;
            }
            ++received;
            const std::optional<Answer> answer = print(datagram);
            if (answer && countedKind && answer->kind == *countedKind) {
                ++counted;
            }
        }
        return {received, counted};
    }

private:
    bool send(const Bytes& datagram, const sockaddr_in& to) {
        std::string error;
        // Opened at the first request, so a usage error is reported before any socket trouble.
        if (!endpoint_.isOpen() && !endpoint_.open(options_.interfaceName, error)) {
            std::fprintf(stderr, "hcipTool: %s\n", error.c_str());
            return false;
        }
        if (options_.verbose) {
            std::fprintf(stderr, "request to %s %s\n", endpointText(to).c_str(),
                         hexBytes(datagram).c_str());
        }
        if (!endpoint_.sendTo(datagram, to, error)) {
            std::fprintf(stderr, "hcipTool: %s\n", error.c_str());
            return false;
        }
        return true;
    }

    bool fromTarget(const sockaddr_in& from) const {
        return options_.to &&
               std::memcmp(&from.sin_addr.s_addr, options_.to->data(), options_.to->size()) == 0;
    }

    static std::optional<Answer> print(const Datagram& datagram) {
        std::printf("answer from %s", endpointText(datagram.from).c_str());
        if (!datagram.bytes.empty()) {
            std::printf(" %s", hexBytes(datagram.bytes).c_str());
        }
        std::printf("\n");
        std::optional<Answer> answer = decodeAnswer(datagram.bytes);
        if (answer) {
            std::printf("%s\n", answer->description.c_str());
        }
        return answer;
    }

    UdpEndpoint& endpoint_;
    const Options& options_;
};

int exitStatus(Outcome outcome) {
    return outcome == Outcome::Positive ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------
// Command line.

constexpr int kExitUsage = 2;

struct UsageError {
    std::string message;
};

// A change asked for on a terminal without --yes.
struct NotConfirmed {
    std::string command;
};

// Every command that changes a device, and raw bytes that carry one of their words.
const RequestForm* const kChangingForms[] = {&kSetDhcpMode, &kSetIpAdr,  &kE2pDefault,
                                             &kSetDhcpName, &kSetMacAdr, &kSetNetmask,
                                             &kSetGateway,  &kSetPriDns, &kSetSecDns};

bool carriesChangingWord(const Bytes& bytes) {
    for (const RequestForm* form : kChangingForms) {
        const size_t length = std::strlen(form->word);
        if (std::search(bytes.begin(), bytes.end(), form->word, form->word + length) !=
            bytes.end()) {
            return true;
        }
    }
    return false;
}

void confirmChange(const Options& options, const std::string& commandName) {
    if (!options.yes && runByPerson()) {
        throw NotConfirmed{commandName};
    }
}

struct Command {
    std::string name;
    std::vector<std::string> args;
};

MacAddress macArgument(const std::string& text) {
    const std::optional<MacAddress> mac = parseMac(text);
    if (!mac) {
        throw UsageError{"not a MAC address (six hex pairs joined by ':'): '" + text + "'"};
    }
    return *mac;
}

Ipv4Address addressArgument(const std::string& text) {
    const std::optional<Ipv4Address> address = parseDotted(text);
    if (!address) {
        throw UsageError{"not a dotted IPv4 address (four numbers 0-255): '" + text + "'"};
    }
    return *address;
}

void expectArgs(const Command& command, size_t count) {
    if (command.args.size() != count) {
        throw UsageError{"'" + command.name + "' takes " + std::to_string(count) + " argument" +
                         (count == 1 ? "" : "s")};
    }
}

void requireTarget(const Options& options, const std::string& commandName) {
    if (!options.to) {
        throw UsageError{"'" + commandName +
                         "' sends unicast requests: give the device's current address with "
                         "--to ADDR"};
    }
}

struct UnicastStep {
    const RequestForm& form;
    Bytes value;
};

// Sends one unicast request and waits for its acknowledgement.
Outcome unicastSetting(HcipClient& client, const UnicastStep& step) {
    if (!client.sendUnicast(buildRequest(step.form, nullptr, step.value))) {
        return Outcome::NoAnswer;
    }
    return client.awaitAnswer(UDP_TYPECODE, Answer::Kind::Ack, step.form.code, true);
}

// Sends one MAC-addressed broadcast request and waits for its acknowledgement.
Outcome broadcastSetting(HcipClient& client, const RequestForm& form, const MacAddress& mac,
                         Bytes value) {
    if (!client.sendBroadcast(buildRequest(form, &mac, std::move(value)))) {
        return Outcome::NoAnswer;
    }
    return client.awaitAnswer(BROADCAST_TYPECODE, Answer::Kind::Ack, form.code, false);
}

Bytes ipAndGateway(const Ipv4Address& address, const Ipv4Address& gateway) {
    Bytes value = addressBytes(address);
    value.insert(value.end(), gateway.begin(), gateway.end());
    return value;
}

// The complete manual setup. The device takes address and gateway by MAC, then netmask and
// both DNS servers at its current address, and writes the whole setup when the last of these
// arrives, confirming with a broadcast-class answer of code 0x03. A broadcast-class request
// between the steps would cancel the pending setup on the device, so none is sent.
int runSetStatic(HcipClient& client, const Options& options, const Command& command) {
    expectArgs(command, 6);
    requireTarget(options, command.name);
    const MacAddress mac = macArgument(command.args[0]);
    const Ipv4Address address = addressArgument(command.args[1]);
    const Ipv4Address mask = addressArgument(command.args[2]);
    const Ipv4Address gateway = addressArgument(command.args[3]);
    const Ipv4Address dns1 = addressArgument(command.args[4]);
    const Ipv4Address dns2 = addressArgument(command.args[5]);
    confirmChange(options, command.name);
    if (!client.targetHasMac(mac)) {
        return 1;
    }

    bool allAcknowledged = true;
    // A NAK does not stop the sequence: devices have been seen to answer the address setting
    // with NAK although they took it, and only the remaining steps show whether the setup
    // completes. A step without any answer does stop it.
    Outcome outcome = broadcastSetting(client, kSetIpAdr, mac, ipAndGateway(address, gateway));
    if (outcome == Outcome::NoAnswer) {
        std::fprintf(stderr, "hcipTool: set-static stopped: no answer to \"SET_IPADR\"\n");
        return 1;
    }
    allAcknowledged = allAcknowledged && outcome == Outcome::Positive;

    const UnicastStep steps[] = {
        {kSetNetmask, addressBytes(mask)},
        {kSetPriDns, addressBytes(dns1)},
        {kSetSecDns, addressBytes(dns2)},
    };
    for (const UnicastStep& step : steps) {
        outcome = unicastSetting(client, step);
        if (outcome == Outcome::NoAnswer) {
            std::fprintf(stderr, "hcipTool: set-static stopped: no answer to \"%s\"\n",
                         step.form.word);
            return 1;
        }
        allAcknowledged = allAcknowledged && outcome == Outcome::Positive;
    }

    // The completion answer follows the last acknowledgement without a request of its own; it
    // comes from the device just configured, so it settles the wait whatever its status.
    outcome = client.awaitAnswer(BROADCAST_TYPECODE, Answer::Kind::Ack, kSetIpAdrCode, true);
    if (outcome == Outcome::NoAnswer) {
        std::fprintf(stderr, "hcipTool: set-static: the device did not confirm the setup\n");
        return 1;
    }
    allAcknowledged = allAcknowledged && outcome == Outcome::Positive;
    return allAcknowledged ? 0 : 1;
}

int runCommand(HcipClient& client, const Options& options, const Command& command) {
    const std::string& name = command.name;
    if (name == "scan") {
        expectArgs(command, 0);
        if (!client.sendBroadcast(buildRequest(kEthReq, nullptr))) {
            return 1;
        }
        return client.collectAll(Answer::Kind::DeviceInfo).second > 0 ? 0 : 1;
    }
    if (name == "version") {
        expectArgs(command, 0);
        if (options.to) {
            if (!client.sendUnicast(buildRequest(kGetVersionUcast, nullptr))) {
                return 1;
            }
            return exitStatus(
                client.awaitAnswer(UDP_TYPECODE, Answer::Kind::Version, kVersionCode, true));
        }
        if (!client.sendBroadcast(buildRequest(kGetVersionBcast, nullptr))) {
            return 1;
        }
        return exitStatus(
            client.awaitAnswer(BROADCAST_TYPECODE, Answer::Kind::Version, kVersionCode, false));
    }
    if (name == "model" || name == "model-name") {
        expectArgs(command, 1);
        const MacAddress mac = macArgument(command.args[0]);
        const bool wantName = name == "model-name";
        const RequestForm& form = wantName ? kGetModelName : kGetModel;
        if (!client.sendBroadcast(buildRequest(form, &mac))) {
            return 1;
        }
        return exitStatus(client.awaitAnswer(
            BROADCAST_TYPECODE, wantName ? Answer::Kind::ModelName : Answer::Kind::ModelInfo,
            wantName ? kModelNameCode : kModelInfoCode, false));
    }
    if (name == "set-dhcp") {
        expectArgs(command, 2);
        const MacAddress mac = macArgument(command.args[0]);
        const std::string& mode = command.args[1];
        if (mode != "on" && mode != "off" && mode != "1" && mode != "0") {
            throw UsageError{"set-dhcp takes on or off, not '" + mode + "'"};
        }
        const uint8_t flag = (mode == "on" || mode == "1") ? 0x01 : 0x00;
        confirmChange(options, name);
        return exitStatus(broadcastSetting(client, kSetDhcpMode, mac, Bytes{flag}));
    }
    if (name == "set-ip") {
        expectArgs(command, 3);
        const MacAddress mac = macArgument(command.args[0]);
        const Ipv4Address address = addressArgument(command.args[1]);
        const Ipv4Address gateway = addressArgument(command.args[2]);
        confirmChange(options, name);
        return exitStatus(broadcastSetting(client, kSetIpAdr, mac, ipAndGateway(address, gateway)));
    }
    if (name == "factory") {
        expectArgs(command, 1);
        const MacAddress mac = macArgument(command.args[0]);
        confirmChange(options, name);
        return exitStatus(broadcastSetting(client, kE2pDefault, mac, {}));
    }
    if (name == "set-netmask" || name == "set-gateway" || name == "set-dns1" ||
        name == "set-dns2" || name == "set-name" || name == "set-mac") {
        expectArgs(command, 2);
        requireTarget(options, name);
        const MacAddress mac = macArgument(command.args[0]);
        const std::string& text = command.args[1];
        const RequestForm* form = &kSetSecDns;
        Bytes value;
        if (name == "set-name") {
            if (text.size() > kMaxNameLength) {
                std::fprintf(stderr,
                             "hcipTool: only the first %zu characters of the name are sent\n",
                             kMaxNameLength);
            }
            form = &kSetDhcpName;
            value = nameField(text);
        } else if (name == "set-mac") {
            const MacAddress newMac = macArgument(text);
            form = &kSetMacAdr;
            value.assign(newMac.begin(), newMac.end());
        } else {
            form = name == "set-netmask"   ? &kSetNetmask
                   : name == "set-gateway" ? &kSetGateway
                   : name == "set-dns1"    ? &kSetPriDns
                                           : &kSetSecDns;
            value = addressBytes(addressArgument(text));
        }
        confirmChange(options, name);
        if (!client.targetHasMac(mac)) {
            return 1;
        }
        return exitStatus(unicastSetting(client, {*form, value}));
    }
    if (name == "set-static") {
        return runSetStatic(client, options, command);
    }
    if (name == "raw") {
        if (command.args.empty()) {
            throw UsageError{"raw takes the bytes to send, in hex"};
        }
        const std::optional<Bytes> bytes = hexPairs(command.args);
        if (!bytes) {
            throw UsageError{"raw takes hex digits in pairs (blanks, ':' or '-' between pairs)"};
        }
        if (bytes->size() > kMaxDatagramLength) {
            throw UsageError{"raw: more bytes than one UDP datagram holds"};
        }
        if (carriesChangingWord(*bytes)) {
            confirmChange(options, name);
        }
        const bool sent = options.to ? client.sendUnicast(*bytes) : client.sendBroadcast(*bytes);
        if (!sent) {
            return 1;
        }
        return client.collectAll(std::nullopt).first > 0 ? 0 : 1;
    }
    throw UsageError{"unknown command '" + name + "'"};
}

// Options come before the command; "--" ends them, for a name that starts with "--".
Command parseCommandLine(int argc, char** argv, Options& options, bool& helpWanted) {
    Command command;
    int index = 1;
    for (; index < argc; ++index) {
        std::string arg = argv[index];
        if (arg == "--") {
            ++index;
            break;
        }
        if (arg == "-h" || arg == "--help") {
            helpWanted = true;
            return command;
        }
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            break;
        }
        if (arg == "--verbose") {
            options.verbose = true;
            continue;
        }
        if (arg == "--yes") {
            options.yes = true;
            continue;
        }
        LongOption option;
        std::string error;
        if (!readLongOption(argc, argv, index, {"--interface", "--port", "--timeout", "--to"},
                            option, error)) {
            throw UsageError{error};
        }
        arg = option.name;
        const std::string& value = option.value;
        if (arg == "--interface") {
            if (value.empty() || value.size() >= IFNAMSIZ) {
                throw UsageError{"not an interface name: '" + value + "'"};
            }
            options.interfaceName = value;
        } else if (arg == "--port") {
            const std::optional<unsigned long> port = parseUnsigned(value, 65535);
            if (!port || *port == 0) {
                throw UsageError{"not a port (1-65535): '" + value + "'"};
            }
            options.port = static_cast<uint16_t>(*port);
        } else if (arg == "--timeout") {
            const std::optional<unsigned long> timeout = parseUnsigned(value, 3600000);
            if (!timeout) {
                throw UsageError{"not a timeout in milliseconds (0-3600000): '" + value + "'"};
            }
            options.timeoutMs = *timeout;
        } else if (arg == "--to") {
            options.to = addressArgument(value);
        } else {
            throw UsageError{"unknown option '" + arg + "'"};
        }
    }
    if (index >= argc) {
        throw UsageError{"no command given"};
    }
    command.name = argv[index++];
    for (; index < argc; ++index) {
        command.args.emplace_back(argv[index]);
    }
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    // Tests read the output while the tool still listens, so lines go out as they are made.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    Options options;
    bool helpWanted = false;
    try {
        const Command command = parseCommandLine(argc, argv, options, helpWanted);
        if (helpWanted) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        UdpEndpoint endpoint;
        HcipClient client(endpoint, options);
        return runCommand(client, options, command);
    } catch (const UsageError& usage) {
        std::fprintf(stderr, "hcipTool: %s\n\n%s", usage.message.c_str(), kUsage);
        return kExitUsage;
    } catch (const NotConfirmed& notConfirmed) {
        std::fprintf(stderr,
                     "hcipTool: '%s' changes a device's network setup; nothing was sent. Check "
                     "the command and run it again with --yes\n",
                     notConfirmed.command.c_str());
        return kExitUsage;
    }
}
