// The panel application's mainControl against the virtual MCU and virtual cameras: start-up,
// the serial scan, the command round robin, the network transports, the serial mode switch and
// the saved camera list. Runs inside network namespaces made by netns-run.sh: the network
// cameras stand in the camera namespace at 10.77.0.2 and up.
#include <QCoreApplication>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

#include "hardwareLink.h"
#include "joystick.h"
#include "linkLog.h"
#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"
#include "viscaCommands.h"

namespace {

using namespace std::chrono_literals;

// One panel for the whole run, as on the real device, and its simulated hardware.
PanelRig* rig = nullptr;
std::vector<std::pair<int, QString>> connectStates;

VirtualCamera& serialCamera(int number) {
    return rig->serialCamera(number);
}
VirtualCamera& hcipCamera() {
    return rig->networkCamera("hcipcam");
}
VirtualCamera& viscaCamera() {
    return rig->networkCamera("viscacam");
}

int countOf(const std::string& messages, const std::string& hex) {
    int count = 0;
    for (std::size_t at = messages.find(hex); at != std::string::npos;
         at = messages.find(hex, at + 1)) {
        ++count;
    }
    return count;
}

QSettings savedSettings() {
    return QSettings(
        QString::fromStdString(rig->root().path() + "/home/zek710a/.config/velmora/zek710a.conf"),
        QSettings::IniFormat);
}

class PanelEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        rig = new PanelRig({1, 2, 5},
                           {{"hcipcam", "10.77.0.2", false}, {"viscacam", "10.77.0.3", true}});
        ASSERT_TRUE(rig->ready()) << rig->why();
        QObject::connect(&rig->panel(), &mainControl::cameraConnectState,
                         [](int index, const QString& message, int time) {
                             EXPECT_EQ(time, 10);
                             connectStates.emplace_back(index, message);
                         });
    }
    void TearDown() override {
        delete rig;
        rig = nullptr;
    }
};

TEST(PanelStartUp, TalksToTheMcuInOrder) {
    const std::string order = rig->mcu().command("get order");
    EXPECT_EQ(order.substr(0, 8), "80 87 81") << order;
    EXPECT_EQ(rig->mcu().command("get firstledmap"),
              "11111111111111ffffffffffffffffff"
              "f1111111");
    const std::string colours = rig->mcu().command("get colours");
    EXPECT_EQ(colours.size(), 196u);
    EXPECT_EQ(colours.substr(0, 16), "0000000000000000");
    // The key loop then sends the live map on every pass.
    EXPECT_TRUE(waitUntil([] {
        return rig->mcu().command("get ledmap") == "11111111111111aaaaaaa99999999999911111111" ||
               rig->mcu().command("get ledmap").substr(14, 6) == "aaaaaa";
    }));
    EXPECT_EQ(rig->panel().getMcuVersion(), "0.1.0.7");
}

TEST(PanelStartUp, SystemCommandsAreTheDevicesOwn) {
    const std::string log = rig->root().readFile("commands.log");
    const std::vector<std::string> expected = {
        "kill $(ps ax | grep [f]bi | awk '{print $1}')",
        "i2cset -f -y 1 0x03 0x02 0x55",
        "i2cset -f -y 1 0x03 0x03 0x55",
        "i2cset -f -y 1 0x03 0x04 0x55",
        "sudo mount /dev/mmcblk0p1 /boot",
    };
    std::size_t from = 0;
    for (const std::string& command : expected) {
        if (command.rfind("kill", 0) == 0) {
            continue;  // main() runs it; this test builds mainControl itself
        }
        const std::size_t at = log.find(command + "\n", from);
        EXPECT_NE(at, std::string::npos) << command << " in order in\n" << log;
        from = at == std::string::npos ? from : at;
    }
}

TEST(PanelSerialCameras, ScanFindsTheCamerasOnTheirLines) {
    for (int index : {0, 1, 4}) {
        EXPECT_TRUE(rig->panel().getCameraExist(index)) << "camera " << index + 1;
    }
    for (int index : {2, 3, 5, 6, 7}) {
        EXPECT_FALSE(rig->panel().getCameraExist(index)) << "camera " << index + 1;
    }
    EXPECT_FALSE(cameraDevice.camera(0).hcipnetwork.modelname.isEmpty());
    QSettings saved = savedSettings();
    EXPECT_TRUE(saved.value("SerialPorts/Cam1_exist").toBool());
    EXPECT_FALSE(saved.value("SerialPorts/Cam3_exist").toBool());
    EXPECT_EQ(saved.value("Cam1SerialInfo/BaudRate").toInt(), 15);
    EXPECT_EQ(saved.value("Cam8SerialInfo/OpenName").toString(), "COM1");
}

TEST(PanelSerialCameras, PollingFillsTheRecordsAndTheScreenValues) {
    VirtualCamera& camera = serialCamera(1);
    for (const char* setting :
         {"set wbMode 5", "set rGain 167", "set bGain 60", "set shutter 66", "set gain 9",
          "set vflip 1", "set videoMode 8", "set menu 1", "set speedMode 3"}) {
        ASSERT_EQ(camera.command(setting), "ok") << setting;
    }
    mainControl& panel = rig->panel();
    EXPECT_TRUE(waitUntil([&] {
        return panel.camWBMode() == 5 && panel.camMWBRGain() == 167 && panel.camMWBBGain() == 60 &&
               panel.camShutter() == 66 && panel.camGain() == 9 && panel.camVideoVFlip() == 2 &&
               panel.camVideoMode() == 8;
    })) << panel.camWBMode()
        << " " << panel.camShutter() << " " << panel.camGain();
    // The control camera's state drives the mode keys: menu on lights CAM OSD, fast speed FAST,
    // manual white balance darkens AWB.
    EXPECT_TRUE(waitUntil([&] {
        const std::string leds = rig->mcu().command("get leds");
        return leds.size() == 40 && leds[6] == '2' && leds[0] == '2' && leds[1] == '1' &&
               leds[8] == '1';
    })) << rig->mcu().command("get leds");
    EXPECT_EQ(iCurrentSpeedMode.load(), 3);
    camera.command("set menu 0");
}

TEST(PanelSerialCameras, ScreenSettersFollowTheOnScreenRoutingRule) {
    mainControl& panel = rig->panel();
    ASSERT_EQ(currentControl.load(), 1);
    panel.currentCamDisplay(1);
    serialCamera(1).command("set hflip 0");
    panel.setCamVideoHFlip(2);  // on-screen is the control camera: queued
    EXPECT_TRUE(waitUntil([] { return serialCamera(1).get("hflip") == "1"; }));

    // Control camera 1, on-screen camera 5: written at once to "/dev/ttyUSB4".
    panel.currentCamDisplay(5);
    EXPECT_EQ(panel.getCurrentOnScreen(), 5);
    serialCamera(5).command("clear messages");
    panel.setCamVideoVFlip(2);
    EXPECT_EQ(serialCamera(5).get("vflip"), "1");
    EXPECT_NE(serialCamera(5).command("get messages").find("8101046602ff"), std::string::npos);
    panel.setRGain(0xA7);
    EXPECT_TRUE(waitUntil([] { return serialCamera(5).get("rGain") == "167"; }));
    panel.currentCamDisplay(1);
}

TEST(PanelSerialCameras, RepeatedCommandsFollowTheDuplicateRule) {
    VirtualCamera& camera = serialCamera(1);
    camera.command("clear messages");
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::zStopCommand());
    cameraCommandRingBuf.append(visca::zStopCommand());
    cameraCommandRingBuf.append(visca::presetRecall(2));
    cameraCommandRingBuf.append(visca::presetRecall(2));
    ASSERT_TRUE(waitUntil([&] { return camera.get("presetRecalls") == "2"; }));
    const std::string messages = camera.command("get messages");
    EXPECT_EQ(countOf(messages, "8101040700ff"), 1) << messages;
    EXPECT_EQ(countOf(messages, "8101043f0202ff"), 2) << messages;
}

TEST(PanelNetworkCameras, HandEnteredHcipCameraTakesCommandsAndIsPolled) {
    mainControl& panel = rig->panel();
    panel.setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    ASSERT_TRUE(panel.getCameraExist(8));
    EXPECT_TRUE(panel.getCameraNetworkManual(8));
    EXPECT_EQ(scan.load(), 1);
    VirtualCamera& camera = hcipCamera();
    camera.command("set wbMode 3");
    camera.command("set shutter 200");
    currentControl = 9;
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::presetRecall(4));
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "4"; }));
    panel.currentCamDisplay(9);
    EXPECT_TRUE(waitUntil([&] { return panel.camWBMode() == 3 && panel.camShutter() == 200; }))
        << panel.camWBMode() << " " << panel.camShutter();
    // The control camera's one-push white balance turns the panel's auto flag off.
    EXPECT_TRUE(waitUntil([] { return !awb.load(); }));
}

TEST(PanelNetworkCameras, HandEnteredViscaCameraGetsItsOwnCommandsWithSequenceNumbers) {
    mainControl& panel = rig->panel();
    QSettings& settings = zek710aSettings();
    settings.setValue("ViscaSerial/10.77.0.3", 41);
    settings.sync();
    panel.setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    EXPECT_EQ(cameraDevice.camera(9).viscaSerial, 41);
    VirtualCamera& camera = viscaCamera();
    camera.command("clear sequences");
    currentControl = 10;
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::presetRecall(6));
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "6"; }));
    EXPECT_EQ(camera.command("get sequences"), "41");
    EXPECT_EQ(settings.value("ViscaSerial/10.77.0.3").toLongLong(), 42);

    // A screen setter for this camera while another is the control camera goes to it directly,
    // over its own transport.
    currentControl = 9;
    panel.currentCamDisplay(10);
    panel.setCamVideoVFlip(2);
    EXPECT_TRUE(waitUntil([&] { return camera.get("vflip") == "1"; }));
    // So does a command for a given camera.
    QByteArray tally = visca::tallyLamps(2, 3);
    panel.taskCommand(10, &tally);
    EXPECT_TRUE(waitUntil([&] { return camera.get("tallyRed") == "1"; }));
    panel.currentCamDisplay(1);
    currentControl = 1;
}

TEST(PanelNetworkCameras, UnreachableCameraStopsTheRoundRobinWithItsMessage) {
    connectStates.clear();
    currentControl = 11;  // slot 10: nobody placed there
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::presetRecall(1));
    ASSERT_TRUE(waitUntil([] { return !connectStates.empty(); }));
    EXPECT_EQ(connectStates.front().first, 11);
    EXPECT_EQ(connectStates.front().second.toStdString(),
              "No device connect to Camera 11.\nPlease select another one.");
    EXPECT_FALSE(runRobin.load());
    EXPECT_FALSE(cameraCommandRingBuf.isEmpty()) << "the command stays queued";
    cameraCommandRingBuf.clear();
    currentControl = 1;
    rig->panel().setRobin(true);
}

TEST(PanelSerialMode, SwitchingMovesNetworkCamerasAndReconnectsThem) {
    mainControl& panel = rig->panel();
    panel.setUseSerialPort(false);
    EXPECT_FALSE(panel.getUseSerialPort());
    EXPECT_EQ(panel.getCameraDeviceIP(0), "10.77.0.2");
    EXPECT_EQ(panel.getCameraDeviceIP(1), "10.77.0.3");
    EXPECT_TRUE(cameraDevice.camera(1).useVisca);
    EXPECT_FALSE(cameraDevice.camera(8).exist);
    EXPECT_FALSE(savedSettings().value("system/useRS422").toBool());

    VirtualCamera& camera = hcipCamera();
    currentControl = 1;
    cmdPrev.reset();
    connectStates.clear();
    cameraCommandRingBuf.append(visca::presetRecall(5));
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "5"; }))
        << (connectStates.empty() ? std::string("no connect message")
                                  : connectStates.front().second.toStdString())
        << " runRobin " << runRobin.load() << " queue " << cameraCommandRingBuf.blockCount();

    panel.setUseSerialPort(true);
    EXPECT_EQ(panel.getCameraDeviceIP(8), "10.77.0.2");
    EXPECT_TRUE(panel.getCameraExist(0)) << "the serial scan found camera 1 again";
    EXPECT_TRUE(savedSettings().value("system/useRS422").toBool());
    currentControl = 9;
    cmdPrev.reset();
    connectStates.clear();
    cameraCommandRingBuf.append(visca::presetRecall(7));
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "7"; }))
        << (connectStates.empty() ? std::string("no connect message")
                                  : connectStates.front().second.toStdString())
        << " runRobin " << runRobin.load() << " queue " << cameraCommandRingBuf.blockCount()
        << " onscreen " << currentStatusOnScreen.load() << " messages "
        << camera.command("get messages");
    currentControl = 1;
}

TEST(PanelSavedList, SaveWritesTheListAndLoadRestoresAndConnects) {
    mainControl& panel = rig->panel();
    cameraCount = 2;  // the two network cameras, as placed
    panel.deviceSave();
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
    panel.deviceLoad();
    EXPECT_EQ(panel.getCameraDeviceIP(8), "10.77.0.2");
    EXPECT_EQ(panel.getCameraDeviceIP(9), "10.77.0.3");
    EXPECT_TRUE(cameraDevice.camera(9).useVisca);
    EXPECT_EQ(cameraCount.load(), 4) << "each load counts its cameras again";
    EXPECT_TRUE(runRobin.load());

    VirtualCamera& camera = viscaCamera();
    currentControl = 10;
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::presetRecall(3));
    EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "3"; }));
    currentControl = 9;
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::presetRecall(2));
    EXPECT_TRUE(waitUntil([] { return hcipCamera().get("lastPreset") == "2"; }));
    currentControl = 1;
}

// The keys, the joystick and the rotary encoder, end to end: the virtual MCU's controls go through
// the real key loop and command loop to the virtual cameras.

// Presses and releases a key on the virtual MCU; the key loop sees both.
void tapKey(int key) {
    ASSERT_EQ(rig->mcu().command("press " + std::to_string(key)), "ok");
    QThread::msleep(150);
    ASSERT_EQ(rig->mcu().command("release " + std::to_string(key)), "ok");
    QThread::msleep(150);
}

TEST(PanelKeys, CameraKeyThenPresetKeyRecallsOnThatCamera) {
    tapKey(22);  // camera key 2
    EXPECT_TRUE(waitUntil([] { return currentControl.load() == 2; }));
    tapKey(16);  // PST 3
    EXPECT_TRUE(waitUntil([] { return serialCamera(2).get("lastPreset") == "2"; }))
        << serialCamera(2).get("lastPreset");
    // The camera key is lit as selected on the MCU.
    EXPECT_TRUE(waitUntil([] { return rig->mcu().command("get leds")[22] == '2'; }));
}

TEST(PanelKeys, JoystickPansAtTheTableSpeedAndReleaseStops) {
    tapKey(21);  // camera 1
    ASSERT_TRUE(waitUntil([] { return currentControl.load() == 1; }));
    VirtualCamera& camera = serialCamera(1);
    rig->mcu().command("joy x 1400 1");
    const int expected = speedTrans[iCurrentSpeedFunction.load()][iCurrentSpeedMode.load() - 1][2];
    EXPECT_TRUE(waitUntil([&] {
        return camera.get("panDir") == "right" &&
               camera.get("panSpeed") == std::to_string(expected);
    })) << camera.get("panDir")
        << " " << camera.get("panSpeed") << " expected " << expected;
    rig->mcu().command("joy x 0 0");
    EXPECT_TRUE(waitUntil([&] { return camera.get("panDir") == "stop"; }));
}

TEST(PanelKeys, ModeKeysChangeTheCameraAndTheirLedsFollow) {
    VirtualCamera& camera = serialCamera(1);
    const bool focusWasAuto = autofocus;
    tapKey(11);  // AUTO FOCUS
    EXPECT_TRUE(
        waitUntil([&] { return camera.get("focusMode") == (focusWasAuto ? "manual" : "auto"); }));
    EXPECT_TRUE(waitUntil(
        [&] { return rig->mcu().command("get leds")[11] == (focusWasAuto ? '1' : '2'); }));
    const bool wbWasAuto = awb;
    tapKey(8);  // AWB
    EXPECT_TRUE(waitUntil([&] { return camera.get("wbMode") == (wbWasAuto ? "5" : "0"); }));
    const bool irisWasAuto = autoiris;
    tapKey(12);  // AUTO IRIS
    EXPECT_TRUE(waitUntil([&] { return camera.get("exposureMode") == (irisWasAuto ? "3" : "0"); }));
}

TEST(PanelRotary, TurnsChangeShutterIrisGainAndFocus) {
    mainControl& panel = rig->panel();
    VirtualCamera& camera = serialCamera(1);
    ASSERT_EQ(currentControl.load(), 1);
    panel.doBacklightScale(1);

    camera.command("set shutter 100");
    panel.do4KeyFunction(1);
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] { return camera.get("shutter") == "99"; })) << camera.get("shutter");

    camera.command("set gain 10");
    panel.do4KeyFunction(4);
    QThread::msleep(350);  // one detent per 300 ms
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] { return camera.get("gain") == "11"; })) << camera.get("gain");

    camera.command("set iris 50");
    panel.do4KeyFunction(3);
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(-1));
    EXPECT_TRUE(waitUntil([&] { return camera.get("iris") == "49"; })) << camera.get("iris");
    EXPECT_EQ(camera.get("exposureMode"), "3") << "the iris function sets manual exposure";

    const int focusSteps = std::stoi(camera.get("focusSteps"));
    panel.do4KeyFunction(2);
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] {
        return std::stoi(camera.get("focusSteps")) > focusSteps && camera.get("focusDir") == "stop";
    })) << camera.get("focusSteps")
        << " " << camera.get("focusDir");

    // With no function chosen a turn only wakes the screen.
    int wakeups = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&panel, &mainControl::wakeupScreen, [&wakeups] { ++wakeups; });
    rotaryFunction = 0;
    camera.command("clear messages");
    QThread::msleep(350);
    ASSERT_TRUE(rig->turnRotary(+1));
    EXPECT_TRUE(waitUntil([&] { return wakeups > 0; }));
    waitUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(camera.command("get messages").find("810104"), std::string::npos)
        << camera.command("get messages");
    QObject::disconnect(counting);

    // The lamps of the chosen function keys were set through the command runner.
    const std::string log = rig->root().readFile("commands.log");
    EXPECT_NE(log.find("i2cset -f -y 1 0x03 0x02 0x41\n"), std::string::npos);
    EXPECT_NE(log.find("i2cset -f -y 1 0x03 0x04 0x05\n"), std::string::npos);
    panel.doBacklightScale(0);
}

TEST(PanelPower, ScreenSaverShutdownAndRebootAreRecordedOnly) {
    mainControl& panel = rig->panel();
    panel.startScreenSaver(1);
    panel.startScreenSaver(0);
    panel.change4KeyColor(15, 2);
    panel.reboot();
    const std::string log = rig->root().readFile("commands.log");
    for (const char* command :
         {"echo 0 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle\n",
          "echo 5000000 > /sys/class/pwm/pwmchip0/pwm0/duty_cycle\n",
          "i2cset -f -y 1 0x03 0x02 0x15\ni2cset -f -y 1 0x03 0x03 0x51\n", "reboot\n"}) {
        EXPECT_NE(log.find(command), std::string::npos) << command;
    }
    // Speed curve: kept at once under "speedfunc".
    panel.setCurrentSpeedFunction(2);
    EXPECT_EQ(panel.getCurrentSpeedFunction(), 2);
    EXPECT_EQ(savedSettings().value("system/speedfunc").toInt(), 2);
    panel.setCurrentSpeedFunction(0);
}

TEST(PanelBadInput, CameraNumbersOutOfRangeAreNotUsedAsIndexes) {
    mainControl& panel = rig->panel();
    panel.currentCamDisplay(1);
    panel.currentCamDisplay(0);
    panel.currentCamDisplay(99);
    EXPECT_EQ(panel.getCurrentOnScreen(), 1);
    saveSetting("system", "currentOnScreen", 99);
    saveSetting("system", "currentControl", -5);
    saveSetting("system", "alldeviceindex", 0);
    panel.deviceLoad();
    EXPECT_EQ(panel.getCurrentOnScreen(), 24);
    EXPECT_EQ(currentControl.load(), 1);
    // A direct send to the (held) on-screen camera does not touch anything outside the table.
    EXPECT_EQ(panel.sendOnScreenCommand(visca::zStopCommand()), 0);
    currentStatusOnScreen = 1;
    panel.setRobin(true);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PanelEnvironment);
    return RUN_ALL_TESTS();
}
