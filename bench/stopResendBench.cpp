// Runaway cameras on a lossy network or line: the joystick pans a camera and lets go, again and
// again, while the virtual camera loses messages on their way in and answers on their way out at
// random (seeded). For each transport and loss rate, with the stop resend on and off in the same
// run: the releases after which the camera was still moving 1.5 s later, when every resend is
// long over (runaways); the time from the release to the first stop that reached the camera
// (median, p99); and the stops sent again per release.
//
// Runs mainControl in this process, so it must run inside the test namespaces:
//   scripts/netns-run.sh build/bench/stopResendBench [--rounds N]
//       [--transports serial,hcip,visca,bare]
#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "panelRig.h"
#include "panelState.h"
#include "pendingStops.h"

namespace {

using namespace std::chrono_literals;

const char* const kPanTiltStop = "8101060101010303ff";

std::atomic<long> resends{0};
void countResends(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains(QStringLiteral("sending it again"))) {
        ++resends;
    }
}

struct Transport {
    std::string name;
    int key;
    int camera;
};

struct Result {
    int runaways = 0;
    spread toStop;
    double extraPerRelease = 0;
};

Result run(PanelRig& rig, VirtualCamera& camera, int rounds, int lossPercent, bool resend) {
    pendingStops::resendEnabled = resend;
    camera.command("loss " + std::to_string(lossPercent) + " " + std::to_string(lossPercent) +
                   " 7100");
    Result result;
    std::vector<double> ms;
    const long resendsBefore = resends;
    for (int i = 0; i < rounds; ++i) {
        rig.mcu().command("joy x 1400 1");
        // The move itself may be lost: the release then finds a camera at rest.
        waitUntil([&] { return camera.get("panDir") == "right"; }, 1s);
        camera.command("clear messages");
        const long long releasedAt = nowNs();
        rig.mcu().command("joy x 0 0");
        if (!waitUntil([&] { return camera.get("panDir") == "stop"; }, 1500ms)) {
            ++result.runaways;
            camera.command("set panDir stop");
            continue;
        }
        const std::vector<long long> arrivals = arrivalsOf(camera, kPanTiltStop);
        if (!arrivals.empty()) {
            ms.push_back((arrivals.front() - releasedAt) / 1e6);
        }
    }
    camera.command("loss 0 0 0");
    result.toStop = spreadOf(ms);
    result.extraPerRelease = static_cast<double>(resends - resendsBefore) / rounds;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rounds = 1000;
    std::string chosen = "serial,hcip,visca,bare";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--transports") == 0) {
            chosen = argv[i + 1];
        }
    }
    qInstallMessageHandler(countResends);
    PanelRig rig({1}, {{"hcipcam", "10.77.0.2", false},
                       {"viscacam", "10.77.0.3", true},
                       {"barecam", "10.77.0.4", true}});
    if (!rig.ready()) {
        std::fprintf(stderr, "rig: %s\n", rig.why().c_str());
        return 1;
    }
    QObject::connect(&rig.panel(), &mainControl::cameraConnectState,
                     [&rig](int, const QString&, int) { rig.panel().setRobin(true); });
    rig.panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    rig.panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    rig.panel().setCameraNetworkManual(10, "10.77.0.4", protocolSimpleVisca);

    const std::vector<Transport> all{
        {"serial", 21, 1}, {"hcip", 29, 9}, {"visca", 30, 10}, {"bare", 31, 11}};
    std::printf("stop resend: %d releases per row, loss in both directions\n", rounds);
    for (const Transport& t : all) {
        if (chosen.find(t.name) == std::string::npos) {
            continue;
        }
        VirtualCamera& camera = t.camera == 1    ? rig.serialCamera(1)
                                : t.camera == 9  ? rig.networkCamera("hcipcam")
                                : t.camera == 10 ? rig.networkCamera("viscacam")
                                                 : rig.networkCamera("barecam");
        if (!rig.tapKey(t.key) || !waitUntil([&] { return currentControl == t.camera; }, 5s)) {
            std::fprintf(stderr, "%s: camera %d not selected\n", t.name.c_str(), t.camera);
            return 1;
        }
        for (const int loss : {1, 10, 30}) {
            for (const bool resend : {true, false}) {
                const Result r = run(rig, camera, rounds, loss, resend);
                std::printf(
                    "  %-6s loss %2d%%  resend %-3s  runaways %4d  release->stop median %6.1f ms "
                    "p99 %7.1f ms  stops sent again per release %.2f\n",
                    t.name.c_str(), loss, resend ? "on" : "off", r.runaways, r.toStop.median,
                    r.toStop.p99, r.extraPerRelease);
                std::fflush(stdout);
            }
        }
    }
    pendingStops::resendEnabled = true;
    return 0;
}
