#include <QDebug>

#include <thread>

#include "gpio.h"
#include "panelState.h"
#include "tallyState.h"
#include "tallyWorkers.h"

int tallyWorker::doTallyCheck() {
    qDebug() << "doTallyCheck";
    if (!mapGpioBlock()) {
        return 0;
    }
    isTallyCheckRunning = true;
    if (testmode) {
        testScan();
    } else if (currTallyMode == tally::kModeGpi) {
        tallyScan();
    }
    // Running means scanning: a poll that has ended must not keep a later start from happening.
    isTallyCheckRunning = false;
    return 0;
}

void tallyWorker::testScan() {
    // The factory test shows every input that reads high; nothing goes to the cameras.
    while (!stopRequested()) {
        for (const tally::gpiInput& input : tally::gpiScanOrder()) {
            if (stopRequested()) {
                return;
            }
            if (get_gpio_level(input.pin) == 1) {
                if (input.red) {
                    emit refreshTallyRed(input.channel);
                } else {
                    emit refreshTallyGreen(input.channel);
                }
            }
            std::this_thread::sleep_for(kTestPinPeriod);
        }
    }
}

void tallyWorker::tallyScan() {
    while (true) {
        for (const tally::gpiInput& input : tally::gpiScanOrder()) {
            if (!isTallyCheckRunning || stopRequested()) {
                return;
            }
            const int camera = gpiChannelCamera[input.channel - 1];
            if (camera >= 1) {
                const int value = get_gpio_level(input.pin) == 1 ? tally::kLampOn : tally::kLampOff;
                tallyArray.setLamp(camera, input.red, value);
            }
            std::this_thread::sleep_for(kPinPeriod);
        }
    }
}
