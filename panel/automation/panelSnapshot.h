// What the automation interface tells of the panel: a snapshot of the state it shows, the JSON of
// that state, and the events that take one snapshot to the next. Pure: the GUI thread fills the
// snapshot, the server only reads copies.
#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <array>
#include <vector>

namespace automation {

constexpr int kCameras = 24;

struct cameraState {
    bool exists = false;
    QString name;
    QString address;   // network address, or the serial line ("/dev/ttyUSB0".."/dev/ttyUSB7")
    QString protocol;  // "serial", "hcip", "visca-over-ip" or "visca"
    bool linkUp = false;
    bool tallyRed = false;  // as last sent to the camera
    bool tallyGreen = false;
    int lastPreset = 0;  // the last preset recalled, 1..128; 0 before the first
    bool operator==(const cameraState& o) const;
    bool operator!=(const cameraState& o) const { return !(*this == o); }
};

struct panelSnapshot {
    QString panelVersion;
    QString mcuVersion;
    int controlledCamera = 1;
    int onScreenCamera = 1;
    std::array<cameraState, kCameras> cameras{};
    int tallyMode = 0;  // 0 off, 1 contact inputs, 2 switcher
    QString switcherAddress;
    bool switcherLinked = false;
};

// GET /api/v1/state: the whole snapshot.
QJsonObject stateObject(const panelSnapshot& s);
QJsonObject cameraObject(int camera, const cameraState& c);
// The changes from before to after, one event each, in a fixed order: the panel, the selection,
// the tally, then each camera that changed (its whole state). Without the sequence number, which
// the publisher adds.
std::vector<QJsonObject> eventsBetween(const panelSnapshot& before, const panelSnapshot& after);

}  // namespace automation
