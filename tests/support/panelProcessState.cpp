#include "panelProcessState.h"

#include <QString>

#include <mutex>

#include "gpio.h"
#include "hardwareLink.h"
#include "joystick.h"
#include "panelState.h"
#include "pendingStops.h"
#include "tallyState.h"
#include "workers.h"

namespace {

void resetCameraMirrors() {
    cameraMirror.wbMode = 0;
    cameraMirror.mwbSetting = 0;
    cameraMirror.mwbBGain = 0;
    cameraMirror.mwbRGain = 0;
    cameraMirror.shutter = 0;
    cameraMirror.gain = 0;
    cameraMirror.focus = 0;
    for (std::atomic<int>& number : cameraMirror.pstNumber) {
        number = 0;
    }
    cameraMirror.videoMode = 0;
    cameraMirror.videoVFlip = 3;
    cameraMirror.videoHFlip = 3;
    cameraMirror.videoSharpen = 0;
    cameraMirror.videoSaturation = 0;
    cameraMirror.videoExposure = 0;
    cameraMirror.videoHue = 0;
    cameraMirror.videoAGC = 0;
    cameraMirror.videoGamma = 0;
    cameraMirror.videoHDR = 0;
    cameraMirror.version = 0;
    cameraMirror.audioIn = 0;
    cameraMirror.audioInputVol = 0;
    cameraMirror.audioOutputVol = 0;
}

}  // namespace

void resetPanelProcessState() {
    // The camera tables and the current cameras.
    cameraDevice.clear();
    allHcipDevice.fill(hcip_device_info{});
    switcherDevice.fill(hcip_device_info{});
    allHcipindex = 0;
    switcherIndex = 0;
    currentControl = 1;
    currentStatusOnScreen = 1;
    tempCurrentControl = 1;
    currentInterface = 2;

    // Modes and counters.
    testmode = false;
    useSerialPort = true;
    autoScan = true;
    runRobin = false;
    rotaryRobin = false;
    camStatusCounter = 0;
    scan = 0;
    cameraCount = 0;
    screenSaverMin = 0;
    currTallyMode = 0;
    iCurrentSpeedFunction = 0;
    iCurrentSpeedMode = 2;
    currentMcuMajorVer = -1;
    currentMcuMinorVer = -1;

    // The command queue, the duplicate filter and the round robin's own flags.
    cameraCommandRingBuf.clear();
    unconfirmedStops.clear();
    pendingStops::resendEnabled = true;
    cmdPrev.reset();
    commandWorker::wakeOnCommand = true;
    fixedCameraPacing = false;
    remoteSetupLocked = false;
    commandWorker::networkStepPending = false;
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        camControlHolds = 0;
        camOnScreenHolds = 0;
    }

    // What the screens see of the on-screen camera.
    resetCameraMirrors();
    camShift = false;
    pstShift = false;

    // Key worker state: mode flags, LED maps and colours, the test screen, warnings.
    camOSD = false;
    awb = true;
    autofocus = true;
    autoiris = true;
    {
        std::lock_guard<std::mutex> lock(ledMapMutex);
        for (std::string& map : testKeyboardStatusStr) {
            map.clear();
        }
        testStdStr.clear();
    }
    iCurrentNormalColor = 9;
    iCurrentNormalColor_pst = 10;
    testLED = 0;
    doingCalibration = false;
    rotaryFunction = 0;
    for (std::atomic<bool>& flag : noMoreWarning) {
        flag = false;
    }
    for (std::atomic<bool>& flag : cameraLinkDown) {
        flag = false;
    }
    for (std::atomic<int>& preset : lastRecalledPreset) {
        preset = 0;
    }
    setRotaryDevicePath(QString());
    setSystemNetwork(systemNetSettings{});

    // Tally: the switcher's bytes, the contact lamps, the GPIO block.
    resetTallyState();
    unmapGpioBlock();

    // Joystick motion and the controls' snapshot.
    joystick = joystickState{};
    g_HardwareState.set(hardwareState{});
}
