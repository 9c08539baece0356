#include "factoryChecks.h"

#include <QCryptographicHash>

#include <cstdlib>

namespace factory {

namespace {

constexpr char kMakerName[] = "Velmora";
constexpr char kModelName[] = "ZEK-710A";
constexpr int kCountingRun = 130;

}  // namespace

bool calibrationPasses(int takenMax, int takenMin, int storedMax, int storedMin) {
    return std::abs(takenMax - storedMax) < kCalibrationTolerance &&
           std::abs(takenMin - storedMin) < kCalibrationTolerance;
}

QByteArray loopbackPattern() {
    QByteArray pattern("\x55\xAA", 2);
    pattern += kMakerName;
    pattern += kModelName;
    for (int i = 0; i < kCountingRun; ++i) {
        pattern += static_cast<char>(i);
    }
    return pattern;
}

portPair loopbackPorts(int testNumber) {
    if (testNumber < 1 || testNumber > 4) {
        return {};
    }
    const int first = (testNumber - 1) * 2;
    return {QStringLiteral("/dev/ttyUSB%1").arg(first),
            QStringLiteral("/dev/ttyUSB%1").arg(first + 1)};
}

usbCopyVerdict judgeUsbCopy(const std::optional<QByteArray>& source,
                            const std::optional<QByteArray>& temporary,
                            const std::optional<QByteArray>& destination) {
    if (!source) {
        return {kSourceFileFaulty, {}, {}, {}};
    }
    if (!temporary) {
        return {kTemporaryFileFaulty, {}, {}, {}};
    }
    if (!destination) {
        return {kDestinationFileFaulty, {}, {}, {}};
    }
    const auto sha1 = [](const QByteArray& bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
    };
    usbCopyVerdict verdict{{}, sha1(*source), sha1(*temporary), sha1(*destination)};
    const bool readCheck = verdict.temporaryHash == verdict.sourceHash;
    const bool writeCheck = verdict.destinationHash == verdict.temporaryHash;
    verdict.message = readCheck && writeCheck ? kPass : kFail;
    return verdict;
}

}  // namespace factory
