import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "Serial Port Parameters" of the on-screen serial camera. The screen opens itself when
// refreshSerialInfo arrives (the main window only has to instantiate it once); fill(...) does the
// same for a caller that holds the texts. Save sends the five chosen codes and closes.
// The common screen signals (showMessage, openProgress, setProgress, closeProgress, busy) are
// declared for a uniform interface; this screen never needs them.
Popup {
    id: screen
    // One row per parameter: the choices and the codes the camera takes for them.
    readonly property var rows: [
        { "choices": ["9600", "19200", "38400", "57600", "115200"], "codes": [13, 14, 15, 4097, 4098] },
        { "choices": ["5", "6", "7", "8"], "codes": [0, 16, 32, 48] },
        { "choices": ["Even", "Odd", "None"], "codes": [0, 1, 2] },
        { "choices": ["One Stop", "Two Stop", "1.5 Stop"], "codes": [1, 2, 2] },
        { "choices": ["Hard", "Soft", "None"], "codes": [0, 1, 2] }
    ]
    // The texts shown, one per row, as received or as chosen.
    property var values: ["", "", "", "", ""]
    property int choosingRow: -1
    property alias choiceList: choiceList

    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function fill(brate, csize, parity, stopbit, flow) {
        values = [String(brate), String(csize), String(parity), String(stopbit), String(flow)]
        open()
    }
    function codeOf(row) {
        var i = rows[row].choices.indexOf(values[row])
        return i < 0 ? -1 : rows[row].codes[i]
    }
    function choose(row, text) {
        var list = values.slice()
        list[row] = text
        values = list
        choiceList.close()
    }
    function openChoices(row) {
        choosingRow = row
        choiceList.open()
    }
    // A text the camera reported that is not in the list has no code to send back, so that
    // parameter is left as the camera has it.
    function save() {
        var setters = [mainObject.setCurrentSerialBaudrate, mainObject.setCurrentSerialDataBit,
                       mainObject.setCurrentSerialParity, mainObject.setCurrentSerialStopBit,
                       mainObject.setCurrentSerialFlowcontrol]
        for (var row = 0; row < 5; ++row) {
            var code = codeOf(row)
            if (code >= 0)
                setters[row](code)
        }
        close()
    }

    Connections {
        target: mainObject
        function onRefreshSerialInfo(brate, csize, parity, stopbit, flow) {
            screen.fill(brate, csize, parity, stopbit, flow)
        }
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 24
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }

    contentItem: Column {
        spacing: 12
        Text {
            text: qsTr("Serial Port Parameters") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }
        Repeater {
            model: 5
            delegate: Row {
                spacing: 24
                Text {
                    width: 240
                    height: Theme.touch
                    verticalAlignment: Text.AlignVCenter
                    text: [qsTr("BaudRate"), qsTr("Data Bits"), qsTr("Parity"), qsTr("Stop Bits"),
                           qsTr("Flow Control")][index] + qmlTranslator.e_str
                    color: Theme.textDim
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.fontNormal
                }
                ZButton {
                    objectName: "serialRow" + index
                    width: 300
                    text: screen.choiceText(screen.values[index]) + qmlTranslator.e_str
                    onClicked: screen.openChoices(index)
                }
            }
        }
        Row {
            anchors.right: parent.right
            spacing: 16
            ZButton {
                objectName: "backButton"
                width: 180
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: screen.close()
            }
            ZButton {
                objectName: "saveButton"
                width: 180
                tint: Theme.ok
                text: qsTr("Save") + qmlTranslator.e_str
                onClicked: screen.save()
            }
        }
    }

    // The word choices read in the panel's language; numbers need no translation.
    function choiceText(text) {
        switch (text) {
        case "Even": return qsTr("Even")
        case "Odd": return qsTr("Odd")
        case "None": return qsTr("None")
        case "One Stop": return qsTr("One Stop")
        case "Two Stop": return qsTr("Two Stop")
        case "1.5 Stop": return qsTr("1.5 Stop")
        case "Hard": return qsTr("Hard")
        case "Soft": return qsTr("Soft")
        }
        return text
    }
    function titleText(row) {
        return [qsTr("Serial Port Baudrate"), qsTr("Serial Port Data Bits"), qsTr("Serial Port Parity"),
                qsTr("Serial Port Stop Bits"), qsTr("Serial Port Flow Control")][row]
    }

    Popup {
        id: choiceList
        modal: true
        focus: true
        parent: Overlay.overlay
        x: parent ? Math.round((parent.width - width) / 2) : 0
        y: parent ? Math.round((parent.height - height) / 2) : 0
        padding: 24
        closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
        background: Rectangle { color: Theme.panelRaised; radius: 14; border.color: Theme.accent; border.width: 2 }
        contentItem: Column {
            spacing: 10
            Text {
                text: screen.choosingRow < 0 ? "" : screen.titleText(screen.choosingRow) + qmlTranslator.e_str
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontLarge
                font.bold: true
            }
            Repeater {
                model: screen.choosingRow < 0 ? [] : screen.rows[screen.choosingRow].choices
                delegate: ZButton {
                    objectName: "choice_" + modelData
                    width: 360
                    selected: screen.values[screen.choosingRow] === modelData
                    text: screen.choiceText(modelData) + qmlTranslator.e_str
                    onClicked: screen.choose(screen.choosingRow, modelData)
                }
            }
        }
    }
}
