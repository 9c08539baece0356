import QtQuick 2.15
import QtTest 1.2
import "qrc:/camera/cameraTexts.js" as Texts

// The texts shown for the codes the cameras report.
TestCase {
    name: "CameraTexts"

    function test_shutterByFamily_data() {
        return [
            { tag: "code 11, 1080p59.94", code: 11, mode: 19, text: "1/250" },
            { tag: "code 11, 1080p50", code: 11, mode: 20, text: "1/215" },
            { tag: "code 0, 1080p50", code: 0, mode: 20, text: "1/1" },
            { tag: "code 21, 720p59.94", code: 21, mode: 9, text: "1/10000" },
            { tag: "code 2, 1080p29.97 (6)", code: 2, mode: 6, text: "1/4" },
            { tag: "code 2, 1080p25", code: 2, mode: 8, text: "1/3" },
            { tag: "code 7, 1080i59.94 on the 50 Hz scale", code: 7, mode: 1, text: "1/75" },
            { tag: "code 13, 1080i50", code: 13, mode: 4, text: "1/425" },
            { tag: "code 18, 720p50", code: 18, mode: 12, text: "1/2500" },
            { tag: "code 14, 1080p59.94", code: 14, mode: 19, text: "1/725" }
        ]
    }
    function test_shutterByFamily(data) {
        compare(Texts.shutterText(data.code, data.mode, "before"), data.text)
    }

    function test_shutterUnknownModeOrCodeKeepsText_data() {
        return [
            { tag: "mode 2", code: 11, mode: 2 },
            { tag: "mode 29", code: 11, mode: 29 },
            { tag: "mode 30", code: 5, mode: 30 },
            { tag: "mode 0", code: 5, mode: 0 },
            { tag: "code 22", code: 22, mode: 20 },
            { tag: "code -1", code: -1, mode: 19 }
        ]
    }
    function test_shutterUnknownModeOrCodeKeepsText(data) {
        compare(Texts.shutterText(data.code, data.mode, "1/60"), "1/60")
    }

    function test_videoModeTexts_data() {
        return [
            { tag: "1", code: 1, text: "1080i59.94" }, { tag: "4", code: 4, text: "1080i50" },
            { tag: "2", code: 2, text: "1080p29.97" }, { tag: "6", code: 6, text: "1080p29.97" },
            { tag: "8", code: 8, text: "1080p25" }, { tag: "9", code: 9, text: "720p59.94" },
            { tag: "12", code: 12, text: "720p50" }, { tag: "19", code: 19, text: "1080p59.94" },
            { tag: "20", code: 20, text: "1080p50" }, { tag: "29", code: 29, text: "2160p29.94" },
            { tag: "30", code: 30, text: "2160p25" }, { tag: "unknown 7", code: 7, text: "720p50" }
        ]
    }
    function test_videoModeTexts(data) {
        compare(Texts.videoModeText(data.code, "720p50"), data.text)
    }

    function test_whiteBalance_data() {
        return [
            { tag: "0", mode: 0, text: "WB Auto" }, { tag: "4", mode: 4, text: "WB Auto" },
            { tag: "1", mode: 1, text: "Indoor" }, { tag: "2", mode: 2, text: "Outdoor" },
            { tag: "3", mode: 3, text: "OnePush" }, { tag: "8", mode: 8, text: "OnePush" },
            { tag: "5", mode: 5, text: "Manual" }, { tag: "unknown 6", mode: 6, text: "Indoor" }
        ]
    }
    function test_whiteBalance(data) {
        compare(Texts.whiteBalanceKey(data.mode, "Indoor"), data.text)
    }

    function test_gainFocusAndPresets() {
        compare(Texts.gainText(12), "12dB")
        compare(Texts.focusKey(2), "AF")
        compare(Texts.focusKey(0), "MF")
        compare(Texts.focusKey(3), "MF")
        compare(Texts.presetBadge(0), "")
        compare(Texts.presetBadge(1), "qrc:/images/pst/img_pst1_camera.png")
        compare(Texts.presetBadge(16), "qrc:/images/pst/img_pst16_camera.png")
        compare(Texts.presetBadge(17), "")
        compare(Texts.presetLabel(0, "Stage"), "")
        compare(Texts.presetLabel(3, "Stage"), "PST 3-Stage")
    }

    function test_orientationAndAddresses() {
        compare(Texts.orientationKey(2, 2, "?"), "H+V")
        compare(Texts.orientationKey(2, 3, "?"), "Horizontal")
        compare(Texts.orientationKey(3, 2, "?"), "Vertical")
        compare(Texts.orientationKey(3, 3, "?"), "OFF")
        compare(Texts.orientationKey(0, 3, "?"), "?")
        verify(Texts.isIpAddress("192.168.1.90"))
        verify(!Texts.isIpAddress(""))
        verify(!Texts.isIpAddress("192.168.1"))
        verify(!Texts.isIpAddress("192.168.1.256"))
        verify(!Texts.isIpAddress("192.168.a.1"))
    }
}
