// Tally latency: from a cut on the virtual switcher to the lamp command at the virtual camera
// (a serial camera and a network one), from a contact input in the GPIO file to the camera, and
// how long tally takes to come back after the switcher restarts; and the GUI thread's duty cycle
// (the share of time it spends handling events) while the switcher reports every channel in every
// answer and the program cuts ten times a second, beside the same with the switcher quiet.
//
// Each is set beside the mean wait the panel's own pacing makes, measured in the same run:
//   switcher: half a poll cycle (the mean wait for the next poll) plus the 88 ms pause between
//             reading an answer and reading its records;
//   contacts: half a scan of the twelve inputs (12 x 77 ms) plus half the 333 ms sender period.
//
// Runs inside the test namespaces: scripts/netns-run.sh build/bench/tallyBench [--cuts N]
#include <QCoreApplication>
#include <QSettings>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "benchSupport.h"
#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"
#include "virtualSwitcherProcess.h"

namespace {

const PanelRig::NetworkCamera kNetworkCamera = {"net", "10.77.0.20", false, "Cam-Net",
                                                "02:A4:5C:07:00:20"};
const std::string kRedOn = "81017e010a000203";
const std::string kGreenOn = "81017e010a000302";

void report(const char* what, const std::vector<double>& ms, double floorMs = 0,
            const char* floor = "") {
    const auto [median, p99] = spreadOf(ms);
    std::printf("  %-38s median %7.1f ms  p99 %7.1f ms  n=%zu", what, median, p99, ms.size());
    if (floorMs > 0) {
        std::printf("  (%.2f x %s %.0f ms)", median / floorMs, floor, floorMs);
    }
    std::printf("\n");
}

// Milliseconds from start to the first command with prefix that reached the camera after start;
// negative when none came within the limit.
double msToCommand(VirtualCamera& camera, const std::string& prefix, long long start,
                   std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    long long arrival = -1;
    waitUntil(
        [&] {
            for (const long long at : arrivalsOf(camera, prefix)) {
                if (at > start) {
                    arrival = at;
                    return true;
                }
            }
            return false;
        },
        limit);
    return arrival < 0 ? -1.0 : (arrival - start) / 1e6;
}

std::unique_ptr<PanelRig> panelWith(int mode, const std::vector<std::pair<int, int>>& mapping) {
    auto rig = std::make_unique<PanelRig>(
        std::vector<int>{1}, std::vector<PanelRig::NetworkCamera>{kNetworkCamera},
        [&](mainControl&) {
            currTallyMode = mode;
            QSettings& settings = zek710aSettings();
            settings.beginGroup("system");
            for (const auto& [channel, camera] : mapping) {
                settings.setValue(QStringLiteral("tallymap%1").arg(channel - 1), camera);
            }
            settings.endGroup();
        });
    if (!rig->ready()) {
        std::fprintf(stderr, "panel did not start: %s\n", rig->why().c_str());
        std::exit(1);
    }
    return rig;
}

long long polls(VirtualSwitcher& switcher) {
    for (const std::string& word : words(switcher.command("get state"))) {
        if (word.rfind("polls=", 0) == 0) {
            return std::stoll(word.substr(6));
        }
    }
    return 0;
}

void switcherRuns(int cuts) {
    VirtualSwitcher switcher(rigRoot().path(), "10.77.0.60", "MX5800", "02:A4:5C:07:00:60");
    if (!switcher.started()) {
        std::fprintf(stderr, "virtual switcher did not start\n");
        std::exit(1);
    }
    auto rig = panelWith(2, {{1, 1}, {2, 9}});
    VirtualCamera& serial = rig->serialCamera(1);
    VirtualCamera& network = rig->networkCamera(kNetworkCamera.name);
    waitUntil([&] { return polls(switcher) > 5; });

    std::mt19937 random(710);
    std::vector<double> serialMs;
    std::vector<double> networkMs;
    const long long pollsBefore = polls(switcher);
    const long long startNs = nowNs();
    for (int i = 0; i < cuts; ++i) {
        const bool toSerial = i % 2 == 0;
        waitUntil([] { return false; }, std::chrono::milliseconds(100 + random() % 200));
        const long long cutNs = nowNs();
        switcher.command(toSerial ? "program 1" : "program 2");
        const double ms = msToCommand(toSerial ? serial : network, kRedOn, cutNs);
        if (ms >= 0) {
            (toSerial ? serialMs : networkMs).push_back(ms);
        }
    }
    const double cycleMs = (nowNs() - startNs) / 1e6 /
                           static_cast<double>(std::max(1LL, polls(switcher) - pollsBefore));
    std::printf("switcher poll cycle %.1f ms (88 ms pause + the answer)\n", cycleMs);
    const double floorMs = cycleMs / 2 + 88;
    report("cut -> serial camera 1 lamp", serialMs, floorMs, "mean wait");
    report("cut -> network camera 9 lamp", networkMs, floorMs, "mean wait");

    // Restarts: lamps off while the switcher is gone, back once it listens again.
    std::vector<double> offMs;
    std::vector<double> resumeMs;
    for (int i = 0; i < 5; ++i) {
        switcher.command("program 1");
        msToCommand(serial, kRedOn, nowNs() - 5'000'000'000LL);
        const long long restartNs = nowNs();
        switcher.command("restart 1000");
        const double off = msToCommand(serial, "81017e010a000303", restartNs);
        const double back = msToCommand(serial, kRedOn, restartNs + 1'000'000'000LL);
        if (off >= 0) {
            offMs.push_back(off);
        }
        if (back >= 0) {
            resumeMs.push_back(back);
        }
    }
    // The panel retries 500 ms after the drop, then 1000 ms later: with a 1000 ms restart the
    // second try is the first that can succeed.
    report("switcher restart -> lamps off", offMs);
    report("switcher back -> lamp lit again", resumeMs);
}

// The application whose GUI thread is measured: the time spent delivering events (timers, socket
// reads, queued signals), outermost deliveries only, sleeps in handlers included.
class timedApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        // Worker threads deliver their events through here too; only the GUI thread's count.
        if (QThread::currentThread() != thread() || depth_++ > 0) {
            const bool handled = QCoreApplication::notify(receiver, event);
            if (QThread::currentThread() == thread()) {
                --depth_;
            }
            return handled;
        }
        const long long start = nowNs();
        const bool handled = QCoreApplication::notify(receiver, event);
        busyNs += nowNs() - start;
        --depth_;
        return handled;
    }
    long long busyNs = 0;

private:
    int depth_ = 0;
};

timedApplication* application = nullptr;

// The GUI thread's duty cycle over the window, with cut (if given) run every 100 ms.
double guiDuty(std::chrono::seconds window, const std::function<void(int)>& cut) {
    const long long busyBefore = application->busyNs;
    const long long startNs = nowNs();
    for (int i = 0; nowNs() - startNs < std::chrono::nanoseconds(window).count(); ++i) {
        if (cut) {
            cut(i);
        }
        waitUntil([] { return false; }, std::chrono::milliseconds(100));
    }
    return static_cast<double>(application->busyNs - busyBefore) /
           static_cast<double>(nowNs() - startNs);
}

void guiDutyRuns(int rounds) {
    VirtualSwitcher switcher(rigRoot().path(), "10.77.0.60", "MX5800", "02:A4:5C:07:00:60");
    if (!switcher.started()) {
        std::fprintf(stderr, "virtual switcher did not start\n");
        std::exit(1);
    }
    auto rig = panelWith(2, {{1, 1}, {2, 9}});
    waitUntil([&] { return polls(switcher) > 5; });
    std::vector<double> quiet;
    std::vector<double> flowing;
    for (int round = 0; round < rounds; ++round) {
        switcher.command("mode changes");
        quiet.push_back(100 * guiDuty(std::chrono::seconds(3), nullptr));
        // Every answer carries all twelve channels: twelve records each poll.
        switcher.command("mode all");
        flowing.push_back(100 * guiDuty(std::chrono::seconds(3), [&](int i) {
                              switcher.command(i % 2 == 0 ? "program 1" : "program 2");
                          }));
    }
    const auto [quietMedian, quietP99] = spreadOf(quiet);
    const auto [flowMedian, flowP99] = spreadOf(flowing);
    std::printf("  %-38s median %6.2f %%  p99 %6.2f %%  n=%zu (3 s windows)\n",
                "GUI thread, switcher quiet", quietMedian, quietP99, quiet.size());
    std::printf("  %-38s median %6.2f %%  p99 %6.2f %%  (%.2f x quiet)\n",
                "GUI thread, 12 records a poll, 10 cuts/s", flowMedian, flowP99,
                flowMedian / std::max(quietMedian, 0.01));
}

void contactRuns(int toggles) {
    const std::string gpioPath = rigRoot().path() + "/dev/gpiomem";
    const int fd = ::open(gpioPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::vector<char> block(4096, 0);
    if (fd < 0 || ::write(fd, block.data(), block.size()) != 4096) {
        std::fprintf(stderr, "no GPIO file\n");
        std::exit(1);
    }
    auto rig = panelWith(1, {{1, 1}, {2, 9}});
    std::mt19937 random(4);
    std::vector<double> serialMs;
    std::vector<double> networkMs;
    std::uint32_t levels = 0;
    for (int i = 0; i < toggles; ++i) {
        const bool serial = i % 2 == 0;
        const std::uint32_t bit = 1u << (serial ? 20 : 21);  // red of channel 1 or 2
        waitUntil([] { return false; }, std::chrono::milliseconds(1200 + random() % 900));
        levels ^= bit;
        const bool high = (levels & bit) != 0;
        const long long changeNs = nowNs();
        if (::pwrite(fd, &levels, sizeof levels, 13 * 4) != 4) {
            std::exit(1);
        }
        VirtualCamera& camera = serial ? rig->serialCamera(1) : rig->networkCamera("net");
        const double ms = msToCommand(camera, high ? kRedOn : "81017e010a000303", changeNs,
                                      std::chrono::seconds(5));
        if (ms >= 0) {
            (serial ? serialMs : networkMs).push_back(ms);
        }
    }
    ::close(fd);
    const double floorMs = 12 * 77 / 2.0 + 333 / 2.0;
    report("contact -> serial camera 1 lamp", serialMs, floorMs, "mean wait");
    report("contact -> network camera 9 lamp", networkMs, floorMs, "mean wait");
    rig.reset();
    ::unlink(gpioPath.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    timedApplication app(argc, argv);
    application = &app;
    int cuts = 40;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--cuts") == 0) {
            cuts = std::max(2, std::atoi(argv[i + 1]));
        }
    }
    switcherRuns(cuts);
    guiDutyRuns(std::max(3, cuts / 4));
    contactRuns(std::max(4, cuts / 2));
    return 0;
}
