#include "cameraRules.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

QString unreachableMessage(int cameraNumber, const QString& cameraAddress,
                           const QString& panelAddress) {
    const QString n = QString::number(cameraNumber);
    if (cameraAddress.isEmpty()) {
        return QCoreApplication::translate("mainControl",
                                           "No device connect to Camera %1.\nPlease select "
                                           "another one.")
            .arg(n);
    }
    const QStringList parts = panelAddress.split('.');
    if (parts.size() == 4) {
        const QString network = parts.mid(0, 3).join('.');
        if (!cameraAddress.contains(network)) {
            return QCoreApplication::translate("mainControl",
                                               "Camera %1 is not in the correct network.\nPlease "
                                               "configure its IP address then scan again.")
                .arg(n);
        }
    }
    return QCoreApplication::translate("mainControl",
                                       "Cannot connect to Camera %1.\nPlease reboot that device "
                                       "then scan again.")
        .arg(n);
}

serialInfoTexts serialInfoAsText(const serial_port_info& info) {
    serialInfoTexts t;
    switch (info.baudRate) {
        case 13:
            t.baudRate = "9600";
            break;
        case 14:
            t.baudRate = "19200";
            break;
        case 15:
            t.baudRate = "38400";
            break;
        case 4097:
            t.baudRate = "57600";
            break;
        case 4098:
            t.baudRate = "115200";
            break;
        default:
            break;
    }
    switch (info.charSize) {
        case 0:
            t.charSize = "5";
            break;
        case 16:
            t.charSize = "6";
            break;
        case 32:
            t.charSize = "7";
            break;
        case 48:
            t.charSize = "8";
            break;
        default:
            break;
    }
    switch (info.parity) {
        case 0:
            t.parity = "Even";
            break;
        case 1:
            t.parity = "Odd";
            break;
        case 2:
            t.parity = "None";
            break;
        default:
            break;
    }
    switch (info.stopBits) {
        case 1:
            t.stopBits = "One Stop";
            break;
        case 2:
            t.stopBits = "Two Stop";
            break;
        default:
            break;
    }
    switch (info.flowControl) {
        case 0:
            t.flowControl = "Hard";
            break;
        case 1:
            t.flowControl = "Soft";
            break;
        case 2:
            t.flowControl = "None";
            break;
        default:
            break;
    }
    return t;
}

void moveNetworkRecords(std::array<hcip_device_info, kCameraSlots>& table, bool serialOn) {
    if (!serialOn) {
        for (int slot = 0; slot + kSerialCameras < kCameraSlots; ++slot) {
            table[slot] = table[slot + kSerialCameras];
            table[slot + kSerialCameras] = hcip_device_info{};
        }
        return;
    }
    for (int slot = kCameraSlots - 1; slot >= 0; --slot) {
        table[slot] = slot >= kSerialCameras ? table[slot - kSerialCameras] : hcip_device_info{};
    }
}

QString serialCameraDevice(int cameraNumber) {
    return QStringLiteral("/dev/ttyUSB%1").arg(cameraNumber - 1);
}

std::chrono::milliseconds reconnectDelay(int failedAttempts) {
    std::chrono::milliseconds delay = kReconnectFirstDelay;
    for (int i = 0; i < failedAttempts && delay < kReconnectLongestDelay; ++i) {
        delay *= 2;
    }
    return std::min(delay, kReconnectLongestDelay);
}
