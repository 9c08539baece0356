import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"
import "../components/address.js" as Address

// "Network Setting": the panel's own network. The five address fields are typed on the number
// pad (function codes 10 to 14: IP address, mask, gateway, primary DNS, secondary DNS).
// Open with open(); it reads the settings in force when it opens and follows
// refreshSystemNetConfig itself.
// Signals for the main window:
//   openProgress(), setProgress(int value), closeProgress()  the progress dialog of Save
//   showMessage(int code, string text)  99 to confirm "Reset", 98 "Please reboot ZEK710A" after a
//                                        Save that wrote the file, 0 with the reason after one
//                                        that could not
//   busy(bool on)                        declared for a uniform interface; unused here
Popup {
    id: screen
    property string hostName: ""
    property string modelName: "ZEK-710A"
    property string macAddress: ""
    property bool dhcp: false
    property string ipAddress: ""
    property string netmask: ""
    property string gateway: ""
    property string primaryDns: ""
    property string secondaryDns: ""
    property bool invalidEntry: false
    property int progressValue: 0
    // "" while a save has no outcome yet, then "saved" or "failed".
    property string saveOutcome: ""
    readonly property bool saving: stepTimer.running
    property alias numberPad: numberPad

    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    readonly property var fieldNames: ["ipAddress", "netmask", "gateway", "primaryDns", "secondaryDns"]

    function load() {
        hostName = mainObject.getZEK710AHOSTNAME()
        macAddress = mainObject.getZEK710AMACADD()
        dhcp = mainObject.getZEK710ADHCPMODE()
        ipAddress = mainObject.getZEK710AIPADDR()
        netmask = mainObject.getZEK710AMASKADD()
        gateway = mainObject.getZEK710AGATEADD()
        primaryDns = mainObject.getZEK710APRIDNS()
        secondaryDns = mainObject.getZEK710ASECDNS()
        invalidEntry = false
    }
    function editField(code) {
        numberPad.show(code, screen[fieldNames[code - 10]])
    }
    // A mistyped address would cut the panel off the network after the reboot, so it is refused
    // and the field keeps its value.
    function applyNumber(code, text) {
        if (code < 10 || code > 14)
            return
        if (!Address.isAddress(text)) {
            invalidEntry = true
            return
        }
        invalidEntry = false
        screen[fieldNames[code - 10]] = text
    }
    function askReset() {
        showMessage(99, qsTr("Are you sure to reset ZEK710A network configuration?") + qmlTranslator.e_str)
    }
    function startSave() {
        if (stepTimer.running)
            return
        progressValue = 0
        saveOutcome = ""
        step()
        stepTimer.start()
    }
    // One setting per tick, so the progress dialog is drawn between the calls. The file is written
    // in the background from 60 on; at 100 the dialog waits for the outcome (networkSaveFinished).
    function step() {
        switch (progressValue) {
        case 0:
            mainObject.zek710ADHCPMODE = dhcp
            openProgress()
            break
        case 10: mainObject.setZEK710AIPADDR(ipAddress); break
        case 20: mainObject.setZEK710AMASKADD(netmask); break
        case 30: mainObject.setZEK710AGATEADD(gateway); break
        case 40: mainObject.setZEK710APRIDNS(primaryDns); break
        case 50: mainObject.setZEK710ASECDNS(secondaryDns); break
        case 60: mainObject.saveZEK710ANetConfig(); break
        }
        setProgress(progressValue)
        finishWhenDone()
    }
    function finishWhenDone() {
        if (progressValue >= 100 && saveOutcome !== "" && stepTimer.running) {
            stepTimer.stop()
            closeProgress()
            if (saveOutcome === "saved") {
                close()
                showMessage(98, qsTr("Please reboot ZEK710A") + qmlTranslator.e_str)
            } else {
                // Nothing changed: the screen stays open with the values typed.
                showMessage(0, qsTr("The network settings could not be saved.\nNothing was changed.") + qmlTranslator.e_str)
            }
        }
    }

    Timer {
        id: stepTimer
        interval: 500
        repeat: true
        onTriggered: {
            if (screen.progressValue < 100) {
                screen.progressValue += 10
                screen.step()
            } else {
                screen.finishWhenDone()
            }
        }
    }

    Connections {
        target: mainObject
        function onNetworkSaveFinished(ok) {
            if (screen.saving) {
                screen.saveOutcome = ok ? "saved" : "failed"
                screen.finishWhenDone()
            }
        }
        function onRefreshSystemNetConfig(ipAddr, dhcpMode, hostName, macAddr, maskAddr, gateAddr, primDns, secDns) {
            if (screen.saving)
                return
            screen.ipAddress = ipAddr
            screen.dhcp = dhcpMode
            screen.hostName = hostName
            screen.macAddress = macAddr
            screen.netmask = maskAddr
            screen.gateway = gateAddr
            screen.primaryDns = primDns
            screen.secondaryDns = secDns
        }
    }

    NumberPad {
        id: numberPad
        onAccepted: screen.applyNumber(functionCode, text)
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: saving ? Popup.NoAutoClose : (Popup.CloseOnPressOutside | Popup.CloseOnEscape)
    onAboutToShow: load()
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    component Label: Text {
        color: Theme.textDim
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
        height: Theme.touch
        width: 220
        verticalAlignment: Text.AlignVCenter
    }
    component Value: Text {
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
        height: Theme.touch
        width: 300
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    component AddressField: Row {
        property int code: 10
        property alias label: fieldLabel.text
        Label { id: fieldLabel }
        ZButton {
            objectName: "field" + code
            width: 300
            enabled: !screen.saving
            text: screen[screen.fieldNames[code - 10]]
            onClicked: screen.editField(code)
        }
    }

    contentItem: Column {
        spacing: 12
        Text {
            text: qsTr("Network Setting") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Grid {
            columns: 2
            columnSpacing: 40
            rowSpacing: 10
            Row {
                Label { text: qsTr("Host Name") + qmlTranslator.e_str }
                Value { objectName: "hostName"; text: screen.hostName }
            }
            Row {
                Label { text: qsTr("Model Name") + qmlTranslator.e_str }
                Value { objectName: "modelName"; text: screen.modelName }
            }
            Row {
                Label { text: qsTr("DHCP") + qmlTranslator.e_str }
                Item {
                    width: 300; height: Theme.touch
                    Switch {
                        objectName: "dhcpSwitch"
                        height: Theme.touch
                        anchors.verticalCenter: parent.verticalCenter
                        checked: screen.dhcp
                        enabled: !screen.saving
                        onToggled: screen.dhcp = checked
                    }
                }
            }
            Row {
                Label { text: qsTr("MAC Address") + qmlTranslator.e_str }
                Value { objectName: "macAddress"; text: screen.macAddress }
            }
            AddressField { code: 10; label: qsTr("IP Address") + qmlTranslator.e_str }
            AddressField { code: 11; label: qsTr("Network Mask") + qmlTranslator.e_str }
            AddressField { code: 12; label: qsTr("Gateway") + qmlTranslator.e_str }
            AddressField { code: 13; label: qsTr("Primary DNS") + qmlTranslator.e_str }
            AddressField { code: 14; label: qsTr("Secondary DNS") + qmlTranslator.e_str }
        }
        Text {
            objectName: "invalidEntry"
            visible: screen.invalidEntry
            text: qsTr("Invalid address.") + qmlTranslator.e_str
            color: Theme.danger
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
        Row {
            anchors.right: parent.right
            spacing: 16
            ZButton {
                objectName: "resetButton"
                width: 180
                enabled: !screen.saving
                tint: Theme.danger
                text: qsTr("Reset") + qmlTranslator.e_str
                onClicked: screen.askReset()
            }
            ZButton {
                objectName: "backButton"
                width: 180
                enabled: !screen.saving
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: screen.close()
            }
            ZButton {
                objectName: "saveButton"
                width: 180
                enabled: !screen.saving
                tint: Theme.ok
                text: qsTr("Save") + qmlTranslator.e_str
                onClicked: screen.startSave()
            }
        }
    }
}
