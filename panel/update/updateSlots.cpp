// The screens' side of the software update: the version check and the install, with their
// progress and results as signals.
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

QString mainControl::getUpgradeVersion() {
    update::softwareUpdater updater(listenersOf(this), sleepFor);
    return QString::fromStdString(updater.getUpgradeVersion(
        currentSoftwareVersionString().toStdString(), getMcuVersion().toStdString()));
}

QString mainControl::callUpgrade() {
    update::softwareUpdater updater(listenersOf(this), sleepFor);
    return QString::fromStdString(updater.callUpgrade());
}
