// The automation interface under load, and what it costs the panel. In one run:
// - event latency: a camera key released on the virtual MCU to its "selection" event read by a
//   client of the event stream (the same monotonic clock on both sides);
// - GET /api/v1/state from 20 clients at once, each on a keep-alive connection from an address of
//   its own, as fast as each can: answers per second, and how many the per-client rate refused;
// - the panel's key-to-camera latency (PST keys to the VISCA recall at a serial camera) and the
//   GUI thread's stalls (lateness of a 5 ms timer), each without the load and with it.
// The interface publishes the panel's state every 20 ms: that period is the floor of the event
// latency beside the key loop's pass.
//
//   scripts/netns-run.sh build/bench/automationBench [--presses N] [--seconds S]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "benchSupport.h"
#include "panelRig.h"
#include "panelState.h"
#include "presetKeys.h"

namespace {

constexpr int kLoadClients = 20;

// A keep-alive connection from `source` to the panel's interface.
int connectFrom(const std::string& source) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(8710);
    ::inet_pton(AF_INET, "10.77.0.1", &to.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One GET on a keep-alive connection: its status; 0 when the connection failed, -1 when the
// server had closed it before the request (its keep-alive ended): the client connects again.
int getOnce(int fd, const std::string& request, std::string& buffer) {
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return 0;
    }
    buffer.clear();
    char chunk[16384];
    for (;;) {
        const std::size_t headerEnd = buffer.find("\r\n\r\n");
        if (headerEnd != std::string::npos) {
            const std::size_t at = buffer.find("Content-Length: ");
            const std::size_t length =
                at == std::string::npos ? 0 : std::strtoul(buffer.c_str() + at + 16, nullptr, 10);
            if (buffer.size() >= headerEnd + 4 + length) {
                return std::atoi(buffer.c_str() + 9);
            }
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1) {
            return 0;
        }
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) {
            return buffer.empty() ? -1 : 0;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

struct load {
    std::atomic<bool> run{true};
    std::atomic<long> served{0};
    std::atomic<long> refused{0};
    std::atomic<long> failed{0};
    std::atomic<long> reconnects{0};
    std::vector<std::thread> clients;

    void start(const std::string& token) {
        for (int i = 0; i < kLoadClients; ++i) {
            clients.emplace_back([this, i, token] {
                const std::string request =
                    "GET /api/v1/state HTTP/1.1\r\nHost: panel\r\n"
                    "Authorization: Bearer " +
                    token + "\r\n\r\n";
                std::string buffer;
                int fd = -1;
                while (run) {
                    if (fd < 0) {
                        fd = connectFrom("10.77.1." + std::to_string(i + 1));
                    }
                    const int status = fd < 0 ? 0 : getOnce(fd, request, buffer);
                    if (status == 200) {
                        ++served;
                    } else if (status == 429) {
                        ++refused;
                    } else if (status == -1) {
                        ::close(fd);
                        fd = -1;
                        ++reconnects;
                    } else {
                        ++failed;
                        if (fd >= 0) {
                            ::close(fd);
                        }
                        fd = -1;
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    }
                }
                if (fd >= 0) {
                    ::close(fd);
                }
            });
        }
    }
    void stop() {
        run = false;
        for (std::thread& t : clients) {
            t.join();
        }
    }
};

// The event stream's client: the arrival time of each selection event.
struct eventReader {
    std::mutex mutex;
    std::vector<long long> selections;
    std::atomic<bool> run{true};
    std::thread thread;

    void start(const std::string& token) {
        thread = std::thread([this, token] {
            const int fd = connectFrom("10.77.1.30");
            if (fd < 0) {
                return;
            }
            const std::string request =
                "GET /api/v1/events HTTP/1.1\r\nHost: panel\r\n"
                "Authorization: Bearer " +
                token + "\r\n\r\n";
            if (::write(fd, request.data(), request.size()) < 0) {
                ::close(fd);
                return;
            }
            std::string text;
            char chunk[8192];
            while (run) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 100) != 1) {
                    continue;
                }
                const ssize_t n = ::read(fd, chunk, sizeof chunk);
                if (n <= 0) {
                    break;
                }
                const long long at = nowNs();
                text.append(chunk, static_cast<std::size_t>(n));
                std::size_t found;
                while ((found = text.find("event: selection")) != std::string::npos) {
                    std::lock_guard<std::mutex> lock(mutex);
                    selections.push_back(at);
                    text.erase(0, found + 16);
                }
                if (text.size() > 65536) {
                    text.erase(0, text.size() - 1024);
                }
            }
            ::close(fd);
        });
    }
    std::size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return selections.size();
    }
    void stop() {
        run = false;
        thread.join();
    }
};

// Lateness of a 5 ms timer on the GUI thread.
struct stallProbe {
    QTimer timer;
    QElapsedTimer clock;
    std::vector<double> lateMs;
    stallProbe() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            lateMs.push_back(std::max(0.0, clock.nsecsElapsed() / 1e6 - 5.0));
            clock.restart();
        });
    }
    void start() {
        lateMs.clear();
        clock.start();
        timer.start();
    }
    std::vector<double> stop() {
        timer.stop();
        return lateMs;
    }
};

void press(PanelRig& rig, int key) {
    rig.mcu().command("press " + std::to_string(key));
    waitUntil([] { return false; }, std::chrono::milliseconds(60));
}

struct figures {
    spread keyToCamera;
    spread event;
    spread stall;
    double stallMax = 0;
};

figures measure(PanelRig& rig, eventReader& events, int presses) {
    stallProbe probe;
    probe.start();
    const std::vector<double> keyMs = presetLatency(rig, rig.serialCamera(1), presses);
    // Camera keys 2 and 1 in turn: each release is one selection event.
    std::vector<double> eventMs;
    for (int i = 0; i < presses; ++i) {
        const int key = i % 2 == 0 ? 22 : 21;
        press(rig, key);
        const std::size_t before = events.count();
        const long long at = nowNs();
        rig.mcu().command("release " + std::to_string(key));
        if (waitUntil([&] { return events.count() > before; }, std::chrono::seconds(2))) {
            std::lock_guard<std::mutex> lock(events.mutex);
            eventMs.push_back((events.selections[before] - at) / 1e6);
        }
        // A pause of no fixed length, so that the releases fall anywhere in the 20 ms between
        // two publications.
        waitUntil([] { return false; }, std::chrono::milliseconds(40 + std::rand() % 23));
    }
    const std::vector<double> stalls = probe.stop();
    figures f{spreadOf(keyMs), spreadOf(eventMs), spreadOf(stalls), 0};
    for (double s : stalls) {
        f.stallMax = std::max(f.stallMax, s);
    }
    return f;
}

void print(const char* what, const figures& f) {
    std::printf("  %-22s key to camera  median %5.1f ms  p99 %5.1f ms\n", what,
                f.keyToCamera.median, f.keyToCamera.p99);
    std::printf("  %-22s key to event   median %5.1f ms  p99 %5.1f ms\n", "", f.event.median,
                f.event.p99);
    std::printf("  %-22s GUI thread late median %4.2f ms  p99 %5.2f ms  max %5.1f ms\n", "",
                f.stall.median, f.stall.p99, f.stallMax);
}

}  // namespace

int main(int argc, char** argv) {
    int presses = 100;
    int seconds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--presses") == 0) {
            presses = std::max(10, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    QCoreApplication app(argc, argv);
    PanelRig rig({1}, {});
    if (!rig.ready()) {
        std::fprintf(stderr, "%s\n", rig.why().c_str());
        return 1;
    }
    // The clients' own addresses, on this namespace's loop-back device (added once the panel
    // has chosen its own).
    for (int i = 1; i <= 30; ++i) {
        const std::string add = "ip addr add 10.77.1." + std::to_string(i) + "/32 dev lo";
        if (std::system(add.c_str()) != 0) {
            std::fprintf(stderr, "cannot add the client addresses (run in scripts/netns-run.sh)\n");
            return 1;
        }
    }
    rig.panel().setAutomationEnabled(true);
    const std::string token = rig.panel().newAutomationToken(false).toStdString();
    if (!waitUntil([&] { return !rig.panel().getAutomationAddress().isEmpty(); },
                   std::chrono::seconds(10))) {
        std::fprintf(stderr, "the automation interface does not listen\n");
        return 1;
    }
    eventReader events;
    events.start(token);
    waitUntil([] { return false; }, std::chrono::milliseconds(300));

    std::printf("Automation interface at %s; the state is published every 20 ms\n",
                rig.panel().getAutomationAddress().toStdString().c_str());
    const figures quiet = measure(rig, events, presses);
    print("without load", quiet);

    load hammer;
    hammer.start(token);
    const auto loadStart = std::chrono::steady_clock::now();
    const figures loaded = measure(rig, events, presses);
    // Throughput over at least `seconds`.
    waitUntil(
        [&] {
            return std::chrono::steady_clock::now() - loadStart >= std::chrono::seconds(seconds);
        },
        std::chrono::seconds(seconds + 1));
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    hammer.stop();
    print("with 20 clients", loaded);
    std::printf(
        "  GET /api/v1/state, 20 keep-alive clients: %.0f answers/s (200), %.0f/s refused "
        "by the per-client rate (429), %ld failed, %ld connections ended by the server's "
        "keep-alive limit, over %.1f s\n",
        hammer.served / elapsed, hammer.refused / elapsed, hammer.failed.load(),
        hammer.reconnects.load(), elapsed);
    std::printf(
        "  change with the load: key to camera p99 %+.0f %%, median %+.0f %%; GUI thread "
        "late p99 %+.2f ms\n",
        100.0 * (loaded.keyToCamera.p99 / quiet.keyToCamera.p99 - 1),
        100.0 * (loaded.keyToCamera.median / quiet.keyToCamera.median - 1),
        loaded.stall.p99 - quiet.stall.p99);
    events.stop();
    rig.panel().setAutomationEnabled(false);
    return 0;
}
