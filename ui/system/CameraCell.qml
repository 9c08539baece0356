import QtQuick 2.15
import "../components"

// One camera of the tally-mapping grid: its host name, address and the switcher channel it is
// mapped to (0: none). `selected` marks the camera that holds the channel picked in the row above.
Item {
    id: cell
    property bool selected: false
    property int chNumber: 0
    property string cellHostname: ""
    property string cellIP: ""
    property int cameraNumber: 0

    signal clicked()

    width: 230
    height: 160

    Rectangle {
        anchors.fill: parent
        radius: Theme.radius
        color: cell.chNumber > 0 ? Theme.panelRaised : Theme.panel
        border.color: cell.selected ? Theme.accent : (cell.chNumber > 0 ? Theme.info : Theme.line)
        border.width: cell.selected ? 4 : 2
    }
    Text {
        x: 12; y: 8
        text: qsTr("Camera") + qmlTranslator.e_str + " " + cell.cameraNumber
        color: Theme.textDim
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontSmall
    }
    Text {
        objectName: "cellChannel"
        anchors.right: parent.right
        anchors.rightMargin: 12
        y: 4
        text: cell.chNumber > 0 ? qsTr("CH") + qmlTranslator.e_str + " " + cell.chNumber : ""
        color: Theme.accent
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontLarge
        font.bold: true
    }
    Text {
        x: 12; y: 56
        width: parent.width - 24
        text: cell.cellHostname
        elide: Text.ElideRight
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
    }
    Text {
        x: 12; y: 100
        width: parent.width - 24
        text: cell.cellIP
        elide: Text.ElideRight
        color: Theme.textDim
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
    }
    MouseArea {
        anchors.fill: parent
        onClicked: cell.clicked()
    }
}
