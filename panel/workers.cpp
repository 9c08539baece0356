#include "workers.h"

#include <QDebug>
#include <QThread>

#include "hardwareLink.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "panelState.h"
#include "stateEncoding.h"
#include "workItem.h"

keyWorker::~keyWorker() {
    if (pollItem_) {
        pollItem_->stop();
    }
    if (pollThread_.joinable()) {
        pollThread_.join();
    }
}

int keyWorker::rollingKeyStates() {
    qDebug() << "rollingKeyStates thread" << QThread::currentThreadId();
    const mcuCommunicate protocol;
    sendCommandtoMcu(protocol.askVersion(), my_serial_stream);

    // The periodic poll of the MCU is created parked: this loop polls the MCU itself.
    pollItem_ = makeHardwarePollItem(&my_serial_stream, [] { return genKeyInitialedTable(); });
    pollThread_ = startWorkerThread(*pollItem_);

    // One status exchange per pass: the MCU lights the LEDs of the live map and returns the
    // controls. The exchange's own waits set the pace. Key dispatch and joystick motion act on
    // the returned state.
    while (!stopRequested()) {
        writeKeyBoard(&my_serial_stream, liveLedMap());
        if (screenSaverMin != 0) {
            emit refreshTBarValue();
        }
    }
    return 0;
}

void rotaryWorker::startRotaryCheck() {
    qDebug() << "startRotaryCheck";
}

int tallyWorker::doTallyCheck() {
    qDebug() << "doTallyCheck";
    return 0;
}

void switcherWorker::connectSwitcher() {
    qDebug() << "connectSwitcher";
}
