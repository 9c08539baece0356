import QtQuick 2.15
import QtTest 1.2

// Every control an operator can touch, on every screen and every screen it opens, is at least
// 48 px in both directions, measured as laid out in the main window at 1280 x 720.
TestCase {
    id: test
    name: "TouchTargets"
    when: windowShown
    readonly property int smallest: 48
    property var window: null
    property int measured: 0

    function isPopup(object) {
        return object && typeof object.open === "function" && object.contentItem !== undefined
    }
    // Popups among the objects `object` declares, at any depth, without entering other popups.
    function popupsIn(object, found, seen) {
        var lists = [object.data, object.contentData]
        for (var l = 0; l < lists.length; ++l) {
            var list = lists[l]
            if (!list)
                continue
            for (var i = 0; i < list.length; ++i) {
                var child = list[i]
                if (!child || seen.indexOf(child) >= 0)
                    continue
                seen.push(child)
                if (isPopup(child))
                    found.push(child)
                else
                    popupsIn(child, found, seen)
            }
        }
        return found
    }
    // Touchable: a mouse area or a control, enabled, shown and not see-through.
    function small(item, where, found) {
        if (!item || !item.visible || item.opacity === 0)
            return
        var touchable = typeof item.pressed === "boolean" && item.enabled
        if (touchable)
            ++measured
        if (touchable && (item.width < smallest || item.height < smallest))
            found.push(where + ": " + (item.objectName || String(item)) + " is "
                       + Math.round(item.width) + " x " + Math.round(item.height))
        for (var i = 0; i < item.children.length; ++i)
            small(item.children[i], where, found)
    }
    function measurePopup(popup, where, found) {
        popup.open()
        tryVerify(function () { return popup.opened }, 2000, where)
        var name = where + "/" + (popup.objectName || String(popup).split("_")[0])
        small(popup.contentItem, name, found)
        var inner = popupsIn(popup, [], [])
        for (var i = 0; i < inner.length; ++i)
            measurePopup(inner[i], name, found)
        popup.close()
        tryVerify(function () { return !popup.visible }, 2000, name)
    }

    function test_everyTouchTargetIsLargeEnough() {
        mainObject.reset()
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, test)
        tryVerify(function () { return window.visible })
        tryVerify(function () { return !findChild(window, "splash").visible })
        findChild(window, "systemSettingLoader").active = true
        findChild(window, "manageDeviceLoader").active = true
        var found = []
        // The main window with each bar.
        small(window.contentItem, "main window", found)
        window.systemBarShown = true
        small(window.contentItem, "main window, system bar", found)
        window.systemBarShown = false
        var holders = [window, findChild(window, "pageArea").item,
                       findChild(window, "systemSettingLoader").item,
                       findChild(window, "manageDeviceLoader").item]
        var popups = []
        for (var h = 0; h < holders.length; ++h) {
            var list = isPopup(holders[h]) ? [holders[h]] : popupsIn(holders[h], [], [])
            for (var p = 0; p < list.length; ++p) {
                if (popups.indexOf(list[p]) < 0)
                    popups.push(list[p])
            }
        }
        verify(popups.length >= 19, "found " + popups.length + " screens")
        for (var i = 0; i < popups.length; ++i) {
            // The saver and the splash are touched anywhere.
            if (popups[i].objectName === "saver" || popups[i].objectName === "splash")
                continue
            measurePopup(popups[i], "", found)
        }
        console.log("touch targets measured:", measured, "on", popups.length, "screens")
        verify(found.length === 0, "\n" + found.join("\n"))
    }
}
