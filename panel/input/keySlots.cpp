// Screen-side slots of the keys: tool colours of the key groups, the rotary-function keys and
// their lamps, the backlight, power, and the speed curve.
#include <QDebug>
#include <QThread>

#include "commandRunner.h"
#include "functionKeyLamps.h"
#include "keyDispatch.h"
#include "mainControl.h"
#include "panelState.h"
#include "viscaCommands.h"

void mainControl::setBtmTool(int tool) {
    currentBtmtool = tool;
    btmToolPrev[1] = currentControl;
    int cameraColour = -1;
    int presetColour = -1;
    switch (tool) {
        case 1:
            cameraColour = 9;
            break;
        case 2:
            presetColour = 10;
            break;
        case 3:
            cameraColour = 5;
            break;
        case 4:
            cameraColour = 6;
            break;
        case 5:
            cameraColour = 7;
            break;
        case 6:
            presetColour = 8;
            break;
        case 7:
            cameraColour = 11;
            break;
        case 8:
            presetColour = 12;
            break;
        default:
            return;
    }
    if (cameraColour >= 0) {
        iCurrentNormalColor = cameraColour;
        for (int k = keyCamera1; k < keyCamera1 + 12; ++k) {
            setKeyLed(k, cameraColour);
        }
    } else {
        iCurrentNormalColor_pst = presetColour;
        for (int k = keyPreset1; k < keyPreset1 + 7; ++k) {
            setKeyLed(k, presetColour);
        }
    }
}

void mainControl::do4KeyFunction(int func) {
    emit wakeupScreen();
    qDebug() << "do4KeyFunction" << func;
    auto lamps = [](int reg2, int reg3, int reg4) {
        platform::runCommand(i2csetCommand(0x02, reg2));
        platform::runCommand(i2csetCommand(0x03, reg3));
        platform::runCommand(i2csetCommand(0x04, reg4));
    };
    switch (func) {
        case 1:
            rotaryFunction = 1;
            lamps(0x41, 0x55, 0x55);
            break;
        case 2:
            rotaryFunction = 2;
            lamps(0x55, 0x50, 0x55);
            cameraCommandRingBuf.append(visca::focusManual());
            autofocus = false;
            setKeyLed(keyAutoFocus, kLedIdle);
            cameraDevice.update(currentControl - 1, [](orb_camera_info& r) { r.fmode = 3; });
            break;
        case 3:
            rotaryFunction = 3;
            lamps(0x55, 0x15, 0x54);
            cameraCommandRingBuf.append(visca::exposureManual());
            autoiris = false;
            setKeyLed(keyAutoIris, kLedIdle);
            cameraDevice.update(currentControl - 1, [](orb_camera_info& r) { r.irismode = 3; });
            break;
        case 4:
            rotaryFunction = 4;
            lamps(0x55, 0x55, 0x05);
            break;
        case 99:
            cameraCommandRingBuf.append(visca::osdEnterCommand());
            break;
        default:
            break;
    }
}

void mainControl::change4KeyColor(int index, int colour) {
    for (const auto& [reg, value] : functionKeyLampRegisters(index, colour)) {
        platform::runCommand(i2csetCommand(reg, value));
    }
}

void mainControl::doBacklightScale(int onoff) {
    rotaryRobin = onoff != 0;
}

void mainControl::callTestLed(int n) {
    testLED = n;
}

// Called on every wake-up, which comes once per key-loop pass while the panel is used: the
// backlight is written only when the saver (or the encoder in test mode) set another level.
void mainControl::startScreenSaver(int mode) {
    if (mode == 0) {
        panelBacklight.wake();
    } else if (mode == 1) {
        panelBacklight.set(0);
    }
}

void mainControl::shutdown() {
    runRobin = false;
    // The key loop sends the live map on every pass: darken it byte by byte.
    for (int byte = 0; byte < 20; ++byte) {
        {
            std::lock_guard<std::mutex> lock(ledMapMutex);
            testKeyboardStatusStr[0][byte] = 0;
        }
        QThread::msleep(20);
    }
    platform::runCommand(i2csetCommand(0x02, 0x00));
    platform::runCommand(i2csetCommand(0x03, 0x00));
    platform::runCommand(i2csetCommand(0x04, 0x00));
    QThread::msleep(100);
    platform::runCommand("shutdown -h now");
}

void mainControl::reboot() {
    platform::runCommand("reboot");
}

void mainControl::setCurrentSpeedFunction(int func) {
    iCurrentSpeedFunction = func;
    saveSetting("system", "speedfunc", func);
}

int mainControl::getCurrentSpeedFunction() const {
    return iCurrentSpeedFunction;
}
