// mainControl's tally operations: the mode, the mapping of channels to cameras, and the lamp
// commands sent to the cameras. Everything here runs in the GUI thread.
#include <QDebug>
#include <QSettings>
#include <QTcpSocket>

#include <algorithm>
#include <chrono>
#include <set>

#include "cameraLines.h"
#include "mainControl.h"
#include "panelState.h"
#include "switcherProtocol.h"
#include "tallyModel.h"
#include "tallyState.h"
#include "tallyWorkers.h"
#include "viscaCommands.h"

namespace {

// Pauses of the lamp commands: after each serial command (the camera takes it before the next),
// after each command to a network camera (its answer), between cameras of the contact sender, and
// after each pass of the network tally. They run on a timer, never in the GUI thread.
constexpr auto kSerialLampPause = std::chrono::milliseconds(50);
constexpr auto kNetworkLampPause = std::chrono::milliseconds(50);
constexpr auto kSenderCameraPause = std::chrono::milliseconds(50);
constexpr auto kNetworkPassPause = std::chrono::milliseconds(20);

QString switcherName() {
    return switcherDevice[0].orb.hcipnetwork.name;
}

}  // namespace

int mainControl::getSwitcherChannelNumber() const {
    return switcherLink::channelCount(switcherName());
}

int mainControl::getCurrentTallyMode() const {
    return currTallyMode;
}

void mainControl::setTallyMode(int tmode) {
    const int previous = currTallyMode.exchange(tmode);
    // The source left behind no longer tells what is on air: its lamps go off.
    if (previous != tmode && previous == tally::kModeNetwork) {
        stopSwitcherLink();
        switchMappedLampsOff();
    }
    if (previous != tmode && previous == tally::kModeGpi) {
        stopGpiTally();
        switchMappedLampsOff();
    }
    switch (tmode) {
        case tally::kModeGpi:
            startGpiTally();
            break;
        case tally::kModeNetwork:
            isTallyCheckRunning = false;
            startSwitcherLink();
            updateTallyLight();
            break;
        case tally::kModeStopped:
            isTallyCheckRunning = false;
            break;
        default:
            break;
    }
    saveSetting("system", "tallymode", tmode);
}

int mainControl::saveTallyMapping(QList<int> map) {
    channelNumber = getSwitcherChannelNumber();
    emit refreshChannelCounts(channelNumber);
    const QList<int> before = tallyMapping;
    tallyMapping = tally::channelMapping(map, channelNumber);
    QSettings& settings = zek710aSettings();
    settings.beginGroup("system");
    for (int channel = 0; channel < tallyMapping.size(); ++channel) {
        settings.setValue(QStringLiteral("tallymap%1").arg(channel), tallyMapping[channel]);
    }
    settings.endGroup();
    settings.sync();
    publishGpiMapping();

    // A camera taken off every channel keeps no lamp from its old channel: the contact tally
    // forgets it here, the network pass switches off what it lit and no channel reaches now.
    if (currTallyMode == tally::kModeGpi) {
        std::set<int> dropped(before.begin(), before.end());
        for (const int camera : tallyMapping) {
            dropped.erase(camera);
        }
        for (const int camera : dropped) {
            if (camera >= 1 && camera <= tally::kCameras) {
                tallyArray.forget(camera);
                taskOnOffTally(camera, tally::kLampOff, tally::kLampOff);
            }
        }
    }
    updateTallyLight();
    return 0;
}

void mainControl::callTallyCheck() {
    emit goTallyCheck();
}

void mainControl::workerCatchTallyChanged() {
    int waiting = pendingTallyPasses.load();
    while (waiting > 0 && !pendingTallyPasses.compare_exchange_weak(waiting, waiting - 1)) {
    }
    updateTallyLight();
}

void mainControl::updateTallyLight() {
    if (currTallyMode != tally::kModeNetwork) {
        return;
    }
    const int channels = switcherLink::tallyChannels(switcherName());
    std::set<int> reached;
    for (int channel = 1; channel <= channels && channel <= tallyMapping.size(); ++channel) {
        const int camera = tallyMapping[channel - 1];
        if (camera < 1) {
            continue;
        }
        reached.insert(camera);
        const auto lamps = tally::lampsForTallyByte(tallyStatus[channel - 1]);
        if (lamps) {
            taskOnOffTally(camera, lamps->red, lamps->green);
            if (lamps->red == tally::kLampOn || lamps->green == tally::kLampOn) {
                networkLitCameras.insert(camera);
            } else {
                networkLitCameras.erase(camera);
            }
        }
    }
    // Lit by an earlier pass through a channel that no longer leads to it.
    for (auto lit = networkLitCameras.begin(); lit != networkLitCameras.end();) {
        if (reached.count(*lit) == 0) {
            taskOnOffTally(*lit, tally::kLampOff, tally::kLampOff);
            lit = networkLitCameras.erase(lit);
        } else {
            ++lit;
        }
    }
    queueLamp(0, 3, 3, kNetworkPassPause);
}

void mainControl::rollingTallyOnOff() {
    if (testmode || currTallyMode != tally::kModeGpi || !isTallyCheckRunning) {
        return;
    }
    const int limit = tally::senderCameraLimit(cameraCount, useSerialPort);
    for (const tally::tallyLightTable::pending& change : tallyArray.takeChanged(limit)) {
        tempCurrentControl = change.camera;
        queueLamp(change.camera, change.light.red, change.light.green, kSenderCameraPause);
    }
}

void mainControl::taskOnOffTally(int camnumber, int red, int green) {
    if (camnumber < 1) {
        qDebug() << "[taskOnOffTally] no camera" << camnumber;
        return;
    }
    queueLamp(camnumber, red, green, std::chrono::milliseconds(0));
}

void mainControl::queueLamp(int camera, int red, int green, std::chrono::milliseconds pauseAfter) {
    if (camera < 0 || camera > tally::kCameras) {
        qDebug() << "[taskOnOffTally] no camera" << camera;
        return;
    }
    // A camera already waiting gets the newest lamps instead of a second command; the queue
    // never holds more than one command per camera, however fast the tally changes.
    auto waiting = std::find_if(pendingLamps.begin(), pendingLamps.end(),
                                [camera](const pendingLamp& p) { return p.camera == camera; });
    if (camera != 0 && waiting != pendingLamps.end()) {
        waiting->red = red;
        waiting->green = green;
        waiting->pauseAfter = std::max(waiting->pauseAfter, pauseAfter);
    } else if (camera != 0) {
        pendingLamps.push_back({camera, red, green, pauseAfter});
    } else if ((lampPacer->isActive() || !pendingLamps.empty()) &&
               (pendingLamps.empty() || pendingLamps.back().camera != 0)) {
        pendingLamps.push_back({0, red, green, pauseAfter});  // a pause after the lamps before it
    }
    if (!lampPacer->isActive()) {
        sendNextLamp();
    }
}

void mainControl::takeLampAnswer() {
    if (lampAnswerOnLine) {
        readAvailable(*tallyLine);  // the camera's answer is not needed
        lampAnswerOnLine = false;
    }
    if (lampAnswerSlot >= 0) {
        zek710aTcpsocket[lampAnswerSlot]->readAll();
        camStatusCounter = 0;
        lampAnswerSlot = -1;
    }
}

void mainControl::sendNextLamp() {
    takeLampAnswer();
    if (pendingLamps.empty()) {
        return;
    }
    // The serial lines are being probed: a lamp's answer would be read as a camera's version.
    if (serialSwitchUnderWay) {
        lampPacer->start(static_cast<int>(kSerialLampPause.count()));
        return;
    }
    const pendingLamp lamp = pendingLamps.front();
    pendingLamps.pop_front();
    std::chrono::milliseconds pause = lamp.pauseAfter;
    if (lamp.camera != 0) {
        cmdTallyBuffer[6] = static_cast<char>(lamp.red);
        cmdTallyBuffer[7] = static_cast<char>(lamp.green);
        bool sent = false;
        if (useSerialPort && lamp.camera <= kSerialCameras) {
            if (lamp.camera != currTallyIndex) {
                // A line that cannot be opened holds no camera, so the next command tries again.
                currTallyIndex = openCameraLine(*tallyLine, lamp.camera) ? lamp.camera : 99;
            }
            if (writeCameraLine(*tallyLine, cmdTallyBuffer)) {
                lampAnswerOnLine = true;
                pause += kSerialLampPause;
                sent = true;
            }
        } else if (scan == 0) {
            qDebug() << "[taskOnOffTally] camera" << lamp.camera
                     << "before the network scan: dropped";
        } else if (cameraDevice.camera(lamp.camera - 1).useVisca) {
            taskCommand(lamp.camera, &cmdTallyBuffer);
            sent = true;
        } else {
            const int slot = lamp.camera - 1;  // 1 to 24, checked when queued
            sent = zek710aTcpsocket[slot]->write(visca::hcipEnvelope(cmdTallyBuffer)) > 0;
            lampAnswerSlot = slot;
            pause += kNetworkLampPause;
        }
        if (sent) {
            lampsSent[static_cast<std::size_t>(lamp.camera - 1)] = {lamp.red == tally::kLampOn,
                                                                    lamp.green == tally::kLampOn};
        }
    }
    lampPacer->start(static_cast<int>(pause.count()));
}

void mainControl::workerCatchTallyRed(int ch) {
    emit refreshTallyRed(ch);
}

void mainControl::workerCatchTallyGreen(int ch) {
    emit refreshTallyGreen(ch);
}

void mainControl::isConnectedToSwitcher() {
    emit refreshSwitcher(switcherConnected);
}

void mainControl::saveSwitcherTarget(QString address, QString name) {
    QSettings& settings = zek710aSettings();
    settings.beginGroup("switcher");
    settings.setValue("targetip", address);
    settings.setValue("targetname", name);
    settings.endGroup();
    settings.sync();
}

void mainControl::startSwitcherLink() {
    if (testmode || switcherLinkStarted || mySwitcherWorker == nullptr) {
        return;
    }
    const hcip_device_info& target = switcherDevice[0];
    if (target.orb.hcipnetwork.name.isEmpty()) {
        qDebug() << "Switcher link not started: no switcher name";
        return;
    }
    channelNumber = getSwitcherChannelNumber();
    emit refreshChannelCounts(channelNumber);
    mySwitcherWorker->startLink(target.orb.hcipnetwork.ipadd, target.orb.hcipnetwork.name);
    switcherLinkAddress = target.orb.hcipnetwork.ipadd;
    switcherLinkName = target.orb.hcipnetwork.name;
    switcherLinkStarted = true;
    emit goConnectSwitcher();
}

void mainControl::stopSwitcherLink() {
    if (switcherLinkStarted && mySwitcherWorker != nullptr) {
        mySwitcherWorker->endLink();
    }
    switcherLinkStarted = false;
    for (std::atomic<std::int8_t>& entry : tallyStatus) {
        entry = 0;
    }
}

void mainControl::followSwitcherRecord() {
    if (!switcherLinkStarted || currTallyMode != tally::kModeNetwork) {
        return;
    }
    const hcip_device_info& filed = switcherDevice[0];
    if (filed.orb.hcipnetwork.ipadd == switcherLinkAddress &&
        filed.orb.hcipnetwork.name == switcherLinkName) {
        return;
    }
    qDebug() << "Switcher changed from" << switcherLinkName << switcherLinkAddress << "to"
             << filed.orb.hcipnetwork.name << filed.orb.hcipnetwork.ipadd;
    // What the old switcher lit says nothing about the new one.
    stopSwitcherLink();
    switchMappedLampsOff();
    startSwitcherLink();
}

void mainControl::startGpiTally() {
    if (!isTallyCheckRunning) {
        emit goTallyCheck();
    }
    if (!testmode && !rollingTally->isActive()) {
        rollingTally->start();
    }
}

void mainControl::stopGpiTally() {
    isTallyCheckRunning = false;
    rollingTally->stop();
    tallyArray.reset();
}

void mainControl::switchMappedLampsOff() {
    std::set<int> cameras;
    cameras.swap(networkLitCameras);
    for (const int camera : tallyMapping) {
        if (camera >= 1 && camera <= tally::kCameras) {
            cameras.insert(camera);
        }
    }
    for (const int camera : cameras) {
        taskOnOffTally(camera, tally::kLampOff, tally::kLampOff);
    }
}

void mainControl::publishGpiMapping() {
    for (int channel = 0; channel < tally::kGpiChannels; ++channel) {
        gpiChannelCamera[channel] = channel < tallyMapping.size() ? tallyMapping[channel] : 0;
    }
}
