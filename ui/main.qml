import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import "components"
import "system"

// The panel's main window: the tabs on top, the page of the chosen tab, the bottom tool bar (or
// the system bar), and the dialogs every screen shares. In test mode the factory test screens
// take the whole window instead.
ApplicationWindow {
    id: root
    visible: true
    width: 1280
    height: 720
    property real resolutionRatio: 1
    // Read once at load; later changes arrive as signals.
    property bool testmode: mainObject.getTestMode()
    property string appVersion: mainObject.getAppVersion()
    property string mcuVersion: mainObject.getMcuVersion()
    property int currTallyMode: mainObject.getCurrentTallyMode()
    property int currLanguage: qmlTranslator.lanCode
    property bool useSerialPort: mainObject.getUseSerialPort()
    property int channelCounts: mainObject.getSwitcherChannelNumber()
    property int cameraCounts: 24
    // Tool groups of the bottom bar and the page of the tabs: 1 camera, 2 switcher, 3 recorder.
    property int currBtmTool: 1
    property int currBtmTool_pst: 2
    property int currPage: 1
    property bool systemBarShown: false
    property int toolBarPage: 0
    // Function codes of the dialogs.
    property int popMessageFunction: 0
    property int manageDeviceFunction: 0
    property int notifyFunction: 0
    // The last camera message the connection warning shows ("" when none).
    property string connectMessage: ""
    property alias saverInterval: saverTimer.interval
    property alias saverRunning: saverTimer.running
    property alias saverShown: saver.visible
    title: (testmode ? "ZEK-710A Tester v" : "ZEK-710A v") + appVersion
    font.family: "Calibri"
    color: Theme.background

    // sysInit holds the GUI thread while it opens the lines and probes the serial cameras, so it
    // starts once the splash is on the screen: after the first frame. The splash goes once sysInit
    // has returned, whatever it returned: a panel that started without its input devices must
    // still take touches.
    Connections {
        id: firstFrame
        target: root
        function onFrameSwapped() {
            firstFrame.enabled = false
            Qt.callLater(root.startUp)
        }
    }
    function startUp() {
        mainObject.sysInit()
        splash.close()
    }

    // Every touch anywhere (the application's event filter calls this) starts the saver's wait
    // again.
    function userActivity() {
        if (saverTimer.running || saverSliderValue() !== 0)
            saverTimer.restart()
    }
    function saverSliderValue() {
        return mainObject.getScreenSaver()
    }
    function closeSaver() {
        mainObject.startScreenSaver(0)
        saver.visible = false
        if (saverSliderValue() === 0)
            saverTimer.stop()
        else
            saverTimer.restart()
    }
    function chooseTool(tool) {
        if (tool === 1 || tool === 3 || tool === 4 || tool === 5 || tool === 7)
            currBtmTool = tool
        else
            currBtmTool_pst = tool
        if (tool === 1)
            mainObject.cameraShift = false
        else if (tool === 7)
            mainObject.cameraShift = true
        else if (tool === 2)
            mainObject.cameraPresetShift = false
        else if (tool === 8)
            mainObject.cameraPresetShift = true
        mainObject.setBtmTool(tool)
    }
    function functionKey(key) {
        var index = [0x10000A9, 0x10000AA, 0x10000AB, 0x10000AC].indexOf(key)
        if (index >= 0) {
            mainObject.doBacklightScale(1)
            mainObject.do4KeyFunction(index + 1)
            return true
        }
        if (key === 0x10000F1) {
            mainObject.do4KeyFunction(99)
            return true
        }
        return false
    }
    function showMessage(code, text) {
        popMessageFunction = code
        messageDialog.show(code, text)
    }
    function openScreen(loader) {
        loader.active = true
        if (loader.item && loader.item.open)
            loader.item.open()
    }
    // A system screen's requests for the shared dialogs.
    function wireScreen(item) {
        if (!item)
            return
        if (item.showMessage)
            item.showMessage.connect(showMessage)
        if (item.openProgress)
            item.openProgress.connect(function () { progressDialog.value = 0; progressDialog.open() })
        if (item.setProgress)
            item.setProgress.connect(function (value) { progressDialog.value = value })
        if (item.closeProgress)
            item.closeProgress.connect(function () { progressDialog.close() })
        if (item.busy)
            item.busy.connect(function (on) { busyOverlay.running = on })
    }

    Timer {
        id: saverTimer
        objectName: "saverTimer"
        interval: 60000
        repeat: false
        onTriggered: {
            if (!root.testmode && root.saverSliderValue() !== 0) {
                mainObject.startScreenSaver(1)
                saver.visible = true
            }
        }
    }

    Connections {
        target: mainObject
        function onIAmBusy(busy) { busyOverlay.running = busy }
        function onPopMessage(func, msg) { root.showMessage(func, msg) }
        function onCameraConnectState(index, msg, time) {
            // Asked not to be told again: the round robin goes on without a word.
            if (mainObject.getSeeNoMoreWarning(index - 1)) {
                mainObject.setRobin(true)
            } else {
                root.connectMessage = msg
                connectionWarning.message = msg
                connectionWarning.open()
            }
        }
        function onShowProgress(onoff) {
            if (onoff) {
                progressDialog.value = 0
                progressDialog.open()
            } else {
                progressDialog.close()
            }
        }
        function onRefreshProgress(value) { progressDialog.value = value }
        function onSendProgress(value) {
            progressDialog.value = value
            if (value >= 100) {
                progressDialog.close()
                root.showMessage(98, qsTr("Please reboot ZEK710A") + qmlTranslator.e_str)
            }
        }
        // The network settings come from sysInit: the screens can be used from then on.
        function onRefreshSystemNetConfig() { splash.visible = false }
        function onRefreshCameraNetConfig() { splash.visible = false }
        function onRefreshChannelCounts(chnumbers) { root.channelCounts = chnumbers }
        function onScreenSaverChanged(min) {
            if (min !== 0) {
                saverTimer.interval = min * 60000
                saverTimer.restart()
            } else {
                saverTimer.stop()
            }
        }
        function onWakeupScreen() { root.closeSaver() }
        function onCameraShiftChanged() { toolBar.refreshShift() }
        function onCameraPresetShiftChanged() { toolBar.refreshShift() }
    }
    Connections {
        target: qmlTranslator
        function onLanguageChanged(lanCode) { console.log("language", lanCode) }
    }

    // The panel's function keys reach the window as key events. They are shortcuts of the
    // application (its one window), so they work whatever screen, dialog or control holds the
    // focus, and over the saver: window shortcuts would be held back by any modal screen.
    Shortcut {
        sequence: "Launch (7)"
        autoRepeat: false
        context: Qt.ApplicationShortcut
        onActivated: root.functionKey(0x10000A9)
    }
    Shortcut {
        sequence: "Launch (8)"
        autoRepeat: false
        context: Qt.ApplicationShortcut
        onActivated: root.functionKey(0x10000AA)
    }
    Shortcut {
        sequence: "Launch (9)"
        autoRepeat: false
        context: Qt.ApplicationShortcut
        onActivated: root.functionKey(0x10000AB)
    }
    Shortcut {
        sequence: "Launch (A)"
        autoRepeat: false
        context: Qt.ApplicationShortcut
        onActivated: root.functionKey(0x10000AC)
    }
    Shortcut {
        sequence: "Tools"
        autoRepeat: false
        context: Qt.ApplicationShortcut
        onActivated: root.functionKey(0x10000F1)
    }

    // Tabs.
    Rectangle {
        id: tabs
        visible: !root.testmode
        width: parent.width
        height: 72
        color: Theme.panel
        Row {
            anchors.left: parent.left
            anchors.leftMargin: 24
            anchors.verticalCenter: parent.verticalCenter
            spacing: 12
            Repeater {
                model: [
                    { "title": qsTr("Camera") + qmlTranslator.e_str, "page": 1 },
                    { "title": qsTr("Switcher") + qmlTranslator.e_str, "page": 2 },
                    { "title": qsTr("Recorder") + qmlTranslator.e_str, "page": 3 },
                    { "title": "ZEK710A", "page": 4 }
                ]
                delegate: Item {
                    objectName: "tab" + modelData.page
                    width: 220
                    height: 64
                    property bool active: modelData.page === 4 ? root.systemBarShown
                                                                : (!root.systemBarShown && root.currPage === modelData.page)
                    Text {
                        anchors.centerIn: parent
                        text: modelData.title
                        color: parent.active ? Theme.tabActive : Theme.tabIdle
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.fontLarge
                        font.bold: parent.active
                    }
                    Rectangle {
                        anchors.bottom: parent.bottom
                        width: parent.width
                        height: 4
                        color: Theme.accent
                        visible: parent.active
                    }
                    MouseArea {
                        anchors.fill: parent
                        // The switcher and recorder pages are not there yet: their tabs only show.
                        enabled: modelData.page === 1 || modelData.page === 4
                        onClicked: {
                            if (modelData.page === 1) {
                                root.systemBarShown = false
                                root.currPage = 1
                                pageArea.source = "qrc:/camera/CameraPage.qml"
                            } else {
                                root.systemBarShown = true
                            }
                        }
                    }
                }
            }
        }
        Text {
            anchors.right: parent.right
            anchors.rightMargin: 24
            anchors.verticalCenter: parent.verticalCenter
            text: root.title
            color: Theme.textDim
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontSmall
        }
    }

    // The page of the chosen tab.
    Loader {
        id: pageArea
        objectName: "pageArea"
        visible: !root.testmode
        anchors.top: tabs.bottom
        anchors.bottom: bottomBar.top
        width: parent.width
        source: root.testmode ? "" : "qrc:/camera/CameraPage.qml"
        onStatusChanged: if (status === Loader.Error) console.log("page did not load:", source)
    }

    // Bottom bar: the tool bar, or the system bar after the "ZEK710A" tab.
    Rectangle {
        id: bottomBar
        visible: !root.testmode
        anchors.bottom: parent.bottom
        width: parent.width
        height: 112
        color: Theme.panel

        Item {
            id: toolBar
            objectName: "toolBar"
            anchors.fill: parent
            visible: !root.systemBarShown
            function refreshShift() {
                // Images follow the shift flags; the highlight follows the tool chosen.
                page1.tool3Image = mainObject.cameraShift ? "qrc:/images/icons/shift_active.png" : "qrc:/images/icons/shift.png"
                page1.tool4Image = mainObject.cameraPresetShift ? "qrc:/images/icons/shift_active.png" : "qrc:/images/icons/shift.png"
            }
            Image {
                objectName: "toolPageLeft"
                anchors.left: parent.left
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                source: root.toolBarPage === 0 ? "qrc:/images/icons/arrow_left_disabled.png" : "qrc:/images/icons/arrow_left.png"
                MouseArea { anchors.fill: parent; onClicked: root.toolBarPage = 0 }
            }
            BottomMenuList {
                id: page1
                objectName: "toolPage1"
                visible: root.toolBarPage === 0
                anchors.centerIn: parent
                tool1Image: root.currBtmTool === 1 ? "qrc:/images/icons/camera_active.png" : "qrc:/images/icons/camera.png"
                tool2Image: root.currBtmTool_pst === 2 ? "qrc:/images/icons/preset_active.png" : "qrc:/images/icons/preset.png"
                tool3Image: "qrc:/images/icons/shift.png"
                tool4Image: "qrc:/images/icons/shift.png"
                tool1Title: qsTr("Camera1") + qmlTranslator.e_str
                tool2Title: qsTr("Preset1") + qmlTranslator.e_str
                tool3Title: qsTr("Camera Shift") + qmlTranslator.e_str
                tool4Title: qsTr("Preset Shift") + qmlTranslator.e_str
                tool1Active: root.currBtmTool === 1
                tool2Active: root.currBtmTool_pst === 2
                tool3Active: root.currBtmTool === 7
                tool4Active: root.currBtmTool_pst === 8
                onToolPressed: root.chooseTool([1, 2, 7, 8][position - 1])
            }
            BottomMenuList {
                id: page2
                objectName: "toolPage2"
                visible: root.toolBarPage === 1
                anchors.centerIn: parent
                tool1Image: root.currBtmTool === 3 ? "qrc:/images/icons/switcher_active.png" : "qrc:/images/icons/switcher.png"
                tool2Image: root.currBtmTool === 4 ? "qrc:/images/icons/switcher_active.png" : "qrc:/images/icons/switcher.png"
                tool3Image: root.currBtmTool === 5 ? "qrc:/images/icons/switcher_active.png" : "qrc:/images/icons/switcher.png"
                tool4Image: root.currBtmTool_pst === 6 ? "qrc:/images/icons/switcher_active.png" : "qrc:/images/icons/switcher.png"
                tool1Title: "PVW"
                tool2Title: "PGM"
                tool3Title: "AUX"
                tool4Title: qsTr("SW Function") + qmlTranslator.e_str
                tool1Active: root.currBtmTool === 3
                tool2Active: root.currBtmTool === 4
                tool3Active: root.currBtmTool === 5
                tool4Active: root.currBtmTool_pst === 6
                onToolPressed: root.chooseTool([3, 4, 5, 6][position - 1])
            }
            Image {
                objectName: "toolPageRight"
                anchors.right: parent.right
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                source: root.toolBarPage === 1 ? "qrc:/images/icons/arrow_right_disabled.png" : "qrc:/images/icons/arrow_right.png"
                MouseArea { anchors.fill: parent; onClicked: root.toolBarPage = 1 }
            }
        }

        Row {
            id: systemBar
            objectName: "systemBar"
            visible: root.systemBarShown
            anchors.centerIn: parent
            spacing: 24
            ZButton {
                objectName: "manageDeviceButton"
                text: qsTr("Manage Device") + qmlTranslator.e_str
                width: 300
                height: 84
                onClicked: root.openScreen(manageDevice)
            }
            ZButton {
                objectName: "systemButton"
                text: qsTr("System") + qmlTranslator.e_str
                width: 300
                height: 84
                onClicked: root.openScreen(systemSetting)
            }
            Image {
                objectName: "systemBarClose"
                source: "qrc:/images/icons/arrow_down.png"
                anchors.verticalCenter: parent.verticalCenter
                MouseArea { anchors.fill: parent; onClicked: root.systemBarShown = false }
            }
        }
    }

    // The system screens, made when first opened.
    Loader {
        id: systemSetting
        objectName: "systemSettingLoader"
        active: false
        source: "qrc:/system/SystemSetting.qml"
        onLoaded: {
            root.wireScreen(item)
            // The application announces only non-zero delays; 0 from the slider stops the wait.
            item.screenSaverSet.connect(function (minutes) {
                if (minutes === 0)
                    saverTimer.stop()
            })
            item.useSerialPortToggled.connect(function (on) { root.useSerialPort = on })
        }
    }
    // Opened by the application's refreshSerialInfo, which may come at any time: made at start.
    SerialParameters {
        id: serialParameters
        objectName: "serialParameters"
        Component.onCompleted: root.wireScreen(serialParameters)
    }
    Loader {
        id: manageDevice
        objectName: "manageDeviceLoader"
        active: false
        source: "qrc:/system/ManageDevice.qml"
        onLoaded: root.wireScreen(item)
    }

    // The factory test screens.
    Loader {
        id: testScreens
        objectName: "testScreens"
        anchors.fill: parent
        active: root.testmode
        source: "qrc:/test/TestScreens.qml"
    }

    MessageDialog {
        id: messageDialog
        objectName: "messageDialog"
        onConfirmed: {
            if (code === 99) {
                root.popMessageFunction = 98
                close()
                mainObject.resetZEK710Network()
            } else if (code === 98) {
                message = qsTr("ZEK-710A is going to reboot.") + qmlTranslator.e_str
                mainObject.reboot()
            } else {
                close()
            }
        }
    }
    ProgressDialog {
        id: progressDialog
        objectName: "progressDialog"
    }
    ConnectionWarning {
        id: connectionWarning
        objectName: "connectionWarning"
        onAcknowledged: {
            root.connectMessage = ""
            mainObject.setSeeNoMoreWarning(0, stopShowing)
            mainObject.setRobin(true)
        }
    }
    // Above every screen and dialog (all of them popups of the overlay): the busy indicator, the
    // saver, the splash.
    BusyOverlay {
        id: busyOverlay
        objectName: "busyOverlay"
        z: 500
    }

    // The screen saver: black over everything; the first touch only wakes the panel, whatever
    // screen is open under it.
    Popup {
        id: saver
        objectName: "saver"
        parent: Overlay.overlay
        x: 0
        y: 0
        width: parent ? parent.width : 0
        height: parent ? parent.height : 0
        z: 1000
        padding: 0
        modal: true
        dim: false
        focus: false
        closePolicy: Popup.NoAutoClose
        background: Rectangle { color: "black" }
        contentItem: MouseArea {
            objectName: "saverArea"
            onClicked: root.closeSaver()
        }
    }

    // Until sysInit has returned; touches do not reach the screen under it.
    Popup {
        id: splash
        objectName: "splash"
        parent: Overlay.overlay
        x: 0
        y: 0
        width: parent ? parent.width : 0
        height: parent ? parent.height : 0
        z: 2000
        padding: 0
        modal: true
        dim: false
        focus: false
        visible: true
        closePolicy: Popup.NoAutoClose
        background: Image { source: "qrc:/images/img_bg_launch.png" }
        contentItem: MouseArea {}
    }
}
