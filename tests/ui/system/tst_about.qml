import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The About screen: versions, the upgrade label, and the upgrade's step timer.
TestCase {
    id: testCase
    name: "About"
    when: windowShown
    width: 1280
    height: 720

    Component { id: aboutComponent; AboutPage {} }
    SignalSpy { id: openSpy; signalName: "openProgress" }
    SignalSpy { id: progressSpy; signalName: "setProgress" }
    SignalSpy { id: closeSpy; signalName: "closeProgress" }
    SignalSpy { id: messageSpy; signalName: "showMessage" }

    function init() { mainObject.reset() }
    function openAbout() {
        var screen = createTemporaryObject(aboutComponent, testCase)
        var spies = [openSpy, progressSpy, closeSpy, messageSpy]
        for (var i = 0; i < spies.length; ++i) {
            spies[i].clear()
            spies[i].target = screen
        }
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        return screen
    }
    function child(screen, name) { return findChild(screen.contentItem, name) }
    function progressValues() {
        return progressSpy.signalArguments.map(function (a) { return a[0] })
    }

    function test_versionsAndUpgradeLabel() {
        mainObject.values = { "getAppVersion": "1.2.3", "getMcuVersion": "0.4.5.6" }
        var screen = openAbout()
        compare(child(screen, "appRevision").text, "1.2.3")
        compare(child(screen, "mcuRevision").text, "0.4.5.6")
        compare(child(screen, "upgradeButton").enabled, false)
        mainObject.refreshNewVersion(true, "1.3.0", "0.5.0.0")
        compare(child(screen, "upgradeLabel").text, "Latest APP revision: 1.3.0\nLatest MCU revision: 0.5.0.0")
        compare(child(screen, "upgradeButton").enabled, true)
        mainObject.refreshNewVersion(false, "", "")
        compare(child(screen, "upgradeLabel").text, "")
        compare(child(screen, "upgradeButton").enabled, false)
    }

    function test_upgradeStepsAndReboot() {
        mainObject.values = { "callUpgrade": "OK" }
        var screen = openAbout()
        mainObject.refreshNewVersion(true, "1.3.0", "")
        child(screen, "upgradeButton").clicked()
        compare(openSpy.count, 1)
        // The upgrade runs only after the progress dialog had its ticks to show.
        compare(mainObject.callsOf("callUpgrade"), [])
        compare(child(screen, "upgradeButton").enabled, false)
        tryCompare(closeSpy, "count", 1, 15000)
        compare(progressValues(), [0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100])
        compare(mainObject.callsOf("callUpgrade"), ["callUpgrade()"])
        compare(messageSpy.count, 1)
        compare(messageSpy.signalArguments[0][0], 98)
        compare(messageSpy.signalArguments[0][1], "Please reboot ZEK710A")
        compare(child(screen, "failureText").visible, false)
    }

    function test_callUpgradeWaitsForNinety() {
        var screen = openAbout()
        mainObject.refreshNewVersion(true, "1.3.0", "")
        child(screen, "upgradeButton").clicked()
        tryVerify(function () { return mainObject.callsOf("callUpgrade").length === 1 }, 15000)
        compare(progressValues()[progressValues().length - 1], 90)
        compare(closeSpy.count, 0)
        tryCompare(closeSpy, "count", 1, 15000)
    }

    function test_failedUpgradeStaysOnTheScreen() {
        mainObject.values = { "callUpgrade": "No upgrade file" }
        var screen = openAbout()
        mainObject.refreshNewVersion(true, "1.3.0", "")
        child(screen, "upgradeButton").clicked()
        tryCompare(closeSpy, "count", 1, 15000)
        compare(messageSpy.count, 0)
        compare(child(screen, "failureText").text, "Update failed.\nTry Again?")
        compare(screen.visible, true)
        compare(child(screen, "upgradeButton").enabled, true)
    }

    // The install runs in the background for as long as it takes: the progress stays up at 100
    // until its result comes.
    function test_progressWaitsForALateResult() {
        mainObject.values = { "callUpgrade": null }
        var screen = openAbout()
        mainObject.refreshNewVersion(true, "1.3.0", "")
        child(screen, "upgradeButton").clicked()
        tryVerify(function () { return progressValues().indexOf(100) >= 0 }, 15000)
        wait(1200)
        compare(closeSpy.count, 0)
        verify(screen.upgrading)
        mainObject.upgradeResult("OK")
        compare(closeSpy.count, 1)
        compare(messageSpy.signalArguments[0][1], "Please reboot ZEK710A")
        compare(progressValues().filter(function (v) { return v === 100 }).length, 1)
    }
}
