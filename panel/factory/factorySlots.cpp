// mainControl's factory tests, run from the test page in test mode: the T-bar calibration stored
// in the MCU, the loop-back test of pairs of camera serial ports and the USB stick copy test.
// Each runs in the GUI thread and reports its verdict with a signal.
#include <QDebug>
#include <QFile>
#include <QThread>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "commandRunner.h"
#include "factoryChecks.h"
#include "hardwareLink.h"
#include "mainControl.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "panelState.h"
#include "pathResolver.h"
#include "ttyUSB.h"

namespace {

// The MCU answers a calibration read again after this pause; the second answer is kept.
constexpr int kCalibrationRereadMs = 100;
constexpr int kAfterVerifyMs = 200;
// The bytes of the pattern take about 40 ms on the 38400-baud wire; a port waits this long for
// them to start arriving, then the read's own budget.
constexpr int kLoopbackSettleMs = 50;
constexpr int kLoopbackReadMs = 1000;
constexpr int kUsbNoticeMs = 50;

constexpr std::uint8_t kStoreTbarMax = 0x02;
constexpr std::uint8_t kStoreTbarMin = 0x03;

// A system path as the commands name it: unchanged on the panel, under the root elsewhere.
std::string at(const char* systemPath) {
    return platform::resolvePath(systemPath);
}

void run(const std::string& command) {
    platform::runCommand(command);
}

// The whole file, or nothing when it cannot be opened.
std::optional<QByteArray> readWhole(const char* systemPath) {
    QFile file(QString::fromStdString(at(systemPath)));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

// One direction of the loop-back test: the pattern out of `from`, read back on `to`.
bool loopOneWay(ttyUSB& from, ttyUSB& to, const QByteArray& pattern, const char* label) {
    // Whatever reached the receiving side before (an echo of the other direction, noise) is not
    // part of this direction.
    to.discardInput();
    QByteArray received;
    from.writeData(pattern);
    qDebug() << "ReadLen before=" << received.size();
    to.readAtLeast(received, pattern.size(), kLoopbackSettleMs + kLoopbackReadMs);
    qDebug() << "ReadLen after=" << received.size();
    const bool same = received == pattern;
    qDebug().noquote() << label << (same ? "OK" : "NOT OK");
    return same;
}

}  // namespace

void mainControl::callCalibration(int caliTarget) {
    {
        // Set under the line's lock: a key-loop pass either finished its exchange before this or
        // sees the flag and stays off the line.
        std::lock_guard<std::mutex> line(writeMutex);
        doingCalibration = true;
    }
    const mcuCommunicate protocol;
    if (caliTarget == factory::kCalibrateBottom || caliTarget == factory::kCalibrateTop) {
        const bool bottom = caliTarget == factory::kCalibrateBottom;
        std::string map;
        {
            std::lock_guard<std::mutex> lock(ledMapMutex);
            map = testKeyboardStatusStr[17];
        }
        writeKeyBoard(&my_serial_stream, map);
        const int position = g_HardwareState.get().tBarValue;
        if (bottom) {
            tbarCurrentMin = position;
            qDebug() << "TBar Cali Current Min:" << tbarCurrentMin;
        } else {
            tbarCurrentMax = position;
            qDebug() << "TBar Cali Current Max:" << tbarCurrentMax;
        }
        std::lock_guard<std::mutex> line(writeMutex);
        sendCommandtoMcu(protocol.settingTbar(bottom ? kStoreTbarMin : kStoreTbarMax),
                         my_serial_stream);
        return;  // the key loop stays off the line until the verify step
    }
    if (caliTarget == factory::kCalibrateVerify) {
        readTBarCaliState(&my_serial_stream);
        QThread::msleep(kCalibrationRereadMs);
        const calibrateTbarPar stored = readTBarCaliState(&my_serial_stream);
        qDebug() << "TBar Cali Max:" << stored.maxValue << tbarCurrentMax;
        qDebug() << "TBar Cali Min:" << stored.minValue << tbarCurrentMin;
        const bool pass =
            stored.isKnown() && factory::calibrationPasses(tbarCurrentMax, tbarCurrentMin,
                                                           stored.maxValue, stored.minValue);
        emit refreshCaliMsg(pass ? factory::kPass : factory::kFail, factory::kCalibrateVerify);
        QThread::msleep(kAfterVerifyMs);
    }
    doingCalibration = false;
}

void mainControl::callRS422Check(int testNumber) {
    const factory::portPair ports = factory::loopbackPorts(testNumber);
    qDebug().noquote()
        << QStringLiteral("Port %1 and %2 test:").arg(testNumber * 2 - 1).arg(testNumber * 2);
    bool pass = false;
    if (!ports.first.isEmpty()) {
        for (ttyUSB* port : {ttyUSB0, ttyUSB1}) {
            port->setBaudRate(38400);
            port->setDataBit(8);
            port->setParity(0);
            port->setStopBit(1);
            port->setFlowControl(0);
        }
        const QString firstOpen = ttyUSB0->openSerialPort(ports.first);
        const QString secondOpen = ttyUSB1->openSerialPort(ports.second);
        if (firstOpen != "OK") {
            qDebug().noquote() << ports.first << "not open:" << firstOpen;
        }
        if (secondOpen != "OK") {
            qDebug().noquote() << ports.second << "not open:" << secondOpen;
        }
        const QByteArray pattern = factory::loopbackPattern();
        const bool forth = loopOneWay(*ttyUSB0, *ttyUSB1, pattern, "tty0 to tty1");
        const bool back = loopOneWay(*ttyUSB1, *ttyUSB0, pattern, "tty1 to tty0");
        pass = forth && back;
        ttyUSB0->closeSerialPort();
        ttyUSB1->closeSerialPort();
    }
    emit refreshRS422Msg(pass ? factory::kPass : factory::kFail, testNumber);
}

void mainControl::callUSBCheck(int testNumber) {
    emit refreshUSBButtonText(factory::kPleaseWait, testNumber);
    QThread::msleep(kUsbNoticeMs);
    if (testNumber == 1) {
        run("mount " + at("/dev/sda1") + " " + at("/mnt"));
    } else if (testNumber == 2) {
        run("umount " + at("/dev/sda1") + " " + at("/mnt"));
        run("mount " + at("/dev/sdb1") + " " + at("/mnt"));
    } else {
        qDebug() << "USB check: no stick" << testNumber;
        emit refreshUSBMsg(factory::kFail, testNumber);
        return;
    }
    const std::string source = at("/mnt/velmora/test.png");
    const std::string temporary = at("/home/zek710a/application/test.png");
    const std::string destination = at("/mnt/velmora/test2.png");
    run("cp -f " + source + " " + temporary);
    run("sync");
    run("cp -f " + temporary + " " + destination);
    run("sync");

    // Read in order; a file that cannot be opened ends the reading.
    const std::optional<QByteArray> sourceBytes = readWhole("/mnt/velmora/test.png");
    const std::optional<QByteArray> temporaryBytes =
        sourceBytes ? readWhole("/home/zek710a/application/test.png") : std::nullopt;
    const std::optional<QByteArray> destinationBytes =
        temporaryBytes ? readWhole("/mnt/velmora/test2.png") : std::nullopt;
    const factory::usbCopyVerdict verdict =
        factory::judgeUsbCopy(sourceBytes, temporaryBytes, destinationBytes);
    if (destinationBytes) {
        qDebug().noquote() << "Source Hash" << verdict.sourceHash;
        qDebug().noquote() << "Mid Hash" << verdict.temporaryHash;
        qDebug().noquote() << "Dest Hash" << verdict.destinationHash;
    }
    // Copies left behind by a test that stopped early could make a later run compare stale
    // files, so they go in every case.
    run("rm -f " + temporary);
    run("sync");
    run("rm -f " + destination);
    run("sync");
    emit refreshUSBMsg(verdict.message, testNumber);
}
