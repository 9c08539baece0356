#include "panelState.h"

#include <chrono>

#include "commandRunner.h"

hcip_device_info cameraTable::device(int slot) const {
    if (slot < 0 || slot >= kCameraSlots) {
        return {};
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return slots_[slot];
}

void cameraTable::clear() {
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        slots_.fill(hcip_device_info{});
    }
    changed();
}

QByteArray lastCommand::get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_;
}

void lastCommand::set(const QByteArray& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    value_ = message;
}

cameraTable cameraDevice;
std::array<hcip_device_info, kAllHcipDevices> allHcipDevice{};
std::array<hcip_device_info, kSwitcherDevices> switcherDevice{};
int allHcipindex = 0;
int switcherIndex = 0;
std::atomic<int> currentControl{1};
std::atomic<int> currentStatusOnScreen{1};
std::atomic<bool> testmode{false};
std::atomic<bool> useSerialPort{true};
std::atomic<bool> autoScan{true};
std::atomic<bool> runRobin{false};
std::atomic<bool> fixedCameraPacing{false};
std::atomic<bool> remoteSetupLocked{false};
std::atomic<bool> rotaryRobin{false};
backlightLevel panelBacklight([](const std::string& command) { platform::runCommand(command); });
std::atomic<int> camStatusCounter{0};
std::atomic<int> scan{0};
std::atomic<int> cameraCount{0};
std::atomic<int> screenSaverMin{0};
std::atomic<int> currTallyMode{0};
std::atomic<int> iCurrentSpeedFunction{0};
std::atomic<int> iCurrentSpeedMode{2};
std::atomic<int> currentMcuMajorVer{-1};
std::atomic<int> currentMcuMinorVer{-1};
MyRingBuffer cameraCommandRingBuf;
lastCommand cmdPrev;
LibSerial::SerialStream my_serial_stream;
std::mutex cameraLinesMutex;
LibSerial::SerialStream camControl;
LibSerial::SerialStream camOnScreen;
LibSerial::SerialStream camScanner;
int camControlHolds = 0;
int camOnScreenHolds = 0;
cameraMirrors cameraMirror;
std::atomic<bool> camShift{false};
std::atomic<bool> pstShift{false};

std::atomic<bool> camOSD{false};
std::atomic<bool> awb{true};
std::atomic<bool> autofocus{true};
std::atomic<bool> autoiris{true};
std::mutex ledMapMutex;
std::array<std::string, 20> testKeyboardStatusStr;
std::string testStdStr;

std::string liveLedMap() {
    std::lock_guard<std::mutex> lock(ledMapMutex);
    return testKeyboardStatusStr[0];
}

namespace {

void setKeyLedLocked(int key, int colour) {
    std::string& map = testKeyboardStatusStr[0];
    if (key < 0 || static_cast<std::size_t>(key / 2) >= map.size()) {
        return;
    }
    auto byte = static_cast<unsigned char>(map[key / 2]);
    byte = key % 2 == 0 ? static_cast<unsigned char>((byte & 0x0F) | ((colour & 0x0F) << 4))
                        : static_cast<unsigned char>((byte & 0xF0) | (colour & 0x0F));
    map[key / 2] = static_cast<char>(byte);
}

// Key numbers of the mode keys.
constexpr int kKeyFast = 0, kKeyMid = 1, kKeySlow = 2, kKeyCamOsd = 6, kKeyAwb = 8, kKeyOnePush = 9,
              kKeyAutoFocus = 11, kKeyAutoIris = 12;
constexpr int kIdle = kLedIdle, kActive = kLedActive;

}  // namespace

void setKeyLed(int key, int colour) {
    std::lock_guard<std::mutex> lock(ledMapMutex);
    setKeyLedLocked(key, colour);
}

std::array<std::atomic<bool>, kUsedCameraSlots> cameraLinkDown{};

std::string withDownCameraKeys(std::string map, const std::array<bool, kUsedCameraSlots>& down,
                               bool cameraShiftOn, bool darkPhase) {
    constexpr int kFirstCameraKey = 21;
    constexpr int kCameraKeys = 12;
    if (!darkPhase) {
        return map;
    }
    for (int i = 0; i < kCameraKeys; ++i) {
        const int key = kFirstCameraKey + i;
        const int camera = (cameraShiftOn ? 13 : 1) + i;
        if (!down[static_cast<std::size_t>(camera - 1)] ||
            static_cast<std::size_t>(key / 2) >= map.size()) {
            continue;
        }
        auto byte = static_cast<unsigned char>(map[static_cast<std::size_t>(key / 2)]);
        byte = key % 2 == 0 ? static_cast<unsigned char>(byte & 0x0F)
                            : static_cast<unsigned char>(byte & 0xF0);
        map[static_cast<std::size_t>(key / 2)] = static_cast<char>(byte);
    }
    return map;
}

std::string keyLedsAsShown() {
    std::array<bool, kUsedCameraSlots> down{};
    bool any = false;
    for (std::size_t i = 0; i < down.size(); ++i) {
        down[i] = cameraLinkDown[i];
        any = any || down[i];
    }
    std::string map = liveLedMap();
    if (!any) {
        return map;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    return withDownCameraKeys(std::move(map), down, camShift, (ms / 500) % 2 == 1);
}

void applyControlCameraRules(const orb_camera_info& record, int reportedSpeed) {
    // Only a speed the camera reported in this answer counts: the record keeps its old speed
    // when the answer had none, and that may be older than the panel's own choice.
    if (reportedSpeed >= 1 && reportedSpeed <= 3) {
        iCurrentSpeedMode = reportedSpeed;
    }
    camOSD = record.osdon;
    if (record.wbmode == 0 || record.wbmode == 4) {
        awb = true;
    } else if (record.wbmode == 1 || record.wbmode == 2 || record.wbmode == 3 ||
               record.wbmode == 5 || record.wbmode == 8) {
        awb = false;
    }
    autofocus = record.fmode == 2;
    autoiris = record.irismode != 3;

    std::lock_guard<std::mutex> lock(ledMapMutex);
    const int mode = iCurrentSpeedMode.load();
    setKeyLedLocked(kKeyFast, mode == 3 ? kActive : kIdle);
    setKeyLedLocked(kKeyMid, mode == 2 ? kActive : kIdle);
    setKeyLedLocked(kKeySlow, mode == 1 ? kActive : kIdle);
    setKeyLedLocked(kKeyCamOsd, camOSD ? kActive : kIdle);
    setKeyLedLocked(kKeyAwb, awb ? kActive : kIdle);
    setKeyLedLocked(kKeyOnePush, kIdle);
    setKeyLedLocked(kKeyAutoFocus, autofocus ? kActive : kIdle);
    setKeyLedLocked(kKeyAutoIris, autoiris ? kActive : kIdle);
}

std::atomic<int> currentInterface{2};
std::atomic<int> iCurrentNormalColor{9};
std::atomic<int> iCurrentNormalColor_pst{10};
std::atomic<int> testLED{0};
std::atomic<bool> doingCalibration{false};
std::atomic<int> rotaryFunction{0};
std::atomic<int> tempCurrentControl{1};
std::array<std::atomic<bool>, kUsedCameraSlots> noMoreWarning{};
std::array<std::atomic<int>, kUsedCameraSlots> lastRecalledPreset{};

namespace {
std::mutex g_rotaryPathMutex;
QString g_rotaryPath;
}  // namespace

void setRotaryDevicePath(const QString& path) {
    std::lock_guard<std::mutex> lock(g_rotaryPathMutex);
    g_rotaryPath = path;
}

QString rotaryDevicePath() {
    std::lock_guard<std::mutex> lock(g_rotaryPathMutex);
    return g_rotaryPath;
}

namespace {
std::mutex g_systemNetworkMutex;
systemNetSettings g_systemNetwork;
}  // namespace

systemNetSettings systemNetwork() {
    std::lock_guard<std::mutex> lock(g_systemNetworkMutex);
    return g_systemNetwork;
}

void setSystemNetwork(const systemNetSettings& settings) {
    std::lock_guard<std::mutex> lock(g_systemNetworkMutex);
    g_systemNetwork = settings;
}
