#include "hcipDiscovery.h"

#include "networkConfig.h"

#include <algorithm>

namespace hcip {

namespace {

constexpr quint8 kBroadcastClass = 0x80;
constexpr quint8 kUnicastClass = 0x81;

constexpr int kDeviceInformationSize = 47;
constexpr int kModelInformationSize = 8;
constexpr int kAcknowledgementSize = 5;
constexpr int kHostNameOffset = 5;
constexpr int kHostNameWidth = 16;
constexpr int kMacOffset = 21;
constexpr int kAddressOffset = 27;
constexpr int kSeriesOffset = 30;  // last number of the address

quint8 byteAt(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes.at(index));
}

// Header with the length filled in once the body is complete.
QByteArray frame(quint8 typeCode, quint8 code, const QByteArray& body) {
    const int size = 4 + body.size();
    QByteArray out;
    out.reserve(size);
    out.append(static_cast<char>((size >> 8) & 0xFF));
    out.append(static_cast<char>(size & 0xFF));
    out.append(static_cast<char>(typeCode));
    out.append(static_cast<char>(code));
    out.append(body);
    return out;
}

template <std::size_t N>
QByteArray raw(const std::array<quint8, N>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(N));
}

QString ipv4Text(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg((address >> 24) & 0xFF)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

// Four bytes at offset, first number first.
QString dottedAt(const QByteArray& bytes, int offset) {
    return ipv4Text((quint32{byteAt(bytes, offset)} << 24) |
                    (quint32{byteAt(bytes, offset + 1)} << 16) |
                    (quint32{byteAt(bytes, offset + 2)} << 8) | byteAt(bytes, offset + 3));
}

// Text from offset up to the first zero byte, at most width bytes and never past the end.
QString zeroEndedText(const QByteArray& bytes, int offset, int width) {
    const int end = std::min(bytes.size(), offset + width);
    int stop = offset;
    while (stop < end && bytes.at(stop) != '\0') {
        ++stop;
    }
    return QString::fromLatin1(bytes.constData() + offset, std::max(0, stop - offset));
}

bool containsAny(const QString& text, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(), [&text](const char* word) {
        return text.contains(QLatin1String(word), Qt::CaseInsensitive);
    });
}

bool isPanelHostName(const QString& name) {
    return containsAny(name, {"ZEK-710", "ZEK710"});
}

quint32 addressValue(const QString& dotted) {
    const std::optional<ipv4Bytes> b = parseDottedText(dotted);
    if (!b) {
        return 0;
    }
    return (quint32{(*b)[0]} << 24) | (quint32{(*b)[1]} << 16) | (quint32{(*b)[2]} << 8) | (*b)[3];
}

}  // namespace

namespace {

// Text of count numbers joined by separator, each of at most maxDigits digits in base and at
// most 255, as bytes.
template <std::size_t count>
std::optional<std::array<quint8, count>> byteNumbers(const QString& text, QChar separator, int base,
                                                     int maxDigits) {
    const QStringList parts = text.split(separator);
    if (parts.size() != static_cast<int>(count)) {
        return std::nullopt;
    }
    std::array<quint8, count> out{};
    for (std::size_t i = 0; i < count; ++i) {
        const QString& part = parts[static_cast<int>(i)];
        bool ok = false;
        const uint value = part.toUInt(&ok, base);
        if (!ok || part.size() > maxDigits || value > 0xFF) {
            return std::nullopt;
        }
        out[i] = static_cast<quint8>(value);
    }
    return out;
}

}  // namespace

std::optional<macBytes> parseMacText(const QString& text) {
    return byteNumbers<6>(text, ':', 16, 2);
}

std::optional<ipv4Bytes> parseDottedText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!netconfig::isDottedQuad(trimmed.toStdString())) {
        return std::nullopt;
    }
    return byteNumbers<4>(trimmed, '.', 10, 3);
}

bool isUsableLocalAddress(const QString& text) {
    const QStringList parts = text.split('.');
    return parts.size() == 4 && parts[0] != "169" && parts[0] != "127";
}

QByteArray scanRequest() {
    return frame(kBroadcastClass, 0x00, QByteArrayLiteral("ETH_REQ"));
}

QByteArray firmwareVersionRequest(const macBytes& mac) {
    return frame(kBroadcastClass, 0x01, raw(mac) + QByteArrayLiteral("FWVER_REQ"));
}

QByteArray dhcpModeRequest(const macBytes& mac, bool dhcp) {
    QByteArray body = raw(mac) + QByteArrayLiteral("SET_DHCPMODE");
    body.append(static_cast<char>(dhcp ? 1 : 0));
    return frame(kBroadcastClass, 0x02, body);
}

QByteArray ipAddressRequest(const macBytes& mac, const ipv4Bytes& address,
                            const ipv4Bytes& gateway) {
    return frame(kBroadcastClass, 0x03,
                 raw(mac) + QByteArrayLiteral("SET_IPADR") + raw(address) + raw(gateway));
}

QByteArray resetRequest(const macBytes& mac) {
    return frame(kBroadcastClass, 0x04, raw(mac) + QByteArrayLiteral("RESET"));
}

QByteArray dhcpNameRequest(const QString& name) {
    QByteArray field = name.left(15).toLatin1();
    field.append(QByteArray(kHostNameWidth - field.size(), '\0'));
    return frame(kUnicastClass, 0x09, QByteArrayLiteral("SET_DHCPNAME") + field);
}

QByteArray macAddressRequest(const macBytes& newMac) {
    return frame(kUnicastClass, 0x0A, QByteArrayLiteral("SET_MACADR") + raw(newMac));
}

QByteArray netmaskRequest(const ipv4Bytes& netmask) {
    return frame(kUnicastClass, 0x0B, QByteArrayLiteral("SET_NETMASK") + raw(netmask));
}

QByteArray gatewayRequest(const ipv4Bytes& gateway) {
    return frame(kUnicastClass, 0x0C, QByteArrayLiteral("SET_GATEWAY") + raw(gateway));
}

QByteArray primaryDnsRequest(const ipv4Bytes& dns) {
    return frame(kUnicastClass, 0x0D, QByteArrayLiteral("SET_PRIDNS") + raw(dns));
}

QByteArray secondaryDnsRequest(const ipv4Bytes& dns) {
    return frame(kUnicastClass, 0x0E, QByteArrayLiteral("SET_SECDNS") + raw(dns));
}

QString acknowledgementName(quint8 code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("scan");
        case 0x01:
            return QStringLiteral("firmware version request");
        case 0x02:
            return QStringLiteral("set DHCP mode");
        case 0x03:
            return QStringLiteral("set IP");
        case 0x04:
            return QStringLiteral("reset");
        case 0x08:
            return QStringLiteral("bootloader");
        case 0x09:
            return QStringLiteral("set DHCP name");
        case 0x0A:
            return QStringLiteral("set MAC");
        case 0x0B:
            return QStringLiteral("set netmask");
        case 0x0C:
            return QStringLiteral("set gateway");
        case 0x0D:
            return QStringLiteral("set primary DNS");
        case 0x0E:
            return QStringLiteral("set second DNS");
        case 0x40:
            return QStringLiteral("get model VID/PID");
        case 0x41:
            return QStringLiteral("get model name");
        default:
            return QStringLiteral("code 0x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
}

QString describeAnswer(const QByteArray& datagram) {
    if (datagram.size() == kAcknowledgementSize) {
        const quint8 status = byteAt(datagram, 4);
        return QStringLiteral("acknowledgement %1: %2")
            .arg(acknowledgementName(byteAt(datagram, 3)),
                 status == 0x06 ? QStringLiteral("ACK")
                 : status == 0x15
                     ? QStringLiteral("NAK")
                     : QStringLiteral("status 0x%1").arg(status, 2, 16, QLatin1Char('0')));
    }
    return QStringLiteral("%1 bytes: %2")
        .arg(datagram.size())
        .arg(QString::fromLatin1(datagram.left(64).toHex(' ')));
}

deviceClass classifyDevice(const QString& hostName, const QString& macText) {
    const auto macHas = [&macText](const char* prefix) {
        return macText.contains(QLatin1String(prefix), Qt::CaseInsensitive);
    };
    if (containsAny(hostName, {"KYL-520", "KYL520", "KYL", "ZEK"})) {
        return {QStringLiteral("ELSE"), deviceDestination::nowhere};
    }
    if (containsAny(hostName, {"MX-430", "MX430", "MX-860", "MX-2900", "MX2900", "MX-5800",
                               "MX5800", "QV-5800", "QV5800", "MX860"})) {
        return {QStringLiteral("SWITCHER"), deviceDestination::switcher};
    }
    if (macHas("02:A4:5C:07:") || macHas("02:A4:5C:06:")) {
        return {QStringLiteral("ORB310"), deviceDestination::camera};
    }
    if (macHas("02:A4:5C:05:")) {
        return {QStringLiteral("ORB270"), deviceDestination::camera};
    }
    if (macHas("02:A4:5C:09:")) {
        return {QStringLiteral("LN60"), deviceDestination::camera};
    }
    if (macHas("02:A4:5C:04:")) {
        return {QStringLiteral("ORB390"), deviceDestination::camera};
    }
    if (macHas("02:A4:5C:01:")) {
        return {QString(), deviceDestination::nowhere};  // a panel
    }
    if (containsAny(hostName, {"MX-", "QV-"})) {
        return {QStringLiteral("SWITCHER"), deviceDestination::switcher};
    }
    if (containsAny(hostName, {"WXR"})) {
        return {QStringLiteral("RECORDER"), deviceDestination::nowhere};
    }
    return {QStringLiteral("CAMERA"), deviceDestination::camera};
}

bool seriesCompare(const hcip_device_info& a, const hcip_device_info& b) {
    return a.series < b.series;
}

void scanAnswers::take(const QByteArray& datagram, quint32 senderAddress) {
    const QString sender = ipv4Text(senderAddress);
    if (datagram.size() < 4) {
        notes_ << QStringLiteral("ignored %1 bytes from %2: too short for an answer")
                      .arg(datagram.size())
                      .arg(sender);
        return;
    }
    const int length = (byteAt(datagram, 0) << 8) | byteAt(datagram, 1);
    const bool lengthMatches = length == datagram.size();
    const quint8 code = byteAt(datagram, 3);
    if (lengthMatches && code == 0x00) {
        if (datagram.size() < kDeviceInformationSize) {
            notes_ << QStringLiteral("ignored device information of %1 bytes from %2: it needs %3")
                          .arg(datagram.size())
                          .arg(sender)
                          .arg(kDeviceInformationSize);
            return;
        }
        takeDeviceInformation(datagram);
    } else if (datagram.size() == kAcknowledgementSize) {
        notes_ << QStringLiteral("from %1: %2").arg(sender, describeAnswer(datagram));
    } else if (lengthMatches && (code == 0x40 || code == 0x41)) {
        takeModelAnswer(datagram, senderAddress);
    } else {
        notes_ << QStringLiteral("ignored from %1: %2").arg(sender, describeAnswer(datagram));
    }
}

void scanAnswers::takeDeviceInformation(const QByteArray& datagram) {
    const QString name = zeroEndedText(datagram, kHostNameOffset, kHostNameWidth);
    if (isPanelHostName(name)) {
        return;  // panels are not listed
    }
    const QString mac = QString::fromLatin1(datagram.mid(kMacOffset, 6).toHex(':')).toUpper();
    for (int i = 0; i < deviceCount_; ++i) {
        if (devices_[static_cast<std::size_t>(i)].orb.hcipnetwork.macadd == mac) {
            return;  // the same device answered twice
        }
    }
    if (deviceCount_ >= kAllHcipDevices) {
        notes_ << QStringLiteral("left out %1 (%2, %3): the device table is full")
                      .arg(name, mac, dottedAt(datagram, kAddressOffset));
        return;
    }
    hcip_device_info device;
    hcip_network_info& n = device.orb.hcipnetwork;
    n.isdhcp = byteAt(datagram, 4) != 0;
    n.name = name;
    n.macadd = mac;
    n.ipadd = dottedAt(datagram, kAddressOffset);
    n.maskadd = dottedAt(datagram, 31);
    n.gatewayadd = dottedAt(datagram, 35);
    n.primdnsadd = dottedAt(datagram, 39);
    n.secdnsadd = dottedAt(datagram, 43);
    const deviceClass kind = classifyDevice(name, mac);
    n.modelname = kind.modelname;
    device.orb.cameraModel = kind.modelname;
    device.series = byteAt(datagram, kSeriesOffset);
    switch (kind.destination) {
        case deviceDestination::camera:
            device.type = 2;
            break;
        case deviceDestination::switcher:
            device.type = 1;
            break;
        case deviceDestination::nowhere:
            device.type = 3;
            break;
    }
    devices_[static_cast<std::size_t>(deviceCount_++)] = device;
}

void scanAnswers::takeModelAnswer(const QByteArray& datagram, quint32 senderAddress) {
    const bool vendorAndProduct = byteAt(datagram, 3) == 0x40;
    if (vendorAndProduct && datagram.size() < kModelInformationSize) {
        notes_ << QStringLiteral("ignored model information of %1 bytes").arg(datagram.size());
        return;
    }
    const auto hexPair = [&datagram](int index) {
        return QStringLiteral("%1").arg(byteAt(datagram, index), 2, 16, QLatin1Char('0')).toUpper();
    };
    const QString sender = ipv4Text(senderAddress);
    for (int i = 0; i < deviceCount_; ++i) {
        hcip_network_info& n = devices_[static_cast<std::size_t>(i)].orb.hcipnetwork;
        if (n.ipadd != sender) {
            continue;
        }
        if (vendorAndProduct) {
            n.vid = hexPair(4) + hexPair(5);
            n.pid = hexPair(6) + hexPair(7);
        } else {
            n.modelname = zeroEndedText(datagram, 4, datagram.size() - 4);
        }
    }
}

std::vector<hcip_device_info> scanAnswers::switchers() {
    std::vector<hcip_device_info> found;
    for (int i = 0; i < deviceCount_; ++i) {
        const hcip_device_info& d = devices_[static_cast<std::size_t>(i)];
        if (d.type != 1) {
            continue;
        }
        if (static_cast<int>(found.size()) < kSwitcherDevices) {
            found.push_back(d);
        } else {
            notes_ << QStringLiteral("left out switcher %1 (%2): the switcher table is full")
                          .arg(d.orb.hcipnetwork.name, d.orb.hcipnetwork.ipadd);
        }
    }
    return found;
}

std::vector<hcip_device_info> scanAnswers::camerasByAddress(int capacity) {
    std::vector<hcip_device_info> cameras;
    for (int i = 0; i < deviceCount_; ++i) {
        if (devices_[static_cast<std::size_t>(i)].type == 2) {
            cameras.push_back(devices_[static_cast<std::size_t>(i)]);
        }
    }
    std::stable_sort(
        cameras.begin(), cameras.end(), [](const hcip_device_info& a, const hcip_device_info& b) {
            if (seriesCompare(a, b) || seriesCompare(b, a)) {
                return seriesCompare(a, b);
            }
            return addressValue(a.orb.hcipnetwork.ipadd) < addressValue(b.orb.hcipnetwork.ipadd);
        });
    const std::size_t keep = static_cast<std::size_t>(std::max(0, capacity));
    for (std::size_t i = keep; i < cameras.size(); ++i) {
        const hcip_network_info& n = cameras[i].orb.hcipnetwork;
        notes_ << QStringLiteral("left out camera %1 (%2, %3): every camera slot is taken")
                      .arg(n.name, n.macadd, n.ipadd);
    }
    if (cameras.size() > keep) {
        cameras.resize(keep);
    }
    return cameras;
}

}  // namespace hcip
