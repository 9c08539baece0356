// The recovery tool's window: a chasing light on the function-key lamps for about seven seconds;
// holding the recovery chord (function keys 1 and 4 with the fifth panel key) puts the previous
// application back and reboots.
import QtQuick 2.15
import QtQuick.Window 2.15

Window {
    id: window
    objectName: "rescueWindow"
    visible: true
    width: 800
    height: 480
    color: "black"
    title: "ZEK-710A RESCUE" + "v1.0"

    property int steps: 0
    property int loops: 0
    property int resCmd: 1
    property bool held1: false
    property bool held2: false
    property bool held3: false

    function startRecovery(msg) {
        splash.visible = false
        message.text = msg
        recovery.interval = 333
        recovery.start()
    }

    Connections {
        target: mainObject
        function onShowMessage(msg) { window.startRecovery(msg) }
    }

    // Chasing light: steps 0, 1, 2, 3, 4, 1, 2, 3, 4, then lamps off and the end.
    Timer {
        id: chase
        objectName: "chaseTimer"
        interval: 777
        repeat: true
        running: true
        onTriggered: {
            mainObject.callSteps(window.steps)
            window.steps += 1
            if (window.steps === 5) {
                window.steps = 1
                window.loops += 1
                if (window.loops === 2) {
                    chase.stop()
                    mainObject.callSteps(99)
                }
            }
        }
    }

    Timer {
        id: recovery
        repeat: false
        onTriggered: {
            if (window.resCmd === 1) {
                if (mainObject.doRescue() === 0) {
                    message.text = "ZEK-710A recovery OK.\nPlease wait for rebooting."
                    window.resCmd = 2
                } else {
                    message.text = "ZEK-710A recovery Failed.\nPlease wait for rebooting and try again."
                    window.resCmd = 3
                }
                recovery.interval = 666
                recovery.start()
            } else {
                mainObject.callSteps(99)
            }
        }
    }

    Text {
        id: message
        objectName: "message"
        anchors.fill: parent
        color: "white"
        font.family: "Century"
        font.pixelSize: 50
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        focus: true

        function setHeld(key, down) {
            if (key === mainObject.chordKey1) window.held1 = down
            else if (key === mainObject.chordKey2) window.held2 = down
            else if (key === mainObject.chordKey3) window.held3 = down
        }

        Keys.onPressed: {
            if (event.isAutoRepeat) return
            if (event.key >= 0x10000A9 && event.key <= 0x10000AC)
                mainObject.keyLED(event.key - 0x10000A9 + 1)
            setHeld(event.key, true)
            if (window.held1 && window.held2 && window.held3 && chase.running) {
                chase.stop()
                splash.visible = false
                message.text = "ZEK-710A recovering. \nPlease wait..."
                mainObject.prepareRescue()
            }
            event.accepted = true
        }
        Keys.onReleased: {
            if (event.isAutoRepeat) return
            setHeld(event.key, false)
            event.accepted = true
        }
    }

    Image {
        id: splash
        objectName: "splash"
        anchors.fill: parent
        source: "qrc:/img_bg_launch.png"
    }
}
