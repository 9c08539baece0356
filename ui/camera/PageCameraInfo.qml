import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"
import "cameraTexts.js" as Texts

// The status of the on-screen camera, with its white-balance screens. The texts follow the
// camera's values while the screen is open.
CameraPopup {
    id: info
    property string cameraInfoIitle: ""
    property string cameraPstLabel: ""
    property int camNumber: 1
    // The fine white-balance slider the arrows act on: 1 R gain, 2 B gain.
    property int sliderFunction: 1
    property bool rGainChanged: false
    property bool bGainChanged: false
    // Colour temperature is offered on the one model that takes it.
    property bool colorTemperatureShown: false

    property string shutterText: Texts.shutterText(mainObject.camShutter, mainObject.camVideoMode, "")
    property string videoModeText: Texts.videoModeText(mainObject.camVideoMode, "")
    property string whiteBalanceKey: Texts.whiteBalanceKey(mainObject.camWBMode, "")

    readonly property alias fineWhiteBalanceScreen: fineWhiteBalance
    readonly property alias colorTemperatureScreen: colorTemperature

    signal videoSettingRequested()

    title: cameraInfoIitle

    // The model is asked on every opening because the on-screen camera may have changed since.
    onAboutToShow: colorTemperatureShown = mainObject.getCameraModel(0) === "ORB270"

    function trWhiteBalance(key) {
        switch (key) {
        case "WB Auto": return qsTr("WB Auto") + qmlTranslator.e_str
        case "Indoor": return qsTr("Indoor") + qmlTranslator.e_str
        case "Outdoor": return qsTr("Outdoor") + qmlTranslator.e_str
        case "OnePush": return qsTr("OnePush") + qmlTranslator.e_str
        case "Manual": return qsTr("Manual") + qmlTranslator.e_str
        }
        return key
    }
    function openFineWhiteBalance() {
        rGainChanged = false
        bGainChanged = false
        rGainSlider.value = mainObject.camMWBRGain
        bGainSlider.value = mainObject.camMWBBGain
        fineWhiteBalance.open()
    }
    function acceptFineWhiteBalance() {
        if (rGainChanged)
            mainObject.setRGain(Math.round(rGainSlider.value))
        if (bGainChanged)
            mainObject.setBGain(Math.round(bGainSlider.value))
        // Cleared so that a later OK does not send the same gains again.
        rGainChanged = false
        bGainChanged = false
        fineWhiteBalance.close()
    }
    function cancelFineWhiteBalance() {
        rGainChanged = false
        bGainChanged = false
        fineWhiteBalance.close()
    }
    Connections {
        target: mainObject
        function onCamShutterChanged() { info.shutterText = Texts.shutterText(mainObject.camShutter, mainObject.camVideoMode, info.shutterText) }
        function onCamVideoModeChanged() {
            info.videoModeText = Texts.videoModeText(mainObject.camVideoMode, info.videoModeText)
            info.shutterText = Texts.shutterText(mainObject.camShutter, mainObject.camVideoMode, info.shutterText)
        }
        function onCamWBModeChanged() { info.whiteBalanceKey = Texts.whiteBalanceKey(mainObject.camWBMode, info.whiteBalanceKey) }
        // A gain the operator has not touched follows the camera.
        function onCamMWBRGainChanged() { if (!info.rGainChanged) rGainSlider.value = mainObject.camMWBRGain }
        function onCamMWBBGainChanged() { if (!info.bGainChanged) bGainSlider.value = mainObject.camMWBBGain }
    }

    Item {
        width: 980
        height: layout.implicitHeight

        Row {
            id: layout
            spacing: 32
            Column {
                spacing: 14
                width: 640
                Repeater {
                    model: [
                        { "name": qsTr("Shutter") + qmlTranslator.e_str, "value": info.shutterText, "id": "shutter" },
                        { "name": qsTr("Gain") + qmlTranslator.e_str, "value": Texts.gainText(mainObject.camGain), "id": "gain" },
                        { "name": qsTr("Focus") + qmlTranslator.e_str, "value": Texts.focusKey(mainObject.camFocus), "id": "focus" },
                        { "name": qsTr("Video Mode") + qmlTranslator.e_str, "value": info.videoModeText, "id": "videoMode" },
                        { "name": qsTr("White Balance") + qmlTranslator.e_str, "value": info.trWhiteBalance(info.whiteBalanceKey), "id": "whiteBalance" },
                        { "name": qsTr("Preset") + qmlTranslator.e_str, "value": info.cameraPstLabel, "id": "preset" }
                    ]
                    delegate: Rectangle {
                        width: 640
                        height: Theme.touch
                        radius: Theme.radius
                        color: Theme.panelRaised
                        Text {
                            anchors { left: parent.left; leftMargin: 18; verticalCenter: parent.verticalCenter }
                            text: modelData.name
                            color: Theme.textDim
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.fontNormal
                        }
                        Text {
                            objectName: modelData.id + "Value"
                            anchors { right: parent.right; rightMargin: 18; verticalCenter: parent.verticalCenter }
                            width: 400
                            horizontalAlignment: Text.AlignRight
                            elide: Text.ElideRight
                            text: modelData.value
                            color: Theme.text
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.fontLarge
                            font.bold: true
                        }
                    }
                }
            }
            Column {
                spacing: 12
                ZButton {
                    objectName: "mwbProButton"
                    width: 300
                    text: qsTr("MWB Pro") + qmlTranslator.e_str
                    onClicked: info.openFineWhiteBalance()
                }
                ZButton {
                    objectName: "mwbButton"
                    width: 300
                    visible: info.colorTemperatureShown
                    text: qsTr("MWB") + qmlTranslator.e_str
                    onClicked: { temperatureSlider.value = 3600; colorTemperature.open() }
                }
                ZButton {
                    objectName: "videoSettingButton"
                    width: 300
                    text: qsTr("Video Setting") + qmlTranslator.e_str
                    onClicked: { info.close(); info.videoSettingRequested() }
                }
                // The cameras take no audio settings from the panel yet.
                ZButton {
                    width: 300
                    enabled: false
                    text: qsTr("Audio Setting") + qmlTranslator.e_str
                }
                ZButton {
                    objectName: "backButton"
                    width: 300
                    text: qsTr("Back") + qmlTranslator.e_str
                    onClicked: info.close()
                }
            }
        }
    }

    CameraPopup {
        id: fineWhiteBalance
        objectName: "fineWhiteBalance"
        title: qsTr("MWB Pro") + qmlTranslator.e_str
        Column {
            spacing: 20
            ArrowSlider {
                id: rGainSlider
                objectName: "rGainSlider"
                width: 760
                title: qsTr("R Gain") + qmlTranslator.e_str
                from: 0; to: 255; stepSize: 1
                onMoved: { info.sliderFunction = 1; info.rGainChanged = true }
            }
            ArrowSlider {
                id: bGainSlider
                objectName: "bGainSlider"
                width: 760
                title: qsTr("B Gain") + qmlTranslator.e_str
                from: 0; to: 255; stepSize: 1
                onMoved: { info.sliderFunction = 2; info.bGainChanged = true }
            }
            Row {
                spacing: 24
                anchors.right: parent.right
                ZButton {
                    objectName: "fineCancel"
                    text: qsTr("Cancel") + qmlTranslator.e_str
                    onClicked: info.cancelFineWhiteBalance()
                }
                ZButton {
                    objectName: "fineOk"
                    text: qsTr("OK") + qmlTranslator.e_str
                    onClicked: info.acceptFineWhiteBalance()
                }
            }
        }
    }

    // Offered for the model that has it; the cameras take no colour temperature command yet,
    // so both buttons only close.
    CameraPopup {
        id: colorTemperature
        objectName: "colorTemperature"
        title: qsTr("MWB") + qmlTranslator.e_str
        Column {
            spacing: 20
            ArrowSlider {
                id: temperatureSlider
                width: 760
                title: qsTr("Color Temperature") + qmlTranslator.e_str
                unit: " K"
                from: 0; to: 9600; stepSize: 100
                value: 3600
            }
            Row {
                spacing: 24
                anchors.right: parent.right
                ZButton { text: qsTr("Cancel") + qmlTranslator.e_str; onClicked: colorTemperature.close() }
                ZButton { text: qsTr("OK") + qmlTranslator.e_str; onClicked: colorTemperature.close() }
            }
        }
    }
}
