#include "workers.h"

#include <QDebug>
#include <QThread>

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "commandRunner.h"
#include "functionKeyLamps.h"
#include "hardwareLink.h"
#include "hcipService.h"
#include "joystick.h"
#include "keyDispatch.h"
#include "mainControl.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "panelState.h"
#include "pendingStops.h"
#include "remoteKeys.h"
#include "rotaryInput.h"
#include "stateEncoding.h"
#include "viscaCommands.h"
#include "workItem.h"

namespace {

// What the configuration service reports of the panel: its network settings as read at start-up.
hcip::deviceInfoValues panelSavedNetwork() {
    const systemNetSettings saved = systemNetwork();
    hcip::deviceInfoValues values;
    values.dhcp = saved.systemDhcpmode;
    values.gateway = saved.systemGateway;
    values.dns1 = saved.systemPdns;
    values.dns2 = saved.systemSdns;
    return values;
}

}  // namespace

keyWorker::~keyWorker() {
    if (pollItem_) {
        pollItem_->stop();
    }
    if (pollThread_.joinable()) {
        pollThread_.join();
    }
}

int keyWorker::rollingKeyStates() {
    qDebug() << "rollingKeyStates thread" << QThread::currentThreadId()
             << "current Version:" << kAppMajor << kAppMinor << kAppBuild;
    const mcuCommunicate protocol;
    const std::string versionAnswer = sendCommandtoMcu(protocol.askVersion(), my_serial_stream);

    // The UDP configuration service runs for the life of the program on a thread of its own.
    // The lock lives as long as the program, so the service may outlive this loop.
    hcipServiceProfile profile = panelHcipProfile(panelSavedNetwork);
    profile.setupLock = std::shared_ptr<const std::atomic<bool>>(&remoteSetupLocked,
                                                                 [](const std::atomic<bool>*) {});
    std::thread(udpHcipProcess, versionAnswer, std::string(), &my_serial_stream, std::move(profile),
                std::chrono::seconds(10))
        .detach();

    // The periodic poll of the MCU is created parked: this loop polls the MCU itself.
    pollItem_ = makeHardwarePollItem(&my_serial_stream, [] { return genKeyInitialedTable(); });
    pollThread_ = startWorkerThread(*pollItem_);

    keyDispatch dispatch({[this] { emit wakeupScreen(); }, [this] { emit refreshTBarValue(); },
                          [this] {
                              emit refreshJoystickValue();
                              emit refreshTBarValue();
                              emit refreshSliderValue();
                              emit refreshKeys();
                          }});
    if (!testmode) {
        dispatch.alignLedsWithFlags();
        writeKeyBoard(&my_serial_stream, liveLedMap());
    }
    auto passDue = std::chrono::steady_clock::now();
    while (!stopRequested()) {
        std::this_thread::sleep_until(passDue);
        passDue = std::chrono::steady_clock::now() + kMinimumPassPeriod;
        if (testmode) {
            std::string testMap;
            {
                std::lock_guard<std::mutex> lock(ledMapMutex);
                testMap = testKeyboardStatusStr[17];
            }
            {
                // The calibration sets its flag under the line's lock, so no exchange of this
                // loop starts once a calibration holds the line.
                std::unique_lock<std::mutex> line(writeMutex);
                if (doingCalibration) {
                    line.unlock();
                    QThread::msleep(200);
                    continue;
                }
                g_HardwareState.set(readHardwareState(&my_serial_stream, testMap));
            }
            dispatch.testPass(g_HardwareState.get());
            remoteKeys.runWaiting([](const automation::remoteAction&) {
                return automation::actionOutcome::testMode;
            });
            continue;
        }
        // One status exchange per pass: the MCU lights the live map and returns the controls.
        writeKeyBoard(&my_serial_stream, keyLedsAsShown());
        dispatch.pass(g_HardwareState.get());
        remoteKeys.runWaiting([&dispatch](const automation::remoteAction& action) {
            return dispatch.perform(action);
        });
    }
    // The program ends with the stick deflected: the camera it moves gets its stops on the way
    // out (mainControl sends them once every loop has ended).
    const int control = currentControl;
    if (!testmode && control >= 1) {
        if (joystick.joyState != 0) {
            unconfirmedStops.add(control - 1, visca::xyStopCommand());
        }
        if (joystick.joyZState != 0) {
            unconfirmedStops.add(control - 1, visca::zStopCommand());
        }
    }
    joystick.joyState = 0;
    joystick.joyZState = 0;
    return 0;
}

void rotaryWorker::startRotaryCheck() {
    const QString path = rotaryDevicePath();
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::printf("evtest %s\n", std::strerror(errno));
        std::fflush(stdout);
        qDebug() << "Rotary Worker Open Rotary Error";
        return;
    }
    detentGate gate(wallClockMsInHour());
    int backlight = kBacklightNormal;
    std::vector<char> pending;
    while (!stopRequested()) {
        QThread::msleep(88);
        if (!rotaryRobin) {
            continue;
        }
        char name[256] = {};
        ::ioctl(fd, EVIOCGNAME(sizeof name - 1), name);
        // Wait for events; bounded so that a stop request is seen.
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, 500) <= 0 || (watched.revents & POLLIN) == 0) {
            continue;
        }
        char buffer[64 * sizeof(input_event)];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            continue;
        }
        for (const int step : rotarySteps(buffer, static_cast<std::size_t>(got), pending)) {
            if (!gate.accept(wallClockMsInHour())) {
                continue;
            }
            if (testmode) {
                backlight = nextBacklightLevel(backlight, step);
                panelBacklight.set(backlight);
                continue;
            }
            emit wakeupScreen();
            switch (rotaryFunction.load()) {
                case 1:
                    cameraCommandRingBuf.append(step > 0 ? visca::shutterDown()
                                                         : visca::shutterUp());
                    break;
                case 2:
                    cameraCommandRingBuf.append(step > 0 ? visca::focusFar() : visca::focusNear());
                    cameraCommandRingBuf.append(visca::cmdFocusStop());
                    break;
                case 3:
                    cameraCommandRingBuf.append(step > 0 ? visca::irisUp() : visca::irisDown());
                    break;
                case 4:
                    cameraCommandRingBuf.append(step > 0 ? visca::gainUp() : visca::gainDown());
                    break;
                default:
                    break;  // no function chosen, or the backlight: nothing for a camera
            }
        }
    }
    ::close(fd);
}
