// linkDaemon against the virtual MCU: the "UPDATESTATUS" round trip beside the MCU status
// exchange alone (measured first on the same line, before the daemon owns it); six clients
// polling at once; a 64 KiB firmware upgrade beside the time its bytes take on the 115200-baud
// wire; how long another client waits for "GET_VERSION" while the upgrade runs and while a
// program on the stick hangs, beside the same question with nothing else going on; and the
// daemon's CPU and memory while idle.
//
// Runs inside the test namespaces: scripts/netns-run.sh build/bench/daemonBench [--polls N]
// With ZEK_BENCH_WIRE=1 the virtual MCU sends its answers at the wire's pace (87 us a byte).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <libserial/SerialStream.h>

#include "benchSupport.h"
#include "linkDaemonProcess.h"
#include "linkLog.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "pseudoTerminal.h"
#include "tempRoot.h"

namespace {

const std::string kLedMap(20, '\x21');

std::vector<double> exchangeAlone(const std::string& line, int count) {
    LibSerial::SerialStream stream;
    std::vector<double> ms;
    if (!openMcuLine(stream, line)) {
        return ms;
    }
    const std::string frame = mcuCommunicate().updateKeyBoardStatus(kLedMap);
    int whole = 0;
    for (int i = 0; i < count; ++i) {
        const long long start = nowNs();
        const std::string answer = sendStatusCommandtoMcu(frame, stream);
        ms.push_back((nowNs() - start) / 1e6);
        whole += answer.size() == 24 ? 1 : 0;
    }
    std::printf("  (%d of %d exchanges brought a whole status answer)\n", whole, count);
    stream.Close();
    return ms;
}

// Asks for control, connects to the pool port given and sends its first message.
std::unique_ptr<daemonConnection> poolClient() {
    daemonConnection control(7000);
    const std::string answer = control.ask("ASKFORCONTROL", 7);
    if (answer.size() < 7) {
        return nullptr;
    }
    auto pool = std::make_unique<daemonConnection>(static_cast<std::uint8_t>(answer[4]) * 100 +
                                                   static_cast<std::uint8_t>(answer[5]));
    return pool->open() ? std::move(pool) : nullptr;
}

// GET_VERSION round trips, one after the other, until stop is set (or count of them when given).
std::vector<double> versionRoundTrips(daemonConnection& client, const std::atomic<bool>& stop,
                                      int count = -1) {
    std::vector<double> ms;
    while (!stop.load() && count != 0) {
        const long long start = nowNs();
        if (client.ask("GET_VERSION", 20, std::chrono::seconds(60)).size() != 20) {
            break;
        }
        ms.push_back((nowNs() - start) / 1e6);
        if (count > 0) {
            --count;
        }
    }
    return ms;
}

void printWaits(const char* what, const std::vector<double>& ms) {
    if (ms.empty()) {
        std::printf("  %-46s no answer\n", what);
        return;
    }
    const spread s = spreadOf(ms);
    std::printf("  %-46s median %6.3f ms  p99 %6.3f ms  max %8.3f ms (%zu)\n", what, s.median,
                s.p99, *std::max_element(ms.begin(), ms.end()), ms.size());
}

std::vector<double> statusRoundTrips(daemonConnection& client, int count) {
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const long long start = nowNs();
        if (client.ask("UPDATESTATUS" + kLedMap, 24).size() != 24) {
            break;
        }
        ms.push_back((nowNs() - start) / 1e6);
    }
    return ms;
}

// utime + stime of a process in clock ticks, and its resident set in KiB.
long long cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    std::istringstream rest(close == std::string::npos ? "" : text.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int i = 3; rest >> field; ++i) {
        if (i == 14) {
            utime = std::stoll(field);
        } else if (i == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    int polls = 500;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--polls") == 0) {
            polls = std::max(20, std::atoi(argv[i + 1]));
        }
    }
    TempRoot root;
    SimProcess mcu;
    PseudoTerminal echoLine;
    std::string error;
    if (!mcu.start(ZEK_VIRTUAL_MCU_PATH,
                   {"--link", root / "dev/ttymxc1", "--control", root / "run/mcu.sock"}) ||
        !echoLine.open(root / "dev/ttymxc2", error)) {
        std::fprintf(stderr, "virtual MCU or echo line did not start %s\n", error.c_str());
        return 1;
    }

    // The exchange as the daemon runs it.
    setLinkProgram(LinkProgram::daemon);
    if (std::getenv("ZEK_BENCH_WIRE") != nullptr) {
        simCommand(root / "run/mcu.sock", "fault bytedelay 87");
    }
    setLinkLogSink([](const char*, const std::string&) {});
    const spread alone = spreadOf(exchangeAlone(root / "dev/ttymxc1", polls));
    LinkDaemonProcess daemon;
    if (!daemon.start(root.path())) {
        std::fprintf(stderr, "linkDaemon did not start\n");
        return 1;
    }
    std::printf("linkDaemon against the virtual MCU, %d polls each\n", polls);
    std::printf("  %-46s median %6.3f ms  p99 %6.3f ms\n", "MCU status exchange alone",
                alone.median, alone.p99);
    auto client = poolClient();
    if (!client) {
        std::fprintf(stderr, "no pool port\n");
        return 1;
    }
    // Every round trip is one status exchange at the MCU: the counts before and after say so.
    const std::string countsBefore = simCommand(root / "run/mcu.sock", "get counts");
    const spread round = spreadOf(statusRoundTrips(*client, polls));
    std::printf("  %-46s %s -> %s\n", "MCU frame counts around them", countsBefore.c_str(),
                simCommand(root / "run/mcu.sock", "get counts").c_str());
    std::printf("  %-46s median %6.3f ms  p99 %6.3f ms  (%.2f x the exchange)\n",
                "UPDATESTATUS round trip, one client", round.median, round.p99,
                round.median / alone.median);
    client.reset();

    // Six clients at once, each on its own pool port.
    std::vector<std::unique_ptr<daemonConnection>> six;
    for (int i = 0; i < 6; ++i) {
        six.push_back(poolClient());
        if (!six.back()) {
            std::fprintf(stderr, "pool port %d not given\n", i + 1);
            return 1;
        }
    }
    std::vector<std::vector<double>> perClient(6);
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) {
        threads.emplace_back([&, i] {
            perClient[static_cast<std::size_t>(i)] = statusRoundTrips(*six[i], polls / 2);
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (int i = 0; i < 6; ++i) {
        const std::vector<double>& samples = perClient[static_cast<std::size_t>(i)];
        if (samples.empty()) {
            std::printf("  client %d: no answers\n", i + 1);
            continue;
        }
        const spread f = spreadOf(samples);
        std::printf(
            "  six clients at once, client %d (%3zu polls)      median %6.3f ms  p99 %6.3f ms\n",
            i + 1, samples.size(), f.median, f.p99);
    }
    six.clear();

    // A 64 KiB image file: its 65520 image bytes go in 512 packs of at most 128.
    std::string image =
        std::string(11, '\0') + "\x09" + std::string(1, '\0') + "\x09" + std::string(2, '\0');
    for (int i = 0; i < 65520; ++i) {
        image += static_cast<char>((i * 31) & 0xFF);
    }
    root.writeFile("home/zek710/usb/zek710-firmware/mcu.bin", image);
    root.writeFile("home/zek710/software/current/.keep", "");
    // A second client asks GET_VERSION the whole time: how long the upgrade keeps it waiting.
    auto asker = poolClient();
    std::atomic<bool> never{false};
    const std::vector<double> quiet = versionRoundTrips(*asker, never, polls);
    printWaits("GET_VERSION, nothing else going on", quiet);
    std::atomic<bool> upgradeOver{false};
    std::vector<double> duringUpgrade;
    std::thread asking([&] { duringUpgrade = versionRoundTrips(*asker, upgradeOver); });
    auto upgrader = poolClient();
    if (!upgrader || upgrader->ask("STARTFWUPD", 5).size() != 5) {
        std::fprintf(stderr, "upgrade not started\n");
        upgradeOver = true;
        asking.join();
        return 1;
    }
    // Progress 0 arrives after the first pack, once the loader's 5 s start pause is over.
    const std::string first = upgrader->receive(15, std::chrono::seconds(30));
    const long long start = nowNs();
    std::string rest;
    while (rest.size() < 15 || static_cast<std::uint8_t>(rest[rest.size() - 1]) < 100) {
        const std::string more = upgrader->receive(15, std::chrono::seconds(30));
        if (more.empty()) {
            break;
        }
        rest += more;
    }
    const double transferMs = (nowNs() - start) / 1e6;
    // On the wire: each pack 133 bytes out and a 5-byte answer back, plus the repeated last pack
    // and the done exchange; 10 bits a byte at 115200 baud.
    const double wireBytes = 511.0 * 138 + 2 * (128 - 16 + 5 + 5) + 8 + 5;
    const double wireMs = wireBytes * 10 / 115200 * 1000;
    std::printf("  %-46s %8.1f ms after the start pause (%s)\n",
                "64 KiB upgrade, first pack to done", transferMs,
                rest.size() >= 15 && static_cast<std::uint8_t>(rest.back()) == 100 ? "confirmed"
                                                                                   : "NOT done");
    std::printf("  %-46s %8.1f ms at 115200 baud (%.2f x; the virtual line is faster than it)\n",
                "  the same bytes on the panel's wire", wireMs, transferMs / wireMs);
    (void)first;
    upgradeOver = true;
    asking.join();
    printWaits("GET_VERSION while the upgrade runs", duringUpgrade);
    upgrader.reset();

    // A program on the stick that hangs: the daemon asks it for "-v" and waits at most 5 s.
    root.writeFile("home/zek710/usb/zek710-firmware/linkDaemon",
                   "#!/bin/sh\nsleep 60\necho 'current Version:023.036'\n");
    ::chmod((root / "home/zek710/usb/zek710-firmware/linkDaemon").c_str(), 0755);
    auto stickAsker = poolClient();
    std::atomic<bool> stickAnswered{false};
    std::vector<double> duringStick;
    std::thread stickWaits([&] { duringStick = versionRoundTrips(*asker, stickAnswered); });
    const long long asked = nowNs();
    const std::string needAnswer = stickAsker->ask("NEEDFWUPD", 13, std::chrono::seconds(90));
    const double stickMs = (nowNs() - asked) / 1e6;
    stickAnswered = true;
    stickWaits.join();
    std::printf("  %-46s %8.1f ms (%s)\n", "NEEDFWUPD with a hanging stick program", stickMs,
                needAnswer.size() == 13 ? "answered" : "NOT answered");
    printWaits("GET_VERSION while the stick program hangs", duringStick);
    stickAsker.reset();
    asker.reset();

    // Idle: nobody connected, the polling item paused.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long long ticksBefore = cpuTicks(daemon.pid());
    const long long wallBefore = nowNs();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double cpuSeconds =
        static_cast<double>(cpuTicks(daemon.pid()) - ticksBefore) / sysconf(_SC_CLK_TCK);
    const double wallSeconds = (nowNs() - wallBefore) / 1e9;
    std::printf("  %-46s %6.2f %% CPU, %ld KiB resident\n", "idle daemon over 10 s",
                100.0 * cpuSeconds / wallSeconds, residentKiB(daemon.pid()));
    daemon.stop();
    return 0;
}
