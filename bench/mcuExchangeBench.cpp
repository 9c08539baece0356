// Round trip of the two MCU exchanges over a pseudo-terminal against a virtual MCU that answers
// at once, set beside
//   - the waits the exchange itself is made of (sleeps between polls and bytes),
//   - the bare pseudo-terminal round trip of the same frames (write, wait for the whole answer),
//   - the line time a real 115200-baud line would add (10 bits per byte, both directions).
// Also the CPU time the status exchange costs per second of looping.
//
// usage: mcuExchangeBench [--status N] [--command N]   (defaults 2000 and 1000)
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "linkLog.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "simProcess.h"
#include "stateEncoding.h"
#include "tempRoot.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double medianUs;
    double p99Us;
    double meanUs;
};

Figures summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double s : samples) {
        sum += s;
    }
    const auto at = [&samples](double q) {
        return samples[std::min(samples.size() - 1, static_cast<std::size_t>(q * samples.size()))];
    };
    return {at(0.5), at(0.99), sum / samples.size()};
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<double> timeEach(int count, const std::function<bool()>& exchange, int& failures) {
    std::vector<double> samples;
    samples.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        if (!exchange()) {
            ++failures;
        }
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return samples;
}

// The bare round trip: write the frame, then read until the expected answer length is there.
bool rawRoundTrip(int fd, const std::string& frame, std::size_t answerLength) {
    if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
        return false;
    }
    std::size_t got = 0;
    char buffer[256];
    while (got < answerLength) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0) {
            return false;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

double lineTimeUs(std::size_t requestBytes, std::size_t answerBytes) {
    return (requestBytes + answerBytes) * 10 * 1e6 / 115200.0;
}

void printRow(const char* name, const Figures& f, double floorUs, const char* floorName) {
    std::printf("%-34s median %9.1f us  p99 %9.1f us  mean %9.1f us  x%.2f of %s\n", name,
                f.medianUs, f.p99Us, f.meanUs, f.medianUs / floorUs, floorName);
}

}  // namespace

int main(int argc, char** argv) {
    int statusCount = 2000;
    int commandCount = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--status") == 0) {
            statusCount = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--command") == 0) {
            commandCount = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    setLinkProgram(LinkProgram::panel);
    setLinkLogSink([](const char*, const std::string&) {});

    TempRoot root;
    VirtualMcu mcu(root.path());
    LibSerial::SerialStream line;
    if (!mcu.started() || !openMcuLine(line, mcu.linePath())) {
        std::fprintf(stderr, "cannot start the virtual MCU\n");
        return 1;
    }
    mcu.command("press 12");
    mcu.command("joy x 2603 1");

    const mcuCommunicate protocol;
    const std::string statusFrame = protocol.updateKeyBoardStatus(genKeyInitialedTable());
    const std::string versionFrame = protocol.askVersion();
    const int fd = line.GetFileDescriptor();

    int failures = 0;
    const Figures rawStatus = summarise(timeEach(
        statusCount, [&] { return rawRoundTrip(fd, statusFrame, 24); }, failures));

    const double cpuBefore = cpuSeconds();
    const auto wallBefore = Clock::now();
    const Figures status = summarise(timeEach(
        statusCount,
        [&] {
            bool isSync = false;
            return protocol.getHardwareStatus(sendStatusCommandtoMcu(statusFrame, line), isSync)
                       .joyStickX == 2603;
        },
        failures));
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double cpuShare = (cpuSeconds() - cpuBefore) / wall;

    const Figures rawCommand = summarise(timeEach(
        std::min(commandCount, 2000), [&] { return rawRoundTrip(fd, versionFrame, 8); }, failures));
    const Figures command = summarise(timeEach(
        commandCount,
        [&] {
            bool isSync = false;
            int major = -1;
            return protocol.versionNumber(sendCommandtoMcu(versionFrame, line), isSync, major) == 7;
        },
        failures));

    // Waits the exchanges are made of when the answer is already there: status: 100 us after
    // the sync pair and 88 us after each of the 20 bytes after type and length; command: 100 ms
    // after writing and 100 us after the sync pair.
    const double statusWaitsUs = 100 + 20 * 88;
    const double commandWaitsUs = 100000 + 100;

    std::printf("MCU exchanges over a pseudo-terminal, virtual MCU answering at once\n");
    std::printf("status exchanges: %d, command exchanges: %d, failed: %d\n\n", statusCount,
                commandCount, failures);
    printRow("bare pty round trip, status frame", rawStatus, rawStatus.medianUs, "itself");
    printRow("status exchange (0x81)", status, statusWaitsUs, "its mandated waits");
    std::printf("%-34s %.1f us over the mandated waits; x%.2f of the bare pty round trip\n", "",
                status.medianUs - statusWaitsUs, status.medianUs / rawStatus.medianUs);
    printRow("bare pty round trip, version frame", rawCommand, rawCommand.medianUs, "itself");
    printRow("command exchange (0x80)", command, commandWaitsUs, "its mandated waits");
    std::printf("%-34s %.1f us over the mandated waits\n", "", command.medianUs - commandWaitsUs);
    std::printf("\nline time a 115200-baud line adds: status %.0f us, version %.0f us\n",
                lineTimeUs(24, 24), lineTimeUs(7, 8));
    std::printf("CPU while looping status exchanges: %.1f%% of one core (%.0f exchanges/s)\n",
                cpuShare * 100, statusCount / wall);
    setLinkLogSink({});
    return failures == 0 ? 0 : 1;
}
