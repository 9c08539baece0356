// linkDaemon: the headless program of the older panel. It owns the panel MCU on "/dev/ttymxc1",
// lends the panel's controls to network clients over TCP (control port 7000, pool ports 7001 to
// 7006), answers the UDP configuration protocol, echoes its second serial port "/dev/ttymxc2",
// and updates itself and the MCU firmware from a USB stick on a client's request.
//
// "linkDaemon -v" prints the version and ends; any other command line starts the daemon.
// Environment: ZEK_ROOT and ZEK_SIMULATION as for every program of the system;
// ZEK_LINK_CLIENT_IDLE (seconds) replaces the time after which a silent client on a pool port is
// disconnected (120 s).
#include <signal.h>
#include <strings.h>

#include <fmt/format.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "daemonMessages.h"
#include "hardwareLink.h"
#include "hcipService.h"
#include "linkLog.h"
#include "linkServer.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "networkConfig.h"
#include "pathResolver.h"
#include "stateEncoding.h"

namespace {

std::atomic<bool> g_stop{false};

constexpr std::chrono::seconds kVersionWait{10};

void onStopSignal(int) {
    g_stop = true;
}

void say(const std::string& text) {
    linkLog("zek.daemon", text);
}

linkServerLimits limitsFromEnvironment() {
    linkServerLimits limits;
    if (const char* idle = std::getenv("ZEK_LINK_CLIENT_IDLE")) {
        const long seconds = std::strtol(idle, nullptr, 10);
        if (seconds > 0) {
            limits.poolIdleLimit = std::chrono::seconds(seconds);
        }
    }
    return limits;
}

// "ZEK_REMOTE_SETUP" from the unit's environment file: "locked" keeps the network's
// configuration tools from changing this panel's network setup, "allowed" (or nothing) lets them.
// A value that is neither locks: whoever wrote it meant to say something about the lock.
bool remoteSetupLockedByEnvironment() {
    const char* value = std::getenv("ZEK_REMOTE_SETUP");
    if (value == nullptr || *value == '\0' || strcasecmp(value, "allowed") == 0) {
        return false;
    }
    if (strcasecmp(value, "locked") != 0) {
        say(
            fmt::format("ZEK_REMOTE_SETUP=\"{:.40}\" is neither locked nor allowed: remote setup "
                        "locked",
                        value));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "-v") == 0) {
        std::printf("current Version:%03d.%03d\n", daemonmsg::kDaemonMajor,
                    daemonmsg::kDaemonMinor);
        return 0;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    setLinkProgram(LinkProgram::daemon);
    say(fmt::format("current Version: {:03d}.{:03d}\n", daemonmsg::kDaemonMajor,
                    daemonmsg::kDaemonMinor));
    {
        std::string hostName, address, netmask, gateway, dns1, dns2;
        // The reader looks the file up below the root itself.
        readNetWorkConfigs(netconfig::kServiceFile, hostName, address, netmask, gateway, dns1,
                           dns2);
    }

    static LibSerial::SerialStream mcuLine;
    if (!openMcuLine(mcuLine, platform::resolvePath("/dev/ttymxc1"))) {
        say("com port ttymxc1 open fail, please Check parameters!\n");
        return -1;
    }
    say("wait pc uart ...\n");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    say("wait pc uart done\n");

    // An MCU left in its loader by an interrupted upgrade never answers the version question.
    // The daemon serves all the same after a while, with the version unknown, so that a client
    // can flash the MCU again over the network.
    const mcuCommunicate protocol;
    std::string versionAnswer;
    const auto versionDeadline = std::chrono::steady_clock::now() + kVersionWait;
    while (versionAnswer.empty() && std::chrono::steady_clock::now() < versionDeadline) {
        versionAnswer = sendCommandtoMcu(protocol.askVersion(), mcuLine);
    }
    if (versionAnswer.empty()) {
        say(
            fmt::format("the MCU did not tell its version within {} s (is it in its loader?): "
                        "serving with the MCU version unknown\n",
                        kVersionWait.count()));
    }

    hcipServiceProfile hcipProfile = daemonHcipProfile();
    const bool setupLocked = remoteSetupLockedByEnvironment();
    say(setupLocked ? "remote setup: locked" : "remote setup: allowed");
    hcipProfile.setupLock = std::make_shared<const std::atomic<bool>>(setupLocked);
    std::thread(udpHcipProcess, versionAnswer, std::string(), &mcuLine, std::move(hcipProfile),
                std::chrono::seconds(10))
        .detach();

    static LibSerial::SerialStream echoLine;
    if (!openMcuLine(echoLine, platform::resolvePath("/dev/ttymxc2"))) {
        say("com port ttymxc 2 open fail(output serial), please Check parameters!\n");
        return -1;
    }
    std::atomic<bool> echoStop{false};
    std::thread echo([&echoStop] { outputMsgToSerialUntil(echoLine, echoStop); });

    // The polling work item sends the LED map the clients last gave; it stays paused until a
    // client initialises the MCU.
    std::atomic<linkServer*> serverForPoll{nullptr};
    auto pollItem = makeHardwarePollItem(&mcuLine, [&serverForPoll] {
        const linkServer* server = serverForPoll.load();
        return server != nullptr ? server->ledMap() : genKeyInitialedTable();
    });
    std::thread pollThread = startWorkerThread(*pollItem);

    int status = 0;
    {
        linkServer server(mcuLine, versionAnswer, *pollItem, limitsFromEnvironment());
        serverForPoll = &server;
        if (!server.open()) {
            status = -1;
        } else {
            struct sigaction action {};
            action.sa_handler = onStopSignal;
            sigaction(SIGTERM, &action, nullptr);
            sigaction(SIGINT, &action, nullptr);
            status = server.run(g_stop);
        }
        pollItem->stop();
        serverForPoll = nullptr;
    }
    pollThread.join();
    echoStop = true;
    echo.join();
    // The configuration service runs on for the life of the process: the daemon ends here, before
    // the objects it uses are torn down under it.
    std::fflush(stdout);
    std::_Exit(status == 0 ? 0 : 255);
}
