// The configuration service across the namespace link: how fast it answers one request at a
// time, and how many requests a second it answers without losing one, with its CPU at that rate.
//
// Runs inside the test namespaces: scripts/netns-run.sh build/bench/hcipServiceBench
// The service serves port 5002 on the panel side (eth0, 10.77.0.1) as the programs run it; the
// tool's socket is made in the camera namespace (10.77.0.2). The floor is a bare UDP echo on the
// same link in the same run: the service's time is its round trip over the echo's.
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "benchSupport.h"
#include "hcipService.h"
#include "linkLog.h"

namespace {

constexpr int kEchoPort = 5003;
constexpr int kLatencyRounds = 5000;

// A UDP socket made in the camera namespace on an ephemeral port of any address there, so that it
// receives broadcast answers too. The thread that makes it enters that namespace; the socket
// keeps belonging to it afterwards.
int cameraSideSocket() {
    const char* ns = std::getenv("ZEK_CAMERA_NS");
    int made = -1;
    std::thread([&] {
        const int nsFd = ::open((std::string("/var/run/netns/") + ns).c_str(), O_RDONLY);
        if (nsFd < 0 || ::setns(nsFd, CLONE_NEWNET) != 0) {
            return;
        }
        ::close(nsFd);
        made = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        ::bind(made, reinterpret_cast<sockaddr*>(&local), sizeof local);
        const int buffer = 8 << 20;
        ::setsockopt(made, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    }).join();
    return made;
}

sockaddr_in panelAt(int port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    ::inet_pton(AF_INET, "10.77.0.1", &to.sin_addr);
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    return to;
}

bool waitReadable(int fd, int timeoutMs) {
    pollfd wait{fd, POLLIN, 0};
    return ::poll(&wait, 1, timeoutMs) == 1;
}

// Round trips of request to port, one at a time, in microseconds, sorted.
std::vector<double> roundTrips(int client, int port, const std::string& request) {
    const sockaddr_in to = panelAt(port);
    std::vector<double> times;
    char answer[2048];
    for (int i = 0; i < kLatencyRounds; ++i) {
        const long long start = nowNs();
        ::sendto(client, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
        if (!waitReadable(client, 1000)) {
            std::printf("  lost answer in round %d\n", i);
            continue;
        }
        ::recv(client, answer, sizeof answer, 0);
        times.push_back(static_cast<double>(nowNs() - start) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times;
}

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) {
        return 0;
    }
    return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(p * sorted.size()))];
}

void pinTo(pthread_t thread, int core) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    pthread_setaffinity_np(thread, sizeof set, &set);
}

void unpin(pthread_t thread, int cores) {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int core = 0; core < cores; ++core) {
        CPU_SET(core, &set);
    }
    pthread_setaffinity_np(thread, sizeof set, &set);
}

long long threadCpuNs(pthread_t thread) {
    clockid_t clock{};
    timespec used{};
    if (pthread_getcpuclockid(thread, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        return 0;
    }
    return used.tv_sec * 1000000000LL + used.tv_nsec;
}

struct rateResult {
    int sent = 0;
    int answered = 0;
    double cpuPercent = 0;
};

// Sends requests at rate per second for one second, a burst every millisecond, while a reader
// counts the answers.
rateResult sustain(int client, const std::string& request, int rate, pthread_t service) {
    const sockaddr_in to = panelAt(hcip::kServicePort);
    rateResult result;
    std::thread reader([&] {
        char answer[2048];
        while (waitReadable(client, 300)) {
            while (::recv(client, answer, sizeof answer, MSG_DONTWAIT) > 0) {
                ++result.answered;
            }
        }
    });
    const long long cpuBefore = threadCpuNs(service);
    const long long start = nowNs();
    const int perTick = rate / 1000;
    auto tick = std::chrono::steady_clock::now();
    for (int ms = 0; ms < 1000; ++ms) {
        for (int i = 0; i < perTick; ++i) {
            ::sendto(client, request.data(), request.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
            ++result.sent;
        }
        tick += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(tick);
    }
    const long long elapsed = nowNs() - start;
    reader.join();
    result.cpuPercent = 100.0 * static_cast<double>(threadCpuNs(service) - cpuBefore) /
                        static_cast<double>(elapsed);
    return result;
}

}  // namespace

int main() {
    if (std::getenv("ZEK_CAMERA_NS") == nullptr) {
        std::fprintf(stderr, "run through scripts/netns-run.sh\n");
        return 2;
    }
    setLinkLogSink([](const char*, const std::string&) {});

    // The service as the panel runs it, on its own thread; an event descriptor ends it.
    const int socket = createUDPSocket(hcip::kServicePort);
    const int stop = ::eventfd(0, EFD_CLOEXEC);
    // Broadcast answers leave through eth0, as the programs' service loop arranges.
    ::setsockopt(socket, SOL_SOCKET, SO_BINDTODEVICE, "eth0", 4);
    const auto system = makeSystemHcip(socket);
    hcipService service(panelHcipProfile({}), *system, "", getHCIPMacAddr(socket),
                        getNetMaskAddr(socket));
    std::thread serving([&] { serveHcipDatagrams(socket, service, stop); });

    // The floor: a bare echo on the same link.
    const int echo = createUDPSocket(kEchoPort);
    std::thread echoing([&] {
        char buffer[2048];
        pollfd waits[2] = {{echo, POLLIN, 0}, {stop, POLLIN, 0}};
        while (::poll(waits, 2, -1) > 0 && waits[1].revents == 0) {
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t got = ::recvfrom(echo, buffer, sizeof buffer, 0,
                                           reinterpret_cast<sockaddr*>(&from), &size);
            if (got > 0) {
                ::sendto(echo, buffer, static_cast<std::size_t>(got), 0,
                         reinterpret_cast<sockaddr*>(&from), size);
            }
        }
    });

    const int client = cameraSideSocket();
    if (client < 0) {
        std::fprintf(stderr, "cannot open a socket in the camera namespace\n");
        return 1;
    }
    const std::string version = std::string("\x00\x0F\x81\x01", 4) + "GET_VERSION";
    const std::string scan = std::string("\x00\x0B\x80\x00", 4) + "ETH_REQ";

    // The answering thread (echo or service) and the tool either share a core or sit on two;
    // on a virtual machine a wake-up across cores costs tens of microseconds, so each placement
    // is measured on its own, for the floor and the service alike.
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    for (const int answeringCore : {0, 1}) {
        if (answeringCore >= cores) {
            break;
        }
        pinTo(pthread_self(), 0);
        pinTo(serving.native_handle(), answeringCore);
        pinTo(echoing.native_handle(), answeringCore);
        std::printf(
            "one request at a time, %d rounds, %s (microseconds)\n", kLatencyRounds,
            answeringCore == 0 ? "tool and service on one core" : "tool and service on two cores");
        // Warm caches and the link before anything is timed.
        roundTrips(client, kEchoPort, version);
        roundTrips(client, hcip::kServicePort, version);
        roundTrips(client, hcip::kServicePort, scan);
        const std::vector<double> floor = roundTrips(client, kEchoPort, version);
        const std::vector<double> versions = roundTrips(client, hcip::kServicePort, version);
        // A scan is broadcast-class: its answer goes to 255.255.255.255 and reaches the tool.
        const std::vector<double> scans = roundTrips(client, hcip::kServicePort, scan);
        std::printf("  bare UDP echo (floor)  median %7.1f  p99 %7.1f\n", percentile(floor, 0.5),
                    percentile(floor, 0.99));
        std::printf("  version request        median %7.1f  p99 %7.1f  (x%.2f of the floor)\n",
                    percentile(versions, 0.5), percentile(versions, 0.99),
                    percentile(versions, 0.5) / percentile(floor, 0.5));
        std::printf("  scan (device info)     median %7.1f  p99 %7.1f  (x%.2f of the floor)\n",
                    percentile(scans, 0.5), percentile(scans, 0.99),
                    percentile(scans, 0.5) / percentile(floor, 0.5));
    }
    unpin(pthread_self(), cores);
    unpin(serving.native_handle(), cores);

    const std::pair<const char*, const std::string*> kinds[] = {{"version", &version},
                                                                {"scan", &scan}};
    for (const auto& [name, request] : kinds) {
        std::printf("sustained %s requests, one second each\n", name);
        for (const int rate : {1000, 10000, 20000, 40000}) {
            const rateResult r = sustain(client, *request, rate, serving.native_handle());
            std::printf("  %6d/s  sent %6d  answered %6d  lost %5d  service CPU %5.1f%%\n", rate,
                        r.sent, r.answered, r.sent - r.answered, r.cpuPercent);
        }
    }

    const std::uint64_t one = 1;
    (void)::write(stop, &one, sizeof one);
    serving.join();
    echoing.join();
    return 0;
}
