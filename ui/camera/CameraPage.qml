import QtQuick 2.15
import QtQuick.Controls 2.15
import "../components"
import "cameraTexts.js" as Texts

// The "Camera" page: the 24 camera channels as tiles, six to a page, and every screen that acts
// on the on-screen camera (status, white balance, video, orientation, network, manual address).
Item {
    id: page
    anchors.fill: parent

    property bool cameraExist: false
    property bool cameraUseVisca: false
    property bool dhcpMode: false
    // The network fields the operator changed since the screen was filled; Save sends only these.
    property bool changedDhcp: false
    property bool changedHostname: false
    property bool changedIp: false
    property bool changedMask: false
    property bool changedGateway: false
    property bool changedPrimDns: false
    property bool changedSecDns: false
    property int videoMode: mainObject.camVideoMode
    property int videoVFlip: mainObject.camVideoVFlip
    property int videoHFlip: mainObject.camVideoHFlip
    property int countDown: 5
    property int cameraNumberboardFunction: 0
    property int cameraKeyboardInputID: 0

    // The camera the screens act on: the one last touched (currentCamDisplay makes it so).
    property int camNumber: 1
    // The tile shown selected: the application's on-screen camera as last reported.
    property int currentOnScreen: 1
    property var connectedList: []
    // Cameras whose network connection is lost while the application connects them again; their
    // tiles show the disconnected picture until they are back.
    property var linkDownList: []
    readonly property var tileConnectedList: {
        var list = []
        for (var i = 0; i < connectedList.length; ++i)
            list.push(connectedList[i] === true && linkDownList[i] !== true)
        return list
    }
    property alias currentPageIndex: pages.currentIndex
    readonly property alias statusScreen: cameraInfo
    readonly property alias videoSettingsScreen: videoSettings
    readonly property alias videoModeScreen: videoModeList
    readonly property alias orientationScreen: orientationList
    readonly property alias countdownScreen: countdownDialog
    readonly property alias networkSettingsScreen: networkScreen
    readonly property alias manualIpScreen: manualScreen
    readonly property alias progressScreen: progressDialog
    readonly property alias numberPadScreen: numberPad
    readonly property alias keyboardScreen: textKeyboard

    // Network screen fields.
    property string netHostname: ""
    property string netModel: ""
    property bool netDhcp: false
    property bool netDhcpBase: false
    property string netIp: ""
    property string netMask: ""
    property string netGateway: ""
    property string netPrimDns: ""
    property string netSecDns: ""
    property string netMac: ""
    property bool manualAddressing: false
    property string manualIp: ""
    property string manualIpBefore: ""
    property int saveProgress: 0

    // Video screens.
    property int videoModeChoice: 20
    property int hFlipChoice: 3
    property int vFlipChoice: 3
    property string videoModeShown: Texts.videoModeText(videoMode, "")
    property string orientationShown: Texts.orientationKey(videoHFlip, videoVFlip, "")

    // The four pages of tiles, as they are created.
    property var lists: []
    readonly property Item page1: lists[0] || null
    readonly property Item page2: lists[1] || null
    readonly property Item page3: lists[2] || null
    readonly property Item page4: lists[3] || null
    function registerList(index, list) {
        var l = lists.slice()
        l[index] = list
        lists = l
    }

    Component.onCompleted: {
        var list = []
        for (var i = 0; i < 24; ++i)
            list.push(false)
        connectedList = list
        // Each answer also arrives as refreshCameraExist, which the tiles follow; after this the
        // application tells of every camera that comes or goes.
        for (var c = 0; c < 24; ++c)
            mainObject.getCameraExist(c)
        currentOnScreen = mainObject.getCurrentOnScreen()
        camNumber = currentOnScreen
        cameraExist = mainObject.getCameraExist(currentOnScreen - 1)
        cameraUseVisca = mainObject.getCameraVisca(currentOnScreen - 1)
        dhcpMode = mainObject.getCameraDeviceDHCP()
        netDhcp = dhcpMode
        netDhcpBase = dhcpMode
    }

    function chooseCamera(tile) {
        camNumber = tile.camNumber
        mainObject.currentCamDisplay(tile.camNumber)
        cameraInfo.camNumber = tile.camNumber
        cameraInfo.cameraInfoIitle = tile.camHostname
        cameraInfo.cameraPstLabel = Texts.presetLabel(tile.camPstNumber, tile.camTitle)
    }
    function openStatus(tile) {
        chooseCamera(tile)
        cameraInfo.open()
    }
    function openConnection(tile) {
        chooseCamera(tile)
        // Only cameras 1..8 can hang on the serial ports; the others are always on the network.
        if (tile.camNumber <= 8 && mainObject.getUseSerialPort())
            mainObject.getSerialInfo(tile.camNumber)
        else
            openNetworkScreen()
    }

    function clearNetworkChanges() {
        changedDhcp = false
        changedHostname = false
        changedIp = false
        changedMask = false
        changedGateway = false
        changedPrimDns = false
        changedSecDns = false
    }
    function openNetworkScreen() {
        netHostname = mainObject.getCameraDeviceHostname()
        netModel = mainObject.getCameraModel(0)
        netIp = mainObject.getCameraDeviceIP(camNumber - 1)
        manualAddressing = mainObject.getCameraNetworkManual(camNumber - 1)
        netDhcpBase = netDhcp
        clearNetworkChanges()
        networkScreen.open()
    }
    function setDhcp(on) {
        netDhcp = on
        changedDhcp = on !== netDhcpBase
    }

    function openNumberPad(code, text) {
        cameraNumberboardFunction = code
        numberPad.show(code, text)
    }
    function openIpField() {
        if (manualAddressing)
            openManualPad()
        else
            openNumberPad(10, netIp)
    }
    function openManualPad() {
        if (!manualScreen.opened)
            manualIp = netIp
        manualIpBefore = manualIp
        openNumberPad(50 + camNumber, manualIp)
    }
    function numberPadAccepted(code, text) {
        switch (code) {
        case 10: if (text !== netIp) { netIp = text; changedIp = true } break
        case 11: if (text !== netMask) { netMask = text; changedMask = true } break
        case 12: if (text !== netGateway) { netGateway = text; changedGateway = true } break
        case 13: if (text !== netPrimDns) { netPrimDns = text; changedPrimDns = true } break
        case 14: if (text !== netSecDns) { netSecDns = text; changedSecDns = true } break
        default:
            // A manual address only counts for the camera on screen; it is applied with the
            // protocol, so the manual screen is where it ends up.
            if (code === 50 + camNumber) {
                manualIp = text
                if (!manualScreen.opened)
                    openManualScreen(false)
            }
        }
    }
    function numberPadCancelled(code) {
        if (code === 50 + camNumber)
            manualIp = manualIpBefore
    }
    function openKeyboard(code, text) {
        cameraKeyboardInputID = code
        textKeyboard.show(code, text)
    }
    function keyboardAccepted(code, text) {
        if (code === 0 && text !== netHostname) {
            netHostname = text
            changedHostname = true
        }
    }

    function openManualScreen(fillFromNetwork) {
        if (fillFromNetwork)
            manualIp = netIp
        manualScreen.open()
    }
    function applyManual(protocol) {
        mainObject.setCameraNetworkManual(camNumber - 1, manualIp, protocol)
        mainObject.startRunRobin(true)
        netIp = manualIp
        manualScreen.close()
    }

    function saveNetwork() {
        saveProgress = 0
        saveTimer.restart()
    }
    function saveStep(step) {
        var index = camNumber - 1
        switch (step) {
        case 0:
            progressDialog.open()
            if (changedDhcp) { mainObject.setDhcpMode(index, netDhcp ? 1 : 0); changedDhcp = false; netDhcpBase = netDhcp }
            break
        case 10: if (changedHostname) { mainObject.setDhcpName(index, netHostname); changedHostname = false } break
        case 20: if (changedIp) { mainObject.setIpAdr(index, netIp, netGateway); changedIp = false } break
        case 30: if (changedMask) { mainObject.setNetmask(index, netMask); changedMask = false } break
        case 40: if (changedGateway) { mainObject.setGateway(index, netGateway); changedGateway = false } break
        case 50: if (changedPrimDns) { mainObject.setPrimDNS(index, netPrimDns); changedPrimDns = false } break
        case 60: if (changedSecDns) { mainObject.setSecDNS(index, netSecDns); changedSecDns = false } break
        case 100:
            progressDialog.close()
            networkScreen.close()
            break
        }
    }

    function openVideoModeList() {
        videoModeChoice = videoMode
        videoModeList.open()
    }
    function saveVideoMode() {
        countDown = 5
        countdownDialog.open()
        countdownTimer.restart()
        mainObject.camVideoMode = videoModeChoice
        videoModeList.close()
    }
    function openOrientationList() {
        hFlipChoice = videoHFlip
        vFlipChoice = videoVFlip
        orientationList.open()
    }
    function saveOrientation() {
        // Each write is a command to the camera; an unchanged flip is not sent again.
        if (vFlipChoice !== mainObject.camVideoVFlip)
            mainObject.camVideoVFlip = vFlipChoice
        if (hFlipChoice !== mainObject.camVideoHFlip)
            mainObject.camVideoHFlip = hFlipChoice
        orientationList.close()
    }
    // Both flips read "H+V" where the current setting is shown, and in full on the list's button.
    function trOrientation(key, inFull) {
        switch (key) {
        case "H+V":
            return inFull ? qsTr("Horizontal") + qmlTranslator.e_str + "+" + qsTr("Vertical") + qmlTranslator.e_str
                          : "H+V"
        case "Horizontal": return qsTr("Horizontal") + qmlTranslator.e_str
        case "Vertical": return qsTr("Vertical") + qmlTranslator.e_str
        case "OFF": return qsTr("OFF") + qmlTranslator.e_str
        }
        return key
    }

    Connections {
        target: mainObject
        function onRefreshCameraList(index) { page.currentOnScreen = index }
        function onCameraLinkChanged(cameraIndex, up) {
            if (cameraIndex < 1 || cameraIndex > 24)
                return
            var list = page.linkDownList.slice()
            list[cameraIndex - 1] = !up
            page.linkDownList = list
        }
        function onRefreshCameraExist(cameraIndex, exist) {
            // Only a change is worth a relayout.
            if (cameraIndex < 1 || cameraIndex > 24 || page.connectedList[cameraIndex - 1] === exist)
                return
            var list = page.connectedList.slice()
            list[cameraIndex - 1] = exist
            page.connectedList = list
            if (cameraIndex === page.camNumber)
                page.cameraExist = exist
        }
        function onRefreshCameraNetConfig(ipAddr, dhcpMode, hostName, modelname, macAddr, maskAddr,
                                          gateAddr, primDns, secDns) {
            page.netIp = ipAddr
            page.netDhcp = dhcpMode
            page.netDhcpBase = dhcpMode
            page.dhcpMode = dhcpMode
            page.netHostname = hostName
            page.netModel = modelname
            page.netMac = macAddr
            page.netMask = maskAddr
            page.netGateway = gateAddr
            page.netPrimDns = primDns
            page.netSecDns = secDns
            page.clearNetworkChanges()
        }
        function onCamVideoModeChanged() { page.videoModeShown = Texts.videoModeText(mainObject.camVideoMode, page.videoModeShown) }
        function onCamVideoVFlipChanged() {
            if (!orientationList.opened)
                page.orientationShown = Texts.orientationKey(mainObject.camVideoHFlip, mainObject.camVideoVFlip, page.orientationShown)
        }
        function onCamVideoHFlipChanged() {
            if (!orientationList.opened)
                page.orientationShown = Texts.orientationKey(mainObject.camVideoHFlip, mainObject.camVideoVFlip, page.orientationShown)
        }
    }

    // ---- Tile grid --------------------------------------------------------------------------

    Image {
        id: previousArrow
        objectName: "previousPage"
        anchors { left: parent.left; verticalCenter: pages.verticalCenter; leftMargin: 4 }
        width: 64; height: 64
        source: pages.currentIndex > 0 ? "qrc:/images/icons/arrow_left.png"
                                       : "qrc:/images/icons/arrow_left_disabled.png"
        MouseArea { anchors.fill: parent; onClicked: if (pages.currentIndex > 0) pages.currentIndex -= 1 }
    }
    Image {
        id: nextArrow
        objectName: "nextPage"
        anchors { right: parent.right; verticalCenter: pages.verticalCenter; rightMargin: 4 }
        width: 64; height: 64
        source: pages.currentIndex < 3 ? "qrc:/images/icons/arrow_right.png"
                                       : "qrc:/images/icons/arrow_right_disabled.png"
        MouseArea { anchors.fill: parent; onClicked: if (pages.currentIndex < 3) pages.currentIndex += 1 }
    }
    // Pages change by the arrows only: a swipe would be too easily taken for a tile touch.
    Item {
        id: pages
        objectName: "cameraPages"
        property int currentIndex: 0
        anchors { left: previousArrow.right; right: nextArrow.left; top: parent.top
                  bottom: pageLabel.top; margins: 8 }
        Repeater {
            model: 4
            PageCameraList {
                objectName: "cameraList" + (index + 1)
                anchors.fill: parent
                visible: pages.currentIndex === index
                pageIndex: index
                currentOnScreen: page.currentOnScreen
                connectedList: page.tileConnectedList
                presetsShown: visible
                onCameraTouched: page.openStatus(tile)
                onNetworkPressed: page.openConnection(tile)
                Component.onCompleted: page.registerList(index, this)
            }
        }
    }
    Text {
        id: pageLabel
        objectName: "pageLabel"
        anchors { horizontalCenter: parent.horizontalCenter; bottom: parent.bottom; bottomMargin: 4 }
        height: 40
        verticalAlignment: Text.AlignVCenter
        text: (pages.currentIndex + 1) + "/4"
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.fontLarge
        font.bold: true
    }

    // ---- Status -----------------------------------------------------------------------------

    PageCameraInfo {
        id: cameraInfo
        objectName: "cameraInfo"
        onVideoSettingRequested: videoSettings.open()
    }

    // ---- Video settings ---------------------------------------------------------------------

    property var videoItems: [
        { "name": qsTr("Contrast") + qmlTranslator.e_str, "to": 100 },
        { "name": qsTr("Sharpness") + qmlTranslator.e_str, "to": 100 },
        { "name": qsTr("Saturation") + qmlTranslator.e_str, "to": 100 },
        { "name": qsTr("Exposure") + qmlTranslator.e_str, "to": 100 },
        { "name": qsTr("HUE") + qmlTranslator.e_str, "to": 255 },
        { "name": qsTr("AGC") + qmlTranslator.e_str, "to": 30 },
        { "name": qsTr("Gamma") + qmlTranslator.e_str, "to": 255 },
        { "name": qsTr("HDR") + qmlTranslator.e_str, "to": 100 }
    ]
    // The cameras report no contrast, so it starts at mid-scale.
    property var videoItemValues: [50, 0, 0, 0, 0, 0, 0, 0]
    property int videoItemIndex: 0

    function selectVideoItem(index) {
        videoItemIndex = index
        videoItemSlider.value = videoItemValues[index]
    }

    CameraPopup {
        id: videoSettings
        objectName: "videoSettings"
        title: qsTr("Video Setting") + qmlTranslator.e_str
        onAboutToShow: {
            page.videoItemValues = [50, mainObject.camVideoSharpen, mainObject.camVideoSaturation,
                                    mainObject.camVideoExposure, mainObject.camVideoHue,
                                    mainObject.camVideoAGC, mainObject.camVideoGamma, mainObject.camVideoHDR]
            page.selectVideoItem(page.videoItemIndex)
        }
        Column {
            spacing: 14
            width: 1100
            Row {
                spacing: 16
                ZButton {
                    objectName: "videoModeButton"
                    width: 420
                    text: qsTr("Video Mode") + qmlTranslator.e_str + ": " + page.videoModeShown
                    onClicked: page.openVideoModeList()
                }
                ZButton {
                    objectName: "orientationButton"
                    width: 420
                    text: qsTr("Video Orientation") + qmlTranslator.e_str + ": " + page.trOrientation(page.orientationShown, false)
                    onClicked: page.openOrientationList()
                }
                // Shown as on the camera's own menu; the panel sends no noise-reduction command.
                Switch {
                    id: noiseReduction
                    height: Theme.touch
                    text: qsTr("3DNR") + qmlTranslator.e_str
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.fontNormal
                    contentItem: Text {
                        leftPadding: noiseReduction.indicator.width + 12
                        text: noiseReduction.text
                        font: noiseReduction.font
                        color: Theme.text
                        verticalAlignment: Text.AlignVCenter
                    }
                }
            }
            Flow {
                width: parent.width
                spacing: 10
                Repeater {
                    model: page.videoItems
                    ZButton {
                        width: 128
                        selected: page.videoItemIndex === index
                        text: modelData.name
                        onClicked: page.selectVideoItem(index)
                    }
                }
            }
            ArrowSlider {
                id: videoItemSlider
                objectName: "videoItemSlider"
                width: parent.width
                title: page.videoItems[page.videoItemIndex].name
                from: 0
                to: page.videoItems[page.videoItemIndex].to
                stepSize: 1
                onMoved: {
                    var values = page.videoItemValues.slice()
                    values[page.videoItemIndex] = Math.round(value)
                    page.videoItemValues = values
                }
            }
            Item {
                width: parent.width
                height: Theme.touch
                Text {
                    anchors { left: parent.left; verticalCenter: parent.verticalCenter }
                    text: qsTr("Firmware Status") + qmlTranslator.e_str + ": " + mainObject.camVersion
                    color: Theme.textDim
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.fontNormal
                }
                ZButton {
                    anchors.right: parent.right
                    text: qsTr("Back") + qmlTranslator.e_str
                    onClicked: videoSettings.close()
                }
            }
        }
    }

    // Codes 0 are the 2160p rates the cameras do not take yet: they are listed but choose nothing.
    property var videoModeButtons: [
        { "text": "2160p 60", "code": 0 }, { "text": "2160p 59.94", "code": 0 },
        { "text": "2160p 50", "code": 0 }, { "text": "2160p 30", "code": 0 },
        { "text": "2160p 29.94", "code": 29 }, { "text": "2160p 25", "code": 30 },
        { "text": "1080i 59.94", "code": 1 }, { "text": "1080i 50", "code": 4 },
        { "text": "1080p 59.94", "code": 19 }, { "text": "1080p 50", "code": 20 },
        { "text": "1080p 29.97", "code": 6 }, { "text": "1080p 25", "code": 8 },
        { "text": "720p 59.94", "code": 9 }, { "text": "720p 50", "code": 12 }
    ]
    function chooseVideoMode(text) {
        for (var i = 0; i < videoModeButtons.length; ++i) {
            if (videoModeButtons[i].text === text && videoModeButtons[i].code !== 0)
                videoModeChoice = videoModeButtons[i].code
        }
    }

    CameraPopup {
        id: videoModeList
        objectName: "videoModeList"
        title: qsTr("Video Mode") + qmlTranslator.e_str
        Column {
            spacing: 16
            Grid {
                columns: 4
                spacing: 10
                Repeater {
                    model: page.videoModeButtons
                    ZButton {
                        objectName: "mode " + modelData.text
                        width: 220
                        text: modelData.text
                        enabled: modelData.code !== 0
                        selected: modelData.code !== 0 && modelData.code === page.videoModeChoice
                        onClicked: page.chooseVideoMode(modelData.text)
                    }
                }
            }
            Row {
                spacing: 24
                anchors.right: parent.right
                ZButton { text: qsTr("Back") + qmlTranslator.e_str; onClicked: videoModeList.close() }
                ZButton {
                    objectName: "videoModeSave"
                    text: qsTr("Save") + qmlTranslator.e_str
                    onClicked: page.saveVideoMode()
                }
            }
        }
    }

    // The camera restarts its video on a mode change and answers nothing meanwhile.
    ZDialog {
        id: countdownDialog
        objectName: "countdownDialog"
        closePolicy: Popup.NoAutoClose
        Text {
            objectName: "countdownText"
            width: 360
            horizontalAlignment: Text.AlignHCenter
            text: qsTr("Please wait\n") + qmlTranslator.e_str + ".....".substring(0, page.countDown)
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontLarge
        }
    }
    Timer {
        id: countdownTimer
        interval: 1000
        repeat: true
        onTriggered: {
            page.countDown -= 1
            if (page.countDown <= 0) {
                stop()
                countdownDialog.close()
            }
        }
    }

    property var orientationButtons: [
        { "key": "H+V", "h": 2, "v": 2 }, { "key": "Horizontal", "h": 2, "v": 3 },
        { "key": "Vertical", "h": 3, "v": 2 }, { "key": "OFF", "h": 3, "v": 3 }
    ]
    CameraPopup {
        id: orientationList
        objectName: "orientationList"
        title: qsTr("Video Orientation") + qmlTranslator.e_str
        onClosed: page.orientationShown = Texts.orientationKey(mainObject.camVideoHFlip, mainObject.camVideoVFlip, page.orientationShown)
        Column {
            spacing: 16
            Repeater {
                model: page.orientationButtons
                ZButton {
                    objectName: "orientation " + modelData.key
                    width: 480
                    text: page.trOrientation(modelData.key, true)
                    selected: page.hFlipChoice === modelData.h && page.vFlipChoice === modelData.v
                    onClicked: { page.hFlipChoice = modelData.h; page.vFlipChoice = modelData.v }
                }
            }
            Row {
                spacing: 24
                anchors.right: parent.right
                ZButton { text: qsTr("Back") + qmlTranslator.e_str; onClicked: orientationList.close() }
                ZButton {
                    objectName: "orientationSave"
                    text: qsTr("Save") + qmlTranslator.e_str
                    onClicked: page.saveOrientation()
                }
            }
        }
    }

    // ---- Network ----------------------------------------------------------------------------

    component FieldRow: Rectangle {
        property string name: ""
        property string value: ""
        property bool editable: false
        signal edit()
        width: 760
        height: Theme.touch
        radius: Theme.radius
        color: editable && enabled ? Theme.panelRaised : Theme.panel
        border.color: editable && enabled ? Theme.line : "transparent"
        border.width: 2
        opacity: enabled ? 1 : 0.5
        Text {
            anchors { left: parent.left; leftMargin: 18; verticalCenter: parent.verticalCenter }
            text: parent.name
            color: Theme.textDim
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
        }
        Text {
            anchors { right: parent.right; rightMargin: 18; verticalCenter: parent.verticalCenter }
            width: 440
            horizontalAlignment: Text.AlignRight
            elide: Text.ElideRight
            text: parent.value
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.fontNormal
            font.bold: true
        }
        MouseArea { anchors.fill: parent; enabled: parent.editable; onClicked: parent.edit() }
    }

    CameraPopup {
        id: networkScreen
        objectName: "networkScreen"
        title: qsTr("Network") + qmlTranslator.e_str + " - " + cameraInfo.cameraInfoIitle
        Row {
            spacing: 24
            Column {
                spacing: 6
                FieldRow {
                    objectName: "hostField"
                    name: qsTr("Host Name") + qmlTranslator.e_str; value: page.netHostname; editable: true
                    onEdit: page.openKeyboard(0, page.netHostname)
                }
                FieldRow { name: qsTr("Model Name") + qmlTranslator.e_str; value: page.netModel }
                FieldRow {
                    objectName: "ipField"
                    name: qsTr("IP Address") + qmlTranslator.e_str; value: page.netIp; editable: true
                    enabled: !page.netDhcp
                    onEdit: page.openIpField()
                }
                FieldRow {
                    objectName: "maskField"
                    name: qsTr("Network Mask") + qmlTranslator.e_str; value: page.netMask; editable: true
                    enabled: !page.netDhcp
                    onEdit: page.openNumberPad(11, page.netMask)
                }
                FieldRow {
                    objectName: "gatewayField"
                    name: qsTr("Gateway") + qmlTranslator.e_str; value: page.netGateway; editable: true
                    enabled: !page.netDhcp
                    onEdit: page.openNumberPad(12, page.netGateway)
                }
                FieldRow {
                    objectName: "primDnsField"
                    name: qsTr("Primary DNS") + qmlTranslator.e_str; value: page.netPrimDns; editable: true
                    enabled: !page.netDhcp
                    onEdit: page.openNumberPad(13, page.netPrimDns)
                }
                FieldRow {
                    objectName: "secDnsField"
                    name: qsTr("Secondary DNS") + qmlTranslator.e_str; value: page.netSecDns; editable: true
                    enabled: !page.netDhcp
                    onEdit: page.openNumberPad(14, page.netSecDns)
                }
                FieldRow { name: qsTr("MAC Address") + qmlTranslator.e_str; value: page.netMac }
            }
            Column {
                spacing: 12
                Switch {
                    id: dhcpSwitch
                    objectName: "dhcpSwitch"
                    height: Theme.touch
                    checked: page.netDhcp
                    text: qsTr("DHCP") + qmlTranslator.e_str
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.fontNormal
                    contentItem: Text {
                        leftPadding: dhcpSwitch.indicator.width + 12
                        text: dhcpSwitch.text
                        font: dhcpSwitch.font
                        color: Theme.text
                        verticalAlignment: Text.AlignVCenter
                    }
                    onToggled: page.setDhcp(checked)
                }
                ZButton {
                    objectName: "manualButton"
                    width: 240
                    text: qsTr("Manual") + qmlTranslator.e_str
                    onClicked: page.openManualScreen(true)
                }
                ZButton {
                    objectName: "networkSave"
                    width: 240
                    text: qsTr("Save") + qmlTranslator.e_str
                    enabled: !saveTimer.running
                    onClicked: page.saveNetwork()
                }
                ZButton {
                    width: 240
                    text: qsTr("Back") + qmlTranslator.e_str
                    enabled: !saveTimer.running
                    onClicked: networkScreen.close()
                }
            }
        }
    }

    // One request per tick, so the progress dialog is drawn before each blocking call.
    Timer {
        id: saveTimer
        interval: 500
        repeat: true
        triggeredOnStart: true
        onTriggered: {
            page.saveStep(page.saveProgress)
            if (page.saveProgress >= 100)
                stop()
            else
                page.saveProgress += 10
        }
    }

    ProgressDialog {
        id: progressDialog
        objectName: "progressDialog"
        value: page.saveProgress
    }

    CameraPopup {
        id: manualScreen
        objectName: "manualScreen"
        title: qsTr("Set IP Address and Protocol") + qmlTranslator.e_str
        Column {
            spacing: 16
            FieldRow {
                objectName: "manualIpField"
                name: qsTr("Input IP Address") + qmlTranslator.e_str
                value: page.manualIp
                editable: true
                onEdit: page.openManualPad()
            }
            Text {
                visible: !Texts.isIpAddress(page.manualIp)
                text: qsTr("Enter an IP address first.") + qmlTranslator.e_str
                color: Theme.accent
                font.family: Theme.fontFamily
                font.pixelSize: Theme.fontSmall
            }
            Row {
                spacing: 12
                Repeater {
                    model: [
                        { "text": qsTr("HCIP") + qmlTranslator.e_str, "protocol": 0, "shown": true },
                        { "text": qsTr("Standard VISCA") + qmlTranslator.e_str, "protocol": 1, "shown": true },
                        { "text": qsTr("Simple VISCA") + qmlTranslator.e_str, "protocol": 2, "shown": true },
                        { "text": qsTr("NDI") + qmlTranslator.e_str, "protocol": 3, "shown": false }
                    ]
                    ZButton {
                        objectName: "protocol" + modelData.protocol
                        width: 240
                        visible: modelData.shown
                        // An address that is not one would take the camera off the network.
                        enabled: Texts.isIpAddress(page.manualIp)
                        text: modelData.text
                        onClicked: page.applyManual(modelData.protocol)
                    }
                }
            }
            ZButton {
                anchors.right: parent.right
                objectName: "manualBack"
                text: qsTr("Back") + qmlTranslator.e_str
                onClicked: { page.manualIp = page.netIp; manualScreen.close() }
            }
        }
    }

    NumberPad {
        id: numberPad
        onAccepted: page.numberPadAccepted(functionCode, text)
        onCancelled: page.numberPadCancelled(functionCode)
    }
    TextKeyboard {
        id: textKeyboard
        onAccepted: page.keyboardAccepted(fieldCode, text)
    }
}
