import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2

// Every screen in every language: no text is cut short or runs past its control at the panel's
// 1280 x 720. Each document of the screens is made, opened when it is a popup, and every visible
// text in it measured, then each screen it holds (the camera page's status, video, network and
// manual screens, a system screen's pages) opened and measured in turn; a text may wrap, but not
// be elided or wider than the width it was given.
TestCase {
    id: test
    name: "TranslatedTexts"
    // Switching the language re-evaluates every binding, so the run must not start inside one
    // (as `when: windowShown` would): it starts after the window is shown.
    when: false
    onWindowShownChanged: if (windowShown) Qt.callLater(function () { test.when = true })
    width: 1280
    height: 720
    readonly property var languages: ["", "en_US", "zh_TW", "zh_CN", "es_ES", "pt_PT"]

    function cleanup() {
        translations.load("")
    }

    function isText(item) {
        return item.hasOwnProperty("truncated") && item.hasOwnProperty("elide")
               && item.hasOwnProperty("contentWidth") && item.hasOwnProperty("wrapMode")
    }
    function collect(item, where, found) {
        if (!item || !item.visible)
            return
        if (isText(item) && item.text !== "") {
            if (item.truncated)
                found.push(where + ": \"" + item.text + "\" is cut short")
            else if (item.wrapMode === Text.NoWrap && item.width > 0
                     && item.contentWidth > item.width + 1)
                found.push(where + ": \"" + item.text + "\" is " + Math.round(item.contentWidth)
                           + " px wide in " + Math.round(item.width))
        }
        for (var i = 0; i < item.children.length; ++i)
            collect(item.children[i], where, found)
    }
    function isPopup(object) {
        return object && typeof object.open === "function" && object.contentItem !== undefined
    }
    // The screens a document holds, at any depth: popups among the objects it declares.
    function innerPopups(object, found, seen) {
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
                innerPopups(child, found, seen)
            }
        }
        return found
    }
    function measure(url, found) {
        var component = Qt.createComponent(url)
        if (component.status !== Component.Ready) {
            found.push(url + ": " + component.errorString())
            return
        }
        var object = component.createObject(test)
        if (!object) {
            found.push(url + ": not made")
            return
        }
        if (typeof object.open === "function")
            object.open()
        wait(0)
        // A popup's texts are in its content item; a window's in its own.
        if (object.contentItem !== undefined && object.contentItem !== null)
            collect(object.contentItem, url, found)
        else
            collect(object, url, found)
        // The screens it holds, over it as they open on the panel.
        var inner = innerPopups(object, [], [])
        for (var i = 0; i < inner.length; ++i) {
            inner[i].open()
            wait(0)
            collect(inner[i].contentItem, url + " (" + (inner[i].objectName || "screen " + i) + ")", found)
            inner[i].close()
        }
        if (typeof object.close === "function")
            object.close()
        object.destroy()
    }

    function test_noTextIsCutShort_data() {
        return languages.map(function (code) { return { tag: code === "" ? "source" : code, code: code } })
    }
    function test_noTextIsCutShort(data) {
        verify(translations.load(data.code), "translation " + data.code)
        mainObject.reset()
        var found = []
        measure("qrc:/main.qml", found)
        var folders = ["components", "system", "camera", "test"]
        for (var f = 0; f < folders.length; ++f) {
            var documents = translations.documents(folders[f])
            for (var d = 0; d < documents.length; ++d)
                measure(documents[d], found)
        }
        verify(found.length === 0, "\n" + found.join("\n"))
    }
}
