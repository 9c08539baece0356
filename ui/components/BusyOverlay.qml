import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// A spinning indicator over the whole screen while the application works; touches wait.
Rectangle {
    id: overlay
    property bool running: false
    visible: running
    color: "#99000000"
    BusyIndicator {
        anchors.centerIn: parent
        width: 120
        height: 120
        running: overlay.running
    }
    MouseArea {
        anchors.fill: parent
    }
}
