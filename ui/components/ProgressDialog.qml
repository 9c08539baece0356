import QtQuick 2.15
import QtQuick.Controls 2.15
import "."

// The progress dialog of long operations: a bar from 0 to 100. It stays until closed.
ZDialog {
    id: dialog
    property int value: 0
    closePolicy: Popup.NoAutoClose
    width: 560
    Column {
        spacing: 18
        width: 512
        Text {
            text: qsTr("Please wait...") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
        }
        ProgressBar {
            objectName: "progressBar"
            width: parent.width
            from: 0
            to: 100
            value: dialog.value
        }
        Text {
            text: dialog.value + " %"
            color: Theme.textDim
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
    }
}
