import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// The factory test page, shown instead of the normal screens when the panel starts in test mode:
// serial loopback of the port pairs, USB copy test, T-bar calibration, upgrade, the contact tally
// inputs, and the panel's controls and key lamps. Verdicts come back as signals.
Rectangle {
    id: page
    color: Theme.background
    // Verdict per test: "" until one arrives.
    property var rs422: ["", "", "", ""]
    property var usb: ["", ""]
    property var usbButton: ["", ""]
    property string calibration: ""
    property string upgrade: ""
    // Contact tally indicators 1 to 6: "white", "red" or "green".
    property var tally: ["white", "white", "white", "white", "white", "white"]
    property string controls: ""
    property int lastKey: 0

    function setAt(list, index, value) {
        var copy = list.slice()
        copy[index] = value
        return copy
    }
    // A colour for one indicator; the others turn white unless they are green.
    function lightTally(index, colour) {
        var lights = tally.slice()
        for (var i = 0; i < lights.length; ++i) {
            if (i === index - 1)
                lights[i] = colour
            else if (lights[i] !== "green")
                lights[i] = "white"
        }
        tally = lights
    }

    Connections {
        target: mainObject
        ignoreUnknownSignals: true
        function onRefreshRS422Msg(msg, index) { page.rs422 = page.setAt(page.rs422, index - 1, msg) }
        // The verdict ends the wait: the button shows its own name again.
        function onRefreshUSBMsg(msg, index) {
            page.usb = page.setAt(page.usb, index - 1, msg)
            page.usbButton = page.setAt(page.usbButton, index - 1, "")
        }
        function onRefreshUSBButtonText(msg, index) { page.usbButton = page.setAt(page.usbButton, index - 1, msg) }
        function onRefreshCaliMsg(msg, index) { page.calibration = msg }
        function onRefreshTallyRed(index) { page.lightTally(index, "red") }
        function onRefreshTallyGreen(index) { page.lightTally(index, "green") }
        function onRefreshJoystickValue(dirX, x, dirY, y, dirZ, z) {
            page.controls = "X " + (dirX ? "-" : "+") + x + "  Y " + (dirY ? "-" : "+") + y + "  Z " + (dirZ ? "-" : "+") + z
        }
        function onRefreshTBarValue(t) { tbarText.text = "T-Bar " + t }
        function onRefreshKeys(index) { page.lastKey = index }
        function onUpgradeResult(result) { page.upgrade = result }
    }

    component Section: Rectangle {
        property string title
        default property alias body: content.data
        color: Theme.panel
        radius: Theme.radius
        border.color: Theme.line
        Text {
            id: heading
            x: 16
            y: 10
            text: parent.title
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Flow {
            id: content
            anchors.top: heading.bottom
            anchors.topMargin: 10
            x: 16
            width: parent.width - 32
            spacing: 12
        }
    }
    component Verdict: Text {
        color: text === "正常" || text === "OK" ? Theme.ok : (text === "" ? Theme.textDim : Theme.danger)
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
        height: Theme.touch
        verticalAlignment: Text.AlignVCenter
    }

    Grid {
        anchors.fill: parent
        anchors.margins: 16
        columns: 2
        spacing: 16

        Section {
            width: 616
            height: 220
            title: qsTr("RS-422 loop test") + qmlTranslator.e_str
            Repeater {
                model: 4
                Row {
                    spacing: 8
                    ZButton {
                        objectName: "rs422Button" + (index + 1)
                        text: (index * 2 + 1) + "-" + (index * 2 + 2)
                        width: 112
                        onClicked: mainObject.callRS422Check(index + 1)
                    }
                    Verdict { objectName: "rs422Verdict" + (index + 1); text: page.rs422[index]; width: 150 }
                }
            }
        }
        Section {
            width: 616
            height: 220
            title: qsTr("USB test") + qmlTranslator.e_str
            Repeater {
                model: 2
                Row {
                    spacing: 8
                    ZButton {
                        objectName: "usbButton" + (index + 1)
                        text: page.usbButton[index] !== "" ? page.usbButton[index] : "USB " + (index + 1)
                        width: 160
                        onClicked: mainObject.callUSBCheck(index + 1)
                    }
                    Verdict { objectName: "usbVerdict" + (index + 1); text: page.usb[index]; width: 150 }
                }
            }
        }
        Section {
            width: 616
            height: 180
            title: qsTr("T-Bar calibration") + qmlTranslator.e_str
            ZButton { objectName: "caliBottom"; text: qsTr("Bottom") + qmlTranslator.e_str; width: 150; onClicked: mainObject.callCalibration(1) }
            ZButton { objectName: "caliTop"; text: qsTr("Top") + qmlTranslator.e_str; width: 150; onClicked: mainObject.callCalibration(2) }
            ZButton { objectName: "caliVerify"; text: qsTr("Verify") + qmlTranslator.e_str; width: 150; onClicked: mainObject.callCalibration(99) }
            Verdict { objectName: "caliVerdict"; text: page.calibration; width: 100 }
        }
        Section {
            width: 616
            height: 180
            title: qsTr("GPI tally") + qmlTranslator.e_str
            ZButton { objectName: "tallyStart"; text: qsTr("Start") + qmlTranslator.e_str; width: 150; onClicked: mainObject.callTallyCheck() }
            Repeater {
                model: 6
                Rectangle {
                    objectName: "tallyLight" + (index + 1)
                    width: 56
                    height: 56
                    radius: 28
                    color: page.tally[index] === "red" ? Theme.danger : (page.tally[index] === "green" ? Theme.ok : "white")
                    Text { anchors.centerIn: parent; text: index + 1; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal; color: "black" }
                }
            }
        }
        Section {
            width: 616
            height: 220
            title: qsTr("Panel test") + qmlTranslator.e_str
            Repeater {
                model: 4
                ZButton {
                    objectName: "ledButton" + (index + 1)
                    text: "LED " + (index + 1)
                    width: 120
                    onClicked: mainObject.callTestLed(index + 1)
                }
            }
            Text { id: tbarText; text: "T-Bar"; color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal; width: 250 }
            Text { text: page.controls; color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal; width: 330 }
            Text { text: qsTr("Key") + qmlTranslator.e_str + " " + page.lastKey; color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.fontNormal }
        }
        Section {
            width: 616
            height: 220
            title: qsTr("Upgrade") + qmlTranslator.e_str
            ZButton {
                objectName: "upgradeButton"
                text: qsTr("Upgrade") + qmlTranslator.e_str
                width: 180
                // The install runs in the background; its result comes with upgradeResult.
                onClicked: {
                    page.upgrade = "..."
                    var refused = mainObject.callUpgrade()
                    if (refused !== "")
                        page.upgrade = refused
                }
            }
            ZButton {
                objectName: "restartButton"
                text: qsTr("Start panel") + qmlTranslator.e_str
                width: 200
                onClicked: mainObject.sysInit()
            }
            Verdict { text: page.upgrade; width: 150 }
        }
    }
}
