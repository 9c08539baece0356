// The command round robin, in the command thread.
#include <QDebug>
#include <QThread>

#include "cameraLines.h"
#include "mainControl.h"
#include "panelState.h"
#include "pendingStops.h"
#include "viscaCommands.h"
#include "workers.h"

namespace {

void sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

// Writes a message on a camera line and collects what came back after the answer wait.
QByteArray lineExchange(LibSerial::SerialStream& line, const QByteArray& message, int waitMs) {
    writeCameraLine(line, message);
    sleepMs(waitMs);
    return readAvailable(line);
}

// Whether a camera slot is served by a serial line (the command thread) rather than by the network
// (the GUI thread).
bool servedBySerialLine(int slot) {
    return useSerialPort && slot < kSerialCameras;
}

}  // namespace

std::atomic<bool> commandWorker::wakeOnCommand{true};
std::atomic<bool> commandWorker::networkStepPending{false};
std::atomic<bool> commandWorker::stopResendPending{false};

void commandWorker::startCommandRobin() {
    qDebug() << "startCommandRobin" << runRobin.load() << useSerialPort.load()
             << currentControl.load() << currentStatusOnScreen.load();
    while (!stopRequested()) {
        switch (step()) {
            case pace::full:
                sleepMs(walkRobin);
                break;
            case pace::none:
                break;
            case pace::afterIdle:
                if (wakeOnCommand) {
                    cameraCommandRingBuf.waitForBlock(std::chrono::milliseconds(walkRobin));
                } else {
                    sleepMs(walkRobin);
                }
                break;
        }
    }
}

void commandWorker::retargetLines(int control, int onScreen) {
    std::lock_guard<std::mutex> lock(cameraLinesMutex);
    if (control <= kSerialCameras && control != camControlHolds) {
        closeCameraLine(camControl);
        sleepMs(50);
        // Remembered even when the line cannot be opened, so a missing adapter is not retried
        // on every step.
        openCameraLine(camControl, control);
        camControlHolds = control;
        qDebug() << "currControl != currentControl" << control;
    }
    // While the on-screen camera is the control camera its polls use the control line, so the
    // on-screen line is left as it is.
    if (onScreen <= kSerialCameras && onScreen != camOnScreenHolds && onScreen != control) {
        closeCameraLine(camOnScreen);
        sleepMs(50);
        openCameraLine(camOnScreen, onScreen);
        camOnScreenHolds = onScreen;
    }
}

void commandWorker::requestNetworkStep() {
    // One network step at a time: while the GUI thread is held up (a connect, an exchange with
    // a slow camera), steps would otherwise pile up in its queue and run back to back later.
    if (!networkStepPending.exchange(true)) {
        emit useTcpSocket();
    }
}

// A stop a serial camera has not confirmed goes to it again, on whichever line holds that camera,
// or on a line opened for it alone (a camera that is no longer the controlled one).
bool commandWorker::resendSerialStop() {
    const auto due = unconfirmedStops.next(servedBySerialLine);
    if (!due) {
        return false;
    }
    const int camera = due->slot + 1;
    QByteArray answer;
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        if (camera == camControlHolds || camera == camOnScreenHolds) {
            LibSerial::SerialStream& line = camera == camControlHolds ? camControl : camOnScreen;
            followHotPlug(line, camera);
            answer = lineExchange(line, due->message, 50);
        } else {
            LibSerial::SerialStream line;
            if (openCameraLine(line, camera, savedLineSettings(camera))) {
                answer = lineExchange(line, due->message, 50);
                closeCameraLine(line);
            }
        }
    }
    unconfirmedStops.sent(due->slot, due->message, visca::judgeCommandAnswer(answer));
    return true;
}

commandWorker::pace commandWorker::step() {
    // Stops first, whatever else waits: a camera that did not confirm one is still moving.
    if (useSerialPort && resendSerialStop()) {
        return pace::full;
    }
    if (!unconfirmedStops.empty() &&
        unconfirmedStops.next([](int slot) { return !servedBySerialLine(slot); }) &&
        !stopResendPending.exchange(true)) {
        emit resendNetworkStops();
    }
    if (!runRobin) {
        return pace::full;
    }
    // The camera numbers are read once: a key press may change them at any moment, and a step
    // must not send down one camera's line what it meant for another, or file one camera's
    // status in another's record.
    const int control = currentControl;
    const int onScreen = currentStatusOnScreen;
    if (useSerialPort) {
        retargetLines(control, onScreen);
    }
    if (cameraCommandRingBuf.isEmpty()) {
        const int counter = camStatusCounter;
        bool sent = false;
        if (scan != 0 && (!useSerialPort || onScreen >= 9 || control >= 9)) {
            requestNetworkStep();
            // The GUI thread polls a network camera at these steps.
            sent = counter == 8 || counter == 15 || counter == 25 || counter == 35;
        }
        if (useSerialPort && onScreen <= kSerialCameras) {
            sent = sent || counter == 5 || (counter == 10 && control <= kSerialCameras) ||
                   counter == 20 || counter == 30;
            if (counter == 10 && control <= kSerialCameras) {
                QByteArray answer;
                {
                    std::lock_guard<std::mutex> lock(cameraLinesMutex);
                    followHotPlug(camControl, camControlHolds);
                    answer = lineExchange(camControl, visca::camStatusInquiry(), 50);
                }
                sleepMs(30);
                orb_camera_info record;
                bool applied = false;
                cameraDevice.update(control - 1, [&](orb_camera_info& r) {
                    applied = visca::applyStatusBlock(answer, r, visca::speedRule::controlCamera);
                    record = r;
                });
                if (!applied) {
                    ++camStatusCounter;
                    return pace::none;
                }
                applyControlCameraRules(record, visca::statusSpeedMode(answer));
            } else if (counter == 5) {
                QByteArray answer;
                {
                    std::lock_guard<std::mutex> lock(cameraLinesMutex);
                    LibSerial::SerialStream& line = onScreen == control ? camControl : camOnScreen;
                    followHotPlug(line, onScreen == control ? camControlHolds : camOnScreenHolds);
                    answer = lineExchange(line, visca::camStatusInquiry(), 50);
                }
                sleepMs(30);
                bool applied = false;
                cameraDevice.update(onScreen - 1, [&](orb_camera_info& r) {
                    applied = visca::applyStatusBlock(answer, r, visca::speedRule::onScreenCamera);
                });
                if (!applied) {
                    ++camStatusCounter;
                    return pace::none;
                }
                emit refreshCameraStatus();
            } else if (counter == 20 || counter == 30) {
                const bool shutter = counter == 20;
                QByteArray answer;
                {
                    std::lock_guard<std::mutex> lock(cameraLinesMutex);
                    LibSerial::SerialStream& line = onScreen == control ? camControl : camOnScreen;
                    followHotPlug(line, onScreen == control ? camControlHolds : camOnScreenHolds);
                    answer =
                        lineExchange(line, shutter ? visca::cmdShutter() : visca::cmdGain(), 50);
                }
                const int position = visca::positionFromAnswer(answer, 4);
                if (position >= 0) {
                    cameraDevice.update(onScreen - 1, [shutter, position](orb_camera_info& r) {
                        (shutter ? r.shutter : r.gain) = position;
                    });
                    (shutter ? cameraMirror.shutter : cameraMirror.gain) = position;
                }
                emit refreshCameraStatus();
            } else if (counter >= 38) {
                camStatusCounter = 0;
            }
        }
        ++camStatusCounter;
        return sent ? pace::full : pace::afterIdle;
    }

    if (useSerialPort && control <= kSerialCameras) {
        QByteArray message;
        if (!cameraCommandRingBuf.take(message)) {
            return pace::none;  // emptied since the look above: the next step is an idle one
        }
        camStatusCounter = 0;
        if (!visca::passesDuplicateRule(message, cmdPrev.get(), 3)) {
            qDebug() << "Same Command:" << message.mid(2, 2).toHex();
            return pace::none;
        }
        if (message == cmdPrev.get()) {
            qDebug() << "Allowed Same Command";
        }
        cmdPrev.set(message);
        QByteArray answer;
        const auto sentAt = pendingStops::clock::now();
        {
            std::lock_guard<std::mutex> lock(cameraLinesMutex);
            followHotPlug(camControl, camControlHolds);
            answer = lineExchange(camControl, message, 50);
        }
        unconfirmedStops.sent(control - 1, message, visca::judgeCommandAnswer(answer), sentAt);
    } else if (scan != 0) {
        requestNetworkStep();
    }
    return pace::full;
}
