import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// A slider with a step arrow on each side: fingers are too coarse to hit one step on the bar.
// `moved` comes from the operator only (bar or arrows), never from setting `value`.
Item {
    id: control
    property string title: ""
    property string unit: ""
    property real from: 0
    property real to: 100
    property real stepSize: 1
    property alias value: bar.value
    signal moved()

    function step(delta) {
        var next = Math.max(from, Math.min(to, bar.value + delta * stepSize))
        if (next !== bar.value) {
            bar.value = next
            control.moved()
        }
    }

    implicitWidth: 720
    implicitHeight: Theme.touch + 40

    Text {
        id: caption
        anchors { left: parent.left; top: parent.top }
        text: control.title
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
    }
    Text {
        objectName: "valueText"
        anchors { right: parent.right; top: parent.top }
        text: Math.round(bar.value) + control.unit
        color: Theme.accent
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
        font.bold: true
    }
    Image {
        id: down
        objectName: "stepDown"
        anchors { left: parent.left; bottom: parent.bottom }
        width: Theme.touch; height: Theme.touch
        source: bar.value > control.from ? "qrc:/images/icons/arrow_left.png"
                                         : "qrc:/images/icons/arrow_left_disabled.png"
        MouseArea { anchors.fill: parent; onClicked: control.step(-1) }
    }
    Slider {
        id: bar
        objectName: "bar"
        anchors { left: down.right; right: up.left; verticalCenter: down.verticalCenter; margins: 8 }
        height: Theme.touch
        from: control.from
        to: control.to
        stepSize: control.stepSize
        snapMode: Slider.SnapAlways
        onMoved: control.moved()
    }
    Image {
        id: up
        objectName: "stepUp"
        anchors { right: parent.right; bottom: parent.bottom }
        width: Theme.touch; height: Theme.touch
        source: bar.value < control.to ? "qrc:/images/icons/arrow_right.png"
                                       : "qrc:/images/icons/arrow_right_disabled.png"
        MouseArea { anchors.fill: parent; onClicked: control.step(1) }
    }
}
