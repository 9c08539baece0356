// Sending to cameras from the GUI thread: network steps of the round robin, direct sends to the
// on-screen camera and to a given camera, the serial mode switch, the serial scan, hand entry.
#include <QDebug>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>
#include <thread>

#include "cameraLines.h"
#include "cameraRules.h"
#include "connectionSettle.h"
#include "hardwareLink.h"
#include "mainControl.h"
#include "networkConfig.h"
#include "panelState.h"
#include "pendingStops.h"
#include "viscaCommands.h"
#include "workers.h"

namespace {

constexpr quint16 kHcipPort = 5002;
constexpr quint16 kViscaPort = 52381;
constexpr int kWriteWaitMs = 1000;
constexpr int kAnswerWaitMs = 1000;
constexpr int kAnswerSettleMs = 50;
// The serial probe: a pause before a line is opened, after it is opened, and for the answer.
constexpr int kProbeOpenPauseMs = 10;
constexpr int kProbeAskPauseMs = 30;
constexpr int kProbeAnswerMs = 120;
constexpr std::chrono::milliseconds kAnswerSettle{kAnswerSettleMs};
constexpr int kConnectWaitMs = 2000;

void sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

// Slot of a camera number. Numbers come from the screens and from the settings file, so one out
// of range is held to the table rather than trusted as an index.
int slotOf(int cameraNumber) {
    return std::clamp(cameraNumber - 1, 0, kCameraSlots - 1);
}

// Waits out the answer time after a write, handing what arrives to take() as it comes. A socket
// of the GUI thread only fills its buffer when it is told to look at the network, which a plain
// sleep never does: reading after a sleep would find nothing, however much the camera sent.
// With answer pacing the wait ends as soon as done() says the answer is complete.
template <typename Take, typename Done>
void collectWithin(QAbstractSocket* socket, std::chrono::milliseconds wait, Take take, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    take();
    for (;;) {
        if (!fixedCameraPacing && done()) {
            return;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        if (!socket->waitForReadyRead(static_cast<int>(left.count()))) {
            // Nothing more, or closed or broken: the step still takes its time.
            std::this_thread::sleep_until(deadline);
            break;
        }
        take();
    }
    take();
}

// The datagrams a VISCA-over-IP camera sends within the wait, each whole, until done(datagrams).
template <typename Done>
QList<QByteArray> datagramsWithin(QUdpSocket* socket, std::chrono::milliseconds wait, Done done) {
    QList<QByteArray> datagrams;
    collectWithin(
        socket, wait,
        [&] {
            while (socket->hasPendingDatagrams()) {
                datagrams.append(socket->receiveDatagram().data());
            }
        },
        [&] { return done(datagrams); });
    return datagrams;
}

QList<QByteArray> datagramsNow(QUdpSocket* socket) {
    return datagramsWithin(socket, std::chrono::milliseconds(0),
                           [](const QList<QByteArray>&) { return true; });
}

// Writes a whole message; false when the socket took less.
bool writeWhole(QAbstractSocket* socket, const QByteArray& message) {
    const bool taken = socket->write(message) == message.size();
    socket->waitForBytesWritten(kWriteWaitMs);
    return taken && socket->state() == QAbstractSocket::ConnectedState;
}

bool servedBySerialLine(int slot) {
    return useSerialPort && slot < kSerialCameras;
}

using waitingFor = visca::answerTracker::waitingFor;

// A network camera's answers, followed across exchanges (GUI thread only): whole HCIP envelopes,
// or bare VISCA datagrams, go to its tracker.
struct networkAnswers {
    QByteArray pending;  // the start of an HCIP envelope still on its way
    visca::answerTracker tracker;

    void feedHcip(const QByteArray& received) {
        pending += received;
        int at = 0;
        while (at + 2 <= pending.size()) {
            const int length =
                static_cast<quint8>(pending[at]) << 8 | static_cast<quint8>(pending[at + 1]);
            if (length < 3) {
                pending.clear();  // no envelope starts here: what is left is noise
                return;
            }
            if (at + length > pending.size()) {
                break;
            }
            tracker.feed(pending.mid(at + 2, length - 2));
            at += length;
        }
        pending.remove(0, at);
    }
};
std::array<networkAnswers, kCameraSlots> answersOf;

visca::exchangeResult resultOf(const visca::answerTracker& tracker) {
    return {tracker.answer(), tracker.over(), tracker.bufferFull(),
            tracker.socketsInUse() >= visca::kCommandSockets};
}

// Writes message to HCIP camera slot and collects its answer within the answer wait; with
// answer pacing the wait ends as soon as the answer is complete.
visca::exchangeResult hcipSend(QTcpSocket* socket, int slot, const QByteArray& message) {
    networkAnswers& answers = answersOf[static_cast<std::size_t>(slot)];
    answers.feedHcip(socket->readAll());  // answers that came late to earlier messages
    answers.tracker.begin(waitingFor::commandAnswer);
    if (!writeWhole(socket, visca::hcipEnvelope(message))) {
        return {};
    }
    collectWithin(
        socket, kAnswerSettle, [&] { answers.feedHcip(socket->readAll()); },
        [&] { return answers.tracker.over(); });
    return resultOf(answers.tracker);
}

// Reads what the socket has now and what arrives within the wait.
QByteArray readAnswer(QAbstractSocket* socket, bool waitForData) {
    if (waitForData && socket->bytesAvailable() == 0) {
        socket->waitForReadyRead(kAnswerWaitMs);
    }
    return socket->readAll();
}

}  // namespace

void mainControl::routeToOnScreen(const QByteArray& message) {
    if (currentStatusOnScreen == currentControl) {
        cameraCommandRingBuf.append(message);
    } else {
        sendOnScreenCommand(message);
    }
}

void mainControl::raiseUnreachable(int cameraNumber) {
    const int slot = slotOf(cameraNumber);
    const QString address = cameraDevice.camera(slot).hcipnetwork.ipadd;
    // Once per loss: after the operator confirmed it, a camera that is still down shows it on
    // its tile and key while the panel connects it again in the background, and the round robin
    // goes on (its command waits in the queue) instead of stopping at every step.
    if (!address.isEmpty() && cameraLinks[slot].unreachableShown) {
        return;
    }
    const QString message =
        unreachableMessage(cameraNumber, address, udpsocketBindAddress.toString());
    camStatusCounter = 0;
    runRobin = false;
    if (!address.isEmpty()) {
        cameraLinks[slot].unreachableShown = true;
    }
    emit cameraConnectState(cameraNumber, message, 10);
}

QByteArray mainControl::hcipExchange(int slot, const QByteArray& message, int minimumAnswer) {
    QTcpSocket* socket = zek710aTcpsocket[slot];
    networkAnswers& answers = answersOf[static_cast<std::size_t>(slot)];
    answers.feedHcip(socket->readAll());  // an answer that came too late to its own request
    answers.tracker.begin(waitingFor::inquiryAnswer);
    socket->write(visca::hcipEnvelope(message));
    socket->waitForBytesWritten(kWriteWaitMs);
    if (fixedCameraPacing) {
        sleepMs(kAnswerSettleMs);
        answers.feedHcip(readAnswer(socket, true));
        // The answer may still be on its way in pieces.
        int received = answers.tracker.answer().size() + 2;
        while (received < minimumAnswer && socket->waitForReadyRead(kAnswerSettleMs)) {
            answers.feedHcip(socket->readAll());
            received = answers.tracker.answer().size() + 2;
        }
    } else {
        collectWithin(
            socket, std::chrono::milliseconds(kAnswerSettleMs + kAnswerWaitMs),
            [&] { answers.feedHcip(socket->readAll()); }, [&] { return answers.tracker.over(); });
    }
    // In its envelope again, as the callers read it.
    return answers.tracker.over() ? visca::hcipEnvelope(answers.tracker.answer()) : QByteArray();
}

void mainControl::tcpCommand() {
    // However the step ends, the round robin may ask for the next one.
    struct stepDone {
        ~stepDone() { commandWorker::networkStepPending = false; }
    } done;
    if (resendNetworkStop()) {
        return;
    }
    const int control = currentControl;
    const int onScreen = currentStatusOnScreen;
    const int controlSlot = slotOf(control);
    const int onScreenSlot = slotOf(onScreen);
    if (useSerialPort && control < 9) {
        return;
    }
    // A tally lamp's answer is still on its way from one of the two: the step waits for the
    // next pass, so that answer is not read as this step's.
    if (lampAnswerSlot == controlSlot || lampAnswerSlot == onScreenSlot) {
        return;
    }
    if (cameraDevice.camera(controlSlot).useVisca || cameraDevice.camera(onScreenSlot).useVisca) {
        viscaCommandFor(control);
        return;
    }
    QByteArray retryBlock;
    const bool retrying = takeBusyRetry(controlSlot, retryBlock);
    if (cameraCommandRingBuf.isEmpty() && !retrying) {
        const int counter = camStatusCounter;
        if (counter == 15) {
            if (zek710aTcpsocket[controlSlot]->state() != QAbstractSocket::ConnectedState) {
                qDebug() << "Connect broken:" << cameraDevice.camera(controlSlot).hcipnetwork.ipadd
                         << udpsocketBindAddress.toString();
                raiseUnreachable(control);
                return;
            }
            QByteArray answer = hcipExchange(controlSlot, visca::camStatusInquiry(), 17);
            if (answer.size() < 15) {
                ++camStatusCounter;
                return;
            }
            answer = visca::hcipAnswerBody(answer);
            orb_camera_info record;
            bool applied = false;
            cameraDevice.update(controlSlot, [&](orb_camera_info& r) {
                applied = visca::applyStatusBlock(answer, r, visca::speedRule::controlCamera);
                record = r;
            });
            if (applied) {
                applyControlCameraRules(record, visca::statusSpeedMode(answer));
            }
        } else if (counter == 8) {
            if ((useSerialPort && onScreen < 9) ||
                zek710aTcpsocket[onScreenSlot]->state() != QAbstractSocket::ConnectedState) {
                ++camStatusCounter;
                return;
            }
            QByteArray answer = hcipExchange(onScreenSlot, visca::camStatusInquiry(), 17);
            if (answer.size() < 3) {
                ++camStatusCounter;
                return;
            }
            if (answer.size() < 15) {
                qDebug() << "TCP GetStatus not enough Length." << answer.size();
                ++camStatusCounter;
                return;
            }
            answer = visca::hcipAnswerBody(answer);
            orb_camera_info record;
            bool applied = false;
            cameraDevice.update(onScreenSlot, [&](orb_camera_info& r) {
                applied = visca::applyStatusBlock(answer, r, visca::speedRule::onScreenCamera);
                record = r;
            });
            if (!applied) {
                return;
            }
            if (record.fmode == 2 || record.fmode == 3) {
                setCamFocus(record.fmode);
            }
            refreshUICamStatus();
        } else if (counter == 25 || counter == 35) {
            if (useSerialPort && onScreen <= 8) {
                return;
            }
            if (zek710aTcpsocket[onScreenSlot]->state() != QAbstractSocket::ConnectedState) {
                ++camStatusCounter;
                return;
            }
            const bool shutter = counter == 25;
            const QByteArray answer =
                hcipExchange(onScreenSlot, shutter ? visca::cmdShutter() : visca::cmdGain(), 8);
            const int position = visca::positionFromAnswer(answer, 6);
            if (position < 0) {
                return;
            }
            cameraDevice.update(onScreenSlot, [shutter, position](orb_camera_info& r) {
                (shutter ? r.shutter : r.gain) = position;
            });
            if (shutter) {
                setCamShutter(position);
            } else {
                setCamGain(position);
            }
            refreshUICamStatus();
        } else if (counter >= 38) {
            camStatusCounter = 0;
        }
        return;
    }

    if (zek710aTcpsocket[controlSlot]->state() != QAbstractSocket::ConnectedState) {
        // Stops wait for the connection outside the queue, which a camera change clears: they
        // are the first thing the camera gets when it is back.
        QByteArray stop;
        while (cameraCommandRingBuf.takeIf(
            stop, [](const QByteArray& b) { return visca::stopAxes(b) != 0; })) {
            unconfirmedStops.add(controlSlot, stop);
        }
        raiseUnreachable(control);
        return;
    }
    // The block is taken in one step and the length computed from it: a clear between a look at
    // the queue and the read would otherwise send an empty frame.
    // Only while the camera read above is still the controlled one: what was queued after a
    // selection belongs to the new camera.
    QByteArray block = retryBlock;
    if (!retrying && !cameraCommandRingBuf.takeIf(block, [control](const QByteArray&) {
            return currentControl == control;
        })) {
        return;
    }
    const QByteArray message = visca::hcipEnvelope(block);
    // A command sent again because the camera was busy is the same message on purpose.
    if (!retrying && !visca::passesDuplicateRule(message, cmdPrev.get(), 5)) {
        qDebug() << "Same Command";
        camStatusCounter = 0;
        return;
    }
    cmdPrev.set(message);
    const auto sentAt = pendingStops::clock::now();
    const visca::exchangeResult result =
        hcipSend(zek710aTcpsocket[controlSlot], controlSlot, block);
    if (result.bufferFull) {
        keepBusyCommand(controlSlot, block, retrying);
    }
    if (result.answered && cameraLinks[controlSlot].down) {
        setCameraDown(controlSlot, false);  // it answers: back before the supervisor's next look
    }
    if (!result.answer.isEmpty()) {
        camStatusCounter = 0;
    }
    unconfirmedStops.sent(controlSlot, block, visca::judgeCommandAnswer(result.answer), sentAt);
    commandWorker::networkCommandDone(result.answered && !result.bufferFull && !result.socketsFull,
                                      result.bufferFull);
}

bool mainControl::resendNetworkStop() {
    if (unconfirmedStops.empty()) {
        return false;
    }
    // An HCIP camera's stop waits for its connection, for a bounded time.
    std::vector<int> unconnected;
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        if (!servedBySerialLine(slot) && !cameraDevice.camera(slot).useVisca &&
            zek710aTcpsocket[slot]->state() != QAbstractSocket::ConnectedState) {
            unconnected.push_back(slot);
        }
    }
    for (const pendingStops::stop& s :
         unconfirmedStops.expire(std::chrono::steady_clock::now(), unconnected)) {
        qDebug().noquote() << "camera" << s.slot + 1 << "stop" << s.message.toHex(' ')
                           << "given up: not connected again within"
                           << static_cast<int>(kConnectionWait.count()) << "s";
    }
    // A camera whose tally lamp answer is still on its way waits for the next step, so that
    // answer is not taken for the stop's.
    const auto due = unconfirmedStops.next([this, &unconnected](int slot) {
        return !servedBySerialLine(slot) && slot != lampAnswerSlot &&
               std::find(unconnected.begin(), unconnected.end(), slot) == unconnected.end();
    });
    if (!due) {
        return false;
    }
    const int slot = due->slot;
    if (cameraDevice.camera(slot).useVisca) {
        bool sent = false;
        sendOverViscaUdp(slot, due->message, sent, &*due);
        if (!sent) {
            // No association to send on: counted, so the stop is not tried for ever.
            unconfirmedStops.sent(slot, due->message, visca::commandAnswer::silent);
        }
        return true;
    }
    const visca::exchangeResult result = hcipSend(zek710aTcpsocket[slot], slot, due->message);
    unconfirmedStops.sent(slot, due->message, visca::judgeCommandAnswer(result.answer));
    return true;
}

void mainControl::sendViscaSequenceReset(int slot) {
    QUdpSocket* socket = viscaUdpSockets[slot];
    // The camera takes the number of the next message as the start of its count again, so the
    // panel goes on with its own (saved) numbering.
    socket->write(visca::viscaOverIpSequenceReset());
    cameraLinks[slot].viscaResetDue = false;
    qDebug() << "camera" << slot + 1 << "VISCA over IP sequence reset before number"
             << cameraDevice.camera(slot).viscaSerial;
}

// Sends one message to a camera driven by VISCA over UDP. Returns what the camera answered
// within the waits (nothing for a socket that is not connected).
QByteArray mainControl::sendOverViscaUdp(int slot, const QByteArray& message, bool& sent,
                                         const pendingStops::stop* resend,
                                         visca::commandAnswer* verdictOut) {
    sent = false;
    QUdpSocket* socket = viscaUdpSockets[slot];
    if (socket->state() != QAbstractSocket::ConnectedState) {
        return {};
    }
    cameraLink& link = cameraLinks[slot];
    const bool withHeader = cameraDevice.camera(slot).protocolIndex == protocolViscaOverIp;
    // Answers that came after the last wait: a late answer still says the camera is there, and
    // a sequence error among them asks for a reset.
    bool answered = false;
    // The camera's answers, followed for its sockets (and, without the header, to tell which
    // answer is this message's).
    visca::answerTracker& answers = answersOf[static_cast<std::size_t>(slot)].tracker;
    const auto follow = [&answers, withHeader](const QByteArray& d) {
        if (!withHeader) {
            answers.feed(d);
        } else if (d.size() > 8 && d[0] == 0x01 && d[1] == 0x11) {
            answers.feed(d.mid(8));
        }
    };
    for (const QByteArray& late : datagramsNow(socket)) {
        answered = true;
        follow(late);
        if (withHeader &&
            visca::classifyViscaOverIpAnswer(late) == visca::viscaOverIpAnswer::sequenceError) {
            link.viscaResetDue = true;
        }
    }
    if (answered && link.down) {
        link.viscaResetDue = link.viscaResetDue || withHeader;
        setCameraDown(slot, false);
    }
    // A stop that went out under a number and was not answered goes again under that number.
    const bool retransmission =
        resend != nullptr && withHeader && resend->sequence >= 0 && !resend->wire.isEmpty();
    QByteArray answer;
    const auto sentAt = pendingStops::clock::now();
    QList<QByteArray> lastDatagrams;
    QByteArray datagram;
    qint64 sentSequence = -1;
    // A reset and a resend at most once: a camera that refuses the number right after a reset
    // is left for the next message.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool again = retransmission && attempt == 0;
        if (withHeader && link.viscaResetDue && !again) {
            sendViscaSequenceReset(slot);
        }
        const orb_camera_info record = cameraDevice.camera(slot);
        qint64 sequence = record.viscaSerial;
        if (again) {
            datagram = resend->wire;
            sentSequence = resend->sequence;
        } else if (withHeader) {
            datagram = visca::viscaOverIpEnvelope(message, sequence);
            sentSequence = sequence;
            ++sequence;
            cameraDevice.update(slot, [sequence](orb_camera_info& r) { r.viscaSerial = sequence; });
        } else {
            datagram = message;
        }
        if (resend == nullptr) {
            if (attempt == 0 && !sendingBusyRetry_ &&
                !visca::passesDuplicateRule(
                    datagram, cmdPrev.get(),
                    visca::viscaUdpCommandByteIndex(record.protocolIndex))) {
                qDebug() << "Same Command";
                camStatusCounter = 0;
                return {};
            }
            cmdPrev.set(datagram);
        }
        answers.begin(waitingFor::commandAnswer);
        socket->write(datagram);
        sent = true;
        // Kept for every camera driven by VISCA, whatever its protocol: only the header
        // protocol moves the number on, but the saved list always holds the camera's present
        // one.
        keepViscaSerial(record.hcipnetwork.ipadd, sequence);
        socket->waitForBytesWritten(kWriteWaitMs);
        // The wait ends at the reply under this message's number (or at a refused number), or,
        // without the header, at the answer the tracker takes for this message.
        std::size_t fed = 0;
        lastDatagrams = datagramsWithin(socket, kAnswerSettle, [&](const QList<QByteArray>& got) {
            for (; fed < static_cast<std::size_t>(got.size()); ++fed) {
                follow(got[static_cast<int>(fed)]);
            }
            if (withHeader) {
                return visca::judgeViscaOverIpAnswer(got, sentSequence) !=
                           visca::commandAnswer::silent ||
                       std::any_of(got.begin(), got.end(), [](const QByteArray& d) {
                           return visca::classifyViscaOverIpAnswer(d) ==
                                  visca::viscaOverIpAnswer::sequenceError;
                       });
            }
            return answers.over();
        });
        answer.clear();
        bool refusedNumber = false;
        for (const QByteArray& d : lastDatagrams) {
            answer += d;
            if (withHeader &&
                visca::classifyViscaOverIpAnswer(d) == visca::viscaOverIpAnswer::sequenceError) {
                refusedNumber = true;
            }
        }
        if (lastDatagrams.isEmpty()) {
            // Silent: it may have rebooted or lost its cable; when it answers again it may
            // expect numbers from 0, so the next new message goes after a reset.
            if (!link.down) {
                qDebug() << "camera" << slot + 1 << record.hcipnetwork.ipadd << "does not answer";
            }
            link.viscaResetDue = link.viscaResetDue || withHeader;
            setCameraDown(slot, true);
            break;
        }
        setCameraDown(slot, false);
        if (!refusedNumber) {
            break;
        }
        qDebug() << "camera" << slot + 1 << "refused sequence number" << sentSequence;
        link.viscaResetDue = true;
        if (attempt == 1) {
            break;
        }
    }
    if (!withHeader) {
        // Whatever arrived after the wait ended early is read with the next exchange.
        answer = answers.answer();
    }
    const visca::commandAnswer verdict =
        withHeader ? visca::judgeViscaOverIpAnswer(lastDatagrams, sentSequence)
                   : visca::judgeCommandAnswer(answer);
    if (verdictOut != nullptr) {
        *verdictOut = verdict;
    }
    unconfirmedStops.sent(slot, message, verdict, sentAt, datagram, withHeader ? sentSequence : -1);
    return answer;
}

bool mainControl::takeBusyRetry(int slot, QByteArray& block) {
    if (busyRetry_.block.isEmpty()) {
        return false;
    }
    const bool forThisCamera = busyRetry_.slot == slot;
    if (forThisCamera) {
        block = busyRetry_.block;
    }
    busyRetry_.block.clear();  // kept again by keepBusyCommand while the camera stays busy
    return forThisCamera;
}

void mainControl::keepBusyCommand(int slot, const QByteArray& block, bool wasRetry) {
    if (visca::stopAxes(block) != 0) {
        return;  // a stop has resends of its own
    }
    const auto now = std::chrono::steady_clock::now();
    if (!wasRetry) {
        qDebug().noquote() << "camera" << slot + 1 << "busy (buffer full):" << block.toHex(' ');
        busyRetry_.since = now;
    } else if (now - busyRetry_.since >= commandWorker::kBusyBackoff) {
        qDebug().noquote() << "camera" << slot + 1 << "stayed busy:" << block.toHex(' ')
                           << "dropped";
        return;
    }
    busyRetry_.slot = slot;
    busyRetry_.block = block;
}

void mainControl::viscaCommand() {
    viscaCommandFor(currentControl);
}

void mainControl::viscaCommandFor(int control) {
    const int slot = slotOf(control);
    QByteArray block;
    const bool retrying = takeBusyRetry(slot, block);
    if (cameraCommandRingBuf.isEmpty() && !retrying) {
        return;
    }
    if (viscaUdpSockets[slot]->state() != QAbstractSocket::ConnectedState) {
        raiseUnreachable(control);
        return;
    }
    if (!retrying && !cameraCommandRingBuf.takeIf(block, [control](const QByteArray&) {
            return currentControl == control;
        })) {
        return;
    }
    bool sent = false;
    visca::commandAnswer verdict = visca::commandAnswer::silent;
    sendingBusyRetry_ = retrying;
    const QByteArray answer = sendOverViscaUdp(slot, block, sent, nullptr, &verdict);
    sendingBusyRetry_ = false;
    if (verdict == visca::commandAnswer::busy) {
        keepBusyCommand(slot, block, retrying);
    }
    if (sent && answer.size() >= 3) {
        camStatusCounter = 0;
    }
    const bool socketsFull =
        answersOf[static_cast<std::size_t>(slot)].tracker.socketsInUse() >= visca::kCommandSockets;
    commandWorker::networkCommandDone(verdict != visca::commandAnswer::silent &&
                                          verdict != visca::commandAnswer::busy && !socketsFull,
                                      verdict == visca::commandAnswer::busy);
}

int mainControl::sendOnScreenCommand(QByteArray buf) {
    const int onScreen = currentStatusOnScreen;
    if (useSerialPort && onScreen < 9) {
        qDebug() << "sendOnScreenCommand currentStatusOnScreen" << onScreen << buf.size();
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        // The line is reopened whenever it does not hold the on-screen camera, whoever opened
        // it last (the round robin reopens the same line).
        if (camOnScreenHolds != onScreen) {
            closeCameraLine(camOnScreen);
            sleepMs(50);
            openCameraLine(camOnScreen, onScreen);
            camOnScreenHolds = onScreen;
        }
        prevScreen = onScreen;
        followHotPlug(camOnScreen, onScreen);
        const auto sentAt = pendingStops::clock::now();
        const visca::exchangeResult result =
            exchangeOnLine(camOnScreen, onScreen, buf, waitingFor::commandAnswer, kAnswerSettleMs);
        unconfirmedStops.sent(onScreen - 1, buf, visca::judgeCommandAnswer(result.answer), sentAt);
        return 0;
    }
    const int slot = slotOf(onScreen);
    const orb_camera_info record = cameraDevice.camera(slot);
    if (record.useVisca) {
        qDebug() << "sendOnScreenCommand currentOnScreenSocket" << slot << record.hcipnetwork.ipadd;
        bool sent = false;
        sendOverViscaUdp(slot, buf, sent);
        return 0;
    }
    qDebug() << "sendOnScreenCommand currentOnScreenSocket" << slot << record.hcipnetwork.ipadd;
    QTcpSocket* socket = zek710aTcpsocket[slot];
    if (socket->state() != QAbstractSocket::ConnectedState) {
        unconfirmedStops.add(slot, buf);  // a stop waits for the connection; nothing else does
        return 0;
    }
    const auto sentAt = pendingStops::clock::now();
    const visca::exchangeResult result = hcipSend(socket, slot, buf);
    qDebug() << "socketWrite len:" << buf.size() + 2;
    if (!result.answer.isEmpty()) {
        qDebug() << "socketRead len:" << result.answer.size();
    }
    unconfirmedStops.sent(slot, buf, visca::judgeCommandAnswer(result.answer), sentAt);
    return 0;
}

void mainControl::taskCommand(int cameraNum, QByteArray* cmdBuf) {
    const int slot = slotOf(cameraNum);
    if (cmdBuf == nullptr) {
        return;
    }
    if (cameraDevice.camera(slot).useVisca) {
        // The given command goes to the given camera over its own transport.
        bool sent = false;
        sendOverViscaUdp(slot, *cmdBuf, sent);
        camStatusCounter = 0;
        return;
    }
    hcipSend(zek710aTcpsocket[slot], slot, *cmdBuf);
    camStatusCounter = 0;
}

void mainControl::startRunRobin(bool start) {
    sleepMs(500);
    runRobin = start;
}

void mainControl::setRobin(bool run) {
    runRobin = run;
}

void mainControl::disconnectNetworkSlot(int slot) {
    zek710aTcpsocket[slot]->abort();
    viscaUdpSockets[slot]->abort();
}

void mainControl::connectNetworkSlot(int slot, const orb_camera_info& record, bool waitForIt) {
    if (record.useVisca) {
        viscaUdpSockets[slot]->connectToHost(QHostAddress(record.hcipnetwork.ipadd), kViscaPort);
    } else {
        zek710aTcpsocket[slot]->connectToHost(record.hcipnetwork.ipadd, kHcipPort,
                                              QIODevice::ReadWrite);
        zek710aTcpsocket[slot]->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // The socket only learns that it is connected when the GUI thread's events run; a
        // network step queued before that would find it still connecting and report the camera
        // unreachable. Waiting here settles it (a camera that answers costs no time); callers
        // that do not wait keep the round robin stopped until the connections settled.
        if (waitForIt) {
            zek710aTcpsocket[slot]->waitForConnected(kConnectWaitMs);
        }
    }
}

// The switch of "Serial Ports" on the system screen. The slots move at once; the network
// cameras' connections, and with the ports on the probe of the eight serial lines, pass on the
// GUI thread's timer and socket events under the busy indicator; serialPortsSwitched(on) tells
// the screens when the round robin runs again.
void mainControl::setUseSerialPort(bool onoff) {
    if (serialSwitchUnderWay) {
        qDebug() << "setUseSerialPort: a switch is under way";
        emit serialPortsSwitched(useSerialPort);
        return;
    }
    serialSwitchUnderWay = true;
    emit iAmBusy(true);
    qDebug() << "setUseSerialPort AAA" << currentControl.load();
    useSerialPort = onoff;
    runRobin = false;
    if (onoff) {
        g_HardwareState.update([](hardwareState& s) {
            if (s.keyPressTable.size() > 2) {
                s.keyPressTable[2] = 0;
            }
        });
    } else if (currentControl < 9) {
        saveSetting("system", "currentRS422", currentControl.load());
    }
    qDebug() << "setUseSerialPort BBB";
    camStatusCounter = 0;

    std::vector<QTcpSocket*> connecting;
    auto connectMoved = [this, &connecting](int slot, const orb_camera_info& moved) {
        connectNetworkSlot(slot, moved, false);
        if (!moved.useVisca) {
            connecting.push_back(zek710aTcpsocket[slot]);
        }
    };
    if (!onoff) {
        qDebug() << "setUseSerialPort close";
        {
            std::lock_guard<std::mutex> lock(cameraLinesMutex);
            closeCameraLine(camControl);
            closeCameraLine(camOnScreen);
            closeCameraLine(camScanner);
            camControlHolds = 0;
            camOnScreenHolds = 0;
        }
        for (int slot = 0; slot < kUsedCameraSlots; ++slot) {
            disconnectNetworkSlot(slot);
            qDebug() << "setUseSerialPort copy net to serial." << slot;
            disconnectNetworkSlot(slot + kSerialCameras);
            orb_camera_info moved;
            cameraDevice.updateAll([slot, &moved](std::array<hcip_device_info, kCameraSlots>& t) {
                t[slot] = t[slot + kSerialCameras];
                t[slot + kSerialCameras] = hcip_device_info{};
                moved = t[slot].orb;
            });
            if (moved.exist) {
                connectMoved(slot, moved);
            }
        }
        whenConnectionsSettle(this, connecting, kConnectWaitMs,
                              [this, onoff] { finishSerialSwitch(onoff); });
        return;
    }
    qDebug() << "setUseSerialPort open";
    for (int slot = kCameraSlots - 1; slot >= 0; --slot) {
        disconnectNetworkSlot(slot);
        if (slot < kSerialCameras) {
            qDebug() << "AAA" << slot << "empty item";
            cameraDevice.updateDevice(slot, [](hcip_device_info& d) { d = hcip_device_info{}; });
            continue;
        }
        qDebug() << "bbb" << slot << "copy item";
        orb_camera_info moved;
        cameraDevice.updateAll([slot, &moved](std::array<hcip_device_info, kCameraSlots>& t) {
            t[slot] = t[slot - kSerialCameras];
            moved = t[slot].orb;
        });
        if (moved.exist) {
            connectMoved(slot, moved);
        }
    }
    using clock = std::chrono::steady_clock;
    const clock::time_point connectDeadline =
        clock::now() + std::chrono::milliseconds(kConnectWaitMs);
    probeSerialPortsThen(0, [this, onoff, connecting, connectDeadline] {
        {
            std::lock_guard<std::mutex> lock(cameraLinesMutex);
            openCameraLine(camControl, 1);
            openCameraLine(camOnScreen, 2);
            camControlHolds = 1;
            camOnScreenHolds = 2;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(connectDeadline - clock::now());
        whenConnectionsSettle(this, connecting, std::max<int>(0, static_cast<int>(left.count())),
                              [this, onoff] { finishSerialSwitch(onoff); });
    });
}

void mainControl::finishSerialSwitch(bool onoff) {
    for (int slot = 0; slot < kUsedCameraSlots; ++slot) {
        qDebug() << "zek710aTcpsocket state:" << slot << zek710aTcpsocket[slot]->state();
    }
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        qDebug() << "CamControl and camOnScreen opened:" << camControl.IsOpen()
                 << camOnScreen.IsOpen();
    }
    saveSetting("system", "useRS422", onoff);
    runRobin = true;
    serialSwitchUnderWay = false;
    emit iAmBusy(false);
    emit serialPortsSwitched(onoff);
}

bool mainControl::getUseSerialPort() const {
    return useSerialPort;
}

// Each serial line in turn: opened with its camera's saved settings, asked for the camera's
// version, the answer taken 120 ms later. At start-up the steps wait in place; the switch of the
// screens runs them on the timer.
serial_port_info mainControl::openSerialProbe(int j) {
    QSettings& settings = zek710aSettings();
    // Read and written back, so that the defaults are stored.
    const serial_port_info info = readSerialInfoGroup(settings, j + 1);
    writeSerialInfoGroup(settings, j + 1, info);
    settings.sync();
    std::lock_guard<std::mutex> lock(cameraLinesMutex);
    rememberLineSettings(j + 1, info);
    openCameraLine(camScanner, j + 1, info);
    return info;
}

void mainControl::askSerialProbe() {
    std::lock_guard<std::mutex> lock(cameraLinesMutex);
    writeCameraLine(camScanner, visca::cmdVersion());
}

void mainControl::finishSerialProbe(int j, const serial_port_info& info) {
    QByteArray answer;
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        answer = readAvailable(camScanner);
    }
    finishSerialProbe(j, info, answer);
}

void mainControl::finishSerialProbe(int j, const serial_port_info& info, const QByteArray& answer) {
    const QString model = visca::modelFromVersionAnswer(answer);
    {
        std::lock_guard<std::mutex> lock(cameraLinesMutex);
        closeCameraLine(camScanner);
    }
    const bool exist = !model.isNull();
    cameraDevice.update(j, [&](orb_camera_info& r) {
        r.exist = exist;
        if (exist) {
            r.cameraModel = model;
            r.hcipnetwork.modelname = model;
            r.serialinfo.baudRate = info.baudRate;
            r.serialinfo.charSize = info.charSize;
            r.serialinfo.stopBits = info.stopBits;
            r.serialinfo.parity = info.parity;
            r.serialinfo.flowControl = info.flowControl;
        }
    });
    emit refreshCameraExist(j + 1, exist);
    saveSetting("SerialPorts", QStringLiteral("Cam%1_exist").arg(j + 1), exist);
}

void mainControl::scanSerialPorts() {
    if (!useSerialPort) {
        return;
    }
    for (int j = 0; j < kSerialCameras; ++j) {
        sleepMs(kProbeOpenPauseMs);
        const serial_port_info info = openSerialProbe(j);
        if (fixedCameraPacing) {
            sleepMs(kProbeAskPauseMs);
            askSerialProbe();
            sleepMs(kProbeAnswerMs);
            finishSerialProbe(j, info);
            continue;
        }
        // A line whose adapter is not there has nothing to wait for; on one that is, the wait
        // for the version answer ends with the answer.
        QByteArray answer;
        bool open = false;
        {
            std::lock_guard<std::mutex> lock(cameraLinesMutex);
            open = camScanner.IsOpen();
        }
        if (open) {
            sleepMs(kProbeAskPauseMs);
            std::lock_guard<std::mutex> lock(cameraLinesMutex);
            answer = exchangeOnLine(camScanner, j + 1, visca::cmdVersion(),
                                    waitingFor::inquiryAnswer, kProbeAnswerMs)
                         .answer;
        }
        finishSerialProbe(j, info, answer);
    }
}

void mainControl::probeSerialPortsThen(int j, std::function<void()> done) {
    if (j >= kSerialCameras || !useSerialPort) {
        done();
        return;
    }
    QTimer::singleShot(kProbeOpenPauseMs, this, [this, j, done] {
        const serial_port_info info = openSerialProbe(j);
        QTimer::singleShot(kProbeAskPauseMs, this, [this, j, info, done] {
            askSerialProbe();
            QTimer::singleShot(kProbeAnswerMs, this, [this, j, info, done] {
                finishSerialProbe(j, info);
                probeSerialPortsThen(j + 1, done);
            });
        });
    });
}

void mainControl::getSerialInfo(int camNum) {
    const serial_port_info info = cameraDevice.camera(camNum).serialinfo;
    qDebug() << "getSerialInfo: Cam" << camNum << info.baudRate;
    const serialInfoTexts t = serialInfoAsText(info);
    emit refreshSerialInfo(t.baudRate, t.charSize, t.parity, t.stopBits, t.flowControl);
}

void mainControl::setCurrentSerialBaudrate(int value) {
    qDebug() << "setCurrentSerialBaudrate" << value;
    cameraDevice.update(slotOf(currentStatusOnScreen),
                        [value](orb_camera_info& r) { r.serialinfo.baudRate = value; });
}
void mainControl::setCurrentSerialDataBit(int value) {
    qDebug() << "setCurrentSerialDataBit" << value;
    cameraDevice.update(slotOf(currentStatusOnScreen),
                        [value](orb_camera_info& r) { r.serialinfo.charSize = value; });
}
void mainControl::setCurrentSerialParity(int value) {
    qDebug() << "setCurrentSerialParity" << value;
    cameraDevice.update(slotOf(currentStatusOnScreen),
                        [value](orb_camera_info& r) { r.serialinfo.parity = value; });
}
void mainControl::setCurrentSerialStopBit(int value) {
    cameraDevice.update(slotOf(currentStatusOnScreen),
                        [value](orb_camera_info& r) { r.serialinfo.stopBits = value; });
}
void mainControl::setCurrentSerialFlowcontrol(int value) {
    cameraDevice.update(slotOf(currentStatusOnScreen),
                        [value](orb_camera_info& r) { r.serialinfo.flowControl = value; });
}
int mainControl::getCurrentSerialBaudrate() const {
    return cameraDevice.camera(slotOf(currentStatusOnScreen)).serialinfo.baudRate;
}
int mainControl::getCurrentSerialDataBit() const {
    return cameraDevice.camera(slotOf(currentStatusOnScreen)).serialinfo.charSize;
}
int mainControl::getCurrentSerialParity() const {
    return cameraDevice.camera(slotOf(currentStatusOnScreen)).serialinfo.parity;
}
int mainControl::getCurrentSerialStopBit() const {
    return cameraDevice.camera(slotOf(currentStatusOnScreen)).serialinfo.stopBits;
}
int mainControl::getCurrentSerialFlowcontrol() const {
    return cameraDevice.camera(slotOf(currentStatusOnScreen)).serialinfo.flowControl;
}

void mainControl::setAutoScan(bool doAuto) {
    autoScan = doAuto;
    saveSetting("system", "hcipautoscan", doAuto);
}

bool mainControl::getAutoScan() const {
    return autoScan;
}

void mainControl::setFixedCameraPacing(bool fixed) {
    fixedCameraPacing = fixed;
    qDebug() << "camera pacing:" << (fixed ? "fixed waits" : "by the cameras' answers");
    saveSetting("system", "fixedCameraPacing", fixed);
}

bool mainControl::getFixedCameraPacing() const {
    return fixedCameraPacing;
}

void mainControl::setRemoteSetupLocked(bool locked) {
    remoteSetupLocked = locked;
    qDebug() << "remote setup:" << (locked ? "locked" : "allowed");
    saveSetting("system", "remoteSetupLocked", locked);
}

bool mainControl::getRemoteSetupLocked() const {
    return remoteSetupLocked;
}

bool mainControl::getSeeNoMoreWarning(int /*index*/) const {
    const int slot = slotOf(currentControl);
    return slot < kUsedCameraSlots && noMoreWarning[slot];
}

void mainControl::setSeeNoMoreWarning(int /*index*/, bool enable) {
    for (std::atomic<bool>& flag : noMoreWarning) {
        flag = false;
    }
    qDebug() << "[setSeeNoMoreWarning]" << currentControl.load() << enable;
    const int slot = slotOf(currentControl);
    if (slot < kUsedCameraSlots) {
        noMoreWarning[slot] = enable;
    }
}

void mainControl::setCameraNetworkManual(int index, const QString& ip, int protocol) {
    if (index < 0 || index >= kCameraSlots) {
        return;
    }
    if (protocol < protocolHcip || protocol > protocolNdi) {
        qDebug() << "[setCameraNetworkManual] camera" << index + 1 << "protocol" << protocol
                 << "refused: not 0 to 3";
        return;
    }
    const std::string fault = netconfig::dottedQuadFault(ip.toStdString());
    if (!fault.empty()) {
        qDebug() << "[setCameraNetworkManual] camera" << index + 1 << "address" << ip
                 << "refused:" << QString::fromStdString(fault);
        return;
    }
    cameraDevice.update(index, [&ip](orb_camera_info& r) {
        r.hcipnetwork.manual = true;
        r.hcipnetwork.ipadd = ip;
    });
    const bool viaVisca = protocol == protocolViscaOverIp || protocol == protocolSimpleVisca;
    cameraDevice.update(index, [viaVisca, protocol](orb_camera_info& r) {
        r.useVisca = viaVisca;
        r.protocolIndex = protocol;
        r.exist = false;
    });
    if (!viaVisca) {
        QTcpSocket* socket = zek710aTcpsocket[index];
        socket->abort();
        sleepMs(300);
        socket->connectToHost(ip, kHcipPort, QIODevice::ReadWrite);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (socket->waitForConnected(kAnswerWaitMs)) {
            scan = 1;
        }
    } else {
        // VISCA over IP starts its UDP association afresh. Simple VISCA closes the TCP socket
        // instead and keeps an association that already goes to this camera; one to another
        // address would make the new one fail, so that one is dropped.
        QUdpSocket* udp = viscaUdpSockets[index];
        const bool sameCamera = udp->state() == QAbstractSocket::ConnectedState &&
                                udp->peerAddress() == QHostAddress(ip) &&
                                udp->peerPort() == kViscaPort;
        if (protocol == protocolSimpleVisca) {
            zek710aTcpsocket[index]->abort();
        }
        if (protocol == protocolViscaOverIp || !sameCamera) {
            udp->abort();
        }
        sleepMs(300);
        if (udp->state() != QAbstractSocket::ConnectedState) {
            udp->connectToHost(QHostAddress(ip), kViscaPort);
        }
        if (viscaUdpSockets[index]->state() == QAbstractSocket::ConnectedState) {
            scan = 1;
            if (protocol == protocolViscaOverIp) {
                saveViscaSerials();  // a number kept but not yet saved is the newer one
                QSettings& settings = zek710aSettings();
                settings.beginGroup("ViscaSerial");
                const qint64 sequence = settings.value(ip, 0).toLongLong();
                settings.endGroup();
                cameraDevice.update(index,
                                    [sequence](orb_camera_info& r) { r.viscaSerial = sequence; });
            }
        }
    }
    cameraDevice.update(index, [](orb_camera_info& r) { r.exist = true; });
    emit refreshCameraExist(index + 1, true);
}

void mainControl::keepViscaSerial(const QString& address, qint64 sequence) {
    unsavedViscaSerials[address] = sequence;
    const auto since = std::chrono::steady_clock::now() - viscaSerialsSavedAt;
    if (since >= kViscaSerialSavePeriod) {
        saveViscaSerials();
    } else if (!viscaSerialSaver->isActive()) {
        viscaSerialSaver->start(static_cast<int>(
            std::chrono::ceil<std::chrono::milliseconds>(kViscaSerialSavePeriod - since).count()));
    }
}

void mainControl::saveViscaSerials() {
    if (unsavedViscaSerials.empty()) {
        return;
    }
    QSettings& settings = zek710aSettings();
    settings.beginGroup("ViscaSerial");
    for (const auto& [address, sequence] : unsavedViscaSerials) {
        settings.setValue(address, sequence);
    }
    settings.endGroup();
    settings.sync();
    unsavedViscaSerials.clear();
    viscaSerialsSavedAt = std::chrono::steady_clock::now();
}

void mainControl::udpRcvReadPendingDatagrams() {
    while (viscaUdpSocketsRcv->hasPendingDatagrams()) {
        viscaUdpSocketsRcv->receiveDatagram();
    }
}
