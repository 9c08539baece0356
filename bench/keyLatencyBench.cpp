// Latency from a key release (and from a joystick move) made on the virtual MCU to the VISCA
// bytes arriving at a virtual camera on each transport (serial line, HCIP over TCP, VISCA over
// IP), with the cameras answering as real ones do: an acknowledgement a few milliseconds after a
// command, its completion later (both settable), two command sockets. Run once with the camera
// lines paced by fixed waits and once paced by the cameras' answers. Release times are taken just
// before the release is made on the MCU; arrival times by the camera, on the same monotonic
// clock. A burst of commands queued at once gives the commands per second each camera received,
// and how many of them it refused as busy.
//
//   scripts/netns-run.sh build/bench/keyLatencyBench [--presses N] [--ack MS] [--done MS]
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
#include "presetKeys.h"

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

int busyAnswers(VirtualCamera& camera) {
    const std::string timing = camera.command("get timing");
    const std::size_t at = timing.find("busy=");
    return at == std::string::npos ? 0 : std::stoi(timing.substr(at + 5));
}

void selectCamera(PanelRig& rig, int key, int camera) {
    rig.mcu().command("press " + std::to_string(key));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    rig.mcu().command("release " + std::to_string(key));
    waitUntil([camera] { return currentControl.load() == camera; }, std::chrono::seconds(5));
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

// Queues recalls of presets 1..count at once and measures at the camera how fast they came.
void burst(VirtualCamera& camera, int count) {
    camera.command("clear messages");
    const int busyBefore = busyAnswers(camera);
    const int before = std::stoi(camera.get("presetRecalls"));
    for (int p = 0; p < count; ++p) {
        cameraCommandRingBuf.append(
            QByteArray::fromHex("8101043f0200ff")
                .replace(5, 1, QByteArray(1, static_cast<char>(1 + p % 100))));
    }
    waitUntil([&] { return std::stoi(camera.get("presetRecalls")) - before >= count; },
              std::chrono::seconds(30));
    const std::vector<long long> arrived = arrivalsOf(camera, "8101043f02");
    const int taken = std::stoi(camera.get("presetRecalls")) - before;
    const int refused = busyAnswers(camera) - busyBefore;
    if (arrived.size() < 2) {
        std::printf("  %-40s no samples\n", "burst");
        return;
    }
    const double seconds = (arrived.back() - arrived.front()) / 1e9;
    std::printf("  %-40s %6.1f commands/s received, %d of %d taken, %d refused as busy\n",
                "burst of queued preset recalls", (arrived.size() - 1) / seconds, taken, count,
                refused);
}

int main(int argc, char** argv) {
    int presses = 100;
    int ackMs = 3;
    int doneMs = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--presses") == 0) {
            presses = std::max(10, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--ack") == 0) {
            ackMs = std::max(0, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--done") == 0) {
            doneMs = std::max(0, std::atoi(argv[i + 1]));
        }
    }
    QCoreApplication app(argc, argv);
    PanelRig rig({1}, {{"hcipcam", "10.77.0.2", false}, {"viscacam", "10.77.0.3", true}});
    if (!rig.ready()) {
        std::fprintf(stderr, "%s\n", rig.why().c_str());
        return 1;
    }
    rig.mcu().command("fault delay 2");
    rig.panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    rig.panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    mcu::setExchangeWaitMode(mcu::WaitMode::onLine);
    const struct {
        const char* name;
        int key;
        int camera;
        VirtualCamera* device;
    } transports[] = {{"serial camera 1", 21, 1, &rig.serialCamera(1)},
                      {"HCIP camera 9", 29, 9, &rig.networkCamera("hcipcam")},
                      {"VISCA over IP camera 10", 30, 10, &rig.networkCamera("viscacam")}};
    const std::string timing = "timing " + std::to_string(ackMs) + " " + std::to_string(doneMs);
    for (const auto& t : transports) {
        t.device->command(timing);
        t.device->command("sockets 2");
    }

    std::printf(
        "Key release / joystick move on the virtual MCU (answering after 2 ms) to VISCA bytes at "
        "the camera;\ncameras acknowledge %d ms and complete %d ms after a command, two sockets\n",
        ackMs, doneMs);
    std::printf(
        "Physical floor on the serial line: 9 VISCA bytes at 38400 baud = 2.3 ms; a 15-byte "
        "status block = 3.9 ms\n");
    for (const bool fixed : {true, false}) {
        rig.panel().setFixedCameraPacing(fixed);
        std::printf("%s\n", fixed ? "Camera lines paced by fixed waits (fixedCameraPacing on)"
                                  : "Camera lines paced by the cameras' answers");
        for (const auto& t : transports) {
            selectCamera(rig, t.key, t.camera);
            currentStatusOnScreen = t.camera;
            report((std::string(t.name) + ", preset key").c_str(),
                   presetLatency(rig, *t.device, presses));
            report((std::string(t.name) + ", joystick move").c_str(),
                   joystickLatency(rig, *t.device, presses / 2));
            burst(*t.device, 50);
        }
    }
    rig.panel().setFixedCameraPacing(false);
    return 0;
}
