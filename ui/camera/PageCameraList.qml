import QtQuick 2.15
import "../components"
import "cameraTexts.js" as Texts

// One page of six camera tiles: cameras 1..6, 7..12, 13..18 or 19..24 by `pageIndex`. The
// application reports the presets of the six tiles of the page on show only, so the other pages
// keep their badges empty.
Item {
    id: list
    property int pageIndex: 0
    property int currentOnScreen: 1
    // 24 presence flags, camera 1 first.
    property var connectedList: []
    property bool presetsShown: false

    property string cam1Source: tile1.camSource
    property int cam1Number: 1 + 6 * pageIndex
    property bool cam1Selected: cam1Number === currentOnScreen
    property bool cam1Connected: connectedList[cam1Number - 1] === true
    property string cam1Hostname: qsTr("Camera") + qmlTranslator.e_str + " " + cam1Number
    property string cam1PstTitle: presetsShown ? mainObject.cam1PstTitle : ""
    property string cam1Pst: presetsShown ? Texts.presetBadge(mainObject.cam1PstNumber) : ""
    property string cam1Tally: "qrc:/images/icons/tally.png"
    property string cam1Network: "qrc:/images/icons/network.png"
    property string cam2Source: tile2.camSource
    property int cam2Number: 2 + 6 * pageIndex
    property bool cam2Selected: cam2Number === currentOnScreen
    property bool cam2Connected: connectedList[cam2Number - 1] === true
    property string cam2Hostname: qsTr("Camera") + qmlTranslator.e_str + " " + cam2Number
    property string cam2PstTitle: presetsShown ? mainObject.cam2PstTitle : ""
    property string cam2Pst: presetsShown ? Texts.presetBadge(mainObject.cam2PstNumber) : ""
    property string cam2Tally: "qrc:/images/icons/tally.png"
    property string cam2Network: "qrc:/images/icons/network.png"
    property string cam3Source: tile3.camSource
    property int cam3Number: 3 + 6 * pageIndex
    property bool cam3Selected: cam3Number === currentOnScreen
    property bool cam3Connected: connectedList[cam3Number - 1] === true
    property string cam3Hostname: qsTr("Camera") + qmlTranslator.e_str + " " + cam3Number
    property string cam3PstTitle: presetsShown ? mainObject.cam3PstTitle : ""
    property string cam3Pst: presetsShown ? Texts.presetBadge(mainObject.cam3PstNumber) : ""
    property string cam3Tally: "qrc:/images/icons/tally.png"
    property string cam3Network: "qrc:/images/icons/network.png"
    property string cam4Source: tile4.camSource
    property int cam4Number: 4 + 6 * pageIndex
    property bool cam4Selected: cam4Number === currentOnScreen
    property bool cam4Connected: connectedList[cam4Number - 1] === true
    property string cam4Hostname: qsTr("Camera") + qmlTranslator.e_str + " " + cam4Number
    property string cam4PstTitle: presetsShown ? mainObject.cam4PstTitle : ""
    property string cam4Pst: presetsShown ? Texts.presetBadge(mainObject.cam4PstNumber) : ""
    property string cam4Tally: "qrc:/images/icons/tally.png"
    property string cam4Network: "qrc:/images/icons/network.png"
    property string cam5Source: tile5.camSource
    property int cam5Number: 5 + 6 * pageIndex
    property bool cam5Selected: cam5Number === currentOnScreen
    property bool cam5Connected: connectedList[cam5Number - 1] === true
    property string cam5Hostname: qsTr("Camera") + qmlTranslator.e_str + " " + cam5Number
    property string cam5PstTitle: presetsShown ? mainObject.cam5PstTitle : ""
    property string cam5Pst: presetsShown ? Texts.presetBadge(mainObject.cam5PstNumber) : ""
    property string cam5Tally: "qrc:/images/icons/tally.png"
    property string cam5Network: "qrc:/images/icons/network.png"
    property string cam6Source: tile6.camSource
    property int cam6Number: 6 + 6 * pageIndex
    property bool cam6Selected: cam6Number === currentOnScreen
    property bool cam6Connected: connectedList[cam6Number - 1] === true
    property string cam6Hostname: qsTr("Camera") + qmlTranslator.e_str + " " + cam6Number
    property string cam6PstTitle: presetsShown ? mainObject.cam6PstTitle : ""
    property string cam6Pst: presetsShown ? Texts.presetBadge(mainObject.cam6PstNumber) : ""
    property string cam6Tally: "qrc:/images/icons/tally.png"
    property string cam6Network: "qrc:/images/icons/network.png"

    signal cameraTouched(var tile)
    signal networkPressed(var tile)

    function tile(n) { return [tile1, tile2, tile3, tile4, tile5, tile6][n - 1] }

    // Placed by bindings rather than a positioner, so a page just brought up is laid out at once.
    Item {
        id: grid
        readonly property int gap: 12
        readonly property int tileWidth: Math.min((list.width - 2 * gap) / 3, (list.height - gap) / 2 * 1.6)
        readonly property int tileHeight: tileWidth / 1.6
        width: 3 * tileWidth + 2 * gap
        height: 2 * tileHeight + gap
        anchors.centerIn: parent
        Camera {
            id: tile1
            objectName: "tile1"
            x: 0 * (grid.tileWidth + grid.gap); y: 0 * (grid.tileHeight + grid.gap)
            width: grid.tileWidth; height: grid.tileHeight
            camNumber: list.cam1Number
            camHostname: list.cam1Hostname
            camTitle: list.cam1PstTitle
            camPst: list.cam1Pst
            camPstNumber: list.presetsShown ? mainObject.cam1PstNumber : 0
            camTally: list.cam1Tally
            camNetwork: list.cam1Network
            connected: list.cam1Connected
            selected: list.cam1Selected
            onTouched: list.cameraTouched(tile1)
            onOpenNetworkSetting: list.networkPressed(tile1)
        }
        Camera {
            id: tile2
            objectName: "tile2"
            x: 1 * (grid.tileWidth + grid.gap); y: 0 * (grid.tileHeight + grid.gap)
            width: grid.tileWidth; height: grid.tileHeight
            camNumber: list.cam2Number
            camHostname: list.cam2Hostname
            camTitle: list.cam2PstTitle
            camPst: list.cam2Pst
            camPstNumber: list.presetsShown ? mainObject.cam2PstNumber : 0
            camTally: list.cam2Tally
            camNetwork: list.cam2Network
            connected: list.cam2Connected
            selected: list.cam2Selected
            onTouched: list.cameraTouched(tile2)
            onOpenNetworkSetting: list.networkPressed(tile2)
        }
        Camera {
            id: tile3
            objectName: "tile3"
            x: 2 * (grid.tileWidth + grid.gap); y: 0 * (grid.tileHeight + grid.gap)
            width: grid.tileWidth; height: grid.tileHeight
            camNumber: list.cam3Number
            camHostname: list.cam3Hostname
            camTitle: list.cam3PstTitle
            camPst: list.cam3Pst
            camPstNumber: list.presetsShown ? mainObject.cam3PstNumber : 0
            camTally: list.cam3Tally
            camNetwork: list.cam3Network
            connected: list.cam3Connected
            selected: list.cam3Selected
            onTouched: list.cameraTouched(tile3)
            onOpenNetworkSetting: list.networkPressed(tile3)
        }
        Camera {
            id: tile4
            objectName: "tile4"
            x: 0 * (grid.tileWidth + grid.gap); y: 1 * (grid.tileHeight + grid.gap)
            width: grid.tileWidth; height: grid.tileHeight
            camNumber: list.cam4Number
            camHostname: list.cam4Hostname
            camTitle: list.cam4PstTitle
            camPst: list.cam4Pst
            camPstNumber: list.presetsShown ? mainObject.cam4PstNumber : 0
            camTally: list.cam4Tally
            camNetwork: list.cam4Network
            connected: list.cam4Connected
            selected: list.cam4Selected
            onTouched: list.cameraTouched(tile4)
            onOpenNetworkSetting: list.networkPressed(tile4)
        }
        Camera {
            id: tile5
            objectName: "tile5"
            x: 1 * (grid.tileWidth + grid.gap); y: 1 * (grid.tileHeight + grid.gap)
            width: grid.tileWidth; height: grid.tileHeight
            camNumber: list.cam5Number
            camHostname: list.cam5Hostname
            camTitle: list.cam5PstTitle
            camPst: list.cam5Pst
            camPstNumber: list.presetsShown ? mainObject.cam5PstNumber : 0
            camTally: list.cam5Tally
            camNetwork: list.cam5Network
            connected: list.cam5Connected
            selected: list.cam5Selected
            onTouched: list.cameraTouched(tile5)
            onOpenNetworkSetting: list.networkPressed(tile5)
        }
        Camera {
            id: tile6
            objectName: "tile6"
            x: 2 * (grid.tileWidth + grid.gap); y: 1 * (grid.tileHeight + grid.gap)
            width: grid.tileWidth; height: grid.tileHeight
            camNumber: list.cam6Number
            camHostname: list.cam6Hostname
            camTitle: list.cam6PstTitle
            camPst: list.cam6Pst
            camPstNumber: list.presetsShown ? mainObject.cam6PstNumber : 0
            camTally: list.cam6Tally
            camNetwork: list.cam6Network
            connected: list.cam6Connected
            selected: list.cam6Selected
            onTouched: list.cameraTouched(tile6)
            onOpenNetworkSetting: list.networkPressed(tile6)
        }
    }
}
