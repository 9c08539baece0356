import QtQuick 2.15
import QtTest 1.2
import "qrc:/components"

// The harness itself: the doubles answer and record, and the screens' components load.
TestCase {
    name: "Harness"
    function test_doublesRecordAndAnswer() {
        mainObject.reset()
        compare(mainObject.getUseSerialPort(), true)
        mainObject.values = { "getUseSerialPort": false }
        compare(mainObject.getUseSerialPort(), false)
        mainObject.setTallyMode(2)
        compare(mainObject.callsOf("setTallyMode"), ["setTallyMode(2)"])
        compare(qmlTranslator.e_str, "")
    }
    function test_themeAndButton() {
        var component = Qt.createComponent("qrc:/components/ZButton.qml")
        compare(component.status, Component.Ready, component.errorString())
        var button = component.createObject(this, { "text": "OK" })
        verify(button.height >= Theme.touch)
        button.destroy()
    }
}
