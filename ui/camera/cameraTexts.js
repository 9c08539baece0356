.pragma library

// Texts the camera screens show for the codes the cameras report. Every function takes the text
// shown so far, because a code the table does not know must not blank a value the operator
// could still read.

// Exposure times by shutter code 0..21. A camera counts its shutter steps from the frame rate,
// so the same code is a different time in the 50 Hz and the 59.94 Hz families.
var shutter50 = ["1/1", "1/2", "1/3", "1/6", "1/12", "1/25", "1/50", "1/75", "1/100", "1/120",
                 "1/150", "1/215", "1/300", "1/425", "1/600", "1/1000", "1/1250", "1/1750",
                 "1/2500", "1/3500", "1/6000", "1/10000"]
var shutter60 = ["1/1", "1/2", "1/4", "1/8", "1/15", "1/30", "1/60", "1/90", "1/100", "1/125",
                 "1/180", "1/250", "1/350", "1/500", "1/725", "1/1000", "1/1500", "1/2000",
                 "1/3000", "1/4000", "1/6000", "1/10000"]
// 1080i59.94 reports its shutter steps on the 50 Hz scale.
var modes50 = [1, 4, 8, 12, 20]
var modes60 = [6, 9, 19]

function shutterText(code, videoMode, previous) {
    var table = modes50.indexOf(videoMode) >= 0 ? shutter50
              : modes60.indexOf(videoMode) >= 0 ? shutter60 : null
    if (table === null || code < 0 || code >= table.length)
        return previous
    return table[code]
}

var videoModes = { 1: "1080i59.94", 4: "1080i50", 2: "1080p29.97", 6: "1080p29.97",
                   8: "1080p25", 9: "720p59.94", 12: "720p50", 19: "1080p59.94", 20: "1080p50",
                   29: "2160p29.94", 30: "2160p25" }

function videoModeText(code, previous) {
    return videoModes[code] !== undefined ? videoModes[code] : previous
}

// The white-balance names are translated by the screen; this gives the source text.
function whiteBalanceKey(mode, previous) {
    switch (mode) {
    case 0: case 4: return "WB Auto"
    case 1: return "Indoor"
    case 2: return "Outdoor"
    case 3: case 8: return "OnePush"
    case 5: return "Manual"
    }
    return previous
}

function focusKey(focus) {
    return focus === 2 ? "AF" : "MF"
}

function gainText(gain) {
    return gain + "dB"
}

// There are badges for presets 1..16 only; any other number shows none rather than a broken image.
function presetBadge(number) {
    if (number < 1 || number > 16)
        return ""
    return "qrc:/images/pst/img_pst" + number + "_camera.png"
}

function presetLabel(number, title) {
    return number > 0 ? "PST " + number + "-" + title : ""
}

// Orientation as (horizontal flip, vertical flip): 2 on, 3 off. Gives "H+V", "Horizontal",
// "Vertical" or "OFF" as source text, or `previous` for a pair the cameras never report.
function orientationKey(hFlip, vFlip, previous) {
    if (hFlip === 2 && vFlip === 2) return "H+V"
    if (hFlip === 2 && vFlip === 3) return "Horizontal"
    if (hFlip === 3 && vFlip === 2) return "Vertical"
    if (hFlip === 3 && vFlip === 3) return "OFF"
    return previous
}

function isIpAddress(text) {
    var parts = String(text).split(".")
    if (parts.length !== 4)
        return false
    for (var i = 0; i < 4; ++i) {
        if (!/^[0-9]{1,3}$/.test(parts[i]) || parseInt(parts[i], 10) > 255)
            return false
    }
    return true
}
