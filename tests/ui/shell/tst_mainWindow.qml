import QtQuick 2.15
import QtTest 1.2

// The main window against the doubles: the tool bar's tools, the tabs and the system bar, the
// shared dialogs and their function codes, the screen saver and the function keys.
TestCase {
    id: test
    name: "MainWindow"
    when: windowShown
    property var window: null
    // sysInit calls made while the window was being made, before any frame.
    property int sysInitBeforeFirstFrame: -1

    function init() {
        mainObject.reset()
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, test)
        verify(window !== null, "main window")
        sysInitBeforeFirstFrame = mainObject.callsOf("sysInit").length
        tryVerify(function () { return window.visible })
        // Key events go to the active window, as on the panel.
        window.requestActivate()
        tryVerify(function () { return window.active })
        // The start-up runs once the first frame is drawn.
        tryVerify(function () { return mainObject.callsOf("sysInit").length === 1 })
    }
    function cleanup() {
        if (window)
            window.close()
        window = null
    }
    function find(name) {
        var item = findChild(window.contentItem, name)
        if (!item)
            item = findChild(window.overlay, name)
        if (!item)
            item = findChild(window, name)
        verify(item !== null, name)
        return item
    }
    function clickOn(item) {
        mouseClick(item, item.width / 2, item.height / 2)
    }
    // A touch where `item` is on the screen, delivered to whatever is on top there.
    function touchWhere(item) {
        var at = item.mapToItem(window.contentItem, item.width / 2, item.height / 2)
        mouseClick(window.contentItem, at.x, at.y)
    }
    function startSaver() {
        mainObject.values = { "getScreenSaver": 1 }
        mainObject.screenSaverChanged(1)
        window.saverInterval = 10
        tryVerify(function () { return window.saverShown })
    }

    // sysInit waits for the first frame, so the splash is on the screen while it runs. The
    // double's sysInit returns at once without telling the network settings, as the panel's does
    // without an input device: the splash goes all the same and touches reach the screens.
    function test_splashIsDrawnBeforeSysInitAndGoesOnceItReturns() {
        compare(sysInitBeforeFirstFrame, 0)
        tryVerify(function () { return mainObject.callsOf("sysInit").length === 1 })
        tryVerify(function () { return !find("splash").visible })
        clickOn(find("tab4"))
        verify(find("systemBar").visible)
    }

    // The saver is above every screen: the touch that wakes the panel reaches nothing under it.
    function test_saverTouchOnlyWakesWhateverIsOpen_data() {
        return [
            { tag: "system screen" },
            { tag: "connection warning" },
            { tag: "camera status screen" },
            { tag: "serial ports screen" }
        ]
    }
    function test_saverTouchOnlyWakesWhateverIsOpen(data) {
        var screen, control, reacted
        if (data.tag === "system screen") {
            clickOn(find("tab4"))
            clickOn(find("systemButton"))
            screen = find("systemSettingLoader").item
            tryVerify(function () { return screen.opened })
            control = findChild(screen.contentItem, "shutdownButton")
            reacted = function () { return screen.shutdownDialog.visible }
        } else if (data.tag === "connection warning") {
            mainObject.cameraConnectState(3, "No device connect to Camera 3.", 0)
            screen = find("connectionWarning")
            tryVerify(function () { return screen.opened })
            control = findChild(screen.contentItem, "okButton")
            reacted = function () { return !screen.visible || mainObject.callsOf("setRobin").length > 0 }
        } else if (data.tag === "camera status screen") {
            screen = findChild(find("pageArea").item, "cameraInfo")
            screen.open()
            tryVerify(function () { return screen.opened })
            control = findChild(screen.contentItem, "backButton")
            reacted = function () { return !screen.visible }
        } else {
            screen = find("serialParameters")
            screen.open()
            tryVerify(function () { return screen.opened })
            control = findChild(screen.contentItem, "backButton")
            reacted = function () { return !screen.visible }
        }
        verify(control !== null)
        startSaver()
        compare(mainObject.callsOf("startScreenSaver"), ["startScreenSaver(1)"])
        touchWhere(control)
        window.saverInterval = 60000
        verify(!window.saverShown, "the touch woke the panel")
        compare(mainObject.callsOf("startScreenSaver"), ["startScreenSaver(1)", "startScreenSaver(0)"])
        wait(50)
        verify(!reacted(), "the control under the saver reacted")
        verify(screen.visible)
        // Awake, the same touch reaches the control.
        wait(600)
        touchWhere(control)
        tryVerify(reacted)
    }

    // The busy indicator is above the screen that started the work, and holds its touches.
    function test_busyIndicatorAboveTheOpenScreen() {
        clickOn(find("tab4"))
        clickOn(find("systemButton"))
        var screen = find("systemSettingLoader").item
        tryVerify(function () { return screen.opened })
        mainObject.iAmBusy(true)
        var busy = find("busyOverlay")
        tryVerify(function () { return busy.opened })
        verify(busy.z > screen.z)
        touchWhere(findChild(screen.contentItem, "shutdownButton"))
        wait(50)
        verify(!screen.shutdownDialog.visible)
        mainObject.iAmBusy(false)
        tryVerify(function () { return !busy.visible })
    }

    function test_toolsOfBothPagesAndTheirGroups() {
        mainObject.refreshSystemNetConfig("", false, "", "", "", "", "", "")
        var page1 = find("toolPage1")
        clickOn(page1.tool3)
        compare(mainObject.callsOf("setBtmTool"), ["setBtmTool(7)"])
        compare(mainObject.cameraShift, true)
        compare(window.currBtmTool, 7)
        clickOn(page1.tool4)
        compare(mainObject.cameraPresetShift, true)
        compare(window.currBtmTool_pst, 8)
        clickOn(page1.tool1)
        compare(mainObject.cameraShift, false)
        compare(window.currBtmTool, 1)
        compare(window.currBtmTool_pst, 8)
        clickOn(page1.tool2)
        compare(mainObject.cameraPresetShift, false)

        // The second page only by its arrow; PVW, PGM and AUX share the camera group.
        clickOn(find("toolPageRight"))
        var page2 = find("toolPage2")
        verify(page2.visible)
        verify(!page1.visible)
        clickOn(page2.tool2)
        clickOn(page2.tool4)
        compare(window.currBtmTool, 4)
        compare(window.currBtmTool_pst, 6)
        compare(mainObject.callsOf("setBtmTool"),
                ["setBtmTool(7)", "setBtmTool(8)", "setBtmTool(1)", "setBtmTool(2)",
                 "setBtmTool(4)", "setBtmTool(6)"])
    }

    function test_systemTabSwapsTheBars() {
        mainObject.refreshSystemNetConfig("", false, "", "", "", "", "", "")
        var toolBar = find("toolBar")
        var systemBar = find("systemBar")
        verify(toolBar.visible)
        clickOn(find("tab4"))
        verify(systemBar.visible)
        verify(!toolBar.visible)
        // Switcher and recorder only show.
        clickOn(find("tab2"))
        verify(systemBar.visible)
        compare(window.currPage, 1)
        clickOn(find("systemBarClose"))
        verify(toolBar.visible)
    }

    function test_messageCodesResetThenReboot() {
        mainObject.popMessage(99, "Are you sure to reset ZEK710A network configuration?")
        var dialog = find("messageDialog")
        tryVerify(function () { return dialog.opened })
        compare(window.popMessageFunction, 99)
        clickOn(findChild(dialog.contentItem, "okButton"))
        compare(mainObject.callsOf("resetZEK710Network").length, 1)
        compare(window.popMessageFunction, 98)
        compare(mainObject.callsOf("reboot").length, 0)

        mainObject.popMessage(98, "Please reboot ZEK710A")
        tryVerify(function () { return dialog.opened })
        clickOn(findChild(dialog.contentItem, "okButton"))
        compare(mainObject.callsOf("reboot").length, 1)
        compare(dialog.message, "ZEK-710A is going to reboot.")
    }

    function test_progressAtHundredAsksForAReboot() {
        mainObject.showProgress(true)
        var progress = find("progressDialog")
        tryVerify(function () { return progress.opened })
        mainObject.sendProgress(40)
        compare(progress.value, 40)
        mainObject.sendProgress(100)
        tryVerify(function () { return !progress.visible })
        compare(find("messageDialog").message, "Please reboot ZEK710A")
        compare(window.popMessageFunction, 98)
    }

    function test_connectionWarningOrRoundRobinAtOnce() {
        mainObject.values = { "getSeeNoMoreWarning": true }
        mainObject.cameraConnectState(11, "No device connect to Camera 11.", 0)
        compare(mainObject.callsOf("setRobin"), ["setRobin(true)"])
        compare(window.connectMessage, "")

        mainObject.reset()
        mainObject.cameraConnectState(11, "No device connect to Camera 11.", 0)
        var warning = find("connectionWarning")
        tryVerify(function () { return warning.opened })
        compare(mainObject.callsOf("setRobin").length, 0)
        findChild(warning.contentItem, "stopShowing").checked = true
        clickOn(findChild(warning.contentItem, "okButton"))
        compare(mainObject.callsOf("setSeeNoMoreWarning"), ["setSeeNoMoreWarning(0,true)"])
        compare(mainObject.callsOf("setRobin"), ["setRobin(true)"])
        // The next warning asks again: its box starts unticked.
        tryVerify(function () { return !warning.visible })
        mainObject.cameraConnectState(12, "No device connect to Camera 12.", 0)
        tryVerify(function () { return warning.opened })
        verify(!findChild(warning.contentItem, "stopShowing").checked)
    }

    function test_screenSaverFollowsTheSlider() {
        mainObject.refreshSystemNetConfig("", false, "", "", "", "", "", "")
        mainObject.values = { "getScreenSaver": 2 }
        mainObject.screenSaverChanged(2)
        compare(window.saverInterval, 120000)
        verify(window.saverRunning)
        // Let it run out at once.
        window.saverInterval = 10
        tryVerify(function () { return window.saverShown })
        compare(mainObject.callsOf("startScreenSaver"), ["startScreenSaver(1)"])
        mouseClick(window.contentItem, 640, 360)
        verify(!window.saverShown)
        compare(mainObject.callsOf("startScreenSaver"), ["startScreenSaver(1)", "startScreenSaver(0)"])
        verify(window.saverRunning)

        // Slider at 0: stopped, and the saver never opens.
        mainObject.screenSaverChanged(0)
        verify(!window.saverRunning)
        mainObject.values = { "getScreenSaver": 0 }
        window.userActivity()
        verify(!window.saverRunning)
        wait(50)
        verify(!window.saverShown)
    }

    function test_touchStartsTheWaitAgain() {
        mainObject.values = { "getScreenSaver": 1 }
        mainObject.screenSaverChanged(1)
        window.saverInterval = 400
        wait(250)
        window.userActivity()
        wait(250)
        verify(!window.saverShown, "the touch restarted the wait")
        tryVerify(function () { return window.saverShown }, 2000)
    }

    // Real key events, whatever screen is open or was opened before, and after a saver cycle.
    function test_functionKeysAfterEveryScreenAndTheSaver() {
        var codes = [0x10000A9, 0x10000AA, 0x10000AB, 0x10000AC, 0x10000F1]
        var expected = []
        var sent = 0
        function pressNext(when) {
            var code = codes[sent % codes.length]
            verify(keys.click(code))
            expected.push("do4KeyFunction(" + (code === 0x10000F1 ? 99 : code - 0x10000A8) + ")")
            ++sent
            compare(mainObject.callsOf("do4KeyFunction"), expected, when)
        }
        pressNext("at start")
        startSaver()
        window.saverInterval = 60000
        mouseClick(window.contentItem, 640, 360)
        verify(!window.saverShown)
        pressNext("after a saver cycle")
        // A key over the saver works too.
        startSaver()
        pressNext("over the saver")
        window.saverInterval = 60000
        mouseClick(window.contentItem, 640, 360)

        clickOn(find("tab4"))
        clickOn(find("systemButton"))
        var system = find("systemSettingLoader").item
        tryVerify(function () { return system.opened })
        pressNext("over the system screen")
        var pages = [system.languagePage, system.aboutPage, system.speedModePage, system.networkPage,
                     system.tallyPage, system.shutdownDialog]
        for (var i = 0; i < pages.length; ++i) {
            pages[i].open()
            tryVerify(function () { return pages[i].opened })
            pages[i].close()
            tryVerify(function () { return !pages[i].visible })
            pressNext("after system page " + i)
        }
        clickOn(findChild(system.contentItem, "backButton"))
        tryVerify(function () { return !system.visible })
        pressNext("after the system screen")
        clickOn(find("manageDeviceButton"))
        var manage = find("manageDeviceLoader").item
        tryVerify(function () { return manage.opened })
        manage.close()
        tryVerify(function () { return !manage.visible })
        pressNext("after the device screen")
        var serial = find("serialParameters")
        serial.open()
        tryVerify(function () { return serial.opened })
        pressNext("over the serial ports screen")
        serial.close()
        pressNext("after the serial ports screen")
        // Each function key 1 to 4 enables the encoder first.
        compare(mainObject.callsOf("doBacklightScale").length,
                expected.filter(function (c) { return c !== "do4KeyFunction(99)" }).length)
        verify(keys.click(Qt.Key_A))
        compare(mainObject.callsOf("do4KeyFunction"), expected)
    }
}
