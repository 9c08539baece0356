// Discovery with 24 virtual cameras answering, and with none: how long a rescan blocks the GUI
// thread, how much of it goes to connecting the cameras once their answers are read, and whether
// every camera was found and connected. The floor is the answer window the scan waits out.
//
// Runs inside the test namespaces: scripts/netns-run.sh build/bench/discoveryBench [--scans N]
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

constexpr double kAnswerWindowMs = 500.0;

// What the scan logged, with the time each line came.
struct scanLog {
    std::mutex mutex;
    long long answersReadNs = 0;  // the line that closes the reading of the answers
    int connectFailures = 0;
};
scanLog g_log;

void captureScanLog(QtMsgType, const QMessageLogContext&, const QString& message) {
    std::lock_guard<std::mutex> lock(g_log.mutex);
    if (message.contains("[hcipScan] devices")) {
        g_log.answersReadNs = nowNs();
    } else if (message.contains("did not take its connection")) {
        ++g_log.connectFailures;
    }
}

struct sample {
    double blockingMs;
    double connectingMs;
};

void report(const char* what, const std::vector<double>& ms, double floorMs) {
    const auto [median, p99] = spreadOf(ms);
    if (floorMs > 0) {
        std::printf("  %-44s median %7.1f ms  p99 %7.1f ms  (%.3f x the %.0f ms window)\n", what,
                    median, p99, median / floorMs, floorMs);
    } else {
        std::printf("  %-44s median %7.1f ms  p99 %7.1f ms\n", what, median, p99);
    }
}

std::vector<sample> rescans(mainControl& panel, int scans, int expectedCameras, int& misses) {
    std::vector<sample> samples;
    for (int i = 0; i < scans; ++i) {
        {
            std::lock_guard<std::mutex> lock(g_log.mutex);
            g_log.answersReadNs = 0;
            g_log.connectFailures = 0;
        }
        const long long start = nowNs();
        panel.hcipScan();
        const long long end = nowNs();
        std::lock_guard<std::mutex> lock(g_log.mutex);
        if (cameraCount != expectedCameras || g_log.connectFailures != 0) {
            ++misses;
        }
        samples.push_back({(end - start) / 1e6, (end - g_log.answersReadNs) / 1e6});
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    int scans = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--scans") == 0) {
            scans = std::max(3, std::atoi(argv[i + 1]));
        }
    }
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<VirtualCamera>> cameras;
    for (int i = 0; i < 24; ++i) {
        char name[32];
        char mac[32];
        std::snprintf(name, sizeof name, "bench%02d", i);
        std::snprintf(mac, sizeof mac, "02:A4:5C:07:00:%02X", i);
        cameras.push_back(std::make_unique<VirtualCamera>(VirtualCamera::discoverableHcip(
            rigRoot().path(), name, "10.77.0." + std::to_string(10 + i), name, mac)));
        if (!cameras.back()->started()) {
            std::fprintf(stderr, "virtual camera %s did not start\n", name);
            return 1;
        }
    }
    PanelRig rig({}, {});
    if (!rig.ready()) {
        std::fprintf(stderr, "%s\n", rig.why().c_str());
        return 1;
    }
    qInstallMessageHandler(captureScanLog);

    std::printf("Rescan (hcipScan) in the GUI thread, %d scans each\n", scans);
    int misses = 0;
    std::vector<sample> found = rescans(rig.panel(), scans, 24, misses);
    std::vector<double> blocking;
    std::vector<double> connecting;
    for (const sample& s : found) {
        blocking.push_back(s.blockingMs);
        connecting.push_back(s.connectingMs);
    }
    std::printf("24 virtual cameras answering (%d scans missed a camera or a connection)\n",
                misses);
    report("GUI thread blocked, scan to all connected", blocking, kAnswerWindowMs);
    report("of it, placing and connecting 24 cameras", connecting, 0);

    cameras.clear();
    misses = 0;
    std::vector<double> idle;
    for (const sample& s : rescans(rig.panel(), scans, 0, misses)) {
        idle.push_back(s.blockingMs);
    }
    std::printf("No camera answering (%d scans found something)\n", misses);
    report("GUI thread blocked", idle, kAnswerWindowMs);
    qInstallMessageHandler(nullptr);
    return 0;
}
