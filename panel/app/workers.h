// The worker objects of the panel application, each moved to a thread of its own. Each runs one
// long loop, started by a queued signal from mainControl, and reports back by queued signals.
#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "answerTracker.h"
#include "loopWorker.h"
#include "tallyWorkers.h"

class workItem;

// Owns the panel MCU line while the application runs: one status exchange per pass.
class keyWorker : public loopWorker {
    Q_OBJECT
public:
    ~keyWorker() override;
    // Shortest time from the start of one pass to the start of the next: the time the status
    // request's 24 bytes take on the panel's line at 115200 baud (10 bits a byte). Passes are
    // never closer than that on the panel, so this holds none back there; against a line that
    // answers at once (a pseudo-terminal) it keeps the loop from spinning.
    static constexpr std::chrono::microseconds kMinimumPassPeriod{24 * 10 * 1000000 / 115200};
public slots:
    int rollingKeyStates();
signals:
    void refreshJoystickValue();
    void refreshTBarValue();
    void refreshSliderValue();
    void refreshKeys();
    void wakeupScreen();

private:
    std::unique_ptr<workItem> pollItem_;
    std::thread pollThread_;
};

// Rotary encoder events.
class rotaryWorker : public loopWorker {
    Q_OBJECT
public slots:
    void startRotaryCheck();
signals:
    void wakeupScreen();
};

// The command round robin: sends queued commands to the control camera and, when the queue is
// empty, polls the control and on-screen cameras.
class commandWorker : public loopWorker {
    Q_OBJECT
public:
    // After a step that sent nothing, the pause ends as soon as a command is queued, so the first
    // command after an idle spell does not wait out the pause. Steps that wrote to a camera keep
    // the whole pause, so two sends to a camera are never closer than before.
    static std::atomic<bool> wakeOnCommand;
    // Set while a network step asked of the GUI thread has not finished; the GUI thread clears
    // it when the step has run.
    static std::atomic<bool> networkStepPending;
    // The same for a resend of a network camera's stop.
    static std::atomic<bool> stopResendPending;
    // The GUI thread tells the round robin that a network step which sent a queued command has
    // ended, and whether the camera took the command (answered, and not with "buffer full").
    static void networkCommandDone(bool taken, bool bufferFull);
    // How long a camera that answered "buffer full" is paced by fixed waits again, and how long
    // the command it refused is offered to it again.
    static constexpr std::chrono::milliseconds kBusyBackoff{1000};

public slots:
    void startCommandRobin();
signals:
    void refreshCameraStatus();
    void useTcpSocket();
    // Asks the GUI thread to send again a stop a network camera has not confirmed.
    void resendNetworkStops();

private:
    enum class pace {
        full,       // the whole pause
        none,       // the next step at once (a poll found no answer)
        afterIdle,  // nothing was sent: the pause may end early for a command
        answered,   // the camera answered: a queued command goes at once, and otherwise the step
                    // lasts as long as with fixed waits (stepEnd_), so polls keep their spacing
        untilEnd,   // the step lasts until stepEnd_, whatever is queued
    };
    pace step();
    // How a step that wrote a command or a poll is paced, from what the camera answered.
    pace paceAfter(const visca::exchangeResult& result,
                   std::chrono::steady_clock::time_point sentAt, int fixedStepMs);
    void retargetLines(int control, int onScreen);
    void requestNetworkStep();
    // A queued command a camera refused with "buffer full": sent again after the pause, while
    // the camera is still the controlled one and for at most kBusyBackoff after the refusal.
    pace retryBusyCommand(int control);

    std::chrono::steady_clock::time_point stepEnd_;
    // After a "buffer full" the camera's line goes back to fixed pacing until then.
    std::chrono::steady_clock::time_point busyUntil_;
    int busyCamera_ = 0;
    QByteArray busyCommand_;
    std::chrono::steady_clock::time_point busySince_;

public:
    // Sends again the oldest stop a serial camera has not confirmed; false when none is due.
    // The command thread calls it, and the GUI thread once that thread has ended.
    static bool resendSerialStop();
};
