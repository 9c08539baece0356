import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "Joystick Speed Mode": three buttons that set the joystick speed curve at once.
// Open with open(); it reads the current mode each time it opens.
// Signals: speedModeChanged(int mode) after a button set a mode (the system screen updates its row).
// The common screen signals (showMessage, openProgress, setProgress, closeProgress, busy) are
// declared for a uniform interface; this screen never needs them.
Popup {
    id: screen
    property int currentMode: 0

    signal speedModeChanged(int mode)
    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function choose(mode) {
        mainObject.setCurrentSpeedFunction(mode)
        currentMode = mode
        speedModeChanged(mode)
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    onAboutToShow: currentMode = mainObject.getCurrentSpeedFunction()
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 20
        Text {
            text: qsTr("Joystick Speed Mode") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Row {
            spacing: 16
            Repeater {
                model: 3
                delegate: ZButton {
                    objectName: "speedMode" + index
                    width: 220
                    height: 80
                    selected: screen.currentMode === index
                    text: [qsTr("Nonlinear"), qsTr("Arithmetic"), qsTr("Fixed")][index] + qmlTranslator.e_str
                    onClicked: screen.choose(index)
                }
            }
        }
        ZButton {
            objectName: "backButton"
            anchors.right: parent.right
            width: 180
            text: qsTr("Back") + qmlTranslator.e_str
            onClicked: screen.close()
        }
    }
}
