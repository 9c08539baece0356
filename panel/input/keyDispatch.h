// Key dispatch: turns the keys of each MCU status answer into LED changes, mode changes and
// camera commands, and hands the joystick to the motion handlers. Runs in the key thread, which
// owns the state held here; what other threads touch (flags, LED map, queue, records) is shared
// through panelState.
#pragma once

#include <array>
#include <functional>

#include "defs.h"
#include "remoteAction.h"

// The keys, by number in the MCU's key bit map and LED map.
enum panelKey {
    keyFast = 0,
    keyMid = 1,
    keySlow = 2,
    keyLock = 3,
    keyRec = 4,
    keyStop = 5,
    keyCamOsd = 6,
    keyStore = 7,
    keyAwb = 8,
    keyOnePush = 9,
    keyAePlus = 10,
    keyAutoFocus = 11,
    keyAutoIris = 12,
    keyAeMinus = 13,
    keyPreset1 = 14,  // .. keyPreset1 + 6 = PST 7
    keyCamera1 = 21,  // .. keyCamera1 + 11 = camera key 12
    keyCut = 33,
    keyAuto = 34,
    keyMixWipe = 35,
};
constexpr int kPanelKeys = 36;

class keyDispatch {
public:
    // What the dispatch tells the rest of the program; the key worker turns these into signals.
    struct outputs {
        std::function<void()> wakeupScreen;
        std::function<void()> refreshTBarValue;
        // Test mode: forward the controls to the test screen.
        std::function<void()> refreshTestScreen;
    };

    explicit keyDispatch(outputs out) : out_(std::move(out)) {}

    // Brings the live LED map in line with the mode flags before the first pass.
    void alignLedsWithFlags();
    // One pass over a status answer, outside test mode.
    void pass(const hardwareState& state);
    // One pass in test mode: no actions, the LED test patterns on the start-up map.
    void testPass(const hardwareState& state);

    // An action of the automation interface, run as the keys that do it: selecting camera n is
    // its camera key (shifted for 13 to 24), a recall or a store is the preset key (the lamp of
    // the key that shows the preset lights, if one does; the store key's arming is left as it
    // is), and stopping all cameras stops the controlled one as the joystick's release does and
    // gives every other camera its stops.
    automation::actionOutcome perform(const automation::remoteAction& action);

    bool joystickLocked() const { return joyLock_; }
    bool presetStoreArmed() const { return pstStore_; }
    int lastPressedKey() const { return lastPressed_; }

private:
    void press(int key);
    // Returns false when the release ends the scan of this pass.
    bool release(int key);
    void selectCamera(int key, bool shifted);
    void cameraKey(int key, bool shifted);
    void presetKey(int preset, bool store);
    void stopAllCameras();
    void paintPresetGroup(int activeKey);
    void paintCameraGroup(int activeKey);
    void moveJoystick(const hardwareState& state);

    outputs out_;
    std::array<int, kPanelKeys> tempKeyState_{};
    bool joyLock_ = false;
    bool pstStore_ = false;
    int lastPressed_ = 0;
};
