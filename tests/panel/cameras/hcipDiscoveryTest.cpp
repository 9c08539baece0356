// Discovery without sockets: the exact bytes of every request, the classification of devices,
// and the reading of scan answers into devices, switchers and cameras placed by address, also
// when the answers are hostile or more than the tables hold.
#include "hcipDiscovery.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Hex with blanks, so rows follow the byte tables.
QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray text(const char* ascii) {
    return QByteArray(ascii);
}

std::string hexOf(const QByteArray& data) {
    return data.toHex(' ').toStdString();
}

const hcip::macBytes kMac{0x02, 0xA4, 0x5C, 0x07, 0x12, 0xAB};
const hcip::ipv4Bytes kAddress{192, 168, 1, 30};
const hcip::ipv4Bytes kGateway{192, 168, 1, 1};

TEST(DiscoveryRequests, ExactBytesOfEveryRequest) {
    const struct {
        const char* name;
        QByteArray built;
        QByteArray expected;
    } cases[] = {
        {"scan", hcip::scanRequest(), hex("00 0B 80 00") + text("ETH_REQ")},
        {"firmware version", hcip::firmwareVersionRequest(kMac),
         hex("00 13 80 01 02 A4 5C 07 12 AB") + text("FWVER_REQ")},
        {"DHCP on", hcip::dhcpModeRequest(kMac, true),
         hex("00 17 80 02 02 A4 5C 07 12 AB") + text("SET_DHCPMODE") + hex("01")},
        {"DHCP off", hcip::dhcpModeRequest(kMac, false),
         hex("00 17 80 02 02 A4 5C 07 12 AB") + text("SET_DHCPMODE") + hex("00")},
        {"address and gateway", hcip::ipAddressRequest(kMac, kAddress, kGateway),
         hex("00 1B 80 03 02 A4 5C 07 12 AB") + text("SET_IPADR") + hex("C0 A8 01 1E C0 A8 01 01")},
        {"reset", hcip::resetRequest(kMac), hex("00 0F 80 04 02 A4 5C 07 12 AB") + text("RESET")},
        {"host name", hcip::dhcpNameRequest("cam1"),
         hex("00 20 81 09") + text("SET_DHCPNAME") + text("cam1") + QByteArray(12, '\0')},
        {"host name cut to 15", hcip::dhcpNameRequest("studio-camera-0123"),
         hex("00 20 81 09") + text("SET_DHCPNAME") + text("studio-camera-0") + QByteArray(1, '\0')},
        {"MAC", hcip::macAddressRequest({0x02, 0xA4, 0x5C, 0x05, 0x00, 0x01}),
         hex("00 14 81 0A") + text("SET_MACADR") + hex("02 A4 5C 05 00 01")},
        {"netmask", hcip::netmaskRequest({255, 255, 255, 0}),
         hex("00 13 81 0B") + text("SET_NETMASK") + hex("FF FF FF 00")},
        {"gateway", hcip::gatewayRequest({10, 0, 0, 254}),
         hex("00 13 81 0C") + text("SET_GATEWAY") + hex("0A 00 00 FE")},
        {"primary DNS", hcip::primaryDnsRequest({8, 8, 8, 8}),
         hex("00 12 81 0D") + text("SET_PRIDNS") + hex("08 08 08 08")},
        {"secondary DNS", hcip::secondaryDnsRequest({1, 1, 1, 1}),
         hex("00 12 81 0E") + text("SET_SECDNS") + hex("01 01 01 01")},
    };
    const int expectedSizes[] = {11, 19, 23, 23, 27, 15, 32, 32, 20, 19, 19, 18, 18};
    int row = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(hexOf(c.built), hexOf(c.expected)) << c.name;
        EXPECT_EQ(c.built.size(), expectedSizes[row++]) << c.name;
    }
}

TEST(DiscoveryRequests, MacAndDottedTextsAreCheckedBeforeUse) {
    EXPECT_EQ(hcip::parseMacText("02:a4:5c:07:12:ab"), kMac);
    for (const char* bad : {"", "02:A4:5C:07:12", "02:A4:5C:07:12:AB:00", "02:A4:5C:07:12:GG",
                            "02:A4:5C:07:12:1AB", "02-A4-5C-07-12-AB"}) {
        EXPECT_FALSE(hcip::parseMacText(bad)) << bad;
    }
    EXPECT_EQ(hcip::parseDottedText("192.168.1.30"), kAddress);
    for (const char* bad :
         {"", "192.168.1", "192.168.1.", "192.168.1.256", "1.2.3.4.5", "a.b.c.d", "-1.2.3.4",
          "192.168.1.010", "192.168. 1.30", "+192.168.1.30", "3232235806"}) {
        EXPECT_FALSE(hcip::parseDottedText(bad)) << bad;
    }
    EXPECT_TRUE(hcip::isUsableLocalAddress("10.77.0.1"));
    EXPECT_FALSE(hcip::isUsableLocalAddress("127.0.0.1"));
    EXPECT_FALSE(hcip::isUsableLocalAddress("169.254.3.4"));
    EXPECT_FALSE(hcip::isUsableLocalAddress("fe80::1"));
}

TEST(DeviceClassification, FirstFittingRuleWins) {
    using hcip::deviceDestination;
    const struct {
        const char* name;
        const char* mac;
        const char* modelname;
        deviceDestination destination;
    } cases[] = {
        {"KYL-520", "02:A4:5C:07:00:01", "ELSE", deviceDestination::nowhere},
        {"kyl-x", "AA:BB:CC:00:00:01", "ELSE", deviceDestination::nowhere},
        {"old-zek", "AA:BB:CC:00:00:01", "ELSE", deviceDestination::nowhere},
        // A switcher's name comes before a camera's MAC.
        {"MX-5800", "02:A4:5C:07:00:01", "SWITCHER", deviceDestination::switcher},
        {"mx430", "AA:BB:CC:00:00:01", "SWITCHER", deviceDestination::switcher},
        {"QV5800-B", "AA:BB:CC:00:00:01", "SWITCHER", deviceDestination::switcher},
        {"Studio A", "02:A4:5C:07:00:01", "ORB310", deviceDestination::camera},
        {"Studio A", "02:a4:5c:06:00:01", "ORB310", deviceDestination::camera},
        {"Studio A", "02:A4:5C:05:00:01", "ORB270", deviceDestination::camera},
        {"Studio A", "02:A4:5C:09:00:01", "LN60", deviceDestination::camera},
        {"Studio A", "02:A4:5C:04:00:01", "ORB390", deviceDestination::camera},
        {"Studio A", "02:A4:5C:01:00:01", "", deviceDestination::nowhere},
        // A camera MAC comes before the loose switcher and recorder names.
        {"MX-CAM", "02:A4:5C:05:00:01", "ORB270", deviceDestination::camera},
        {"MX-100", "AA:BB:CC:00:00:01", "SWITCHER", deviceDestination::switcher},
        {"qv-2", "AA:BB:CC:00:00:01", "SWITCHER", deviceDestination::switcher},
        {"WXR-100", "AA:BB:CC:00:00:01", "RECORDER", deviceDestination::nowhere},
        {"PTZ-7", "AA:BB:CC:00:00:01", "CAMERA", deviceDestination::camera},
        {"", "", "CAMERA", deviceDestination::camera},
    };
    for (const auto& c : cases) {
        const hcip::deviceClass kind = hcip::classifyDevice(c.name, c.mac);
        EXPECT_EQ(kind.modelname.toStdString(), c.modelname) << c.name << " " << c.mac;
        EXPECT_EQ(kind.destination, c.destination) << c.name << " " << c.mac;
    }
}

// A device information answer as a device sends it.
QByteArray deviceAnswer(const QByteArray& name, const QByteArray& mac, const QByteArray& address,
                        bool dhcp = false) {
    QByteArray answer = hex("00 2F 80 00");
    answer += dhcp ? hex("01") : hex("00");
    answer += name.left(16) + QByteArray(16 - std::min(16, static_cast<int>(name.size())), '\0');
    answer += mac;
    answer += address;
    answer += hex("FF FF FF 00 0A 4D 00 FE 08 08 08 08 01 01 01 01");
    return answer;
}

quint32 ipv4(quint8 a, quint8 b, quint8 c, quint8 d) {
    return (quint32{a} << 24) | (quint32{b} << 16) | (quint32{c} << 8) | d;
}

TEST(ScanAnswers, DeviceInformationFillsTheRecord) {
    hcip::scanAnswers scan;
    scan.take(deviceAnswer("Studio-Cam-01", hex("02 A4 5C 07 12 AB"), hex("0A 4D 00 1E"), true),
              ipv4(10, 77, 0, 30));
    ASSERT_EQ(scan.deviceCount(), 1);
    const hcip_device_info& d = scan.devices()[0];
    EXPECT_TRUE(d.orb.hcipnetwork.isdhcp);
    EXPECT_EQ(d.orb.hcipnetwork.name, "Studio-Cam-01");
    EXPECT_EQ(d.orb.hcipnetwork.macadd, "02:A4:5C:07:12:AB");
    EXPECT_EQ(d.orb.hcipnetwork.ipadd, "10.77.0.30");
    EXPECT_EQ(d.orb.hcipnetwork.maskadd, "255.255.255.0");
    EXPECT_EQ(d.orb.hcipnetwork.gatewayadd, "10.77.0.254");
    EXPECT_EQ(d.orb.hcipnetwork.primdnsadd, "8.8.8.8");
    EXPECT_EQ(d.orb.hcipnetwork.secdnsadd, "1.1.1.1");
    EXPECT_EQ(d.orb.hcipnetwork.modelname, "ORB310");
    EXPECT_EQ(d.orb.cameraModel, "ORB310");
    EXPECT_TRUE(d.orb.hcipnetwork.vid.isEmpty());
    EXPECT_EQ(d.series, 30);
    EXPECT_EQ(d.type, 2);

    // Sixteen characters fill the name field with no zero byte after them.
    scan.take(deviceAnswer("ABCDEFGHIJKLMNOP", hex("AA BB CC 00 00 02"), hex("0A 4D 00 1F")),
              ipv4(10, 77, 0, 31));
    ASSERT_EQ(scan.deviceCount(), 2);
    EXPECT_EQ(scan.devices()[1].orb.hcipnetwork.name, "ABCDEFGHIJKLMNOP");
}

TEST(ScanAnswers, PanelsAreDroppedAndRepeatsCountOnce) {
    hcip::scanAnswers scan;
    scan.take(deviceAnswer("zek-710a", hex("AA BB CC 00 00 01"), hex("0A 4D 00 05")), 0);
    scan.take(deviceAnswer("Zek710", hex("AA BB CC 00 00 02"), hex("0A 4D 00 06")), 0);
    scan.take(deviceAnswer("cam", hex("AA BB CC 00 00 03"), hex("0A 4D 00 07")), 0);
    scan.take(deviceAnswer("cam again", hex("AA BB CC 00 00 03"), hex("0A 4D 00 08")), 0);
    ASSERT_EQ(scan.deviceCount(), 1);
    EXPECT_EQ(scan.devices()[0].orb.hcipnetwork.name, "cam");
}

TEST(ScanAnswers, CamerasSortByTheLastNumberOfTheirAddress) {
    hcip::scanAnswers scan;
    scan.take(deviceAnswer("A", hex("AA 00 00 00 00 01"), hex("C0 A8 01 1E")), 0);  // 192.168.1.30
    scan.take(deviceAnswer("MX-5800", hex("02 A4 5C 07 00 09"), hex("C0 A8 01 02")), 0);
    scan.take(deviceAnswer("B", hex("AA 00 00 00 00 02"), hex("0A 00 00 05")), 0);  // 10.0.0.5
    scan.take(deviceAnswer("WXR-9", hex("AA 00 00 00 00 0A"), hex("C0 A8 01 03")), 0);
    scan.take(deviceAnswer("C", hex("AA 00 00 00 00 03"), hex("C0 A8 01 07")), 0);  // 192.168.1.7
    // Equal last numbers: the whole address decides.
    scan.take(deviceAnswer("D", hex("AA 00 00 00 00 04"), hex("C0 A8 02 07")), 0);  // 192.168.2.7
    scan.take(deviceAnswer("E", hex("AA 00 00 00 00 05"), hex("0A 00 09 07")), 0);  // 10.0.9.7
    EXPECT_EQ(scan.deviceCount(), 7);
    const std::vector<hcip_device_info> cameras = scan.camerasByAddress(24);
    std::vector<std::string> order;
    for (const hcip_device_info& c : cameras) {
        order.push_back(c.orb.hcipnetwork.ipadd.toStdString());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"10.0.0.5", "10.0.9.7", "192.168.1.7", "192.168.2.7",
                                               "192.168.1.30"}));
    const std::vector<hcip_device_info> switchers = scan.switchers();
    ASSERT_EQ(switchers.size(), 1u);
    EXPECT_EQ(switchers[0].orb.hcipnetwork.ipadd, "192.168.1.2");
    EXPECT_EQ(switchers[0].type, 1);
    EXPECT_EQ(scan.devices()[3].type, 3) << "the recorder is counted only";
}

TEST(ScanAnswers, ModelAnswersGoToTheDeviceAtTheSendersAddressOnly) {
    hcip::scanAnswers scan;
    scan.take(deviceAnswer("one", hex("AA 00 00 00 00 01"), hex("0A 4D 00 01")),
              ipv4(10, 77, 0, 1));
    scan.take(deviceAnswer("twelve", hex("AA 00 00 00 00 0C"), hex("0A 4D 00 0C")),
              ipv4(10, 77, 0, 12));
    scan.take(hex("00 08 80 40 05 99 41 02"), ipv4(10, 77, 0, 12));
    scan.take(hex("00 14 80 41") + text("PTZ-12X") + QByteArray(9, '\0'), ipv4(10, 77, 0, 12));
    const hcip_network_info& one = scan.devices()[0].orb.hcipnetwork;
    const hcip_network_info& twelve = scan.devices()[1].orb.hcipnetwork;
    EXPECT_EQ(twelve.vid, "0599");
    EXPECT_EQ(twelve.pid, "4102");
    EXPECT_EQ(twelve.modelname, "PTZ-12X");
    EXPECT_TRUE(one.vid.isEmpty()) << "10.77.0.1 is not 10.77.0.12";
    EXPECT_EQ(one.modelname, "CAMERA");
}

TEST(ScanAnswers, AcknowledgementsAndStrangersAreOnlyNoted) {
    hcip::scanAnswers scan;
    scan.take(hex("00 05 80 03 15"), ipv4(10, 77, 0, 9));
    scan.take(hex("00 05 81 0C 06"), ipv4(10, 77, 0, 9));
    scan.take(hex("00 05 80 7F 06"), ipv4(10, 77, 0, 9));
    scan.take(hex("00 14 80 42 00 01 00 00 00 01 00 02 00 00 00 00 00 00 00 00"), 0);  // version
    scan.take(hex("00 2F 80 00"), 0);  // length says 47, only 4 came
    EXPECT_EQ(scan.deviceCount(), 0);
    const QStringList notes = scan.notes();
    ASSERT_EQ(notes.size(), 5);
    EXPECT_EQ(notes[0], "from 10.77.0.9: acknowledgement set IP: NAK");
    EXPECT_EQ(notes[1], "from 10.77.0.9: acknowledgement set gateway: ACK");
    EXPECT_EQ(notes[2], "from 10.77.0.9: acknowledgement code 0x7f: ACK");
    EXPECT_TRUE(notes[3].startsWith("ignored from 0.0.0.0: 20 bytes")) << notes[3].toStdString();
    EXPECT_TRUE(notes[4].startsWith("ignored from 0.0.0.0: 4 bytes")) << notes[4].toStdString();
}

TEST(ScanAnswers, TablesNeverOverflow) {
    hcip::scanAnswers scan;
    // 120 devices: 30 cameras, 12 switchers, 78 recorders, in a shuffled order.
    std::vector<QByteArray> answers;
    for (int i = 0; i < 120; ++i) {
        const char* name = i < 30 ? "cam" : i < 42 ? "MX-860" : "WXR-1";
        QByteArray mac = hex("AA 00 00 00 00 00");
        mac[5] = static_cast<char>(i);
        QByteArray address = hex("0A 4D 00 00");
        address[3] = static_cast<char>(i + 1);
        answers.push_back(deviceAnswer(name, mac, address));
    }
    std::mt19937 random(7);
    std::shuffle(answers.begin(), answers.begin() + 42, random);
    for (const QByteArray& a : answers) {
        scan.take(a, 0);
    }
    EXPECT_EQ(scan.deviceCount(), 100);
    EXPECT_EQ(scan.switchers().size(), 10u);
    const std::vector<hcip_device_info> cameras = scan.camerasByAddress(24);
    ASSERT_EQ(cameras.size(), 24u);
    EXPECT_EQ(cameras.front().orb.hcipnetwork.ipadd, "10.77.0.1");
    EXPECT_EQ(cameras.back().orb.hcipnetwork.ipadd, "10.77.0.24");
    int leftOut = 0;
    for (const QString& note : scan.notes()) {
        leftOut += note.startsWith("left out") ? 1 : 0;
    }
    EXPECT_EQ(leftOut, 20 + 2 + 6) << "devices, switchers and cameras past their tables";
}

// Random datagrams are the fuzz target's; these are the edges it may not reach.
TEST(ScanAnswers, HugeAndCutShortDatagramsAreSafe) {
    hcip::scanAnswers scan;
    scan.take(QByteArray(65536, '\xFF'), 0);
    // A name without a zero byte before the MAC, in a body cut right after it.
    scan.take(hex("00 15 80 00 00") + text("NO-TERMINATOR-XY"), 0);
    EXPECT_LE(scan.deviceCount(), kAllHcipDevices);
    EXPECT_LE(scan.camerasByAddress(32).size(), 32u);
    EXPECT_LE(scan.switchers().size(), 10u);
}

}  // namespace
