// The panel application's mainControl against the virtual MCU and virtual cameras: start-up,
// the serial scan, the command round robin, the network transports, the serial mode switch and
// the saved camera list. Runs inside network namespaces made by netns-run.sh: the network
// cameras stand in the camera namespace at 10.77.0.2 and up.
//
// Every test has a panel of its own, as after power-on: serial cameras 1, 2 and 5, an HCIP camera
// at 10.77.0.2 and a VISCA-over-IP camera at 10.77.0.3, neither placed yet.
#include <QCoreApplication>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

using namespace std::chrono_literals;

// Bytes as the command tables write them: "81 01 04 3f 02 05 ff".
QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The live LED map as the key loop first sends it: the speed keys show mid speed, AWB, AUTO FOCUS
// and AUTO IRIS are lit as the flags start, preset keys 10, camera keys 9, the rest idle.
const char* const kLiveMapAtStart = "12111111211221aaaaaaa9999999999991111111";

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<PanelRig>(
            std::vector<int>{1, 2, 5},
            std::vector<PanelRig::NetworkCamera>{{"hcipcam", "10.77.0.2", false},
                                                 {"viscacam", "10.77.0.3", true}});
        ASSERT_TRUE(rig->ready()) << rig->why();
        QObject::connect(&rig->panel(), &mainControl::cameraConnectState,
                         [this](int index, const QString& message, int time) {
                             EXPECT_EQ(time, 10);
                             connectStates.emplace_back(index, message);
                         });
    }
    void TearDown() override { rig.reset(); }

    mainControl& panel() { return rig->panel(); }
    VirtualMcu& mcu() { return rig->mcu(); }
    VirtualCamera& serialCamera(int number) { return rig->serialCamera(number); }
    VirtualCamera& hcipCamera() { return rig->networkCamera("hcipcam"); }
    VirtualCamera& viscaCamera() { return rig->networkCamera("viscacam"); }

    QSettings savedSettings() {
        return QSettings(QString::fromStdString(rig->root().path() +
                                                "/home/zek710a/.config/velmora/zek710a.conf"),
                         QSettings::IniFormat);
    }

    // Queues a command for the control camera as a new selection would: nothing compared with
    // what went before.
    void sendToControlCamera(int camera, const char* hex) {
        currentControl = camera;
        cmdPrev.reset();
        cameraCommandRingBuf.append(bytes(hex));
    }

    std::string whyNotSent() {
        return (connectStates.empty() ? std::string("no connect message")
                                      : connectStates.front().second.toStdString()) +
               " runRobin " + std::to_string(runRobin.load()) + " queue " +
               std::to_string(cameraCommandRingBuf.blockCount());
    }

    // Presses and releases a key on the virtual MCU; the key loop sees both.
    void tapKey(int key) { ASSERT_TRUE(rig->tapKey(key)) << "key " << key; }

    std::unique_ptr<PanelRig> rig;
    std::vector<std::pair<int, QString>> connectStates;
};

using PanelStartUp = PanelTest;
using PanelSerialCameras = PanelTest;
using PanelNetworkCameras = PanelTest;
using PanelSerialMode = PanelTest;
using PanelSavedList = PanelTest;
using PanelKeys = PanelTest;
using PanelRotary = PanelTest;
using PanelPower = PanelTest;
using PanelBadInput = PanelTest;

TEST_F(PanelStartUp, TalksToTheMcuAndRunsTheSystemCommandsInOrder) {
    const std::string order = mcu().command("get order");
    EXPECT_EQ(order.substr(0, 8), "80 87 81") << order;
    EXPECT_EQ(mcu().command("get firstledmap"), "11111111111111fffffffffffffffffff1111111");
    EXPECT_EQ(mcu().command("get colours"),
              "0000"
              "000000000000"
              "ffffffffffff"
              "ffff00000000"
              "0000ffff0000"
              "00000000ffff"
              "0f0fb5b51717"
              "dfdf69692222"
              "26266666b9b9"
              "ffff73730000"
              "ffff7d7d3e3e"
              "fcfc0b0bafaf"
              "0000d6d66868"
              "0606bfbff9f9"
              "00000000ffff"
              "7fff0000ffff"
              "10108e8ecece");
    // The key loop then sends the live map on every pass.
    EXPECT_TRUE(waitUntil([this] { return mcu().command("get ledmap") == kLiveMapAtStart; }))
        << mcu().command("get ledmap");
    EXPECT_EQ(panel().getMcuVersion(), "0.1.0.7");

    // main() kills the boot splash before mainControl is built; this test builds it itself.
    const std::string log = rig->root().readFile("commands.log");
    std::size_t from = 0;
    for (const char* command :
         {"i2cset -f -y 1 0x03 0x02 0x55", "i2cset -f -y 1 0x03 0x03 0x55",
          "i2cset -f -y 1 0x03 0x04 0x55", "sudo mount /dev/mmcblk0p1 /boot", "sync"}) {
        const std::size_t at = log.find(std::string(command) + "\n", from);
        EXPECT_NE(at, std::string::npos) << command << " in order in\n" << log;
        from = at == std::string::npos ? from : at;
    }
}

TEST_F(PanelStartUp, ScanFindsTheCamerasOnTheirLines) {
    for (int index : {0, 1, 4}) {
        EXPECT_TRUE(panel().getCameraExist(index)) << "camera " << index + 1;
    }
    for (int index : {2, 3, 5, 6, 7}) {
        EXPECT_FALSE(panel().getCameraExist(index)) << "camera " << index + 1;
    }
    EXPECT_FALSE(cameraDevice.camera(0).hcipnetwork.modelname.isEmpty());
    QSettings saved = savedSettings();
    EXPECT_TRUE(saved.value("SerialPorts/Cam1_exist").toBool());
    EXPECT_FALSE(saved.value("SerialPorts/Cam3_exist").toBool());
    EXPECT_EQ(saved.value("Cam1SerialInfo/BaudRate").toInt(), 15);
    EXPECT_EQ(saved.value("Cam8SerialInfo/OpenName").toString(), "COM1");
}

TEST_F(PanelSerialCameras, PollingFillsTheRecordsAndTheScreenValues) {
    VirtualCamera& camera = serialCamera(1);
    for (const char* setting :
         {"set wbMode 5", "set rGain 167", "set bGain 60", "set shutter 66", "set gain 9",
          "set vflip 1", "set videoMode 8", "set menu 1", "set speedMode 3"}) {
        ASSERT_EQ(camera.command(setting), "ok") << setting;
    }
    mainControl& p = panel();
    EXPECT_TRUE(waitUntil([&] {
        return p.camWBMode() == 5 && p.camMWBRGain() == 167 && p.camMWBBGain() == 60 &&
               p.camShutter() == 66 && p.camGain() == 9 && p.camVideoVFlip() == 2 &&
               p.camVideoMode() == 8;
    })) << p.camWBMode()
        << " " << p.camShutter() << " " << p.camGain();
    // The control camera's state drives the mode keys: fast speed lights FAST, menu on CAM OSD,
    // manual white balance darkens AWB.
    EXPECT_TRUE(waitUntil([this] {
        return mcu().command("get ledmap") == "21111121111221aaaaaaa9999999999991111111";
    })) << mcu().command("get ledmap");
    EXPECT_EQ(iCurrentSpeedMode.load(), 3);
}

TEST_F(PanelSerialCameras, ScreenSettersFollowTheOnScreenRoutingRule) {
    mainControl& p = panel();
    ASSERT_EQ(currentControl.load(), 1);
    p.currentCamDisplay(1);
    p.setCamVideoHFlip(2);  // on-screen is the control camera: queued
    EXPECT_TRUE(waitUntil([this] { return serialCamera(1).get("hflip") == "1"; }));
    EXPECT_TRUE(contains(serialCamera(1).command("get messages"), "8101046102ff"));

    // Control camera 1, on-screen camera 5: written at once to "/dev/ttyUSB4".
    p.currentCamDisplay(5);
    EXPECT_EQ(p.getCurrentOnScreen(), 5);
    p.setCamVideoVFlip(2);
    EXPECT_EQ(serialCamera(5).get("vflip"), "1");
    EXPECT_TRUE(contains(serialCamera(5).command("get messages"), "8101046602ff"));
    p.setRGain(0xA7);
    EXPECT_TRUE(waitUntil([this] { return serialCamera(5).get("rGain") == "167"; }));
    EXPECT_TRUE(contains(serialCamera(5).command("get messages"), "8101044300000a07ff"));
    EXPECT_FALSE(contains(serialCamera(1).command("get messages"), "8101046602ff"));
}

TEST_F(PanelSerialCameras, RepeatedCommandsFollowTheDuplicateRule) {
    VirtualCamera& camera = serialCamera(1);
    camera.command("clear messages");
    cmdPrev.reset();
    cameraCommandRingBuf.append(bytes("81 01 04 07 00 ff"));
    cameraCommandRingBuf.append(bytes("81 01 04 07 00 ff"));
    cameraCommandRingBuf.append(bytes("81 01 04 3f 02 02 ff"));
    cameraCommandRingBuf.append(bytes("81 01 04 3f 02 02 ff"));
    ASSERT_TRUE(waitUntil([&] { return camera.get("presetRecalls") == "2"; }));
    const std::string messages = camera.command("get messages");
    EXPECT_EQ(countOf(messages, "8101040700ff"), 1) << messages;
    EXPECT_EQ(countOf(messages, "8101043f0202ff"), 2) << messages;
}

TEST_F(PanelNetworkCameras, HandEnteredHcipCameraTakesCommandsAndIsPolled) {
    mainControl& p = panel();
    p.setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    ASSERT_TRUE(p.getCameraExist(8));
    EXPECT_TRUE(p.getCameraNetworkManual(8));
    EXPECT_EQ(scan.load(), 1);
    VirtualCamera& camera = hcipCamera();
    camera.command("set wbMode 3");
    camera.command("set shutter 200");
    sendToControlCamera(9, "81 01 04 3f 02 04 ff");
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "4"; })) << whyNotSent();
    p.currentCamDisplay(9);
    EXPECT_TRUE(waitUntil([&] { return p.camWBMode() == 3 && p.camShutter() == 200; }))
        << p.camWBMode() << " " << p.camShutter();
    // The control camera's one-push white balance turns the panel's auto flag off.
    EXPECT_TRUE(waitUntil([] { return !awb.load(); }));
}

TEST_F(PanelNetworkCameras, HandEnteredViscaCameraGetsItsOwnCommandsWithSequenceNumbers) {
    mainControl& p = panel();
    QSettings& settings = zek710aSettings();
    settings.setValue("ViscaSerial/10.77.0.3", 41);
    settings.sync();
    p.setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    EXPECT_EQ(cameraDevice.camera(9).viscaSerial, 41);
    VirtualCamera& camera = viscaCamera();
    camera.command("clear sequences");
    sendToControlCamera(10, "81 01 04 3f 02 06 ff");
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "6"; })) << whyNotSent();
    EXPECT_EQ(camera.command("get sequences"), "41");
    EXPECT_EQ(settings.value("ViscaSerial/10.77.0.3").toLongLong(), 42);

    // A screen setter for this camera while another is the control camera goes to it directly,
    // over its own transport.
    currentControl = 1;
    p.currentCamDisplay(10);
    p.setCamVideoVFlip(2);
    EXPECT_TRUE(waitUntil([&] { return camera.get("vflip") == "1"; }));
    // So does a command for a given camera.
    QByteArray tally = bytes("81 01 7e 01 0a 00 02 03 ff");
    p.taskCommand(10, &tally);
    EXPECT_TRUE(waitUntil([&] { return camera.get("tallyRed") == "1"; }));
    EXPECT_EQ(camera.command("get sequences"), "41 42 43");
}

TEST_F(PanelNetworkCameras, UnreachableCameraStopsTheRoundRobinWithItsMessage) {
    // Network steps run once a network camera has been placed.
    panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    ASSERT_EQ(scan.load(), 1);
    sendToControlCamera(11, "81 01 04 3f 02 01 ff");  // slot 10: nobody placed there
    ASSERT_TRUE(waitUntil([this] { return !connectStates.empty(); }));
    EXPECT_EQ(connectStates.front().first, 11);
    EXPECT_EQ(connectStates.front().second.toStdString(),
              "No device connect to Camera 11.\nPlease select another one.");
    EXPECT_FALSE(runRobin.load());
    EXPECT_FALSE(cameraCommandRingBuf.isEmpty()) << "the command stays queued";
}

TEST_F(PanelSerialMode, SwitchingMovesNetworkCamerasAndReconnectsThem) {
    mainControl& p = panel();
    p.setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    p.setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    // A record in the last slot of the table, never connected: it moves with the others.
    cameraDevice.update(31, [](orb_camera_info& r) { r.hcipnetwork.ipadd = "10.77.0.9"; });
    currentControl = 2;

    // The switch runs on the GUI thread's events, under the busy indicator, and says when done.
    std::vector<bool> busy;
    std::vector<bool> switched;
    QObject::connect(&p, &mainControl::iAmBusy, [&busy](bool on) { busy.push_back(on); });
    QObject::connect(&p, &mainControl::serialPortsSwitched,
                     [&switched](bool on) { switched.push_back(on); });

    // Off: network camera 9 becomes camera 1, 10 camera 2; the serial records are gone.
    p.setUseSerialPort(false);
    EXPECT_FALSE(runRobin.load()) << "the round robin waits for the connections";
    p.setUseSerialPort(true);  // pressed again meanwhile: nothing starts
    ASSERT_TRUE(waitUntil([&switched] { return switched.size() == 2; }));
    EXPECT_EQ(switched, (std::vector<bool>{false, false}));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_FALSE(p.getUseSerialPort());
    EXPECT_TRUE(runRobin.load());
    EXPECT_EQ(p.getCameraDeviceIP(0), "10.77.0.2");
    EXPECT_FALSE(cameraDevice.camera(0).useVisca);
    EXPECT_EQ(p.getCameraDeviceIP(1), "10.77.0.3");
    EXPECT_TRUE(cameraDevice.camera(1).useVisca);
    EXPECT_EQ(p.getCameraDeviceIP(23), "10.77.0.9");
    for (int slot : {4, 8, 9, 24, 31}) {
        EXPECT_FALSE(cameraDevice.camera(slot).exist) << slot;
        EXPECT_TRUE(cameraDevice.camera(slot).hcipnetwork.ipadd.isEmpty()) << slot;
    }
    EXPECT_FALSE(savedSettings().value("system/useRS422").toBool());
    EXPECT_EQ(savedSettings().value("system/currentRS422").toInt(), 2);
    // Both are connected again where they now stand, and the serial lines take nothing.
    serialCamera(1).command("clear messages");
    sendToControlCamera(1, "81 01 04 3f 02 05 ff");
    EXPECT_TRUE(waitUntil([this] { return hcipCamera().get("lastPreset") == "5"; }))
        << whyNotSent();
    sendToControlCamera(2, "81 01 04 3f 02 06 ff");
    EXPECT_TRUE(waitUntil([this] { return viscaCamera().get("lastPreset") == "6"; }))
        << whyNotSent();
    EXPECT_EQ(serialCamera(1).command("get messages"), "none");

    // On: back to cameras 9 and 10; cameras 1 to 8 are what the serial scan finds.
    currentControl = 1;
    p.setUseSerialPort(true);
    EXPECT_FALSE(runRobin.load()) << "the round robin waits for the serial probe";
    ASSERT_TRUE(waitUntil([&switched] { return switched.size() == 3; }));
    EXPECT_TRUE(switched.back());
    EXPECT_EQ(busy, (std::vector<bool>{true, false, true, false}));
    EXPECT_TRUE(p.getUseSerialPort());
    EXPECT_TRUE(runRobin.load());
    EXPECT_EQ(p.getCameraDeviceIP(8), "10.77.0.2");
    EXPECT_EQ(p.getCameraDeviceIP(9), "10.77.0.3");
    EXPECT_TRUE(cameraDevice.camera(9).useVisca);
    EXPECT_EQ(p.getCameraDeviceIP(31), "10.77.0.9");
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_TRUE(cameraDevice.camera(slot).hcipnetwork.ipadd.isEmpty()) << slot;
        EXPECT_EQ(cameraDevice.camera(slot).exist, slot == 0 || slot == 1 || slot == 4) << slot;
    }
    EXPECT_TRUE(savedSettings().value("system/useRS422").toBool());
    sendToControlCamera(9, "81 01 04 3f 02 07 ff");
    EXPECT_TRUE(waitUntil([this] { return hcipCamera().get("lastPreset") == "7"; }))
        << whyNotSent() << " messages " << hcipCamera().command("get messages");
    sendToControlCamera(10, "81 01 04 3f 02 03 ff");
    EXPECT_TRUE(waitUntil([this] { return viscaCamera().get("lastPreset") == "3"; }))
        << whyNotSent();
    sendToControlCamera(1, "81 01 04 3f 02 04 ff");
    EXPECT_TRUE(waitUntil([this] { return serialCamera(1).get("lastPreset") == "4"; }))
        << whyNotSent();
}

TEST_F(PanelSavedList, SaveWritesTheListAndLoadRestoresAndConnects) {
    mainControl& p = panel();
    p.setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    p.setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    cameraCount = 2;  // as discovery would have counted them
    p.deviceSave();
    QSettings saved = savedSettings();
    const QString list = saved.value("devices/devicelist").toString();
    EXPECT_TRUE(list.startsWith("manualIP,")) << list.toStdString();  // serial camera 1
    EXPECT_TRUE(list.contains("manualIP10.77.0.2"));
    EXPECT_TRUE(list.contains("manualIP10.77.0.3"));
    EXPECT_EQ(saved.value("manualIP10.77.0.2/camposition").toInt(), 8);
    EXPECT_EQ(saved.value("manualIP10.77.0.2/ip").toString(), "10.77.0.2");
    EXPECT_FALSE(saved.value("manualIP10.77.0.2/useVisca").toBool());
    EXPECT_TRUE(saved.value("manualIP10.77.0.3/useVisca").toBool());
    EXPECT_EQ(saved.value("manualIP10.77.0.3/devicetype").toString(), "camera");
    EXPECT_EQ(saved.value("system/alldeviceindex").toInt(), 2);
    EXPECT_EQ(saved.value("Cam1SerialInfo/BaudRate").toInt(), 15);

    // Forget the network cameras, then load them back.
    cameraDevice.updateDevice(8, [](hcip_device_info& d) { d = hcip_device_info{}; });
    cameraDevice.updateDevice(9, [](hcip_device_info& d) { d = hcip_device_info{}; });
    p.deviceLoad();
    EXPECT_EQ(p.getCameraDeviceIP(8), "10.77.0.2");
    EXPECT_EQ(p.getCameraDeviceIP(9), "10.77.0.3");
    EXPECT_TRUE(cameraDevice.camera(9).useVisca);
    EXPECT_EQ(cameraCount.load(), 4) << "each load counts its cameras again";
    EXPECT_TRUE(runRobin.load());

    sendToControlCamera(10, "81 01 04 3f 02 03 ff");
    EXPECT_TRUE(waitUntil([this] { return viscaCamera().get("lastPreset") == "3"; }))
        << whyNotSent();
    sendToControlCamera(9, "81 01 04 3f 02 02 ff");
    EXPECT_TRUE(waitUntil([this] { return hcipCamera().get("lastPreset") == "2"; }))
        << whyNotSent();
}

// The keys, the joystick and the rotary encoder, end to end: the virtual MCU's controls go through
// the real key loop and command loop to the virtual cameras.

TEST_F(PanelKeys, CameraKeyThenPresetKeyRecallsOnThatCamera) {
    tapKey(22);  // camera key 2
    EXPECT_TRUE(waitUntil([] { return currentControl.load() == 2; }));
    tapKey(16);  // PST 3
    EXPECT_TRUE(waitUntil([this] { return serialCamera(2).get("lastPreset") == "2"; }))
        << serialCamera(2).get("lastPreset");
    EXPECT_TRUE(contains(serialCamera(2).command("get messages"), "8101043f0202ff"));
    EXPECT_EQ(serialCamera(1).get("presetRecalls"), "0");
    // Camera key 2 and PST 3 are lit as selected on the MCU.
    EXPECT_TRUE(waitUntil([this] {
        return mcu().command("get ledmap") == "12111111211221aa2aaaa9299999999991111111";
    })) << mcu().command("get ledmap");
}

TEST_F(PanelKeys, JoystickPansAtTheCurveSpeedAndReleaseStops) {
    VirtualCamera& camera = serialCamera(1);
    // Mid speed on the "Nonlinear" curve, the one of an empty settings file: pan 9 in zone 3.
    mcu().command("joy x 1400 1");
    EXPECT_TRUE(waitUntil([&] { return camera.get("panDir") == "right"; }));
    EXPECT_TRUE(contains(camera.command("get messages"), "8101060109040203ff"))
        << camera.command("get messages");
    EXPECT_EQ(camera.get("panSpeed"), "9");
    mcu().command("joy x 0 0");
    EXPECT_TRUE(waitUntil([&] { return camera.get("panDir") == "stop"; }));
    // The pan-tilt stop, then the zoom stop, since the zoom rests.
    EXPECT_TRUE(
        waitUntil([&] { return contains(camera.command("get messages"), "8101040700ff"); }));
    const std::string messages = camera.command("get messages");
    EXPECT_EQ(countOf(messages, "8101060101010303ff"), 1) << messages;
    EXPECT_LT(messages.find("8101060101010303ff"), messages.find("8101040700ff")) << messages;

    // The "Arithmetic" curve: pan 11 in zone 3.
    panel().setCurrentSpeedFunction(1);
    camera.command("clear messages");
    mcu().command("joy x 1400 1");
    EXPECT_TRUE(waitUntil([&] { return camera.get("panDir") == "right"; }));
    EXPECT_EQ(camera.get("panSpeed"), "11");
    EXPECT_TRUE(contains(camera.command("get messages"), "810106010b070203ff"))
        << camera.command("get messages");
    mcu().command("joy x 0 0");
    EXPECT_TRUE(waitUntil([&] { return camera.get("panDir") == "stop"; }));
}

TEST_F(PanelKeys, ModeKeysChangeTheCameraAndTheirLedsFollow) {
    VirtualCamera& camera = serialCamera(1);
    tapKey(11);  // AUTO FOCUS, on at start
    EXPECT_TRUE(waitUntil([&] { return camera.get("focusMode") == "manual"; }));
    tapKey(8);  // AWB, on at start
    EXPECT_TRUE(waitUntil([&] { return camera.get("wbMode") == "5"; }));
    tapKey(12);  // AUTO IRIS, on at start
    EXPECT_TRUE(waitUntil([&] { return camera.get("exposureMode") == "3"; }));
    const std::string messages = camera.command("get messages");
    for (const char* message : {"8101043803ff", "8101043505ff", "8101043903ff"}) {
        EXPECT_EQ(countOf(messages, message), 1) << message << " in " << messages;
    }
    // All three dark, and they stay so while the camera's status is polled.
    EXPECT_TRUE(waitUntil([this] {
        return mcu().command("get ledmap") == "12111111111111aaaaaaa9999999999991111111";
    })) << mcu().command("get ledmap");
    waitUntil([] { return false; }, 1500ms);
    EXPECT_EQ(mcu().command("get ledmap"), "12111111111111aaaaaaa9999999999991111111");
}

TEST_F(PanelRotary, TurnsChangeShutterIrisGainAndFocus) {
    mainControl& p = panel();
    VirtualCamera& camera = serialCamera(1);
    p.doBacklightScale(1);

    camera.command("set shutter 100");
    p.do4KeyFunction(1);
    QThread::msleep(350);  // one detent per 300 ms, counted from the rotary loop's start
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] { return camera.get("shutter") == "99"; })) << camera.get("shutter");

    camera.command("set gain 10");
    p.do4KeyFunction(4);
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] { return camera.get("gain") == "11"; })) << camera.get("gain");

    camera.command("set iris 50");
    p.do4KeyFunction(3);
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(-1));
    EXPECT_TRUE(waitUntil([&] { return camera.get("iris") == "49"; })) << camera.get("iris");
    EXPECT_EQ(camera.get("exposureMode"), "3") << "the iris function sets manual exposure";

    const int focusSteps = std::stoi(camera.get("focusSteps"));
    p.do4KeyFunction(2);
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] {
        return std::stoi(camera.get("focusSteps")) > focusSteps && camera.get("focusDir") == "stop";
    })) << camera.get("focusSteps")
        << " " << camera.get("focusDir");

    // With no function chosen a turn only wakes the screen.
    int wakeups = 0;
    QObject::connect(&p, &mainControl::wakeupScreen, [&wakeups] { ++wakeups; });
    rotaryFunction = 0;
    camera.command("clear messages");
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] { return wakeups > 0; }));
    waitUntil([] { return false; }, 300ms);
    EXPECT_FALSE(contains(camera.command("get messages"), "810104"))
        << camera.command("get messages");

    // The lamps of the chosen function keys were set through the command runner.
    const std::string log = rig->root().readFile("commands.log");
    EXPECT_TRUE(contains(log, "i2cset -f -y 1 0x03 0x02 0x41\n"));
    EXPECT_TRUE(contains(log, "i2cset -f -y 1 0x03 0x04 0x05\n"));
}

TEST_F(PanelPower, ScreenSaverShutdownAndRebootAreRecordedOnly) {
    mainControl& p = panel();
    // Saver on and off twice: whatever level an earlier test left, both writes happen.
    for (int cycle = 0; cycle < 2; ++cycle) {
        p.startScreenSaver(1);
        p.startScreenSaver(0);
    }
    // The wake-ups of a panel in use, once per key-loop pass, run nothing more.
    auto backlightWrites = [this] {
        const std::string text = rig->root().readFile("commands.log");
        std::size_t count = 0;
        for (std::size_t at = text.find("duty_cycle"); at != std::string::npos;
             at = text.find("duty_cycle", at + 1)) {
            ++count;
        }
        return count;
    };
    const std::size_t writes = backlightWrites();
    for (int pass = 0; pass < 200; ++pass) {
        p.startScreenSaver(0);
    }
    EXPECT_EQ(backlightWrites(), writes);
    p.change4KeyColor(15, 2);
    p.reboot();
    const std::string log = rig->root().readFile("commands.log");
    for (const char* command :
         {"echo 0 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle\n",
          "echo 5000000 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle\n",
          "i2cset -f -y 1 0x03 0x02 0x15\ni2cset -f -y 1 0x03 0x03 0x51\n", "reboot\n"}) {
        EXPECT_TRUE(contains(log, command)) << command;
    }
    // Speed curve: kept at once under "speedfunc".
    p.setCurrentSpeedFunction(2);
    EXPECT_EQ(p.getCurrentSpeedFunction(), 2);
    EXPECT_EQ(savedSettings().value("system/speedfunc").toInt(), 2);
}

TEST_F(PanelBadInput, CameraNumbersOutOfRangeAreNotUsedAsIndexes) {
    mainControl& p = panel();
    p.currentCamDisplay(0);
    p.currentCamDisplay(99);
    EXPECT_EQ(p.getCurrentOnScreen(), 1);
    saveSetting("system", "currentOnScreen", 99);
    saveSetting("system", "currentControl", -5);
    saveSetting("system", "alldeviceindex", 0);
    p.deviceLoad();
    EXPECT_EQ(p.getCurrentOnScreen(), 24);
    EXPECT_EQ(currentControl.load(), 1);
    // A direct send to the (held) on-screen camera does not touch anything outside the table.
    EXPECT_EQ(p.sendOnScreenCommand(bytes("81 01 04 07 00 ff")), 0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
