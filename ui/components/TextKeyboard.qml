import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// On-screen keyboard for host names: letters, digits, "-", "_" and ".". Same use as the number pad:
//   show(fieldCode, text)                opens the keyboard with `text` to edit
//   accepted(int fieldCode, string text)  OK pressed
//   cancelled(int fieldCode)             Cancel pressed or touched outside
Popup {
    id: keyboard
    property int fieldCode: 0
    property string text: ""
    property bool shifted: false
    // A host name label is at most 63 characters long.
    property int maximumLength: 63
    property bool finished: false

    signal accepted(int fieldCode, string text)
    signal cancelled(int fieldCode)

    function show(code, initialText) {
        fieldCode = code
        text = initialText === undefined || initialText === null ? "" : String(initialText)
        shifted = false
        finished = false
        open()
    }
    function press(key) {
        if (text.length >= maximumLength)
            return
        text += shifted ? key.toUpperCase() : key
        // Shift holds for one letter, as on a phone.
        shifted = false
    }
    function backspace() { text = text.slice(0, -1) }
    function accept() {
        finished = true
        close()
        accepted(fieldCode, text)
    }
    function cancel() {
        finished = true
        close()
        cancelled(fieldCode)
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 16
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    onClosed: if (!finished) { finished = true; cancelled(fieldCode) }

    background: Rectangle {
        color: Theme.panel
        radius: 14
        border.color: Theme.line
        border.width: 2
    }

    contentItem: Column {
        spacing: 8
        Rectangle {
            width: 11 * 84 + 10 * 8
            height: Theme.touch + 8
            radius: Theme.radius
            color: Theme.background
            border.color: Theme.accent
            border.width: 2
            Text {
                objectName: "keyboardDisplay"
                anchors.fill: parent
                anchors.margins: 12
                text: keyboard.text
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontLarge
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideLeft
            }
        }
        Repeater {
            model: [["1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-"],
                    ["q", "w", "e", "r", "t", "y", "u", "i", "o", "p", "_"],
                    ["a", "s", "d", "f", "g", "h", "j", "k", "l", "."],
                    ["shift", "z", "x", "c", "v", "b", "n", "m", "back"]]
            delegate: Row {
                spacing: 8
                anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
                Repeater {
                    model: modelData
                    delegate: ZButton {
                        objectName: "key_" + modelData
                        width: modelData.length === 1 ? 84 : 132
                        height: 64
                        selected: modelData === "shift" && keyboard.shifted
                        font.pixelSize: Theme.fontLarge
                        text: modelData === "shift" ? qsTr("Shift") + qmlTranslator.e_str
                            : modelData === "back" ? ""
                            : (keyboard.shifted ? modelData.toUpperCase() : modelData)
                        Image {
                            visible: modelData === "back"
                            anchors.centerIn: parent
                            source: visible ? "qrc:/images/icons/arrow_left.png" : ""
                            width: 40
                            height: 40
                            fillMode: Image.PreserveAspectFit
                        }
                        onClicked: {
                            if (modelData === "shift") keyboard.shifted = !keyboard.shifted
                            else if (modelData === "back") keyboard.backspace()
                            else keyboard.press(modelData)
                        }
                    }
                }
            }
        }
        Row {
            spacing: 16
            anchors.horizontalCenter: parent.horizontalCenter
            ZButton {
                objectName: "key_cancel"
                width: 200
                text: qsTr("Cancel") + qmlTranslator.e_str
                onClicked: keyboard.cancel()
            }
            ZButton {
                objectName: "key_ok"
                width: 200
                tint: Theme.ok
                text: qsTr("OK") + qmlTranslator.e_str
                onClicked: keyboard.accept()
            }
        }
    }
}
