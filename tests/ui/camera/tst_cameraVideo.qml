import QtQuick 2.15
import QtTest 1.2

// The video settings reached from the status screen: mode list with its countdown, orientation.
TestCase {
    id: testCase
    name: "CameraVideo"
    when: windowShown
    visible: true
    width: 1280
    height: 720

    SignalSpy { id: modeSpy; target: mainObject; signalName: "camVideoModeChanged" }
    SignalSpy { id: hSpy; target: mainObject; signalName: "camVideoHFlipChanged" }
    SignalSpy { id: vSpy; target: mainObject; signalName: "camVideoVFlipChanged" }

    Component {
        id: pageComponent
        Item {
            width: 1280
            height: 540
            property alias page: loader.item
            Loader { id: loader; anchors.fill: parent; source: "qrc:/camera/CameraPage.qml" }
        }
    }

    function makePage(mode, hFlip, vFlip) {
        mainObject.reset()
        mainObject.camVideoMode = mode
        mainObject.camVideoHFlip = hFlip
        mainObject.camVideoVFlip = vFlip
        var holder = createTemporaryObject(pageComponent, testCase)
        tryVerify(function () { return holder.page !== null }, 5000)
        return holder.page
    }
    function click(popup, name) {
        var item = findChild(popup.contentItem, name)
        verify(item !== null, name)
        mouseClick(item)
    }
    function openModeList(page) {
        page.statusScreen.open()
        click(page.statusScreen, "videoSettingButton")
        verify(page.videoSettingsScreen.opened)
        click(page.videoSettingsScreen, "videoModeButton")
        verify(page.videoModeScreen.opened)
    }

    function test_videoModeSaveWritesChoice() {
        var page = makePage(20, 3, 3)
        modeSpy.clear()
        compare(findChild(page.videoSettingsScreen.contentItem, "videoModeButton").text, "Video Mode: 1080p50")
        openModeList(page)
        click(page.videoModeScreen, "mode 1080p 59.94")
        click(page.videoModeScreen, "videoModeSave")
        compare(mainObject.camVideoMode, 19)
        compare(modeSpy.count, 1)
        verify(!page.videoModeScreen.opened)
        verify(page.countdownScreen.opened)
        compare(findChild(page.videoSettingsScreen.contentItem, "videoModeButton").text, "Video Mode: 1080p59.94")
        page.countdownScreen.close()
        page.videoSettingsScreen.close()
    }

    function test_unsupportedModeButtonKeepsPreviousChoice() {
        var page = makePage(20, 3, 3)
        openModeList(page)
        click(page.videoModeScreen, "mode 720p 50")
        click(page.videoModeScreen, "mode 2160p 60")
        click(page.videoModeScreen, "videoModeSave")
        compare(mainObject.camVideoMode, 12)
        page.countdownScreen.close()

        click(page.videoSettingsScreen, "videoModeButton")
        click(page.videoModeScreen, "mode 2160p 60")
        click(page.videoModeScreen, "videoModeSave")
        compare(mainObject.camVideoMode, 12)
        page.countdownScreen.close()

        click(page.videoSettingsScreen, "videoModeButton")
        click(page.videoModeScreen, "mode 2160p 25")
        click(page.videoModeScreen, "videoModeSave")
        compare(mainObject.camVideoMode, 30)
        page.countdownScreen.close()
        page.videoSettingsScreen.close()
    }

    function test_countdownClosesAfterFiveSeconds() {
        var page = makePage(20, 3, 3)
        openModeList(page)
        click(page.videoModeScreen, "videoModeSave")
        var text = findChild(page.countdownScreen.contentItem, "countdownText")
        compare(text.text, "Please wait\n.....")
        compare(page.countDown, 5)
        tryCompare(text, "text", "Please wait\n....", 3000)
        verify(page.countdownScreen.opened)
        tryCompare(page.countdownScreen, "opened", false, 10000)
        compare(page.countDown, 0)
        page.videoSettingsScreen.close()
    }

    function test_orientationSaveWritesOnlyChangedFlips() {
        var page = makePage(20, 3, 3)
        hSpy.clear()
        vSpy.clear()
        var button = findChild(page.videoSettingsScreen.contentItem, "orientationButton")
        compare(button.text, "Video Orientation: OFF")
        page.videoSettingsScreen.open()
        mouseClick(button)
        var list = page.orientationScreen
        verify(list.opened)
        click(list, "orientation Horizontal")
        click(list, "orientationSave")
        compare(mainObject.camVideoHFlip, 2)
        compare(mainObject.camVideoVFlip, 3)
        compare(hSpy.count, 1)
        compare(vSpy.count, 0)
        compare(button.text, "Video Orientation: Horizontal")

        mouseClick(button)
        compare(findChild(list.contentItem, "orientation H+V").text, "Horizontal+Vertical")
        click(list, "orientation H+V")
        click(list, "orientationSave")
        compare(hSpy.count, 1)
        compare(vSpy.count, 1)
        compare(button.text, "Video Orientation: H+V")

        // Unchanged: nothing is written.
        mouseClick(button)
        click(list, "orientationSave")
        compare(hSpy.count, 1)
        compare(vSpy.count, 1)

        mouseClick(button)
        click(list, "orientation Vertical")
        click(list, "orientationSave")
        compare(mainObject.camVideoHFlip, 3)
        compare(mainObject.camVideoVFlip, 2)
        compare(hSpy.count, 2)
        compare(vSpy.count, 1)
        page.videoSettingsScreen.close()
    }

    function test_orientationTextFollowsCameraWhileListClosed() {
        var page = makePage(20, 3, 3)
        var button = findChild(page.videoSettingsScreen.contentItem, "orientationButton")
        mainObject.camVideoVFlip = 2
        compare(button.text, "Video Orientation: Vertical")
        page.videoSettingsScreen.open()
        mouseClick(button)
        // While the operator chooses, the camera's report does not move the choice.
        click(page.orientationScreen, "orientation OFF")
        mainObject.camVideoHFlip = 2
        verify(findChild(page.orientationScreen.contentItem, "orientation OFF").selected)
        compare(button.text, "Video Orientation: Vertical")
        page.orientationScreen.close()
        compare(button.text, "Video Orientation: H+V")
        page.videoSettingsScreen.close()
    }
}
