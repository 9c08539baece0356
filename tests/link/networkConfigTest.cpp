#include "networkConfig.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "linkLog.h"
#include "tempRoot.h"

namespace {

class NetworkFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([](const char*, const std::string&) {});
        setLinkProgram(LinkProgram::panel);
        std::filesystem::create_directories(root_ / "var/lib/connman");
        std::filesystem::create_directories(root_ / "etc/network");
    }
    void TearDown() override {
        setLinkLogSink({});
        setLinkProgram(LinkProgram::panel);
    }

    TempRoot root_;
};

netconfig::serviceFileSetup staticSetup() {
    netconfig::serviceFileSetup setup;
    setup.address = "10.1.2.3";
    setup.netmask = "255.255.0.0";
    setup.gateway = "10.1.0.1";
    setup.dns1 = "9.9.9.9";
    setup.dns2 = "8.8.4.4";
    setup.hostName = "cam1";
    return setup;
}

TEST(ServiceFileText, DhcpStaticAndResetFormsLineByLine) {
    netconfig::serviceFileSetup dhcp;
    dhcp.dhcp = true;
    dhcp.hostName = "cam1";
    EXPECT_EQ(netconfig::serviceFileText(dhcp, nullptr).value(),
              "[service_default_ethernet]\n"
              "Type = ethernet\n"
              "IPv4 = dhcp\n"
              "IPv6 = auto\n"
              "Nameservers = 8.8.8.8,1.1.1.1\n"
              "SearchDomains = zek710.lan\n"
              "Timeservers = pool.ntp.org\n"
              "Domain = velmora.lan\n"
              "#HOSTNAME=cam1\n");

    EXPECT_EQ(netconfig::serviceFileText(staticSetup(), nullptr).value(),
              "[service_default_ethernet]\n"
              "Type = ethernet\n"
              "IPv4 = 10.1.2.3/255.255.0.0/10.1.0.1\n"
              "IPv6 = auto\n"
              "Nameservers = 9.9.9.9,8.8.4.4\n"
              "SearchDomains = zek710.lan\n"
              "Timeservers = pool.ntp.org\n"
              "Domain = velmora.lan\n"
              "#HOSTNAME=cam1\n");

    // The factory form overrides whatever was passed and has no host-name line without a name.
    netconfig::serviceFileSetup reset = staticSetup();
    reset.reset = true;
    reset.hostName.clear();
    EXPECT_EQ(netconfig::serviceFileText(reset, nullptr).value(),
              "[service_default_ethernet]\n"
              "Type = ethernet\n"
              "IPv4 = 192.168.100.200/255.255.255.0/192.168.100.1\n"
              "IPv6 = auto\n"
              "Nameservers = 8.8.8.8,1.1.1.1\n"
              "SearchDomains = zek710.lan\n"
              "Timeservers = pool.ntp.org\n"
              "Domain = velmora.lan\n");
}

TEST(ServiceFileText, OnlySecondDnsMovesToTheFirstPlace) {
    netconfig::serviceFileSetup setup = staticSetup();
    setup.dns1.clear();
    setup.dns2 = "9.9.9.9";
    const std::string text = netconfig::serviceFileText(setup, nullptr).value();
    EXPECT_NE(text.find("\nNameservers = 9.9.9.9,\n"), std::string::npos) << text;
}

TEST(ServiceFileText, ValuesThatWouldBreakTheFileAreRefused) {
    const std::string hostileNames[] = {"cam\n[evil]",
                                        "a=b",
                                        "[service_x]",
                                        std::string("ab\0cd", 5),
                                        std::string(10 * 1024, 'x'),
                                        "two words",
                                        "#HOSTNAME"};
    for (const std::string& name : hostileNames) {
        netconfig::serviceFileSetup setup = staticSetup();
        setup.hostName = name;
        std::string why;
        EXPECT_FALSE(netconfig::serviceFileText(setup, &why)) << name.substr(0, 20);
        EXPECT_EQ(why, "host name is not a plain name");
    }
    const std::string hostileAddresses[] = {"10.1.2",     "10.1.2.256", "10.1.2.3\n", " 10.1.2.3",
                                            "10.1.2.3.4", "a.b.c.d",    "10..2.3",    "",
                                            "1.2.3.4/8",  "0x1.2.3.4"};
    for (const std::string& value : hostileAddresses) {
        netconfig::serviceFileSetup setup = staticSetup();
        setup.gateway = value;
        EXPECT_FALSE(netconfig::serviceFileText(setup, nullptr)) << value;
        setup = staticSetup();
        setup.dhcp = true;  // a DHCP setup carries no address, but its DNS must still be sound
        setup.dns2 = value;
        EXPECT_EQ(netconfig::serviceFileText(setup, nullptr).has_value(), value.empty()) << value;
    }
}

TEST(DottedQuad, FourPlainDecimalNumbersFrom0To255) {
    for (const char* good : {"0.0.0.0", "255.255.255.255", "192.168.100.101", "10.0.0.10"}) {
        EXPECT_TRUE(netconfig::isDottedQuad(good)) << good;
        EXPECT_EQ(netconfig::dottedQuadFault(good), "") << good;
    }
    // Forms other parsers take for another address: short, numeric, octal.
    const std::pair<const char*, const char*> bad[] = {
        {"10.1", "not four decimal numbers joined by dots"},
        {"3232235786", "a part above 255"},
        {"192.168.1.010", "a part with a leading zero"},
        {"10.0.0.01", "a part with a leading zero"},
        {"00.1.1.1", "a part with a leading zero"},
        {"256.1.1.1", "a part above 255"},
        {"1.1.1.0001", "a part above 255"},
        {"1.1.1", "not four decimal numbers joined by dots"},
        {"1.1.1.1.", "not four decimal numbers joined by dots"},
        {".1.1.1.1", "not four decimal numbers joined by dots"},
        {"1.1.1.1 ", "not four decimal numbers joined by dots"},
        {"-1.1.1.1", "not four decimal numbers joined by dots"},
        {"1,1,1,1", "not four decimal numbers joined by dots"},
        {"0x0A.1.1.1", "not four decimal numbers joined by dots"},
        {"", "not four decimal numbers joined by dots"}};
    for (const auto& [text, why] : bad) {
        EXPECT_FALSE(netconfig::isDottedQuad(text)) << text;
        EXPECT_EQ(netconfig::dottedQuadFault(text), why) << text;
    }
}

TEST_F(NetworkFilesTest, GeneratedFileIsWrittenWholeAndReadBack) {
    ASSERT_TRUE(genNetWorkConfigFile(netconfig::kNewServiceFile, false, "10.1.2.3", "255.255.0.0",
                                     "10.1.0.1", "9.9.9.9", "8.8.4.4", "studio"));
    EXPECT_FALSE(std::filesystem::exists(root_ / "var/lib/connman/default.config_new.partial"));
    EXPECT_NE(root_.readFile("commands.log").find("sync\n"), std::string::npos);

    std::string host, address, netmask, gateway, dns1, dns2;
    EXPECT_EQ(
        readNetWorkConfigs(netconfig::kNewServiceFile, host, address, netmask, gateway, dns1, dns2),
        "studio");
    EXPECT_EQ(host, "studio");
    EXPECT_EQ(address, "10.1.2.3");
    EXPECT_EQ(netmask, "255.255.0.0");
    EXPECT_EQ(gateway, "10.1.0.1");
    EXPECT_EQ(dns1, "9.9.9.9");
    EXPECT_EQ(dns2, "8.8.4.4");
}

TEST_F(NetworkFilesTest, RefusedSetupLeavesTheOldFileAlone) {
    root_.writeFile("var/lib/connman/default.config_new", "old\n");
    EXPECT_FALSE(genNetWorkConfigFile(netconfig::kNewServiceFile, true, "", "", "", "", "",
                                      "cam\nIPv4 = 6.6.6.6"));
    EXPECT_FALSE(genNetWorkConfigFile(netconfig::kNewServiceFile, false, "10.1.2", "255.0.0.0",
                                      "10.0.0.1", "", "", ""));
    EXPECT_EQ(root_.readFile("var/lib/connman/default.config_new"), "old\n");
}

TEST_F(NetworkFilesTest, MissingDirectoryWritesNothing) {
    std::filesystem::remove_all(root_ / "var/lib/connman");
    EXPECT_FALSE(genNetWorkConfigFile(netconfig::kNewServiceFile, true, "", "", "", "", "", ""));
    EXPECT_FALSE(std::filesystem::exists(root_ / "var/lib/connman"));
}

TEST_F(NetworkFilesTest, HostNameOfAServiceFile) {
    root_.writeFile("var/lib/connman/default.config", "IPv4 = dhcp\n#HOSTNAME=studio\nmore\n");
    EXPECT_EQ(readHostName(netconfig::kServiceFile), "studio");

    root_.writeFile("var/lib/connman/default.config", "IPv4 = dhcp\n");
    EXPECT_EQ(readHostName(netconfig::kServiceFile), "ZEK-710A");
    setLinkProgram(LinkProgram::daemon);
    EXPECT_EQ(readHostName(netconfig::kServiceFile), "ZEK-710");

    std::filesystem::remove(root_ / "var/lib/connman/default.config");
    EXPECT_EQ(readHostName(netconfig::kServiceFile), "");
}

TEST(InterfacesText, StaticSetupIsWrittenAfterTheKeptHeadAndReadsBack) {
    netconfig::interfacesSettings setup;
    setup.address = "10.1.2.3";
    setup.gateway = "10.1.2.254";
    setup.netmask = "255.255.255.0";
    setup.dns1 = "9.9.9.9";
    setup.dns2 = "8.8.4.4";
    const std::string old =
        "# kept\nauto lo\niface lo inet loopback\n\nauto eth0\n"
        "iface eth0 inet dhcp\nold tail that goes\n";
    const std::string written = netconfig::rewrittenInterfacesText(old, setup);
    EXPECT_EQ(written,
              "# kept\n"
              "auto lo\n"
              "iface lo inet loopback\n"
              "\n"
              "auto eth0\n"
              "iface eth0 inet static\n"
              "address 10.1.2.3\n"
              "gateway 10.1.2.254\n"
              "netmask 255.255.255.0\n"
              "nameserver 9.9.9.9\n"
              "nameserver  8.8.4.4\n"
              "broadcast 10.1.2.255\n"
              "\n"
              "#auto wlan0\n"
              "iface wlan0 inet dhcp\n"
              "        wireless_mode managed\n"
              "        wpa-conf /etc/wpa_supplicant.conf\n");

    const netconfig::interfacesSettings read = netconfig::parseInterfacesText(written);
    EXPECT_FALSE(read.dhcp);
    EXPECT_EQ(read.address, "10.1.2.3");
    EXPECT_EQ(read.gateway, "10.1.2.254");
    EXPECT_EQ(read.netmask, "255.255.255.0");
    EXPECT_EQ(read.dns1, "9.9.9.9");
    EXPECT_EQ(read.dns2, "8.8.4.4");

    // Back to DHCP: the static lines go, the tail stays.
    setup.dhcp = true;
    const std::string dhcp = netconfig::rewrittenInterfacesText(written, setup);
    EXPECT_NE(dhcp.find("iface eth0 inet dhcp\n\n#auto wlan0\n"), std::string::npos) << dhcp;
    EXPECT_EQ(dhcp.find("address"), std::string::npos);
    EXPECT_TRUE(netconfig::parseInterfacesText(dhcp).dhcp);
}

TEST(InterfacesText, EmptyValuesLeaveTheirLinesOut) {
    netconfig::interfacesSettings setup;
    setup.address = "10.0.0.9";
    const std::string written = netconfig::rewrittenInterfacesText("iface eth0 inet dhcp\n", setup);
    EXPECT_EQ(written.substr(0, written.find("\n\n#auto")),
              "iface eth0 inet static\naddress 10.0.0.9");
}

TEST(InterfacesText, WithoutAnEth0LineEverythingStaysPlusOneEmptyLine) {
    netconfig::interfacesSettings setup;
    EXPECT_EQ(netconfig::rewrittenInterfacesText("auto lo\niface lo inet loopback\n", setup),
              "auto lo\niface lo inet loopback\n\n");
}

TEST(InterfacesText, DefaultContentIsTenLines) {
    EXPECT_EQ(netconfig::defaultInterfacesText(),
              "auto lo\n"
              "iface lo inet loopback\n"
              "\n"
              "auto eth0\n"
              "iface eth0 inet dhcp\n"
              "\n"
              "#auto wlan0\n"
              "iface wlan0 inet dhcp\n"
              "        wireless_mode managed\n"
              "        wpa-conf /etc/wpa_supplicant.conf\n");
}

TEST(InterfacesText, ReadingTakesTheEth0StanzaAndDefaultsForBrokenValues) {
    const netconfig::interfacesSettings read = netconfig::parseInterfacesText(
        "address 1.1.1.1\n"  // before the eth0 line: not ours
        "iface eth0 inet static\n"
        "  address 192.168.1\n"
        "\thwaddress ether 02:00:00:00:00:01\n"
        "gateway x\n"
        "netmask 255.255.255.0.0\n"
        "nameserver 1.2.3\n"
        "nameserver  bad\n"
        "iface wlan0 inet static\n"
        "address 7.7.7.7\n");
    EXPECT_FALSE(read.dhcp);
    EXPECT_EQ(read.address, "192.168.100.100");
    EXPECT_EQ(read.gateway, "192.168.100.1");
    EXPECT_EQ(read.netmask, "255.255.255.0");
    EXPECT_EQ(read.dns1, "8.8.8.8");
    EXPECT_EQ(read.dns2, "4.4.4.4");

    const netconfig::interfacesSettings nothing = netconfig::parseInterfacesText("");
    EXPECT_FALSE(nothing.dhcp);
    EXPECT_EQ(nothing.address, "");
    EXPECT_EQ(nothing.dns1, "");
}

TEST(BootCommandLine, MacIsReadAndReplacedInPlace) {
    const std::string line =
        "console=serial0,115200 smsc95xx.macaddr=b8:27:eb:11:22:33 root=/dev/mmcblk0p2 rootwait";
    EXPECT_EQ(netconfig::macOfCommandLine(line + "\n"), "b8:27:eb:11:22:33");
    EXPECT_EQ(netconfig::macOfCommandLine("root=/dev/mmcblk0p2\n"), "");

    EXPECT_EQ(netconfig::macText(std::string("\x02\xA4\x5C\x07\x12\xAB", 6)), "02:a4:5c:07:12:ab");
    EXPECT_EQ(netconfig::commandLineWithMac("# first\n" + line + "\n", "02:a4:5c:07:12:ab"),
              "# first\nconsole=serial0,115200 smsc95xx.macaddr=02:a4:5c:07:12:ab "
              "root=/dev/mmcblk0p2 rootwait\n");
    // A short old value at the line end is replaced up to the line end, not beyond.
    EXPECT_EQ(netconfig::commandLineWithMac("macaddr=1\nnext\n", "02:a4:5c:07:12:ab"),
              "macaddr=02:a4:5c:07:12:ab\nnext\n");
    EXPECT_FALSE(netconfig::commandLineWithMac("root=/dev/x\n", "02:a4:5c:07:12:ab"));
    EXPECT_FALSE(netconfig::commandLineWithMac(line, "02:a4"));
}

}  // namespace
