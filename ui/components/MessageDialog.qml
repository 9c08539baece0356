import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// The message dialog: a text with "Cancel" and "OK". What OK does depends on the function code
// (`popMessageFunction`): 99 asks to reset the panel's network, 98 to reboot.
ZDialog {
    id: dialog
    property int popMessageFunction: 0
    property string message: ""
    signal confirmed(int code)
    width: 640
    function show(code, text) {
        popMessageFunction = code
        message = text
        open()
    }
    Column {
        spacing: 24
        width: 592
        Text {
            objectName: "messageText"
            width: parent.width
            text: dialog.message
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 24
            ZButton {
                objectName: "cancelButton"
                text: qsTr("Cancel") + qmlTranslator.e_str
                width: 200
                onClicked: dialog.close()
            }
            ZButton {
                objectName: "okButton"
                text: qsTr("OK") + qmlTranslator.e_str
                width: 200
                selected: true
                onClicked: dialog.confirmed(dialog.popMessageFunction)
            }
        }
    }
}
