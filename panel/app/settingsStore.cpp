// The saved camera list and the screen-saver delay.
#include <algorithm>

#include <QDebug>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>

#include "mainControl.h"
#include "panelState.h"

namespace {

// The saved list covers every used slot. (Starting at slot 8 without serial cameras would lose
// network cameras 1 to 8, which then sit in slots 0 to 7.)
constexpr int kFirstSavedSlot = 0;

}  // namespace

serial_port_info readSerialInfoGroup(QSettings& settings, int cameraNumber) {
    settings.beginGroup(QStringLiteral("Cam%1SerialInfo").arg(cameraNumber));
    serial_port_info info;
    info.openName = settings.value("OpenName", "COM1").toString();
    info.isOpened = settings.value("IsOpened", false).toBool();
    info.baudRate = settings.value("BaudRate", 15).toInt();
    info.charSize = settings.value("CharSize", 48).toInt();
    info.stopBits = settings.value("StopBits", 1).toInt();
    info.parity = settings.value("Parity", 2).toInt();
    info.flowControl = settings.value("FlowControl", 2).toInt();
    settings.endGroup();
    return info;
}

void writeSerialInfoGroup(QSettings& settings, int cameraNumber, const serial_port_info& info) {
    settings.beginGroup(QStringLiteral("Cam%1SerialInfo").arg(cameraNumber));
    settings.setValue("OpenName", info.openName);
    settings.setValue("IsOpened", info.isOpened);
    settings.setValue("BaudRate", info.baudRate);
    settings.setValue("CharSize", info.charSize);
    settings.setValue("StopBits", info.stopBits);
    settings.setValue("Parity", info.parity);
    settings.setValue("FlowControl", info.flowControl);
    settings.endGroup();
}

void mainControl::deviceSave() {
    QSettings& settings = zek710aSettings();
    settings.beginGroup("system");
    settings.setValue("useRS422", useSerialPort.load());
    settings.setValue("hcipautoscan", autoScan.load());
    settings.setValue("fixedCameraPacing", fixedCameraPacing.load());
    settings.setValue("remoteSetupLocked", remoteSetupLocked.load());
    settings.setValue("joyfunction", iCurrentSpeedFunction.load());
    settings.setValue("alldeviceindex", cameraCount.load());
    settings.setValue("currentControl", currentControl.load());
    settings.setValue("currentOnScreen", currentStatusOnScreen.load());
    settings.setValue("tallymode", currTallyMode.load());
    settings.endGroup();

    // The list: every slot up to 23 that holds a camera.
    const int first = kFirstSavedSlot;
    QString list;
    bool firstEntry = true;
    for (int slot = first; slot < kUsedCameraSlots; ++slot) {
        orb_camera_info record = cameraDevice.camera(slot);
        if (!record.exist) {
            continue;
        }
        if (record.hcipnetwork.macadd.isEmpty()) {
            const QString entry = "manualIP" + record.hcipnetwork.ipadd;
            cameraDevice.update(slot,
                                [&entry](orb_camera_info& r) { r.hcipnetwork.macadd = entry; });
            record.hcipnetwork.macadd = entry;
        }
        list += (firstEntry ? QString() : QStringLiteral(",")) + record.hcipnetwork.macadd;
        firstEntry = false;
    }
    saveSetting("devices", "devicelist", list);

    if (useSerialPort) {
        for (int camera = 1; camera <= kSerialCameras; ++camera) {
            writeSerialInfoGroup(settings, camera, cameraDevice.camera(camera - 1).serialinfo);
            settings.sync();
            QThread::msleep(50);
        }
    }

    for (const QString& entry : list.split(',', Qt::SkipEmptyParts)) {
        settings.beginGroup(entry);
        for (int slot = first; slot < kUsedCameraSlots; ++slot) {
            const orb_camera_info r = cameraDevice.camera(slot);
            if (!r.hcipnetwork.macadd.contains(entry)) {
                continue;
            }
            settings.setValue("camposition", slot);
            settings.setValue("devicetype", "camera");
            settings.setValue("modelname", r.hcipnetwork.modelname);
            settings.setValue("hostname", r.hcipnetwork.name);
            settings.setValue("ip", r.hcipnetwork.ipadd);
            settings.setValue("dhcpmode", r.hcipnetwork.isdhcp);
            settings.setValue("mac", r.hcipnetwork.macadd);
            settings.setValue("mask", r.hcipnetwork.maskadd);
            settings.setValue("gateway", r.hcipnetwork.gatewayadd);
            settings.setValue("primdns", r.hcipnetwork.primdnsadd);
            settings.setValue("secdns", r.hcipnetwork.secdnsadd);
            settings.setValue("pid", r.hcipnetwork.pid);
            settings.setValue("vid", r.hcipnetwork.vid);
            settings.setValue("manual", r.hcipnetwork.manual);
            settings.setValue("useVisca", r.useVisca);
            // Kept so that a VISCA camera comes back with its header choice.
            settings.setValue("protocolIndex", r.protocolIndex);
            settings.setValue("channelMapping", r.channelMapping);
            settings.setValue("exist", r.exist);
        }
        settings.endGroup();
    }
    settings.sync();
}

void mainControl::deviceLoad() {
    runRobin = false;
    QSettings& settings = zek710aSettings();
    settings.beginGroup("system");
    useSerialPort = settings.value("useRS422", true).toBool();
    autoScan = settings.value("hcipautoscan", true).toBool();
    fixedCameraPacing = settings.value("fixedCameraPacing", false).toBool();
    remoteSetupLocked = settings.value("remoteSetupLocked", false).toBool();
    iCurrentSpeedFunction = settings.value("joyfunction", 0).toInt();
    const int deviceCount = settings.value("alldeviceindex", 0).toInt();
    // Camera numbers from the file are held to 1..24: the rest of the program indexes with them.
    currentControl = std::clamp(settings.value("currentControl", 1).toInt(), 1, kUsedCameraSlots);
    currentStatusOnScreen =
        std::clamp(settings.value("currentOnScreen", 1).toInt(), 1, kUsedCameraSlots);
    currTallyMode = settings.value("tallymode", 0).toInt();
    settings.endGroup();

    settings.beginGroup("devices");
    const QStringList entries =
        settings.value("devicelist", "").toString().split(',', Qt::SkipEmptyParts);
    settings.endGroup();

    if (useSerialPort) {
        for (int camera = 1; camera <= kSerialCameras; ++camera) {
            const serial_port_info read = readSerialInfoGroup(settings, camera);
            cameraDevice.update(camera - 1, [&read](orb_camera_info& r) {
                r.serialinfo.baudRate = read.baudRate;
                r.serialinfo.charSize = read.charSize;
                r.serialinfo.stopBits = read.stopBits;
                r.serialinfo.parity = read.parity;
                r.serialinfo.flowControl = read.flowControl;
            });
        }
    }

    const int first = kFirstSavedSlot;
    for (const QString& entry : entries) {
        settings.beginGroup(entry);
        const int position = settings.value("camposition", 99).toInt();
        for (int slot = first; slot < kUsedCameraSlots; ++slot) {
            if (position != slot) {
                continue;
            }
            cameraDevice.update(slot, [&settings](orb_camera_info& r) {
                r.hcipnetwork.modelname = settings.value("modelname", "").toString();
                r.hcipnetwork.name = settings.value("hostname", "").toString();
                r.hcipnetwork.ipadd = settings.value("ip", "").toString();
                r.hcipnetwork.isdhcp = settings.value("dhcpmode", false).toBool();
                r.hcipnetwork.macadd = settings.value("mac", "").toString();
                r.hcipnetwork.maskadd = settings.value("mask", "").toString();
                r.hcipnetwork.gatewayadd = settings.value("gateway", "").toString();
                r.hcipnetwork.primdnsadd = settings.value("primdns", "").toString();
                r.hcipnetwork.secdnsadd = settings.value("secdns", "").toString();
                r.hcipnetwork.pid = settings.value("pid", "").toString();
                r.hcipnetwork.vid = settings.value("vid", "").toString();
                r.hcipnetwork.manual = settings.value("manual", false).toBool();
                r.useVisca = settings.value("useVisca", false).toBool();
                r.protocolIndex =
                    settings.value("protocolIndex", r.useVisca ? protocolViscaOverIp : protocolHcip)
                        .toInt();
                r.channelMapping = settings.value("channelMapping", 0).toInt();
                r.exist = settings.value("exist", false).toBool();
            });
        }
        settings.endGroup();
    }

    for (int i = 0; i < deviceCount; ++i) {
        const int slot = useSerialPort ? i + kSerialCameras : i;
        if (slot >= kCameraSlots) {
            break;
        }
        if (scan == 0) {
            zek710aTcpsocket[slot]->abort();
            QThread::msleep(100);
        }
        const orb_camera_info record = cameraDevice.camera(slot);
        if (record.useVisca) {
            // A VISCA camera is reached over UDP, with the sequence number it was left at.
            viscaUdpSockets[slot]->abort();
            viscaUdpSockets[slot]->connectToHost(QHostAddress(record.hcipnetwork.ipadd), 52381);
            saveViscaSerials();  // a number kept but not yet saved is the newer one
            settings.beginGroup("ViscaSerial");
            const qint64 sequence = settings.value(record.hcipnetwork.ipadd, 0).toLongLong();
            settings.endGroup();
            cameraDevice.update(slot, [sequence](orb_camera_info& r) { r.viscaSerial = sequence; });
        } else {
            zek710aTcpsocket[slot]->abort();
            zek710aTcpsocket[slot]->connectToHost(record.hcipnetwork.ipadd, 5002,
                                                  QIODevice::ReadWrite);
            zek710aTcpsocket[slot]->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            // Settled now, so the first network step does not find it still connecting.
            zek710aTcpsocket[slot]->waitForConnected(2000);
        }
        cameraDevice.update(slot, [](orb_camera_info& r) { r.exist = true; });
        qDebug() << record.hcipnetwork.modelname << "exist:" << true;
        ++cameraCount;
        emit refreshCameraExist(slot + 1, true);
        runRobin = true;
        scan = 1;
    }
}

void mainControl::setScreenSaver(int min) {
    qDebug() << "SetScreenSaver" << min;
    screenSaverMin = min;
    saveSetting("system", "screenSaverMin", min);
    if (min > 0) {
        emit screenSaverChanged(min);
    }
}

int mainControl::getScreenSaver() const {
    return screenSaverMin;
}
