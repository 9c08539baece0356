// Network cameras coming back: the time from a camera being back after a reboot to the first
// command it receives (an HCIP camera, connected again in the background, and a VISCA-over-IP
// camera, reset before its next command), and the command latency of a healthy HCIP camera with
// the others up (the baseline) and with the others down, measured in the same run.
//
// Runs mainControl in this process, so it must run inside the test namespaces:
//   scripts/netns-run.sh build/bench/reconnectBench [--rounds N] [--commands N]
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "panelRig.h"
#include "panelState.h"
#include "viscaCommands.h"

namespace {

using namespace std::chrono_literals;

void print(const char* what, const spread& s) {
    std::printf("  %-52s median %7.1f ms  p99 %7.1f ms\n", what, s.median, s.p99);
}

bool back(VirtualCamera& camera) {
    return camera.command("get link").rfind("rebooting=0", 0) == 0;
}

// The command for camera n, queued as a camera key and a preset key would.
void queueFor(int cameraNumber, int preset) {
    if (currentControl != cameraNumber) {
        cameraCommandRingBuf.clear();
        currentControl = cameraNumber;
    }
    cmdPrev.reset();
    cameraCommandRingBuf.append(visca::presetRecall(preset));
}

// Waits up to limit for the first preset recall at the camera and adds the milliseconds from
// sinceNs to its arrival to ms; false when none came.
bool addRecallArrival(VirtualCamera& camera, long long sinceNs, std::chrono::milliseconds limit,
                      std::vector<double>& ms) {
    if (!waitUntil([&] { return !arrivalsOf(camera, "8101043f02").empty(); }, limit)) {
        return false;
    }
    ms.push_back((arrivalsOf(camera, "8101043f02").front() - sinceNs) / 1e6);
    return true;
}

// The camera reboots for a random time while a command waits for it; the time from its return to
// the arrival of that command.
std::vector<double> hcipComeback(VirtualCamera& camera, int cameraNumber, int rounds,
                                 std::mt19937& random) {
    std::uniform_int_distribution<int> downMs(300, 3000);
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const int down = downMs(random);
        camera.command("clear messages");
        const long long rebootAt = nowNs();
        camera.command("reboot " + std::to_string(down));
        const long long backAt = rebootAt + down * 1000000LL;
        queueFor(cameraNumber, i % 7);
        if (!addRecallArrival(camera, backAt, 20s, ms)) {
            std::fprintf(stderr, "round %d: the command never arrived\n", i);
        }
    }
    return ms;
}

// The camera reboots while the panel sends to it; once it is back, the next command.
std::vector<double> viscaComeback(VirtualCamera& camera, int cameraNumber, int rounds,
                                  std::mt19937& random) {
    std::uniform_int_distribution<int> downMs(300, 1500);
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        camera.command("reboot " + std::to_string(downMs(random)));
        queueFor(cameraNumber, 6);  // lost in the reboot
        waitUntil([] { return cameraCommandRingBuf.isEmpty(); }, 5s);
        waitUntil([&] { return back(camera); }, 10s);
        camera.command("clear messages");
        const long long backAt = nowNs();
        queueFor(cameraNumber, i % 6);
        if (!addRecallArrival(camera, backAt, 10s, ms)) {
            std::fprintf(stderr, "round %d: the command never arrived\n", i);
        }
    }
    return ms;
}

// Single commands to camera n after idle spells of random length: queue to arrival.
std::vector<double> latency(VirtualCamera& camera, int cameraNumber, int count,
                            std::mt19937& random) {
    std::uniform_int_distribution<int> idleMs(0, 150);
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        waitUntil([] { return false; }, std::chrono::milliseconds(idleMs(random)));
        camera.command("clear messages");
        const long long queued = nowNs();
        queueFor(cameraNumber, i % 7);
        addRecallArrival(camera, queued, 5s, ms);
    }
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rounds = 15;
    int commands = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--commands") == 0) {
            commands = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    PanelRig rig({1}, {{"down", "10.77.0.2", false},
                       {"viscacam", "10.77.0.3", true},
                       {"healthy", "10.77.0.4", false}});
    if (!rig.ready()) {
        std::fprintf(stderr, "%s\n", rig.why().c_str());
        return 1;
    }
    // The main screen's part: every unreachable message is confirmed at once.
    QObject::connect(&rig.panel(), &mainControl::cameraConnectState,
                     [&rig](int, const QString&, int) { rig.panel().setRobin(true); });
    rig.panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    rig.panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    rig.panel().setCameraNetworkManual(10, "10.77.0.4", protocolHcip);
    VirtualCamera& down = rig.networkCamera("down");
    VirtualCamera& visca = rig.networkCamera("viscacam");
    VirtualCamera& healthy = rig.networkCamera("healthy");
    visca.command("sequence check on");
    std::mt19937 random(710);

    std::printf("reconnectBench: %d rounds per camera, %d commands per latency set\n", rounds,
                commands);
    std::printf("coming back (from the camera's return to its first command):\n");
    print("HCIP camera, reboot 0.3-3 s, command waiting",
          spreadOf(hcipComeback(down, 9, rounds, random)));
    print("VISCA over IP camera, reboot 0.3-1.5 s, next command",
          spreadOf(viscaComeback(visca, 10, rounds, random)));

    std::printf("healthy HCIP camera 11, queue to arrival:\n");
    currentStatusOnScreen = 11;
    const spread up = spreadOf(latency(healthy, 11, commands, random));
    print("all cameras up (baseline)", up);
    // Camera 9 stays away (the panel tries it again in the background) and is the on-screen
    // camera; camera 10 lost its cable.
    down.command("reboot 600000");
    visca.command("cable pull");
    currentStatusOnScreen = 9;
    waitUntil([] { return cameraLinkDown[8].load(); }, 5s);
    const spread withDown = spreadOf(latency(healthy, 11, commands, random));
    print("cameras 9 (rebooting) and 10 (cable pulled) down", withDown);
    std::printf("  ratio down/up: median %.2f  p99 %.2f\n",
                up.median > 0 ? withDown.median / up.median : 0.0,
                up.p99 > 0 ? withDown.p99 / up.p99 : 0.0);
    return 0;
}
