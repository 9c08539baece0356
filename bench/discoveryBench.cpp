// Discovery with 24 virtual cameras answering, and with none: how long a rescan of the screens
// takes to its end, how much of it goes to connecting the cameras once their answers are read,
// whether every camera was found and connected, and how long the GUI thread was held at a time
// meanwhile (the largest gap between the ticks of a 1 ms timer, less the millisecond). The floor
// of the scan is the answer window it waits out; the floor of the hold is 0.
//
// Runs inside the test namespaces: scripts/netns-run.sh build/bench/discoveryBench [--scans N]
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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
    double scanMs;        // hcipScan called to scanFinished
    double connectingMs;  // answers read to scanFinished
    double heldMs;        // the longest the GUI thread was away from its event loop meanwhile
};

// Ticks every millisecond on the GUI thread and keeps the largest gap between two ticks.
class holdProbe {
public:
    holdProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const long long now = nowNs();
            worstNs_ = std::max(worstNs_, now - lastNs_);
            lastNs_ = now;
        });
    }
    void start() {
        worstNs_ = 0;
        lastNs_ = nowNs();
        timer_.start();
    }
    double stopMs() {
        timer_.stop();
        worstNs_ = std::max(worstNs_, nowNs() - lastNs_);
        return std::max(0.0, worstNs_ / 1e6 - 1.0);
    }

private:
    QTimer timer_;
    long long lastNs_ = 0;
    long long worstNs_ = 0;
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
    holdProbe probe;
    for (int i = 0; i < scans; ++i) {
        {
            std::lock_guard<std::mutex> lock(g_log.mutex);
            g_log.answersReadNs = 0;
            g_log.connectFailures = 0;
        }
        QEventLoop untilFinished;
        const auto connection =
            QObject::connect(&panel, &mainControl::scanFinished, &untilFinished, &QEventLoop::quit);
        QTimer::singleShot(10000, &untilFinished, &QEventLoop::quit);
        probe.start();
        const long long start = nowNs();
        panel.hcipScan();
        untilFinished.exec();
        const long long end = nowNs();
        const double heldMs = probe.stopMs();
        QObject::disconnect(connection);
        std::lock_guard<std::mutex> lock(g_log.mutex);
        if (cameraCount != expectedCameras || g_log.connectFailures != 0) {
            ++misses;
        }
        samples.push_back({(end - start) / 1e6, (end - g_log.answersReadNs) / 1e6, heldMs});
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

    std::printf("Rescan of the screens (hcipScan), %d scans each\n", scans);
    int misses = 0;
    std::vector<double> scanning;
    std::vector<double> connecting;
    std::vector<double> held;
    for (const sample& s : rescans(rig.panel(), scans, 24, misses)) {
        scanning.push_back(s.scanMs);
        connecting.push_back(s.connectingMs);
        held.push_back(s.heldMs);
    }
    std::printf("24 virtual cameras answering (%d scans missed a camera or a connection)\n",
                misses);
    report("scan to all connected", scanning, kAnswerWindowMs);
    report("of it, placing and connecting 24 cameras", connecting, 0);
    report("longest GUI-thread hold meanwhile", held, 0);

    cameras.clear();
    misses = 0;
    scanning.clear();
    held.clear();
    for (const sample& s : rescans(rig.panel(), scans, 0, misses)) {
        scanning.push_back(s.scanMs);
        held.push_back(s.heldMs);
    }
    std::printf("No camera answering (%d scans found something)\n", misses);
    report("scan to its end", scanning, kAnswerWindowMs);
    report("longest GUI-thread hold meanwhile", held, 0);
    qInstallMessageHandler(nullptr);
    return 0;
}
