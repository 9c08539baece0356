#include "functionKeySender.h"

#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// The panel application's window title begins with this.
const char* const kPanelTitlePattern = "^ZEK-710A";
constexpr int kToolTimeoutMs = 2000;
// Keys typed faster than the tool runs are kept, but not without end.
constexpr std::size_t kMaxQueued = 16;

}  // namespace

FunctionKeySender::FunctionKeySender(QObject* parent) : QObject(parent) {
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        // Only our own child is stopped here; finished() then reports the failure.
        process_.kill();
    });
    connect(&process_, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &FunctionKeySender::finished);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            fail(QStringLiteral("xdotool could not be started: %1").arg(process_.errorString()));
        }
    });
}

void FunctionKeySender::send(const QString& keysym, const QString& label) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        emit status(QStringLiteral("%1 key not delivered: xdotool is not installed").arg(label));
        return;
    }
    if (queue_.size() >= kMaxQueued) {
        emit status(QStringLiteral("%1 key dropped: xdotool is not keeping up").arg(label));
        return;
    }
    queue_.push_back({keysym, label});
    if (step_ == Step::idle) {
        startNext();
    }
}

void FunctionKeySender::startNext() {
    if (queue_.empty()) {
        step_ = Step::idle;
        return;
    }
    // The window is looked up for every key: the panel application may have been restarted.
    step_ = Step::search;
    process_.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                               QString::fromLatin1(kPanelTitlePattern)});
    watchdog_.start(kToolTimeoutMs);
}

void FunctionKeySender::fail(const QString& text) {
    watchdog_.stop();
    emit status(text);
    if (!queue_.empty()) {
        queue_.pop_front();
    }
    startNext();
}

void FunctionKeySender::finished(int exitCode, QProcess::ExitStatus exitStatus) {
    watchdog_.stop();
    if (queue_.empty()) {
        step_ = Step::idle;
        return;
    }
    const Request& request = queue_.front();
    const QString output = QString::fromLocal8Bit(process_.readAllStandardOutput());
    const QString errors =
        QString::fromLocal8Bit(process_.readAllStandardError()).simplified().left(120);
    if (exitStatus != QProcess::NormalExit) {
        fail(QStringLiteral("%1 key not delivered: xdotool did not finish").arg(request.label));
        return;
    }
    if (step_ == Step::search) {
        windowId_.clear();
        static const QRegularExpression number(QStringLiteral("^[0-9]+$"));
        for (const QString& line : output.split('\n', Qt::SkipEmptyParts)) {
            if (number.match(line.trimmed()).hasMatch()) {
                windowId_ = line.trimmed();
                break;
            }
        }
        if (windowId_.isEmpty()) {
            fail(QStringLiteral("%1 key not delivered: no window titled \"ZEK-710A...\" on display "
                                "%2")
                     .arg(request.label, QString::fromLocal8Bit(qgetenv("DISPLAY"))));
            return;
        }
        step_ = Step::key;
        process_.start(
            QStringLiteral("xdotool"),
            {QStringLiteral("key"), QStringLiteral("--window"), windowId_, request.keysym});
        watchdog_.start(kToolTimeoutMs);
        return;
    }
    if (exitCode != 0) {
        fail(QStringLiteral("%1 key not delivered: xdotool failed (%2)")
                 .arg(request.label, errors.isEmpty() ? QString::number(exitCode) : errors));
        return;
    }
    emit delivered(request.label, windowId_);
    emit status(QString());
    queue_.pop_front();
    startNext();
}
