#include "rescueControl.h"

#include <QDebug>

#include <string>

#include "commandRunner.h"
#include "functionKeyLamps.h"
#include "pathResolver.h"

namespace {

// One register of the function-key lamp expander (I2C bus 1, address 0x03).
void setLampRegister(int reg, int value) {
    platform::runCommand(i2csetCommand(reg, value));
}

}  // namespace

rescueControl::rescueControl(std::function<void(int)> exitProgram, QObject* parent)
    : QObject(parent), exitProgram_(std::move(exitProgram)) {}

void rescueControl::prepareRescue() {
    qDebug() << "prepareRescue";
    emit showMessage(QStringLiteral("ZEK-710A recovering. \nPlease wait..."));
}

int rescueControl::doRescue() {
    const std::string application = "/zek710amgrgui";
    const int copied = platform::runCommand(
        "sudo cp -f " + platform::resolvePath("/home/zek710a/application/prev") + application +
        " " + platform::resolvePath("/home/zek710a/application/current") + application);
    platform::runCommand("sync");
    platform::runCommand("sync");
    platform::runCommand("reboot");
    qDebug() << "COPY PREV TO CURRENT!" << copied;
    return copied;
}

void rescueControl::callSteps(int type) {
    int values[3] = {0x00, 0x00, 0x00};
    switch (type) {
        case 1:
            values[0] = 0x30;
            break;
        case 2:
            values[1] = 0x0C;
            break;
        case 3:
            values[2] = 0x03;
            break;
        case 4:
            values[2] = 0xC0;
            break;
        default:
            break;
    }
    setLampRegister(0x02, values[0]);
    setLampRegister(0x03, values[1]);
    setLampRegister(0x04, values[2]);
    if (type == 99 && exitProgram_) {
        exitProgram_(0);
    }
}

void rescueControl::keyLED(int type) {
    switch (type) {
        case 1:
            setLampRegister(0x02, 0x01);
            break;
        case 2:
            setLampRegister(0x02, 0x40);
            break;
        case 3:
            setLampRegister(0x03, 0x10);
            break;
        case 4:
            setLampRegister(0x04, 0x04);
            break;
        default:
            break;
    }
}
