// Rules of the camera transport that do not touch a socket or a line.
#pragma once

#include <QString>

#include <array>
#include <chrono>

#include "cameraRecords.h"

// The message shown when network camera cameraNumber cannot be reached: its address is empty,
// it is not in the panel's network (the first three parts of the panel's four-part address do
// not appear in it), or it does not answer. Translatable.
QString unreachableMessage(int cameraNumber, const QString& cameraAddress,
                           const QString& panelAddress);

// The serial settings of a slot as the screens show them; an unknown code gives "".
struct serialInfoTexts {
    QString baudRate;
    QString charSize;
    QString parity;
    QString stopBits;
    QString flowControl;
};
serialInfoTexts serialInfoAsText(const serial_port_info& info);

// Moves the network records when serial cameras are switched off (slots 8..31 move down to
// 0..23 and 8..31 are emptied) or on (slots 31 down to 8 take slots 23 down to 0, and 0..7 are
// emptied).
void moveNetworkRecords(std::array<hcip_device_info, kCameraSlots>& table, bool serialOn);

// Slot of network camera i (0-based) in the present layout.
inline int networkCameraSlot(int i, bool serialOn) {
    return serialOn ? i + kSerialCameras : i;
}

// "/dev/ttyUSB0" .. "/dev/ttyUSB7" for cameras 1 to 8, before path resolution.
QString serialCameraDevice(int cameraNumber);

// A network camera whose connection dropped is tried again in the background: the first attempt
// kReconnectFirstDelay after the loss, each failed attempt doubling the wait up to
// kReconnectLongestDelay, so a camera that stays away costs one connection attempt every few
// seconds and one that comes back is found within that time.
constexpr std::chrono::milliseconds kReconnectFirstDelay{250};
constexpr std::chrono::milliseconds kReconnectLongestDelay{4000};
std::chrono::milliseconds reconnectDelay(int failedAttempts);
