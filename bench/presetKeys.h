// Preset keys pressed on the virtual MCU, timed to the recall's bytes at a virtual camera; shared
// by the benchmarks that measure the panel's key-to-camera latency.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "panelRig.h"

// PST 1 to 7 in turn, each after an idle spell: the time from each release to the camera.
inline std::vector<double> presetLatency(PanelRig& rig, VirtualCamera& camera, int presses) {
    camera.command("clear messages");
    std::vector<long long> released;
    for (int i = 0; i < presses; ++i) {
        const int key = 14 + i % 7;
        rig.mcu().command("press " + std::to_string(key));
        waitUntil([] { return false; }, std::chrono::milliseconds(60));
        const int before = std::stoi(camera.get("presetRecalls"));
        released.push_back(nowNs());
        rig.mcu().command("release " + std::to_string(key));
        waitUntil([&] { return std::stoi(camera.get("presetRecalls")) > before; },
                  std::chrono::seconds(5));
        waitUntil([] { return false; }, std::chrono::milliseconds(40));
    }
    const std::vector<long long> arrived = arrivalsOf(camera, "8101043f02");
    std::vector<double> ms;
    for (std::size_t i = 0; i < released.size() && i < arrived.size(); ++i) {
        ms.push_back((arrived[i] - released[i]) / 1e6);
    }
    return ms;
}
