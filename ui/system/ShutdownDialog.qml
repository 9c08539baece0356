import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "System Shutdown": asks before the panel powers off. Open with open(); OK calls shutdown().
Popup {
    id: dialog
    readonly property int notifyFunction: 11

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.danger; border.width: 2 }

    contentItem: Column {
        spacing: 20
        Text {
            text: qsTr("System Shutdown") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Text {
            text: qsTr("Do You Want to Shut Down?") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
        Row {
            anchors.right: parent.right
            spacing: 16
            ZButton {
                objectName: "shutdownCancel"
                width: 180
                text: qsTr("Cancel") + qmlTranslator.e_str
                onClicked: dialog.close()
            }
            ZButton {
                objectName: "shutdownOk"
                width: 180
                tint: Theme.danger
                text: qsTr("OK") + qmlTranslator.e_str
                onClicked: {
                    dialog.close()
                    mainObject.shutdown()
                }
            }
        }
    }
}
