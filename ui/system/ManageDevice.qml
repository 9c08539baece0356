import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "Manage Device": scan the network for HCIP cameras, load or save the camera list, and show
// the addresses of the devices on the list.
// Open with open(). Each of "Scan", "Load", "Save" runs its operation once, behind the progress
// dialog, and closes the screen when done.
// Signals for the main window:
//   openProgress(), setProgress(int value), closeProgress()  the progress dialog
//   showMessage(int code, string text), busy(bool on)         declared for a uniform interface
Popup {
    id: screen
    // 1 scan, 2 load, 3 save; 0 while idle.
    property int manageDeviceFunction: 0
    property int progressValue: 0
    readonly property bool working: stepTimer.running
    property alias deviceList: deviceList

    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    // The operation runs from the step timer only: running it also on the press would load or
    // save the camera list twice and count the cameras twice.
    function start(func) {
        if (stepTimer.running)
            return
        manageDeviceFunction = func
        progressValue = 0
        step()
        stepTimer.start()
    }
    function step() {
        if (progressValue === 0)
            openProgress()
        setProgress(progressValue)
        if (progressValue === 90) {
            if (manageDeviceFunction === 1) mainObject.hcipScan()
            else if (manageDeviceFunction === 2) mainObject.deviceLoad()
            else if (manageDeviceFunction === 3) mainObject.deviceSave()
        }
        if (progressValue >= 100) {
            stepTimer.stop()
            manageDeviceFunction = 0
            closeProgress()
            close()
        }
    }

    Timer {
        id: stepTimer
        interval: 300
        repeat: true
        onTriggered: {
            screen.progressValue += 10
            screen.step()
        }
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: working ? Popup.NoAutoClose : (Popup.CloseOnPressOutside | Popup.CloseOnEscape)
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 16
        width: 820
        Text {
            text: qsTr("Manage Device") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Row {
            spacing: 16
            ZButton {
                objectName: "deviceListButton"
                width: 190; height: 80
                enabled: !screen.working
                text: qsTr("Device List") + qmlTranslator.e_str
                onClicked: deviceList.open()
            }
            ZButton {
                objectName: "scanButton"
                width: 190; height: 80
                enabled: !screen.working
                text: qsTr("Scan") + qmlTranslator.e_str
                onClicked: screen.start(1)
            }
            ZButton {
                objectName: "loadButton"
                width: 190; height: 80
                enabled: !screen.working
                text: qsTr("Load") + qmlTranslator.e_str
                onClicked: screen.start(2)
            }
            ZButton {
                objectName: "saveButton"
                width: 190; height: 80
                enabled: !screen.working
                text: qsTr("Save") + qmlTranslator.e_str
                onClicked: screen.start(3)
            }
        }
        Text {
            width: parent.width
            wrapMode: Text.WordWrap
            text: qsTr("Scan: search the network for HCIP cameras.\nLoad: load the saved device list.\nSave: save the current device list.") + qmlTranslator.e_str
            color: Theme.textDim
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontSmall
        }
        ZButton {
            objectName: "backButton"
            anchors.right: parent.right
            width: 180
            enabled: !screen.working
            text: qsTr("Back") + qmlTranslator.e_str
            onClicked: screen.close()
        }
    }

    // The addresses are shown only: nothing typed here would be applied.
    Popup {
        id: deviceList
        modal: true
        focus: true
        parent: Overlay.overlay
        x: parent ? Math.round((parent.width - width) / 2) : 0
        y: parent ? Math.round((parent.height - height) / 2) : 0
        padding: 24
        closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
        background: Rectangle { color: Theme.panelRaised; radius: 14; border.color: Theme.accent; border.width: 2 }
        contentItem: Column {
            spacing: 12
            Text {
                text: qsTr("Device List") + qmlTranslator.e_str
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontLarge
                font.bold: true
            }
            Repeater {
                model: deviceList.opened || deviceList.visible ? [8, 9, 10] : []
                delegate: Row {
                    spacing: 24
                    Text {
                        width: 160; height: Theme.touch
                        verticalAlignment: Text.AlignVCenter
                        text: qsTr("Device") + qmlTranslator.e_str + " " + modelData
                        color: Theme.textDim
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.fontNormal
                    }
                    Text {
                        objectName: "deviceIP" + modelData
                        width: 300; height: Theme.touch
                        verticalAlignment: Text.AlignVCenter
                        text: mainObject.getCameraDeviceIP(modelData)
                        color: Theme.text
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.fontNormal
                    }
                }
            }
            Row {
                anchors.right: parent.right
                spacing: 16
                ZButton {
                    objectName: "deviceListCancel"
                    width: 160
                    text: qsTr("Cancel") + qmlTranslator.e_str
                    onClicked: deviceList.close()
                }
                ZButton {
                    objectName: "deviceListOk"
                    width: 160
                    tint: Theme.ok
                    text: qsTr("OK") + qmlTranslator.e_str
                    onClicked: {
                        mainObject.startRunRobin(true)
                        deviceList.close()
                    }
                }
            }
        }
    }
}
