#include "mcuChannel.h"

#include <QTimer>

namespace {

constexpr int kPollMs = 100;
constexpr int kAnswerTimeoutMs = 200;
// After a failure the simulator is probably gone; knocking ten times a second adds nothing.
constexpr auto kReconnectPause = std::chrono::seconds(1);

}  // namespace

McuChannel::McuChannel(const QString& socketPath, QObject* parent)
    : QObject(parent),
      client_(socketPath.toStdString(), kAnswerTimeoutMs),
      socketPath_(socketPath) {}

void McuChannel::start() {
    pollTimer_ = new QTimer(this);
    connect(pollTimer_, &QTimer::timeout, this, &McuChannel::pollPanel);
    pollTimer_->start(kPollMs);
    pollPanel();
}

void McuChannel::send(const QString& command, const QString& coalesceKey) {
    bool replaced = false;
    if (!coalesceKey.isEmpty()) {
        for (Pending& waiting : pending_) {
            if (waiting.key == coalesceKey) {
                waiting.command = command;
                replaced = true;
                break;
            }
        }
    }
    if (!replaced) {
        pending_.push_back({command, coalesceKey});
    }
    // Drained from the event loop, after the other changes already posted have been merged in.
    if (!drainQueued_) {
        drainQueued_ = true;
        QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
    }
}

bool McuChannel::call(const QString& command, std::string& answer) {
    if (!client_.connected() && std::chrono::steady_clock::now() < nextConnect_) {
        return false;
    }
    std::string error;
    if (client_.call(command.toStdString(), answer, error)) {
        return true;
    }
    nextConnect_ = std::chrono::steady_clock::now() + kReconnectPause;
    setLinkStatus(QStringLiteral("MCU unreachable: %1").arg(QString::fromStdString(error)));
    return false;
}

void McuChannel::drain() {
    drainQueued_ = false;
    while (!pending_.empty()) {
        const Pending next = pending_.front();
        pending_.pop_front();
        std::string answer;
        if (!call(next.command, answer)) {
            commandStatus_ = QStringLiteral("\"%1\" not sent: MCU unreachable").arg(next.command);
            commandsLost_ = true;
            emit commandStatus(commandStatus_);
            continue;
        }
        commandsLost_ = false;
        if (answer != "ok") {
            commandStatus_ =
                QStringLiteral("MCU refused \"%1\": %2")
                    .arg(next.command, QString::fromStdString(frontpanel::clipForMessage(answer)));
            emit commandStatus(commandStatus_);
        } else if (!commandStatus_.isEmpty()) {
            commandStatus_.clear();
            emit commandStatus(commandStatus_);
        }
    }
}

void McuChannel::setLinkStatus(const QString& text) {
    if (text != linkStatus_) {
        linkStatus_ = text;
        emit linkStatus(text);
    }
}

void McuChannel::pollPanel() {
    std::string answer;
    if (!call(QStringLiteral("get leds"), answer)) {
        return;
    }
    if (commandsLost_) {
        // The link is back; what was lost is history, and the next change goes through.
        commandsLost_ = false;
        commandStatus_.clear();
        emit commandStatus(commandStatus_);
    }
    std::string error;
    frontpanel::LedIndices leds{};
    if (!frontpanel::parseLedIndices(answer, leds, error)) {
        setLinkStatus(QString::fromStdString(error));
        return;
    }
    if (!haveLeds_ || leds != leds_) {
        haveLeds_ = true;
        leds_ = leds;
        emit ledsUpdated(leds);
    }
    if (!call(QStringLiteral("get colours"), answer)) {
        return;
    }
    frontpanel::ColourTable colours;
    if (!frontpanel::parseColourTable(answer, colours, error)) {
        setLinkStatus(QString::fromStdString(error));
        return;
    }
    if (!haveColours_ || !(colours == colours_)) {
        haveColours_ = true;
        colours_ = colours;
        emit coloursUpdated(colours);
    }
    if (!colours.present) {
        setLinkStatus(QStringLiteral(
            "no colour table yet (the panel has not initialised the MCU): keys shown grey"));
    } else {
        setLinkStatus(QString::fromStdString(colours.warning));
    }
}
