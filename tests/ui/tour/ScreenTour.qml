import QtQuick 2.15

// A guided tour of the screens for scripts/screenshots.sh: opens each screen and dialog of the
// running application in turn and saves a picture of the whole window for each, then ends the
// program. The application makes this document beside its main window when ZEK_UI_TOUR names it.
QtObject {
    id: tour
    property var window: null
    property string outputDir: ""
    property int step: -1
    property var saved: []

    // Depth-first search by object name: an item's children (a loaded page is a child of its
    // loader), or a popup's content, each visited once.
    function find(from, name) {
        if (!from)
            return null
        if (from.objectName === name)
            return from
        if (from.children !== undefined) {
            for (var i = 0; i < from.children.length; ++i) {
                var found = find(from.children[i], name)
                if (found)
                    return found
            }
            return null
        }
        return from.contentItem ? find(from.contentItem, name) : null
    }
    function root() {
        return window.contentItem.parent ? window.contentItem.parent : window.contentItem
    }
    // Items of the window, or objects declared in it that are no items (the dialogs, which are
    // in no item's children until they open).
    function named(name) {
        var item = find(root(), name)
        var declared = window.contentItem.data
        for (var i = 0; !item && i < declared.length; ++i) {
            if (declared[i].objectName === name)
                item = declared[i]
        }
        if (!item)
            console.log("screen tour: nothing named", name)
        return item
    }
    // Popups the tour opened, closed again before the next screen.
    property var opened: []
    function pop(popup) {
        popup.open()
        opened.push(popup)
        return popup
    }
    function system() {
        var loader = named("systemSettingLoader")
        loader.active = true
        return loader.item
    }
    function cameraPage() {
        return named("pageArea").item
    }
    function closeAll() {
        while (opened.length > 0) {
            var popup = opened.pop()
            if (popup && popup.close)
                popup.close()
        }
        var names = ["messageDialog", "progressDialog", "connectionWarning"]
        for (var i = 0; i < names.length; ++i) {
            var popup = named(names[i])
            if (popup && popup.close)
                popup.close()
        }
        var busy = named("busyOverlay")
        if (busy)
            busy.running = false
    }

    // Each step puts a screen up; its picture is taken a moment later.
    property var steps: [
        { name: "main-camera", show: function () { tour.closeAll() } },
        { name: "toolbar-switcher-tools", show: function () { tour.window.toolBarPage = 1 } },
        { name: "system-bar", show: function () { tour.window.toolBarPage = 0; tour.window.systemBarShown = true } },
        { name: "dialog-message", show: function () {
            tour.window.systemBarShown = false
            tour.window.showMessage(99, qsTr("Are you sure to reset ZEK710A network configuration?") + qmlTranslator.e_str)
        } },
        { name: "dialog-progress", show: function () {
            tour.closeAll()
            var progress = tour.named("progressDialog")
            progress.value = 40
            progress.open()
        } },
        { name: "dialog-connection-warning", show: function () {
            tour.closeAll()
            var warning = tour.named("connectionWarning")
            warning.message = qsTr("No device connect to Camera %1.\nPlease select another one.").arg(11) + qmlTranslator.e_str
            warning.open()
        } },
        { name: "busy", show: function () { tour.closeAll(); tour.named("busyOverlay").running = true } },

        { name: "system-screen", show: function () { tour.closeAll(); tour.pop(tour.system()) } },
        { name: "system-language", show: function () { tour.pop(tour.system().languagePage) } },
        { name: "system-about", show: function () { tour.closeAll(); tour.pop(tour.system().aboutPage) } },
        { name: "system-speed-mode", show: function () { tour.closeAll(); tour.pop(tour.system().speedModePage) } },
        { name: "system-network", show: function () { tour.closeAll(); tour.pop(tour.system().networkPage) } },
        { name: "system-number-pad", show: function () {
            var network = tour.system().networkPage
            network.numberPad.show(10, "10.77.0.1")
            tour.opened.push(network.numberPad)
        } },
        { name: "system-tally-mode", show: function () { tour.closeAll(); tour.pop(tour.system().tallyPage) } },
        { name: "system-tally-mapping", show: function () {
            tour.closeAll()
            tour.pop(tour.system().tallyPage.mapping)
            mainObject.doRefreshListCameraMapping()
        } },
        { name: "system-shutdown", show: function () { tour.closeAll(); tour.pop(tour.system().shutdownDialog) } },
        { name: "manage-device", show: function () {
            tour.closeAll()
            var loader = tour.named("manageDeviceLoader")
            loader.active = true
            tour.pop(loader.item)
        } },
        { name: "serial-parameters", show: function () {
            tour.closeAll()
            mainObject.refreshSerialInfo("38400", "8", "None", "One Stop", "None")
            tour.opened.push(tour.named("serialParameters"))
        } },

        { name: "camera-page-2", show: function () { tour.closeAll(); tour.cameraPage().currentPageIndex = 1 } },
        { name: "camera-status", show: function () {
            tour.cameraPage().currentPageIndex = 0
            tour.pop(tour.cameraPage().statusScreen)
        } },
        { name: "camera-fine-white-balance", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().statusScreen); tour.pop(tour.cameraPage().statusScreen.fineWhiteBalanceScreen) } },
        { name: "camera-colour-temperature", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().statusScreen); tour.pop(tour.cameraPage().statusScreen.colorTemperatureScreen) } },
        { name: "camera-video-settings", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().videoSettingsScreen) } },
        { name: "camera-video-mode", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().videoModeScreen) } },
        { name: "camera-orientation", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().orientationScreen) } },
        { name: "camera-countdown", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().countdownScreen) } },
        { name: "camera-network", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().networkSettingsScreen) } },
        { name: "camera-manual-ip", show: function () { tour.closeAll(); tour.pop(tour.cameraPage().manualIpScreen) } },
        { name: "camera-keyboard", show: function () {
            tour.closeAll()
            tour.cameraPage().keyboardScreen.show(0, "studio-close")
            tour.opened.push(tour.cameraPage().keyboardScreen)
        } }
    ]

    // In test mode the factory test page is all there is.
    property var testSteps: [{ name: "test-page", show: function () {} }]

    // A screen is given this long to settle (animations, loading) before its picture.
    property Timer pace: Timer {
        interval: 900
        running: tour.window !== null
        onTriggered: tour.advance()
    }

    function route() {
        return window.testmode ? testSteps : steps
    }
    // The picture of the screen up now; the next screen goes up only once it is saved, since a
    // picture is drawn a moment after it is asked for.
    function advance() {
        var list = route()
        if (step < 0) {
            var splash = named("splash")
            if (splash && splash.visible && !window.testmode) {
                pace.restart()
                return
            }
            next()
            return
        }
        var name = list[step].name
        var asked = root().grabToImage(function (result) {
            if (!watchdog.running)
                return  // given up on already
            watchdog.stop()
            result.saveToFile(tour.outputDir + "/" + name + ".png")
            saved.push(name)
            tour.next()
        })
        if (asked) {
            watchdog.restart()
        } else {
            console.log("screen tour: no picture of", name)
            next()
        }
        // A window with nothing to draw may not render the picture: a change makes it draw.
        window.contentItem.opacity = 0.999
        window.contentItem.opacity = 1
    }
    property Timer watchdog: Timer {
        interval: 4000
        onTriggered: {
            console.log("screen tour: the picture of", tour.route()[tour.step].name, "did not come")
            tour.next()
        }
    }
    function next() {
        var list = route()
        ++step
        if (step >= list.length) {
            console.log("screen tour done:", saved.length, "pictures")
            Qt.quit()
            return
        }
        pace.restart()
        try {
            list[step].show()
        } catch (error) {
            console.log("screen tour:", list[step].name, error)
        }
    }
}
