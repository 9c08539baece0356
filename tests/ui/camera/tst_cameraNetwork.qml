import QtQuick 2.15
import QtTest 1.2

// The network screen of a camera, its step-by-step Save, and the manual address screen.
TestCase {
    id: testCase
    name: "CameraNetwork"
    when: windowShown
    visible: true
    width: 1280
    height: 720

    Component {
        id: pageComponent
        Item {
            width: 1280
            height: 540
            property alias page: loader.item
            Loader { id: loader; anchors.fill: parent; source: "qrc:/camera/CameraPage.qml" }
        }
    }

    // Opens the network screen of camera 9 (tile 3 of page 2) with a known configuration.
    function openCamera9(manual) {
        mainObject.reset()
        mainObject.values = { "getUseSerialPort": true, "getCameraNetworkManual": manual === true,
                              "getCameraDeviceIP": "192.168.1.90" }
        var holder = createTemporaryObject(pageComponent, testCase)
        tryVerify(function () { return holder.page !== null && holder.page.page2 !== null }, 5000)
        var page = holder.page
        page.currentPageIndex = 1
        mouseClick(findChild(page.page2.tile(3), "networkButton"))
        verify(page.networkSettingsScreen.opened)
        // What currentCamDisplay(9) makes the application report.
        mainObject.refreshCameraNetConfig("192.168.1.90", false, "Cam9", "ORB310", "02:A4:5C:00:00:09",
                                          "255.255.255.0", "192.168.1.1", "8.8.8.8", "8.8.4.4")
        mainObject.reset()
        return page
    }
    function field(page, name) {
        var item = findChild(page.networkSettingsScreen.contentItem, name)
        verify(item !== null, name)
        return item
    }
    function enterNumber(page, fieldName, code, text) {
        mouseClick(field(page, fieldName))
        var pad = page.numberPadScreen
        verify(pad.opened)
        compare(pad.functionCode, code)
        pad.text = text
        pad.accept()
    }
    function setCalls() {
        return mainObject.calls.filter(function (c) { return c.indexOf("set") === 0 })
    }
    function save(page) {
        mouseClick(field(page, "networkSave"))
        tryVerify(function () { return page.progressScreen.opened }, 3000)
        tryCompare(page.networkSettingsScreen, "opened", false, 15000)
        verify(!page.progressScreen.opened)
    }

    function test_fieldsShowReportedConfiguration() {
        var page = openCamera9(false)
        compare(field(page, "ipField").value, "192.168.1.90")
        compare(field(page, "hostField").value, "Cam9")
        compare(field(page, "gatewayField").value, "192.168.1.1")
        compare(field(page, "secDnsField").value, "8.8.4.4")
        verify(field(page, "ipField").enabled)
        page.networkSettingsScreen.close()
    }

    function test_saveSendsChangedFieldsInOrderForOnScreenCamera() {
        var page = openCamera9(false)
        enterNumber(page, "gatewayField", 12, "192.168.1.254")
        enterNumber(page, "ipField", 10, "192.168.1.99")
        // The same text again is no change.
        enterNumber(page, "primDnsField", 13, "8.8.8.8")
        mouseClick(field(page, "hostField"))
        verify(page.keyboardScreen.opened)
        compare(page.keyboardScreen.fieldCode, 0)
        compare(page.keyboardScreen.text, "Cam9")
        page.keyboardScreen.text = "Nave"
        page.keyboardScreen.accept()
        save(page)
        compare(setCalls(), ["setDhcpName(8,Nave)", "setIpAdr(8,192.168.1.99,192.168.1.254)",
                             "setGateway(8,192.168.1.254)"])
        verify(!page.changedIp && !page.changedGateway && !page.changedHostname)
    }

    function test_saveWithNothingChangedOnlyShowsProgress() {
        var page = openCamera9(false)
        save(page)
        compare(setCalls(), [])
    }

    function test_dhcpSwitchDisablesAddressesAndIsSavedFirst() {
        var page = openCamera9(false)
        enterNumber(page, "maskField", 11, "255.255.0.0")
        enterNumber(page, "secDnsField", 14, "1.1.1.1")
        mouseClick(field(page, "dhcpSwitch"))
        verify(!field(page, "ipField").enabled)
        verify(!field(page, "maskField").enabled)
        verify(!field(page, "secDnsField").enabled)
        save(page)
        compare(setCalls(), ["setDhcpMode(8,1)", "setNetmask(8,255.255.0.0)", "setSecDNS(8,1.1.1.1)"])
    }

    function test_dhcpToggledBackIsNoChange() {
        var page = openCamera9(false)
        mouseClick(field(page, "dhcpSwitch"))
        mouseClick(field(page, "dhcpSwitch"))
        verify(field(page, "ipField").enabled)
        save(page)
        compare(setCalls(), [])
    }

    function test_manualAddressAppliesWithProtocol() {
        var page = openCamera9(false)
        mouseClick(field(page, "manualButton"))
        var manual = page.manualIpScreen
        verify(manual.opened)
        var ipField = findChild(manual.contentItem, "manualIpField")
        compare(ipField.value, "192.168.1.90")
        verify(!findChild(manual.contentItem, "protocol3").visible)
        mouseClick(ipField)
        compare(page.numberPadScreen.functionCode, 59)
        page.numberPadScreen.text = "10.0.0.9"
        page.numberPadScreen.accept()
        compare(ipField.value, "10.0.0.9")
        mouseClick(findChild(manual.contentItem, "protocol1"))
        compare(mainObject.calls.filter(function (c) { return c.indexOf("getCamera") !== 0 }),
                ["setCameraNetworkManual(8,10.0.0.9,1)", "startRunRobin(true)"])
        verify(!manual.opened)
        compare(field(page, "ipField").value, "10.0.0.9")
        page.networkSettingsScreen.close()
    }

    function test_manualPadCancelAndBackRestore() {
        var page = openCamera9(false)
        mouseClick(field(page, "manualButton"))
        var manual = page.manualIpScreen
        var ipField = findChild(manual.contentItem, "manualIpField")
        mouseClick(ipField)
        page.numberPadScreen.text = "10.0.0.9"
        page.numberPadScreen.accept()
        mouseClick(ipField)
        page.numberPadScreen.text = "10.0.0."
        page.numberPadScreen.cancel()
        compare(ipField.value, "10.0.0.9")
        mouseClick(findChild(manual.contentItem, "manualBack"))
        verify(!manual.opened)
        compare(field(page, "ipField").value, "192.168.1.90")
        compare(mainObject.callsOf("setCameraNetworkManual"), [])
        // Reopened, the manual screen starts from the network screen's address again.
        mouseClick(field(page, "manualButton"))
        compare(ipField.value, "192.168.1.90")
        manual.close()
        page.networkSettingsScreen.close()
    }

    function test_manualNeedsAnAddress() {
        var page = openCamera9(false)
        mouseClick(field(page, "manualButton"))
        var manual = page.manualIpScreen
        var ipField = findChild(manual.contentItem, "manualIpField")
        mouseClick(ipField)
        page.numberPadScreen.text = "10.0.0"
        page.numberPadScreen.accept()
        // The pad refuses it and stays open; the manual screen, too, takes no part address.
        verify(page.numberPadScreen.opened)
        verify(findChild(page.numberPadScreen.contentItem, "padInvalid").visible)
        page.numberPadScreen.cancel()
        page.manualIp = "10.0.0"
        verify(!findChild(manual.contentItem, "protocol0").enabled)
        mouseClick(findChild(manual.contentItem, "protocol0"))
        compare(mainObject.callsOf("setCameraNetworkManual"), [])
        verify(manual.opened)
        manual.close()
        page.networkSettingsScreen.close()
    }

    function test_manualCameraIpFieldUsesManualCode() {
        var page = openCamera9(true)
        mouseClick(field(page, "ipField"))
        compare(page.numberPadScreen.functionCode, 59)
        page.numberPadScreen.text = "10.0.0.19"
        page.numberPadScreen.accept()
        var manual = page.manualIpScreen
        verify(manual.opened)
        mouseClick(findChild(manual.contentItem, "protocol0"))
        compare(mainObject.callsOf("setCameraNetworkManual"), ["setCameraNetworkManual(8,10.0.0.19,0)"])
        compare(mainObject.callsOf("startRunRobin"), ["startRunRobin(true)"])
        // Applied already: Save has nothing left to send.
        save(page)
        compare(setCalls(), ["setCameraNetworkManual(8,10.0.0.19,0)"])
    }
}
