// Finding the cameras on the network and rewriting a camera's network setup, over the HCIP
// configuration protocol on UDP port 5002. Everything here runs in the GUI thread and blocks it
// while it waits for answers: a scan for its answer window plus the camera connections, a setup
// request until its answers stop coming.
#include <QDebug>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "cameraRules.h"
#include "connectionSettle.h"
#include "hcipDiscovery.h"
#include "mainControl.h"
#include "panelState.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr quint16 kHcipPort = 5002;
// Answers to a scan are read for this long after the request went out.
constexpr auto kScanWindow = std::chrono::milliseconds(500);
// Every camera found gets this long, all together, to take its control connection.
constexpr auto kConnectBudget = std::chrono::milliseconds(2000);
// A setup request: the first answer may take a second, the others follow close behind it.
constexpr int kFirstSetupAnswerMs = 1000;
constexpr int kSetupAnswersRead = 21;
constexpr int kSetupAnswerSpacingMs = 20;
constexpr int kGatewayAnswerSpacingMs = 30;
// How often the answers to a setup request are looked for while they may come.
constexpr int kSetupAnswerLookMs = 10;
// Setup requests waiting behind the one whose answers are being read: far more than a screen's
// save sends; past it a request is refused and logged.
constexpr std::size_t kMostSetupRequestsWaiting = 64;
// More datagrams than any scan can bring: a flood of them ends the reading here.
constexpr int kMostDatagramsPerRead = 4096;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// The next datagram on any of the bound sockets, waiting up to waitMs for one; nothing when none
// came in that time.
std::optional<QNetworkDatagram> nextDatagram(const std::vector<QUdpSocket*>& sockets, int waitMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::vector<pollfd> fds;
        for (QUdpSocket* socket : sockets) {
            if (socket->hasPendingDatagrams()) {
                return socket->receiveDatagram();
            }
            fds.push_back({static_cast<int>(socket->socketDescriptor()), POLLIN, 0});
        }
        const int left = millisecondsUntil(deadline);
        if (left == 0 || fds.empty()) {
            return std::nullopt;
        }
        const int ready = ::poll(fds.data(), fds.size(), left);
        if (ready < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (ready == 0) {
            return std::nullopt;
        }
    }
}

std::optional<hcip::ipv4Bytes> dottedValue(const char* operation, const char* what,
                                           const QString& text) {
    const std::optional<hcip::ipv4Bytes> value = hcip::parseDottedText(text);
    if (!value) {
        qDebug() << operation << "not sent:" << what << text << "is not four dotted numbers";
    }
    return value;
}

// Unicast requests go to the camera's present address, which must be a whole one.
std::optional<QHostAddress> cameraAddress(const char* operation, int index) {
    const QString text = cameraDevice.camera(index).hcipnetwork.ipadd;
    if (!hcip::parseDottedText(text)) {
        qDebug() << operation << "not sent: camera" << index + 1 << "has no address, only" << text;
        return std::nullopt;
    }
    return QHostAddress(text.trimmed());
}

}  // namespace

void mainControl::resetMappingLists() {
    camMappingWorkNames.clear();
    camMappingWorkIPs.clear();
    if (useSerialPort) {
        for (int i = 1; i <= kSerialCameras; ++i) {
            camMappingWorkNames << QStringLiteral("Serial CAM %1").arg(i);
            camMappingWorkIPs << QStringLiteral("RS-422");
        }
    }
}

bool mainControl::hcipPreProcess() {
    // The usable addresses of the running interfaces, for the screens.
    networkCardList.clear();
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& card : interfaces) {
        const auto flags = card.flags();
        if (!card.isValid() || flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !flags.testFlag(QNetworkInterface::IsRunning)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : card.addressEntries()) {
            const QString text = entry.ip().toString();
            if (hcip::isUsableLocalAddress(text)) {
                networkCardList << QStringLiteral("[%1] %2").arg(text, card.humanReadableName());
            }
        }
    }
    // Only a host with exactly one usable address knows which network its cameras are on.
    QList<QHostAddress> usable;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (hcip::isUsableLocalAddress(address.toString())) {
            usable << address;
        }
    }
    qDebug() << "[hcipPreProcess] network cards:" << networkCardList;
    if (usable.size() == 1) {
        bindHcipSockets(usable.front());
    } else {
        qDebug() << "[hcipPreProcess] not bound:" << usable.size() << "usable addresses";
    }
    if (autoScan) {
        doScan();
    }
    return scan != 0;
}

void mainControl::bindHcipSockets(const QHostAddress& address) {
    const auto mode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    if (zek710aUdpsocket->state() == QAbstractSocket::BoundState) {
        zek710aUdpsocket->abort();
    }
    if (zek710aUdpsocketRcv->state() == QAbstractSocket::BoundState) {
        zek710aUdpsocketRcv->abort();
    }
    if (!zek710aUdpsocket->bind(address, 0, mode)) {
        qDebug() << "[hcipPreProcess] cannot bind to" << address.toString()
                 << zek710aUdpsocket->errorString();
        return;
    }
    udpsocketBindAddress = address;
    const quint16 port = zek710aUdpsocket->localPort();
    if (!zek710aUdpsocketRcv->bind(QHostAddress::AnyIPv4, port, mode)) {
        qDebug() << "[hcipPreProcess] cannot bind the receive socket to port" << port
                 << zek710aUdpsocketRcv->errorString();
    }
    qDebug() << "[hcipPreProcess] bound to" << address.toString() << "port" << port;
}

std::vector<QUdpSocket*> mainControl::discoverySockets() const {
    std::vector<QUdpSocket*> bound;
    for (QUdpSocket* socket : {zek710aUdpsocketRcv, zek710aUdpsocket}) {
        if (socket->state() == QAbstractSocket::BoundState) {
            bound.push_back(socket);
        }
    }
    return bound;
}

// The scan of the screens ("Scan" of the device screen): the same request and answers as the scan
// at start-up, but the scan window and the cameras' connections pass on the GUI thread's timer and
// socket events, with the busy indicator up, instead of in a wait that would hold the screens.
void mainControl::hcipScan() {
    if (scanUnderWay || scanWaiting) {
        qDebug() << "[hcipScan] a scan is under way";
        return;
    }
    scanWaiting = true;
    emit iAmBusy(true);
    startScanWhenFree();
}

// A scan and the answers to setup requests share the discovery sockets: the scan starts once
// the setup request in flight has had its answers, and the requests wait for the scan.
void mainControl::startScanWhenFree() {
    if (!scanWaiting || setupRequestInFlight) {
        return;
    }
    scanWaiting = false;
    scanUnderWay = true;
    robinBeforeScan = runRobin;
    runRobin = false;
    // The slots the last scan may have filled are closed and marked absent.
    const int base = networkCameraSlot(0, useSerialPort);
    const int previous = std::min(allHcipindex, kCameraSlots - base);
    for (int i = 0; i < previous; ++i) {
        const int slot = base + i;
        zek710aTcpsocket[slot]->abort();
        cameraDevice.update(slot, [](orb_camera_info& r) { r.exist = false; });
    }
    const Clock::time_point deadline = sendScanRequest();
    QTimer::singleShot(millisecondsUntil(deadline), this, [this] {
        const std::vector<int> connecting = takeScanAnswers(Clock::now());
        std::vector<QTcpSocket*> sockets;
        for (const int slot : connecting) {
            sockets.push_back(zek710aTcpsocket[slot]);
        }
        whenConnectionsSettle(this, sockets, static_cast<int>(kConnectBudget.count()),
                              [this, connecting] {
                                  reportScanConnections(connecting);
                                  finishScan();
                              });
    });
}

void mainControl::finishScan() {
    if (cameraCount == 0) {
        // Nothing new to poll; serial cameras go on being polled as before.
        runRobin = robinBeforeScan;
    } else {
        runRobin = true;
        scan = 1;
    }
    scanUnderWay = false;
    followSwitcherRecord();
    emit iAmBusy(false);
    emit scanFinished(cameraCount);
    sendNextSetupRequest();
}

void mainControl::doScan() {
    const Clock::time_point deadline = sendScanRequest();
    const std::vector<int> connecting = takeScanAnswers(deadline);
    // The connections were all started and settle together; a camera that does not take its
    // connection stays present, and the round robin reports it.
    const Clock::time_point connectDeadline = Clock::now() + kConnectBudget;
    for (const int slot : connecting) {
        zek710aTcpsocket[slot]->waitForConnected(millisecondsUntil(connectDeadline));
    }
    reportScanConnections(connecting);
    if (!connecting.empty()) {
        runRobin = true;
        scan = 1;
    }
}

std::chrono::steady_clock::time_point mainControl::sendScanRequest() {
    // Answers left from earlier requests would count as answers to this scan.
    int stale = 0;
    while (stale < kMostDatagramsPerRead && nextDatagram(discoverySockets(), 0)) {
        ++stale;
    }
    if (stale > 0) {
        qDebug() << "[hcipScan] dropped" << stale << "datagrams left from earlier requests";
    }
    const QByteArray request = hcip::scanRequest();
    const Clock::time_point deadline = Clock::now() + kScanWindow;
    if (zek710aUdpsocket->writeDatagram(request, QHostAddress::Broadcast, kHcipPort) !=
        request.size()) {
        qDebug() << "[hcipScan] scan not sent:" << zek710aUdpsocket->errorString();
    }
    return deadline;
}

void mainControl::reportScanConnections(const std::vector<int>& started) {
    for (const int slot : started) {
        QTcpSocket* socket = zek710aTcpsocket[slot];
        if (socket->state() != QAbstractSocket::ConnectedState) {
            qDebug() << "[hcipScan] camera" << slot + 1
                     << "did not take its connection:" << socket->errorString();
        }
    }
}

std::vector<int> mainControl::takeScanAnswers(std::chrono::steady_clock::time_point deadline) {
    hcip::scanAnswers answers;
    for (int read = 0; read < kMostDatagramsPerRead; ++read) {
        const std::optional<QNetworkDatagram> datagram =
            nextDatagram(discoverySockets(), millisecondsUntil(deadline));
        if (!datagram) {
            break;
        }
        bool isIPv4 = false;
        const quint32 sender = datagram->senderAddress().toIPv4Address(&isIPv4);
        answers.take(datagram->data(), isIPv4 ? sender : 0);
    }

    const std::vector<hcip_device_info> switchers = answers.switchers();
    const int base = networkCameraSlot(0, useSerialPort);
    const std::vector<hcip_device_info> cameras = answers.camerasByAddress(kCameraSlots - base);
    for (const QString& note : answers.notes()) {
        qDebug() << "[hcipScan]" << note;
    }
    allHcipDevice = answers.devices();
    allHcipindex = answers.deviceCount();
    switcherIndex = static_cast<int>(switchers.size());
    std::copy(switchers.begin(), switchers.end(), switcherDevice.begin());
    cameraCount = static_cast<int>(cameras.size());
    qDebug() << "[hcipScan] devices" << allHcipindex << "cameras" << cameraCount.load()
             << "switchers" << switcherIndex;

    resetMappingLists();
    std::vector<int> connecting;
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        const int slot = base + static_cast<int>(i);
        const hcip_device_info& camera = cameras[i];
        cameraDevice.updateDevice(slot, [&camera](hcip_device_info& d) { d = camera; });
        camMappingWorkNames << camera.orb.hcipnetwork.name.trimmed();
        camMappingWorkIPs << camera.orb.hcipnetwork.ipadd;
        QTcpSocket* socket = zek710aTcpsocket[slot];
        socket->abort();
        socket->connectToHost(camera.orb.hcipnetwork.ipadd, kHcipPort, QIODevice::ReadWrite);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        cameraDevice.update(slot, [](orb_camera_info& r) { r.exist = true; });
        qDebug() << "[hcipScan] camera" << slot + 1 << camera.orb.hcipnetwork.name
                 << camera.orb.hcipnetwork.ipadd << camera.orb.hcipnetwork.modelname;
        emit refreshCameraExist(slot + 1, true);
        connecting.push_back(slot);
    }
    return connecting;
}

void mainControl::resetCameranetwork(int /*index*/) {}

std::optional<hcip::macBytes> mainControl::slotMac(const char* operation, int index) const {
    if (index < 0 || index >= kCameraSlots) {
        qDebug() << operation << "not sent: no camera slot" << index;
        return std::nullopt;
    }
    const QString mac = cameraDevice.camera(index).hcipnetwork.macadd;
    const std::optional<hcip::macBytes> bytes = hcip::parseMacText(mac);
    if (!bytes) {
        qDebug() << operation << "not sent: slot" << index << "has no MAC address, only" << mac;
    }
    return bytes;
}

// Setup requests go out one at a time, as the camera takes them: the next once the answers to the
// last have come (or their time is over). The answers are logged, not evaluated. Broadcast answers
// arrive on the receive socket, answers sent back to this address on the sending one. They are
// read on the GUI thread's timer, so the screens go on while a camera takes its time (or never
// answers).
bool mainControl::sendSetupRequest(const char* operation, const QByteArray& datagram,
                                   const QHostAddress& to, int answerSpacingMs) {
    if (setupRequests.size() >= kMostSetupRequestsWaiting) {
        qDebug() << operation << "not sent:" << setupRequests.size() << "requests already wait";
        return false;
    }
    setupRequests.push_back({operation, datagram, to, answerSpacingMs});
    if (!setupRequestInFlight && !scanUnderWay) {
        sendNextSetupRequest();
    }
    return true;
}

void mainControl::sendNextSetupRequest() {
    setupRequestInFlight = false;
    if (scanUnderWay) {
        return;  // the scan's end sends the next
    }
    while (!setupRequests.empty()) {
        const setupRequest request = setupRequests.front();
        setupRequests.pop_front();
        if (zek710aUdpsocket->writeDatagram(request.datagram, request.to, kHcipPort) !=
            request.datagram.size()) {
            qDebug() << request.operation << "could not send to" << request.to.toString()
                     << zek710aUdpsocket->errorString();
            continue;
        }
        qDebug() << request.operation << "sent to" << request.to.toString()
                 << request.datagram.toHex(' ');
        setupRequestInFlight = true;
        logSetupAnswers(request.operation,
                        Clock::now() + std::chrono::milliseconds(kFirstSetupAnswerMs),
                        request.answerSpacingMs, kSetupAnswersRead);
        return;
    }
    startScanWhenFree();
}

void mainControl::logSetupAnswers(const char* operation,
                                  std::chrono::steady_clock::time_point deadline,
                                  int answerSpacingMs, int left) {
    while (left > 0) {
        const std::optional<QNetworkDatagram> answer = nextDatagram(discoverySockets(), 0);
        if (!answer) {
            break;
        }
        qDebug() << operation << "answer from" << answer->senderAddress().toString()
                 << hcip::describeAnswer(answer->data());
        --left;
        // After an answer, the next one comes within the spacing or not at all.
        deadline = Clock::now() + std::chrono::milliseconds(answerSpacingMs);
    }
    const int remaining = millisecondsUntil(deadline);
    if (left == 0 || remaining == 0) {
        sendNextSetupRequest();
        return;
    }
    QTimer::singleShot(std::min(remaining, kSetupAnswerLookMs), this,
                       [this, operation, deadline, answerSpacingMs, left] {
                           logSetupAnswers(operation, deadline, answerSpacingMs, left);
                       });
}

void mainControl::getFWVersion(int index) {
    if (const auto mac = slotMac("[getFWVersion]", index)) {
        sendSetupRequest("[getFWVersion]", hcip::firmwareVersionRequest(*mac),
                         QHostAddress::Broadcast, kSetupAnswerSpacingMs);
    }
}

void mainControl::setDhcpMode(int index, int mode) {
    if (const auto mac = slotMac("[setDhcpMode]", index)) {
        sendSetupRequest("[setDhcpMode]", hcip::dhcpModeRequest(*mac, mode != 0),
                         QHostAddress::Broadcast, kSetupAnswerSpacingMs);
    }
}

void mainControl::setIpAdr(int index, const QString& address, const QString& gateway) {
    const auto mac = slotMac("[setIpAdr]", index);
    const auto newAddress = dottedValue("[setIpAdr]", "address", address);
    const auto newGateway = dottedValue("[setIpAdr]", "gateway", gateway);
    if (mac && newAddress && newGateway) {
        sendSetupRequest("[setIpAdr]", hcip::ipAddressRequest(*mac, *newAddress, *newGateway),
                         QHostAddress::Broadcast, kSetupAnswerSpacingMs);
    }
}

void mainControl::reset(int index) {
    if (const auto mac = slotMac("[reset]", index)) {
        sendSetupRequest("[reset]", hcip::resetRequest(*mac), QHostAddress::Broadcast,
                         kSetupAnswerSpacingMs);
    }
}

void mainControl::setDhcpName(int index, const QString& name) {
    if (!slotMac("[setDhcpName]", index)) {
        return;
    }
    if (const auto to = cameraAddress("[setDhcpName]", index)) {
        sendSetupRequest("[setDhcpName]", hcip::dhcpNameRequest(name), *to, kSetupAnswerSpacingMs);
    }
}

void mainControl::setMacAdr(int index, const QString& mac) {
    if (!slotMac("[setMacAdr]", index)) {
        return;
    }
    const std::optional<hcip::macBytes> newMac = hcip::parseMacText(mac);
    if (!newMac) {
        qDebug() << "[setMacAdr] not sent:" << mac << "is not six hex numbers";
        return;
    }
    if (const auto to = cameraAddress("[setMacAdr]", index)) {
        sendSetupRequest("[setMacAdr]", hcip::macAddressRequest(*newMac), *to,
                         kSetupAnswerSpacingMs);
    }
}

void mainControl::sendDottedValue(const char* operation, int index, const char* what,
                                  const QString& text,
                                  QByteArray (*request)(const hcip::ipv4Bytes&),
                                  int answerSpacingMs) {
    const auto value = dottedValue(operation, what, text);
    if (!slotMac(operation, index) || !value) {
        return;
    }
    if (const auto to = cameraAddress(operation, index)) {
        sendSetupRequest(operation, request(*value), *to, answerSpacingMs);
    }
}

void mainControl::setNetmask(int index, const QString& netmask) {
    sendDottedValue("[setNetmask]", index, "netmask", netmask, hcip::netmaskRequest,
                    kSetupAnswerSpacingMs);
}

void mainControl::setGateway(int index, const QString& gateway) {
    sendDottedValue("[setGateway]", index, "gateway", gateway, hcip::gatewayRequest,
                    kGatewayAnswerSpacingMs);
}

void mainControl::setPrimDNS(int index, const QString& dns) {
    sendDottedValue("[setPrimDNS]", index, "DNS server", dns, hcip::primaryDnsRequest,
                    kSetupAnswerSpacingMs);
}

void mainControl::setSecDNS(int index, const QString& dns) {
    sendDottedValue("[setSecDNS]", index, "DNS server", dns, hcip::secondaryDnsRequest,
                    kSetupAnswerSpacingMs);
}
