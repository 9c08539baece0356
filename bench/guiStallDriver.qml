import QtQuick 2.15

// Drives the running application's screens for bench/guiStallBench.sh: the stick check of the
// About screen, the serial-port switch (off, then on), a network scan, then a quiet spell for the
// joystick and tally the script drives. Each phase starts with a "bench phase:" line in the log,
// which the script uses to attribute the application's "GUI stall:" lines. Made beside the main
// window when ZEK_UI_TOUR names it.
QtObject {
    id: driver
    property var window: null
    property string outputDir: ""
    property int step: 0
    property int waited: 0
    property bool started: false

    function declared(name) {
        var list = window.contentItem.data
        for (var i = 0; i < list.length; ++i) {
            if (list[i].objectName === name)
                return list[i]
        }
        return null
    }
    function busy() {
        return declared("busyOverlay").visible
    }
    function system() {
        var loader = declared("systemSettingLoader")
        loader.active = true
        return loader.item
    }
    function phase(name) {
        console.log("bench phase:", name)
        waited = 0
    }
    // Each entry starts its phase and returns; `done` says when the next may start.
    property var phases: [
        { start: function () { phase("start-up") },
          done: function () { return !declared("splash").visible && waited >= 3000 } },
        { start: function () { phase("stick check"); system().open(); system().openAbout() },
          done: function () { return !busy() && waited >= 500 } },
        { start: function () { system().aboutPage.close(); phase("serial-port switch off"); system().toggleSerialPort() },
          done: function () { return !system().switchingSerial && !busy() && waited >= 500 } },
        { start: function () { phase("serial-port switch on"); system().toggleSerialPort() },
          done: function () { return !system().switchingSerial && !busy() && waited >= 500 } },
        { start: function () { system().close(); phase("scan"); mainObject.hcipScan() },
          done: function () { return !busy() && waited >= 3000 } },
        { start: function () { phase("joystick and tally") },
          done: function () { return waited >= 11000 } },
        { start: function () { phase("end") }, done: function () { return false } }
    ]
    property Timer ticker: Timer {
        interval: 100
        repeat: true
        running: driver.window !== null
        onTriggered: {
            driver.waited += interval
            if (!driver.started) {
                driver.started = true
                driver.phases[0].start()
            }
            if (driver.step < driver.phases.length && driver.phases[driver.step].done()) {
                ++driver.step
                if (driver.step < driver.phases.length)
                    driver.phases[driver.step].start()
            }
            if (driver.waited > 30000 && driver.step < driver.phases.length - 1) {
                console.log("bench phase: timed out")
                stop()
            }
        }
    }
}
