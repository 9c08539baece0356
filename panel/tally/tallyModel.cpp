#include "tallyModel.h"

#include <algorithm>

namespace tally {

std::optional<lampPair> lampsForTallyByte(int tallyByte) {
    switch (tallyByte) {
        case 0:
            return lampPair{kLampOff, kLampOff};
        case 1:
            return lampPair{kLampOff, kLampOn};
        case 4:
        case 5:
            return lampPair{kLampOn, kLampOff};
        default:
            return std::nullopt;
    }
}

QList<int> channelMapping(const QList<int>& cameraChannels, int channels) {
    QList<int> mapping;
    for (int channel = 0; channel < channels; ++channel) {
        mapping.append(0);
    }
    const int cameras = std::min<int>(cameraChannels.size(), kCameras);
    for (int m = 0; m < cameras; ++m) {
        const int channel = cameraChannels[m];
        if (channel >= 1 && channel <= channels) {
            mapping[channel - 1] = m + 1;
        }
    }
    return mapping;
}

int senderCameraLimit(int networkCameras, bool serialPortsInUse) {
    return std::clamp(networkCameras + (serialPortsInUse ? 8 : 0), 0, kCameras);
}

const std::array<gpiInput, 2 * kGpiChannels>& gpiScanOrder() {
    static const std::array<gpiInput, 2 * kGpiChannels> order = [] {
        std::array<gpiInput, 2 * kGpiChannels> inputs{};
        for (int k = 0; k < kGpiChannels; ++k) {
            inputs[k] = {20 + k, k + 1, true};
            inputs[kGpiChannels + k] = {40 + k, k + 1, false};
        }
        return inputs;
    }();
    return order;
}

void tallyLightTable::setLamp(int camera, bool red, int value) {
    if (camera < 1 || camera > kCameras) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    tallyLight& light = lights_[camera - 1];
    int& lamp = red ? light.red : light.green;
    if (lamp != value) {
        light.changed = true;
    }
    lamp = value;
}

tallyLight tallyLightTable::light(int camera) const {
    if (camera < 1 || camera > kCameras) {
        return {};
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return lights_[camera - 1];
}

std::vector<tallyLightTable::pending> tallyLightTable::takeChanged(int limit) {
    std::vector<pending> taken;
    std::lock_guard<std::mutex> lock(mutex_);
    for (int camera = 1; camera <= std::min(limit, kCameras); ++camera) {
        tallyLight& light = lights_[camera - 1];
        if (light.changed) {
            taken.push_back({camera, light});
            light.changed = false;
        }
    }
    return taken;
}

void tallyLightTable::forget(int camera) {
    if (camera < 1 || camera > kCameras) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    lights_[camera - 1] = tallyLight{};
}

void tallyLightTable::reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    lights_.fill(tallyLight{});
}

}  // namespace tally
