// Network cameras that come back by themselves. A camera that reboots or loses its cable drops
// its HCIP connection; the panel connects it again in the background, for every camera of the
// table, with a growing pause between attempts, and shows meanwhile which cameras are down: the
// tile on the camera page shows the disconnected picture and the camera key blinks. Everything
// here runs in the GUI thread, which owns the camera sockets; a connection attempt never blocks
// it (connectToHost returns at once, and the supervisor ends an attempt that takes too long).
#include <QDebug>
#include <QTcpSocket>
#include <QUdpSocket>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "cameraRules.h"
#include "mainControl.h"
#include "panelState.h"

namespace {

constexpr quint16 kHcipPort = 5002;
// How often the supervisor looks at the table; a camera that is back is found this much after
// its attempt is due at the latest.
constexpr int kSupervisorPeriodMs = 50;
// One connection attempt: a camera that does not take the connection within this time is
// counted as still down (a pulled cable leaves the attempt without any answer).
constexpr std::chrono::milliseconds kConnectAttemptLimit{1500};
// Data the camera does not acknowledge for this long ends the connection: with a pulled cable
// the connection would otherwise look alive for many minutes. It adds no traffic.
constexpr unsigned kUnacknowledgedLimitMs = 3000;

long long msFrom(std::chrono::milliseconds d) {
    return static_cast<long long>(d.count());
}

}  // namespace

void mainControl::watchCameraSockets() {
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        QTcpSocket* tcp = zek710aTcpsocket[slot];
        connect(tcp, &QTcpSocket::connected, this, [tcp] {
            const int fd = static_cast<int>(tcp->socketDescriptor());
            const unsigned limit = kUnacknowledgedLimitMs;
            if (fd >= 0 &&
                ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &limit, sizeof limit) != 0) {
                qDebug() << "camera socket: TCP_USER_TIMEOUT not set";
            }
        });
        // Every new association of a VISCA-over-IP camera starts its numbering afresh.
        QUdpSocket* udp = viscaUdpSockets[slot];
        connect(udp, &QUdpSocket::stateChanged, this,
                [this, slot](QAbstractSocket::SocketState state) {
                    if (state == QAbstractSocket::ConnectedState) {
                        cameraLinks[slot].viscaResetDue = true;
                    }
                });
    }
}

void mainControl::startCameraLinkSupervisor() {
    if (cameraLinkSupervisor != nullptr) {
        return;
    }
    cameraLinkSupervisor = new QTimer(this);
    cameraLinkSupervisor->setInterval(kSupervisorPeriodMs);
    connect(cameraLinkSupervisor, &QTimer::timeout, this, &mainControl::superviseCameraLinks);
    cameraLinkSupervisor->start();
}

bool mainControl::keepsConnected(int slot) const {
    if (slot < 0 || slot >= kUsedCameraSlots || (useSerialPort && slot < kSerialCameras)) {
        return false;
    }
    const orb_camera_info record = cameraDevice.camera(slot);
    return record.exist && !record.useVisca && !record.hcipnetwork.ipadd.isEmpty();
}

void mainControl::setCameraDown(int slot, bool down) {
    if (slot < 0 || slot >= kCameraSlots) {
        return;
    }
    cameraLink& link = cameraLinks[slot];
    if (!down) {
        // Back: the next loss is a new one and gets its message again.
        link.unreachableShown = false;
        link.failures = 0;
    }
    if (link.down == down) {
        return;
    }
    link.down = down;
    if (slot < kUsedCameraSlots) {
        cameraLinkDown[slot] = down;
    }
    emit cameraLinkChanged(slot + 1, !down);
}

void mainControl::superviseCameraLinks() {
    const auto now = std::chrono::steady_clock::now();
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        cameraLink& link = cameraLinks[slot];
        QTcpSocket* socket = zek710aTcpsocket[slot];
        const QAbstractSocket::SocketState state = socket->state();
        if (!keepsConnected(slot)) {
            if (link.attempting) {
                socket->abort();
                link.attempting = false;
            }
            // A VISCA camera's state is judged by its answers (sendOverViscaUdp).
            if (link.down && !cameraDevice.camera(slot).useVisca) {
                setCameraDown(slot, false);
            }
            continue;
        }
        const int camera = slot + 1;
        if (state == QAbstractSocket::ConnectedState) {
            if (link.attempting || link.down) {
                qDebug() << "camera" << camera << "connected again";
            }
            link.attempting = false;
            setCameraDown(slot, false);
            continue;
        }
        if (link.attempting) {
            if (state != QAbstractSocket::UnconnectedState && now < link.attemptEnds) {
                continue;  // still trying
            }
            socket->abort();
            link.attempting = false;
            ++link.failures;
            const auto wait = reconnectDelay(link.failures);
            link.nextAttempt = now + wait;
            qDebug() << "camera" << camera << "connection attempt" << link.failures
                     << "failed; next in" << msFrom(wait) << "ms";
            continue;
        }
        if (state != QAbstractSocket::UnconnectedState) {
            continue;  // someone else connects it (discovery, loading, the serial mode switch)
        }
        if (!link.down) {
            setCameraDown(slot, true);
            link.failures = 0;
            link.nextAttempt = now + reconnectDelay(0);
            qDebug() << "camera" << camera << cameraDevice.camera(slot).hcipnetwork.ipadd
                     << "connection lost; trying again in" << msFrom(reconnectDelay(0)) << "ms";
            continue;
        }
        if (now < link.nextAttempt) {
            continue;
        }
        link.attempting = true;
        link.attemptEnds = now + kConnectAttemptLimit;
        socket->connectToHost(cameraDevice.camera(slot).hcipnetwork.ipadd, kHcipPort,
                              QIODevice::ReadWrite);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
}
