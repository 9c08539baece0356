import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The panel's network screen: what it shows, the number pad's fields, Reset and the Save steps.
TestCase {
    id: testCase
    name: "NetworkSetting"
    when: windowShown
    width: 1280
    height: 720

    Component { id: networkComponent; NetworkSetting {} }
    SignalSpy { id: openSpy; signalName: "openProgress" }
    SignalSpy { id: closeSpy; signalName: "closeProgress" }
    SignalSpy { id: messageSpy; signalName: "showMessage" }

    function init() {
        mainObject.reset()
        mainObject.zek710ADHCPMODE = false
    }
    function openNetwork() {
        var screen = createTemporaryObject(networkComponent, testCase)
        var spies = [openSpy, closeSpy, messageSpy]
        for (var i = 0; i < spies.length; ++i) {
            spies[i].clear()
            spies[i].target = screen
        }
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        return screen
    }
    function child(screen, name) { return findChild(screen.contentItem, name) }
    function networkCalls() {
        return mainObject.calls.filter(function (c) { return /^(set|save)ZEK710A/.test(c) })
    }

    function test_showsTheSettingsInForce() {
        mainObject.values = { "getZEK710AHOSTNAME": "panel-a", "getZEK710AIPADDR": "10.0.0.5",
                              "getZEK710AMACADD": "02:00:00:00:00:01" }
        var screen = openNetwork()
        compare(child(screen, "hostName").text, "panel-a")
        compare(child(screen, "macAddress").text, "02:00:00:00:00:01")
        compare(child(screen, "field10").text, "10.0.0.5")
        compare(child(screen, "field11").text, "255.255.255.0")
        mainObject.refreshSystemNetConfig("172.16.0.9", true, "panel-b", "02:00:00:00:00:02",
                                          "255.255.0.0", "172.16.0.1", "1.1.1.1", "9.9.9.9")
        compare(child(screen, "field10").text, "172.16.0.9")
        compare(child(screen, "field14").text, "9.9.9.9")
        compare(child(screen, "hostName").text, "panel-b")
        compare(child(screen, "dhcpSwitch").checked, true)
    }

    function test_numberPadCodesWriteTheirField_data() {
        return [
            { tag: "10 IP address", code: 10, field: "ipAddress" },
            { tag: "11 mask", code: 11, field: "netmask" },
            { tag: "12 gateway", code: 12, field: "gateway" },
            { tag: "13 primary DNS", code: 13, field: "primaryDns" },
            { tag: "14 secondary DNS", code: 14, field: "secondaryDns" }
        ]
    }
    function test_numberPadCodesWriteTheirField(data) {
        var screen = openNetwork()
        child(screen, "field" + data.code).clicked()
        var pad = screen.numberPad
        tryCompare(pad, "opened", true, 5000)
        compare(pad.functionCode, data.code)
        pad.text = "10.20.30.40"
        findChild(pad.contentItem, "padKey_ok").clicked()
        compare(screen[data.field], "10.20.30.40")
        compare(child(screen, "field" + data.code).text, "10.20.30.40")
        var others = ["ipAddress", "netmask", "gateway", "primaryDns", "secondaryDns"]
        for (var i = 0; i < others.length; ++i) {
            if (others[i] !== data.field)
                verify(screen[others[i]] !== "10.20.30.40", others[i] + " was written too")
        }
    }

    function test_mistypedAddressIsRefused() {
        var screen = openNetwork()
        screen.applyNumber(10, "192.168.1.256")
        compare(screen.ipAddress, "192.168.1.20")
        compare(child(screen, "invalidEntry").visible, true)
        screen.applyNumber(10, "192.168.1")
        compare(screen.ipAddress, "192.168.1.20")
        screen.applyNumber(10, "192.168.1.30")
        compare(screen.ipAddress, "192.168.1.30")
        compare(child(screen, "invalidEntry").visible, false)
    }

    function test_resetAsksWithCode99() {
        var screen = openNetwork()
        child(screen, "resetButton").clicked()
        compare(messageSpy.count, 1)
        compare(messageSpy.signalArguments[0][0], 99)
        compare(messageSpy.signalArguments[0][1], "Are you sure to reset ZEK710A network configuration?")
        compare(mainObject.callsOf("resetZEK710Network"), [])
    }

    function test_saveStepsInOrder() {
        var screen = openNetwork()
        child(screen, "dhcpSwitch").toggle()
        child(screen, "dhcpSwitch").toggled()
        screen.applyNumber(10, "10.1.1.2")
        screen.applyNumber(11, "255.0.0.0")
        screen.applyNumber(12, "10.1.1.1")
        screen.applyNumber(13, "10.1.1.53")
        screen.applyNumber(14, "10.1.1.54")
        child(screen, "saveButton").clicked()
        // Step 0: the DHCP flag and the progress dialog, nothing else yet.
        compare(mainObject.zek710ADHCPMODE, true)
        compare(openSpy.count, 1)
        compare(networkCalls(), [])
        tryVerify(function () { return mainObject.callsOf("saveZEK710ANetConfig").length === 1 }, 15000)
        compare(networkCalls(), ["setZEK710AIPADDR(10.1.1.2)", "setZEK710AMASKADD(255.0.0.0)",
                                 "setZEK710AGATEADD(10.1.1.1)", "setZEK710APRIDNS(10.1.1.53)",
                                 "setZEK710ASECDNS(10.1.1.54)", "saveZEK710ANetConfig()"])
        compare(messageSpy.count, 0)
        tryCompare(closeSpy, "count", 1, 15000)
        compare(messageSpy.count, 1)
        compare(messageSpy.signalArguments[0][0], 98)
        compare(messageSpy.signalArguments[0][1], "Please reboot ZEK710A")
        tryCompare(screen, "visible", false, 5000)
        compare(networkCalls().length, 6)
    }

    function test_secondSavePressWhileSavingIsIgnored() {
        var screen = openNetwork()
        screen.startSave()
        screen.startSave()
        tryCompare(closeSpy, "count", 1, 15000)
        compare(openSpy.count, 1)
        compare(mainObject.callsOf("saveZEK710ANetConfig"), ["saveZEK710ANetConfig()"])
    }

    // The file is written in the background: the dialog waits for the outcome, and a save that
    // wrote nothing says so and leaves the screen open, never "Please reboot".
    function test_failedSaveIsShownAndTheScreenStays() {
        mainObject.values = { "saveZEK710ANetConfig": null }
        var screen = openNetwork()
        screen.startSave()
        tryCompare(screen, "progressValue", 100, 15000)
        wait(700)
        compare(closeSpy.count, 0, "the progress waits for the outcome")
        mainObject.networkSaveFinished(false)
        compare(closeSpy.count, 1)
        compare(messageSpy.count, 1)
        compare(messageSpy.signalArguments[0][0], 0)
        compare(messageSpy.signalArguments[0][1],
                "The network settings could not be saved.\nNothing was changed.")
        verify(screen.visible)
        verify(!screen.saving)
    }
}
