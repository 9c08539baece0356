import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// The frame of the camera screens: modal, centred, dark, titled. Unlike the small dialogs they
// hold settings in progress, so a stray touch outside must not throw them away.
Popup {
    id: popup
    property string title: ""
    default property alias content: body.data
    modal: true
    focus: true
    parent: Overlay.overlay
    anchors.centerIn: Overlay.overlay
    closePolicy: Popup.NoAutoClose
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
            visible: popup.title !== ""
            text: popup.title
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontTitle
            font.bold: true
        }
        Item {
            id: body
            implicitWidth: childrenRect.width
            implicitHeight: childrenRect.height
        }
    }
}
