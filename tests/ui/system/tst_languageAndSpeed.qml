import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The language screen and the joystick speed-mode screen.
TestCase {
    id: testCase
    name: "LanguageAndSpeed"
    when: windowShown
    width: 1280
    height: 720

    Component { id: languageComponent; LanguagePage {} }
    Component { id: speedComponent; SpeedMode {} }

    function init() {
        mainObject.reset()
        qmlTranslator.lanCode = 0
        qmlTranslator.calls = []
    }
    function openPopup(component) {
        var screen = createTemporaryObject(component, testCase)
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        return screen
    }
    function child(screen, name) { return findChild(screen.contentItem, name) }

    function test_languageNames() {
        var screen = openPopup(languageComponent)
        var expected = ["English", "繁中", "简中", "Español", "Português"]
        for (var i = 0; i < 5; ++i)
            compare(child(screen, "language" + i).text, expected[i])
    }

    function test_languageSaveSetsTheTranslation_data() {
        return [ { tag: "zh_CN", index: 2 }, { tag: "pt_PT", index: 4 }, { tag: "en_US", index: 0 } ]
    }
    function test_languageSaveSetsTheTranslation(data) {
        qmlTranslator.lanCode = 3
        var screen = openPopup(languageComponent)
        compare(child(screen, "language3").selected, true)
        child(screen, "language" + data.index).clicked()
        compare(child(screen, "language" + data.index).selected, true)
        compare(qmlTranslator.calls, [])
        child(screen, "saveButton").clicked()
        compare(qmlTranslator.calls, ["setTranslation(" + data.index + ")"])
        tryCompare(screen, "visible", false, 5000)
    }

    function test_languageBackRestoresTheLanguageInForce() {
        qmlTranslator.lanCode = 1
        var screen = openPopup(languageComponent)
        child(screen, "language4").clicked()
        child(screen, "backButton").clicked()
        compare(qmlTranslator.calls, [])
        compare(screen.index, 1)
        compare(child(screen, "language1").selected, true)
        compare(child(screen, "language4").selected, false)
        tryCompare(screen, "visible", false, 5000)
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        compare(child(screen, "language1").selected, true)
    }

    function test_speedModeButtons_data() {
        return [
            { tag: "Nonlinear", index: 0, text: "Nonlinear" },
            { tag: "Arithmetic", index: 1, text: "Arithmetic" },
            { tag: "Fixed", index: 2, text: "Fixed" }
        ]
    }
    function test_speedModeButtons(data) {
        mainObject.values = { "getCurrentSpeedFunction": data.index === 0 ? 2 : 0 }
        var screen = openPopup(speedComponent)
        var button = child(screen, "speedMode" + data.index)
        compare(button.text, data.text)
        compare(button.selected, false)
        button.clicked()
        compare(mainObject.callsOf("setCurrentSpeedFunction"), ["setCurrentSpeedFunction(" + data.index + ")"])
        compare(button.selected, true)
    }

    function test_speedModeShowsTheModeInForce() {
        mainObject.values = { "getCurrentSpeedFunction": 1 }
        var screen = openPopup(speedComponent)
        compare(child(screen, "speedMode1").selected, true)
        compare(child(screen, "speedMode0").selected, false)
        compare(child(screen, "speedMode2").selected, false)
    }
}
