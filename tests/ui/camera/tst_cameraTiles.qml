import QtQuick 2.15
import QtTest 1.2

// The tile grid: which camera each tile is, what its network button opens, and how the tiles
// follow the application's selection, presence and preset reports.
TestCase {
    id: testCase
    name: "CameraTiles"
    when: windowShown
    visible: true
    width: 1280
    height: 540

    Component {
        id: pageComponent
        Item {
            width: 1280
            height: 540
            property alias page: loader.item
            Loader { id: loader; anchors.fill: parent; source: "qrc:/camera/CameraPage.qml" }
        }
    }

    function makePage() {
        mainObject.reset()
        for (var n = 1; n <= 6; ++n) {
            mainObject["cam" + n + "PstNumber"] = 0
            mainObject["cam" + n + "PstTitle"] = ""
        }
        var holder = createTemporaryObject(pageComponent, testCase)
        verify(holder !== null)
        tryVerify(function () { return holder.page !== null && holder.page.page4 !== null }, 5000)
        return holder.page
    }
    function closeAll(page) {
        page.statusScreen.close()
        page.networkSettingsScreen.close()
    }
    function tileOf(page, pageNumber, n) {
        return findChild(page, "cameraList" + pageNumber).tile(n)
    }
    function showPage(page, pageNumber) {
        var next = findChild(page, "nextPage")
        var previous = findChild(page, "previousPage")
        for (var i = 0; i < 4 && page.currentPageIndex > pageNumber - 1; ++i)
            mouseClick(previous)
        for (var j = 0; j < 4 && page.currentPageIndex < pageNumber - 1; ++j)
            mouseClick(next)
        compare(page.currentPageIndex, pageNumber - 1)
    }

    function test_tilesNumberCamerasAcrossPages() {
        var page = makePage()
        compare(tileOf(page, 1, 1).camNumber, 1)
        compare(tileOf(page, 1, 6).camNumber, 6)
        compare(tileOf(page, 2, 3).camNumber, 9)
        compare(tileOf(page, 3, 1).camNumber, 13)
        compare(tileOf(page, 4, 6).camNumber, 24)
        compare(tileOf(page, 2, 3).camHostname, "Camera 9")
        compare(tileOf(page, 4, 6).camHostname, "Camera 24")
    }

    function test_arrowsChangePagesAndLabel() {
        var page = makePage()
        var label = findChild(page, "pageLabel")
        var previous = findChild(page, "previousPage")
        var next = findChild(page, "nextPage")
        compare(label.text, "1/4")
        compare(previous.source.toString(), "qrc:/images/icons/arrow_left_disabled.png")
        mouseClick(previous)
        compare(page.currentPageIndex, 0)
        mouseClick(next)
        compare(label.text, "2/4")
        compare(previous.source.toString(), "qrc:/images/icons/arrow_left.png")
        mouseClick(next)
        mouseClick(next)
        compare(label.text, "4/4")
        compare(next.source.toString(), "qrc:/images/icons/arrow_right_disabled.png")
        mouseClick(next)
        compare(label.text, "4/4")
        mouseClick(previous)
        compare(label.text, "3/4")
    }

    function test_touchingTileOpensStatusOfThatCamera() {
        var page = makePage()
        showPage(page, 2)
        mainObject.cam3PstNumber = 4
        mainObject.cam3PstTitle = "Pulpit"
        var tile = tileOf(page, 2, 3)
        mouseClick(tile, 100, 150)
        compare(mainObject.callsOf("currentCamDisplay"), ["currentCamDisplay(9)"])
        verify(page.statusScreen.opened)
        compare(page.statusScreen.camNumber, 9)
        compare(page.statusScreen.cameraInfoIitle, "Camera 9")
        compare(page.statusScreen.cameraPstLabel, "PST 4-Pulpit")
        closeAll(page)

        mainObject.cam1PstNumber = 0
        mouseClick(tileOf(page, 2, 1), 100, 150)
        compare(page.statusScreen.cameraInfoIitle, "Camera 7")
        compare(page.statusScreen.cameraPstLabel, "")
        closeAll(page)
    }

    function test_networkButtonSerialOrNetwork() {
        var page = makePage()
        mainObject.values = { "getUseSerialPort": true }
        showPage(page, 2)
        // Camera 9 is never on a serial port.
        mouseClick(findChild(tileOf(page, 2, 3), "networkButton"))
        compare(mainObject.callsOf("currentCamDisplay"), ["currentCamDisplay(9)"])
        compare(mainObject.callsOf("getSerialInfo"), [])
        verify(page.networkSettingsScreen.opened)
        compare(mainObject.callsOf("getCameraDeviceIP"), ["getCameraDeviceIP(8)"])
        closeAll(page)

        mainObject.reset()
        mainObject.values = { "getUseSerialPort": true }
        mouseClick(findChild(tileOf(page, 2, 2), "networkButton"))
        compare(mainObject.callsOf("currentCamDisplay"), ["currentCamDisplay(8)"])
        compare(mainObject.callsOf("getSerialInfo"), ["getSerialInfo(8)"])
        verify(!page.networkSettingsScreen.opened)

        mainObject.reset()
        mainObject.values = { "getUseSerialPort": false }
        mouseClick(findChild(tileOf(page, 2, 2), "networkButton"))
        compare(mainObject.callsOf("getSerialInfo"), [])
        verify(page.networkSettingsScreen.opened)
        closeAll(page)
    }

    function test_selectionFollowsRefreshCameraList() {
        var page = makePage()
        mainObject.refreshCameraExist(9, true)
        mainObject.refreshCameraExist(2, true)
        mainObject.refreshCameraList(9)
        var nine = tileOf(page, 2, 3)
        var two = tileOf(page, 1, 2)
        verify(nine.selected)
        compare(nine.camSource, "qrc:/images/img_bg_select_camera_list.png")
        compare(findChild(nine, "tileBackground").source.toString(), "qrc:/images/img_bg_select_camera_list.png")
        compare(two.camSource, "qrc:/images/img_bg_camera_list.png")
        mainObject.refreshCameraList(2)
        verify(!nine.selected)
        verify(two.selected)
        compare(nine.camSource, "qrc:/images/img_bg_camera_list.png")
        compare(two.camSource, "qrc:/images/img_bg_select_camera_list.png")
        // A selected camera that is gone shows as gone.
        mainObject.refreshCameraExist(2, false)
        compare(two.camSource, "qrc:/images/img_disconnect_camera_list.png")
    }

    function test_refreshCameraExistIsOneBased() {
        var page = makePage()
        var first = tileOf(page, 1, 1)
        var last = tileOf(page, 4, 6)
        verify(!first.connected)
        compare(first.camSource, "qrc:/images/img_disconnect_camera_list.png")
        mainObject.refreshCameraExist(1, true)
        verify(first.connected)
        verify(!tileOf(page, 1, 2).connected)
        mainObject.refreshCameraExist(24, true)
        verify(last.connected)
        mainObject.refreshCameraExist(24, false)
        verify(!last.connected)
        // Out of range must not disturb any tile.
        mainObject.refreshCameraExist(25, true)
        mainObject.refreshCameraExist(0, true)
        verify(first.connected)
        verify(!last.connected)
    }

    function test_aCameraThatIsDownShowsDisconnectedUntilItIsBack() {
        var page = makePage()
        var ten = tileOf(page, 2, 4)
        mainObject.refreshCameraExist(10, true)
        mainObject.refreshCameraList(10)
        compare(ten.camSource, "qrc:/images/img_bg_select_camera_list.png")
        mainObject.cameraLinkChanged(10, false)
        verify(!ten.connected)
        compare(ten.camSource, "qrc:/images/img_disconnect_camera_list.png")
        // The existence poll repeats that the camera exists; the tile stays down.
        mainObject.refreshCameraExist(10, true)
        compare(ten.camSource, "qrc:/images/img_disconnect_camera_list.png")
        verify(tileOf(page, 2, 3).camSource !== "qrc:/images/img_bg_select_camera_list.png")
        mainObject.cameraLinkChanged(10, true)
        verify(ten.connected)
        compare(ten.camSource, "qrc:/images/img_bg_select_camera_list.png")
        // Out of range changes nothing.
        mainObject.cameraLinkChanged(0, false)
        mainObject.cameraLinkChanged(25, false)
        verify(ten.connected)
    }

    function test_presetBadgesOnShownPageOnly() {
        var page = makePage()
        mainObject.cam2PstNumber = 5
        mainObject.cam2PstTitle = "Choir"
        var shown = tileOf(page, 1, 2)
        compare(shown.camPst, "qrc:/images/pst/img_pst5_camera.png")
        compare(shown.camTitle, "Choir")
        compare(tileOf(page, 2, 2).camPst, "")
        mainObject.cam2PstNumber = 0
        compare(shown.camPst, "")
        showPage(page, 2)
        mainObject.cam2PstNumber = 16
        compare(tileOf(page, 2, 2).camPst, "qrc:/images/pst/img_pst16_camera.png")
        compare(shown.camPst, "")
    }

    // At load the page asks for every camera once; from then on the application tells it of
    // each change (refreshCameraExist), with no poll.
    function test_loadReadsAndAsksEveryCameraOnce() {
        mainObject.reset()
        mainObject.values = { "getCurrentOnScreen": 5, "getCameraDeviceDHCP": true }
        var holder = createTemporaryObject(pageComponent, testCase)
        tryVerify(function () { return holder.page !== null }, 5000)
        var page = holder.page
        compare(mainObject.callsOf("getCurrentOnScreen").length, 1)
        compare(mainObject.callsOf("getCameraVisca"), ["getCameraVisca(4)"])
        var asked = mainObject.callsOf("getCameraExist")
        compare(asked.length, 25)
        compare(asked[0], "getCameraExist(0)")
        compare(asked[23], "getCameraExist(23)")
        compare(asked[24], "getCameraExist(4)")
        verify(page.dhcpMode)
        verify(tileOf(page, 1, 5).selected)
    }
}
