// The device side of the configuration protocol on bytes alone: each request as it travels, the
// exact answers, and what the request left of the device's identity.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hcipResponder.h"
#include "spelledBytes.h"

namespace {

// The device of every case: CAM-01, 02:A4:5C:07:12:AB, static 10.77.0.21/24.
HcipIdentity camera() {
    HcipIdentity id;
    id.hostName = "CAM-01";
    id.mac = {0x02, 0xA4, 0x5C, 0x07, 0x12, 0xAB};
    id.address = {10, 77, 0, 21};
    id.netmask = {255, 255, 255, 0};
    id.gateway = {10, 77, 0, 1};
    id.dns1 = {9, 9, 9, 9};
    id.dns2 = {8, 8, 4, 4};
    return id;
}

const std::string kCameraLine =
    "name=CAM-01 mac=02:A4:5C:07:12:AB dhcp=0 address=10.77.0.21 netmask=255.255.255.0 "
    "gateway=10.77.0.1 dns1=9.9.9.9 dns2=8.8.4.4 resets=0";

// kCameraLine with some fields changed: "dhcp=1 resets=1".
std::string cameraLineWith(const std::string& changes) {
    std::istringstream fields(kCameraLine);
    std::istringstream changed(changes);
    std::vector<std::string> out;
    for (std::string field; fields >> field;) {
        out.push_back(field);
    }
    for (std::string change; changed >> change;) {
        const std::string key = change.substr(0, change.find('=') + 1);
        for (std::string& field : out) {
            if (field.rfind(key, 0) == 0) {
                field = change;
            }
        }
    }
    std::string line;
    for (const std::string& field : out) {
        line += (line.empty() ? "" : " ") + field;
    }
    return line;
}

struct Expected {
    const char* answer;  // hex and 'text' as bytes() reads them
    bool toBroadcast;
};

struct Case {
    const char* name;
    const char* request;
    std::vector<Expected> answers;
    const char* changes;  // fields of the identity line that differ afterwards
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << c.name;
}

class Answered : public ::testing::TestWithParam<Case> {};

TEST_P(Answered, ExactAnswersAndIdentity) {
    const Case& c = GetParam();
    HcipIdentity id = camera();
    const HcipOutcome outcome = hcipRespond(id, bytes(c.request));
    ASSERT_EQ(outcome.answers.size(), c.answers.size());
    for (std::size_t i = 0; i < c.answers.size(); ++i) {
        EXPECT_EQ(hex(outcome.answers[i].bytes), hex(bytes(c.answers[i].answer))) << i;
        EXPECT_EQ(outcome.answers[i].toBroadcast, c.answers[i].toBroadcast) << i;
    }
    EXPECT_TRUE(outcome.ignored.empty()) << outcome.ignored;
    EXPECT_EQ(identityLine(id), cameraLineWith(c.changes));
    EXPECT_EQ(id.requests, 1u);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

#define MAC "02 A4 5C 07 12 AB "
#define OTHER_MAC "02 A4 5C 07 12 AC "

const char kDeviceInformation[] =
    "00 2F 80 00 00 'CAM-01' 00 00 00 00 00 00 00 00 00 00 02 A4 5C 07 12 AB 0A 4D 00 15 "
    "FF FF FF 00 0A 4D 00 01 09 09 09 09 08 08 04 04";

// clang-format off
const Case kBroadcastClass[] = {
    {"Scan", "00 0B 80 00 'ETH_REQ'", {{kDeviceInformation, true}}, ""},
    // Only byte 2 and the word count: not the length field, the code or where the word stands.
    {"ScanAnyLengthCodeAndPlace", "FF FF 80 7F 01 02 'ETH_REQ' 03", {{kDeviceInformation, true}},
     ""},
    {"FirmwareVersion", "00 13 80 01 " MAC "'FWVER_REQ'", {{"00 05 80 01 06", true}}, ""},
    {"DhcpOn", "00 17 80 02 " MAC "'SET_DHCPMODE' 01", {{"00 05 80 02 06", true}}, "dhcp=1"},
    {"DhcpAnyNonZeroIsOn", "00 17 80 02 " MAC "'SET_DHCPMODE' 02", {{"00 05 80 02 06", true}},
     "dhcp=1"},
    {"DhcpOff", "00 17 80 02 " MAC "'SET_DHCPMODE' 00", {{"00 05 80 02 06", true}}, ""},
    {"DhcpOtherDeviceNak", "00 17 80 02 " OTHER_MAC "'SET_DHCPMODE' 01", {{"00 05 80 02 15", true}},
     ""},
    {"DhcpWithoutFlagNak", "00 16 80 02 " MAC "'SET_DHCPMODE'", {{"00 05 80 02 15", true}}, ""},
    {"DhcpWithoutMacNak", "00 10 80 02 'SET_DHCPMODE'", {{"00 05 80 02 15", true}}, ""},
    {"ModelName", "00 18 80 41 " MAC "'GET_MODEL_NAME'",
     {{"00 14 80 41 'VIRTUAL PTZ' 00 00 00 00 00", true}}, ""},
    {"ModelCodes", "00 13 80 40 " MAC "'GET_MODEL'", {{"00 08 80 40 05 99 41 02", true}}, ""},
    {"Address", "00 1B 80 03 " MAC "'SET_IPADR' 0A 4D 00 32 0A 4D 00 FE",
     {{"00 05 80 03 06", true}}, "address=10.77.0.50 gateway=10.77.0.254"},
    {"AddressWithoutFullGatewayNak", "00 1A 80 03 " MAC "'SET_IPADR' 0A 4D 00 32 0A 4D 00",
     {{"00 05 80 03 15", true}}, ""},
    {"Reset", "00 0F 80 04 " MAC "'RESET'", {{"00 05 80 04 06", true}}, "resets=1"},
    // Several words in one datagram: an answer for each, in the device's order.
    {"ResetAndScan", "00 16 80 04 " MAC "'RESET' 'ETH_REQ'",
     {{kDeviceInformation, true}, {"00 05 80 04 06", true}}, "resets=1"},
};

const Case kUnicastClass[] = {
    {"HostName", "00 20 81 09 'SET_DHCPNAME' 'STUDIO-CAM-7' 00 00 00 00",
     {{"00 05 81 09 06", false}}, "name=STUDIO-CAM-7"},
    {"HostNameToTheEndAtMost16", "00 22 81 09 'SET_DHCPNAME' 'ABCDEFGHIJKLMNOPQR'",
     {{"00 05 81 09 06", false}}, "name=ABCDEFGHIJKLMNOP"},
    {"HostNameOddBytesShownEscaped", "00 20 81 09 'SET_DHCPNAME' 'CAM 7\\' 0A 00",
     {{"00 05 81 09 06", false}}, "name=CAM\\x207\\x5C\\x0A"},
    {"HostNameEmpty", "00 20 81 09 'SET_DHCPNAME' 00 41 42", {{"00 05 81 09 06", false}}, "name="},
    {"Mac", "00 14 81 0A 'SET_MACADR' 02 A4 5C 09 00 07", {{"00 05 81 0A 06", false}},
     "mac=02:A4:5C:09:00:07"},
    {"MacShortNak", "00 13 81 0A 'SET_MACADR' 02 A4 5C 09 00", {{"00 05 81 0A 15", false}}, ""},
    {"Netmask", "00 13 81 0B 'SET_NETMASK' FF FF 00 00", {{"00 05 81 0B 06", false}},
     "netmask=255.255.0.0"},
    {"NetmaskShortNak", "00 12 81 0B 'SET_NETMASK' FF FF 00", {{"00 05 81 0B 15", false}}, ""},
    {"Gateway", "00 13 81 0C 'SET_GATEWAY' 0A 4D 00 FE", {{"00 05 81 0C 06", false}},
     "gateway=10.77.0.254"},
    {"GatewayShortNak", "00 12 81 0C 'SET_GATEWAY' 0A 4D 00", {{"00 05 81 0C 15", false}}, ""},
    {"PrimaryDns", "00 12 81 0D 'SET_PRIDNS' 01 01 01 01", {{"00 05 81 0D 06", false}},
     "dns1=1.1.1.1"},
    {"PrimaryDnsShortNak", "00 11 81 0D 'SET_PRIDNS' 01 01 01", {{"00 05 81 0D 15", false}}, ""},
    {"SecondaryDns", "00 12 81 0E 'SET_SECDNS' 01 00 00 01", {{"00 05 81 0E 06", false}},
     "dns2=1.0.0.1"},
    {"SecondaryDnsShortNak", "00 11 81 0E 'SET_SECDNS' 01 00 00", {{"00 05 81 0E 15", false}}, ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(BroadcastClass, Answered, ::testing::ValuesIn(kBroadcastClass), caseName);
INSTANTIATE_TEST_SUITE_P(UnicastClass, Answered, ::testing::ValuesIn(kUnicastClass), caseName);

// Datagrams that get no answer: the reason is given for the log, and nothing changes.
struct Unanswered {
    const char* name;
    const char* request;
    const char* reason;  // part of what the responder says
};

std::ostream& operator<<(std::ostream& os, const Unanswered& c) {
    return os << c.name;
}

class Ignored : public ::testing::TestWithParam<Unanswered> {};

TEST_P(Ignored, NoAnswerAReasonAndNoChange) {
    const Unanswered& c = GetParam();
    HcipIdentity id = camera();
    const HcipOutcome outcome = hcipRespond(id, bytes(c.request));
    EXPECT_TRUE(outcome.answers.empty());
    EXPECT_TRUE(outcome.changes.empty());
    EXPECT_NE(outcome.ignored.find(c.reason), std::string::npos) << outcome.ignored;
    EXPECT_EQ(identityLine(id), kCameraLine);
    EXPECT_EQ(id.requests, 1u);
}

// clang-format off
const Unanswered kUnanswered[] = {
    {"Empty", "", "shorter than 3 bytes"},
    {"TwoBytes", "00 0B", "shorter than 3 bytes"},
    {"UnknownClass", "00 0B 82 00 'ETH_REQ'", "unknown class 0x82"},
    {"ScanInUnicastClass", "00 0B 81 00 'ETH_REQ'", "no known command word for class 0x81"},
    {"SettingInBroadcastClass", "00 13 80 0B 'SET_NETMASK' FF FF 00 00",
     "no known command word for class 0x80"},
    {"WordInOtherCase", "00 0B 80 00 'eth_req'", "no known command word"},
    {"FirmwareOtherDevice", "00 13 80 01 " OTHER_MAC "'FWVER_REQ'",
     "\"FWVER_REQ\" for MAC 02:A4:5C:07:12:AC"},
    {"ModelNameOtherDevice", "00 18 80 41 " OTHER_MAC "'GET_MODEL_NAME'", "\"GET_MODEL_NAME\" for"},
    {"ModelOtherDevice", "00 13 80 40 " OTHER_MAC "'GET_MODEL'", "\"GET_MODEL\" for"},
    {"AddressOtherDevice", "00 1B 80 03 " OTHER_MAC "'SET_IPADR' 0A 4D 00 32 0A 4D 00 FE",
     "\"SET_IPADR\" for"},
    {"ResetOtherDevice", "00 0F 80 04 " OTHER_MAC "'RESET'", "\"RESET\" for"},
    // Shorter than 10 bytes: no room for a MAC, so it names no device.
    {"ResetWithoutMac", "00 09 80 04 'RESET'", "\"RESET\" for no MAC (9 bytes)"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Requests, Ignored, ::testing::ValuesIn(kUnanswered),
                         [](const ::testing::TestParamInfo<Unanswered>& info) {
                             return std::string(info.param.name);
                         });

TEST(HcipResponder, NameOfSixteenFillsItsFieldWithoutTerminator) {
    HcipIdentity id = camera();
    id.hostName = "ABCDEFGHIJKLMNOPQRS";  // more than goes out
    const HcipOutcome outcome = hcipRespond(id, bytes("00 0B 80 00 'ETH_REQ'"));
    ASSERT_EQ(outcome.answers.size(), 1u);
    EXPECT_EQ(hex(outcome.answers[0].bytes),
              hex(bytes("00 2F 80 00 00 'ABCDEFGHIJKLMNOP' 02 A4 5C 07 12 AB 0A 4D 00 15 "
                        "FF FF FF 00 0A 4D 00 01 09 09 09 09 08 08 04 04")));
}

TEST(HcipResponder, ModelNameOfSixteenAndOwnCodes) {
    HcipIdentity id = camera();
    id.modelName = "ORB310-PTZ-UHD-X";
    id.modelCodes = {0x05, 0x88, 0x40, 0x01};
    HcipOutcome outcome = hcipRespond(id, bytes("00 18 80 41 " MAC "'GET_MODEL_NAME'"));
    ASSERT_EQ(outcome.answers.size(), 1u);
    EXPECT_EQ(hex(outcome.answers[0].bytes), hex(bytes("00 14 80 41 'ORB310-PTZ-UHD-X'")));
    outcome = hcipRespond(id, bytes("00 13 80 40 " MAC "'GET_MODEL'"));
    ASSERT_EQ(outcome.answers.size(), 1u);
    EXPECT_EQ(hex(outcome.answers[0].bytes), hex(bytes("00 08 80 40 05 88 40 01")));
}

// A scan after a setup reports the new values; counters keep counting.
TEST(HcipResponder, ScanReportsWhatTheSetupLeft) {
    HcipIdentity id = camera();
    const char* const setup[] = {
        "00 17 80 02 " MAC "'SET_DHCPMODE' 01",
        "00 1B 80 03 " MAC "'SET_IPADR' C0 A8 01 1E C0 A8 01 01",
        "00 13 81 0B 'SET_NETMASK' FF FF 00 00",
        "00 12 81 0D 'SET_PRIDNS' 01 01 01 01",
        "00 12 81 0E 'SET_SECDNS' 01 00 00 01",
        "00 20 81 09 'SET_DHCPNAME' 'CAM-30' 00 00 00 00 00 00 00 00 00 00",
        "00 14 81 0A 'SET_MACADR' 02 A4 5C 05 00 1E",
        "00 0F 80 04 02 A4 5C 05 00 1E 'RESET'",
    };
    for (const char* request : setup) {
        ASSERT_EQ(hcipRespond(id, bytes(request)).answers.size(), 1u) << request;
    }
    const HcipOutcome scan = hcipRespond(id, bytes("00 0B 80 00 'ETH_REQ'"));
    ASSERT_EQ(scan.answers.size(), 1u);
    EXPECT_EQ(hex(scan.answers[0].bytes),
              hex(bytes("00 2F 80 00 01 'CAM-30' 00 00 00 00 00 00 00 00 00 00 02 A4 5C 05 00 1E "
                        "C0 A8 01 1E FF FF 00 00 C0 A8 01 01 01 01 01 01 01 00 00 01")));
    EXPECT_EQ(id.requests, 9u);
    EXPECT_EQ(id.resets, 1u);
}

struct MacText {
    const char* text;
    bool valid;
    const char* formatted;
};

TEST(HcipResponder, MacAndDottedText) {
    // clang-format off
    const MacText macs[] = {
        {"02:A4:5C:07:12:AB", true,  "02:A4:5C:07:12:AB"},
        {"02:a4:5c:07:12:ab", true,  "02:A4:5C:07:12:AB"},
        {"00:00:00:00:00:00", true,  "00:00:00:00:00:00"},
        {"02:A4:5C:07:12",    false, ""},
        {"02:A4:5C:07:12:AB:", false, ""},
        {"02-A4-5C-07-12-AB", false, ""},
        {"02:A4:5C:07:12:AG", false, ""},
        {"",                  false, ""},
    };
    const MacText addresses[] = {
        {"10.77.0.2",       true,  "10.77.0.2"},
        {"255.255.255.0",   true,  "255.255.255.0"},
        {"0.0.0.0",         true,  "0.0.0.0"},
        {"010.077.000.002", true,  "10.77.0.2"},
        {"256.1.1.1",       false, ""},
        {"10.77.0",         false, ""},
        {"10.77.0.2.",      false, ""},
        {"10.77.0.2 ",      false, ""},
        {"10..0.2",         false, ""},
        {"1000.1.1.1",      false, ""},
        {"",                false, ""},
    };
    // clang-format on
    for (const MacText& m : macs) {
        const std::optional<HcipMac> mac = parseMacText(m.text);
        ASSERT_EQ(mac.has_value(), m.valid) << m.text;
        if (mac) {
            EXPECT_EQ(macText(*mac), m.formatted);
        }
    }
    for (const MacText& a : addresses) {
        const std::optional<HcipIpv4> address = parseDottedText(a.text);
        ASSERT_EQ(address.has_value(), a.valid) << a.text;
        if (address) {
            EXPECT_EQ(dottedText(*address), a.formatted);
        }
    }
}

// Every answer is a whole frame: its length field is its size, and the size is one of the
// answer kinds (acknowledgement, model codes, model name, device information).
void expectWellFormed(const HcipOutcome& outcome, const std::string& request) {
    for (const HcipAnswer& a : outcome.answers) {
        ASSERT_GE(a.bytes.size(), 4u) << hex(request);
        const std::size_t length =
            static_cast<unsigned char>(a.bytes[0]) * 256u + static_cast<unsigned char>(a.bytes[1]);
        EXPECT_EQ(length, a.bytes.size()) << hex(request);
        EXPECT_TRUE(a.bytes.size() == 5 || a.bytes.size() == 8 || a.bytes.size() == 20 ||
                    a.bytes.size() == 47)
            << hex(request);
    }
    EXPECT_EQ(outcome.answers.empty(), !outcome.ignored.empty()) << hex(request);
}

// Random bytes of every length up to 64, steered towards the classes and the command words so
// that truncated requests of every kind come up, and one datagram of 1 MiB.
TEST(HcipResponder, AnyBytesGiveWholeAnswersOrAReason) {
    const char* const words[] = {"ETH_REQ",    "FWVER_REQ",   "SET_DHCPMODE", "GET_MODEL_NAME",
                                 "GET_MODEL",  "SET_IPADR",   "RESET",        "SET_DHCPNAME",
                                 "SET_MACADR", "SET_NETMASK", "SET_GATEWAY",  "SET_PRIDNS",
                                 "SET_SECDNS"};
    std::mt19937 rng(710);
    std::uniform_int_distribution<int> byte(0, 255);
    HcipIdentity id = camera();
    std::uint64_t handed = 0;
    for (std::size_t length = 0; length <= 64; ++length) {
        for (int round = 0; round < 200; ++round) {
            std::string d(length, '\0');
            for (char& c : d) {
                c = static_cast<char>(byte(rng));
            }
            if (length >= 3 && round % 2 == 0) {
                d[2] = static_cast<char>(round % 4 == 0 ? 0x80 : 0x81);
            }
            // Every second time addressed to this device; mostly a whole word behind the MAC
            // as far as it fits, so the values behind it are cut at every length.
            const bool mine = round % 4 < 2 && length >= 10;
            if (mine) {
                std::copy(id.mac.begin(), id.mac.end(), d.begin() + 4);
            }
            const std::string word = words[static_cast<std::size_t>(round) % 13];
            if (round % 3 != 2 && length >= word.size() + 3) {
                const std::size_t at = std::min(
                    (mine ? 10 : 4) + static_cast<std::size_t>(round) % 3, length - word.size());
                d.replace(at, word.size(), word);
            }
            expectWellFormed(hcipRespond(id, d), d);
            ++handed;
        }
    }
    std::string huge(1 << 20, '\0');
    for (char& c : huge) {
        c = static_cast<char>(byte(rng));
    }
    huge[2] = '\x80';
    huge += "ETH_REQ";
    huge += "SET_IPADR";  // at the very end: no room for its values
    expectWellFormed(hcipRespond(id, huge), "(1 MiB)");
    huge[2] = '\x81';
    huge += "SET_DHCPNAME";
    const HcipOutcome last = hcipRespond(id, huge);
    expectWellFormed(last, "(1 MiB)");
    EXPECT_EQ(id.requests, handed + 2);
    EXPECT_LE(id.hostName.size(), 16u);
}

}  // namespace
