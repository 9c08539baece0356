#include "panelSnapshot.h"

#include <QJsonArray>

namespace automation {

bool cameraState::operator==(const cameraState& o) const {
    return exists == o.exists && name == o.name && address == o.address && protocol == o.protocol &&
           linkUp == o.linkUp && tallyRed == o.tallyRed && tallyGreen == o.tallyGreen &&
           lastPreset == o.lastPreset;
}

QJsonObject cameraObject(int camera, const cameraState& c) {
    return {{"camera", camera},
            {"exists", c.exists},
            {"name", c.name},
            {"address", c.address},
            {"protocol", c.protocol},
            {"link", c.linkUp ? "up" : "down"},
            {"tally", QJsonObject{{"red", c.tallyRed}, {"green", c.tallyGreen}}},
            {"lastPreset", c.lastPreset}};
}

namespace {

QJsonObject selectionObject(const panelSnapshot& s) {
    return {{"controlled", s.controlledCamera}, {"onScreen", s.onScreenCamera}};
}

QJsonObject tallyObject(const panelSnapshot& s) {
    static const char* const kModes[] = {"off", "contacts", "switcher"};
    const QString mode = s.tallyMode >= 0 && s.tallyMode <= 2 ? kModes[s.tallyMode] : "off";
    return {{"mode", mode},
            {"switcher", QJsonObject{{"address", s.switcherAddress},
                                     {"link", s.switcherLinked ? "up" : "down"}}}};
}

QJsonObject versionsObject(const panelSnapshot& s) {
    return {{"panel", s.panelVersion}, {"mcu", s.mcuVersion}};
}

}  // namespace

QJsonObject stateObject(const panelSnapshot& s) {
    QJsonArray cameras;
    for (int i = 0; i < kCameras; ++i) {
        cameras.append(cameraObject(i + 1, s.cameras[static_cast<std::size_t>(i)]));
    }
    return {{"version", versionsObject(s)},
            {"selection", selectionObject(s)},
            {"tally", tallyObject(s)},
            {"cameras", cameras}};
}

std::vector<QJsonObject> eventsBetween(const panelSnapshot& before, const panelSnapshot& after) {
    std::vector<QJsonObject> events;
    if (before.panelVersion != after.panelVersion || before.mcuVersion != after.mcuVersion) {
        events.push_back({{"type", "version"}, {"version", versionsObject(after)}});
    }
    if (before.controlledCamera != after.controlledCamera ||
        before.onScreenCamera != after.onScreenCamera) {
        events.push_back({{"type", "selection"}, {"selection", selectionObject(after)}});
    }
    if (before.tallyMode != after.tallyMode || before.switcherAddress != after.switcherAddress ||
        before.switcherLinked != after.switcherLinked) {
        events.push_back({{"type", "tally"}, {"tally", tallyObject(after)}});
    }
    for (int i = 0; i < kCameras; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (before.cameras[slot] != after.cameras[slot]) {
            events.push_back(
                {{"type", "camera"}, {"camera", cameraObject(i + 1, after.cameras[slot])}});
        }
    }
    return events;
}

}  // namespace automation
