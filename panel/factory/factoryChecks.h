// The factory tests' rules on values alone: the loop-back pattern, the calibration verdict and
// the texts the test page shows. No line, no file, no MCU.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace factory {

// Verdicts and notices, as the test page shows them.
inline const QString kPass = QStringLiteral("正常");
inline const QString kFail = QStringLiteral("異常");
inline const QString kPleaseWait = QStringLiteral("請稍候");
inline const QString kSourceFileFaulty = QStringLiteral("來源檔異常");
inline const QString kTemporaryFileFaulty = QStringLiteral("暫存檔異常");
inline const QString kDestinationFileFaulty = QStringLiteral("目的檔異常");

// callCalibration's targets.
constexpr int kCalibrateBottom = 1;
constexpr int kCalibrateTop = 2;
constexpr int kCalibrateVerify = 99;

// The positions stored in the MCU may differ from the ones taken by less than this.
constexpr int kCalibrationTolerance = 200;

// Both stored ends within the tolerance of the positions taken when they were stored.
bool calibrationPasses(int takenMax, int takenMin, int storedMax, int storedMin);

// What goes out of one port of a pair and must come back unchanged on the other: 0x55 0xAA, the
// maker's name, the model name, then 130 bytes counting up from 0x00 to 0x81, so every bit of a
// byte toggles and a lost, doubled or swapped byte shifts every byte after it.
QByteArray loopbackPattern();

// The two ports of a loop-back pair (1..4): "/dev/ttyUSB0" and "/dev/ttyUSB1" for pair 1, up to
// "/dev/ttyUSB6" and "/dev/ttyUSB7"; empty names for any other number.
struct portPair {
    QString first;
    QString second;
};
portPair loopbackPorts(int testNumber);

// The USB copy test's verdict on the three files as read: the source on the stick, the copy on
// the panel and the copy back on the stick (nothing for a file that could not be opened). The
// message names the first file that could not be read; otherwise the copy on the panel must
// match the source (read check) and the copy back the copy on the panel (write check). The
// SHA-1 digests (hex) are those compared, empty when a file was missing.
struct usbCopyVerdict {
    QString message;
    QByteArray sourceHash;
    QByteArray temporaryHash;
    QByteArray destinationHash;
};
usbCopyVerdict judgeUsbCopy(const std::optional<QByteArray>& source,
                            const std::optional<QByteArray>& temporary,
                            const std::optional<QByteArray>& destination);

}  // namespace factory
