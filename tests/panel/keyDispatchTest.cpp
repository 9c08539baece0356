// Key dispatch and joystick motion, pass by pass: LEDs, flags, records and the queued bytes.
#include "keyDispatch.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "joystick.h"
#include "linkLog.h"
#include "panelState.h"
#include "viscaCommands.h"

namespace {

hardwareState keysDown(std::initializer_list<int> keys) {
    hardwareState s;
    s.keyPressTable.assign(5, '\0');
    for (const int k : keys) {
        s.keyPressTable[k / 8] = static_cast<char>(s.keyPressTable[k / 8] | (0x80 >> (k % 8)));
    }
    return s;
}

hardwareState stick(int x, bool xRight, int y, bool yUp, int z = 0, bool zTele = false) {
    hardwareState s = keysDown({});
    s.joyStickX = x;
    s.joyStickXDir = xRight;
    s.joyStickY = y;
    s.joyStickYDir = yUp;
    s.joyStickZ = z;
    s.joyStickZDir = zTele;
    return s;
}

std::vector<std::string> drainQueue() {
    std::vector<std::string> out;
    while (!cameraCommandRingBuf.isEmpty()) {
        out.push_back(cameraCommandRingBuf.read().toHex(' ').toStdString());
    }
    return out;
}

std::string hexOf(const QByteArray& bytes) {
    return bytes.toHex(' ').toStdString();
}

int led(int key) {
    const std::string map = liveLedMap();
    const auto byte = static_cast<unsigned char>(map[key / 2]);
    return key % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

class KeyDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([](const char*, const std::string&) {});
        {
            std::lock_guard<std::mutex> lock(ledMapMutex);
            testKeyboardStatusStr[0] =
                QByteArray::fromHex("11111111111111aaaaaaa9999999999991111111").toStdString();
            testKeyboardStatusStr[17] = std::string(20, '\x11');
        }
        cameraCommandRingBuf.clear();
        cameraDevice.clear();
        currentControl = 1;
        currentInterface = 2;
        iCurrentSpeedMode = 2;
        iCurrentSpeedFunction = 1;
        camOSD = false;
        awb = true;
        autofocus = true;
        autoiris = true;
        camShift = false;
        pstShift = false;
        testLED = 0;
        screenSaverMin = 0;
        currTallyMode = 0;
        joystick = joystickState{};
        cmdPrev.set("XYZ");
    }
    void TearDown() override { setLinkLogSink({}); }

    // Presses the keys for one pass and releases them in the next.
    void tap(std::initializer_list<int> keys) {
        dispatch.pass(keysDown(keys));
        dispatch.pass(keysDown({}));
    }

    keyDispatch dispatch{{}};
};

TEST_F(KeyDispatchTest, HeldKeyRepeatsItsPressReleaseQueuesOnce) {
    for (int pass = 0; pass < 4; ++pass) {
        dispatch.pass(keysDown({keyFast}));
        EXPECT_EQ(led(keyFast), kLedActive);
        EXPECT_EQ(led(keyMid), kLedIdle);
    }
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::speedModeFast())});
    EXPECT_EQ(iCurrentSpeedMode.load(), 3);
    EXPECT_EQ(cameraDevice.camera(0).speed, 3);
    dispatch.pass(keysDown({}));
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
}

TEST_F(KeyDispatchTest, ReleasesInOnePassRunInKeyOrderUntilOnePushEndsTheScan) {
    dispatch.pass(keysDown({keyAwb, keyAutoFocus}));
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{hexOf(visca::whiteBalanceManual()),
                                                      hexOf(visca::focusManual())}));

    dispatch.pass(keysDown({keyOnePush, keyAutoIris}));
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{hexOf(visca::whiteBalanceOnePushMode()),
                                                      hexOf(visca::onePushTrigger())}));
    EXPECT_FALSE(awb.load());
    EXPECT_EQ(cameraDevice.camera(0).wbmode, 3);
    dispatch.pass(keysDown({}));  // AUTO IRIS's release waited for this pass
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::exposureManual())});
}

TEST_F(KeyDispatchTest, AwbTogglesWithTheCameraRecord) {
    tap({keyAwb});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::whiteBalanceManual())});
    EXPECT_EQ(led(keyAwb), kLedIdle);
    EXPECT_EQ(led(keyOnePush), kLedIdle);
    EXPECT_EQ(cameraDevice.camera(0).wbmode, 5);
    EXPECT_FALSE(awb.load());
    tap({keyAwb});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::whiteBalanceAuto())});
    EXPECT_EQ(led(keyAwb), kLedActive);
    EXPECT_EQ(cameraDevice.camera(0).wbmode, 0);
}

TEST_F(KeyDispatchTest, ExposureStepsOnlyWithAutoIrisOff) {
    dispatch.pass(keysDown({keyAePlus, keyAeMinus}));
    dispatch.pass(keysDown({}));
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
    EXPECT_EQ(led(keyAePlus), kLedIdle);

    tap({keyAutoIris});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::exposureManual())});
    EXPECT_EQ(cameraDevice.camera(0).irismode, 3);
    dispatch.pass(keysDown({keyAePlus}));
    EXPECT_EQ(led(keyAePlus), kLedActive);
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(),
              (std::vector<std::string>{hexOf(visca::exposureManual()), hexOf(visca::irisUp())}));
    tap({keyAeMinus});
    EXPECT_EQ(drainQueue(),
              (std::vector<std::string>{hexOf(visca::exposureManual()), hexOf(visca::irisDown())}));
}

TEST_F(KeyDispatchTest, PresetsWithShiftAndStore) {
    tap({keyPreset1});
    tap({keyPreset1 + 6});
    pstShift = true;
    tap({keyPreset1});
    tap({keyPreset1 + 6});
    tap({keyPreset1 + 2});
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{
                                hexOf(visca::presetRecall(0)), hexOf(visca::presetRecall(6)),
                                hexOf(visca::presetRecall(7)), hexOf(visca::presetRecall(13)),
                                hexOf(visca::presetRecall(9))}));
    pstShift = false;
    tap({keyStore});
    EXPECT_TRUE(dispatch.presetStoreArmed());
    EXPECT_EQ(led(keyStore), kLedActive);
    tap({keyPreset1 + 2});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::presetStore(2))});
    EXPECT_FALSE(dispatch.presetStoreArmed());
    EXPECT_EQ(led(keyStore), kLedIdle);
    EXPECT_EQ(led(keyPreset1 + 2), kLedActive);
    EXPECT_EQ(led(keyPreset1), 10);
    tap({keyPreset1 + 2});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::presetRecall(2))});
}

TEST_F(KeyDispatchTest, CameraKeysSelectCamerasWithAndWithoutShift) {
    const struct {
        int key;
        bool shift;
        int camera;
        int interface;
    } cases[] = {{keyCamera1, false, 1, 2},     {keyCamera1 + 7, false, 8, 2},
                 {keyCamera1 + 8, false, 9, 1}, {keyCamera1 + 11, false, 12, 1},
                 {keyCamera1, true, 13, 1},     {keyCamera1 + 11, true, 24, 1}};
    for (const auto& c : cases) {
        camShift = c.shift;
        cameraCommandRingBuf.append(visca::zStopCommand());
        noMoreWarning[(c.key - keyCamera1)] = true;
        noMoreWarning[(c.key - keyCamera1) + 12] = true;
        dispatch.pass(keysDown({c.key}));
        EXPECT_FALSE(noMoreWarning[c.key - keyCamera1].load());
        EXPECT_FALSE(noMoreWarning[c.key - keyCamera1 + 12].load());
        dispatch.pass(keysDown({}));
        EXPECT_EQ(currentControl.load(), c.camera) << c.key << " shift " << c.shift;
        EXPECT_EQ(currentInterface.load(), c.interface);
        EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "selection clears the queue";
        EXPECT_EQ(cmdPrev.get(), QByteArray("ABC"));
        EXPECT_EQ(led(c.key), kLedActive);
        EXPECT_EQ(led(c.key == keyCamera1 ? keyCamera1 + 1 : keyCamera1), 9);
    }
}

TEST_F(KeyDispatchTest, MenuFocusAndSwitcherKeys) {
    tap({keyCamOsd});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::cameraMenuOn())});
    EXPECT_TRUE(cameraDevice.camera(0).osdon);
    tap({keyCamOsd});
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::cameraMenuOff())});
    EXPECT_EQ(led(keyCamOsd), kLedIdle);
    tap({keyAutoFocus});
    tap({keyAutoFocus});
    EXPECT_EQ(drainQueue(),
              (std::vector<std::string>{hexOf(visca::focusManual()), hexOf(visca::focusAuto())}));
    EXPECT_EQ(cameraDevice.camera(0).fmode, 2);
    dispatch.pass(keysDown({keyMixWipe}));
    EXPECT_EQ(led(keyAuto), kLedIdle);
    dispatch.pass(keysDown({}));
    EXPECT_EQ(led(keyMixWipe), kLedActive);
    tap({keyCut, keyRec});
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "switcher and recorder keys send nothing";
}

TEST_F(KeyDispatchTest, TestModePatternsOnTheStartUpMap) {
    const auto map17 = [] {
        std::lock_guard<std::mutex> lock(ledMapMutex);
        return QByteArray::fromStdString(testKeyboardStatusStr[17]).toHex().toStdString();
    };
    testLED = 1;
    dispatch.testPass(keysDown({}));
    EXPECT_EQ(map17(), std::string(40, '2'));
    testLED = 2;
    dispatch.testPass(keysDown({}));
    EXPECT_EQ(map17(), "22222222222222" + std::string(18, '3') + "32" + "222222");
    testLED = 3;
    dispatch.testPass(keysDown({}));
    EXPECT_EQ(map17(), "22222222222222" + std::string(18, '4') + "42" + "222222");
    testLED = 4;
    dispatch.testPass(keysDown({}));
    EXPECT_EQ(map17(), std::string(40, '1'));
    EXPECT_EQ(testLED.load(), 0);
    dispatch.testPass(keysDown({5, 30}));  // the highest pressed key goes dark
    EXPECT_EQ(dispatch.lastPressedKey(), 31);
    EXPECT_EQ(map17(), std::string(30, '1') + "0" + std::string(9, '1'));
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
}

// Joystick ---------------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, JoystickQueuesOncePerZoneAndStopsOnRelease) {
    dispatch.pass(stick(1000, true, 200, true));
    dispatch.pass(stick(1010, true, 210, true));  // same cell
    dispatch.pass(stick(1400, true, 200, true));
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{"81 01 06 01 09 07 02 03 ff",
                                                      "81 01 06 01 0b 07 02 03 ff"}));
    cameraCommandRingBuf.append(visca::presetRecall(1));  // discarded by the stop
    dispatch.pass(stick(0, false, 0, false));
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{hexOf(visca::xyStopCommand()),
                                                      hexOf(visca::zStopCommand())}));
    dispatch.pass(stick(0, false, 0, false));
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
}

TEST_F(KeyDispatchTest, JoystickTablesAndCells) {
    const struct {
        int function, mode, x;
        bool right;
        int y;
        bool up;
        const char* bytes;
        int cell;
    } cases[] = {
        {0, 3, 1800, false, 950, true, "81 01 06 01 12 08 01 01 ff", 74},
        {1, 2, 1000, true, 200, true, "81 01 06 01 09 07 02 03 ff", 10},
        {2, 1, 0, true, 1750, false, "81 01 06 01 04 04 03 02 ff", 8},
        {0, 1, 600, true, 600, true, "81 01 06 01 02 02 02 01 ff", 17},
        {1, 3, 1650, false, 1299, false, "81 01 06 01 10 0e 01 02 ff", 17 + 32 + 16 + 4 + 1},
    };
    for (const auto& c : cases) {
        joystick = joystickState{};
        iCurrentSpeedFunction = c.function;
        iCurrentSpeedMode = c.mode;
        EXPECT_EQ(zekJoystickControl(c.right, c.x, c.up, c.y), 0);
        EXPECT_EQ(drainQueue(), std::vector<std::string>{c.bytes}) << c.bytes;
        EXPECT_EQ(joystick.joyState, c.cell);
        EXPECT_EQ(zekJoystickControl(c.right, c.x, c.up, c.y), 99);
    }
    // A speed mode change while held is not sent until the stick changes cell.
    iCurrentSpeedMode = 1;
    EXPECT_EQ(zekJoystickControl(false, 1650, false, 1299), 99);
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
}

TEST_F(KeyDispatchTest, ZoomSpeedsCeilingAndStop) {
    iCurrentSpeedFunction = 1;
    iCurrentSpeedMode = 2;
    dispatch.pass(stick(0, false, 0, false, 1100, true));
    dispatch.pass(stick(0, false, 0, false, 1150, true));
    iCurrentSpeedFunction = 2;
    iCurrentSpeedMode = 3;
    dispatch.pass(stick(0, false, 0, false, 1800, false));
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{"81 01 04 07 23 ff", "81 01 04 07 37 ff"}));
    dispatch.pass(stick(0, false, 0, false, 6000, false));  // past the ceiling: rest
    EXPECT_EQ(drainQueue(), std::vector<std::string>{hexOf(visca::zStopCommand())});
    EXPECT_EQ(joystick.joyZState, 0);
    dispatch.pass(stick(0, false, 0, false, 1800, true));
    EXPECT_EQ(drainQueue(), std::vector<std::string>{"81 01 04 07 27 ff"});
    cameraCommandRingBuf.append(visca::presetRecall(3));  // a stop empties the queue first
    dispatch.pass(stick(0, false, 0, false, 0, true));
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{hexOf(visca::zStopCommand()),
                                                      hexOf(visca::xyStopCommand())}));
}

TEST_F(KeyDispatchTest, LockIgnoresTheStickAndSendsNoStop) {
    dispatch.pass(stick(1800, true, 0, false));
    EXPECT_EQ(drainQueue().size(), 1u);
    hardwareState lockDown = stick(1800, true, 0, false);
    lockDown.keyPressTable[0] = static_cast<char>(0x80 >> keyLock);
    dispatch.pass(lockDown);
    dispatch.pass(stick(0, false, 0, false));  // lock released this pass, stick centred
    EXPECT_TRUE(dispatch.joystickLocked());
    EXPECT_EQ(led(keyLock), kLedActive);
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "no stop while locked";
    tap({keyLock});
    EXPECT_FALSE(dispatch.joystickLocked());
    // Unlocked, the centred stick is seen at last and the camera stops.
    EXPECT_EQ(drainQueue(), (std::vector<std::string>{hexOf(visca::xyStopCommand()),
                                                      hexOf(visca::zStopCommand())}));
}

}  // namespace
