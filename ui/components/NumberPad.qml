import QtQuick 2.15
import QtQuick.Controls 2.15
import "."
import "address.js" as Address

// On-screen number pad for IPv4 addresses. The screen that opens it passes a function code so one
// pad can serve several fields; the code comes back with the result.
//   show(functionCode, text)            opens the pad with `text` to edit
//   accepted(int functionCode, string text)   OK pressed on a valid address; on anything else
//                                        the pad stays open and says why
//   cancelled(int functionCode)          Cancel pressed or touched outside
Popup {
    id: pad
    property int functionCode: 0
    property string text: ""
    // Dotted IPv4 addresses are the longest thing typed here.
    property int maximumLength: 15
    property bool finished: false
    property bool invalid: false

    signal accepted(int functionCode, string text)
    signal cancelled(int functionCode)

    function show(code, initialText) {
        functionCode = code
        text = initialText === undefined || initialText === null ? "" : String(initialText)
        finished = false
        invalid = false
        open()
    }
    function press(key) {
        invalid = false
        if (text.length < maximumLength)
            text += key
    }
    function backspace() { invalid = false; text = text.slice(0, -1) }
    function clear() { invalid = false; text = "" }
    function accept() {
        if (!Address.isAddress(text)) {
            console.log("number pad: not an address:", JSON.stringify(text))
            invalid = true
            return
        }
        finished = true
        close()
        accepted(functionCode, text)
    }
    function cancel() {
        finished = true
        close()
        cancelled(functionCode)
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    padding: 20
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
    // A touch outside is a cancel, so the caller always hears how the pad ended.
    onClosed: if (!finished) { finished = true; cancelled(functionCode) }

    background: Rectangle {
        color: Theme.panel
        radius: 14
        border.color: Theme.line
        border.width: 2
    }

    contentItem: Column {
        spacing: 12
        Rectangle {
            width: keys.width
            height: Theme.touch + 8
            radius: Theme.radius
            color: Theme.background
            border.color: Theme.accent
            border.width: 2
            Text {
                objectName: "padDisplay"
                anchors.fill: parent
                anchors.margins: 12
                text: pad.text
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontLarge
                horizontalAlignment: Text.AlignRight
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideLeft
            }
        }
        Text {
            objectName: "padInvalid"
            visible: pad.invalid
            width: keys.width
            text: qsTr("Invalid address.") + qmlTranslator.e_str
            color: Theme.danger
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
            wrapMode: Text.WordWrap
        }
        Grid {
            id: keys
            columns: 4
            spacing: 10
            Repeater {
                model: ["7", "8", "9", "back", "4", "5", "6", "clear", "1", "2", "3", "cancel", ".", "0", "", "ok"]
                delegate: ZButton {
                    objectName: "padKey_" + modelData
                    width: 112
                    height: 72
                    // The empty slot keeps OK under Cancel.
                    opacity: modelData !== "" ? 1 : 0
                    enabled: modelData !== ""
                    font.pixelSize: modelData.length === 1 ? Theme.fontLarge : Theme.fontNormal
                    tint: modelData === "ok" ? Theme.ok : Theme.panelRaised
                    text: modelData === "clear" ? qsTr("Clear") + qmlTranslator.e_str
                        : modelData === "cancel" ? qsTr("Cancel") + qmlTranslator.e_str
                        : modelData === "ok" ? qsTr("OK") + qmlTranslator.e_str
                        : modelData === "back" ? "" : modelData
                    Image {
                        visible: modelData === "back"
                        anchors.centerIn: parent
                        source: visible ? "qrc:/images/icons/arrow_left.png" : ""
                        width: 40
                        height: 40
                        fillMode: Image.PreserveAspectFit
                    }
                    onClicked: {
                        if (modelData === "back") pad.backspace()
                        else if (modelData === "clear") pad.clear()
                        else if (modelData === "cancel") pad.cancel()
                        else if (modelData === "ok") pad.accept()
                        else pad.press(modelData)
                    }
                }
            }
        }
    }
}
