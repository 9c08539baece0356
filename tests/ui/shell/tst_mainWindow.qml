import QtQuick 2.15
import QtTest 1.2

// The main window against the doubles: the tool bar's tools, the tabs and the system bar, the
// shared dialogs and their function codes, the screen saver and the function keys.
TestCase {
    id: test
    name: "MainWindow"
    when: windowShown
    property var window: null

    function init() {
        mainObject.reset()
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, test)
        verify(window !== null, "main window")
        tryVerify(function () { return window.visible })
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
        verify(item !== null, name)
        return item
    }
    function clickOn(item) {
        mouseClick(item, item.width / 2, item.height / 2)
    }

    function test_startUpCallsSysInitAndSplashWaitsForTheNetwork() {
        compare(mainObject.callsOf("sysInit").length, 1)
        var splash = find("splash")
        verify(splash.visible)
        mainObject.refreshSystemNetConfig("10.0.0.2", false, "ZEK-710A", "02:A4:5C:01:00:07",
                                          "255.255.255.0", "10.0.0.1", "8.8.8.8", "8.8.4.4")
        verify(!splash.visible)
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
        clickOn(find("saver"))
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

    // The window's key handlers hand each key code here.
    function test_functionKeys() {
        verify(window.functionKey(0x10000AA))
        compare(mainObject.callsOf("doBacklightScale"), ["doBacklightScale(1)"])
        compare(mainObject.callsOf("do4KeyFunction"), ["do4KeyFunction(2)"])
        verify(window.functionKey(0x10000F1))
        verify(!window.functionKey(Qt.Key_A))
        compare(mainObject.callsOf("do4KeyFunction"), ["do4KeyFunction(2)", "do4KeyFunction(99)"])
    }
}
