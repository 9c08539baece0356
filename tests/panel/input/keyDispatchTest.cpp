// Key dispatch and joystick motion, pass by pass: LEDs, flags, records and the queued bytes.
#include "keyDispatch.h"
#include "panelProcessState.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "joystick.h"
#include "linkLog.h"
#include "panelState.h"
#include "pendingStops.h"

namespace {

using Bytes = std::vector<std::string>;

// The messages the dispatch queues, as the cameras receive them.
const char* const kSpeedFast = "81 01 7e 01 0b 7e 03 ff";
const char* const kSpeedMid = "81 01 7e 01 0b 7e 02 ff";
const char* const kSpeedSlow = "81 01 7e 01 0b 7e 01 ff";
const char* const kWhiteBalanceAuto = "81 01 04 35 00 ff";
const char* const kWhiteBalanceManual = "81 01 04 35 05 ff";
const char* const kWhiteBalanceOnePush = "81 01 04 35 03 ff";
const char* const kOnePushTrigger = "81 01 04 10 05 ff";
const char* const kFocusAuto = "81 01 04 38 02 ff";
const char* const kFocusManual = "81 01 04 38 03 ff";
const char* const kExposureFullAuto = "81 01 04 39 00 ff";
const char* const kExposureManual = "81 01 04 39 03 ff";
const char* const kIrisUp = "81 01 04 0b 02 ff";
const char* const kIrisDown = "81 01 04 0b 03 ff";
const char* const kMenuOn = "81 01 06 06 02 ff";
const char* const kMenuOff = "81 01 06 06 03 ff";
const char* const kPanTiltStop = "81 01 06 01 01 01 03 03 ff";
const char* const kZoomStop = "81 01 04 07 00 ff";
// Something already waiting for the camera: preset recall 5.
const char* const kWaiting = "81 01 04 3f 02 05 ff";

// The two LED maps the dispatch works on, as the panel starts.
const char* const kLiveMapAtStart = "11 11 11 11 11 11 11 aa aa aa a9 99 99 99 99 99 91 11 11 11";
const char* const kStartUpMap = "11 11 11 11 11 11 11 ff ff ff ff ff ff ff ff ff f1 11 11 11";

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

void queueMessage(const char* hex) {
    cameraCommandRingBuf.append(QByteArray::fromHex(hex));
}

Bytes drainQueue() {
    Bytes out;
    while (!cameraCommandRingBuf.isEmpty()) {
        out.push_back(cameraCommandRingBuf.read().toHex(' ').toStdString());
    }
    return out;
}

std::string mapHex(int entry) {
    std::lock_guard<std::mutex> lock(ledMapMutex);
    return QByteArray::fromStdString(testKeyboardStatusStr[entry]).toHex(' ').toStdString();
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
        // Everything the dispatch and the motion handlers read or write outside themselves, as
        // it is when the panel starts.
        resetPanelProcessState();
        {
            std::lock_guard<std::mutex> lock(ledMapMutex);
            testKeyboardStatusStr[0] = QByteArray::fromHex(kLiveMapAtStart).toStdString();
            testKeyboardStatusStr[17] = QByteArray::fromHex(kStartUpMap).toStdString();
        }
        // The speed curve the tests are written for.
        iCurrentSpeedFunction = 1;
        // Not "ABC", so that a camera selection's reset shows.
        cmdPrev.set("XYZ");
    }
    void TearDown() override {
        cameraCommandRingBuf.clear();
        setLinkLogSink({});
    }

    // Presses the keys for one pass and releases them in the next.
    void tap(std::initializer_list<int> keys) {
        dispatch.pass(keysDown(keys));
        dispatch.pass(keysDown({}));
    }

    keyDispatch dispatch{{}};
};

TEST_F(KeyDispatchTest, HeldKeyRepeatsItsPressReleaseQueuesOnce) {
    for (int pass = 0; pass < 4; ++pass) {
        camStatusCounter = 17;
        dispatch.pass(keysDown({keyFast}));
        EXPECT_EQ(camStatusCounter.load(), 0) << "a held key keeps the polling back";
        EXPECT_EQ(led(keyFast), kLedActive);
        EXPECT_EQ(led(keyMid), kLedIdle);
    }
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), Bytes{kSpeedFast});
    dispatch.pass(keysDown({}));
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
}

TEST_F(KeyDispatchTest, SpeedKeysSetTheModeTheRecordAndTheirLeds) {
    const struct {
        int key;
        const char* bytes;
        int mode;
        int fast, mid, slow;
    } cases[] = {
        {keyFast, kSpeedFast, 3, 2, 1, 1},
        {keySlow, kSpeedSlow, 1, 1, 1, 2},
        {keyMid, kSpeedMid, 2, 1, 2, 1},
    };
    for (const auto& c : cases) {
        tap({c.key});
        EXPECT_EQ(drainQueue(), Bytes{c.bytes}) << c.key;
        EXPECT_EQ(iCurrentSpeedMode.load(), c.mode) << c.key;
        EXPECT_EQ(cameraDevice.camera(0).speed, c.mode) << c.key;
        EXPECT_EQ(led(keyFast), c.fast) << c.key;
        EXPECT_EQ(led(keyMid), c.mid) << c.key;
        EXPECT_EQ(led(keySlow), c.slow) << c.key;
    }
}

TEST_F(KeyDispatchTest, ReleasesInOnePassRunInKeyOrderUntilOnePushEndsTheScan) {
    dispatch.pass(keysDown({keyAwb, keyAutoFocus}));
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), (Bytes{kWhiteBalanceManual, kFocusManual}));

    dispatch.pass(keysDown({keyOnePush, keyAutoIris}));
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), (Bytes{kWhiteBalanceOnePush, kOnePushTrigger}));
    EXPECT_FALSE(awb.load());
    EXPECT_EQ(cameraDevice.camera(0).wbmode, 3);
    dispatch.pass(keysDown({}));  // AUTO IRIS's release waited for this pass
    EXPECT_EQ(drainQueue(), Bytes{kExposureManual});
}

TEST_F(KeyDispatchTest, AwbTogglesWithTheCameraRecord) {
    tap({keyAwb});
    EXPECT_EQ(drainQueue(), Bytes{kWhiteBalanceManual});
    EXPECT_EQ(led(keyAwb), kLedIdle);
    EXPECT_EQ(led(keyOnePush), kLedIdle);
    EXPECT_EQ(cameraDevice.camera(0).wbmode, 5);
    EXPECT_FALSE(awb.load());
    tap({keyAwb});
    EXPECT_EQ(drainQueue(), Bytes{kWhiteBalanceAuto});
    EXPECT_EQ(led(keyAwb), kLedActive);
    EXPECT_EQ(cameraDevice.camera(0).wbmode, 0);
}

TEST_F(KeyDispatchTest, ExposureStepsOnlyWithAutoIrisOff) {
    dispatch.pass(keysDown({keyAePlus, keyAeMinus}));
    dispatch.pass(keysDown({}));
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
    EXPECT_EQ(led(keyAePlus), kLedIdle);

    tap({keyAutoIris});
    EXPECT_EQ(drainQueue(), Bytes{kExposureManual});
    EXPECT_EQ(cameraDevice.camera(0).irismode, 3);
    dispatch.pass(keysDown({keyAePlus}));
    EXPECT_EQ(led(keyAePlus), kLedActive);
    dispatch.pass(keysDown({}));
    EXPECT_EQ(drainQueue(), (Bytes{kExposureManual, kIrisUp}));
    tap({keyAeMinus});
    EXPECT_EQ(drainQueue(), (Bytes{kExposureManual, kIrisDown}));
    tap({keyAutoIris});
    EXPECT_EQ(drainQueue(), Bytes{kExposureFullAuto});
    EXPECT_EQ(cameraDevice.camera(0).irismode, 0);
}

TEST_F(KeyDispatchTest, PresetsWithShiftAndStore) {
    tap({keyPreset1});
    tap({keyPreset1 + 6});
    pstShift = true;
    tap({keyPreset1});
    tap({keyPreset1 + 6});
    tap({keyPreset1 + 2});
    EXPECT_EQ(drainQueue(),
              (Bytes{"81 01 04 3f 02 00 ff", "81 01 04 3f 02 06 ff", "81 01 04 3f 02 07 ff",
                     "81 01 04 3f 02 0d ff", "81 01 04 3f 02 09 ff"}));
    pstShift = false;
    tap({keyStore});
    EXPECT_TRUE(dispatch.presetStoreArmed());
    EXPECT_EQ(led(keyStore), kLedActive);
    tap({keyPreset1 + 2});
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 3f 01 02 ff"});
    EXPECT_FALSE(dispatch.presetStoreArmed());
    EXPECT_EQ(led(keyStore), kLedIdle);
    EXPECT_EQ(led(keyPreset1 + 2), kLedActive);
    EXPECT_EQ(led(keyPreset1), 10);
    tap({keyPreset1 + 2});
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 3f 02 02 ff"});
    // The preset keys' normal colour is the one of the moment.
    iCurrentNormalColor_pst = 12;
    tap({keyPreset1 + 4});
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 3f 02 04 ff"});
    EXPECT_EQ(led(keyPreset1 + 4), kLedActive);
    EXPECT_EQ(led(keyPreset1 + 2), 12);
    pstShift = true;
    tap({keyStore});
    tap({keyPreset1 + 6});
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 3f 01 0d ff"});
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
        queueMessage(kWaiting);
        camStatusCounter = 17;
        cmdPrev.set("XYZ");
        noMoreWarning[(c.key - keyCamera1)] = true;
        noMoreWarning[(c.key - keyCamera1) + 12] = true;
        dispatch.pass(keysDown({c.key}));
        EXPECT_FALSE(noMoreWarning[c.key - keyCamera1].load());
        EXPECT_FALSE(noMoreWarning[c.key - keyCamera1 + 12].load());
        camStatusCounter = 17;
        dispatch.pass(keysDown({}));
        EXPECT_EQ(currentControl.load(), c.camera) << c.key << " shift " << c.shift;
        EXPECT_EQ(currentInterface.load(), c.interface);
        EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "selection clears the queue";
        EXPECT_EQ(camStatusCounter.load(), 0);
        EXPECT_EQ(cmdPrev.get(), QByteArray("ABC"));
        EXPECT_EQ(led(c.key), kLedActive);
        EXPECT_EQ(led(c.key == keyCamera1 ? keyCamera1 + 1 : keyCamera1), 9);
    }
    // The other camera keys take the normal colour of the moment (camera shift tool: 11).
    iCurrentNormalColor = 11;
    camShift = false;
    tap({keyCamera1 + 2});
    EXPECT_EQ(currentControl.load(), 3);
    EXPECT_EQ(led(keyCamera1 + 2), kLedActive);
    EXPECT_EQ(led(keyCamera1), 11);
    EXPECT_EQ(led(keyCamera1 + 11), 11);
}

// The automation interface's actions, run as the keys: the same selection, lamps and bytes.
TEST_F(KeyDispatchTest, AutomationActionsAreTheKeysActions) {
    using automation::actionKind;
    const struct {
        int camera;
        int key;
        int interface;
    } selections[] = {{2, keyCamera1 + 1, 2},
                      {9, keyCamera1 + 8, 1},
                      {13, keyCamera1, 1},
                      {24, keyCamera1 + 11, 1}};
    for (const auto& s : selections) {
        queueMessage(kWaiting);
        cmdPrev.set("XYZ");
        noMoreWarning[s.key - keyCamera1] = true;
        EXPECT_EQ(dispatch.perform({actionKind::selectCamera, s.camera, 0}),
                  automation::actionOutcome::done);
        EXPECT_EQ(currentControl.load(), s.camera);
        EXPECT_EQ(currentInterface.load(), s.interface) << s.camera;
        EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "selection clears the queue";
        EXPECT_EQ(cmdPrev.get(), QByteArray("ABC"));
        EXPECT_FALSE(noMoreWarning[s.key - keyCamera1].load());
        EXPECT_EQ(led(s.key), kLedActive);
        EXPECT_FALSE(camShift.load()) << "the screens' shift flag is left alone";
    }
    // Preset 3 on camera 1: the camera key, then PST 3; the preset shift shows 8 to 14.
    EXPECT_EQ(dispatch.perform({actionKind::recallPreset, 1, 3}), automation::actionOutcome::done);
    EXPECT_EQ(currentControl.load(), 1);
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 3f 02 02 ff"});
    EXPECT_EQ(led(keyPreset1 + 2), kLedActive);
    EXPECT_EQ(led(keyCamera1), kLedActive);
    EXPECT_EQ(lastRecalledPreset[0].load(), 3);
    pstShift = true;
    dispatch.perform({actionKind::recallPreset, 0, 14});
    EXPECT_EQ(led(keyPreset1 + 6), kLedActive);
    EXPECT_EQ(led(keyPreset1 + 2), 10);
    dispatch.perform({actionKind::recallPreset, 0, 128});  // no key shows it: the lamps stay
    EXPECT_EQ(led(keyPreset1 + 6), kLedActive);
    EXPECT_EQ(drainQueue(), (Bytes{"81 01 04 3f 02 0d ff", "81 01 04 3f 02 7f ff"}));
    EXPECT_EQ(lastRecalledPreset[0].load(), 128);
    // A store leaves the store key's arming as it was.
    tap({keyStore});
    dispatch.perform({actionKind::storePreset, 0, 1});
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 3f 01 00 ff"});
    EXPECT_TRUE(dispatch.presetStoreArmed());
    EXPECT_EQ(lastRecalledPreset[0].load(), 128);
    // Stop all: the controlled camera's queue gives way to its stops; every other camera the
    // panel knows gets its own.
    cameraDevice.update(4, [](orb_camera_info& r) { r.exist = true; });
    queueMessage(kWaiting);
    dispatch.perform({actionKind::stopAll, 0, 0});
    EXPECT_EQ(drainQueue(), (Bytes{kPanTiltStop, kZoomStop}));
    const auto due = unconfirmedStops.next([](int) { return true; });
    ASSERT_TRUE(due);
    EXPECT_EQ(due->slot, 4);
    EXPECT_EQ(due->message.toHex(' ').toStdString(), kPanTiltStop);
}

TEST_F(KeyDispatchTest, SwitcherTallyFollowsTheControlCameraOnEveryRelease) {
    tempCurrentControl = 7;
    tap({keyCamera1 + 2});
    EXPECT_EQ(tempCurrentControl.load(), 7) << "no switcher tally: left alone";
    currTallyMode = 2;
    // The copy is taken after the key's action and before the camera change.
    tap({keyCamera1 + 4});
    EXPECT_EQ(currentControl.load(), 5);
    EXPECT_EQ(tempCurrentControl.load(), 3);
    tap({keyPreset1});
    EXPECT_EQ(tempCurrentControl.load(), 5);
}

TEST_F(KeyDispatchTest, MenuFocusAndSwitcherKeys) {
    tap({keyCamOsd});
    EXPECT_EQ(drainQueue(), Bytes{kMenuOn});
    EXPECT_TRUE(cameraDevice.camera(0).osdon);
    EXPECT_EQ(led(keyCamOsd), kLedActive);
    tap({keyCamOsd});
    EXPECT_EQ(drainQueue(), Bytes{kMenuOff});
    EXPECT_FALSE(cameraDevice.camera(0).osdon);
    EXPECT_EQ(led(keyCamOsd), kLedIdle);
    tap({keyAutoFocus});
    tap({keyAutoFocus});
    EXPECT_EQ(drainQueue(), (Bytes{kFocusManual, kFocusAuto}));
    EXPECT_EQ(cameraDevice.camera(0).fmode, 2);
    dispatch.pass(keysDown({keyMixWipe}));
    EXPECT_EQ(led(keyAuto), kLedIdle);
    dispatch.pass(keysDown({}));
    EXPECT_EQ(led(keyMixWipe), kLedActive);
    tap({keyCut, keyRec});
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "switcher and recorder keys send nothing";
}

// Test mode ---------------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, TestModePatternsOnTheStartUpMap) {
    // With no pattern chosen the last pressed key (the highest of the pass) goes dark.
    dispatch.testPass(keysDown({5, 30}));
    EXPECT_EQ(dispatch.lastPressedKey(), 31);
    EXPECT_EQ(mapHex(17), "11 11 11 11 11 11 11 ff ff ff ff ff ff ff ff 0f f1 11 11 11");
    dispatch.testPass(keysDown({}));
    EXPECT_EQ(mapHex(17), "11 11 11 11 11 11 11 ff ff ff ff ff ff ff ff 0f f1 11 11 11");

    const struct {
        int pattern;
        const char* map;
    } patterns[] = {
        {1, "22 22 22 22 22 22 22 22 22 22 22 22 22 22 22 22 22 22 22 22"},
        {2, "22 22 22 22 22 22 22 33 33 33 33 33 33 33 33 33 32 22 22 22"},
        {3, "22 22 22 22 22 22 22 44 44 44 44 44 44 44 44 44 42 22 22 22"},
        {4, "11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"},
    };
    for (const auto& p : patterns) {
        testLED = p.pattern;
        dispatch.testPass(keysDown({}));
        EXPECT_EQ(mapHex(17), p.map) << p.pattern;
    }
    EXPECT_EQ(testLED.load(), 0) << "the all-white pattern is shown once";
    EXPECT_EQ(mapHex(0), kLiveMapAtStart);
}

TEST_F(KeyDispatchTest, TestModeRunsNoKeyActionsAndNoJoystick) {
    // Keys whose release queues a command or selects a camera, with the stick deflected on all
    // three axes; then everything let go.
    hardwareState held = stick(1800, true, 1800, true, 1800, true);
    held.keyPressTable = keysDown({keyFast, keyCamOsd, keyPreset1, keyCamera1 + 2}).keyPressTable;
    for (int pass = 0; pass < 3; ++pass) {
        dispatch.testPass(held);
    }
    dispatch.testPass(stick(0, false, 0, false));
    EXPECT_EQ(drainQueue(), Bytes{});
    EXPECT_EQ(currentControl.load(), 1);
    EXPECT_EQ(iCurrentSpeedMode.load(), 2);
    EXPECT_FALSE(camOSD.load());
    EXPECT_EQ(mapHex(0), kLiveMapAtStart);
}

// Joystick ---------------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, JoystickQueuesOncePerZoneAndStopsOnRelease) {
    dispatch.pass(stick(1000, true, 200, true));
    dispatch.pass(stick(1010, true, 210, true));  // same cell
    dispatch.pass(stick(1400, true, 200, true));
    EXPECT_EQ(drainQueue(), (Bytes{"81 01 06 01 09 07 02 03 ff", "81 01 06 01 0b 07 02 03 ff"}));
    queueMessage(kWaiting);  // discarded by the stop
    dispatch.pass(stick(0, false, 0, false));
    EXPECT_EQ(drainQueue(), (Bytes{kPanTiltStop, kZoomStop}));
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
        {1, 3, 1650, false, 1299, false, "81 01 06 01 10 0e 01 02 ff", 70},
    };
    for (const auto& c : cases) {
        joystick = joystickState{};
        iCurrentSpeedFunction = c.function;
        iCurrentSpeedMode = c.mode;
        EXPECT_EQ(zekJoystickControl(c.right, c.x, c.up, c.y), 0);
        EXPECT_EQ(drainQueue(), Bytes{c.bytes}) << c.bytes;
        EXPECT_EQ(joystick.joyState, c.cell);
        EXPECT_EQ(zekJoystickControl(c.right, c.x, c.up, c.y), 99);
    }
    // A speed mode change while held is not sent until the stick changes cell.
    iCurrentSpeedMode = 1;
    EXPECT_EQ(zekJoystickControl(false, 1650, false, 1299), 99);
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty());
}

// Each zone bound, at the bound and one either side, from rest. Function 1 in mid mode gives every
// zone its own speed: pan and tilt 7, 9, 11, 13, zoom 2, 3, 4, 5.
TEST_F(KeyDispatchTest, JoystickZoneBounds) {
    const struct {
        int x, y, z;
        const char* bytes;  // nullptr: nothing queued
        int cell;
    } cases[] = {
        // Pan right, tilt at rest.
        {499, 0, 0, nullptr, 0},
        {500, 0, 0, "81 01 06 01 07 07 02 03 ff", 9},
        {501, 0, 0, "81 01 06 01 07 07 02 03 ff", 9},
        {899, 0, 0, "81 01 06 01 07 07 02 03 ff", 9},
        {900, 0, 0, "81 01 06 01 09 07 02 03 ff", 10},
        {901, 0, 0, "81 01 06 01 09 07 02 03 ff", 10},
        {1299, 0, 0, "81 01 06 01 09 07 02 03 ff", 10},
        {1300, 0, 0, "81 01 06 01 0b 07 02 03 ff", 11},
        {1301, 0, 0, "81 01 06 01 0b 07 02 03 ff", 11},
        {1699, 0, 0, "81 01 06 01 0b 07 02 03 ff", 11},
        {1700, 0, 0, "81 01 06 01 0d 07 02 03 ff", 12},
        {1701, 0, 0, "81 01 06 01 0d 07 02 03 ff", 12},
        // Tilt down, pan at rest.
        {0, 499, 0, nullptr, 0},
        {0, 500, 0, "81 01 06 01 07 07 03 02 ff", 5},
        {0, 501, 0, "81 01 06 01 07 07 03 02 ff", 5},
        {0, 899, 0, "81 01 06 01 07 07 03 02 ff", 5},
        {0, 900, 0, "81 01 06 01 07 09 03 02 ff", 6},
        {0, 901, 0, "81 01 06 01 07 09 03 02 ff", 6},
        {0, 1299, 0, "81 01 06 01 07 09 03 02 ff", 6},
        {0, 1300, 0, "81 01 06 01 07 0b 03 02 ff", 7},
        {0, 1301, 0, "81 01 06 01 07 0b 03 02 ff", 7},
        {0, 1699, 0, "81 01 06 01 07 0b 03 02 ff", 7},
        {0, 1700, 0, "81 01 06 01 07 0d 03 02 ff", 8},
        {0, 1701, 0, "81 01 06 01 07 0d 03 02 ff", 8},
        // Both at the rest bound: diagonal, or the one axis that has left rest.
        {500, 500, 0, "81 01 06 01 07 07 02 02 ff", 21},
        {499, 500, 0, "81 01 06 01 07 07 03 02 ff", 5},
        {500, 499, 0, "81 01 06 01 07 07 02 03 ff", 9},
        // Zoom tele. At 500 exactly the zoom handler still takes the stick as at rest.
        {0, 0, 499, nullptr, 0},
        {0, 0, 500, nullptr, 0},
        {0, 0, 501, "81 01 04 07 22 ff", 0},
        {0, 0, 899, "81 01 04 07 22 ff", 0},
        {0, 0, 900, "81 01 04 07 23 ff", 0},
        {0, 0, 901, "81 01 04 07 23 ff", 0},
        {0, 0, 1299, "81 01 04 07 23 ff", 0},
        {0, 0, 1300, "81 01 04 07 24 ff", 0},
        {0, 0, 1301, "81 01 04 07 24 ff", 0},
        {0, 0, 1699, "81 01 04 07 24 ff", 0},
        {0, 0, 1700, "81 01 04 07 25 ff", 0},
        {0, 0, 1701, "81 01 04 07 25 ff", 0},
        {0, 0, 4999, "81 01 04 07 25 ff", 0},
        {0, 0, 5000, nullptr, 0},
    };
    iCurrentSpeedFunction = 1;
    iCurrentSpeedMode = 2;
    for (const auto& c : cases) {
        joystick = joystickState{};
        dispatch.pass(stick(c.x, true, c.y, false, c.z, true));
        EXPECT_EQ(drainQueue(), c.bytes == nullptr ? Bytes{} : Bytes{c.bytes})
            << "x " << c.x << " y " << c.y << " z " << c.z;
        EXPECT_EQ(joystick.joyState, c.cell) << "x " << c.x << " y " << c.y;
    }
}

TEST_F(KeyDispatchTest, ZoomSpeedsCeilingAndStop) {
    iCurrentSpeedFunction = 1;
    iCurrentSpeedMode = 2;
    dispatch.pass(stick(0, false, 0, false, 1100, true));
    dispatch.pass(stick(0, false, 0, false, 1150, true));
    iCurrentSpeedFunction = 2;
    iCurrentSpeedMode = 3;
    dispatch.pass(stick(0, false, 0, false, 1800, false));
    EXPECT_EQ(drainQueue(), (Bytes{"81 01 04 07 23 ff", "81 01 04 07 37 ff"}));
    dispatch.pass(stick(0, false, 0, false, 6000, false));  // past the ceiling: rest
    EXPECT_EQ(drainQueue(), Bytes{kZoomStop});
    EXPECT_EQ(joystick.joyZState, 0);
    dispatch.pass(stick(0, false, 0, false, 1800, true));
    EXPECT_EQ(drainQueue(), Bytes{"81 01 04 07 27 ff"});
    queueMessage(kWaiting);  // a stop empties the queue first
    dispatch.pass(stick(0, false, 0, false, 0, true));
    EXPECT_EQ(drainQueue(), (Bytes{kZoomStop, kPanTiltStop}));
}

TEST_F(KeyDispatchTest, LockIgnoresTheStickAndSendsNoStop) {
    dispatch.pass(stick(1800, true, 0, false));
    EXPECT_EQ(drainQueue(), Bytes{"81 01 06 01 0d 07 02 03 ff"});
    hardwareState lockDown = stick(1800, true, 0, false);
    lockDown.keyPressTable[0] = static_cast<char>(0x80 >> keyLock);
    dispatch.pass(lockDown);
    dispatch.pass(stick(0, false, 0, false));  // lock released this pass, stick centred
    EXPECT_TRUE(dispatch.joystickLocked());
    EXPECT_EQ(led(keyLock), kLedActive);
    EXPECT_TRUE(cameraCommandRingBuf.isEmpty()) << "no stop while locked";
    tap({keyLock});
    EXPECT_FALSE(dispatch.joystickLocked());
    EXPECT_EQ(led(keyLock), kLedIdle);
    // Unlocked, the centred stick is seen at last and the camera stops.
    EXPECT_EQ(drainQueue(), (Bytes{kPanTiltStop, kZoomStop}));
}

}  // namespace
