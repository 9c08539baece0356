import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// A modal popup of the panel, centred, dark; most close on a touch outside them.
Popup {
    id: dialog
    property string title: ""
    default property alias content: body.data
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    padding: 24
    background: Rectangle {
        color: Theme.panel
        radius: 14
        border.color: Theme.line
        border.width: 2
    }
    contentItem: Column {
        spacing: 16
        Text {
            visible: dialog.title !== ""
            text: dialog.title
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Item {
            id: body
            implicitWidth: childrenRect.width
            implicitHeight: childrenRect.height
        }
    }
}
