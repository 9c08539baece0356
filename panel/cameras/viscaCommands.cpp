#include "viscaCommands.h"

namespace visca {

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    out.reserve(static_cast<int>(values.size()));
    for (const int v : values) {
        out.append(static_cast<char>(v & 0xFF));
    }
    return out;
}

quint8 at(const QByteArray& data, int index) {
    return static_cast<quint8>(data.at(index));
}

int nibblePair(const QByteArray& data, int offset) {
    return (at(data, offset) & 0x0F) * 16 + (at(data, offset + 1) & 0x0F);
}

}  // namespace

QByteArray camStatusInquiry() {
    return bytes({0x81, 0x09, 0x7E, 0x7E, 0x70, 0xFF});
}
QByteArray cmdShutter() {
    return bytes({0x81, 0x09, 0x04, 0x4A, 0xFF});
}
QByteArray cmdGain() {
    return bytes({0x81, 0x09, 0x04, 0x4C, 0xFF});
}
QByteArray cmdVersion() {
    return bytes({0x81, 0x09, 0x00, 0x02, 0xFF});
}
QByteArray zStopCommand() {
    return bytes({0x81, 0x01, 0x04, 0x07, 0x00, 0xFF});
}
QByteArray xyStopCommand() {
    return bytes({0x81, 0x01, 0x06, 0x01, 0x01, 0x01, 0x03, 0x03, 0xFF});
}
QByteArray cmdFocusStop() {
    return bytes({0x81, 0x01, 0x04, 0x08, 0x00, 0xFF});
}
QByteArray osdEnterCommand() {
    return bytes({0x81, 0x01, 0x7E, 0x01, 0x02, 0x00, 0x01, 0xFF});
}
QByteArray cmdTallyBuffer() {
    return bytes({0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00, 0x00, 0x00, 0xFF});
}

QByteArray panTiltDrive(int panSpeed, int tiltSpeed, int panDir, int tiltDir) {
    return bytes({0x81, 0x01, 0x06, 0x01, panSpeed, tiltSpeed, panDir, tiltDir, 0xFF});
}
QByteArray zoomTeleVariable(int speed) {
    return bytes({0x81, 0x01, 0x04, 0x07, 0x20 | (speed & 0x0F), 0xFF});
}
QByteArray zoomWideVariable(int speed) {
    return bytes({0x81, 0x01, 0x04, 0x07, 0x30 | (speed & 0x0F), 0xFF});
}
QByteArray focusFar() {
    return bytes({0x81, 0x01, 0x04, 0x08, 0x02, 0xFF});
}
QByteArray focusNear() {
    return bytes({0x81, 0x01, 0x04, 0x08, 0x03, 0xFF});
}
QByteArray shutterUp() {
    return bytes({0x81, 0x01, 0x04, 0x0A, 0x02, 0xFF});
}
QByteArray shutterDown() {
    return bytes({0x81, 0x01, 0x04, 0x0A, 0x03, 0xFF});
}
QByteArray irisUp() {
    return bytes({0x81, 0x01, 0x04, 0x0B, 0x02, 0xFF});
}
QByteArray irisDown() {
    return bytes({0x81, 0x01, 0x04, 0x0B, 0x03, 0xFF});
}
QByteArray gainUp() {
    return bytes({0x81, 0x01, 0x04, 0x0C, 0x02, 0xFF});
}
QByteArray gainDown() {
    return bytes({0x81, 0x01, 0x04, 0x0C, 0x03, 0xFF});
}
QByteArray whiteBalanceAuto() {
    return bytes({0x81, 0x01, 0x04, 0x35, 0x00, 0xFF});
}
QByteArray whiteBalanceManual() {
    return bytes({0x81, 0x01, 0x04, 0x35, 0x05, 0xFF});
}
QByteArray whiteBalanceOnePushMode() {
    return bytes({0x81, 0x01, 0x04, 0x35, 0x03, 0xFF});
}
QByteArray onePushTrigger() {
    return bytes({0x81, 0x01, 0x04, 0x10, 0x05, 0xFF});
}
QByteArray focusAuto() {
    return bytes({0x81, 0x01, 0x04, 0x38, 0x02, 0xFF});
}
QByteArray focusManual() {
    return bytes({0x81, 0x01, 0x04, 0x38, 0x03, 0xFF});
}
QByteArray exposureFullAuto() {
    return bytes({0x81, 0x01, 0x04, 0x39, 0x00, 0xFF});
}
QByteArray exposureManual() {
    return bytes({0x81, 0x01, 0x04, 0x39, 0x03, 0xFF});
}
QByteArray presetStore(int preset) {
    return bytes({0x81, 0x01, 0x04, 0x3F, 0x01, preset, 0xFF});
}
QByteArray presetRecall(int preset) {
    return bytes({0x81, 0x01, 0x04, 0x3F, 0x02, preset, 0xFF});
}
QByteArray pictureFormat(int mode) {
    return bytes({0x81, 0x01, 0x04, 0x24, 0x72, mode, 0xFF});
}
QByteArray verticalFlip(int value) {
    return bytes({0x81, 0x01, 0x04, 0x66, value & 0x0F, 0xFF});
}
QByteArray horizontalMirror(int value) {
    return bytes({0x81, 0x01, 0x04, 0x61, value & 0x0F, 0xFF});
}
QByteArray redGainDirect(int gain) {
    return bytes({0x81, 0x01, 0x04, 0x43, 0x00, 0x00, (gain >> 4) & 0x0F, gain & 0x0F, 0xFF});
}
QByteArray blueGainDirect(int gain) {
    return bytes({0x81, 0x01, 0x04, 0x44, 0x00, 0x00, (gain >> 4) & 0x0F, gain & 0x0F, 0xFF});
}
QByteArray cameraMenuOn() {
    return bytes({0x81, 0x01, 0x06, 0x06, 0x02, 0xFF});
}
QByteArray cameraMenuOff() {
    return bytes({0x81, 0x01, 0x06, 0x06, 0x03, 0xFF});
}
QByteArray speedModeFast() {
    return bytes({0x81, 0x01, 0x7E, 0x01, 0x0B, 0x7E, 0x03, 0xFF});
}
QByteArray speedModeMid() {
    return bytes({0x81, 0x01, 0x7E, 0x01, 0x0B, 0x7E, 0x02, 0xFF});
}
QByteArray speedModeSlow() {
    return bytes({0x81, 0x01, 0x7E, 0x01, 0x0B, 0x7E, 0x01, 0xFF});
}
QByteArray tallyLamps(int red, int green) {
    return bytes({0x81, 0x01, 0x7E, 0x01, 0x0A, 0x00, red, green, 0xFF});
}

QByteArray hcipEnvelope(const QByteArray& message) {
    // The length is one byte wide in practice; VISCA messages are at most 16 bytes.
    const int length = message.size() + 2;
    return bytes({(length >> 8) & 0xFF, length & 0xFF}) + message;
}

QByteArray viscaOverIpEnvelope(const QByteArray& message, qint64 sequence) {
    const auto seq = static_cast<quint32>(sequence & 0xFFFFFFFF);
    return bytes({0x01, 0x00, 0x00, message.size() & 0xFF, static_cast<int>(seq >> 24),
                  static_cast<int>(seq >> 16), static_cast<int>(seq >> 8), static_cast<int>(seq)}) +
           message;
}

QByteArray viscaOverIpSequenceReset() {
    return bytes({0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01});
}

viscaOverIpAnswer classifyViscaOverIpAnswer(const QByteArray& datagram) {
    constexpr int kHeader = 8;
    if (datagram.size() < kHeader) {
        return viscaOverIpAnswer::malformed;
    }
    const auto at = [&datagram](int i) { return static_cast<quint8>(datagram[i]); };
    const int type = at(0) << 8 | at(1);
    const int length = at(2) << 8 | at(3);
    if (length != datagram.size() - kHeader) {
        return viscaOverIpAnswer::malformed;
    }
    if (type == 0x0111) {
        return viscaOverIpAnswer::reply;
    }
    if (type != 0x0201) {
        return viscaOverIpAnswer::otherType;
    }
    if (length == 1 && at(kHeader) == 0x01) {
        return viscaOverIpAnswer::resetAcknowledged;
    }
    if (length == 2 && at(kHeader) == 0x0F && at(kHeader + 1) == 0x01) {
        return viscaOverIpAnswer::sequenceError;
    }
    return viscaOverIpAnswer::otherControlError;
}

QByteArray hcipAnswerBody(const QByteArray& received) {
    QByteArray body = received;
    body.remove(0, 2);
    return body;
}

bool applyStatusBlock(const QByteArray& answer, orb_camera_info& record, speedRule rule) {
    if (answer.size() != kStatusAnswerLength) {
        return false;
    }
    const quint8 flags = at(answer, 2);
    record.colorbaron = (flags & 0x02) != 0;
    record.tallyon = (flags & 0x04) != 0;
    record.osdon = (flags & 0x10) != 0;
    record.videomode = static_cast<char>(at(answer, 3) & 0x1F);
    record.wbmode = at(answer, 4);
    record.rgain = nibblePair(answer, 5);
    record.bgain = nibblePair(answer, 7);
    const quint8 focus = at(answer, 9);
    if (focus == 2 || focus == 3) {
        record.fmode = focus;
    }
    record.irismode = at(answer, 10);
    const quint8 picture = at(answer, 12);
    record.ptdir = picture & 0x01;
    record.hflip = (picture & 0x10) != 0;
    record.vflip = (picture & 0x20) != 0;
    const quint8 speed = at(answer, 13);
    if (rule == speedRule::onScreenCamera || (speed >= 1 && speed <= 3)) {
        record.speed = speed;
    }
    return true;
}

int statusSpeedMode(const QByteArray& answer) {
    return answer.size() == kStatusAnswerLength ? at(answer, 13) : -1;
}

int positionFromAnswer(const QByteArray& answer, int offset) {
    if (offset < 0 || answer.size() < offset + 2) {
        return -1;
    }
    return nibblePair(answer, offset);
}

QString modelFromVersionAnswer(const QByteArray& answer) {
    if (answer.size() != 11 && answer.size() != 16) {
        return {};
    }
    return QString::number(at(answer, 2), 16) + QString::number(at(answer, 3), 16);
}

bool isRepeatAllowed(quint8 commandByte) {
    switch (commandByte) {
        case 0x01:
        case 0x03:
        case 0x04:
        case 0x08:  // focus
        case 0x0A:  // shutter
        case 0x0B:  // iris
        case 0x0C:  // gain
        case 0x39:  // exposure mode
        case 0x3F:  // preset
            return true;
        default:
            return false;
    }
}

bool passesDuplicateRule(const QByteArray& message, const QByteArray& previous,
                         int commandByteIndex) {
    if (message != previous) {
        return true;
    }
    return commandByteIndex >= 0 && commandByteIndex < message.size() &&
           isRepeatAllowed(at(message, commandByteIndex));
}

int viscaUdpCommandByteIndex(int protocolIndex) {
    switch (protocolIndex) {
        case protocolViscaOverIp:
            return 11;
        case protocolSimpleVisca:
            return 3;
        default:
            return -1;
    }
}

QString pictureFormatName(int code) {
    switch (code) {
        case 1:
            return QStringLiteral("1080i59.94");
        case 4:
            return QStringLiteral("1080i50");
        case 2:
        case 6:
            return QStringLiteral("1080p29.97");
        case 8:
            return QStringLiteral("1080p25");
        case 9:
            return QStringLiteral("720p59.94");
        case 12:
            return QStringLiteral("720p50");
        case 19:
            return QStringLiteral("1080p59.94");
        case 20:
            return QStringLiteral("1080p50");
        case 29:
            return QStringLiteral("2160p29.94");
        case 30:
            return QStringLiteral("2160p25");
        default:
            return {};
    }
}

}  // namespace visca
