#include "rotaryInput.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

QStringList eventDeviceNames(const QString& directory) {
    // No readability filter: as a user without access to the input group the panel would
    // otherwise see no device at all and give up its start-up.
    QStringList names = QDir(directory).entryList({"event*"}, QDir::System | QDir::Files);
    // The ".name" files beside stand-in devices on developer machines are not devices.
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& name) { return name.endsWith(".name"); }),
                names.end());
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() < b.mid(5).toInt();
    });
    return names;
}

QString inputDeviceName(const QString& path) {
    QFile nameFile(path + ".name");
    if (nameFile.open(QIODevice::ReadOnly)) {
        return QString::fromUtf8(nameFile.readAll()).trimmed();
    }
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char buffer[256] = {};
    QString name;
    if (::ioctl(fd, EVIOCGNAME(sizeof buffer - 1), buffer) >= 0) {
        name = QString::fromLocal8Bit(buffer);
    }
    ::close(fd);
    return name;
}

std::vector<int> rotarySteps(const char* bytes, std::size_t length, std::vector<char>& pending) {
    pending.insert(pending.end(), bytes, bytes + length);
    std::vector<int> steps;
    std::size_t offset = 0;
    for (; offset + sizeof(input_event) <= pending.size(); offset += sizeof(input_event)) {
        input_event event{};
        std::memcpy(&event, pending.data() + offset, sizeof event);
        if (event.type == EV_REL && event.code == REL_X &&
            (event.value == 1 || event.value == -1)) {
            steps.push_back(event.value);
        }
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(offset));
    return steps;
}

int wallClockMsInHour() {
    const QTime now = QTime::currentTime();
    return now.minute() * 60000 + now.second() * 1000 + now.msec();
}

bool detentGate::accept(int nowMs) {
    if (std::abs(nowMs - lastMs_) < kMinimumGapMs) {
        return false;
    }
    lastMs_ = nowMs;
    return true;
}

int nextBacklightLevel(int level, int step) {
    constexpr int kStep = 500000;
    constexpr int kMax = 10000000;
    return step > 0 ? std::max(0, level - kStep) : std::min(kMax, level + kStep);
}
