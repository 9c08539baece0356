import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// A spinning indicator over the whole screen, above any open screen, while the application
// works; touches wait.
Popup {
    id: overlay
    property bool running: false
    parent: Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    padding: 0
    modal: true
    dim: false
    focus: false
    closePolicy: Popup.NoAutoClose
    visible: running
    background: Rectangle { color: "#99000000" }
    contentItem: Item {
        BusyIndicator {
            objectName: "busyIndicator"
            anchors.centerIn: parent
            width: 120
            height: 120
            running: overlay.running
        }
    }
}
