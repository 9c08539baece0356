import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// A push button of the panel: at least one touch target high, text in the screens' font.
Button {
    id: control
    property bool selected: false
    property color tint: Theme.panelRaised
    implicitHeight: Theme.touch
    implicitWidth: Math.max(Theme.touch * 2, contentItem.implicitWidth + 32)
    font.family: Theme.fontFamily
    font.pixelSize: Theme.fontNormal
    contentItem: Text {
        text: control.text
        font: control.font
        color: control.enabled ? (control.selected ? "#1b1406" : Theme.text) : Theme.textDim
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: Theme.radius
        color: control.selected ? Theme.accent : (control.down ? Qt.lighter(control.tint, 1.4) : control.tint)
        border.color: control.selected ? Theme.accent : Theme.line
        border.width: 2
        opacity: control.enabled ? 1 : 0.5
    }
}
