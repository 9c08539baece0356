// The virtual MCU's control channel, run on a thread of its own so a slow or absent simulator
// never freezes the window. Polls the LED indices and the colour table, and sends the control
// changes the window asks for in the order they were made.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <deque>

#include "controlAnswers.h"
#include "controlClient.h"

class QTimer;

Q_DECLARE_METATYPE(frontpanel::LedIndices)
Q_DECLARE_METATYPE(frontpanel::ColourTable)

class McuChannel : public QObject {
    Q_OBJECT
public:
    explicit McuChannel(const QString& socketPath, QObject* parent = nullptr);

public slots:
    // Call on the channel's thread, once it runs.
    void start();
    // A control change. Changes sharing a non-empty coalesceKey (one per axis, slider, ...)
    // replace one another while still waiting, so dragging never builds up a backlog; key
    // presses and releases pass an empty key and are all sent, in order.
    void send(const QString& command, const QString& coalesceKey);

signals:
    void ledsUpdated(const frontpanel::LedIndices& leds);
    void coloursUpdated(const frontpanel::ColourTable& table);
    // Text for the status line; empty once the condition is over.
    void linkStatus(const QString& text);
    void commandStatus(const QString& text);

private slots:
    void pollPanel();
    void drain();

private:
    struct Pending {
        QString command;
        QString key;
    };
    bool call(const QString& command, std::string& answer);
    void setLinkStatus(const QString& text);

    frontpanel::ControlClient client_;
    QString socketPath_;
    std::deque<Pending> pending_;
    bool drainQueued_ = false;
    QTimer* pollTimer_ = nullptr;
    std::chrono::steady_clock::time_point nextConnect_{};
    QString linkStatus_;
    QString commandStatus_;
    bool commandsLost_ = false;  // commandStatus_ reports commands dropped while unreachable
    bool haveLeds_ = false;
    frontpanel::LedIndices leds_{};
    bool haveColours_ = false;
    frontpanel::ColourTable colours_;
};
