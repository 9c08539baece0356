#include "joystick.h"

#include <QDebug>

#include <algorithm>

#include "panelState.h"
#include "viscaCommands.h"

const int speedTrans[5][3][4] = {
    {{2, 3, 5, 8}, {4, 6, 9, 13}, {5, 8, 12, 18}},       // 0 "Nonlinear"
    {{2, 4, 6, 8}, {7, 9, 11, 13}, {12, 14, 16, 18}},    // 1 "Arithmetic"
    {{4, 4, 4, 4}, {11, 11, 11, 11}, {18, 18, 18, 18}},  // 2 "Fixed"
    {{2, 4, 6, 8}, {7, 9, 11, 13}, {12, 14, 16, 18}},
    {{2, 4, 6, 8}, {7, 9, 11, 13}, {12, 14, 16, 18}},
};

const int zSpeedTrans[5][3][4] = {
    {{1, 2, 4, 5}, {2, 3, 5, 6}, {3, 4, 6, 7}}, {{1, 2, 3, 4}, {2, 3, 4, 5}, {4, 5, 6, 7}},
    {{2, 2, 2, 2}, {4, 4, 4, 4}, {7, 7, 7, 7}}, {{1, 2, 4, 5}, {2, 3, 5, 6}, {3, 4, 6, 7}},
    {{1, 2, 4, 5}, {2, 3, 5, 6}, {3, 4, 6, 7}},
};

joystickState joystick;

namespace {

// Table indexes, held inside the tables whatever a stored setting says.
int functionIndex() {
    return std::clamp(iCurrentSpeedFunction.load(), 0, 4);
}
int modeIndex() {
    return std::clamp(iCurrentSpeedMode.load(), 1, 3) - 1;
}

int panTiltSpeed(int zone) {
    return speedTrans[functionIndex()][modeIndex()][std::max(zone, 1) - 1];
}

}  // namespace

int joystickZone(int value) {
    if (value < JOY_STOPBOUND) {
        return 0;
    }
    if (value < JOY_LOWBOUND) {
        return 1;
    }
    if (value < JOY_MIDBOUND) {
        return 2;
    }
    if (value < JOY_HIGHBOUND) {
        return 3;
    }
    return 4;
}

int panTiltCell(bool dirX, int zoneX, bool dirY, int zoneY) {
    if (zoneX == 0) {
        return (dirY ? 0 : 4) + std::max(zoneY, 1);
    }
    if (zoneY == 0) {
        return (dirX ? 8 : 12) + zoneX;
    }
    return 17 + 32 * (dirX ? 0 : 1) + 8 * (zoneX - 1) + 4 * (dirY ? 0 : 1) + (zoneY - 1);
}

int zekJoystickControl(bool dirX, int valueX, bool dirY, int valueY) {
    const int zx = joystickZone(valueX);
    const int zy = joystickZone(valueY);
    int pan = 0;
    int tilt = 0;
    int panDir = visca::panStop;
    int tiltDir = visca::tiltStop;
    if (zx == 0) {
        pan = panTiltSpeed(1);
        tilt = panTiltSpeed(zy);
        tiltDir = dirY ? visca::tiltUp : visca::tiltDown;
    } else if (zy == 0) {
        pan = panTiltSpeed(zx);
        tilt = panTiltSpeed(1);
        panDir = dirX ? visca::panRight : visca::panLeft;
    } else {
        pan = panTiltSpeed(zx);
        tilt = panTiltSpeed(zy);
        panDir = dirX ? visca::panRight : visca::panLeft;
        tiltDir = dirY ? visca::tiltUp : visca::tiltDown;
    }
    const int cell = panTiltCell(dirX, zx, dirY, zy);
    if (cell == joystick.joyState) {
        return 99;
    }
    joystick.joyState = cell;
    const QByteArray command = visca::panTiltDrive(pan, tilt, panDir, tiltDir);
    if (joystick.cmdPreviousPTZ.contains(command)) {
        return 0;
    }
    joystick.cmdPreviousPTZ = command;
    if (pan != 0 && tilt != 0) {
        cameraCommandRingBuf.append(command);
    }
    return 0;
}

int zekJoystickXYStop() {
    const QByteArray stop = visca::xyStopCommand();
    if (joystick.joyState != 0 && !joystick.cmdPreviousPTZ.contains(stop)) {
        cameraCommandRingBuf.clear();
        cameraCommandRingBuf.append(stop);
        if (joystick.joyZState == 0) {
            cameraCommandRingBuf.append(visca::zStopCommand());
        }
    }
    joystick.joyState = 0;
    joystick.cmdPreviousPTZ = stop;
    return 0;
}

int zekJoystickZControl(bool dirZ, int valueZ) {
    QByteArray command;
    if (valueZ > JOY_STOPBOUND && valueZ < kZoomCeiling) {
        const int zone = joystickZone(valueZ);
        const int speed = zSpeedTrans[functionIndex()][modeIndex()][std::max(zone, 1) - 1];
        command = dirZ ? visca::zoomTeleVariable(speed) : visca::zoomWideVariable(speed);
        const int cell = dirZ ? zone : zone + 4;
        if (cell == joystick.joyZState) {
            return 0;
        }
        joystick.joyZState = cell;
    } else if (joystick.joyZState != 0) {
        const QByteArray stop = visca::zStopCommand();
        if (joystick.cmdPreviousPTZ != stop) {
            cameraCommandRingBuf.clear();
        }
        cameraCommandRingBuf.append(stop);
        qDebug() << "Z Stop in control function:" << joystick.joyZState;
        joystick.joyZState = 0;
        joystick.cmdPreviousPTZ = stop;
    }
    // An empty command (the stop above, or a rest reading) counts as already sent.
    if (command.isEmpty() || joystick.cmdPreviousPTZ.contains(command)) {
        ++joystick.dupCmdCount;
        qDebug() << "Duplicated Z Command";
        return 0;
    }
    joystick.cmdPreviousPTZ = command;
    cameraCommandRingBuf.append(command);
    return 0;
}

int zekJoystickZStop() {
    const QByteArray stop = visca::zStopCommand();
    if (joystick.joyZState != 0 && !joystick.cmdPreviousPTZ.contains(stop)) {
        cameraCommandRingBuf.clear();
        cameraCommandRingBuf.append(stop);
        if (joystick.joyState == 0) {
            cameraCommandRingBuf.append(visca::xyStopCommand());
        }
    }
    joystick.joyZState = 0;
    joystick.cmdPreviousPTZ = stop;
    return 0;
}
