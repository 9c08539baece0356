// Round trip of the two MCU exchanges over a pseudo-terminal against a virtual MCU that answers
// at once and after 2 ms, with the exchange sleeping its waits out in fixed steps and waiting on
// the line, side by side, each set beside the bare pseudo-terminal round trip of the same frames
// (write, wait for the whole answer) measured in the same run. Also the CPU time the status
// exchange costs per second of looping.
//
// usage: mcuExchangeBench [--status N] [--command N]   (defaults 2000 and 200)
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

struct ModeFigures {
    Figures status;
    Figures command;
    double cpuShare;
    double statusPerSecond;
};

ModeFigures measureMode(mcu::WaitMode mode, LibSerial::SerialStream& line, int statusCount,
                        int commandCount, int& failures) {
    mcu::setExchangeWaitMode(mode);
    const mcuCommunicate protocol;
    const std::string statusFrame = protocol.updateKeyBoardStatus(genKeyInitialedTable());
    const std::string versionFrame = protocol.askVersion();
    ModeFigures figures{};
    const double cpuBefore = cpuSeconds();
    const auto wallBefore = Clock::now();
    figures.status = summarise(timeEach(
        statusCount,
        [&] {
            bool isSync = false;
            return protocol.getHardwareStatus(sendStatusCommandtoMcu(statusFrame, line), isSync)
                       .joyStickX == 2603;
        },
        failures));
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    figures.cpuShare = (cpuSeconds() - cpuBefore) / wall;
    figures.statusPerSecond = statusCount / wall;
    figures.command = summarise(timeEach(
        commandCount,
        [&] {
            bool isSync = false;
            int major = -1;
            return protocol.versionNumber(sendCommandtoMcu(versionFrame, line), isSync, major) == 7;
        },
        failures));
    return figures;
}

void printFigures(const char* name, const Figures& f, double floorUs) {
    std::printf("  %-26s median %9.1f us  p99 %9.1f us  x%.2f of the floor (%.1f us)\n", name,
                f.medianUs, f.p99Us, f.medianUs / floorUs, floorUs);
}

}  // namespace

int main(int argc, char** argv) {
    int statusCount = 2000;
    int commandCount = 200;
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

    std::printf("MCU exchanges over a pseudo-terminal against the virtual MCU\n");
    std::printf(
        "floor: the bare pty round trip of the same frames measured just before (write,\n"
        "read until the whole answer is there), which includes the MCU's answer delay\n");
    for (const int delayMs : {0, 2}) {
        mcu.command("fault delay " + std::to_string(delayMs));
        const Figures rawStatus = summarise(timeEach(
            statusCount, [&] { return rawRoundTrip(fd, statusFrame, 24); }, failures));
        const Figures rawCommand = summarise(timeEach(
            commandCount, [&] { return rawRoundTrip(fd, versionFrame, 8); }, failures));
        std::printf(
            "\nMCU answering after %d ms: bare round trip status median %.1f us p99 %.1f "
            "us, version median %.1f us p99 %.1f us\n",
            delayMs, rawStatus.medianUs, rawStatus.p99Us, rawCommand.medianUs, rawCommand.p99Us);
        for (const mcu::WaitMode mode : {mcu::WaitMode::fixedSteps, mcu::WaitMode::onLine}) {
            const ModeFigures f = measureMode(mode, line, statusCount, commandCount, failures);
            std::printf(" %s\n", mode == mcu::WaitMode::fixedSteps
                                     ? "fixed steps (sleep every wait out)"
                                     : "on the line (every wait an upper bound)");
            printFigures("status exchange (0x81)", f.status, rawStatus.medianUs);
            printFigures("command exchange (0x80)", f.command, rawCommand.medianUs);
            std::printf(
                "  %-26s %.1f %% of one core at %.0f status exchanges/s, %.1f us of CPU "
                "each\n",
                "looping status exchanges", f.cpuShare * 100, f.statusPerSecond,
                f.cpuShare * 1e6 / f.statusPerSecond);
        }
    }
    std::printf(
        "\nstatus: the onLine exchange ends once the line has been quiet for 88 us after "
        "the last byte,\nso its floor plus 88 us is the least it can take.\n");
    std::printf("line time a 115200-baud line adds: status %.0f us, version %.0f us\n",
                lineTimeUs(24, 24), lineTimeUs(7, 8));
    std::printf("failed exchanges: %d\n", failures);
    mcu::setExchangeWaitMode(mcu::WaitMode::onLine);
    setLinkLogSink({});
    return failures == 0 ? 0 : 1;
}
