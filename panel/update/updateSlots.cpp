// The screens' side of the software update: the version check and the install, with their
// progress and results as signals.
#include <QDebug>

#include <thread>

#include "mainControl.h"
#include "softwareUpdate.h"

namespace {

update::softwareUpdater::listeners listenersOf(mainControl* panel) {
    update::softwareUpdater::listeners tell;
    tell.progress = [panel](int percent) { emit panel->refreshProgress(percent); };
    tell.newVersion = [panel](bool upable, const std::string& appver, const std::string& mcuver) {
        emit panel->refreshNewVersion(upable, QString::fromStdString(appver),
                                      QString::fromStdString(mcuver));
    };
    tell.result = [panel](const std::string& result) {
        emit panel->upgradeResult(QString::fromStdString(result));
    };
    return tell;
}

void sleepFor(std::chrono::milliseconds pause) {
    std::this_thread::sleep_for(pause);
}

}  // namespace

// Both read the stick (an unzip, seconds on the board): they run on the background thread with
// the busy indicator up, and their outcome comes by the listeners' signals.
QString mainControl::getUpgradeVersion() {
    const std::string appVersion = currentSoftwareVersionString().toStdString();
    const std::string mcuVersion = getMcuVersion().toStdString();
    emit iAmBusy(true);
    const bool started =
        longOperation.start([this, appVersion, mcuVersion]() -> backgroundTask::report {
            update::softwareUpdater updater(listenersOf(this), sleepFor);
            updater.getUpgradeVersion(appVersion, mcuVersion);
            return [this] { emit iAmBusy(false); };
        });
    if (!started) {
        qDebug() << "version check not started: another operation is under way";
        emit iAmBusy(false);
        return QStringLiteral("BUSY");
    }
    return QString();
}

QString mainControl::callUpgrade() {
    const bool started = longOperation.start([this]() -> backgroundTask::report {
        // The result is told once the task is done, so the screens may go on at once.
        update::softwareUpdater::listeners tell = listenersOf(this);
        tell.result = nullptr;
        update::softwareUpdater updater(tell, sleepFor);
        const QString result = QString::fromStdString(updater.callUpgrade());
        return [this, result] { emit upgradeResult(result); };
    });
    if (!started) {
        qDebug() << "install not started: another operation is under way";
        emit upgradeResult(QStringLiteral("ERROR"));
        return QStringLiteral("BUSY");
    }
    return QString();
}
