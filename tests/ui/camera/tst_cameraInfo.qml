import QtQuick 2.15
import QtTest 1.2

// The status screen of the on-screen camera and its white-balance screens.
TestCase {
    id: testCase
    name: "CameraInfo"
    when: windowShown
    visible: true
    width: 1280
    height: 720

    SignalSpy { id: spy; signalName: "videoSettingRequested" }

    Component {
        id: infoComponent
        Item {
            width: 1280
            height: 720
            property alias info: loader.item
            Loader { id: loader; source: "qrc:/camera/PageCameraInfo.qml" }
        }
    }

    function makeInfo(values) {
        mainObject.reset()
        mainObject.camVideoMode = values.mode !== undefined ? values.mode : 20
        mainObject.camShutter = values.shutter !== undefined ? values.shutter : 0
        mainObject.camWBMode = 0
        mainObject.camGain = 0
        mainObject.camFocus = 2
        mainObject.camMWBRGain = 128
        mainObject.camMWBBGain = 128
        var holder = createTemporaryObject(infoComponent, testCase)
        tryVerify(function () { return holder.info !== null }, 5000)
        return holder.info
    }
    function shown(info, id) {
        return findChild(info.contentItem, id + "Value").text
    }
    function openInfo(info) {
        info.open()
        tryVerify(function () { return info.opened }, 5000)
    }

    function test_shutterFollowsCodeAndMode() {
        var info = makeInfo({ mode: 19, shutter: 11 })
        openInfo(info)
        compare(shown(info, "shutter"), "1/250")
        mainObject.camVideoMode = 20
        compare(shown(info, "shutter"), "1/215")
        compare(shown(info, "videoMode"), "1080p50")
        // 1080p29.97 as code 2 has no shutter scale: the last text stays.
        mainObject.camVideoMode = 2
        compare(shown(info, "shutter"), "1/215")
        compare(shown(info, "videoMode"), "1080p29.97")
        mainObject.camShutter = 3
        compare(shown(info, "shutter"), "1/215")
        mainObject.camVideoMode = 9
        compare(shown(info, "shutter"), "1/8")
        info.close()
    }

    function test_gainFocusWhiteBalancePreset() {
        var info = makeInfo({})
        info.cameraPstLabel = "PST 2-Altar"
        openInfo(info)
        mainObject.camGain = 6
        compare(shown(info, "gain"), "6dB")
        compare(shown(info, "focus"), "AF")
        mainObject.camFocus = 3
        compare(shown(info, "focus"), "MF")
        compare(shown(info, "whiteBalance"), "WB Auto")
        mainObject.camWBMode = 2
        compare(shown(info, "whiteBalance"), "Outdoor")
        mainObject.camWBMode = 8
        compare(shown(info, "whiteBalance"), "OnePush")
        mainObject.camWBMode = 5
        compare(shown(info, "whiteBalance"), "Manual")
        mainObject.camWBMode = 4
        compare(shown(info, "whiteBalance"), "WB Auto")
        compare(shown(info, "preset"), "PST 2-Altar")
        info.close()
    }

    function test_colorTemperatureOnlyForOrb270() {
        var info = makeInfo({})
        mainObject.values = { "getCameraModel": "ORB310" }
        openInfo(info)
        verify(!findChild(info.contentItem, "mwbButton").visible)
        compare(mainObject.callsOf("getCameraModel"), ["getCameraModel(0)"])
        info.close()
        mainObject.values = { "getCameraModel": "ORB270" }
        openInfo(info)
        verify(findChild(info.contentItem, "mwbButton").visible)
        mouseClick(findChild(info.contentItem, "mwbButton"))
        verify(info.colorTemperatureScreen.opened)
        info.colorTemperatureScreen.close()
        info.close()
    }

    function test_fineWhiteBalanceSendsMovedSlidersOnly() {
        var info = makeInfo({})
        mainObject.camMWBRGain = 100
        mainObject.camMWBBGain = 200
        openInfo(info)
        mouseClick(findChild(info.contentItem, "mwbProButton"))
        var fine = info.fineWhiteBalanceScreen
        verify(fine.opened)
        var r = findChild(fine.contentItem, "rGainSlider")
        var b = findChild(fine.contentItem, "bGainSlider")
        compare(r.value, 100)
        compare(b.value, 200)
        mouseClick(findChild(r, "stepUp"))
        mouseClick(findChild(r, "stepUp"))
        compare(r.value, 102)
        verify(info.rGainChanged)
        verify(!info.bGainChanged)
        mouseClick(findChild(fine.contentItem, "fineOk"))
        compare(mainObject.callsOf("setRGain"), ["setRGain(102)"])
        compare(mainObject.callsOf("setBGain"), [])
        verify(!fine.opened)

        // A second OK without a move sends nothing again.
        mouseClick(findChild(info.contentItem, "mwbProButton"))
        mouseClick(findChild(fine.contentItem, "fineOk"))
        compare(mainObject.callsOf("setRGain").length, 1)

        // Only B moved, down.
        mouseClick(findChild(info.contentItem, "mwbProButton"))
        mouseClick(findChild(b, "stepDown"))
        mouseClick(findChild(fine.contentItem, "fineOk"))
        compare(mainObject.callsOf("setBGain"), ["setBGain(199)"])
        compare(mainObject.callsOf("setRGain").length, 1)
        info.close()
    }

    function test_fineWhiteBalanceCancelSendsNothing() {
        var info = makeInfo({})
        openInfo(info)
        mouseClick(findChild(info.contentItem, "mwbProButton"))
        var fine = info.fineWhiteBalanceScreen
        mouseClick(findChild(findChild(fine.contentItem, "rGainSlider"), "stepDown"))
        mouseClick(findChild(findChild(fine.contentItem, "bGainSlider"), "stepUp"))
        mouseClick(findChild(fine.contentItem, "fineCancel"))
        verify(!fine.opened)
        verify(!info.rGainChanged)
        verify(!info.bGainChanged)
        compare(mainObject.callsOf("setRGain"), [])
        compare(mainObject.callsOf("setBGain"), [])
        info.close()
    }

    function test_videoSettingButton() {
        var info = makeInfo({})
        openInfo(info)
        spy.clear()
        spy.target = info
        mouseClick(findChild(info.contentItem, "videoSettingButton"))
        compare(spy.count, 1)
        verify(!info.opened)
    }
}
