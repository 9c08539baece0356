// The panel's state as last published, and the numbered events between the states published,
// kept for the clients of the event stream. The GUI thread publishes; the server's threads read
// and wait. A client that falls further behind than the events kept is told it lost some, rather
// than events being kept for it without bound.
#pragma once
#include <QJsonObject>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "panelSnapshot.h"

namespace automation {

class eventLog {
public:
    static constexpr std::size_t kEventsKept = 512;

    struct numberedState {
        panelSnapshot snapshot;
        std::uint64_t sequence = 0;  // the number of the last event this state includes
        bool published = false;      // false until the panel published a first state
    };
    struct event {
        std::uint64_t sequence;
        std::string type;
        std::string json;  // one line, with its "seq"
    };
    struct eventsAfter {
        std::vector<event> events;
        bool lost = false;    // events after the one asked for were dropped already
        bool closed = false;  // the log was closed: the stream ends
    };

    // A new state: the events between the last one and this, each numbered. The first state
    // makes no events. Returns the number of events it made.
    std::size_t publish(const panelSnapshot& snapshot);
    numberedState latest() const;
    // The events after `sequence`, waiting up to `wait` for the first one.
    eventsAfter after(std::uint64_t sequence, std::chrono::milliseconds wait) const;
    // Wakes every waiting reader and ends their streams; publish opens the log again.
    void close();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable published_;
    numberedState state_;
    std::deque<event> events_;
    bool closed_ = false;
};

// The JSON of one event for the event stream: its fields with "seq" added.
std::string eventJson(const QJsonObject& event, std::uint64_t sequence);

}  // namespace automation
