import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The serial-parameters screen: it opens on refreshSerialInfo, and Save sends the codes chosen.
TestCase {
    id: testCase
    name: "SerialParameters"
    when: windowShown
    width: 1280
    height: 720

    Component { id: serialComponent; SerialParameters {} }

    function init() { mainObject.reset() }
    function makeScreen() {
        var screen = createTemporaryObject(serialComponent, testCase)
        verify(screen !== null)
        return screen
    }
    function child(screen, name) { return findChild(screen.contentItem, name) }
    function setterCalls() {
        return mainObject.calls.filter(function (c) { return c.indexOf("setCurrentSerial") === 0 })
    }
    function pick(screen, row, text) {
        child(screen, "serialRow" + row).clicked()
        var list = screen.choiceList
        tryCompare(list, "opened", true, 5000)
        var choice = findChild(list.contentItem, "choice_" + text)
        verify(choice !== null, "no choice " + text)
        choice.clicked()
        tryCompare(list, "visible", false, 5000)
    }

    function test_opensFilledOnRefreshSerialInfo() {
        var screen = makeScreen()
        compare(screen.visible, false)
        mainObject.refreshSerialInfo("38400", "8", "None", "One Stop", "None")
        tryCompare(screen, "opened", true, 5000)
        compare(child(screen, "serialRow0").text, "38400")
        compare(child(screen, "serialRow1").text, "8")
        compare(child(screen, "serialRow2").text, "None")
        compare(child(screen, "serialRow3").text, "One Stop")
        compare(child(screen, "serialRow4").text, "None")
    }

    function test_choiceListHighlightsTheCurrentValue() {
        var screen = makeScreen()
        mainObject.refreshSerialInfo("19200", "7", "Even", "Two Stop", "Hard")
        tryCompare(screen, "opened", true, 5000)
        child(screen, "serialRow0").clicked()
        tryCompare(screen.choiceList, "opened", true, 5000)
        compare(findChild(screen.choiceList.contentItem, "choice_19200").selected, true)
        compare(findChild(screen.choiceList.contentItem, "choice_9600").selected, false)
    }

    function test_saveSendsTheUnchangedCodes() {
        var screen = makeScreen()
        mainObject.refreshSerialInfo("9600", "8", "Even", "Two Stop", "Hard")
        tryCompare(screen, "opened", true, 5000)
        child(screen, "saveButton").clicked()
        compare(setterCalls(), ["setCurrentSerialBaudrate(13)", "setCurrentSerialDataBit(48)",
                                "setCurrentSerialParity(0)", "setCurrentSerialStopBit(2)",
                                "setCurrentSerialFlowcontrol(0)"])
        tryCompare(screen, "visible", false, 5000)
    }

    function test_chosenValuesSendTheirCodes_data() {
        return [
            { tag: "57600 7 Odd 1.5 Soft", choices: ["57600", "7", "Odd", "1.5 Stop", "Soft"],
              codes: [4097, 32, 1, 2, 1] },
            { tag: "115200 5 None One None", choices: ["115200", "5", "None", "One Stop", "None"],
              codes: [4098, 0, 2, 1, 2] },
            { tag: "19200 6 Even Two Hard", choices: ["19200", "6", "Even", "Two Stop", "Hard"],
              codes: [14, 16, 0, 2, 0] },
            { tag: "38400", choices: ["38400", "8", "Even", "One Stop", "Hard"],
              codes: [15, 48, 0, 1, 0] }
        ]
    }
    function test_chosenValuesSendTheirCodes(data) {
        var screen = makeScreen()
        mainObject.refreshSerialInfo("9600", "8", "Odd", "Two Stop", "None")
        tryCompare(screen, "opened", true, 5000)
        for (var row = 0; row < 5; ++row)
            pick(screen, row, data.choices[row])
        compare(child(screen, "serialRow0").text, data.choices[0])
        child(screen, "saveButton").clicked()
        compare(setterCalls(), ["setCurrentSerialBaudrate(" + data.codes[0] + ")",
                                "setCurrentSerialDataBit(" + data.codes[1] + ")",
                                "setCurrentSerialParity(" + data.codes[2] + ")",
                                "setCurrentSerialStopBit(" + data.codes[3] + ")",
                                "setCurrentSerialFlowcontrol(" + data.codes[4] + ")"])
    }

    function test_backSendsNothing() {
        var screen = makeScreen()
        mainObject.refreshSerialInfo("9600", "8", "Odd", "Two Stop", "None")
        tryCompare(screen, "opened", true, 5000)
        pick(screen, 0, "57600")
        child(screen, "backButton").clicked()
        compare(setterCalls(), [])
    }
}
