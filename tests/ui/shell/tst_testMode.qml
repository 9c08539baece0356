import QtQuick 2.15
import QtTest 1.2

// The main window in test mode: the factory test page instead of the tabs, its calls and verdicts.
TestCase {
    id: test
    name: "TestMode"
    when: windowShown
    property var window: null

    function init() {
        mainObject.reset()
        mainObject.values = { "getTestMode": true }
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, test)
        verify(window !== null)
        tryVerify(function () { return window.visible })
        // The start-up runs once the first frame is drawn.
        tryVerify(function () { return mainObject.callsOf("sysInit").length === 1 })
        mainObject.refreshSystemNetConfig("", false, "", "", "", "", "", "")
    }
    function cleanup() {
        window.close()
        window = null
    }
    function find(name) {
        var item = findChild(window.contentItem, name)
        verify(item !== null, name)
        return item
    }

    function test_titleAndPage() {
        compare(window.title, "ZEK-710A Tester v1.0.7")
        verify(!find("toolBar").visible)
        tryVerify(function () { return find("testScreens").status === 1 })
    }

    function test_tallyIndicators() {
        tryVerify(function () { return find("testScreens").status === 1 })
        mainObject.refreshTallyGreen(1)
        mainObject.refreshTallyRed(3)
        compare(find("tallyLight1").color, "#2fb36a")
        compare(find("tallyLight3").color, "#e8323c")
        // A new red turns the old red white; the green stays.
        mainObject.refreshTallyRed(5)
        compare(find("tallyLight3").color, "#ffffff")
        compare(find("tallyLight1").color, "#2fb36a")
        compare(find("tallyLight5").color, "#e8323c")
    }

    function test_buttonsCallTheirTests() {
        tryVerify(function () { return find("testScreens").status === 1 })
        mouseClick(find("ledButton3"))
        mouseClick(find("tallyStart"))
        mouseClick(find("restartButton"))
        compare(mainObject.callsOf("callTestLed"), ["callTestLed(3)"])
        compare(mainObject.callsOf("callTallyCheck").length, 1)
        compare(mainObject.callsOf("sysInit").length, 2)
        mouseClick(find("rs422Button2"))
        mouseClick(find("usbButton1"))
        mouseClick(find("caliVerify"))
        compare(mainObject.callsOf("callRS422Check"), ["callRS422Check(2)"])
        compare(mainObject.callsOf("callUSBCheck"), ["callUSBCheck(1)"])
        compare(mainObject.callsOf("callCalibration"), ["callCalibration(99)"])
    }

    function test_verdictsAndTheUsbWait() {
        tryVerify(function () { return find("testScreens").status === 1 })
        mainObject.refreshRS422Msg("正常", 1)
        mainObject.refreshRS422Msg("異常", 4)
        mainObject.refreshCaliMsg("異常", 99)
        compare(find("rs422Verdict1").text, "正常")
        compare(find("rs422Verdict2").text, "")
        compare(find("rs422Verdict4").text, "異常")
        compare(find("caliVerdict").text, "異常")
        verify(find("rs422Verdict1").color !== find("rs422Verdict4").color)
        // The stick test's button says to wait, then shows its name again with the verdict.
        mainObject.refreshUSBButtonText("請稍候", 2)
        compare(find("usbButton2").text, "請稍候")
        compare(find("usbButton1").text, "USB 1")
        mainObject.refreshUSBMsg("目的檔異常", 2)
        compare(find("usbButton2").text, "USB 2")
        compare(find("usbVerdict2").text, "目的檔異常")
    }
}
