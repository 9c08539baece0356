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
    anchors.centerIn: Overlay.overlay
    closePolicy: Popup.NoAutoClose
    padding: 24

    // The panel's four function keys and the backlight key keep working over every camera screen.
    function functionKey(key) {
        var keys = { 0x10000A9: 1, 0x10000AA: 2, 0x10000AB: 3, 0x10000AC: 4 }
        if (keys[key] !== undefined) {
            mainObject.doBacklightScale(1)
            mainObject.do4KeyFunction(keys[key])
            return true
        }
        if (key === 0x10000F1) {
            mainObject.do4KeyFunction(99)
            return true
        }
        return false
    }

    background: Rectangle {
        color: Theme.panel
        radius: 14
        border.color: Theme.line
        border.width: 2
    }
    contentItem: Column {
        spacing: 16
        focus: true
        Keys.onPressed: event.accepted = popup.functionKey(event.key)
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
