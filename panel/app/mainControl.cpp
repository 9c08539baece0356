#include "mainControl.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "automationServer.h"
#include "cameraLines.h"
#include "cameraRules.h"
#include "commandRunner.h"
#include "eventLog.h"
#include "hardwareLink.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "panelState.h"
#include "pathResolver.h"
#include "rotaryInput.h"
#include "softwareUpdate.h"
#include "stateEncoding.h"
#include "tallyModel.h"
#include "tallyState.h"
#include "ttyUSB.h"
#include "viscaCommands.h"
#include "workers.h"

namespace {

// Pause between attempts to open the MCU line: short enough that start-up does not lag behind a
// line that appears, long enough that a missing device does not spin a core.
constexpr auto kMcuOpenRetryPause = std::chrono::milliseconds(100);

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string hexBytes(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', "")).toStdString();
}

}  // namespace

int currentSoftwareVersion() {
    return kAppMajor * 1000 + kAppMinor * 100 + kAppBuild;
}

QString currentSoftwareVersionString() {
    return QStringLiteral("%1.%2.%3").arg(kAppMajor).arg(kAppMinor).arg(kAppBuild);
}

void placeSettingsUnderRoot() {
    const std::string root = platform::rootDirectory();
    if (!root.empty()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(platform::resolvePath("/home/zek710a/.config")));
    }
}

void saveSetting(const QString& group, const QString& key, const QVariant& value) {
    QSettings& settings = zek710aSettings();
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
}

QSettings& zek710aSettings() {
    // Created on first use in the GUI thread; only the GUI thread reads and writes settings.
    static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "velmora", "zek710a");
    return settings;
}

mainControl::mainControl(QObject* parent) : QObject(parent) {
    // The screens hear of a camera coming or going when the table changes, from whichever thread
    // changed it; a burst of changes is looked at once.
    cameraDevice.onChange([this] {
        if (!existenceCheckQueued_.exchange(true)) {
            QMetaObject::invokeMethod(this, &mainControl::announceCameraExistence,
                                      Qt::QueuedConnection);
        }
    });
    // 1. Transport choice; the discovery sockets.
    useSerialPort = true;
    zek710aUdpsocket = new QUdpSocket(this);
    zek710aUdpsocket->setReadBufferSize(4096);
    zek710aUdpsocketRcv = new QUdpSocket(this);

    // 2. Tally command template and the lamp states of the contact tally.
    cmdTallyBuffer = visca::cmdTallyBuffer();
    tallyArray.reset();
    tallyLine = std::make_unique<LibSerial::SerialStream>();

    // 3. The ports of the factory loop-back test.
    ttyUSB0 = new ttyUSB(this);
    ttyUSB1 = new ttyUSB(this);

    // 4. Fixed messages, colour table and LED maps.
    initKeyTable();

    // 5. Settings.
    QSettings& settings = zek710aSettings();
    settings.beginGroup("system");
    useSerialPort = settings.value("useRS422", true).toBool();
    autoScan = settings.value("hcipautoscan", true).toBool();
    fixedCameraPacing = settings.value("fixedCameraPacing", false).toBool();
    remoteSetupLocked = settings.value("remoteSetupLocked", false).toBool();
    screenSaverMin = settings.value("screenSaverMin", 0).toInt();
    iCurrentSpeedFunction = settings.value("speedfunc", 0).toInt();
    currTallyMode = settings.value("tallymode", 0).toInt();
    settings.setValue("useRS422", useSerialPort.load());
    settings.endGroup();
    settings.sync();
    settings.beginGroup("switcher");
    switcherDevice[0].type = 1;
    switcherDevice[0].orb.hcipnetwork.ipadd =
        settings.value("targetip", "192.168.100.101").toString();
    switcherDevice[0].orb.hcipnetwork.name = settings.value("targetname", "MX5800").toString();
    settings.endGroup();

    // 6. Tally timer (started by sysInit in GPI tally mode).
    rollingTally = new QTimer(this);
    rollingTally->setInterval(333);
    lampPacer = new QTimer(this);
    lampPacer->setSingleShot(true);
    connect(lampPacer, &QTimer::timeout, this, &mainControl::sendNextLamp);
    automationLog = std::make_unique<automation::eventLog>();
    automationTimer = new QTimer(this);
    automationTimer->setSingleShot(true);
    connect(automationTimer, &QTimer::timeout, this, &mainControl::automationTick);
    automationReadHash = settings.value("automation/readOnlyTokenHash").toString();
    automationControlHash = settings.value("automation/controlTokenHash").toString();
    if (getAutomationEnabled()) {
        qDebug() << "automation: on; a read-only token:" << !automationReadHash.isEmpty()
                 << "a control token:" << !automationControlHash.isEmpty();
        automationTimer->start(0);  // listens once the panel's address is known
    }
    viscaSerialSaver = new QTimer(this);
    viscaSerialSaver->setSingleShot(true);
    connect(viscaSerialSaver, &QTimer::timeout, this, &mainControl::saveViscaSerials);

    // 7-10. MCU line, version, initialisation, first status exchange with the start-up map.
    openMcuLineUntilOpen();
    exchangeMcuVersion();
    const mcuCommunicate protocol;
    sendCommandtoMcu(protocol.initZEK(testStdStr), my_serial_stream);
    std::string startMap;
    {
        std::lock_guard<std::mutex> lock(ledMapMutex);
        startMap = testKeyboardStatusStr[17];
    }
    writeKeyBoard(&my_serial_stream, startMap);

    // 11. Workers and their threads.
    createWorkers();

    // 12. The four rotary-function keys lit white.
    platform::runCommand("i2cset -f -y 1 0x03 0x02 0x55");
    platform::runCommand("i2cset -f -y 1 0x03 0x03 0x55");
    platform::runCommand("i2cset -f -y 1 0x03 0x04 0x55");

    // 13. The panel's network settings and, from the boot partition, its MAC address.
    readPanelNetworkSettings();

    // 14. The contact tally sender.
    connect(rollingTally, &QTimer::timeout, this, &mainControl::rollingTallyOnOff);

    // 15. Discovery; without automatic scanning the saved camera list is loaded.
    resetMappingLists();
    if (!testmode) {
        hcipPreProcess();
        if (!autoScan) {
            emit refreshAutoScan(false);
            deviceLoad();
        }
    } else {
        qDebug() << "do testmode";
    }
    qDebug() << "MainObj construct";
}

mainControl::~mainControl() {
    stopAutomation();
    stopWorkers();
    cameraDevice.onChange(nullptr);
    saveViscaSerials();
}

void mainControl::openMcuLineUntilOpen() {
    const std::string device = platform::resolvePath("/dev/ttyAMA0");
    while (true) {
        const bool open = openMcuLine(my_serial_stream, device);
        qDebug() << "wait pc uart ..." << open;
        if (open) {
            return;
        }
        std::this_thread::sleep_for(kMcuOpenRetryPause);
    }
}

void mainControl::exchangeMcuVersion() {
    const mcuCommunicate protocol;
    int major = -1;
    int minor = -1;
    while (major == -1) {
        bool isSync = false;
        minor = protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), my_serial_stream),
                                       isSync, major);
        if (major == -1) {
            sleepMs(500);
        }
    }
    currentMcuMajorVer = major;
    currentMcuMinorVer = minor;
}

void mainControl::initKeyTable() {
    testStdStr = panelColourTable();
    std::lock_guard<std::mutex> lock(ledMapMutex);
    for (std::string& map : testKeyboardStatusStr) {
        map = genKeyInitialedTable();
    }
    testKeyboardStatusStr[0] =
        hexBytes("11 11 11 11 11 11 11 AA AA AA A9 99 99 99 99 99 91 11 11 11");
    testKeyboardStatusStr[17] =
        hexBytes("11 11 11 11 11 11 11 FF FF FF FF FF FF FF FF FF F1 11 11 11");
}

void mainControl::createWorkers() {
    auto startThread = [this](QObject* worker, int index) {
        auto* thread = new QThread(this);
        worker->moveToThread(thread);
        connect(thread, &QThread::finished, worker, &QObject::deleteLater);
        workerThreads[index] = thread;
        thread->start();
    };

    myRotaryWorker = new rotaryWorker;
    startThread(myRotaryWorker, 0);
    connect(this, &mainControl::rotarySignal, myRotaryWorker, &rotaryWorker::startRotaryCheck,
            Qt::QueuedConnection);
    connect(myRotaryWorker, &rotaryWorker::wakeupScreen, this, &mainControl::keyworkerWakeup,
            Qt::QueuedConnection);

    myKeyWorker = new keyWorker;
    startThread(myKeyWorker, 1);
    connect(this, &mainControl::keyStateSignal, myKeyWorker, &keyWorker::rollingKeyStates,
            Qt::QueuedConnection);
    connect(myKeyWorker, &keyWorker::wakeupScreen, this, &mainControl::keyworkerWakeup,
            Qt::QueuedConnection);
    connect(myKeyWorker, &keyWorker::refreshJoystickValue, this,
            &mainControl::workerCatchJoystickValue, Qt::QueuedConnection);
    connect(myKeyWorker, &keyWorker::refreshTBarValue, this, &mainControl::workerCatchTBarValue,
            Qt::QueuedConnection);
    connect(myKeyWorker, &keyWorker::refreshSliderValue, this, &mainControl::workerCatchSliderValue,
            Qt::QueuedConnection);
    connect(myKeyWorker, &keyWorker::refreshKeys, this, &mainControl::workerCatchKeys,
            Qt::QueuedConnection);
    emit keyStateSignal();

    myTallyWorker = new tallyWorker;
    startThread(myTallyWorker, 2);
    connect(this, &mainControl::goTallyCheck, myTallyWorker, &tallyWorker::doTallyCheck,
            Qt::QueuedConnection);
    connect(myTallyWorker, &tallyWorker::refreshTallyRed, this, &mainControl::workerCatchTallyRed,
            Qt::QueuedConnection);
    connect(myTallyWorker, &tallyWorker::refreshTallyGreen, this,
            &mainControl::workerCatchTallyGreen, Qt::QueuedConnection);

    myCommandWorker = new commandWorker;
    connect(this, &mainControl::cameraCommandSignal, myCommandWorker,
            &commandWorker::startCommandRobin, Qt::QueuedConnection);
    connect(myCommandWorker, &commandWorker::refreshCameraStatus, this,
            &mainControl::refreshUICamStatus, Qt::QueuedConnection);
    connect(myCommandWorker, &commandWorker::useTcpSocket, this, &mainControl::tcpCommand,
            Qt::QueuedConnection);
    connect(
        myCommandWorker, &commandWorker::resendNetworkStops, this,
        [this] {
            resendNetworkStop();
            commandWorker::stopResendPending = false;
        },
        Qt::QueuedConnection);

    // Camera sockets live in the GUI thread; answers of VISCA-over-IP cameras are drained here.
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        zek710aTcpsocket[slot] = new QTcpSocket(this);
        viscaUdpSockets[slot] = new QUdpSocket(this);
    }
    watchCameraSockets();
    viscaUdpSocketsRcv = new QUdpSocket(this);
    viscaUdpSocketsRcv->bind(QHostAddress::Any, 52381,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    connect(viscaUdpSocketsRcv, &QUdpSocket::readyRead, this,
            &mainControl::udpRcvReadPendingDatagrams);

    mySwitcherWorker = new switcherWorker;
    startThread(mySwitcherWorker, 3);
    connect(this, &mainControl::goConnectSwitcher, mySwitcherWorker,
            &switcherWorker::connectSwitcher, Qt::QueuedConnection);
    connect(mySwitcherWorker, &switcherWorker::switcherIsConnected, this,
            &mainControl::isConnectedToSwitcher, Qt::QueuedConnection);
    connect(mySwitcherWorker, &switcherWorker::tallyChanged, this,
            &mainControl::workerCatchTallyChanged, Qt::QueuedConnection);
    connect(mySwitcherWorker, &switcherWorker::switcherTargetTried, this,
            &mainControl::saveSwitcherTarget, Qt::QueuedConnection);

    // In test mode no camera commands are sent: the worker still moves to its thread, but the
    // thread is never started, so the start signal waits in a queue no loop ever reads. Left in
    // the GUI thread, the worker would run the round robin there and freeze the test screens.
    if (!testmode) {
        startThread(myCommandWorker, 4);
    } else {
        auto* idleThread = new QThread(this);
        myCommandWorker->moveToThread(idleThread);
        workerThreads[4] = idleThread;
    }
}

void mainControl::stopWorkers() {
    const bool drivingCameras = myCommandWorker != nullptr && !testmode;
    longOperation.wait();
    for (loopWorker* worker : std::initializer_list<loopWorker*>{
             myKeyWorker, myRotaryWorker, myTallyWorker, myCommandWorker, mySwitcherWorker}) {
        if (worker != nullptr) {
            worker->requestStop();
        }
    }
    for (QThread*& thread : workerThreads) {
        if (thread != nullptr) {
            thread->quit();
            thread->wait();
            thread = nullptr;
        }
    }
    if (testmode && myCommandWorker != nullptr) {
        delete myCommandWorker;
    }
    if (drivingCameras) {
        stopCamerasAtExit();
    }
    // With every loop ended, nothing uses the lines any more.
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        closeCameraLine(camControl);
        closeCameraLine(camOnScreen);
        closeCameraLine(camScanner);
    }
    closeCameraLine(my_serial_stream);
    if (tallyLine) {
        closeCameraLine(*tallyLine);
    }
    switcherLinkStarted = false;
    myKeyWorker = nullptr;
    myRotaryWorker = nullptr;
    myTallyWorker = nullptr;
    myCommandWorker = nullptr;
    mySwitcherWorker = nullptr;
}

void mainControl::stopCamerasAtExit() {
    // A camera moving under the joystick (the key loop left its stops on its way out), or one
    // whose stop is still queued or not confirmed yet, would go on moving on air after the panel
    // ends: its stops go out now, made sure of as while running.
    const int control = currentControl;
    if (control >= 1) {
        for (const QByteArray& block : cameraCommandRingBuf.takeAll()) {
            unconfirmedStops.add(control - 1, block);
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + kStopsAtExitLimit;
    while (!unconfirmedStops.empty() && std::chrono::steady_clock::now() < deadline) {
        if (!commandWorker::resendSerialStop() && !resendNetworkStop()) {
            break;
        }
    }
    for (const pendingStops::stop& s : unconfirmedStops.all()) {
        qDebug().noquote() << "camera" << s.slot + 1 << "stop" << s.message.toHex(' ')
                           << "not confirmed at exit";
    }
    unconfirmedStops.clear();
}

int mainControl::sysInit() {
    qDebug() << "System Init";
    // The main screen is up: this version has run here, and an update may now move it to "prev"
    // as the one the recovery tool puts back.
    update::markVersionRan(currentSoftwareVersionString().toStdString());

    // The rotary encoder is the input device named "rotary@10".
    QDir inputDir(QString::fromStdString(platform::resolvePath("/dev/input")));
    const QStringList events = eventDeviceNames(inputDir.path());
    if (events.isEmpty()) {
        // The screens still come up (they take the splash down when this returns), but without
        // the devices this phase starts.
        qDebug().noquote() << "No input device in" << inputDir.path()
                           << "- the panel starts without the rotary encoder, the camera lines,"
                              " the tally and the command loop";
        return 0;
    }
    for (const QString& name : events) {
        const QString path = inputDir.filePath(name);
        if (inputDeviceName(path) == "rotary@10") {
            rotaryDevicePath = path;
            setRotaryDevicePath(path);
        }
    }

    // Serial settings of cameras 1 to 8.
    for (int slot = 0; slot < kSerialCameras; ++slot) {
        cameraDevice.update(slot, [slot](orb_camera_info& record) {
            record.serialinfo = serial_port_info{};
            record.serialinfo.openName = serialCameraDevice(slot + 1);
        });
    }
    scanSerialPorts();
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        const bool controlOpen = openCameraLine(camControl, 1);
        const bool onScreenOpen = openCameraLine(camOnScreen, 2);
        camControlHolds = 1;
        camOnScreenHolds = 2;
        qDebug() << "Sysinit Serial:" << controlOpen << onScreenOpen;
    }

    emit refreshAutoScan(autoScan);
    emit refreshSystemNetConfig(udpsocketBindAddress.toString(), zek710ADHCPMODE,
                                getZEK710AHOSTNAME(), zek710AMACADD, zek710AMASKADD, zek710AGATEADD,
                                zek710APRIDNS, zek710ASECDNS);

    // Tally mapping of twelve channels.
    channelNumber = 12;
    tallyMapping.clear();
    QSettings& settings = zek710aSettings();
    settings.beginGroup("system");
    for (int m = 0; m < 12; ++m) {
        tallyMapping.append(settings.value(QStringLiteral("tallymap%1").arg(m), 0).toInt());
    }
    settings.endGroup();
    // The lists as the start-up scan left them: the serial cameras, then the cameras it found.
    emit refreshListCameraMapping(camMappingWorkNames, camMappingWorkIPs, kUsedCameraSlots,
                                  tallyMapping);
    publishGpiMapping();

    // The tally source saved last.
    if (!testmode) {
        if (currTallyMode == tally::kModeGpi && !isTallyCheckRunning) {
            emit goTallyCheck();
            rollingTally->start();
        } else if (currTallyMode == tally::kModeNetwork) {
            startSwitcherLink();
            // Nothing is known until the switcher answers: the lamps left lit by an earlier run
            // go off, as when the mode is chosen on the screen.
            updateTallyLight();
        }
    }

    emit cameraCommandSignal();
    emit rotarySignal();
    if (screenSaverMin > 0) {
        emit screenSaverChanged(screenSaverMin);
    }
    runRobin = true;
    // Network cameras that drop out are connected again in the background; in test mode no
    // camera hears from the panel.
    if (!testmode) {
        startCameraLinkSupervisor();
    }
    qDebug() << "End of SysInit()";
    return 1;
}

bool mainControl::getTestMode() const {
    return testmode;
}

QString mainControl::getAppVersion() const {
    return currentSoftwareVersionString();
}

QString mainControl::getMcuVersion() const {
    return QString::fromStdString(formatMcuVersion(currentMcuMajorVer, currentMcuMinorVer));
}

void mainControl::keyworkerWakeup() {
    emit wakeupScreen();
}

void mainControl::workerCatchJoystickValue() {
    const hardwareState s = g_HardwareState.get();
    emit refreshJoystickValue(s.joyStickXDir, s.joyStickX, s.joyStickYDir, s.joyStickY,
                              s.joyStickZDir, s.joyStickZ);
}

void mainControl::workerCatchTBarValue() {
    const int current = g_HardwareState.get().tBarValue;
    if (std::abs(lastTBarReported - current) > 10) {
        emit wakeupScreen();
        qDebug() << "workerCatchTBarValue" << lastTBarReported << current;
        lastTBarReported = current;
    }
    emit refreshTBarValue(current);
}

void mainControl::workerCatchSliderValue() {
    const hardwareState s = g_HardwareState.get();
    emit refreshSliderValue(s.sliderValue1, s.sliderValue2, s.sliderValue3, s.sliderValue4);
}

void mainControl::workerCatchKeys() {
    const hardwareState s = g_HardwareState.get();
    for (int key = 0; key < 36; ++key) {
        if (isKeyPressed(s.keyPressTable, key)) {
            emit refreshKeys(key + 1);
            return;
        }
    }
}
