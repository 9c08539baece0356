// The loop-back cable as a program: its ports opened like the factory test opens them (raw, 38400
// baud 8N1), every byte value through each pair both ways, and a line that echoes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "simProcess.h"
#include "socketHelpers.h"
#include "spelledBytes.h"
#include "tempRoot.h"

namespace {

// The factory test's pattern shape: sync bytes and names, then every byte value once.
std::string pattern() {
    std::string out = bytes("55 AA 'VELMORA' 'ZEK-710A'");
    for (int i = 0; i < 256; ++i) {
        out += static_cast<char>(i);
    }
    return out;
}

int openPort(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return fd;
    }
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B38400);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

bool put(int fd, const std::string& data) {
    return ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

// What comes within a short watch (empty when nothing does).
std::string stray(int fd) {
    return readBytes(fd, 1 << 16, std::chrono::milliseconds(150));
}

TEST(LoopbackCableProgram, EveryPairCarriesEveryByteBothWays) {
    TempRoot root(false);
    const std::string control = root / "run/cable.sock";
    SimProcess cable;
    ASSERT_TRUE(
        cable.start(ZEK_LOOPBACK_CABLE_PATH, {"--root", root.path(), "--control", control}));
    const auto port = [&](int n) { return root / ("dev/ttyUSB" + std::to_string(n)); };
    const std::string data = pattern();
    for (int pair = 1; pair <= 4; ++pair) {
        SCOPED_TRACE("pair " + std::to_string(pair));
        Fd a(openPort(port(2 * pair - 2)));
        Fd b(openPort(port(2 * pair - 1)));
        ASSERT_GE(a.get(), 0);
        ASSERT_GE(b.get(), 0);
        ASSERT_TRUE(put(a.get(), data));
        EXPECT_EQ(hex(readBytes(b.get(), data.size())), hex(data));
        ASSERT_TRUE(put(b.get(), data));
        EXPECT_EQ(hex(readBytes(a.get(), data.size())), hex(data));
        // Nothing echoed, nothing added.
        EXPECT_EQ(hex(stray(a.get())), "");
        EXPECT_EQ(hex(stray(b.get())), "");
        const std::string p = std::to_string(pair);
        EXPECT_EQ(simCommand(control, "get " + p + " ab"), "bytes=273");
        EXPECT_EQ(simCommand(control, "get " + p + " ba"), "bytes=273");
    }

    // echo: what the cable delivers also comes back to the port that sent it, and only that.
    ASSERT_EQ(simCommand(control, "echo 1 ab"), "ok");
    Fd a(openPort(port(0)));
    Fd b(openPort(port(1)));
    ASSERT_TRUE(put(a.get(), bytes("55 AA 01")));
    EXPECT_EQ(hex(readBytes(b.get(), 3)), "55 AA 01");
    EXPECT_EQ(hex(readBytes(a.get(), 3)), "55 AA 01");
    EXPECT_EQ(hex(stray(a.get())), "");
}

}  // namespace
