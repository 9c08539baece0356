import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// The About screen: versions in force, the latest ones found, and the upgrade.
// Open with open() after calling mainObject.getUpgradeVersion() (the system screen does both); the
// screen listens to refreshNewVersion itself for the upgrade label and the Upgrade button.
// Signals for the main window:
//   openProgress(), setProgress(int value), closeProgress()  the progress dialog of the upgrade
//   showMessage(int code, string text)   code 98 "Please reboot ZEK710A" after a good upgrade
//   busy(bool on)                         declared for a uniform interface; unused here
Popup {
    id: screen
    property bool upgradable: false
    property string upgradeLabel: ""
    property string failureText: ""
    property int progressValue: 0
    property string upgradeResult: ""
    readonly property bool upgrading: stepTimer.running

    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function startUpgrade() {
        if (stepTimer.running)
            return
        failureText = ""
        upgradeResult = ""
        progressValue = 0
        step()
        stepTimer.start()
    }
    // The install starts at 90 and runs in the background; the dialog waits at 100 for its
    // result (upgradeResult) before it closes.
    function step() {
        if (progressValue === 0)
            openProgress()
        setProgress(progressValue)
        if (progressValue === 90) {
            var refused = String(mainObject.callUpgrade())
            if (refused !== "")
                upgradeResult = "ERROR"
        }
        finishWhenDone()
    }
    function finishWhenDone() {
        if (progressValue >= 100 && upgradeResult !== "" && stepTimer.running) {
            stepTimer.stop()
            closeProgress()
            if (upgradeResult === "OK")
                showMessage(98, qsTr("Please reboot ZEK710A") + qmlTranslator.e_str)
            else
                failureText = qsTr("Update failed.\nTry Again?") + qmlTranslator.e_str
        }
    }

    Timer {
        id: stepTimer
        interval: 500
        repeat: true
        onTriggered: {
            if (screen.progressValue < 100) {
                screen.progressValue += 10
                screen.step()
            } else {
                screen.finishWhenDone()
            }
        }
    }

    Connections {
        target: mainObject
        function onUpgradeResult(result) {
            if (screen.upgrading) {
                screen.upgradeResult = result === "" ? "ERROR" : result
                screen.finishWhenDone()
            }
        }
        function onRefreshNewVersion(upable, appver, mcuver) {
            screen.upgradable = upable
            screen.upgradeLabel = (appver === "" && mcuver === "") ? ""
                : qsTr("Latest APP revision") + qmlTranslator.e_str + ": " + appver + "\n"
                  + qsTr("Latest MCU revision") + qmlTranslator.e_str + ": " + mcuver
        }
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    // An upgrade in progress cannot be walked away from.
    closePolicy: upgrading ? Popup.NoAutoClose : (Popup.CloseOnPressOutside | Popup.CloseOnEscape)
    onAboutToShow: failureText = ""
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 16
        width: 760
        Text {
            text: qsTr("About") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Grid {
            columns: 2
            columnSpacing: 32
            rowSpacing: 12
            Text {
                text: qsTr("APP Revision") + qmlTranslator.e_str
                color: Theme.textDim; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal
            }
            Text {
                objectName: "appRevision"
                text: mainObject.getAppVersion()
                color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal
            }
            Text {
                text: qsTr("MCU Revision") + qmlTranslator.e_str
                color: Theme.textDim; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal
            }
            Text {
                objectName: "mcuRevision"
                text: mainObject.getMcuVersion()
                color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal
            }
            Text {
                text: qsTr("Latest APP Revision") + qmlTranslator.e_str
                color: Theme.textDim; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal
            }
            Text {
                objectName: "upgradeLabel"
                text: screen.upgradeLabel
                color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal
            }
        }
        Text {
            objectName: "failureText"
            visible: text !== ""
            text: screen.failureText
            color: Theme.danger
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
            font.bold: true
        }
        Row {
            anchors.right: parent.right
            spacing: 16
            ZButton {
                objectName: "backButton"
                width: 180
                enabled: !screen.upgrading
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: screen.close()
            }
            ZButton {
                objectName: "upgradeButton"
                width: 180
                enabled: screen.upgradable && !screen.upgrading
                tint: Theme.ok
                text: qsTr("Upgrade") + qmlTranslator.e_str
                onClicked: screen.startUpgrade()
            }
        }
    }
}
