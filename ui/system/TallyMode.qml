import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "Camera Tally": the tally source, and the way to the tally mapping.
// Open with open(); it starts from the mode in force. It owns the mapping screen (`mapping`),
// so its signals reach the main window through this screen's own.
// Signals for the main window:
//   tallyModeChanged(int mode)           after Save or Reset (the system screen shows the mode)
//   showMessage, openProgress, setProgress, closeProgress, busy   declared for a uniform
//   interface; the mapping screen shows its "Work done." itself
Popup {
    id: screen
    property int selection: 0
    property alias mapping: mappingScreen

    signal tallyModeChanged(int mode)
    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function save() {
        mainObject.setTallyMode(selection)
        tallyModeChanged(selection)
        close()
    }
    function reset() {
        selection = 0
        mainObject.setTallyMode(0)
        tallyModeChanged(0)
    }
    // The mapping screen is listening before the request, so the list that the application sends
    // back during the call lands in it; no wait is needed.
    function openMapping() {
        mappingScreen.open()
        mainObject.doRefreshListCameraMapping()
    }

    TallyMapping {
        id: mappingScreen
        onShowMessage: screen.showMessage(code, text)
        onOpenProgress: screen.openProgress()
        onSetProgress: screen.setProgress(value)
        onCloseProgress: screen.closeProgress()
        onBusy: screen.busy(on)
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    onAboutToShow: selection = mainObject.getCurrentTallyMode()
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 20
        Text {
            text: qsTr("Camera Tally") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Row {
            spacing: 16
            Text {
                width: 120; height: 80
                verticalAlignment: Text.AlignVCenter
                text: qsTr("Mode") + qmlTranslator.e_str
                color: Theme.textDim
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontNormal
            }
            Repeater {
                // Shown in this order; the value is the mode's code.
                model: [1, 2, 0]
                delegate: ZButton {
                    objectName: "tallyMode" + modelData
                    width: 200; height: 80
                    selected: screen.selection === modelData
                    text: (modelData === 1 ? qsTr("GPI Tally") : modelData === 2 ? qsTr("HCIP") : qsTr("OFF"))
                          + qmlTranslator.e_str
                    onClicked: screen.selection = modelData
                }
            }
        }
        Row {
            spacing: 16
            ZButton {
                objectName: "mappingButton"
                width: 220
                text: qsTr("Tally Mapping") + qmlTranslator.e_str
                onClicked: screen.openMapping()
            }
            Item { width: 40; height: 1 }
            ZButton {
                objectName: "resetButton"
                width: 160
                tint: Theme.danger
                text: qsTr("Reset") + qmlTranslator.e_str
                onClicked: screen.reset()
            }
            ZButton {
                objectName: "backButton"
                width: 160
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: screen.close()
            }
            ZButton {
                objectName: "saveButton"
                width: 160
                tint: Theme.ok
                text: qsTr("Save") + qmlTranslator.e_str
                onClicked: screen.save()
            }
        }
    }
}
