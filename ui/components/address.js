.pragma library

// The one check for an IPv4 address typed by the operator: four decimal parts of 0 to 255,
// without leading zeros (the system reads "010" as octal) and without the short or numeric
// forms ("10.1", "3232235786") that address parsers turn into other addresses.
function isAddress(text) {
    var parts = String(text).split(".")
    if (parts.length !== 4)
        return false
    for (var i = 0; i < 4; ++i) {
        if (!/^(0|[1-9][0-9]{0,2})$/.test(parts[i]) || parseInt(parts[i], 10) > 255)
            return false
    }
    return true
}
