// One serial port of the factory loop-back test: its settings (applied at the next open), open
// and close, and writes and reads that wait on the port with a budget.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>

class ttyUSB : public QObject {
    Q_OBJECT
public:
    explicit ttyUSB(QObject* parent = nullptr);
    ~ttyUSB() override;

    // The port's name as the system knows it ("/dev/ttyUSB0"); opened under the root.
    void setName(const QString& name);
    QString getName() const;
    void setBaudRate(int baud);
    void setDataBit(int bits);
    // 0 none, 2 even, 3 odd; anything else leaves the parity as it was.
    void setParity(int parity);
    // 1 one, 2 two, 3 one and a half; anything else leaves the stop bits as they were.
    void setStopBit(int stopBits);
    // 0 none, 1 hardware, 2 software; anything else leaves the flow control as it was.
    void setFlowControl(int flow);

    // The settings as text, for the log.
    QString baudRateText() const;
    QString dataBitsText() const;
    QString parityText() const;
    QString stopBitsText() const;
    QString flowControlText() const;

    // Names the port, opens it for reading and writing and applies the five settings. "OK", or
    // the port's error text when it cannot be opened or set up.
    QString openSerialPort(const QString& port);
    bool isOpened() const;
    void closeSerialPort();

    // Writes the bytes and waits up to 1000 ms for them to leave. False when the port is not
    // open or the bytes did not all go out in time.
    bool writeData(const QByteArray& bytes);
    // Waits up to 1000 ms for data to arrive, then appends everything available to `bytes`.
    // False when nothing arrived.
    bool readData(QByteArray& bytes);
    // Reads until `bytes` holds at least `wanted` bytes or `budgetMs` has passed; a line that
    // goes quiet ends the wait only at the budget.
    void readAtLeast(QByteArray& bytes, int wanted, int budgetMs);
    // Drops whatever has arrived and not been read.
    void discardInput();

    // The names of the serial ports present, each logged after "Portnames:".
    static QStringList getSerialInfoList();

private:
    QSerialPort port_;
    QString name_ = QStringLiteral("/dev/ttyUSB0");
    qint32 baudRate_ = 38400;
    QSerialPort::DataBits dataBits_ = QSerialPort::Data8;
    QSerialPort::Parity parity_ = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits_ = QSerialPort::OneStop;
    QSerialPort::FlowControl flowControl_ = QSerialPort::NoFlowControl;
};
