import QtQuick 2.15
import QtTest 1.2
import "qrc:/system"

// The tally-mapping screen: filling from the application, the assignment rules, Save and Reset.
TestCase {
    id: testCase
    name: "TallyMapping"
    when: windowShown
    width: 1280
    height: 720

    Component { id: mappingComponent; TallyMapping {} }
    Component { id: tallyComponent; TallyMode {} }

    readonly property string zeros24: "[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]"

    function init() {
        mainObject.reset()
    }
    function openMapping() {
        var screen = createTemporaryObject(mappingComponent, testCase)
        verify(screen !== null)
        screen.open()
        tryCompare(screen, "opened", true, 5000)
        return screen
    }
    function cell(screen, index) {
        var item = findChild(screen.contentItem, "cell" + index)
        verify(item !== null, "no cell " + index)
        return item
    }
    function channel(screen, number) {
        return findChild(screen.contentItem, "channel" + number)
    }
    function channelImage(screen, number) {
        return channel(screen, number).children[0].source.toString()
    }
    function names(count, prefix) {
        var list = []
        for (var i = 1; i <= count; ++i) list.push(prefix + i)
        return list
    }

    function test_refreshFillsCellsAndMarksChannels() {
        var screen = openMapping()
        // Channel 1 shows camera 3, channel 4 shows camera 1, channel 12 shows camera 24.
        mainObject.refreshListCameraMapping(names(24, "cam"), names(24, "10.0.0."), 24,
                                            [3, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 24])
        compare(cell(screen, 0).cellHostname, "cam1")
        compare(cell(screen, 0).cellIP, "10.0.0.1")
        compare(cell(screen, 0).chNumber, 4)
        compare(cell(screen, 2).chNumber, 1)
        compare(cell(screen, 23).chNumber, 12)
        compare(cell(screen, 23).cellHostname, "cam24")
        compare(cell(screen, 1).chNumber, 0)
        compare(channel(screen, 1).selected, true)
        compare(channel(screen, 2).selected, false)
        compare(channel(screen, 4).selected, true)
        compare(channel(screen, 12).selected, true)
        compare(channelImage(screen, 1), "qrc:/images/tally/btn_p_tally_map_1.png")
        compare(channelImage(screen, 2), "qrc:/images/tally/btn_n_tally_map_2.png")
        compare(channelImage(screen, 12), "qrc:/images/tally/btn_p_tally_map_12.png")
    }

    function test_refreshWithFewerCamerasLeavesTheRestBlank() {
        var screen = openMapping()
        mainObject.refreshListCameraMapping(["a", "b", "c"], ["1.1.1.1", "2.2.2.2", "3.3.3.3"], 2,
                                            [2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])
        compare(cell(screen, 1).cellHostname, "b")
        compare(cell(screen, 1).chNumber, 1)
        compare(cell(screen, 2).cellHostname, "")
        compare(cell(screen, 2).chNumber, 0)
    }

    function test_assignmentRules() {
        var screen = openMapping()
        mainObject.refreshListCameraMapping(names(24, "cam"), names(24, "10.0.0."), 24,
                                            [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])
        // No channel picked: touching a camera does nothing.
        cell(screen, 0).clicked()
        compare(cell(screen, 0).chNumber, 0)

        channel(screen, 5).clicked()
        compare(screen.currTallyMappingSelect, 5)
        cell(screen, 7).clicked()
        compare(cell(screen, 7).chNumber, 5)
        compare(channel(screen, 5).selected, true)
        compare(channelImage(screen, 5), "qrc:/images/tally/btn_p_tally_map_5.png")

        // A used channel goes to no second camera.
        cell(screen, 8).clicked()
        compare(cell(screen, 8).chNumber, 0)

        // A camera with a channel takes no second one.
        channel(screen, 6).clicked()
        cell(screen, 7).clicked()
        compare(cell(screen, 7).chNumber, 5)
        compare(channel(screen, 6).selected, false)

        // Touching the picked, used channel again frees it; then it can go elsewhere.
        channel(screen, 5).clicked()
        compare(cell(screen, 7).chNumber, 5)
        channel(screen, 5).clicked()
        compare(cell(screen, 7).chNumber, 0)
        compare(channel(screen, 5).selected, false)
        cell(screen, 8).clicked()
        compare(cell(screen, 8).chNumber, 5)
    }

    function test_tappingAnUnusedPickedChannelAgainChangesNothing() {
        var screen = openMapping()
        mainObject.refreshListCameraMapping(names(24, "cam"), names(24, "ip"), 24,
                                            [0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])
        channel(screen, 3).clicked()
        channel(screen, 3).clicked()
        compare(screen.currTallyMappingSelect, 3)
        compare(cell(screen, 8).chNumber, 2)
    }

    function test_sixChannelSwitcherShowsSixButtons() {
        mainObject.values = { "getSwitcherChannelNumber": 6 }
        var screen = openMapping()
        verify(channel(screen, 6) !== null)
        compare(channel(screen, 7), null)
        compare(channel(screen, 12), null)
        mainObject.refreshChannelCounts(12)
        tryVerify(function () { return channel(screen, 12) !== null }, 5000)
        mainObject.refreshChannelCounts(6)
        tryVerify(function () { return channel(screen, 7) === null }, 5000)
    }

    function test_saveSendsTheListByCamera() {
        var screen = openMapping()
        mainObject.refreshListCameraMapping(names(24, "cam"), names(24, "ip"), 24,
                                            [3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])
        channel(screen, 2).clicked()
        cell(screen, 23).clicked()
        findChild(screen.contentItem, "saveButton").clicked()
        compare(mainObject.callsOf("saveTallyMapping"),
                ["saveTallyMapping([0,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2])"])
        tryCompare(screen.notice, "opened", true, 5000)
        compare(findChild(screen.notice.contentItem, "noticeText").text, "Work done.")
    }

    function test_resetClearsSavesZerosAndRefreshes() {
        var screen = openMapping()
        mainObject.refreshListCameraMapping(names(24, "cam"), names(24, "ip"), 24,
                                            [3, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])
        channel(screen, 1).clicked()
        findChild(screen.contentItem, "resetButton").clicked()
        compare(mainObject.calls.filter(function (c) { return c.indexOf("saveTallyMapping") === 0
                                                              || c.indexOf("doRefreshListCameraMapping") === 0 }),
                ["saveTallyMapping(" + zeros24 + ")", "doRefreshListCameraMapping()"])
        compare(cell(screen, 2).chNumber, 0)
        compare(cell(screen, 4).chNumber, 0)
        compare(channel(screen, 1).selected, false)
        compare(screen.currTallyMappingSelect, 0)
        tryCompare(screen.notice, "opened", true, 5000)
    }

    function test_arrowsScrollTheGrid() {
        var screen = openMapping()
        var viewport = findChild(screen.contentItem, "cellViewport")
        compare(viewport.contentY, 0)
        mouseClick(findChild(screen.contentItem, "scrollDown"))
        tryCompare(viewport, "contentY", 168, 5000)
        mouseClick(findChild(screen.contentItem, "scrollDown"))
        mouseClick(findChild(screen.contentItem, "scrollDown"))
        // Five rows of cells, three in view: two rows further at most.
        tryCompare(viewport, "contentY", 336, 5000)
        mouseClick(findChild(screen.contentItem, "scrollUp"))
        tryCompare(viewport, "contentY", 168, 5000)
    }

    function test_tallyModeOpensTheMappingAndAsksForTheList() {
        var tally = createTemporaryObject(tallyComponent, testCase)
        tally.open()
        findChild(tally.contentItem, "mappingButton").clicked()
        compare(mainObject.callsOf("doRefreshListCameraMapping"), ["doRefreshListCameraMapping()"])
        tryCompare(tally.mapping, "opened", true, 5000)
        mainObject.refreshListCameraMapping(["x"], ["1.2.3.4"], 1, [0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])
        compare(findChild(tally.mapping.contentItem, "cell0").chNumber, 2)
    }
}
