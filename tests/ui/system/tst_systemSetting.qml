import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The system screen: what each row shows and what touching it does.
TestCase {
    id: testCase
    name: "SystemSetting"
    when: windowShown
    width: 1280
    height: 720

    Component { id: screenComponent; SystemSetting {} }
    SignalSpy { id: busySpy; signalName: "busy" }
    SignalSpy { id: saverSpy; signalName: "screenSaverSet" }
    SignalSpy { id: messageSpy; signalName: "showMessage" }
    SignalSpy { id: openProgressSpy; signalName: "openProgress" }

    function init() {
        mainObject.reset()
        qmlTranslator.lanCode = 0
        qmlTranslator.calls = []
    }
    function openScreen() {
        var screen = createTemporaryObject(screenComponent, testCase)
        verify(screen !== null)
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        return screen
    }
    function child(screen, name) {
        var item = findChild(screen.contentItem, name)
        verify(item !== null, "no " + name)
        return item
    }
    function rowValue(screen, name) {
        return findChild(child(screen, name), "value").text
    }

    function test_rowsShowTheValuesInForce() {
        mainObject.values = { "getAppVersion": "2.3.4", "getZEK710AIPADDR": "10.1.2.3",
                              "getCurrentTallyMode": 2, "getCurrentSpeedFunction": 1 }
        qmlTranslator.lanCode = 1
        var screen = openScreen()
        compare(rowValue(screen, "rowLanguage"), "繁體中文  ›")
        compare(rowValue(screen, "rowAbout"), "APP v2.3.4  ›")
        compare(rowValue(screen, "rowNetwork"), "10.1.2.3  ›")
        compare(rowValue(screen, "rowTally"), "HCIP  ›")
        compare(rowValue(screen, "rowSpeedMode"), "Arithmetic  ›")
    }

    function test_tallyAndSpeedNames_data() {
        return [
            { tag: "off, nonlinear", tally: 0, speed: 0, tallyText: "OFF  ›", speedText: "Nonlinear  ›" },
            { tag: "gpi, fixed", tally: 1, speed: 2, tallyText: "GPI Tally  ›", speedText: "Fixed  ›" }
        ]
    }
    function test_tallyAndSpeedNames(data) {
        mainObject.values = { "getCurrentTallyMode": data.tally, "getCurrentSpeedFunction": data.speed }
        var screen = openScreen()
        compare(rowValue(screen, "rowTally"), data.tallyText)
        compare(rowValue(screen, "rowSpeedMode"), data.speedText)
    }

    function test_serialPortsSwitchesBehindTheBusyIndicator() {
        mainObject.values = { "getUseSerialPort": true }
        var screen = openScreen()
        busySpy.clear()
        busySpy.target = screen
        var toggle = child(screen, "serialSwitch")
        compare(toggle.checked, true)
        toggle.clicked()
        compare(busySpy.count, 1)
        compare(busySpy.signalArguments[0][0], true)
        tryCompare(busySpy, "count", 2, 5000)
        compare(busySpy.signalArguments[1][0], false)
        compare(mainObject.callsOf("setUseSerialPort"), ["setUseSerialPort(false)"])
        compare(toggle.checked, false)
        toggle.clicked()
        tryCompare(busySpy, "count", 4, 5000)
        compare(mainObject.callsOf("setUseSerialPort"), ["setUseSerialPort(false)", "setUseSerialPort(true)"])
        compare(toggle.checked, true)
    }

    // The switch takes as long as the application needs: the indicator stays up, further presses
    // (on the switch or anywhere on its row) wait, and the row flips when the switch is done.
    function test_serialSwitchWaitsForTheApplication() {
        mainObject.values = { "getUseSerialPort": true, "setUseSerialPort": null }
        var screen = openScreen()
        busySpy.clear()
        busySpy.target = screen
        var row = child(screen, "rowSerialPorts")
        mouseClick(row, 40, row.height / 2)
        compare(mainObject.callsOf("setUseSerialPort"), ["setUseSerialPort(false)"])
        wait(300)
        mouseClick(row, 40, row.height / 2)
        child(screen, "serialSwitch").clicked()
        compare(mainObject.callsOf("setUseSerialPort").length, 1)
        compare(busySpy.count, 1)
        compare(child(screen, "serialSwitch").checked, true)
        mainObject.serialPortsSwitched(false)
        compare(busySpy.count, 2)
        compare(busySpy.signalArguments[1][0], false)
        compare(child(screen, "serialSwitch").checked, false)
    }

    function test_autoScanSetsTheOpposite() {
        mainObject.values = { "getAutoScan": true }
        var screen = openScreen()
        var toggle = child(screen, "autoScanSwitch")
        compare(toggle.checked, true)
        toggle.clicked()
        compare(mainObject.callsOf("setAutoScan"), ["setAutoScan(false)"])
        compare(toggle.checked, false)
        mainObject.refreshAutoScan(true)
        compare(toggle.checked, true)
    }

    function test_screenSaverSliderAndArrows() {
        mainObject.values = { "getScreenSaver": 3 }
        var screen = openScreen()
        saverSpy.clear()
        saverSpy.target = screen
        compare(child(screen, "saverText").text, "3 min.")
        compare(child(screen, "saverSlider").value, 3)
        mouseClick(child(screen, "saverUp"))
        compare(mainObject.callsOf("setScreenSaver"), ["setScreenSaver(4)"])
        compare(child(screen, "saverText").text, "4 min.")
        var slider = child(screen, "saverSlider")
        slider.value = 0
        slider.moved()
        compare(mainObject.callsOf("setScreenSaver"), ["setScreenSaver(4)", "setScreenSaver(0)"])
        compare(child(screen, "saverText").text, "0 min.")
        compare(saverSpy.count, 2)
        compare(saverSpy.signalArguments[1][0], 0)
        // Nothing below 0: the left arrow does nothing more.
        mouseClick(child(screen, "saverDown"))
        compare(mainObject.callsOf("setScreenSaver").length, 2)
    }

    function test_screenSaverStopsAtTen() {
        mainObject.values = { "getScreenSaver": 10 }
        var screen = openScreen()
        mouseClick(child(screen, "saverUp"))
        compare(mainObject.callsOf("setScreenSaver"), [])
        compare(child(screen, "saverText").text, "10 min.")
    }

    function test_rowsOpenTheirScreens() {
        var screen = openScreen()
        mouseClick(child(screen, "rowAbout"))
        compare(mainObject.callsOf("getUpgradeVersion").length, 1)
        tryCompare(screen.aboutPage, "opened", true, 5000)
        screen.aboutPage.close()
        mouseClick(child(screen, "rowLanguage"))
        tryCompare(screen.languagePage, "opened", true, 5000)
        screen.languagePage.close()
        mouseClick(child(screen, "rowNetwork"))
        tryCompare(screen.networkPage, "opened", true, 5000)
        screen.networkPage.close()
        mouseClick(child(screen, "rowTally"))
        tryCompare(screen.tallyPage, "opened", true, 5000)
        screen.tallyPage.close()
        mouseClick(child(screen, "rowSpeedMode"))
        tryCompare(screen.speedModePage, "opened", true, 5000)
        screen.speedModePage.close()
        tryCompare(screen.speedModePage, "visible", false, 5000)
        child(screen, "shutdownButton").clicked()
        tryCompare(screen.shutdownDialog, "opened", true, 5000)
    }

    function test_shutdownAsksFirst() {
        var screen = openScreen()
        child(screen, "shutdownButton").clicked()
        tryCompare(screen.shutdownDialog, "opened", true, 5000)
        findChild(screen.shutdownDialog.contentItem, "shutdownCancel").clicked()
        compare(mainObject.callsOf("shutdown"), [])
        child(screen, "shutdownButton").clicked()
        tryCompare(screen.shutdownDialog, "opened", true, 5000)
        findChild(screen.shutdownDialog.contentItem, "shutdownOk").clicked()
        compare(mainObject.callsOf("shutdown"), ["shutdown()"])
    }

    function test_childScreensUpdateTheRows() {
        var screen = openScreen()
        screen.speedModePage.open()
        findChild(screen.speedModePage.contentItem, "speedMode2").clicked()
        compare(rowValue(screen, "rowSpeedMode"), "Fixed  ›")
        screen.tallyPage.open()
        findChild(screen.tallyPage.contentItem, "tallyMode1").clicked()
        findChild(screen.tallyPage.contentItem, "saveButton").clicked()
        compare(rowValue(screen, "rowTally"), "GPI Tally  ›")
        screen.languagePage.open()
        findChild(screen.languagePage.contentItem, "language4").clicked()
        findChild(screen.languagePage.contentItem, "saveButton").clicked()
        compare(rowValue(screen, "rowLanguage"), "Português  ›")
    }

    // The main window listens to this screen only: its screens' requests must come through it.
    function test_passesOnTheRequestsOfItsScreens() {
        var screen = openScreen()
        messageSpy.clear(); messageSpy.target = screen
        openProgressSpy.clear(); openProgressSpy.target = screen
        screen.networkPage.open()
        findChild(screen.networkPage.contentItem, "resetButton").clicked()
        compare(messageSpy.count, 1)
        compare(messageSpy.signalArguments[0][0], 99)
        // What the application answers once the new address is saved.
        mainObject.values = { "getZEK710AIPADDR": "10.9.8.7" }
        screen.networkPage.startSave()
        compare(openProgressSpy.count, 1)
        tryCompare(messageSpy, "count", 2, 15000)
        compare(messageSpy.signalArguments[1][0], 98)
        compare(messageSpy.signalArguments[1][1], "Please reboot ZEK710A")
        // The row shows the address in force after the network screen closed.
        tryCompare(findChild(child(screen, "rowNetwork"), "value"), "text", "10.9.8.7  ›", 5000)
    }

    // Off by default; turned on from its page, which then shows where it listens and a new
    // token once.
    function test_automationRowAndPage() {
        var screen = openScreen()
        compare(rowValue(screen, "rowAutomation"), "OFF  ›")
        child(screen, "rowAutomation").clicked()
        var page = screen.automationPage
        tryCompare(page, "opened", true, 5000)
        compare(findChild(page.contentItem, "automationAddress").text, "Off: nothing listens.")
        mainObject.values = { "getAutomationEnabled": true, "getAutomationAddress": "10.1.2.3:8710",
                              "newAutomationToken": "5f0c" }
        findChild(page.contentItem, "automationSwitch").clicked()
        compare(mainObject.callsOf("setAutomationEnabled"), ["setAutomationEnabled(true)"])
        compare(findChild(page.contentItem, "automationAddress").text, "http://10.1.2.3:8710/")
        var token = findChild(page.contentItem, "automationToken")
        compare(token.visible, false)
        findChild(page.contentItem, "newControlToken").clicked()
        compare(mainObject.callsOf("newAutomationToken"), ["newAutomationToken(true)"])
        compare(token.text, "5f0c")
        compare(token.visible, true)
        findChild(page.contentItem, "automationClose").clicked()
        tryCompare(findChild(child(screen, "rowAutomation"), "value"), "text", "10.1.2.3:8710  ›", 5000)
        // Opened again, the token is not shown any more.
        child(screen, "rowAutomation").clicked()
        tryCompare(page, "opened", true, 5000)
        compare(token.visible, false)
    }

    // Allowed by default; a touch on the row locks it and the row shows what is in force. All ten
    // rows stay above the buttons.
    function test_remoteSetupRow() {
        var screen = openScreen()
        compare(rowValue(screen, "rowRemoteSetup"), "allowed")
        mainObject.values = { "getRemoteSetupLocked": true }
        child(screen, "rowRemoteSetup").clicked()
        compare(mainObject.callsOf("setRemoteSetupLocked"), ["setRemoteSetupLocked(true)"])
        compare(rowValue(screen, "rowRemoteSetup"), "locked")
        var last = child(screen, "rowScreenSaver")
        verify(last.mapToItem(screen.contentItem, 0, last.height).y
               <= child(screen, "shutdownButton").y)
    }

    function test_backCloses() {
        var screen = openScreen()
        child(screen, "backButton").clicked()
        tryCompare(screen, "visible", false, 5000)
    }
}
