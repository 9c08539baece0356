// The device side of the configuration protocol on bytes alone: the answers the panel's discovery
// and remote setup take as given from the virtual devices, and what each request leaves of the
// device's identity.
#include <gtest/gtest.h>

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
        for (std::string& field : out) {
            if (field.rfind(change.substr(0, change.find('=') + 1), 0) == 0) {
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

struct Case {
    const char* name;
    const char* request;  // hex and 'text' as bytes() reads them
    const char* answer;   // "" when none comes
    bool toBroadcast;
    const char* changes;  // fields of the identity line that differ afterwards
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << c.name;
}

class Answered : public ::testing::TestWithParam<Case> {};

TEST_P(Answered, ExactAnswerAndIdentity) {
    const Case& c = GetParam();
    HcipIdentity id = camera();
    const HcipOutcome outcome = hcipRespond(id, bytes(c.request));
    if (*c.answer == '\0') {
        EXPECT_TRUE(outcome.answers.empty());
        EXPECT_FALSE(outcome.ignored.empty()) << "no reason given for the log";
    } else {
        ASSERT_EQ(outcome.answers.size(), 1u);
        EXPECT_EQ(hex(outcome.answers[0].bytes), hex(bytes(c.answer)));
        EXPECT_EQ(outcome.answers[0].toBroadcast, c.toBroadcast);
        EXPECT_TRUE(outcome.ignored.empty()) << outcome.ignored;
    }
    EXPECT_EQ(identityLine(id), cameraLineWith(c.changes));
    EXPECT_EQ(id.requests, 1u);
}

#define MAC "02 A4 5C 07 12 AB "
#define OTHER_MAC "02 A4 5C 07 12 AC "

// clang-format off
const Case kCases[] = {
    // Broadcast class, answered to the broadcast address; all but the scan name the device by MAC.
    {"Scan", "00 0B 80 00 'ETH_REQ'",
     "00 2F 80 00 00 'CAM-01' 00 00 00 00 00 00 00 00 00 00 02 A4 5C 07 12 AB 0A 4D 00 15 "
     "FF FF FF 00 0A 4D 00 01 09 09 09 09 08 08 04 04", true, ""},
    {"FirmwareVersion", "00 13 80 01 " MAC "'FWVER_REQ'", "00 05 80 01 06", true, ""},
    {"FirmwareOtherDevice", "00 13 80 01 " OTHER_MAC "'FWVER_REQ'", "", true, ""},
    {"DhcpOn", "00 17 80 02 " MAC "'SET_DHCPMODE' 01", "00 05 80 02 06", true, "dhcp=1"},
    {"DhcpOtherDeviceNak", "00 17 80 02 " OTHER_MAC "'SET_DHCPMODE' 01", "00 05 80 02 15", true,
     ""},
    {"ModelName", "00 18 80 41 " MAC "'GET_MODEL_NAME'",
     "00 14 80 41 'VIRTUAL PTZ' 00 00 00 00 00", true, ""},
    {"ModelCodes", "00 13 80 40 " MAC "'GET_MODEL'", "00 08 80 40 05 99 41 02", true, ""},
    {"Address", "00 1B 80 03 " MAC "'SET_IPADR' 0A 4D 00 32 0A 4D 00 FE", "00 05 80 03 06", true,
     "address=10.77.0.50 gateway=10.77.0.254"},
    {"AddressWithoutFullGatewayNak", "00 1A 80 03 " MAC "'SET_IPADR' 0A 4D 00 32 0A 4D 00",
     "00 05 80 03 15", true, ""},
    {"AddressOtherDevice", "00 1B 80 03 " OTHER_MAC "'SET_IPADR' 0A 4D 00 32 0A 4D 00 FE", "",
     true, ""},
    {"Reset", "00 0F 80 04 " MAC "'RESET'", "00 05 80 04 06", true, "resets=1"},
    {"ResetOtherDevice", "00 0F 80 04 " OTHER_MAC "'RESET'", "", true, ""},
    {"SettingInBroadcastClass", "00 13 80 0B 'SET_NETMASK' FF FF 00 00", "", true, ""},
    // Unicast class, answered to the sender.
    {"HostName", "00 20 81 09 'SET_DHCPNAME' 'STUDIO-CAM-7' 00 00 00 00", "00 05 81 09 06",
     false, "name=STUDIO-CAM-7"},
    {"Mac", "00 14 81 0A 'SET_MACADR' 02 A4 5C 09 00 07", "00 05 81 0A 06", false,
     "mac=02:A4:5C:09:00:07"},
    {"Netmask", "00 13 81 0B 'SET_NETMASK' FF FF 00 00", "00 05 81 0B 06", false,
     "netmask=255.255.0.0"},
    {"NetmaskShortNak", "00 12 81 0B 'SET_NETMASK' FF FF 00", "00 05 81 0B 15", false, ""},
    {"Gateway", "00 13 81 0C 'SET_GATEWAY' 0A 4D 00 FE", "00 05 81 0C 06", false,
     "gateway=10.77.0.254"},
    {"PrimaryDns", "00 12 81 0D 'SET_PRIDNS' 01 01 01 01", "00 05 81 0D 06", false,
     "dns1=1.1.1.1"},
    {"SecondaryDns", "00 12 81 0E 'SET_SECDNS' 01 00 00 01", "00 05 81 0E 06", false,
     "dns2=1.0.0.1"},
    {"ScanInUnicastClass", "00 0B 81 00 'ETH_REQ'", "", false, ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Requests, Answered, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
