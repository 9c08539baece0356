import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "Automation": the HTTP interface for the studio's automation. A switch turns it on or off
// (saved); while on, it shows where it listens. Two buttons make a new read-only or control token;
// the token is shown here once (the panel keeps only its hash) and a new one replaces the old.
// Open with open(); it reads the state each time it opens.
// Signals: automationSet(bool on) after the switch (the system screen updates its row).
Popup {
    id: screen
    property bool automationOn: false
    property string address: ""
    property string token: ""
    property bool tokenIsControl: false

    signal automationSet(bool on)
    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function load() {
        automationOn = mainObject.getAutomationEnabled()
        address = mainObject.getAutomationAddress()
        token = ""
    }
    function toggle() {
        var on = !automationOn
        mainObject.setAutomationEnabled(on)
        automationOn = on
        address = mainObject.getAutomationAddress()
        automationSet(on)
    }
    function makeToken(control) {
        tokenIsControl = control
        token = mainObject.newAutomationToken(control)
    }

    Connections {
        target: mainObject
        function onAutomationChanged() { screen.address = mainObject.getAutomationAddress() }
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    width: 900
    padding: 24
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    onAboutToShow: load()
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 18
        Row {
            spacing: 24
            Text {
                width: 600
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Automation") + qmlTranslator.e_str
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontLarge
                font.bold: true
            }
            Switch {
                objectName: "automationSwitch"
                height: Theme.touch
                checkable: false
                checked: screen.automationOn
                onClicked: screen.toggle()
            }
        }
        Text {
            objectName: "automationAddress"
            width: 852
            wrapMode: Text.WordWrap
            text: !screen.automationOn ? qsTr("Off: nothing listens.") + qmlTranslator.e_str
                  : screen.address !== "" ? "http://" + screen.address + "/"
                  : qsTr("Waiting for the panel's network address…") + qmlTranslator.e_str
            color: screen.automationOn ? Theme.accent : Theme.textDim
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
        Row {
            spacing: 16
            ZButton {
                objectName: "newReadToken"
                width: 360
                height: 64
                text: qsTr("New read-only token") + qmlTranslator.e_str
                onClicked: screen.makeToken(false)
            }
            ZButton {
                objectName: "newControlToken"
                width: 360
                height: 64
                text: qsTr("New control token") + qmlTranslator.e_str
                onClicked: screen.makeToken(true)
            }
        }
        Text {
            width: 852
            visible: screen.token !== ""
            wrapMode: Text.WordWrap
            text: (screen.tokenIsControl ? qsTr("Control token") : qsTr("Read-only token"))
                  + qmlTranslator.e_str + " — "
                  + qsTr("shown only now; the one made before no longer works:") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontSmall
        }
        TextEdit {
            objectName: "automationToken"
            width: 852
            visible: screen.token !== ""
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.WrapAnywhere
            text: screen.token
            color: Theme.accent
            font.family: "monospace"
            font.pixelSize: Theme.fontNormal
        }
        ZButton {
            objectName: "automationClose"
            width: 220
            height: 64
            text: qsTr("Close") + qmlTranslator.e_str
            onClicked: screen.close()
        }
    }
}
