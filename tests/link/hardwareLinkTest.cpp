#include "hardwareLink.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "linkLog.h"
#include "mcuExchange.h"
#include "pseudoTerminal.h"
#include "stateEncoding.h"
#include "tempRoot.h"

namespace {

TEST(HardwareLink, WithoutALineTheSnapshotIsDefault) {
    hardwareState stale;
    stale.joyStickX = 99;
    g_HardwareState.set(stale);
    EXPECT_EQ(readHardwareState(nullptr, genKeyInitialedTable()), hardwareState{});
    readHardware(nullptr, genKeyInitialedTable());
    EXPECT_EQ(g_HardwareState.get(), hardwareState{});
}

TEST(EchoLoop, SendsEveryByteBackAndPrintsIt) {
    TempRoot root;
    PseudoTerminal port;
    std::string error;
    ASSERT_TRUE(port.open(root / "dev/ttymxc2", error)) << error;
    LibSerial::SerialStream stream;
    ASSERT_TRUE(openMcuLine(stream, root / "dev/ttymxc2"));

    std::vector<std::string> lines;
    std::mutex linesMutex;
    setLinkLogSink([&](const char*, const std::string& line) {
        std::lock_guard<std::mutex> lock(linesMutex);
        lines.push_back(line);
    });
    std::atomic<bool> stop{false};
    std::thread echo([&] { outputMsgToSerialUntil(stream, stop); });

    const std::string message("hello\x00\xFF", 7);
    ASSERT_TRUE(port.writeAll(message));
    std::string echoed;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (echoed.size() < message.size() && std::chrono::steady_clock::now() < deadline) {
        pollfd p{port.masterFd(), POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buffer[64];
            const ssize_t n = ::read(port.masterFd(), buffer, sizeof buffer);
            if (n > 0) {
                echoed.append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    stop = true;
    echo.join();
    setLinkLogSink({});
    EXPECT_EQ(echoed, message);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "serial port2 (output serial port) input [" + message + "]\n");
}

}  // namespace
