#include "eventLog.h"

#include <QJsonDocument>

namespace automation {

std::string eventJson(const QJsonObject& event, std::uint64_t sequence) {
    QJsonObject numbered = event;
    numbered.insert(QStringLiteral("seq"), static_cast<double>(sequence));
    return QJsonDocument(numbered).toJson(QJsonDocument::Compact).toStdString();
}

std::size_t eventLog::publish(const panelSnapshot& snapshot) {
    std::size_t made = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = false;
        if (state_.published) {
            for (const QJsonObject& change : eventsBetween(state_.snapshot, snapshot)) {
                ++state_.sequence;
                events_.push_back({state_.sequence,
                                   change.value(QStringLiteral("type")).toString().toStdString(),
                                   eventJson(change, state_.sequence)});
                ++made;
            }
            while (events_.size() > kEventsKept) {
                events_.pop_front();
            }
        }
        state_.snapshot = snapshot;
        state_.published = true;
    }
    if (made > 0) {
        published_.notify_all();
    }
    return made;
}

eventLog::numberedState eventLog::latest() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

eventLog::eventsAfter eventLog::after(std::uint64_t sequence,
                                      std::chrono::milliseconds wait) const {
    std::unique_lock<std::mutex> lock(mutex_);
    published_.wait_for(lock, wait, [&] { return closed_ || state_.sequence > sequence; });
    eventsAfter result;
    result.closed = closed_;
    if (closed_ || state_.sequence <= sequence) {
        return result;
    }
    if (events_.empty() || events_.front().sequence > sequence + 1) {
        result.lost = true;
        return result;
    }
    for (const event& e : events_) {
        if (e.sequence > sequence) {
            result.events.push_back(e);
        }
    }
    return result;
}

void eventLog::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    published_.notify_all();
}

}  // namespace automation
