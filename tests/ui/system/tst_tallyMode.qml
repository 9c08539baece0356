import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The Camera Tally screen: the mode buttons only select; Save and Reset apply.
TestCase {
    id: testCase
    name: "TallyMode"
    when: windowShown
    width: 1280
    height: 720

    Component { id: tallyComponent; TallyMode {} }
    SignalSpy { id: modeSpy; signalName: "tallyModeChanged" }

    function init() { mainObject.reset() }
    function openTally() {
        var screen = createTemporaryObject(tallyComponent, testCase)
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        modeSpy.clear()
        modeSpy.target = screen
        return screen
    }
    function button(screen, name) { return findChild(screen.contentItem, name) }

    function test_modesSelectAndSaveApplies_data() {
        return [
            { tag: "GPI Tally", button: "tallyMode1", mode: 1 },
            { tag: "HCIP", button: "tallyMode2", mode: 2 },
            { tag: "OFF", button: "tallyMode0", mode: 0 }
        ]
    }
    function test_modesSelectAndSaveApplies(data) {
        mainObject.values = { "getCurrentTallyMode": data.mode === 2 ? 1 : 2 }
        var screen = openTally()
        button(screen, data.button).clicked()
        compare(button(screen, data.button).selected, true)
        compare(mainObject.callsOf("setTallyMode"), [])
        button(screen, "saveButton").clicked()
        compare(mainObject.callsOf("setTallyMode"), ["setTallyMode(" + data.mode + ")"])
        compare(modeSpy.count, 1)
        tryCompare(screen, "visible", false, 5000)
    }

    function test_startsFromTheModeInForce() {
        mainObject.values = { "getCurrentTallyMode": 2 }
        var screen = openTally()
        compare(button(screen, "tallyMode2").selected, true)
        compare(button(screen, "tallyMode1").selected, false)
    }

    function test_resetSetsOff() {
        mainObject.values = { "getCurrentTallyMode": 1 }
        var screen = openTally()
        button(screen, "resetButton").clicked()
        compare(mainObject.callsOf("setTallyMode"), ["setTallyMode(0)"])
        compare(button(screen, "tallyMode0").selected, true)
        compare(modeSpy.signalArguments[0][0], 0)
    }
}
