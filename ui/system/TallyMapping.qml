import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"

// "Tally Mapping": which camera each switcher channel shows. Pick a channel in the top row, then
// touch a camera without a channel; touch the picked channel again to free it.
// Opened by the tally screen (open() and then mainObject.doRefreshListCameraMapping()); it follows
// refreshListCameraMapping and refreshChannelCounts itself. Save and Reset confirm with its own
// "System Message" / "Work done." notice, which needs nothing from the main window.
// The common screen signals (showMessage, openProgress, setProgress, closeProgress, busy) are
// declared for a uniform interface; this screen never needs them.
Popup {
    id: screen
    readonly property int cameraCounts: 24
    property int channelCounts: mainObject.getSwitcherChannelNumber()
    // Indexed by camera - 1: the channel 1..channelCounts the camera is on, 0 for none.
    property var tallyMapping: zeros()
    property int currTallyMappingSelect: 0
    property var cameraNames: blanks()
    property var cameraIPs: blanks()
    readonly property int rowHeight: 160 + 8
    property alias notice: noticeDialog

    signal showMessage(int code, string text)
    signal openProgress()
    signal setProgress(int value)
    signal closeProgress()
    signal busy(bool on)

    function zeros() {
        var list = []
        for (var i = 0; i < cameraCounts; ++i) list.push(0)
        return list
    }
    function blanks() {
        var list = []
        for (var i = 0; i < cameraCounts; ++i) list.push("")
        return list
    }
    function channelUsed(channel) {
        return tallyMapping.indexOf(channel) >= 0
    }
    function tapChannel(channel) {
        if (channel === currTallyMappingSelect && channelUsed(channel)) {
            var list = tallyMapping.slice()
            list[list.indexOf(channel)] = 0
            tallyMapping = list
        } else {
            currTallyMappingSelect = channel
        }
    }
    // One channel shows one camera and one camera sits on one channel: a used channel or a camera
    // that already has one must be freed first.
    function tapCamera(index) {
        var channel = currTallyMappingSelect
        if (channel === 0 || tallyMapping[index] !== 0 || channelUsed(channel))
            return
        var list = tallyMapping.slice()
        list[index] = channel
        tallyMapping = list
    }
    function save() {
        mainObject.saveTallyMapping(tallyMapping.slice())
        noticeDialog.open()
    }
    function reset() {
        tallyMapping = zeros()
        currTallyMappingSelect = 0
        mainObject.saveTallyMapping(zeros())
        mainObject.doRefreshListCameraMapping()
        noticeDialog.open()
    }
    // `map` is indexed by channel - 1 and holds camera numbers; the screen keeps it by camera.
    function fill(names, ips, camcount, map) {
        var list = zeros()
        var shownNames = blanks()
        var shownIPs = blanks()
        for (var i = 0; i < Math.min(camcount, cameraCounts); ++i) {
            shownNames[i] = names[i] !== undefined ? String(names[i]) : ""
            shownIPs[i] = ips[i] !== undefined ? String(ips[i]) : ""
            for (var j = 0; j < Math.min(map.length, channelCounts); ++j) {
                if (map[j] === i + 1) {
                    list[i] = j + 1
                    break
                }
            }
        }
        cameraNames = shownNames
        cameraIPs = shownIPs
        tallyMapping = list
    }
    function scrollBy(rows) {
        var limit = Math.max(0, grid.height - viewport.height)
        viewport.contentY = Math.max(0, Math.min(limit, viewport.contentY + rows * rowHeight))
    }

    Connections {
        target: mainObject
        function onRefreshListCameraMapping(camHostname, camIPAddr, camcount, map) {
            screen.fill(camHostname, camIPAddr, camcount, map)
        }
        function onRefreshChannelCounts(chnumbers) {
            screen.channelCounts = chnumbers
            if (screen.currTallyMappingSelect > chnumbers)
                screen.currTallyMappingSelect = 0
        }
    }

    modal: true
    focus: true
    parent: Overlay.overlay
    x: 0
    y: 0
    width: 1280
    height: 720
    padding: 16
    closePolicy: Popup.CloseOnEscape
    background: Rectangle { color: Theme.background }

    contentItem: Item {
        Text {
            x: 8
            height: Theme.touch
            verticalAlignment: Text.AlignVCenter
            text: qsTr("Tally Mapping") + qmlTranslator.e_str
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontTitle
            font.bold: true
        }
        Row {
            anchors.right: parent.right
            spacing: 16
            ZButton {
                objectName: "resetButton"
                width: 160
                tint: Theme.danger
                text: qsTr("Reset") + qmlTranslator.e_str
                onClicked: screen.reset()
            }
            ZButton {
                objectName: "backButton"
                width: 160
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: screen.close()
            }
            ZButton {
                objectName: "saveButton"
                width: 160
                tint: Theme.ok
                text: qsTr("Save") + qmlTranslator.e_str
                onClicked: screen.save()
            }
        }
        Row {
            objectName: "channelRow"
            y: 68
            x: 8
            spacing: 6
            Repeater {
                model: screen.channelCounts
                delegate: Item {
                    id: channelButton
                    readonly property int channel: index + 1
                    // Lit when the channel shows a camera.
                    readonly property bool selected: screen.channelUsed(channel)
                    signal clicked()
                    objectName: "channel" + channel
                    width: 88
                    height: 72
                    Image {
                        anchors.fill: parent
                        source: (channelButton.selected ? "qrc:/images/tally/btn_p_tally_map_"
                                                        : "qrc:/images/tally/btn_n_tally_map_")
                                + channelButton.channel + ".png"
                    }
                    Rectangle {
                        anchors.fill: parent
                        anchors.margins: -4
                        color: "transparent"
                        radius: 6
                        visible: screen.currTallyMappingSelect === channelButton.channel
                        border.color: Theme.accent
                        border.width: 4
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: channelButton.clicked()
                    }
                    onClicked: screen.tapChannel(channel)
                }
            }
        }
        Flickable {
            id: viewport
            objectName: "cellViewport"
            x: 8
            y: 156
            width: grid.width
            height: 3 * screen.rowHeight - 8
            clip: true
            interactive: false
            contentWidth: grid.width
            contentHeight: grid.height
            Behavior on contentY { NumberAnimation { duration: 300; easing.type: Easing.OutCubic } }
            Grid {
                id: grid
                columns: 5
                spacing: 8
                Repeater {
                    model: screen.cameraCounts
                    delegate: CameraCell {
                        objectName: "cell" + index
                        cameraNumber: index + 1
                        chNumber: screen.tallyMapping[index]
                        cellHostname: screen.cameraNames[index]
                        cellIP: screen.cameraIPs[index]
                        selected: chNumber !== 0 && chNumber === screen.currTallyMappingSelect
                        onClicked: screen.tapCamera(index)
                    }
                }
            }
        }
        Column {
            anchors.right: parent.right
            y: viewport.y
            height: viewport.height
            spacing: viewport.height - 2 * 72
            Repeater {
                model: [-1, 1]
                delegate: Item {
                    readonly property bool canMove: modelData < 0 ? viewport.contentY > 0
                                                                  : viewport.contentY < grid.height - viewport.height
                    objectName: modelData < 0 ? "scrollUp" : "scrollDown"
                    width: 72
                    height: 72
                    Image {
                        anchors.centerIn: parent
                        width: 64; height: 64
                        source: "qrc:/images/icons/" + (modelData < 0 ? "arrow_up" : "arrow_down")
                                + (parent.canMove ? "" : "_disabled") + ".png"
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: screen.scrollBy(modelData)
                    }
                }
            }
        }
    }

    Popup {
        id: noticeDialog
        modal: true
        focus: true
        parent: Overlay.overlay
        x: parent ? Math.round((parent.width - width) / 2) : 0
        y: parent ? Math.round((parent.height - height) / 2) : 0
        padding: 24
        closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
        background: Rectangle { color: Theme.panel; radius: 14; border.color: Theme.line; border.width: 2 }
        contentItem: Column {
            spacing: 20
            Text {
                text: qsTr("System Message") + qmlTranslator.e_str
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontLarge
                font.bold: true
            }
            Text {
                objectName: "noticeText"
                text: qsTr("Work done.") + qmlTranslator.e_str
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontNormal
            }
            ZButton {
                objectName: "noticeOk"
                anchors.right: parent.right
                width: 160
                text: qsTr("OK") + qmlTranslator.e_str
                onClicked: noticeDialog.close()
            }
        }
    }
}
