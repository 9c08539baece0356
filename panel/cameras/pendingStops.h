// Stops that a camera has not confirmed yet.
//
// A lost stop leaves a camera panning on air after the operator let go of the joystick. So every
// stop the panel sends (pan-tilt, zoom, focus) is kept here until the camera answers it with an
// acknowledgement or a completion. When the answer wait passes without one, the stop is sent again:
// on the next step of the round robin, at most kStopResends more times, then it is logged and
// dropped. A stop for a network camera whose connection is down waits for the connection (up to
// kConnectionWait) and is the first thing sent on it.
//
// A newer move of the same axis replaces the pending stop (a preset recall moves every axis); a
// newer stop joins it: one stop per axis and camera is kept, the newest. The command thread
// (serial cameras), the GUI thread (network cameras) and the key thread (a camera change) use the
// book: every call takes its lock.
#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

namespace visca {

// The axes a message concerns, as bits.
constexpr unsigned axisPanTilt = 1;
constexpr unsigned axisZoom = 2;
constexpr unsigned axisFocus = 4;

// Axes a VISCA message stops: 81 01 06 01 VV WW 03 03 FF (pan-tilt), 81 01 04 07 00 FF (zoom),
// 81 01 04 08 00 FF (focus). 0 for anything else.
unsigned stopAxes(const QByteArray& message);
// Axes a VISCA message sets moving: pan-tilt drive in any direction, zoom or focus drive, and a
// preset recall (every axis). 0 for anything else, stops included.
unsigned moveAxes(const QByteArray& message);

// What the VISCA answers received after a command say about it (answers as the camera sends them:
// 90 4z FF acknowledgement, 90 5z FF completion, 90 6z EE FF error).
enum class commandAnswer {
    silent,     // nothing that answers a command (nothing at all, or only inquiry answers)
    confirmed,  // an acknowledgement or a completion: the camera took it
    refused,    // an error other than "buffer full": it heard it and will not do it
    busy,       // 90 6z 03 FF, no free socket: not taken
};
commandAnswer judgeCommandAnswer(const QByteArray& answers);
// The same for the datagrams of a VISCA-over-IP camera: only replies (01 11) that carry the
// sequence number of the message count.
commandAnswer judgeViscaOverIpAnswer(const QList<QByteArray>& datagrams, qint64 sequence);

}  // namespace visca

constexpr int kStopResends = 7;
constexpr std::chrono::seconds kConnectionWait{60};

class pendingStops {
public:
    using clock = std::chrono::steady_clock;

    // Off only in a benchmark, to measure a panel that sends every stop once.
    static std::atomic<bool> resendEnabled;

    struct stop {
        int slot = 0;
        unsigned axes = 0;        // the axis it stops
        QByteArray message;       // the VISCA bytes
        QByteArray wire;          // what went on the wire last (VISCA over IP: header included)
        qint64 sequence = -1;     // VISCA over IP: the number it went with; -1 otherwise
        int sends = 0;            // sends so far
        clock::time_point since;  // first kept
    };

    // A message went to the camera in slot at sentAt and its answer was judged. A stop that was
    // not confirmed is kept (or its send counted when it is a resend) and is due at once; a
    // confirmed or refused stop is settled. A move drops the pending stops of its axes that were
    // kept before it went out (a stop kept while the move waited for its answer is newer).
    // Returns a stop that has used its budget (to be logged), if any.
    std::optional<stop> sent(int slot, const QByteArray& message, visca::commandAnswer answer,
                             clock::time_point sentAt = clock::time_point::max(),
                             const QByteArray& wire = {}, qint64 sequence = -1);
    // Stops that must go to a camera although nothing was sent yet (the camera is no longer the
    // controlled one, the panel ends): due at once.
    void add(int slot, const QByteArray& message);
    // The oldest pending stop among the slots accepted, without taking it.
    template <typename Accept>
    std::optional<stop> next(Accept accept) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const stop& s : stops_) {
            if (accept(s.slot)) {
                return s;
            }
        }
        return std::nullopt;
    }
    // Drops the stops that waited longer than kConnectionWait for their connection; returns them.
    std::vector<stop> expire(clock::time_point now, const std::vector<int>& waitingSlots);
    bool empty() const;
    std::vector<stop> all() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<stop> stops_;
};

extern pendingStops unconfirmedStops;
