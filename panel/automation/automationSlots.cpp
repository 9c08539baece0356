// The automation interface as the panel runs it: the switch and tokens of the System screen, the
// state published to the server from the GUI thread, and the server's start and stop.
#include <QDebug>
#include <QFile>

#include "automationServer.h"
#include "eventLog.h"
#include "mainControl.h"
#include "panelSnapshot.h"
#include "panelState.h"
#include "remoteKeys.h"
#include "tallyState.h"

namespace {

constexpr std::chrono::seconds kBindRetryPeriod{1};

QString protocolName(const orb_camera_info& r, bool serial) {
    if (serial) {
        return QStringLiteral("serial");
    }
    switch (r.protocolIndex) {
        case protocolViscaOverIp:
            return QStringLiteral("visca-over-ip");
        case protocolSimpleVisca:
            return QStringLiteral("visca");
        default:
            return QStringLiteral("hcip");  // HCIP, and NDI cameras driven like HCIP
    }
}

std::string statusPage() {
    QFile page(QStringLiteral(":/automation/index.html"));
    if (!page.open(QIODevice::ReadOnly)) {
        return "<!doctype html><title>ZEK-710A</title><p>The status page is missing.</p>";
    }
    return page.readAll().toStdString();
}

}  // namespace

bool mainControl::getAutomationEnabled() const {
    return zek710aSettings().value("automation/enabled", false).toBool();
}

void mainControl::setAutomationEnabled(bool on) {
    QSettings& settings = zek710aSettings();
    settings.setValue("automation/enabled", on);
    settings.sync();
    if (on) {
        automationTriedAt = {};
        automationTimer->start(0);
    } else {
        stopAutomation();
    }
    emit automationChanged();
}

QString mainControl::getAutomationAddress() const {
    if (!automationServer || automationServer->port() == 0) {
        return {};
    }
    return QString::fromStdString(automationServer->address()) + ':' +
           QString::number(automationServer->port());
}

QString mainControl::automationHash(bool control) const {
    std::lock_guard<std::mutex> lock(automationHashMutex);
    return control ? automationControlHash : automationReadHash;
}

bool mainControl::hasAutomationToken(bool control) const {
    return !automationHash(control).isEmpty();
}

QString mainControl::newAutomationToken(bool control) {
    const QString token = automation::newToken();
    if (token.isEmpty()) {
        qDebug() << "automation: the system gave no random bytes: no token made";
        return {};
    }
    const QString hash = automation::tokenHash(token);
    QSettings& settings = zek710aSettings();
    settings.setValue(control ? "automation/controlTokenHash" : "automation/readOnlyTokenHash",
                      hash);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qDebug() << "automation: the new token could not be saved";
        return {};
    }
    {
        std::lock_guard<std::mutex> lock(automationHashMutex);
        (control ? automationControlHash : automationReadHash) = hash;
    }
    qDebug() << "automation: a new" << (control ? "control" : "read-only") << "token was made";
    emit automationChanged();
    return token;
}

automation::panelSnapshot mainControl::automationSnapshot() const {
    automation::panelSnapshot s;
    s.panelVersion = getAppVersion();
    s.mcuVersion = getMcuVersion();
    s.controlledCamera = currentControl;
    s.onScreenCamera = currentStatusOnScreen;
    for (int slot = 0; slot < kUsedCameraSlots; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        const orb_camera_info r = cameraDevice.camera(slot);
        const bool serial = useSerialPort && slot < kSerialCameras;
        automation::cameraState& c = s.cameras[i];
        c.exists = r.exist;
        c.name = !r.hcipnetwork.name.isEmpty() ? r.hcipnetwork.name
                 : !r.cameraModel.isEmpty()    ? r.cameraModel
                                               : r.hcipnetwork.modelname;
        c.address = serial ? QStringLiteral("/dev/ttyUSB%1").arg(slot) : r.hcipnetwork.ipadd;
        c.protocol = protocolName(r, serial);
        c.linkUp = r.exist && !cameraLinkDown[i];
        c.tallyRed = lampsSent[i].first;
        c.tallyGreen = lampsSent[i].second;
        c.lastPreset = lastRecalledPreset[i];
    }
    s.tallyMode = currTallyMode;
    s.switcherAddress = switcherDevice[0].orb.hcipnetwork.ipadd;
    s.switcherLinked = switcherConnected;
    return s;
}

void mainControl::automationTick() {
    const QString address = udpsocketBindAddress.toString();
    if (automationServer && automationBoundTo != address) {
        qDebug().noquote() << "automation: the panel's address is now" << address;
        stopAutomation();
    }
    if (!automationServer) {
        const auto now = std::chrono::steady_clock::now();
        if (udpsocketBindAddress.protocol() != QAbstractSocket::IPv4Protocol ||
            now - automationTriedAt < kBindRetryPeriod) {
            automationTimer->start(static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(kBindRetryPeriod).count()));
            return;
        }
        automationTriedAt = now;
        automationLog->publish(automationSnapshot());
        automation::automationServer::hooks hooks;
        hooks.log = automationLog.get();
        hooks.readOnlyHash = [this] { return automationHash(false); };
        hooks.controlHash = [this] { return automationHash(true); };
        hooks.perform = [](const automation::remoteAction& action) {
            return remoteKeys.submit(action, automation::automationServer::kActionWait);
        };
        hooks.page = statusPage();
        auto server = std::make_unique<automation::automationServer>(std::move(hooks));
        if (!server->start(address.toStdString(), kAutomationPort)) {
            qDebug().noquote() << "automation: cannot listen on" << address << "port"
                               << kAutomationPort;
            automationTimer->start(static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(kBindRetryPeriod).count()));
            return;
        }
        automationServer = std::move(server);
        automationBoundTo = address;
        emit automationChanged();
    }
    automationLog->publish(automationSnapshot());
    automationTimer->start(static_cast<int>(kAutomationPeriod.count()));
}

void mainControl::stopAutomation() {
    automationTimer->stop();
    if (automationServer) {
        automationLog->close();  // the event streams end now, not at their next wait
        automationServer->stop();
        automationServer.reset();
        automationBoundTo.clear();
        qDebug() << "automation: stopped";
        emit automationChanged();
    }
}
