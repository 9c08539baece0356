#include "hcipService.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "linkLog.h"
#include "testBytes.h"

namespace {

// "00 05 80 02 15": lower-case pairs separated by blanks.
std::string hex(const std::string& data) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 1) {
        out += (i == 0 ? "" : " ") + hexOf(data.substr(i, 1));
    }
    return out;
}

// The answers a datagram produced, with where each went.
struct sentAnswer {
    std::string bytes;
    std::string to;  // "a.b.c.d:port"
};

class fakeSystem : public hcipSystem {
public:
    std::optional<ifcfg_t> currentInterface() override {
        if (!interfaceReadable) {
            return std::nullopt;
        }
        ifcfg_t ifc;
        ifc.ifname = "eth0";
        ifc.hwaddr = bytes("02 A4 5C 01 12 AB");
        ifc.ipaddr = "10.77.0.1";
        ifc.netmask = "255.255.255.0";
        return ifc;
    }
    std::string hardwareAddress() override { return mac; }
    std::string netmask() override { return mask; }
    bool writeNewServiceFile(const netconfig::serviceFileSetup& setup) override {
        if (commandsFail) {
            throw std::runtime_error("popen failed!");
        }
        std::string why;
        const auto text = netconfig::serviceFileText(setup, &why);
        if (text) {
            files.push_back(*text);
        }
        return text.has_value();
    }
    bool writeBootMac(const std::string& macText) override {
        bootMacs.push_back(macText);
        return true;
    }

    bool interfaceReadable = true;
    bool commandsFail = false;  // as when no process can be started
    std::string mac;
    std::string mask;
    std::vector<std::string> files;
    std::vector<std::string> bootMacs;
};

sockaddr_in endpoint(const char* address, int port) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &at.sin_addr);
    at.sin_port = htons(static_cast<std::uint16_t>(port));
    return at;
}

const std::string kOwnMac = bytes("02 A4 5C 01 12 AB");
const std::string kOtherMac = bytes("02 A4 5C 07 00 01");
// 55 AA 80 05, major 0x0102, minor 0x0304.
const std::string kMcuVersionAnswer = bytes("55 AA 80 05 01 02 03 04");

class HcipServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([](const char*, const std::string&) {});
        start(panelHcipProfile({}), kMcuVersionAnswer);
    }
    void TearDown() override { setLinkLogSink({}); }

    void start(hcipServiceProfile profile, const std::string& versionAnswer,
               const std::string& mac = kOwnMac, const std::string& netmask = "255.255.255.0") {
        service_ =
            std::make_unique<hcipService>(std::move(profile), system_, versionAnswer, mac, netmask);
    }

    // Hands one datagram from a.b.c.d:port to the service; returns what it sent.
    std::vector<sentAnswer> request(const std::string& datagram, const char* from = "10.77.0.2",
                                    int port = 40000) {
        std::vector<sentAnswer> sent;
        service_->handleDatagram(
            datagram, endpoint(from, port), [&](const std::string& answer, const sockaddr_in& to) {
                char text[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &to.sin_addr, text, sizeof text);
                sent.push_back(
                    {answer, std::string(text) + ":" + std::to_string(ntohs(to.sin_port))});
                return sendsSucceed_;
            });
        return sent;
    }

    fakeSystem system_;
    std::unique_ptr<hcipService> service_;
    bool sendsSucceed_ = true;
};

// Request datagrams as a configuration tool sends them.
const std::string kScan = bytes("00 0B 80 00") + "ETH_REQ";
std::string setDhcpMode(const std::string& mac, const char* flag) {
    return bytes("00 17 80 02") + mac + "SET_DHCPMODE" + bytes(flag);
}
std::string setIpAddress(const std::string& mac) {
    return bytes("00 1B 80 03") + mac + "SET_IPADR" + bytes("0A 4D 00 32 0A 4D 00 FE");
}
const std::string kSetNetmask = bytes("00 13 81 0B") + "SET_NETMASK" + bytes("FF FF 00 00");
const std::string kSetPrimaryDns = bytes("00 12 81 0D") + "SET_PRIDNS" + bytes("09 09 09 09");
const std::string kSetSecondaryDns = bytes("00 12 81 0E") + "SET_SECDNS" + bytes("08 08 04 04");

TEST(HcipFrames, AnswersByteForByte) {
    struct row {
        const char* name;
        std::string built;
        std::string expected;
    };
    hcip::deviceInfoRecord info;
    info.dhcp = true;
    info.hostName = "ZEK-710A";
    info.mac = bytes("02 A4 5C 01 12 AB");
    info.address = "10.77.0.1";
    info.netmask = "255.255.255.0";
    info.gateway = "192.168.100.1";
    info.dns1 = "1.1.1.1";
    info.dns2 = "";  // missing values go out as 255.255.255.255
    const row rows[] = {
        {"device information", packHCIPDeviceInfo(info),
         bytes("00 2F 80 00 01 5A 45 4B 2D 37 31 30 41 00 00 00 00 00 00 00 00 02 A4 5C 01 12 AB"
               " 0A 4D 00 01 FF FF FF 00 C0 A8 64 01 01 01 01 01 FF FF FF FF")},
        {"version", packetHCIPVersion(23, 35, 0x0102, 0x0304, 0x81),
         bytes("00 14 81 42 00 17 00 23 01 02 03 04 00 00 00 00 00 00 00 00")},
        {"version without MCU", packetHCIPVersion(1, 0, -1, -1, 0x80),
         bytes("00 14 80 42 00 01 00 00 FF FF FF FF 00 00 00 00 00 00 00 00")},
        {"model information", packHCIPModelInfo(0x05, 0x88, 0x40, 0x01),
         bytes("00 08 80 40 05 88 40 01")},
        {"model name", packHCIPModelName("ZEK-710A"),
         bytes("00 14 80 41 5A 45 4B 2D 37 31 30 41 00 00 00 00 00 00 00 00")},
        {"broadcast ack", packBroadCastReturnAck(true, 0x02), bytes("00 05 80 02 06")},
        {"broadcast nak", packBroadCastReturnAck(false, 0x06), bytes("00 05 80 06 15")},
        {"unicast ack", packUdpReturnAck(true, 0x0B), bytes("00 05 81 0B 06")},
        {"firmware version", packFWVersion(bytes("01 02 03 04 05 06 07 08")),
         bytes("00 0C 80 01 01 02 03 04 05 06 07 08")},
    };
    for (const row& r : rows) {
        EXPECT_EQ(hex(r.built), hex(r.expected)) << r.name;
    }

    // A 16-character host name fills bytes 5-20 with no terminator.
    info.hostName = "ABCDEFGHIJKLMNOPQRST";
    const std::string full = packHCIPDeviceInfo(info);
    ASSERT_EQ(full.size(), 47u);
    EXPECT_EQ(full.substr(5, 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(hex(full.substr(21, 6)), hex(bytes("02 A4 5C 01 12 AB")));
}

TEST(HcipFrames, BodyReadersNeverReadPastTheText) {
    EXPECT_EQ(unPackHCIPHardwareAddr(bytes("01 02 03 04 05")), "");
    EXPECT_EQ(hex(unPackHCIPHardwareAddr(bytes("01 02 03 04 05 06 07"))),
              hex(bytes("01 02 03 04 05 06")));
    EXPECT_FALSE(unPackHCIP_DHCPModeEnable(std::string(19, 'x')));
    EXPECT_EQ(unPackHCIP_DHCPModeEnable(std::string(19, 'x') + bytes("01")), true);
    EXPECT_EQ(unPackHCIP_DHCPModeEnable(std::string(19, 'x') + bytes("00")), false);
    EXPECT_EQ(unPackHCIPAddr(bytes("00 0A 4D 00 FE"), 1), "10.77.0.254");
    EXPECT_FALSE(unPackHCIPAddr(bytes("0A 4D 00"), 0));
    EXPECT_FALSE(unPackHCIPAddr(bytes("0A 4D 00 01"), 1));
    EXPECT_FALSE(unPackHCIPAddr("", 1000));
}

TEST(HcipFrames, NetsetupOutputOfTheDaemon) {
    const hcip::deviceInfoValues dhcp =
        hcip::parseNetsetupInfo("mode=dhcp, 10.0.0.1 9.9.9.9 8.8.8.8\n");
    EXPECT_TRUE(dhcp.dhcp);
    EXPECT_EQ(dhcp.gateway, "10.0.0.1");
    EXPECT_EQ(dhcp.dns1, "9.9.9.9");
    EXPECT_EQ(dhcp.dns2, "8.8.8.8");
    const hcip::deviceInfoValues manual = hcip::parseNetsetupInfo("mode=manual, 10.0.0.1");
    EXPECT_FALSE(manual.dhcp);
    EXPECT_EQ(manual.gateway, "10.0.0.1");
    EXPECT_EQ(manual.dns1, "");
    EXPECT_EQ(hcip::addressBytes(manual.dns1), bytes("FF FF FF FF"));
    for (const char* junk : {"", "=", " ", "=dhcp", "mode=", "  a  b"}) {
        hcip::parseNetsetupInfo(junk);  // any text is read without a fault
    }
}

TEST_F(HcipServiceTest, ScanAnswersWithTheDeviceInformationToTheBroadcastAddress) {
    const auto sent = request(kScan);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, "255.255.255.255:40000");
    EXPECT_EQ(hex(sent[0].bytes),
              hex(bytes("00 2F 80 00 00 5A 45 4B 2D 37 31 30 41 00 00 00 00 00 00 00 00"
                        " 02 A4 5C 01 12 AB 0A 4D 00 01 FF FF FF 00 C0 A8 64 01 01 01 01 01"
                        " 02 02 02 02")));

    // Without a readable interface there is nothing to tell.
    system_.interfaceReadable = false;
    EXPECT_TRUE(request(kScan).empty());
}

TEST_F(HcipServiceTest, PanelReportsItsOwnSavedSettings) {
    start(panelHcipProfile([] {
              hcip::deviceInfoValues saved;
              saved.dhcp = true;
              saved.gateway = "10.77.0.254";
              saved.dns1 = "9.9.9.9";
              saved.dns2 = "not an address";
              return saved;
          }),
          kMcuVersionAnswer);
    const std::string info = request(kScan).at(0).bytes;
    EXPECT_EQ(hex(info.substr(4, 1)), "01");
    EXPECT_EQ(hex(info.substr(35)), hex(bytes("0A 4D 00 FE 09 09 09 09 02 02 02 02")));
}

TEST_F(HcipServiceTest, VersionInBothClasses) {
    const auto broadcast = request(bytes("00 0F 80 01") + "GET_VERSION");
    ASSERT_EQ(broadcast.size(), 1u);
    EXPECT_EQ(broadcast[0].to, "255.255.255.255:40000");
    EXPECT_EQ(hex(broadcast[0].bytes),
              hex(bytes("00 14 80 42 00 01 00 00 01 02 03 04 00 00 00 00 00 00 00 00")));

    const auto unicast = request(bytes("00 0F 81 01") + "GET_VERSION", "10.77.0.9", 41000);
    ASSERT_EQ(unicast.size(), 1u);
    EXPECT_EQ(unicast[0].to, "10.77.0.9:41000");
    EXPECT_EQ(hex(unicast[0].bytes.substr(0, 4)), "00 14 81 42");

    // Before the MCU ever answered, its version is unknown.
    start(panelHcipProfile({}), "");
    EXPECT_EQ(hex(request(bytes("00 0F 80 01") + "GET_VERSION").at(0).bytes.substr(8, 4)),
              "ff ff ff ff");
}

TEST_F(HcipServiceTest, BroadcastAnswersStayBroadcastAfterAUnicastRequest) {
    request(bytes("00 0F 81 01") + "GET_VERSION", "10.77.0.5", 41000);
    const auto sent = request(kScan, "10.77.0.6", 42000);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, "255.255.255.255:42000");
}

TEST_F(HcipServiceTest, DhcpModeIsAnsweredForEveryMacButTakenOnlyForOurs) {
    auto sent = request(setDhcpMode(kOtherMac, "01"));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0].bytes), "00 05 80 02 15");
    EXPECT_FALSE(service_->state().bsetDhcp);
    EXPECT_TRUE(system_.files.empty());

    sent = request(setDhcpMode(kOwnMac, "01"));
    EXPECT_EQ(hex(sent.at(0).bytes), "00 05 80 02 06");
    EXPECT_TRUE(service_->state().bsetDhcp);
    ASSERT_EQ(system_.files.size(), 1u);
    EXPECT_NE(system_.files[0].find("IPv4 = dhcp\n"), std::string::npos);
    EXPECT_NE(system_.files[0].find("#HOSTNAME=ZEK-710A\n"), std::string::npos);

    sent = request(setDhcpMode(kOwnMac, "00"));
    EXPECT_EQ(hex(sent.at(0).bytes), "00 05 80 02 06");
    EXPECT_FALSE(service_->state().bsetDhcp);
    EXPECT_EQ(system_.files.size(), 1u);  // switching DHCP off writes nothing by itself

    // Our MAC but no flag byte: refused.
    sent = request(bytes("00 16 80 02") + kOwnMac + "SET_DHCPMODE");
    EXPECT_EQ(hex(sent.at(0).bytes), "00 05 80 02 15");
}

TEST_F(HcipServiceTest, ModelQueriesForOurMacOnly) {
    EXPECT_TRUE(request(bytes("00 13 80 40") + kOtherMac + "GET_MODEL").empty());
    EXPECT_TRUE(request(bytes("00 18 80 41") + kOtherMac + "GET_MODEL_NAME").empty());
    EXPECT_TRUE(request(bytes("00 09 80 40") + "GET_MODEL").empty());  // too short for a MAC

    auto sent = request(bytes("00 13 80 40") + kOwnMac + "GET_MODEL");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0].bytes), "00 08 80 40 05 88 40 01");

    // The panel answers the model-name request with the name only; the daemon with both.
    sent = request(bytes("00 18 80 41") + kOwnMac + "GET_MODEL_NAME");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0].bytes), hex(bytes("00 14 80 41") + "ZEK-710A" + std::string(8, '\0')));

    start(daemonHcipProfile(), kMcuVersionAnswer);
    sent = request(bytes("00 18 80 41") + kOwnMac + "GET_MODEL_NAME");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(hex(sent[0].bytes), hex(bytes("00 14 80 41") + "ZEK-710" + std::string(9, '\0')));
    EXPECT_EQ(hex(sent[1].bytes), "00 08 80 40 05 88 40 01");
}

TEST_F(HcipServiceTest, AddressSettingWritesAStaticFileAtOnceAndEndsTheDatagram) {
    // A factory-default word behind the address setting is not looked at.
    const auto sent = request(setIpAddress(kOwnMac) + "E2P_DEFAULT");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0].bytes), "00 05 80 03 06");
    ASSERT_EQ(system_.files.size(), 1u);
    EXPECT_NE(system_.files[0].find("IPv4 = 10.77.0.50/255.255.255.0/10.77.0.254\n"),
              std::string::npos);
    EXPECT_NE(system_.files[0].find("Nameservers = 8.8.8.8,1.1.1.1\n"), std::string::npos);
    EXPECT_TRUE(service_->state().bManualSetIp);

    // Another device's address setting is not ours to answer.
    EXPECT_TRUE(request(setIpAddress(kOtherMac)).empty());
    // Cut short: refused.
    EXPECT_EQ(hex(request(setIpAddress(kOwnMac).substr(0, 24)).at(0).bytes), "00 05 80 03 15");
}

TEST_F(HcipServiceTest, CompleteManualSetupWritesTheTakenValues) {
    request(setIpAddress(kOwnMac));
    EXPECT_EQ(hex(request(kSetNetmask, "10.77.0.2").at(0).bytes), "00 05 81 0b 06");
    EXPECT_EQ(hex(request(kSetPrimaryDns, "10.77.0.2").at(0).bytes), "00 05 81 0d 06");
    const auto last = request(kSetSecondaryDns, "10.77.0.2", 40001);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(hex(last[0].bytes), "00 05 81 0e 06");
    EXPECT_EQ(hex(last[1].bytes), "00 05 80 03 06");  // the completion
    EXPECT_EQ(last[1].to, "10.77.0.2:40001");
    ASSERT_EQ(system_.files.size(), 2u);
    EXPECT_EQ(system_.files[1],
              "[service_default_ethernet]\n"
              "Type = ethernet\n"
              "IPv4 = 10.77.0.50/255.255.0.0/10.77.0.254\n"
              "IPv6 = auto\n"
              "Nameservers = 9.9.9.9,8.8.4.4\n"
              "SearchDomains = zek710.lan\n"
              "Timeservers = pool.ntp.org\n"
              "Domain = velmora.lan\n"
              "#HOSTNAME=ZEK-710A\n");
    EXPECT_FALSE(service_->state().bManualSetIp);
    EXPECT_FALSE(service_->state().bsetNetMask);
    EXPECT_TRUE(service_->state().bsetDns1);

    // A later address setting still writes a static file.
    request(setIpAddress(kOwnMac));
    EXPECT_NE(system_.files.back().find("IPv4 = 10.77.0.50/"), std::string::npos);
}

TEST_F(HcipServiceTest, ABroadcastBetweenCancelsThePendingManualSetup) {
    request(setIpAddress(kOwnMac));
    request(kScan);
    request(kSetNetmask);
    request(kSetPrimaryDns);
    const auto last = request(kSetSecondaryDns);
    EXPECT_EQ(last.size(), 1u);
    EXPECT_EQ(system_.files.size(), 1u);  // only the one the address setting wrote
}

TEST_F(HcipServiceTest, FactoryDefault) {
    EXPECT_EQ(hex(request(bytes("00 15 80 06") + kOtherMac + "E2P_DEFAULT").at(0).bytes),
              "00 05 80 06 15");
    EXPECT_TRUE(system_.files.empty());
    EXPECT_EQ(hex(request(bytes("00 15 80 06") + kOwnMac + "E2P_DEFAULT").at(0).bytes),
              "00 05 80 06 06");
    ASSERT_EQ(system_.files.size(), 1u);
    EXPECT_NE(system_.files[0].find("IPv4 = 192.168.100.200/255.255.255.0/192.168.100.1\n"),
              std::string::npos);
    EXPECT_EQ(system_.files[0].find("HOSTNAME"), std::string::npos);
}

TEST_F(HcipServiceTest, HostNameIsTakenOnlyWhenItIsAPlainName) {
    auto name = [](const std::string& text) {
        std::string datagram = bytes("00 20 81 09") + "SET_DHCPNAME" + text;
        return datagram;
    };
    EXPECT_EQ(hex(request(name("studio-2" + std::string(8, '\0'))).at(0).bytes), "00 05 81 09 06");
    EXPECT_EQ(service_->state().hostName, "studio-2");
    // The panel's scan answer still names it "ZEK-710A": other panels' discovery would file a
    // renamed panel as a camera. The host name goes into the service file.
    EXPECT_EQ(request(kScan).at(0).bytes.substr(5, 9), std::string("ZEK-710A\0", 9));
    request(setDhcpMode(kOwnMac, "01"));
    ASSERT_FALSE(system_.files.empty());
    EXPECT_NE(system_.files.back().find("#HOSTNAME=studio-2\n"), std::string::npos);

    for (const std::string& hostile :
         {std::string("cam\nIPv4 = 6.6.6.6"), std::string("a=b"), std::string("[x]"),
          std::string(900, 'x'), std::string(1, '\0') + "late"}) {
        EXPECT_EQ(hex(request(name(hostile)).at(0).bytes), "00 05 81 09 15");
        EXPECT_EQ(service_->state().hostName, "studio-2");
    }
    // Text after a zero byte is not part of the name.
    request(name(std::string("cam7\0junk\n", 10)));
    EXPECT_EQ(service_->state().hostName, "cam7");
}

TEST_F(HcipServiceTest, MacAddressSettingOfThePanel) {
    const std::string setMac = bytes("00 14 81 0A") + "SET_MACADR";
    EXPECT_EQ(hex(request(setMac + bytes("02 A4 5C 07 12 AB")).at(0).bytes), "00 05 81 0a 06");
    ASSERT_EQ(system_.bootMacs.size(), 1u);
    EXPECT_EQ(system_.bootMacs[0], "02:a4:5c:07:12:ab");

    // A group address, all zeros, or a cut-short MAC would leave the panel unreachable.
    for (const char* bad : {"03 00 00 00 00 01", "00 00 00 00 00 00", "02 A4 5C"}) {
        EXPECT_EQ(hex(request(setMac + bytes(bad)).at(0).bytes), "00 05 81 0a 15") << bad;
    }
    EXPECT_EQ(system_.bootMacs.size(), 1u);

    start(daemonHcipProfile(), kMcuVersionAnswer);
    EXPECT_TRUE(request(setMac + bytes("02 A4 5C 07 12 AB")).empty());
}

TEST_F(HcipServiceTest, CutShortValuesAreRefusedAndNothingIsTaken) {
    EXPECT_EQ(hex(request(kSetNetmask.substr(0, 17)).at(0).bytes), "00 05 81 0b 15");
    EXPECT_FALSE(service_->state().bsetNetMask);
    EXPECT_EQ(hex(request(kSetPrimaryDns.substr(0, 14)).at(0).bytes), "00 05 81 0d 15");
    EXPECT_FALSE(service_->state().bsetDns1);
    EXPECT_EQ(hex(request(bytes("00 12 81 0C") + "SET_GATEWAY").at(0).bytes), "00 05 81 0c 15");
}

TEST_F(HcipServiceTest, SeveralWordsAreAnsweredInTheirOrder) {
    const auto sent = request(bytes("00 00 80 00") + "ETH_REQ" + kOwnMac + "GET_VERSION");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(hex(sent[0].bytes.substr(0, 4)), "00 14 80 42");  // version first
    EXPECT_EQ(hex(sent[1].bytes.substr(0, 4)), "00 2f 80 00");

    // Values sit at fixed places, wherever the word is.
    const auto odd = request(bytes("00 13 81 0B") + "xx" + "SET_NETMASK" + "yy");
    EXPECT_EQ(hex(odd.at(0).bytes), "00 05 81 0b 06");
    EXPECT_EQ(service_->state().netmask, "83.75.121.121");  // "SKyy"
}

TEST_F(HcipServiceTest, MacAndNetmaskAreReadOnceEth0HasThem) {
    // Started before eth0 could be read: addressed requests are not ours yet.
    start(panelHcipProfile({}), kMcuVersionAnswer, "", "");
    EXPECT_EQ(hex(request(setDhcpMode(kOwnMac, "01")).at(0).bytes), "00 05 80 02 15");
    EXPECT_TRUE(system_.files.empty());

    system_.mac = kOwnMac;
    system_.mask = "255.255.0.0";
    EXPECT_EQ(hex(request(setDhcpMode(kOwnMac, "00")).at(0).bytes), "00 05 80 02 06");
    EXPECT_EQ(service_->state().ownMac, kOwnMac);
    EXPECT_EQ(service_->state().defaultNetmask, "255.255.0.0");
    // An address setting takes that netmask.
    request(setIpAddress(kOwnMac));
    ASSERT_EQ(system_.files.size(), 1u);
    EXPECT_NE(system_.files[0].find("IPv4 = 10.77.0.50/255.255.0.0/10.77.0.254\n"),
              std::string::npos)
        << system_.files[0];
}

TEST_F(HcipServiceTest, ACommandThatCannotStartFailsOnlyItsRequest) {
    system_.commandsFail = true;
    EXPECT_EQ(hex(request(setDhcpMode(kOwnMac, "01")).at(0).bytes), "00 05 80 02 15");
    EXPECT_EQ(hex(request(bytes("00 15 80 06") + kOwnMac + "E2P_DEFAULT").at(0).bytes),
              "00 05 80 06 15");

    // Device information that cannot be read: no answer with wrong values, and the rest of the
    // datagram is still served.
    hcipServiceProfile profile = panelHcipProfile({});
    profile.deviceInfo = []() -> hcip::deviceInfoValues {
        throw std::runtime_error("popen failed!");
    };
    start(profile, kMcuVersionAnswer);
    const auto sent = request(bytes("00 00 80 00") + "ETH_REQ" + "GET_VERSION");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0].bytes).substr(0, 11), "00 14 80 42");
}

// eth0 before its lease: the hardware address is there, the netmask not yet. Run in a network
// namespace of this test's own, on a thread that alone enters it.
// Locked by the operator, every word that would change the setup is answered NAK, changes
// nothing and is logged with the sender; scans and questions are answered as ever.
TEST_F(HcipServiceTest, LockedSetupRefusesEveryChangeAndAnswersQuestions) {
    std::vector<std::string> lines;
    setLinkLogSink([&lines](const char*, const std::string& line) { lines.push_back(line); });
    const auto lock = std::make_shared<std::atomic<bool>>(true);
    hcipServiceProfile profile = panelHcipProfile({});
    profile.setupLock = lock;
    start(profile, kMcuVersionAnswer);

    // Half a manual setup made before the lock cannot be completed through it.
    lock->store(false);
    request(setIpAddress(kOwnMac));
    system_.files.clear();
    lock->store(true);

    const std::string hostName =
        bytes("00 20 81 09") + "SET_DHCPNAME" + "cam7" + std::string(12, '\0');
    const struct {
        const char* word;
        std::string datagram;
        const char* answer;
    } refused[] = {
        {"SET_DHCPMODE", setDhcpMode(kOwnMac, "01"), "00 05 80 02 15"},
        {"SET_IPADR", setIpAddress(kOwnMac), "00 05 80 03 15"},
        {"E2P_DEFAULT", bytes("00 15 80 06") + kOwnMac + "E2P_DEFAULT", "00 05 80 06 15"},
        {"SET_NETMASK", kSetNetmask, "00 05 81 0b 15"},
        {"SET_GATEWAY", bytes("00 13 81 0C") + "SET_GATEWAY" + bytes("0A 4D 00 FE"),
         "00 05 81 0c 15"},
        {"SET_PRIDNS", kSetPrimaryDns, "00 05 81 0d 15"},
        {"SET_SECDNS", kSetSecondaryDns, "00 05 81 0e 15"},
        {"SET_DHCPNAME", hostName, "00 05 81 09 15"},
        {"SET_MACADR", bytes("00 14 81 0A") + "SET_MACADR" + bytes("02 A4 5C 07 12 AB"),
         "00 05 81 0a 15"},
    };
    for (const auto& row : refused) {
        lines.clear();
        const auto sent = request(row.datagram, "10.77.0.9", 40100);
        ASSERT_EQ(sent.size(), 1u) << row.word;
        EXPECT_EQ(hex(sent[0].bytes), row.answer) << row.word;
        EXPECT_EQ(lines, std::vector<std::string>{std::string("remote setup locked: ") + row.word +
                                                  " from 10.77.0.9 refused\n"});
    }
    EXPECT_TRUE(system_.files.empty());
    EXPECT_TRUE(system_.bootMacs.empty());
    EXPECT_EQ(service_->state().hostName, "ZEK-710A");
    EXPECT_FALSE(service_->state().bsetDhcp);
    EXPECT_FALSE(service_->state().bManualSetIp || service_->state().bsetNetMask ||
                 service_->state().bsetDns1 || service_->state().bsetDns2);

    // Questions, and another device's requests, as ever and not logged.
    lines.clear();
    EXPECT_EQ(hex(request(kScan).at(0).bytes.substr(0, 4)), "00 2f 80 00");
    EXPECT_EQ(hex(request(bytes("00 0F 81 01") + "GET_VERSION").at(0).bytes.substr(0, 4)),
              "00 14 81 42");
    EXPECT_EQ(hex(request(bytes("00 13 80 40") + kOwnMac + "GET_MODEL").at(0).bytes),
              "00 08 80 40 05 88 40 01");
    EXPECT_EQ(hex(request(setDhcpMode(kOtherMac, "01")).at(0).bytes), "00 05 80 02 15");
    EXPECT_TRUE(lines.empty());

    // Unlocked, the same words are taken again.
    lock->store(false);
    EXPECT_EQ(hex(request(setDhcpMode(kOwnMac, "01")).at(0).bytes), "00 05 80 02 06");
    EXPECT_EQ(system_.files.size(), 1u);
}

// A flood of refused requests logs at most ten lines a minute; the next line tells how many were
// held back.
TEST(HcipRefusalLog, AtMostTenLinesAMinute) {
    hcip::refusalLogLimit limit;
    const std::chrono::steady_clock::time_point start{};
    int logged = 0;
    for (int i = 0; i < 25; ++i) {
        logged += limit.admit("refused", start + std::chrono::milliseconds(i)).has_value();
    }
    EXPECT_EQ(logged, 10);
    EXPECT_FALSE(limit.admit("refused", start + std::chrono::seconds(59)).has_value());
    EXPECT_EQ(limit.admit("refused", start + std::chrono::seconds(60)),
              std::optional<std::string>("refused (16 more refused before, not logged)"));
    EXPECT_EQ(limit.admit("refused", start + std::chrono::seconds(61)),
              std::optional<std::string>("refused"));
}

TEST(HcipInterface, HardwareAddressWithoutAnIPv4Address) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root for a network namespace";
    }
    std::string mac;
    std::string maskBefore;
    std::string maskAfter;
    bool setUp = false;
    std::thread([&] {
        if (::unshare(CLONE_NEWNET) != 0 ||
            std::system("ip link add eth0 type veth peer name eth1 && "
                        "ip link set eth0 address 02:a4:5c:01:12:ab up") != 0) {
            return;
        }
        const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        setUp = socket >= 0;
        mac = getHCIPMacAddr(socket);
        maskBefore = getNetMaskAddr(socket);
        if (std::system("ip addr add 10.9.0.1/16 dev eth0") == 0) {
            maskAfter = getNetMaskAddr(socket);
        }
        ::close(socket);
    }).join();
    ASSERT_TRUE(setUp);
    EXPECT_EQ(hex(mac), "02 a4 5c 01 12 ab");
    EXPECT_EQ(maskBefore, "");
    EXPECT_EQ(maskAfter, "255.255.0.0");
}

TEST_F(HcipServiceTest, AFailedSendSkipsTheRemainingChecks) {
    sendsSucceed_ = false;
    const auto sent = request(bytes("00 00 80 00") + "GET_VERSION" + "ETH_REQ");
    EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
