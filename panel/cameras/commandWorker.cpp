// The command round robin, in the command thread.
#include <QDebug>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <mutex>

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

using waitingFor = visca::answerTracker::waitingFor;
using steadyClock = std::chrono::steady_clock;

// The answer wait of a serial exchange, and the pause after a status poll's answer.
constexpr int kSerialAnswerWaitMs = 50;
constexpr int kStatusPollPauseMs = 30;

// Network command steps that have ended, counted, and whether the last one's command was taken.
std::mutex networkDoneMutex;
std::condition_variable networkDone;
unsigned long networkCommandsDone = 0;
bool networkCommandTaken = false;
bool networkCommandBusy = false;

unsigned long networkCommandsDoneSoFar() {
    std::lock_guard<std::mutex> lock(networkDoneMutex);
    return networkCommandsDone;
}

// What became of a network command step the round robin asked for.
enum class networkOutcome { notYet, taken, busy, silent };

// Waits, until deadline, for a network command step after the first `before` to end.
networkOutcome waitNetworkCommand(unsigned long before, steadyClock::time_point deadline) {
    std::unique_lock<std::mutex> lock(networkDoneMutex);
    if (!networkDone.wait_until(lock, deadline,
                                [before] { return networkCommandsDone != before; })) {
        return networkOutcome::notYet;
    }
    return networkCommandTaken  ? networkOutcome::taken
           : networkCommandBusy ? networkOutcome::busy
                                : networkOutcome::silent;
}

// One exchange on the control line (onControlLine) or the on-screen line, whichever camera it
// holds now, under the lines' lock.
visca::exchangeResult exchangeOnHeldLine(bool onControlLine, const QByteArray& message,
                                         visca::answerTracker::waitingFor what) {
    std::lock_guard<std::mutex> lock(cameraLinesMutex);
    LibSerial::SerialStream& line = onControlLine ? camControl : camOnScreen;
    const int holds = onControlLine ? camControlHolds : camOnScreenHolds;
    followHotPlug(line, holds);
    return exchangeOnLine(line, holds, message, what, kSerialAnswerWaitMs);
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

void commandWorker::networkCommandDone(bool taken, bool bufferFull) {
    // The round robin may ask for the next step as soon as it hears of this one's end.
    networkStepPending = false;
    {
        std::lock_guard<std::mutex> lock(networkDoneMutex);
        ++networkCommandsDone;
        networkCommandTaken = taken;
        networkCommandBusy = bufferFull;
    }
    networkDone.notify_all();
}

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
            case pace::answered:
                cameraCommandRingBuf.waitForBlock(
                    std::chrono::duration_cast<std::chrono::milliseconds>(stepEnd_ -
                                                                          steadyClock::now()));
                break;
            case pace::untilEnd:
                std::this_thread::sleep_until(stepEnd_);
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
            answer = exchangeOnLine(line, camera, due->message, waitingFor::commandAnswer,
                                    kSerialAnswerWaitMs)
                         .answer;
        } else {
            LibSerial::SerialStream line;
            if (openCameraLine(line, camera, savedLineSettings(camera))) {
                answer = exchangeOnLine(line, camera, due->message, waitingFor::commandAnswer,
                                        kSerialAnswerWaitMs)
                             .answer;
                closeCameraLine(line);
            }
        }
    }
    unconfirmedStops.sent(due->slot, due->message, visca::judgeCommandAnswer(answer));
    return true;
}

commandWorker::pace commandWorker::paceAfter(const visca::exchangeResult& result,
                                             steadyClock::time_point sentAt, int fixedStepMs) {
    // Counted from the moment the message was on the line, as the fixed waits always were: a
    // write held up behind the lines' lock must not bring the next message closer.
    stepEnd_ = std::max(sentAt, result.writtenAt) + std::chrono::milliseconds(fixedStepMs);
    if (result.bufferFull) {
        busyUntil_ = steadyClock::now() + kBusyBackoff;
    }
    // A camera that did not answer, has both sockets taken, or answered "buffer full" a moment
    // ago, gets no more than fixed waits allow: never a second message before it acknowledged
    // the first.
    if (fixedCameraPacing || !result.answered || result.socketsFull ||
        steadyClock::now() < busyUntil_) {
        return pace::untilEnd;
    }
    return pace::answered;
}

commandWorker::pace commandWorker::retryBusyCommand(int control) {
    QByteArray message;
    message.swap(busyCommand_);
    if (control != busyCamera_ || !useSerialPort || control > kSerialCameras) {
        return pace::none;  // another camera is controlled now: the command was for the old one
    }
    const auto sentAt = steadyClock::now();
    const visca::exchangeResult result =
        exchangeOnHeldLine(true, message, waitingFor::commandAnswer);
    if (result.bufferFull) {
        if (sentAt - busySince_ < kBusyBackoff) {
            busyCommand_ = message;  // still busy: again after the pause
        } else {
            qDebug().noquote() << "camera" << control << "stayed busy:" << message.toHex(' ')
                               << "dropped";
        }
    }
    return paceAfter(result, sentAt, kSerialAnswerWaitMs + walkRobin);
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
    if (!busyCommand_.isEmpty()) {
        return retryBusyCommand(control);
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
            if ((counter == 10 && control <= kSerialCameras) || counter == 5) {
                const bool ofControl = counter == 10;
                const auto sentAt = steadyClock::now();
                const visca::exchangeResult result =
                    exchangeOnHeldLine(ofControl || onScreen == control, visca::camStatusInquiry(),
                                       waitingFor::inquiryAnswer);
                if (fixedCameraPacing) {
                    sleepMs(kStatusPollPauseMs);
                }
                bool applied = false;
                if (ofControl) {
                    orb_camera_info record;
                    cameraDevice.update(control - 1, [&](orb_camera_info& r) {
                        applied = visca::applyStatusBlock(result.answer, r,
                                                          visca::speedRule::controlCamera);
                        record = r;
                    });
                    if (applied) {
                        applyControlCameraRules(record, visca::statusSpeedMode(result.answer));
                    }
                } else {
                    cameraDevice.update(onScreen - 1, [&](orb_camera_info& r) {
                        applied = visca::applyStatusBlock(result.answer, r,
                                                          visca::speedRule::onScreenCamera);
                    });
                    if (applied) {
                        emit refreshCameraStatus();
                    }
                }
                if (!applied) {
                    ++camStatusCounter;
                    return pace::none;
                }
                ++camStatusCounter;
                return paceAfter(result, sentAt,
                                 kSerialAnswerWaitMs + kStatusPollPauseMs + walkRobin);
            }
            if (counter == 20 || counter == 30) {
                const bool shutter = counter == 20;
                const auto sentAt = steadyClock::now();
                const visca::exchangeResult result = exchangeOnHeldLine(
                    onScreen == control, shutter ? visca::cmdShutter() : visca::cmdGain(),
                    waitingFor::inquiryAnswer);
                const int position = visca::positionFromAnswer(result.answer, 4);
                if (position >= 0) {
                    cameraDevice.update(onScreen - 1, [shutter, position](orb_camera_info& r) {
                        (shutter ? r.shutter : r.gain) = position;
                    });
                    (shutter ? cameraMirror.shutter : cameraMirror.gain) = position;
                }
                emit refreshCameraStatus();
                ++camStatusCounter;
                return paceAfter(result, sentAt, kSerialAnswerWaitMs + walkRobin);
            }
            if (counter >= 38) {
                camStatusCounter = 0;
            }
        }
        ++camStatusCounter;
        return sent ? pace::full : pace::afterIdle;
    }

    if (useSerialPort && control <= kSerialCameras) {
        QByteArray message;
        // Taken only while the camera read above is still the controlled one: a message queued
        // after a selection belongs to the new camera, and the next step sends it there.
        if (!cameraCommandRingBuf.takeIf(
                message, [control](const QByteArray&) { return currentControl == control; })) {
            return pace::none;  // emptied, or another camera selected, since the look above
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
        const auto sentAt = pendingStops::clock::now();
        const visca::exchangeResult result =
            exchangeOnHeldLine(true, message, waitingFor::commandAnswer);
        unconfirmedStops.sent(control - 1, message, visca::judgeCommandAnswer(result.answer),
                              sentAt);
        if (result.bufferFull && visca::stopAxes(message) == 0) {
            // The camera did not take it: sent again after the pause while the camera stays
            // busy, for a bounded time (a stop has resends of its own).
            qDebug().noquote() << "camera" << control
                               << "busy (buffer full):" << message.toHex(' ');
            busyCamera_ = control;
            busyCommand_ = message;
            busySince_ = sentAt;
        }
        return paceAfter(result, sentAt, kSerialAnswerWaitMs + walkRobin);
    }
    if (scan != 0) {
        const auto requestedAt = steadyClock::now();
        const unsigned long before = networkCommandsDoneSoFar();
        requestNetworkStep();
        stepEnd_ = requestedAt + std::chrono::milliseconds(walkRobin);
        // The GUI thread sends the command; once the camera took it, the next one may follow.
        const networkOutcome outcome = waitNetworkCommand(before, stepEnd_);
        if (outcome == networkOutcome::busy) {
            busyUntil_ = steadyClock::now() + kBusyBackoff;
        }
        if (outcome == networkOutcome::taken && !fixedCameraPacing &&
            steadyClock::now() >= busyUntil_) {
            return pace::answered;
        }
        return pace::untilEnd;
    }
    return pace::full;
}
