// Process-wide state of the panel application, shared by the GUI, key, rotary and command
// threads. Each item says how it is kept safe: an atomic, its own lock, or the thread that owns it.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include <libserial/SerialStream.h>

#include "cameraRecords.h"
#include "functionKeyLamps.h"
#include "myringbuffer.h"

// The camera table `cameraDevice`: 32 slots behind one lock. Readers take a copy; writers change
// a slot in place under the lock, so no thread sees a record half written.
class cameraTable {
public:
    hcip_device_info device(int slot) const;
    orb_camera_info camera(int slot) const { return device(slot).orb; }
    // Slots outside the table are ignored by every operation.
    template <typename Change>
    void update(int slot, Change change) {
        if (slot < 0 || slot >= kCameraSlots) {
            return;
        }
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            change(slots_[slot].orb);
        }
        changed();
    }
    template <typename Change>
    void updateDevice(int slot, Change change) {
        if (slot < 0 || slot >= kCameraSlots) {
            return;
        }
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            change(slots_[slot]);
        }
        changed();
    }
    // The whole table, for moves that touch many slots at once.
    template <typename Change>
    void updateAll(Change change) {
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            change(slots_);
        }
        changed();
    }
    void clear();
    // Called, from the thread that made it, after every change (set before the threads that
    // change the table start, cleared after they ended).
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void changed() {
        if (listener_) {
            listener_();
        }
    }
    std::function<void()> listener_;
    mutable std::recursive_mutex mutex_;
    std::array<hcip_device_info, kCameraSlots> slots_{};
};

extern cameraTable cameraDevice;

// Every device found by discovery, and the switchers (entry 0 is the target switcher), with the
// number of entries the last scan filled. Used by the GUI thread only.
extern std::array<hcip_device_info, kAllHcipDevices> allHcipDevice;
extern std::array<hcip_device_info, kSwitcherDevices> switcherDevice;
extern int allHcipindex;
extern int switcherIndex;

// Camera numbers 1..24.
extern std::atomic<int> currentControl;
extern std::atomic<int> currentStatusOnScreen;

extern std::atomic<bool> testmode;
extern std::atomic<bool> useSerialPort;
extern std::atomic<bool> autoScan;
extern std::atomic<bool> runRobin;
extern std::atomic<bool> rotaryRobin;
extern std::atomic<int> camStatusCounter;
// The display backlight, set by the screen saver (GUI thread) and in test mode by the encoder.
extern backlightLevel panelBacklight;
extern std::atomic<int> scan;
extern std::atomic<int> cameraCount;
extern std::atomic<int> screenSaverMin;
extern std::atomic<int> currTallyMode;
extern std::atomic<int> iCurrentSpeedFunction;
extern std::atomic<int> iCurrentSpeedMode;
extern std::atomic<int> currentMcuMajorVer;
extern std::atomic<int> currentMcuMinorVer;

// Pause of the command round robin after each step, milliseconds.
constexpr int walkRobin = 55;
// Camera lines paced by fixed waits (every answer wait and pause lasts its whole time) instead
// of by the cameras' answers, for cameras that need it. Settings key "fixedCameraPacing" in
// group "system", off by default.
extern std::atomic<bool> fixedCameraPacing;
// Requests of the network's configuration tools that would change this panel's network setup
// are refused (scans and questions are still answered). Settings key "remoteSetupLocked" in
// group "system", off by default. Read by the configuration service's thread.
extern std::atomic<bool> remoteSetupLocked;

extern MyRingBuffer cameraCommandRingBuf;

// The last message handed to a transport (duplicate rule); "ABC" after a camera selection.
class lastCommand {
public:
    QByteArray get() const;
    void set(const QByteArray& message);
    void reset() { set(QByteArrayLiteral("ABC")); }

private:
    mutable std::mutex mutex_;
    QByteArray value_ = QByteArrayLiteral("ABC");
};
extern lastCommand cmdPrev;

// The panel MCU line; owned by the key thread once the start-up exchanges are done.
extern LibSerial::SerialStream my_serial_stream;

// Serial camera lines. The command thread and the GUI thread both write to the on-screen line
// and reopen it, so every use of a line (open, write, wait for the answer, read) holds
// cameraLinesMutex, and the camera each line really holds is kept beside it.
extern std::mutex cameraLinesMutex;
extern LibSerial::SerialStream camControl;
extern LibSerial::SerialStream camOnScreen;
extern LibSerial::SerialStream camScanner;
extern int camControlHolds;   // camera number on camControl, 0 for none; under cameraLinesMutex
extern int camOnScreenHolds;  // camera number on camOnScreen, 0 for none; under cameraLinesMutex

// Mirrors of the on-screen camera's values, read by the property getters. The command thread
// writes the shutter and gain mirrors, the GUI thread the rest.
struct cameraMirrors {
    std::atomic<int> wbMode{0}, mwbSetting{0}, mwbBGain{0}, mwbRGain{0};
    std::atomic<int> shutter{0}, gain{0}, focus{0};
    std::array<std::atomic<int>, 6> pstNumber{};
    std::atomic<int> videoMode{0}, videoVFlip{3}, videoHFlip{3};
    std::atomic<int> videoSharpen{0}, videoSaturation{0}, videoExposure{0}, videoHue{0};
    std::atomic<int> videoAGC{0}, videoGamma{0}, videoHDR{0}, version{0};
    std::atomic<int> audioIn{0}, audioInputVol{0}, audioOutputVol{0};
};
extern cameraMirrors cameraMirror;
extern std::atomic<bool> camShift;
extern std::atomic<bool> pstShift;

// Mode flags of the panel keys, followed from the control camera's status.
extern std::atomic<bool> camOSD;
extern std::atomic<bool> awb;
extern std::atomic<bool> autofocus;
extern std::atomic<bool> autoiris;

// The key LED maps; entry 0 is the live map, entry 17 the start-up and test map. The key thread
// and GUI-thread slots both change the live map, so every access holds ledMapMutex.
extern std::mutex ledMapMutex;
extern std::array<std::string, 20> testKeyboardStatusStr;
// Payload of the MCU initialisation: the colour table.
extern std::string testStdStr;
std::string liveLedMap();
// Sets the colour of key k in the live map (high nibble for even k).
void setKeyLed(int key, int colour);

// Per camera number − 1: the panel has lost the camera's network connection (or the camera
// stopped answering) and waits for it to come back. Written by the GUI thread, read by the key
// thread for the camera keys.
extern std::array<std::atomic<bool>, kUsedCameraSlots> cameraLinkDown;
// The LED map as the MCU is to show it: the camera key of a camera that is down blinks, lit in
// its colour of the map in one half second and off (colour 0) in the next; darkPhase says which
// half this is. Camera keys 21 to 32 show cameras 1 to 12, or 13 to 24 with camera shift.
std::string withDownCameraKeys(std::string map, const std::array<bool, kUsedCameraSlots>& down,
                               bool cameraShiftOn, bool darkPhase);
// The live map with the down cameras' keys as they are to be shown now.
std::string keyLedsAsShown();

// After a status block of the control camera, parsed into record: the speed mode the block
// reported (byte 13; only 1, 2, 3 count, anything else leaves the panel's speed mode as it is)
// becomes the panel's, and the mode flags and their key LEDs follow the camera.
void applyControlCameraRules(const orb_camera_info& record, int reportedSpeed);

// Key worker values the screens and other threads also touch.
extern std::atomic<int> currentInterface;         // 2 for cameras 1..8, 1 for 9..24
extern std::atomic<int> iCurrentNormalColor;      // normal colour of the camera keys
extern std::atomic<int> iCurrentNormalColor_pst;  // normal colour of the preset keys
extern std::atomic<int> testLED;                  // LED test pattern of the test screen
extern std::atomic<bool> doingCalibration;        // a factory calibration owns the MCU line
extern std::atomic<int> rotaryFunction;           // 1 shutter, 2 focus, 3 iris, 4 gain, 99 none
extern std::atomic<int> tempCurrentControl;       // control camera seen by switcher tally
// Per camera: the user asked not to see the unreachable message again (not saved).
extern std::array<std::atomic<bool>, kUsedCameraSlots> noMoreWarning;
// The last preset recalled per camera (1..128, 0 before the first), by a key or the automation
// interface; the key thread writes, the GUI thread reads.
extern std::array<std::atomic<int>, kUsedCameraSlots> lastRecalledPreset;

// Colour indices of the key LEDs.
constexpr int kLedOff = 0;
constexpr int kLedIdle = 1;
constexpr int kLedActive = 2;

// Path of the rotary encoder's input device, found by sysInit; empty when there is none.
void setRotaryDevicePath(const QString& path);
QString rotaryDevicePath();

// The panel's network settings as read from the interfaces file at start-up: `systemDhcpmode`,
// `systemIp`, `systemGateway`, `systemMask`, `systemPdns`, `systemSdns`. Written by the GUI
// thread, read by the configuration service thread; kept behind one lock.
struct systemNetSettings {
    bool systemDhcpmode = false;
    std::string systemIp;
    std::string systemGateway;
    std::string systemMask;
    std::string systemPdns;
    std::string systemSdns;
};
systemNetSettings systemNetwork();
void setSystemNetwork(const systemNetSettings& settings);
