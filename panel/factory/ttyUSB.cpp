#include "ttyUSB.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPortInfo>

#include "pathResolver.h"

namespace {

constexpr int kWaitMs = 1000;

}  // namespace

ttyUSB::ttyUSB(QObject* parent) : QObject(parent) {}

ttyUSB::~ttyUSB() {
    closeSerialPort();
}

void ttyUSB::setName(const QString& name) {
    name_ = name;
}

QString ttyUSB::getName() const {
    return name_;
}

void ttyUSB::setBaudRate(int baud) {
    if (baud > 0) {
        baudRate_ = baud;
    }
}

void ttyUSB::setDataBit(int bits) {
    if (bits >= 5 && bits <= 8) {
        dataBits_ = static_cast<QSerialPort::DataBits>(bits);
    }
}

void ttyUSB::setParity(int parity) {
    switch (parity) {
        case 0:
            parity_ = QSerialPort::NoParity;
            break;
        case 2:
            parity_ = QSerialPort::EvenParity;
            break;
        case 3:
            parity_ = QSerialPort::OddParity;
            break;
        default:
            break;
    }
}

void ttyUSB::setStopBit(int stopBits) {
    switch (stopBits) {
        case 1:
            stopBits_ = QSerialPort::OneStop;
            break;
        case 2:
            stopBits_ = QSerialPort::TwoStop;
            break;
        case 3:
            stopBits_ = QSerialPort::OneAndHalfStop;
            break;
        default:
            break;
    }
}

void ttyUSB::setFlowControl(int flow) {
    switch (flow) {
        case 0:
            flowControl_ = QSerialPort::NoFlowControl;
            break;
        case 1:
            flowControl_ = QSerialPort::HardwareControl;
            break;
        case 2:
            flowControl_ = QSerialPort::SoftwareControl;
            break;
        default:
            break;
    }
}

QString ttyUSB::baudRateText() const {
    return QString::number(baudRate_);
}

QString ttyUSB::dataBitsText() const {
    return QString::number(static_cast<int>(dataBits_));
}

QString ttyUSB::parityText() const {
    switch (parity_) {
        case QSerialPort::EvenParity:
            return QStringLiteral("Even");
        case QSerialPort::OddParity:
            return QStringLiteral("Odd");
        default:
            return QStringLiteral("None");
    }
}

QString ttyUSB::stopBitsText() const {
    switch (stopBits_) {
        case QSerialPort::TwoStop:
            return QStringLiteral("2");
        case QSerialPort::OneAndHalfStop:
            return QStringLiteral("1.5");
        default:
            return QStringLiteral("1");
    }
}

QString ttyUSB::flowControlText() const {
    switch (flowControl_) {
        case QSerialPort::HardwareControl:
            return QStringLiteral("RTS/CTS");
        case QSerialPort::SoftwareControl:
            return QStringLiteral("XON/XOFF");
        default:
            return QStringLiteral("None");
    }
}

QString ttyUSB::openSerialPort(const QString& port) {
    closeSerialPort();
    name_ = port;
    port_.setPortName(QString::fromStdString(platform::resolvePath(port.toStdString())));
    if (!port_.open(QIODevice::ReadWrite)) {
        return port_.errorString();
    }
    const bool set = port_.setBaudRate(baudRate_) && port_.setDataBits(dataBits_) &&
                     port_.setParity(parity_) && port_.setStopBits(stopBits_) &&
                     port_.setFlowControl(flowControl_);
    if (!set) {
        const QString why = port_.errorString();
        port_.close();
        return why;
    }
    qDebug().noquote() << "Serial port" << name_ << "open:" << baudRateText() << dataBitsText()
                       << parityText() << stopBitsText() << flowControlText();
    return QStringLiteral("OK");
}

bool ttyUSB::isOpened() const {
    return port_.isOpen();
}

void ttyUSB::closeSerialPort() {
    if (port_.isOpen()) {
        port_.close();
    }
}

bool ttyUSB::writeData(const QByteArray& bytes) {
    if (!port_.isOpen()) {
        return false;
    }
    if (port_.write(bytes) != bytes.size()) {
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (port_.bytesToWrite() > 0) {
        const int left = kWaitMs - static_cast<int>(timer.elapsed());
        if (left <= 0 || !port_.waitForBytesWritten(left)) {
            return port_.bytesToWrite() == 0;
        }
    }
    return true;
}

bool ttyUSB::readData(QByteArray& bytes) {
    if (!port_.isOpen()) {
        return false;
    }
    if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(kWaitMs)) {
        return false;
    }
    bytes += port_.readAll();
    return true;
}

void ttyUSB::readAtLeast(QByteArray& bytes, int wanted, int budgetMs) {
    if (!port_.isOpen()) {
        return;
    }
    QElapsedTimer timer;
    timer.start();
    bytes += port_.readAll();
    while (bytes.size() < wanted) {
        const int left = budgetMs - static_cast<int>(timer.elapsed());
        if (left <= 0 || !port_.waitForReadyRead(left)) {
            break;
        }
        bytes += port_.readAll();
    }
}

void ttyUSB::discardInput() {
    if (port_.isOpen()) {
        port_.clear(QSerialPort::Input);
        port_.readAll();
    }
}

QStringList ttyUSB::getSerialInfoList() {
    QStringList names;
    if (platform::rootDirectory().empty()) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            names << info.portName();
        }
    } else {
        // Under a root the ports are what stands in for them in its /dev (links to lines).
        const QDir devices(QString::fromStdString(platform::resolvePath("/dev")));
        for (const QFileInfo& entry :
             devices.entryInfoList({"ttyUSB*", "ttyACM*", "ttyS*", "ttymxc*", "ttyAMA*"},
                                   QDir::System | QDir::Files, QDir::Name)) {
            if (entry.exists()) {  // a link whose line is gone is no port
                names << entry.fileName();
            }
        }
    }
    for (const QString& name : names) {
        qDebug().noquote() << "Portnames:" << name;
    }
    return names;
}
