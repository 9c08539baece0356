#include "pendingStops.h"

#include <QDebug>
#include <QList>

#include <algorithm>

namespace visca {

namespace {

quint8 at(const QByteArray& m, int i) {
    return static_cast<quint8>(m[i]);
}

bool isPanTiltDrive(const QByteArray& m) {
    return m.size() == 9 && at(m, 0) == 0x81 && at(m, 1) == 0x01 && at(m, 2) == 0x06 &&
           at(m, 3) == 0x01 && at(m, 8) == 0xFF;
}

// 81 01 04 CC pp FF
bool isDriveOf(const QByteArray& m, quint8 command) {
    return m.size() == 6 && at(m, 0) == 0x81 && at(m, 1) == 0x01 && at(m, 2) == 0x04 &&
           at(m, 3) == command && at(m, 5) == 0xFF;
}

}  // namespace

unsigned stopAxes(const QByteArray& message) {
    if (isPanTiltDrive(message)) {
        return at(message, 6) == 0x03 && at(message, 7) == 0x03 ? axisPanTilt : 0;
    }
    if (isDriveOf(message, 0x07) && at(message, 4) == 0x00) {
        return axisZoom;
    }
    if (isDriveOf(message, 0x08) && at(message, 4) == 0x00) {
        return axisFocus;
    }
    return 0;
}

unsigned moveAxes(const QByteArray& message) {
    if (isPanTiltDrive(message)) {
        return at(message, 6) == 0x03 && at(message, 7) == 0x03 ? 0 : axisPanTilt;
    }
    if (isDriveOf(message, 0x07) && at(message, 4) != 0x00) {
        return axisZoom;
    }
    if (isDriveOf(message, 0x08) && at(message, 4) != 0x00) {
        return axisFocus;
    }
    // 81 01 04 3F 02 pp FF
    if (message.size() == 7 && at(message, 0) == 0x81 && at(message, 1) == 0x01 &&
        at(message, 2) == 0x04 && at(message, 3) == 0x3F && at(message, 4) == 0x02) {
        return axisPanTilt | axisZoom | axisFocus;
    }
    return 0;
}

commandAnswer judgeCommandAnswer(const QByteArray& answers) {
    commandAnswer verdict = commandAnswer::silent;
    // Messages end at FF; an answer to a command is y0 4z FF, y0 5z FF or y0 6z EE FF with y the
    // camera's address (9 to F).
    int start = 0;
    while (start < answers.size()) {
        const int end = answers.indexOf('\xFF', start);
        if (end < 0) {
            break;
        }
        const QByteArray m = answers.mid(start, end - start + 1);
        start = end + 1;
        if (m.size() < 3 || (at(m, 0) & 0x8F) != 0x80 || at(m, 0) < 0x90) {
            continue;
        }
        const quint8 kind = at(m, 1) & 0xF0;
        if (m.size() == 3 && (kind == 0x40 || kind == 0x50)) {
            return commandAnswer::confirmed;
        }
        if (m.size() == 4 && kind == 0x60) {
            verdict = at(m, 2) == 0x03 ? commandAnswer::busy : commandAnswer::refused;
        }
    }
    return verdict;
}

commandAnswer judgeViscaOverIpAnswer(const QList<QByteArray>& datagrams, qint64 sequence) {
    commandAnswer verdict = commandAnswer::silent;
    const quint32 number = static_cast<quint32>(sequence);
    for (const QByteArray& d : datagrams) {
        if (d.size() < 8 || at(d, 0) != 0x01 || at(d, 1) != 0x11) {
            continue;
        }
        const quint32 carried = static_cast<quint32>(at(d, 4)) << 24 |
                                static_cast<quint32>(at(d, 5)) << 16 |
                                static_cast<quint32>(at(d, 6)) << 8 | at(d, 7);
        if (carried != number) {
            continue;
        }
        const commandAnswer v = judgeCommandAnswer(d.mid(8));
        if (v == commandAnswer::confirmed) {
            return v;
        }
        if (v != commandAnswer::silent) {
            verdict = v;
        }
    }
    return verdict;
}

}  // namespace visca

pendingStops unconfirmedStops;
std::atomic<bool> pendingStops::resendEnabled{true};

std::optional<pendingStops::stop> pendingStops::sent(int slot, const QByteArray& message,
                                                     visca::commandAnswer answer,
                                                     clock::time_point sentAt,
                                                     const QByteArray& wire, qint64 sequence) {
    std::lock_guard<std::mutex> lock(mutex_);
    const unsigned moving = visca::moveAxes(message);
    if (moving != 0) {
        stops_.erase(std::remove_if(stops_.begin(), stops_.end(),
                                    [&](const stop& s) {
                                        return s.slot == slot && (s.axes & moving) &&
                                               s.since <= sentAt;
                                    }),
                     stops_.end());
        return std::nullopt;
    }
    const unsigned axes = visca::stopAxes(message);
    if (axes == 0 || !resendEnabled) {
        return std::nullopt;
    }
    auto kept = std::find_if(stops_.begin(), stops_.end(),
                             [&](const stop& s) { return s.slot == slot && s.axes == axes; });
    if (answer == visca::commandAnswer::confirmed || answer == visca::commandAnswer::refused) {
        if (kept != stops_.end()) {
            stops_.erase(kept);
        }
        return std::nullopt;
    }
    if (kept == stops_.end() || kept->message != message) {
        // A new stop, or a newer one of the same axis that replaces the older.
        if (kept != stops_.end()) {
            stops_.erase(kept);
        }
        stops_.push_back(stop{slot, axes, message, wire, sequence, 1, clock::now()});
        qDebug().noquote() << "camera" << slot + 1 << "did not confirm stop" << message.toHex(' ')
                           << "(send 1): sending it again";
        return std::nullopt;
    }
    ++kept->sends;
    kept->wire = wire;
    kept->sequence = sequence;
    if (kept->sends <= kStopResends) {
        qDebug().noquote() << "camera" << slot + 1 << "did not confirm stop" << message.toHex(' ')
                           << "(send" << kept->sends << "): sending it again";
        return std::nullopt;
    }
    stop spent = *kept;
    stops_.erase(kept);
    qDebug().noquote() << "camera" << slot + 1 << "did not confirm stop" << message.toHex(' ')
                       << "after" << spent.sends << "sends: given up";
    return spent;
}

void pendingStops::add(int slot, const QByteArray& message) {
    const unsigned axes = visca::stopAxes(message);
    if (axes == 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    stops_.erase(std::remove_if(stops_.begin(), stops_.end(),
                                [&](const stop& s) { return s.slot == slot && s.axes == axes; }),
                 stops_.end());
    stops_.push_back(stop{slot, axes, message, {}, -1, 0, clock::now()});
}

std::vector<pendingStops::stop> pendingStops::expire(clock::time_point now,
                                                     const std::vector<int>& waitingSlots) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<stop> expired;
    auto waiting = [&](const stop& s) {
        return std::find(waitingSlots.begin(), waitingSlots.end(), s.slot) != waitingSlots.end() &&
               now - s.since >= kConnectionWait;
    };
    for (const stop& s : stops_) {
        if (waiting(s)) {
            expired.push_back(s);
        }
    }
    stops_.erase(std::remove_if(stops_.begin(), stops_.end(), waiting), stops_.end());
    return expired;
}

bool pendingStops::empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stops_.empty();
}

std::vector<pendingStops::stop> pendingStops::all() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stops_;
}

void pendingStops::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    stops_.clear();
}
