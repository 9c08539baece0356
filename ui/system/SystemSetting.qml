import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// The system screen ("ZEK710A" tab, "System" button): one row per setting, each showing the value
// in force and opening its own screen. Open with open(); values are read again on every opening.
// It owns the screens it opens (aliases below) and passes their signals on as its own, so the
// main window connects to this screen only:
//   showMessage(int code, string text)  show the message dialog with that function code
//                                        (98 reboot, 99 reset the panel network)
//   openProgress(), setProgress(int value), closeProgress()   the progress dialog
//   busy(bool on)                        the busy indicator over the whole screen
//   screenSaverSet(int minutes)          the slider moved; at 0 the main window stops its
//                                        screen-saver timer (the application announces only
//                                        non-zero values through screenSaverChanged)
//   useSerialPortToggled(bool on)        "Serial Ports" was switched; the camera pages follow it
Popup {
    id: screen
    property int currLanguage: qmlTranslator.lanCode
    property bool useSerialPort: false
    property bool autoScan: false
    property int currTallyMode: 0
    property int speedMode: 0
    property int screenSaver: 0
    property string ipAddress: ""
    property string appVersion: ""
    property bool automationOn: false
    property string automationAddress: ""
    // From "Serial Ports" pressed until the application says the switch is done.
    property bool switchingSerial: false
    property bool remoteSetupLocked: false

    property alias languagePage: languagePage
    property alias aboutPage: aboutPage
    property alias speedModePage: speedModePage
    property alias networkPage: networkPage
    property alias tallyPage: tallyPage
    property alias automationPage: automationPage
    property alias shutdownDialog: shutdownDialog

    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)
    signal screenSaverSet(int minutes)
    signal useSerialPortToggled(bool on)

    function load() {
        appVersion = mainObject.getAppVersion()
        useSerialPort = mainObject.getUseSerialPort()
        autoScan = mainObject.getAutoScan()
        currTallyMode = mainObject.getCurrentTallyMode()
        speedMode = mainObject.getCurrentSpeedFunction()
        screenSaver = mainObject.getScreenSaver()
        ipAddress = mainObject.getZEK710AIPADDR()
        automationOn = mainObject.getAutomationEnabled()
        automationAddress = mainObject.getAutomationAddress()
        remoteSetupLocked = mainObject.getRemoteSetupLocked()
    }
    function toggleRemoteSetup() {
        mainObject.setRemoteSetupLocked(!remoteSetupLocked)
        remoteSetupLocked = mainObject.getRemoteSetupLocked()
    }
    function languageName(index) {
        return ["English", "繁體中文", "简体中文", "Español", "Português"][index] || "English"
    }
    function speedModeName(mode) {
        return mode === 1 ? qsTr("Arithmetic") : mode === 2 ? qsTr("Fixed") : qsTr("Nonlinear")
    }
    function tallyModeName(mode) {
        return mode === 1 ? qsTr("GPI Tally") : mode === 2 ? qsTr("HCIP") : qsTr("OFF")
    }
    function openAbout() {
        mainObject.getUpgradeVersion()
        aboutPage.open()
    }
    // Switching the serial ports reopens them and connects the network cameras again, which
    // takes seconds: the application does it in the background and says when it is done
    // (serialPortsSwitched); the busy indicator stays up until then.
    function toggleSerialPort() {
        if (switchingSerial)
            return
        switchingSerial = true
        busy(true)
        mainObject.setUseSerialPort(!useSerialPort)
    }
    function toggleAutoScan() {
        var on = !mainObject.getAutoScan()
        mainObject.setAutoScan(on)
        autoScan = on
    }
    function setScreenSaverMinutes(minutes) {
        minutes = Math.max(0, Math.min(10, Math.round(minutes)))
        if (minutes === screenSaver)
            return
        screenSaver = minutes
        mainObject.setScreenSaver(minutes)
        screenSaverSet(minutes)
    }

    Connections {
        target: mainObject
        function onRefreshAutoScan(autoScan) { screen.autoScan = autoScan }
        function onSerialPortsSwitched(on) {
            if (!screen.switchingSerial)
                return
            screen.switchingSerial = false
            screen.useSerialPort = on
            screen.busy(false)
            screen.useSerialPortToggled(on)
        }
    }

    LanguagePage {
        id: languagePage
        onLanguageSaved: screen.currLanguage = index
    }
    AboutPage { id: aboutPage }
    SpeedMode {
        id: speedModePage
        onSpeedModeChanged: screen.speedMode = mode
    }
    NetworkSetting {
        id: networkPage
        onClosed: screen.ipAddress = mainObject.getZEK710AIPADDR()
    }
    TallyMode {
        id: tallyPage
        onTallyModeChanged: screen.currTallyMode = mode
    }
    AutomationPage {
        id: automationPage
        onClosed: {
            screen.automationOn = mainObject.getAutomationEnabled()
            screen.automationAddress = mainObject.getAutomationAddress()
        }
    }
    ShutdownDialog { id: shutdownDialog }

    Component.onCompleted: {
        var pages = [languagePage, aboutPage, speedModePage, networkPage, tallyPage, automationPage]
        for (var i = 0; i < pages.length; ++i) {
            pages[i].showMessage.connect(showMessage)
            pages[i].openProgress.connect(openProgress)
            pages[i].setProgress.connect(setProgress)
            pages[i].closeProgress.connect(closeProgress)
            pages[i].busy.connect(busy)
        }
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: 0
    y: 0
    width: 1280
    height: 720
    padding: 0
    closePolicy: Popup.CloseOnEscape
    onAboutToShow: load()
    background: Rectangle { color: Theme.background }

    // A row of the list: name on the left, value or control on the right; the whole row is the
    // touch target when it opens a screen or holds a switch (a touch anywhere on it flips the
    // switch).
    component SettingRow: Rectangle {
        id: row
        property alias label: rowLabel.text
        property string value: ""
        property bool opens: true
        property bool toggles: false
        default property alias control: controlArea.data
        signal clicked()
        width: 1180
        height: 52
        radius: Theme.radius
        color: rowArea.pressed ? Theme.panelRaised : Theme.panel
        border.color: Theme.line
        border.width: 1
        Text {
            id: rowLabel
            x: 24
            anchors.verticalCenter: parent.verticalCenter
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
        MouseArea {
            id: rowArea
            anchors.fill: parent
            enabled: row.opens || row.toggles
            onClicked: row.clicked()
        }
        Text {
            objectName: "value"
            anchors.right: parent.right
            anchors.rightMargin: 24
            anchors.verticalCenter: parent.verticalCenter
            visible: row.value !== ""
            text: row.value + (row.opens ? "  ›" : "")
            color: Theme.accent
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
        Item {
            id: controlArea
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            width: 720
            height: parent.height
        }
    }

    contentItem: Item {
        Text {
            x: 50; y: 8
            height: 56
            verticalAlignment: Text.AlignVCenter
            text: qsTr("ZEK-710A") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontTitle
            font.bold: true
        }
        Column {
            x: 50; y: 72
            spacing: 4
            SettingRow {
                objectName: "rowLanguage"
                label: qsTr("Language") + qmlTranslator.e_str
                value: screen.languageName(screen.currLanguage)
                onClicked: languagePage.open()
            }
            SettingRow {
                objectName: "rowAbout"
                label: qsTr("About") + qmlTranslator.e_str
                value: qsTr("APP v") + qmlTranslator.e_str + screen.appVersion
                onClicked: screen.openAbout()
            }
            SettingRow {
                objectName: "rowSerialPorts"
                label: qsTr("Serial Ports") + qmlTranslator.e_str
                opens: false
                toggles: !screen.switchingSerial
                onClicked: screen.toggleSerialPort()
                Switch {
                    objectName: "serialSwitch"
                    height: parent.height
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.right: parent.right
                    checkable: false
                    checked: screen.useSerialPort
                    enabled: !screen.switchingSerial
                    onClicked: screen.toggleSerialPort()
                }
            }
            SettingRow {
                objectName: "rowNetwork"
                label: qsTr("Network Setting") + qmlTranslator.e_str
                value: screen.ipAddress
                onClicked: networkPage.open()
            }
            SettingRow {
                objectName: "rowTally"
                label: qsTr("Camera Tally") + qmlTranslator.e_str
                value: screen.tallyModeName(screen.currTallyMode) + qmlTranslator.e_str
                onClicked: tallyPage.open()
            }
            SettingRow {
                objectName: "rowSpeedMode"
                label: qsTr("Joystick Speed Mode") + qmlTranslator.e_str
                value: screen.speedModeName(screen.speedMode) + qmlTranslator.e_str
                onClicked: speedModePage.open()
            }
            SettingRow {
                objectName: "rowAutoScan"
                label: qsTr("Auto HCIP Scan") + qmlTranslator.e_str
                opens: false
                toggles: true
                onClicked: screen.toggleAutoScan()
                Switch {
                    objectName: "autoScanSwitch"
                    height: parent.height
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.right: parent.right
                    checkable: false
                    checked: screen.autoScan
                    onClicked: screen.toggleAutoScan()
                }
            }
            SettingRow {
                objectName: "rowAutomation"
                label: qsTr("Automation") + qmlTranslator.e_str
                value: !screen.automationOn ? qsTr("OFF") + qmlTranslator.e_str
                       : screen.automationAddress !== "" ? screen.automationAddress
                       : qsTr("ON") + qmlTranslator.e_str
                onClicked: automationPage.open()
            }
            SettingRow {
                objectName: "rowRemoteSetup"
                label: qsTr("Remote setup") + qmlTranslator.e_str
                value: (screen.remoteSetupLocked ? qsTr("locked") : qsTr("allowed"))
                       + qmlTranslator.e_str
                opens: false
                toggles: true
                onClicked: screen.toggleRemoteSetup()
            }
            SettingRow {
                objectName: "rowScreenSaver"
                label: qsTr("Screen Saver") + qmlTranslator.e_str
                opens: false
                Row {
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.right: parent.right
                    spacing: 8
                    Image {
                        objectName: "saverDown"
                        width: 52; height: 52
                        source: "qrc:/images/icons/arrow_left" + (screen.screenSaver > 0 ? "" : "_disabled") + ".png"
                        MouseArea { anchors.fill: parent; onClicked: screen.setScreenSaverMinutes(screen.screenSaver - 1) }
                    }
                    Slider {
                        objectName: "saverSlider"
                        width: 360
                        height: 52
                        from: 0
                        to: 10
                        stepSize: 1
                        snapMode: Slider.SnapAlways
                        value: screen.screenSaver
                        onMoved: screen.setScreenSaverMinutes(value)
                    }
                    Image {
                        objectName: "saverUp"
                        width: 52; height: 52
                        source: "qrc:/images/icons/arrow_right" + (screen.screenSaver < 10 ? "" : "_disabled") + ".png"
                        MouseArea { anchors.fill: parent; onClicked: screen.setScreenSaverMinutes(screen.screenSaver + 1) }
                    }
                    Text {
                        objectName: "saverText"
                        width: 110
                        height: 52
                        verticalAlignment: Text.AlignVCenter
                        horizontalAlignment: Text.AlignRight
                        text: screen.screenSaver + qsTr(" min.") + qmlTranslator.e_str
                        color: Theme.accent
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.fontNormal
                    }
                }
            }
        }
        ZButton {
            objectName: "shutdownButton"
            x: 50
            y: 720 - 16 - height
            width: 220
            height: 64
            tint: Theme.danger
            leftPadding: 56
            text: qsTr("Shut Down") + qmlTranslator.e_str
            onClicked: shutdownDialog.open()
            Image {
                x: 12
                anchors.verticalCenter: parent.verticalCenter
                width: 40; height: 40
                source: "qrc:/images/icons/power.png"
            }
        }
        ZButton {
            objectName: "backButton"
            x: 1280 - 50 - width
            y: 720 - 16 - height
            width: 220
            height: 64
            text: qsTr("Back") + qmlTranslator.e_str
            onClicked: screen.close()
        }
    }
}
