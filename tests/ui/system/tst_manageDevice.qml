import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// Manage Device: each button runs its operation once, at 90 behind the progress dialog.
TestCase {
    id: testCase
    name: "ManageDevice"
    when: windowShown
    width: 1280
    height: 720

    Component { id: manageComponent; ManageDevice {} }
    SignalSpy { id: openSpy; signalName: "openProgress" }
    SignalSpy { id: progressSpy; signalName: "setProgress" }
    SignalSpy { id: closeSpy; signalName: "closeProgress" }

    function init() { mainObject.reset() }
    function openManage() {
        var screen = createTemporaryObject(manageComponent, testCase)
        var spies = [openSpy, progressSpy, closeSpy]
        for (var i = 0; i < spies.length; ++i) {
            spies[i].clear()
            spies[i].target = screen
        }
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        return screen
    }
    function deviceCalls() {
        return mainObject.calls.filter(function (c) { return /^(hcipScan|deviceLoad|deviceSave)\(/.test(c) })
    }

    function test_eachButtonRunsItsOperationOnce_data() {
        return [
            { tag: "Scan", button: "scanButton", call: "hcipScan()" },
            { tag: "Load", button: "loadButton", call: "deviceLoad()" },
            { tag: "Save", button: "saveButton", call: "deviceSave()" }
        ]
    }
    function test_eachButtonRunsItsOperationOnce(data) {
        var screen = openManage()
        findChild(screen.contentItem, data.button).clicked()
        compare(openSpy.count, 1)
        // Nothing runs on the press itself.
        compare(deviceCalls(), [])
        tryCompare(closeSpy, "count", 1, 15000)
        compare(deviceCalls(), [data.call])
        compare(progressSpy.signalArguments.map(function (a) { return a[0] }),
                [0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100])
        tryCompare(screen, "visible", false, 5000)
    }

    function test_pressesWhileWorkingAreIgnored() {
        var screen = openManage()
        findChild(screen.contentItem, "loadButton").clicked()
        compare(findChild(screen.contentItem, "saveButton").enabled, false)
        screen.start(2)
        screen.start(3)
        tryCompare(closeSpy, "count", 1, 15000)
        compare(deviceCalls(), ["deviceLoad()"])
        compare(openSpy.count, 1)
    }

    function test_deviceListShowsDevices8To10() {
        mainObject.values = { "getCameraDeviceIP": "192.168.1.77" }
        var screen = openManage()
        findChild(screen.contentItem, "deviceListButton").clicked()
        tryCompare(screen.deviceList, "opened", true, 5000)
        compare(mainObject.callsOf("getCameraDeviceIP"), ["getCameraDeviceIP(8)", "getCameraDeviceIP(9)",
                                                          "getCameraDeviceIP(10)"])
        compare(findChild(screen.deviceList.contentItem, "deviceIP9").text, "192.168.1.77")
        findChild(screen.deviceList.contentItem, "deviceListCancel").clicked()
        compare(mainObject.callsOf("startRunRobin"), [])
        findChild(screen.contentItem, "deviceListButton").clicked()
        tryCompare(screen.deviceList, "opened", true, 5000)
        findChild(screen.deviceList.contentItem, "deviceListOk").clicked()
        compare(mainObject.callsOf("startRunRobin"), ["startRunRobin(true)"])
    }
}
