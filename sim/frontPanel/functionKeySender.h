// The rotary-function keys reach the panel application as keyboard events on its window, so they
// are typed into that window with xdotool. Runs the tool asynchronously, one key at a time.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

#include <deque>

class FunctionKeySender : public QObject {
    Q_OBJECT
public:
    explicit FunctionKeySender(QObject* parent = nullptr);

    // keysym as xdotool names it ("XF86Launch7"); label only for messages.
    void send(const QString& keysym, const QString& label);

signals:
    // Text for the status line; empty after a key was delivered.
    void status(const QString& text);
    void delivered(const QString& label, const QString& windowId);

private:
    enum class Step { idle, search, key };
    struct Request {
        QString keysym;
        QString label;
    };
    void startNext();
    void finished(int exitCode, QProcess::ExitStatus exitStatus);
    void fail(const QString& text);

    QProcess process_;
    QTimer watchdog_;
    Step step_ = Step::idle;
    std::deque<Request> queue_;
    QString windowId_;
};
