// Tally without sockets, lines or screens: the lamp values a tally byte asks for, the mapping of
// channels to cameras, the contact inputs of the GPI tally and the lamp state table they feed.
#pragma once

#include <QList>

#include <array>
#include <mutex>
#include <optional>
#include <vector>

namespace tally {

constexpr int kCameras = 24;
constexpr int kLampOn = 2;
constexpr int kLampOff = 3;

// Tally modes: off, GPI contacts, the network switcher, and off again (which also stops the
// contact poll).
constexpr int kModeOff = 0;
constexpr int kModeGpi = 1;
constexpr int kModeNetwork = 2;
constexpr int kModeStopped = 3;

struct lampPair {
    int red;
    int green;
    bool operator==(const lampPair& other) const {
        return red == other.red && green == other.green;
    }
};
// Program (with or without preview) lights red, preview alone green, idle neither; any other
// byte asks for no change.
std::optional<lampPair> lampsForTallyByte(int tallyByte);

// The mapping the screens save: cameraChannels[m] is the channel (1..channels, 0 for none) of
// camera m + 1. The result has one entry per channel, the camera number on it or 0; a later
// camera on the same channel wins, and channels beyond the switcher's are ignored.
QList<int> channelMapping(const QList<int>& cameraChannels, int channels);

// How many cameras the contact tally sender walks: the network cameras found, plus the eight
// serial ones when the serial ports are in use, at most 24.
int senderCameraLimit(int networkCameras, bool serialPortsInUse);

// The six contact channels: the red input of channel k + 1 is pin 20 + k, its green input pin
// 40 + k. One scan reads them in this order: the reds, then the greens.
constexpr int kGpiChannels = 6;
struct gpiInput {
    int pin;
    int channel;  // 1..6
    bool red;
};
const std::array<gpiInput, 2 * kGpiChannels>& gpiScanOrder();

// Lamp state of one camera as the contact inputs last set it.
struct tallyLight {
    bool changed = false;  // a new state not yet sent to the camera
    int channel = 999;
    int red = kLampOff;
    int green = kLampOff;
};

// The lamp state of the 24 cameras (`tallyArray`). The contact poll writes it on the tally thread
// and the sender takes the changes on the GUI thread; one lock keeps a change from landing
// between the sender's read and its clearing of `changed`, where it would be lost.
class tallyLightTable {
public:
    // Camera numbers outside 1..24 are ignored.
    void setLamp(int camera, bool red, int value);
    tallyLight light(int camera) const;
    struct pending {
        int camera;
        tallyLight light;
    };
    // The changed lights of cameras 1..limit, each marked sent as it is taken.
    std::vector<pending> takeChanged(int limit);
    // The camera back to its start state (lamps off, nothing pending).
    void forget(int camera);
    void reset();

private:
    mutable std::mutex mutex_;
    std::array<tallyLight, kCameras> lights_{};
};

}  // namespace tally
