import QtQuick 2.15
import "../components"

// One camera channel on the grid. Touching the tile picks the camera and opens its status; the
// network button in its corner opens the connection settings instead.
Item {
    id: tile
    property string camHostname: ""
    property string camTitle: ""
    property string camPst: ""
    property string camTally: "qrc:/images/icons/tally.png"
    property string camNetwork: "qrc:/images/icons/network.png"
    property int camNumber: 1
    property int camPstNumber: 0
    property bool connected: false
    property bool selected: false
    readonly property string camSource: !connected ? "qrc:/images/img_disconnect_camera_list.png"
                                      : selected ? "qrc:/images/img_bg_select_camera_list.png"
                                                 : "qrc:/images/img_bg_camera_list.png"
    signal openNetworkSetting()
    signal touched()

    implicitWidth: 400
    implicitHeight: 250

    Image {
        id: background
        objectName: "tileBackground"
        anchors.fill: parent
        source: tile.camSource
        fillMode: Image.Stretch
    }
    MouseArea {
        anchors.fill: parent
        onClicked: tile.touched()
    }
    Text {
        id: name
        anchors { left: parent.left; top: parent.top; right: networkButton.left; margins: 18 }
        text: tile.camHostname
        color: tile.connected ? Theme.text : Theme.textDim
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontLarge
        font.bold: true
        elide: Text.ElideRight
    }
    Text {
        anchors { left: parent.left; top: name.bottom; leftMargin: 18; topMargin: 4 }
        visible: !tile.connected
        text: qsTr("Not connected") + qmlTranslator.e_str
        color: Theme.textDim
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontSmall
    }
    Image {
        id: tally
        anchors { left: parent.left; bottom: parent.bottom; margins: 14 }
        width: 48; height: 48
        source: tile.camTally
    }
    Image {
        id: badge
        objectName: "presetBadge"
        anchors { left: tally.right; verticalCenter: tally.verticalCenter; leftMargin: 12 }
        width: 84; height: 48
        source: tile.camPst
        visible: source != ""
    }
    Text {
        anchors { left: badge.visible ? badge.right : tally.right; right: parent.right
                  verticalCenter: tally.verticalCenter; leftMargin: 12; rightMargin: 14 }
        text: tile.camTitle
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontNormal
        elide: Text.ElideRight
    }
    // Kept a full touch target even on a scaled-down tile: it sits in a corner and is easy to miss.
    Rectangle {
        id: networkButton
        objectName: "networkButton"
        anchors { right: parent.right; top: parent.top; margins: 8 }
        width: Theme.touch + 8; height: Theme.touch + 8
        radius: Theme.radius
        color: networkArea.pressed ? Theme.panelRaised : "transparent"
        border.color: Theme.line
        border.width: 2
        Image {
            anchors.centerIn: parent
            width: 48; height: 48
            source: tile.camNetwork
        }
        MouseArea {
            id: networkArea
            anchors.fill: parent
            onClicked: tile.openNetworkSetting()
        }
    }
}
