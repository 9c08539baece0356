import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// A camera did not answer: the message, "Stop showing this message anymore." and "OK", which
// lets the round robin go on.
ZDialog {
    id: dialog
    property string message: ""
    property alias stopShowing: stopBox.checked
    signal acknowledged(bool stopShowing)
    closePolicy: Popup.NoAutoClose
    width: 720
    // Each new warning asks again.
    onAboutToShow: stopBox.checked = false
    Column {
        spacing: 20
        width: 672
        Text {
            width: parent.width
            text: dialog.message
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
            wrapMode: Text.WordWrap
        }
        CheckBox {
            id: stopBox
            objectName: "stopShowing"
            width: parent.width
            height: Theme.touch
            text: qsTr("Stop showing this message anymore.") + qmlTranslator.e_str
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
            contentItem: Text {
                leftPadding: stopBox.indicator.width + 12
                text: stopBox.text
                font: stopBox.font
                color: Theme.text
                verticalAlignment: Text.AlignVCenter
            }
        }
        ZButton {
            objectName: "okButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("OK") + qmlTranslator.e_str
            width: 200
            selected: true
            onClicked: {
                dialog.close()
                dialog.acknowledged(stopBox.checked)
            }
        }
    }
}
