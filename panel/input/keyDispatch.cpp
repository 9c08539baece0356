#include "keyDispatch.h"

#include <QDebug>
#include <QThread>

#include "joystick.h"
#include "panelState.h"
#include "pendingStops.h"
#include "viscaCommands.h"

namespace {

void queue(const QByteArray& message) {
    cameraCommandRingBuf.append(message);
}

void updateControlRecord(const std::function<void(orb_camera_info&)>& change) {
    cameraDevice.update(currentControl - 1, change);
}

void noteRecall(int preset) {
    const int control = currentControl;
    if (control >= 1 && control <= kUsedCameraSlots) {
        lastRecalledPreset[static_cast<std::size_t>(control - 1)] = preset;
    }
}

void pauseKeyThread(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

void paintSpeedKeys(int mode) {
    setKeyLed(keyFast, mode == 3 ? kLedActive : kLedIdle);
    setKeyLed(keyMid, mode == 2 ? kLedActive : kLedIdle);
    setKeyLed(keySlow, mode == 1 ? kLedActive : kLedIdle);
}

}  // namespace

void keyDispatch::alignLedsWithFlags() {
    paintSpeedKeys(iCurrentSpeedMode);
    setKeyLed(keyStore, pstStore_ ? kLedActive : kLedIdle);
    setKeyLed(keyCamOsd, camOSD ? kLedActive : kLedIdle);
    setKeyLed(keyAwb, awb ? kLedActive : kLedIdle);
    setKeyLed(keyOnePush, kLedIdle);
    setKeyLed(keyAutoFocus, autofocus ? kLedActive : kLedIdle);
    setKeyLed(keyAutoIris, autoiris ? kLedActive : kLedIdle);
    for (int k = keyCamera1; k < keyCamera1 + 12; ++k) {
        setKeyLed(k, 9);
    }
}

void keyDispatch::paintPresetGroup(int activeKey) {
    const int normal = iCurrentNormalColor_pst;
    for (int k = keyPreset1; k < keyPreset1 + 7; ++k) {
        setKeyLed(k, k == activeKey ? kLedActive : normal);
    }
}

void keyDispatch::paintCameraGroup(int activeKey) {
    const int normal = iCurrentNormalColor;
    for (int k = keyCamera1; k < keyCamera1 + 12; ++k) {
        setKeyLed(k, k == activeKey ? kLedActive : normal);
    }
}

void keyDispatch::pass(const hardwareState& state) {
    for (int k = 0; k < kPanelKeys; ++k) {
        if (isKeyPressed(state.keyPressTable, k)) {
            tempKeyState_[k] = 1;
            if (out_.wakeupScreen) {
                out_.wakeupScreen();
            }
            press(k);
            camStatusCounter = 0;
            continue;
        }
        const bool wasPressed = tempKeyState_[k] == 1;
        tempKeyState_[k] = 0;
        if (wasPressed && !release(k)) {
            break;  // the rest of the keys are looked at in the next pass
        }
    }
    if (!joyLock_) {
        moveJoystick(state);
    }
    if (screenSaverMin != 0 && out_.refreshTBarValue) {
        out_.refreshTBarValue();
    }
}

void keyDispatch::moveJoystick(const hardwareState& s) {
    if (s.joyStickX < JOY_STOPBOUND && s.joyStickY < JOY_STOPBOUND) {
        if (joystick.joyState != 0) {
            zekJoystickXYStop();
            joystick.joyState = 0;
        }
    } else {
        if (out_.wakeupScreen) {
            out_.wakeupScreen();
        }
        zekJoystickControl(s.joyStickXDir, s.joyStickX, s.joyStickYDir, s.joyStickY);
    }
    if (s.joyStickZ < JOY_STOPBOUND) {
        if (joystick.joyZState != 0) {
            zekJoystickZStop();
            joystick.joyZState = 0;
        }
    } else {
        if (out_.wakeupScreen) {
            out_.wakeupScreen();
        }
        zekJoystickZControl(s.joyStickZDir, s.joyStickZ);
    }
}

void keyDispatch::press(int key) {
    switch (key) {
        case keyFast:
        case keyMid:
        case keySlow: {
            const int mode = key == keyFast ? 3 : key == keyMid ? 2 : 1;
            iCurrentSpeedMode = mode;
            paintSpeedKeys(mode);
            updateControlRecord([mode](orb_camera_info& r) { r.speed = mode; });
            break;
        }
        case keyLock:
            setKeyLed(keyLock, kLedActive);
            break;
        case keyRec:
            setKeyLed(keyRec, kLedActive);
            setKeyLed(keyStop, kLedIdle);
            break;
        case keyStop:
            setKeyLed(keyRec, kLedIdle);
            setKeyLed(keyStop, kLedActive);
            break;
        case keyCamOsd:
            setKeyLed(keyCamOsd, kLedActive);
            break;
        case keyStore:
            setKeyLed(keyStore, kLedActive);
            break;
        case keyAwb:
            setKeyLed(keyAwb, kLedActive);
            setKeyLed(keyOnePush, kLedIdle);
            break;
        case keyOnePush:
            setKeyLed(keyAwb, kLedIdle);
            setKeyLed(keyOnePush, kLedActive);
            break;
        case keyAePlus:
            if (!autoiris) {
                setKeyLed(keyAePlus, kLedActive);
                setKeyLed(keyAutoIris, kLedIdle);
                setKeyLed(keyAeMinus, kLedIdle);
            }
            break;
        case keyAutoFocus:
            setKeyLed(keyAutoFocus, kLedActive);
            break;
        case keyAutoIris:
            setKeyLed(keyAutoIris, kLedActive);
            break;
        case keyAeMinus:
            if (!autoiris) {
                setKeyLed(keyAutoIris, kLedIdle);
                setKeyLed(keyAeMinus, kLedActive);
            }
            break;
        case keyCut:
            setKeyLed(keyCut, kLedActive);
            break;
        case keyAuto:
            setKeyLed(keyAuto, kLedActive);
            setKeyLed(keyMixWipe, kLedIdle);
            break;
        case keyMixWipe:
            setKeyLed(keyAuto, kLedIdle);
            setKeyLed(keyMixWipe, kLedActive);
            break;
        default:
            if (key >= keyPreset1 && key < keyPreset1 + 7) {
                paintPresetGroup(key);
            } else if (key >= keyCamera1 && key < keyCamera1 + 12) {
                paintCameraGroup(key);
                const int j = key - keyCamera1;
                noMoreWarning[j] = false;
                noMoreWarning[j + 12] = false;
            }
            break;
    }
}

bool keyDispatch::release(int key) {
    switch (key) {
        case keyFast:
            queue(visca::speedModeFast());
            qDebug() << "Set Speed Fast";
            press(key);
            break;
        case keyMid:
            queue(visca::speedModeMid());
            qDebug() << "Set Speed Mid";
            press(key);
            break;
        case keySlow:
            queue(visca::speedModeSlow());
            qDebug() << "Set Speed Slow";
            press(key);
            break;
        case keyLock:
            joyLock_ = !joyLock_;
            setKeyLed(keyLock, joyLock_ ? kLedActive : kLedIdle);
            break;
        case keyRec:
        case keyStop:
            setKeyLed(keyRec, kLedIdle);
            setKeyLed(keyStop, kLedIdle);
            break;
        case keyCamOsd: {
            // Each flag is read once: the command thread may change it at any time, and the flag
            // must end up agreeing with the command queued.
            const bool osdWasOn = camOSD;
            if (!osdWasOn) {
                setKeyLed(keyCamOsd, kLedActive);
                updateControlRecord([](orb_camera_info& r) { r.osdon = true; });
                queue(visca::cameraMenuOn());
                qDebug() << "OSD on!";
            } else {
                setKeyLed(keyCamOsd, kLedIdle);
                updateControlRecord([](orb_camera_info& r) { r.osdon = false; });
                queue(visca::cameraMenuOff());
                qDebug() << "OSD off!";
            }
            camOSD = !osdWasOn;
            break;
        }
        case keyStore:
            setKeyLed(keyStore, pstStore_ ? kLedIdle : kLedActive);
            pstStore_ = !pstStore_;
            break;
        case keyAwb: {
            const bool awbWasOn = awb;
            if (awbWasOn) {
                setKeyLed(keyAwb, kLedIdle);
                setKeyLed(keyOnePush, kLedIdle);
                updateControlRecord([](orb_camera_info& r) { r.wbmode = 5; });
                queue(visca::whiteBalanceManual());
            } else {
                setKeyLed(keyAwb, kLedActive);
                setKeyLed(keyOnePush, kLedIdle);
                updateControlRecord([](orb_camera_info& r) { r.wbmode = 0; });
                queue(visca::whiteBalanceAuto());
            }
            awb = !awbWasOn;
            break;
        }
        case keyOnePush:
            updateControlRecord([](orb_camera_info& r) { r.wbmode = 3; });
            queue(visca::whiteBalanceOnePushMode());
            pauseKeyThread(60);
            queue(visca::onePushTrigger());
            awb = false;
            setKeyLed(keyAwb, kLedIdle);
            setKeyLed(keyOnePush, kLedIdle);
            return false;
        case keyAePlus:
        case keyAeMinus:
            if (autoiris) {
                break;
            }
            if (key == keyAePlus) {
                setKeyLed(keyAePlus, kLedIdle);
            }
            setKeyLed(keyAutoIris, kLedIdle);
            setKeyLed(keyAeMinus, kLedIdle);
            queue(visca::exposureManual());
            pauseKeyThread(20);
            queue(key == keyAePlus ? visca::irisUp() : visca::irisDown());
            return false;
        case keyAutoFocus: {
            const bool autofocusWasOn = autofocus;
            if (autofocusWasOn) {
                setKeyLed(keyAutoFocus, kLedIdle);
                updateControlRecord([](orb_camera_info& r) { r.fmode = 3; });
                queue(visca::focusManual());
            } else {
                setKeyLed(keyAutoFocus, kLedActive);
                updateControlRecord([](orb_camera_info& r) { r.fmode = 2; });
                queue(visca::focusAuto());
            }
            autofocus = !autofocusWasOn;
            break;
        }
        case keyAutoIris: {
            const bool autoirisWasOn = autoiris;
            if (autoirisWasOn) {
                setKeyLed(keyAutoIris, kLedIdle);
                updateControlRecord([](orb_camera_info& r) { r.irismode = 3; });
                queue(visca::exposureManual());
            } else {
                setKeyLed(keyAutoIris, kLedActive);
                updateControlRecord([](orb_camera_info& r) { r.irismode = 0; });
                queue(visca::exposureFullAuto());
            }
            autoiris = !autoirisWasOn;
            break;
        }
        case keyCut:
            setKeyLed(keyCut, kLedIdle);
            break;
        case keyAuto:
            setKeyLed(keyAuto, kLedIdle);
            break;
        case keyMixWipe:
            setKeyLed(keyMixWipe, kLedActive);
            break;
        default:
            if (key >= keyPreset1 && key < keyPreset1 + 7) {
                paintPresetGroup(key);
                const bool shifted = pstShift;
                const int n = shifted ? key - 7 : key - keyPreset1;
                if (pstStore_) {
                    queue(visca::presetStore(n));
                    qDebug() << (shifted ? "Store Shift Preset:" : "Store Preset:") << n;
                    pstStore_ = false;
                    setKeyLed(keyStore, kLedIdle);
                } else {
                    queue(visca::presetRecall(n));
                    noteRecall(n + 1);
                    qDebug() << (shifted ? "Recall Shift Preset:" : "Recall Preset:") << n;
                }
            } else if (key >= keyCamera1 && key < keyCamera1 + 12) {
                paintCameraGroup(key);
            }
            break;
    }
    if (currTallyMode == 2) {
        tempCurrentControl = currentControl.load();
    }
    if (key >= keyCamera1 && key < keyCamera1 + 12) {
        selectCamera(key, camShift);
    }
    return true;
}

void keyDispatch::selectCamera(int key, bool shifted) {
    const int previous = currentControl;
    const std::deque<QByteArray> dropped = cameraCommandRingBuf.takeAll();
    camStatusCounter = 0;
    cmdPrev.reset();
    if (!shifted && key < keyCamera1 + 8) {
        currentInterface = 2;
        currentControl = key - 20;
    } else {
        currentInterface = 1;
        currentControl = shifted ? key - 8 : key - 20;
    }
    if (previous < 1) {
        return;
    }
    // The stops the camera was due still go to it, whichever camera is controlled now; a camera
    // that is no longer controlled also gets a stop for every axis the joystick holds it moving on.
    const int slot = previous - 1;
    for (const QByteArray& block : dropped) {
        unconfirmedStops.add(slot, block);
    }
    if (currentControl == previous) {
        return;
    }
    if (joystick.joyState != 0) {
        unconfirmedStops.add(slot, visca::xyStopCommand());
    }
    if (joystick.joyZState != 0) {
        unconfirmedStops.add(slot, visca::zStopCommand());
    }
}

void keyDispatch::cameraKey(int key, bool shifted) {
    // The press, then the release, of a camera key.
    paintCameraGroup(key);
    const int j = key - keyCamera1;
    noMoreWarning[j] = false;
    noMoreWarning[j + 12] = false;
    paintCameraGroup(key);
    if (currTallyMode == 2) {
        tempCurrentControl = currentControl.load();
    }
    selectCamera(key, shifted);
}

void keyDispatch::presetKey(int preset, bool store) {
    const int n = preset - 1;
    // The key that shows this preset with the preset shift as it is now, if one does.
    const bool shifted = pstShift;
    const int key = !shifted && n <= 6 ? keyPreset1 + n : shifted && n >= 7 && n <= 13 ? n + 7 : -1;
    if (key >= 0) {
        paintPresetGroup(key);
    }
    if (store) {
        queue(visca::presetStore(n));
        qDebug() << "Store Preset:" << n << "(automation)";
    } else {
        queue(visca::presetRecall(n));
        noteRecall(preset);
        qDebug() << "Recall Preset:" << n << "(automation)";
    }
}

void keyDispatch::stopAllCameras() {
    const int control = currentControl;
    // The controlled camera as at the joystick's release: what waits for it is dropped, and the
    // stops go first.
    cameraCommandRingBuf.clear();
    cameraCommandRingBuf.append(visca::xyStopCommand());
    cameraCommandRingBuf.append(visca::zStopCommand());
    for (int slot = 0; slot < kUsedCameraSlots; ++slot) {
        if (slot != control - 1 && cameraDevice.camera(slot).exist) {
            unconfirmedStops.add(slot, visca::xyStopCommand());
            unconfirmedStops.add(slot, visca::zStopCommand());
        }
    }
    qDebug() << "Stop all cameras (automation)";
}

automation::actionOutcome keyDispatch::perform(const automation::remoteAction& action) {
    if (out_.wakeupScreen) {
        out_.wakeupScreen();
    }
    camStatusCounter = 0;
    const int camera = action.camera;
    if (camera >= 1 && camera <= kUsedCameraSlots && camera != currentControl) {
        const bool shifted = camera > 12;
        cameraKey(shifted ? camera + 8 : keyCamera1 + camera - 1, shifted);
    }
    switch (action.kind) {
        case automation::actionKind::selectCamera:
            break;
        case automation::actionKind::recallPreset:
        case automation::actionKind::storePreset:
            presetKey(action.preset, action.kind == automation::actionKind::storePreset);
            break;
        case automation::actionKind::stopAll:
            stopAllCameras();
            break;
    }
    return automation::actionOutcome::done;
}

void keyDispatch::testPass(const hardwareState& state) {
    lastPressed_ = 0;
    for (int k = 0; k < kPanelKeys; ++k) {
        if (isKeyPressed(state.keyPressTable, k)) {
            tempKeyState_[k] = 1;
            lastPressed_ = k + 1;
        }
    }
    {
        std::lock_guard<std::mutex> lock(ledMapMutex);
        std::string& map = testKeyboardStatusStr[17];
        switch (testLED.load()) {
            case 0:
                if (lastPressed_ > 0) {
                    const int k = lastPressed_ - 1;
                    auto byte = static_cast<unsigned char>(map[k / 2]);
                    byte = k % 2 == 0 ? (byte & 0x0F) : (byte & 0xF0);
                    map[k / 2] = static_cast<char>(byte);
                }
                break;
            case 1:
                map.assign(20, '\x22');
                break;
            case 2:
            case 3: {
                const char lit = testLED == 2 ? '\x33' : '\x44';
                const char edge = testLED == 2 ? '\x32' : '\x42';
                map.assign(20, '\x22');
                for (int b = 7; b <= 15; ++b) {
                    map[b] = lit;
                }
                map[16] = edge;
                break;
            }
            case 4:
                map.assign(20, '\x11');
                testLED = 0;
                break;
            default:
                break;
        }
    }
    if (out_.refreshTestScreen) {
        out_.refreshTestScreen();
    }
}
