// Latency from a key release (and from a joystick move) made on the virtual MCU to the VISCA
// bytes arriving at a virtual serial camera and at a virtual HCIP camera, with the MCU answering
// 2 ms after each request as a real one does. Release times are taken just before the release is
// made on the MCU; arrival times by the camera, on the same monotonic clock. Run once with the
// MCU exchanges sleeping their waits out in fixed steps and once with them waiting on the line.
//
//   scripts/netns-run.sh build/bench/keyLatencyBench [--presses N]
#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "mcuExchange.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

void report(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("  %-40s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) {
        sum += v;
    }
    std::printf("  %-40s median %6.1f ms  p99 %6.1f ms  mean %6.1f ms  (n=%zu)\n", what,
                ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)],
                sum / ms.size(), ms.size());
}

void selectCamera(PanelRig& rig, int key, int camera) {
    rig.mcu().command("press " + std::to_string(key));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    rig.mcu().command("release " + std::to_string(key));
    waitUntil([camera] { return currentControl.load() == camera; }, std::chrono::seconds(5));
}

// Preset key releases: PST 1 to 7 in turn, each after an idle spell.
std::vector<double> presetLatency(PanelRig& rig, VirtualCamera& camera, int presses) {
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

// Joystick moves from rest to a pan, then back to rest.
std::vector<double> joystickLatency(PanelRig& rig, VirtualCamera& camera, int moves) {
    camera.command("clear messages");
    std::vector<long long> moved;
    for (int i = 0; i < moves; ++i) {
        moved.push_back(nowNs());
        rig.mcu().command("joy x 1400 " + std::to_string(i % 2));
        waitUntil([&] { return camera.get("panDir") != "stop"; }, std::chrono::seconds(5));
        rig.mcu().command("joy x 0 0");
        waitUntil([&] { return camera.get("panDir") == "stop"; }, std::chrono::seconds(5));
        // The release also queues a zoom stop; the next move starts from an idle loop.
        waitUntil([] { return cameraCommandRingBuf.isEmpty(); }, std::chrono::seconds(5));
        waitUntil([] { return false; }, std::chrono::milliseconds(150));
    }
    const std::vector<long long> arrived = arrivalsOf(camera, "81010601");
    // Every second pan-tilt message is the stop that follows a move.
    std::vector<double> ms;
    for (std::size_t i = 0; i < moved.size() && 2 * i < arrived.size(); ++i) {
        ms.push_back((arrived[2 * i] - moved[i]) / 1e6);
    }
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    int presses = 200;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--presses") == 0) {
            presses = std::max(10, std::atoi(argv[i + 1]));
        }
    }
    QCoreApplication app(argc, argv);
    PanelRig rig({1}, {{"hcipcam", "10.77.0.2", false}});
    if (!rig.ready()) {
        std::fprintf(stderr, "%s\n", rig.why().c_str());
        return 1;
    }
    rig.mcu().command("fault delay 2");
    rig.panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);

    std::printf(
        "Key release / joystick move on the virtual MCU (answering after 2 ms) to VISCA "
        "bytes at the camera\n");
    for (const mcu::WaitMode mode : {mcu::WaitMode::fixedSteps, mcu::WaitMode::onLine}) {
        mcu::setExchangeWaitMode(mode);
        std::printf("%s\n", mode == mcu::WaitMode::fixedSteps
                                ? "MCU exchanges sleeping their waits out in fixed steps"
                                : "MCU exchanges waiting on the line");
        selectCamera(rig, 21, 1);
        currentStatusOnScreen = 1;
        report("serial camera 1, preset key", presetLatency(rig, rig.serialCamera(1), presses));
        report("serial camera 1, joystick move",
               joystickLatency(rig, rig.serialCamera(1), presses / 2));
        selectCamera(rig, 29, 9);
        currentStatusOnScreen = 9;
        report("HCIP camera 9, preset key",
               presetLatency(rig, rig.networkCamera("hcipcam"), presses));
        report("HCIP camera 9, joystick move",
               joystickLatency(rig, rig.networkCamera("hcipcam"), presses / 2));
    }
    return 0;
}
