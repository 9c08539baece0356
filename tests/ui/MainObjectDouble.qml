import QtQuick 2.15

// Stands in for `mainObject` in the screens' tests. Every operation records itself in `calls` as
// "name(arg,arg)" and answers from `values[name]` when a test set one, else a default like the
// application's at start-up. Tests emit the signals themselves, as the application would.
QtObject {
    id: mainDouble
    property var calls: []
    property var values: ({})

    // The list is changed in place, never replaced: screens call the double from their bindings,
    // and a binding that read `calls` must not be told it changed while it runs.
    function reset() {
        calls.length = 0
        values = ({})
    }
    function record(name, args) {
        calls.push(name + "(" + Array.prototype.slice.call(args).join(",") + ")")
    }
    function answer(name, fallback) {
        return values[name] !== undefined ? values[name] : fallback
    }
    function callsOf(name) {
        return calls.filter(function (c) { return c.indexOf(name + "(") === 0 })
    }

    // Camera values of the on-screen camera (Qt properties of the application).
    property int camVideoMode: 20
    property int camVideoVFlip: 3
    property int camVideoHFlip: 3
    property int camWBMode: 0
    property int camShutter: 0
    property int camGain: 0
    property int camFocus: 2
    property int camMWBRGain: 128
    property int camMWBBGain: 128
    property int camMWBSetting: 0
    property int camVideoSharpen: 0
    property int camVideoSaturation: 0
    property int camVideoExposure: 0
    property int camVideoHue: 0
    property int camVideoAGC: 0
    property int camVideoGamma: 0
    property int camVideoHDR: 0
    property int camVersion: 0
    property int cam1PstNumber: 0
    property int cam2PstNumber: 0
    property int cam3PstNumber: 0
    property int cam4PstNumber: 0
    property int cam5PstNumber: 0
    property int cam6PstNumber: 0
    property string cam1PstTitle: ""
    property string cam2PstTitle: ""
    property string cam3PstTitle: ""
    property string cam4PstTitle: ""
    property string cam5PstTitle: ""
    property string cam6PstTitle: ""
    property bool cameraShift: false
    property bool cameraPresetShift: false
    property bool zek710ADHCPMODE: false

    signal iAmBusy(bool busy)
    signal popMessage(int func, string msg)
    signal networkSaveFinished(bool ok)
    signal serialPortsSwitched(bool on)
    signal cameraConnectState(int index, string msg, int time)
    signal showProgress(bool onoff)
    signal refreshProgress(int value)
    signal sendProgress(int value)
    signal refreshNewVersion(bool upable, string appver, string mcuver)
    signal upgradeResult(string result)
    signal refreshAutoScan(bool autoScan)
    signal automationChanged()
    signal refreshSystemNetConfig(string ipAddr, bool dhcpMode, string hostName, string macAddr,
                                  string maskAddr, string gateAddr, string primDns, string secDns)
    signal refreshSerialInfo(string brate, string csize, string parity, string stopbit, string flow)
    signal refreshListCameraMapping(var camHostname, var camIPAddr, int camcount, var map)
    signal refreshChannelCounts(int chnumbers)
    signal refreshSwitcher(bool conn)
    signal screenSaverChanged(int min)
    signal wakeupScreen()
    signal refreshTallyRed(int index)
    signal refreshTallyGreen(int index)
    signal refreshCameraList(int index)
    signal refreshCameraExist(int cameraIndex, bool exist)
    signal cameraLinkChanged(int cameraIndex, bool up)
    signal refreshCameraNetConfig(string ipAddr, bool dhcpMode, string hostName, string modelname,
                                  string macAddr, string maskAddr, string gateAddr, string primDns,
                                  string secDns)
    signal refreshJoystickValue(bool dirX, int x, bool dirY, int y, bool dirZ, int z)
    signal refreshTBarValue(int t)
    signal refreshSliderValue(int s1, int s2, int s3, int s4)
    signal refreshKeys(int index)
    signal refreshRS422Msg(string msg, int index)
    signal refreshUSBMsg(string msg, int index)
    signal refreshUSBButtonText(string msg, int index)
    signal refreshCaliMsg(string msg, int index)

    // Start-up and the main window.
    function sysInit() { record("sysInit", arguments); return 1 }
    function getTestMode() { record("getTestMode", arguments); return answer("getTestMode", false) }
    function getAppVersion() { record("getAppVersion", arguments); return answer("getAppVersion", "1.0.7") }
    function getMcuVersion() { record("getMcuVersion", arguments); return answer("getMcuVersion", "0.1.0.7") }
    function setBtmTool(tool) { record("setBtmTool", arguments) }
    function setRobin(run) { record("setRobin", arguments) }
    function startRunRobin(start) { record("startRunRobin", arguments) }
    function getSeeNoMoreWarning(index) { record("getSeeNoMoreWarning", arguments); return answer("getSeeNoMoreWarning", false) }
    function setSeeNoMoreWarning(index, enable) { record("setSeeNoMoreWarning", arguments) }
    function doBacklightScale(onoff) { record("doBacklightScale", arguments) }
    function do4KeyFunction(func) { record("do4KeyFunction", arguments) }
    function change4KeyColor(index, colour) { record("change4KeyColor", arguments) }
    function startScreenSaver(mode) { record("startScreenSaver", arguments) }
    function shutdown() { record("shutdown", arguments) }
    function reboot() { record("reboot", arguments) }

    // System screens.
    function getUseSerialPort() { record("getUseSerialPort", arguments); return answer("getUseSerialPort", true) }
    // As the application: the switch ends later, with serialPortsSwitched (null: the test says
    // when).
    function setUseSerialPort(onoff) {
        record("setUseSerialPort", arguments)
        if (answer("setUseSerialPort", true) !== null)
            Qt.callLater(function () { serialPortsSwitched(onoff) })
    }
    function getCurrentSpeedFunction() { record("getCurrentSpeedFunction", arguments); return answer("getCurrentSpeedFunction", 0) }
    function setCurrentSpeedFunction(func) { record("setCurrentSpeedFunction", arguments) }
    function getAutomationEnabled() { record("getAutomationEnabled", arguments); return answer("getAutomationEnabled", false) }
    function setAutomationEnabled(on) { record("setAutomationEnabled", arguments) }
    function getRemoteSetupLocked() { record("getRemoteSetupLocked", arguments); return answer("getRemoteSetupLocked", false) }
    function setRemoteSetupLocked(locked) { record("setRemoteSetupLocked", arguments) }
    function getAutomationAddress() { record("getAutomationAddress", arguments); return answer("getAutomationAddress", "") }
    function newAutomationToken(control) { record("newAutomationToken", arguments); return answer("newAutomationToken", "") }
    function getAutoScan() { record("getAutoScan", arguments); return answer("getAutoScan", true) }
    function setAutoScan(doAuto) { record("setAutoScan", arguments) }
    function getScreenSaver() { record("getScreenSaver", arguments); return answer("getScreenSaver", 0) }
    function setScreenSaver(min) { record("setScreenSaver", arguments) }
    function getUpgradeVersion() { record("getUpgradeVersion", arguments); return answer("getUpgradeVersion", "") }
    // As the application: the install runs in the background and its result comes as a signal.
    function callUpgrade() {
        record("callUpgrade", arguments)
        var result = answer("callUpgrade", "OK")
        // null: the test sends the result itself, later.
        if (result !== null)
            Qt.callLater(function () { upgradeResult(result) })
        return ""
    }
    function getZEK710AIPADDR() { record("getZEK710AIPADDR", arguments); return answer("getZEK710AIPADDR", "192.168.1.20") }
    function getZEK710AHOSTNAME() { record("getZEK710AHOSTNAME", arguments); return answer("getZEK710AHOSTNAME", "ZEK-710A") }
    function getZEK710AMACADD() { record("getZEK710AMACADD", arguments); return answer("getZEK710AMACADD", "02:A4:5C:01:00:07") }
    function getZEK710AGATEADD() { record("getZEK710AGATEADD", arguments); return answer("getZEK710AGATEADD", "192.168.1.1") }
    function getZEK710AMASKADD() { record("getZEK710AMASKADD", arguments); return answer("getZEK710AMASKADD", "255.255.255.0") }
    function getZEK710APRIDNS() { record("getZEK710APRIDNS", arguments); return answer("getZEK710APRIDNS", "8.8.8.8") }
    function getZEK710ASECDNS() { record("getZEK710ASECDNS", arguments); return answer("getZEK710ASECDNS", "8.8.4.4") }
    function getZEK710ADHCPMODE() { record("getZEK710ADHCPMODE", arguments); return zek710ADHCPMODE }
    function setZEK710AIPADDR(v) { record("setZEK710AIPADDR", arguments) }
    function setZEK710AMASKADD(v) { record("setZEK710AMASKADD", arguments) }
    function setZEK710AGATEADD(v) { record("setZEK710AGATEADD", arguments) }
    function setZEK710APRIDNS(v) { record("setZEK710APRIDNS", arguments) }
    function setZEK710ASECDNS(v) { record("setZEK710ASECDNS", arguments) }
    function setZEK710AHOSTNAME(v) { record("setZEK710AHOSTNAME", arguments) }
    function saveZEK710ANetConfig() {
        record("saveZEK710ANetConfig", arguments)
        var ok = answer("saveZEK710ANetConfig", true)
        if (ok !== null)
            Qt.callLater(function () { networkSaveFinished(ok) })
        return ok
    }
    function resetZEK710Network() { record("resetZEK710Network", arguments) }
    function getCurrentSerialBaudrate() { record("getCurrentSerialBaudrate", arguments); return answer("getCurrentSerialBaudrate", 15) }
    function getCurrentSerialDataBit() { record("getCurrentSerialDataBit", arguments); return answer("getCurrentSerialDataBit", 48) }
    function getCurrentSerialParity() { record("getCurrentSerialParity", arguments); return answer("getCurrentSerialParity", 2) }
    function getCurrentSerialStopBit() { record("getCurrentSerialStopBit", arguments); return answer("getCurrentSerialStopBit", 1) }
    function getCurrentSerialFlowcontrol() { record("getCurrentSerialFlowcontrol", arguments); return answer("getCurrentSerialFlowcontrol", 2) }
    function setCurrentSerialBaudrate(v) { record("setCurrentSerialBaudrate", arguments) }
    function setCurrentSerialDataBit(v) { record("setCurrentSerialDataBit", arguments) }
    function setCurrentSerialParity(v) { record("setCurrentSerialParity", arguments) }
    function setCurrentSerialStopBit(v) { record("setCurrentSerialStopBit", arguments) }
    function setCurrentSerialFlowcontrol(v) { record("setCurrentSerialFlowcontrol", arguments) }
    function hcipScan() { record("hcipScan", arguments) }
    function deviceLoad() { record("deviceLoad", arguments) }
    function deviceSave() { record("deviceSave", arguments) }
    function getCurrentTallyMode() { record("getCurrentTallyMode", arguments); return answer("getCurrentTallyMode", 0) }
    function setTallyMode(mode) { record("setTallyMode", arguments) }
    function saveTallyMapping(map) { record("saveTallyMapping", [JSON.stringify(map)]); return 0 }
    function doRefreshListCameraMapping() { record("doRefreshListCameraMapping", arguments) }
    function getSwitcherChannelNumber() { record("getSwitcherChannelNumber", arguments); return answer("getSwitcherChannelNumber", 12) }

    // Factory test screens.
    function callTallyCheck() { record("callTallyCheck", arguments) }
    function callTestLed(n) { record("callTestLed", arguments) }
    function callRS422Check(n) { record("callRS422Check", arguments) }
    function callUSBCheck(n) { record("callUSBCheck", arguments) }
    function callCalibration(n) { record("callCalibration", arguments) }

    // Camera pages.
    function getCameraExist(index) { record("getCameraExist", arguments); return answer("getCameraExist", false) }
    function getCameraVisca(index) { record("getCameraVisca", arguments); return answer("getCameraVisca", false) }
    function getCameraDeviceDHCP() { record("getCameraDeviceDHCP", arguments); return answer("getCameraDeviceDHCP", false) }
    function getCurrentOnScreen() { record("getCurrentOnScreen", arguments); return answer("getCurrentOnScreen", 1) }
    function currentCamDisplay(n) { record("currentCamDisplay", arguments) }
    function getSerialInfo(n) { record("getSerialInfo", arguments) }
    function getCameraDeviceHostname() { record("getCameraDeviceHostname", arguments); return answer("getCameraDeviceHostname", "") }
    function getCameraDeviceIP(index) { record("getCameraDeviceIP", arguments); return answer("getCameraDeviceIP", "") }
    function getCameraDeviceMAC() { record("getCameraDeviceMAC", arguments); return answer("getCameraDeviceMAC", "") }
    function getCameraDeviceMASK() { record("getCameraDeviceMASK", arguments); return answer("getCameraDeviceMASK", "") }
    function getCameraDeviceGATE() { record("getCameraDeviceGATE", arguments); return answer("getCameraDeviceGATE", "") }
    function getCameraDevicePrimDNS() { record("getCameraDevicePrimDNS", arguments); return answer("getCameraDevicePrimDNS", "") }
    function getCameraDeviceSecDNS() { record("getCameraDeviceSecDNS", arguments); return answer("getCameraDeviceSecDNS", "") }
    function getCameraModel(which) { record("getCameraModel", arguments); return answer("getCameraModel", "ORB310") }
    function getCameraNetworkManual(index) { record("getCameraNetworkManual", arguments); return answer("getCameraNetworkManual", false) }
    function setCameraNetworkManual(index, ip, protocol) { record("setCameraNetworkManual", arguments) }
    function setDhcpMode(index, mode) { record("setDhcpMode", arguments) }
    function setDhcpName(index, name) { record("setDhcpName", arguments) }
    function setIpAdr(index, ip, gateway) { record("setIpAdr", arguments) }
    function setNetmask(index, mask) { record("setNetmask", arguments) }
    function setGateway(index, gateway) { record("setGateway", arguments) }
    function setPrimDNS(index, dns) { record("setPrimDNS", arguments) }
    function setSecDNS(index, dns) { record("setSecDNS", arguments) }
    function setRGain(value) { record("setRGain", arguments) }
    function setBGain(value) { record("setBGain", arguments) }
}
