import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15

// The panel's main window. This first screen shows the on-screen camera's values; the camera
// pages and system screens build on it.
ApplicationWindow {
    id: root
    visible: true
    width: 1280
    height: 720
    property real resolutionRatio: 1
    property bool testmode: mainObject.getTestMode()
    property string appVersion: mainObject.getAppVersion()
    property string mcuVersion: mainObject.getMcuVersion()
    property int onScreenCamera: mainObject.getCurrentOnScreen()
    property string connectMessage: ""
    title: (testmode ? "ZEK-710A Tester v" : "ZEK-710A v") + appVersion
    font.family: "Calibri"
    color: "#1d1f24"

    function videoModeName(code) {
        switch (code) {
        case 1: return "1080i59.94"
        case 4: return "1080i50"
        case 2: case 6: return "1080p29.97"
        case 8: return "1080p25"
        case 9: return "720p59.94"
        case 12: return "720p50"
        case 19: return "1080p59.94"
        case 20: return "1080p50"
        case 29: return "2160p29.94"
        case 30: return "2160p25"
        default: return qsTr("unknown") + qmlTranslator.e_str
        }
    }
    function whiteBalanceName(mode) {
        switch (mode) {
        case 0: return qsTr("Auto") + qmlTranslator.e_str
        case 1: return qsTr("Indoor") + qmlTranslator.e_str
        case 2: return qsTr("Outdoor") + qmlTranslator.e_str
        case 3: return qsTr("One Push") + qmlTranslator.e_str
        case 4: return qsTr("Auto Tracking") + qmlTranslator.e_str
        case 5: return qsTr("Manual") + qmlTranslator.e_str
        case 8: return qsTr("One Push (lamp)") + qmlTranslator.e_str
        default: return "-"
        }
    }

    Component.onCompleted: mainObject.sysInit()

    // The rotary-function keys arrive as key events: shutter, focus, iris, gain, and menu enter.
    Item {
        anchors.fill: parent
        focus: true
        Keys.onPressed: {
            var functionKey = [0x10000A9, 0x10000AA, 0x10000AB, 0x10000AC].indexOf(event.key)
            if (functionKey >= 0) {
                mainObject.doBacklightScale(1)
                mainObject.do4KeyFunction(functionKey + 1)
                event.accepted = true
            } else if (event.key === 0x10000F1) {
                mainObject.do4KeyFunction(99)
                event.accepted = true
            }
        }
    }

    Connections {
        target: mainObject
        // The splash stays until the panel's network settings (or a camera's) arrive.
        function onRefreshSystemNetConfig() { splash.visible = false }
        function onRefreshCameraNetConfig() { splash.visible = false }
        function onRefreshCameraList(index) { root.onScreenCamera = index }
        function onCameraConnectState(index, msg, time) {
            // Asked not to be told again: the round robin goes on without a word.
            if (mainObject.getSeeNoMoreWarning(index - 1))
                mainObject.setRobin(true)
            else
                root.connectMessage = msg
        }
    }

    Column {
        anchors.fill: parent
        anchors.margins: 32
        spacing: 24

        Text {
            text: root.title
            color: "white"
            font.pixelSize: 36
        }
        Text {
            text: qsTr("MCU version") + qmlTranslator.e_str + " " + root.mcuVersion
            color: "#a0a4ad"
            font.pixelSize: 20
        }

        Row {
            spacing: 12
            Text {
                text: qsTr("Camera on screen") + qmlTranslator.e_str
                color: "white"
                font.pixelSize: 24
                anchors.verticalCenter: parent.verticalCenter
            }
            Repeater {
                model: 12
                Button {
                    text: index + 1
                    width: 56
                    highlighted: root.onScreenCamera === index + 1
                    onClicked: mainObject.currentCamDisplay(index + 1)
                }
            }
        }

        Grid {
            columns: 2
            columnSpacing: 48
            rowSpacing: 12
            Repeater {
                model: [
                    [qsTr("Video mode") + qmlTranslator.e_str, root.videoModeName(mainObject.camVideoMode)],
                    [qsTr("Vertical flip") + qmlTranslator.e_str, mainObject.camVideoVFlip === 2 ? qsTr("On") + qmlTranslator.e_str : qsTr("Off") + qmlTranslator.e_str],
                    [qsTr("Mirror") + qmlTranslator.e_str, mainObject.camVideoHFlip === 2 ? qsTr("On") + qmlTranslator.e_str : qsTr("Off") + qmlTranslator.e_str],
                    [qsTr("White balance") + qmlTranslator.e_str, root.whiteBalanceName(mainObject.camWBMode)],
                    [qsTr("Red / blue gain") + qmlTranslator.e_str, mainObject.camMWBRGain + " / " + mainObject.camMWBBGain],
                    [qsTr("Shutter") + qmlTranslator.e_str, mainObject.camShutter],
                    [qsTr("Gain") + qmlTranslator.e_str, mainObject.camGain],
                    [qsTr("Focus") + qmlTranslator.e_str, mainObject.camFocus === 2 ? qsTr("Auto") + qmlTranslator.e_str : qsTr("Manual") + qmlTranslator.e_str]
                ]
                delegate: Row {
                    spacing: 16
                    Text { text: modelData[0]; color: "#a0a4ad"; font.pixelSize: 22; width: 220 }
                    Text { objectName: "value" + index; text: modelData[1]; color: "white"; font.pixelSize: 22 }
                }
            }
        }

        Rectangle {
            visible: root.connectMessage !== ""
            width: 720
            height: 140
            radius: 8
            color: "#5b2a2a"
            Text {
                anchors.fill: parent
                anchors.margins: 16
                text: root.connectMessage
                color: "white"
                font.pixelSize: 22
                wrapMode: Text.WordWrap
            }
            MouseArea {
                anchors.fill: parent
                onClicked: { root.connectMessage = ""; mainObject.setRobin(true) }
            }
        }
    }

    Image {
        id: splash
        objectName: "splash"
        anchors.fill: parent
        source: "qrc:/images/img_bg_launch.png"
        // Touches do not reach the screen under it.
        MouseArea { anchors.fill: parent }
    }
}
