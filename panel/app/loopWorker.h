// Base of the worker objects of the panel application: each runs one long loop on a thread of its
// own.
#pragma once

#include <QObject>

#include <atomic>

// Base of the loops: the panel never stops them; a test or a clean exit asks them to.
class loopWorker : public QObject {
    Q_OBJECT
public:
    virtual void requestStop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_.load(); }

private:
    std::atomic<bool> stopRequested_{false};
};
