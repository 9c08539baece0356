// Camera discovery over the HCIP configuration protocol, without sockets: the requests the panel
// sends (the scan and the remote network setup of a camera), and the reading of the answers to a
// scan into devices, switchers and cameras placed by address.
//
// Every datagram starts with its total length (2 bytes, big-endian), a class byte (0x80 sent to
// the broadcast address, 0x81 sent to the device's own address) and a code byte.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

#include "cameraRecords.h"

namespace hcip {

using macBytes = std::array<quint8, 6>;
using ipv4Bytes = std::array<quint8, 4>;

// "02:A4:5C:07:12:AB" (either case): six hex numbers of one byte each, or nothing.
std::optional<macBytes> parseMacText(const QString& text);
// "192.168.1.30": four decimal numbers of one byte each (the strict address check: no leading
// zeros, no short forms), or nothing. Blanks around it are ignored.
std::optional<ipv4Bytes> parseDottedText(const QString& text);

// An address of this host the panel may use for discovery: four dotted parts, and neither a
// link-local ("169.") nor a loopback ("127.") one.
bool isUsableLocalAddress(const QString& text);

// Requests. Broadcast-class ones name the camera by its MAC.
QByteArray scanRequest();
QByteArray firmwareVersionRequest(const macBytes& mac);
QByteArray dhcpModeRequest(const macBytes& mac, bool dhcp);
QByteArray ipAddressRequest(const macBytes& mac, const ipv4Bytes& address,
                            const ipv4Bytes& gateway);
QByteArray resetRequest(const macBytes& mac);
// Unicast-class ones go to the camera's address and carry no MAC.
QByteArray dhcpNameRequest(const QString& name);  // first 15 characters, zero-padded to 16
QByteArray macAddressRequest(const macBytes& newMac);
QByteArray netmaskRequest(const ipv4Bytes& netmask);
QByteArray gatewayRequest(const ipv4Bytes& gateway);
QByteArray primaryDnsRequest(const ipv4Bytes& dns);
QByteArray secondaryDnsRequest(const ipv4Bytes& dns);

// Name of the code of a 5-byte acknowledgement ("set IP", "scan", ...; "code 0xNN" when unknown).
QString acknowledgementName(quint8 code);
// One line for the log about an answer to a setup request or a stray datagram.
QString describeAnswer(const QByteArray& datagram);

// Where the classification of a device by its host name and MAC sends it.
enum class deviceDestination { camera, switcher, nowhere };
struct deviceClass {
    QString modelname;  // "ORB310", "SWITCHER", "CAMERA", ... ; empty for another panel's MAC
    deviceDestination destination;
};
deviceClass classifyDevice(const QString& hostName, const QString& macText);

// Sort order of discovered cameras: the last number of the address.
bool seriesCompare(const hcip_device_info& a, const hcip_device_info& b);

// The answers to one scan. Devices are kept in order of arrival, once per MAC; other panels are
// not kept. Nothing is ever written past a table: devices, switchers and cameras beyond their
// limits are left out with a note.
class scanAnswers {
public:
    // One datagram as it arrived, and the IPv4 address of its sender (host order).
    void take(const QByteArray& datagram, quint32 senderAddress);

    int deviceCount() const { return deviceCount_; }
    const std::array<hcip_device_info, kAllHcipDevices>& devices() const { return devices_; }
    // Switchers in order of arrival, at most kSwitcherDevices; the others are noted as left out.
    std::vector<hcip_device_info> switchers();
    // The cameras in the order of the last number of their address (equal ones by the whole
    // address, then by arrival), at most capacity of them; the others are noted as left out.
    std::vector<hcip_device_info> camerasByAddress(int capacity);

    // What happened to the datagrams that were not simply taken, for the log.
    const QStringList& notes() const { return notes_; }

private:
    void takeDeviceInformation(const QByteArray& datagram);
    void takeModelAnswer(const QByteArray& datagram, quint32 senderAddress);

    std::array<hcip_device_info, kAllHcipDevices> devices_{};
    int deviceCount_ = 0;
    QStringList notes_;
};

}  // namespace hcip
