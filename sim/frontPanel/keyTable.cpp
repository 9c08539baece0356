#include "keyTable.h"

#include <array>

namespace frontpanel {

namespace {

const std::array<const char*, kKeyCount> kLabels = {
    "FAST",     "MID",   "SLOW",       "LOCK",      "REC", "STOP",  "CAM OSD", "STR",   "AWB",
    "ONE PUSH", "AE+",   "AUTO FOCUS", "AUTO IRIS", "AE-", "PST 1", "PST 2",   "PST 3", "PST 4",
    "PST 5",    "PST 6", "PST 7",      "1",         "2",   "3",     "4",       "5",     "6",
    "7",        "8",     "9",          "10",        "11",  "12",    "CUT",     "AUTO",  "M/W"};

}  // namespace

std::string keyLabel(int k) {
    if (k < 0 || k >= kKeyCount) {
        return {};
    }
    return kLabels[static_cast<std::size_t>(k)];
}

const std::vector<KeyGroup>& keyGroups() {
    static const std::vector<KeyGroup> groups = {
        {"Speed", {0, 1, 2}},
        {"Joystick lock", {3}},
        {"Recorder", {4, 5}},
        {"Camera menu", {6}},
        {"Preset store", {7}},
        {"White balance", {8, 9}},
        {"Exposure / focus", {10, 11, 12, 13}},
        {"Presets", {14, 15, 16, 17, 18, 19, 20}},
        {"Cameras", {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}},
        {"Switcher", {33, 34, 35}},
    };
    return groups;
}

}  // namespace frontpanel
