import QtQuick 2.15
import QtTest 1.2
import "qrc:/components"

// The number pad and the host-name keyboard: what the keys type and what comes back to the caller.
TestCase {
    id: testCase
    name: "Keypads"
    when: windowShown
    width: 1280
    height: 720

    Component { id: padComponent; NumberPad {} }
    Component { id: keyboardComponent; TextKeyboard {} }
    SignalSpy { id: acceptedSpy; signalName: "accepted" }
    SignalSpy { id: cancelledSpy; signalName: "cancelled" }

    function key(popup, name) {
        var item = findChild(popup.contentItem, name)
        verify(item !== null, "no key " + name)
        return item
    }
    function watch(popup) {
        acceptedSpy.clear(); cancelledSpy.clear()
        acceptedSpy.target = popup; cancelledSpy.target = popup
    }

    function test_numberPadEditsAndReturnsTheCode() {
        var pad = createTemporaryObject(padComponent, testCase)
        watch(pad)
        pad.show(12, "192.168.1.1")
        tryCompare(pad, "opened", true, 5000)
        compare(findChild(pad.contentItem, "padDisplay").text, "192.168.1.1")
        key(pad, "padKey_back").clicked()
        key(pad, "padKey_2").clicked()
        key(pad, "padKey_5").clicked()
        key(pad, "padKey_4").clicked()
        compare(pad.text, "192.168.1.254")
        key(pad, "padKey_ok").clicked()
        compare(acceptedSpy.count, 1)
        compare(acceptedSpy.signalArguments[0][0], 12)
        compare(acceptedSpy.signalArguments[0][1], "192.168.1.254")
        compare(cancelledSpy.count, 0)
        tryCompare(pad, "visible", false, 5000)
    }

    function test_numberPadClearDotAndLengthLimit() {
        var pad = createTemporaryObject(padComponent, testCase)
        pad.show(10, "10.0.0.1")
        key(pad, "padKey_clear").clicked()
        compare(pad.text, "")
        var typed = ["1", "0", ".", "2", "5", "5", ".", "2", "5", "5", ".", "2", "5", "5", "9", "9"]
        for (var i = 0; i < typed.length; ++i)
            key(pad, "padKey_" + typed[i]).clicked()
        compare(pad.text, "10.255.255.2559")
    }

    // Everything typed here is an address; what is not one (or what address parsers would read
    // as another address) is refused on the pad, which stays open and says so.
    function test_numberPadRefusesWhatIsNotAnAddress_data() {
        return [
            { tag: "unfinished", text: "192.168.1." },
            { tag: "short form", text: "10.1" },
            { tag: "one number", text: "3232235786" },
            { tag: "leading zero", text: "192.168.1.010" },
            { tag: "octal-looking", text: "10.0.0.01" },
            { tag: "above 255", text: "256.1.1.1" },
            { tag: "five parts", text: "1.2.3.4.5" },
            { tag: "empty", text: "" },
            { tag: "dots", text: "..." }
        ]
    }
    function test_numberPadRefusesWhatIsNotAnAddress(data) {
        var pad = createTemporaryObject(padComponent, testCase)
        watch(pad)
        pad.show(10, data.text)
        tryCompare(pad, "opened", true, 5000)
        mouseClick(key(pad, "padKey_ok"))
        compare(acceptedSpy.count, 0)
        verify(pad.opened)
        verify(findChild(pad.contentItem, "padInvalid").visible)
        // The next key takes the message away; a whole address goes through.
        mouseClick(key(pad, "padKey_clear"))
        verify(!findChild(pad.contentItem, "padInvalid").visible)
        pad.text = "10.0.0.1"
        mouseClick(key(pad, "padKey_ok"))
        compare(acceptedSpy.count, 1)
        compare(acceptedSpy.signalArguments[0][1], "10.0.0.1")
    }

    function test_numberPadCancelAndTouchOutside() {
        var pad = createTemporaryObject(padComponent, testCase)
        watch(pad)
        pad.show(13, "8.8.8.8")
        tryCompare(pad, "opened", true, 5000)
        key(pad, "padKey_1").clicked()
        key(pad, "padKey_cancel").clicked()
        compare(cancelledSpy.count, 1)
        compare(cancelledSpy.signalArguments[0][0], 13)
        compare(acceptedSpy.count, 0)

        pad.show(14, "")
        tryCompare(pad, "opened", true, 5000)
        mouseClick(testCase, 5, 5)
        tryCompare(cancelledSpy, "count", 2, 5000)
        compare(cancelledSpy.signalArguments[1][0], 14)
        compare(acceptedSpy.count, 0)
    }

    function test_keyboardTypesHostNames() {
        var keyboard = createTemporaryObject(keyboardComponent, testCase)
        watch(keyboard)
        keyboard.show(3, "cam")
        tryCompare(keyboard, "opened", true, 5000)
        key(keyboard, "key_-").clicked()
        key(keyboard, "key_shift").clicked()
        key(keyboard, "key_a").clicked()
        key(keyboard, "key_b").clicked()
        key(keyboard, "key__").clicked()
        key(keyboard, "key_7").clicked()
        key(keyboard, "key_.").clicked()
        key(keyboard, "key_x").clicked()
        key(keyboard, "key_back").clicked()
        compare(keyboard.text, "cam-Ab_7.")
        compare(findChild(keyboard.contentItem, "keyboardDisplay").text, "cam-Ab_7.")
        key(keyboard, "key_ok").clicked()
        compare(acceptedSpy.count, 1)
        compare(acceptedSpy.signalArguments[0][0], 3)
        compare(acceptedSpy.signalArguments[0][1], "cam-Ab_7.")

        keyboard.show(4, "x")
        key(keyboard, "key_cancel").clicked()
        compare(cancelledSpy.count, 1)
        compare(cancelledSpy.signalArguments[0][0], 4)
        compare(acceptedSpy.count, 1)
    }
}
