// Latency from a command entering the camera command queue to its bytes arriving at a virtual
// serial camera and at a virtual HCIP camera, and the command rate to one camera, with the command
// loop's pacing as specified (a 55 ms pause after every step) and with the idle pause ending as
// soon as a command is queued. Both are measured in the same run.
//
// Runs mainControl in this process, so it must run inside the test namespaces:
//   scripts/netns-run.sh build/bench/commandLatencyBench [--commands N] [--burst N]
#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "panelRig.h"
#include "panelState.h"
#include "viscaCommands.h"
#include "workers.h"

namespace {

struct Summary {
    double medianMs = 0;
    double p99Ms = 0;
    double meanMs = 0;
};

Summary summarise(std::vector<double> ms) {
    Summary s;
    if (ms.empty()) {
        return s;
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) {
        sum += v;
    }
    s.medianMs = ms[ms.size() / 2];
    s.p99Ms = ms[std::min(ms.size() - 1, static_cast<std::size_t>(ms.size() * 0.99))];
    s.meanMs = sum / ms.size();
    return s;
}

// Queues single commands after idle spells of random length and measures each one's latency.
Summary isolatedLatency(VirtualCamera& camera, int count, std::mt19937& random) {
    camera.command("clear messages");
    std::vector<long long> appended;
    std::uniform_int_distribution<int> idleMs(0, 150);
    for (int i = 0; i < count; ++i) {
        waitUntil([] { return false; }, std::chrono::milliseconds(idleMs(random)));
        const int before = std::stoi(camera.get("presetRecalls"));
        cmdPrev.reset();
        appended.push_back(nowNs());
        cameraCommandRingBuf.append(visca::presetRecall(i % 7));
        waitUntil([&] { return std::stoi(camera.get("presetRecalls")) > before; },
                  std::chrono::seconds(5));
    }
    const std::vector<long long> arrived = arrivalsOf(camera, "8101043f02");
    std::vector<double> ms;
    for (std::size_t i = 0; i < appended.size() && i < arrived.size(); ++i) {
        ms.push_back((arrived[i] - appended[i]) / 1e6);
    }
    return summarise(ms);
}

// Queues a burst at once and measures the spacing of their arrivals.
Summary burstSpacing(VirtualCamera& camera, int count) {
    camera.command("clear messages");
    const int before = std::stoi(camera.get("presetRecalls"));
    cmdPrev.reset();
    for (int i = 0; i < count; ++i) {
        cameraCommandRingBuf.append(visca::presetRecall(i % 7));
    }
    waitUntil([&] { return std::stoi(camera.get("presetRecalls")) >= before + count; },
              std::chrono::seconds(60));
    const std::vector<long long> arrived = arrivalsOf(camera, "8101043f02");
    std::vector<double> gaps;
    for (std::size_t i = 1; i < arrived.size(); ++i) {
        gaps.push_back((arrived[i] - arrived[i - 1]) / 1e6);
    }
    return summarise(gaps);
}

void row(const char* what, const Summary& s, const char* unit) {
    std::printf("  %-44s median %7.1f %s  p99 %7.1f %s  mean %7.1f %s\n", what, s.medianMs, unit,
                s.p99Ms, unit, s.meanMs, unit);
}

}  // namespace

int main(int argc, char** argv) {
    int commands = 300;
    int burst = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--commands") == 0) {
            commands = std::max(10, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--burst") == 0) {
            burst = std::max(5, std::atoi(argv[i + 1]));
        }
    }
    QCoreApplication app(argc, argv);
    PanelRig rig({1}, {{"hcipcam", "10.77.0.2", false}});
    if (!rig.ready()) {
        std::fprintf(stderr, "%s\n", rig.why().c_str());
        return 1;
    }
    rig.panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    std::mt19937 random(55);

    std::printf(
        "Camera command latency: queue append -> bytes at the camera (%d commands after "
        "idle spells of 0..150 ms), and spacing of a burst of %d\n",
        commands, burst);
    std::printf(
        "Pacing of the loop: 55 ms pause after each step, 50 ms answer wait after each "
        "serial send; a send every 105 ms at best.\n\n");
    for (const bool wake : {false, true}) {
        commandWorker::wakeOnCommand = wake;
        std::printf("%s\n", wake ? "idle pause ends when a command is queued"
                                 : "baseline: fixed 55 ms pause");
        currentControl = 1;
        currentStatusOnScreen = 1;
        runRobin = true;
        row("serial camera 1, single command latency",
            isolatedLatency(rig.serialCamera(1), commands, random), "ms");
        row("serial camera 1, burst: gap between commands",
            burstSpacing(rig.serialCamera(1), burst), "ms");
        currentControl = 9;
        currentStatusOnScreen = 9;
        runRobin = true;
        row("HCIP camera 9, single command latency",
            isolatedLatency(rig.networkCamera("hcipcam"), commands, random), "ms");
        row("HCIP camera 9, burst: gap between commands",
            burstSpacing(rig.networkCamera("hcipcam"), burst), "ms");
        std::printf("\n");
    }
    return 0;
}
