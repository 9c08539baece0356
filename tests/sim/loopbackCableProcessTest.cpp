// The loop-back cable as a program: its ports opened like the factory test opens them (raw, 38400
// baud 8N1), bytes through each pair both ways, the faults of the control channel, ports opened
// and closed again and again, unplugged and plugged.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "simProcess.h"
#include "socketHelpers.h"
#include "spelledBytes.h"
#include "tempRoot.h"

namespace {

using namespace std::chrono;

constexpr milliseconds kWait(3000);
// How long a port is watched to see that nothing (more) comes.
constexpr milliseconds kSilence(150);

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

// What comes within the silence window (empty when nothing does).
std::string stray(int fd) {
    return readBytes(fd, 1 << 16, kSilence);
}

bool isLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

class CableUnderTest {
public:
    CableUnderTest(const TempRoot& root, std::vector<std::string> extra)
        : root_(root), control_(root / "run/cable.sock") {
        std::vector<std::string> args{"--root", root.path(), "--control", control_};
        args.insert(args.end(), extra.begin(), extra.end());
        started_ = process_.start(ZEK_LOOPBACK_CABLE_PATH, args);
    }
    bool started() const { return started_; }
    const std::string& readyLine() const { return process_.readyLine(); }
    const std::string& controlPath() const { return control_; }
    std::string operator()(const std::string& command) const {
        return simCommand(control_, command);
    }
    std::string port(int n) const { return root_ / ("dev/ttyUSB" + std::to_string(n)); }
    // Waits until the cable has taken count bytes in a direction ("1 ab"), so what follows
    // cannot overtake them.
    bool carried(const std::string& pairDirection, int count) const {
        const std::string want = "bytes=" + std::to_string(count);
        const auto deadline = steady_clock::now() + kWait;
        while ((*this)("get " + pairDirection) != want) {
            if (steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        return true;
    }
    void stop() { process_.stop(); }

private:
    const TempRoot& root_;
    std::string control_;
    SimProcess process_;
    bool started_ = false;
};

TEST(LoopbackCableProgram, EveryPairCarriesEveryByteBothWays) {
    TempRoot root(false);
    CableUnderTest cable(root, {});
    ASSERT_TRUE(cable.started());
    EXPECT_EQ(cable.readyLine(),
              "loopbackCable ready pairs=1,2,3,4 control=" + cable.controlPath());
    const std::string data = pattern();
    for (int pair = 1; pair <= 4; ++pair) {
        SCOPED_TRACE("pair " + std::to_string(pair));
        ASSERT_TRUE(isLink(cable.port(2 * pair - 2)));
        ASSERT_TRUE(isLink(cable.port(2 * pair - 1)));
        Fd a(openPort(cable.port(2 * pair - 2)));
        Fd b(openPort(cable.port(2 * pair - 1)));
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
        EXPECT_EQ(cable("get " + p + " ab"), "bytes=273");
        EXPECT_EQ(cable("get " + p + " ba"), "bytes=273");
    }
    EXPECT_EQ(cable("ping"), "ok");
}

TEST(LoopbackCableProgram, PortsOpenedAndClosedAgainKeepWorkingAndStartClean) {
    TempRoot root(false);
    CableUnderTest cable(root, {"--pairs", "2"});
    ASSERT_TRUE(cable.started());
    EXPECT_EQ(cable.readyLine(), "loopbackCable ready pairs=2 control=" + cable.controlPath());
    EXPECT_FALSE(isLink(cable.port(0)));
    EXPECT_FALSE(isLink(cable.port(4)));
    EXPECT_EQ(cable("break 1 ab"), "error pair 1 is not in place");

    const std::string data = pattern();
    int carried = 0;
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Fd a(openPort(cable.port(2)));
        Fd b(openPort(cable.port(3)));
        ASSERT_GE(a.get(), 0);
        ASSERT_GE(b.get(), 0);
        ASSERT_TRUE(put(a.get(), data));
        EXPECT_EQ(hex(readBytes(b.get(), data.size())), hex(data));
        ASSERT_TRUE(put(b.get(), data));
        EXPECT_EQ(hex(readBytes(a.get(), data.size())), hex(data));
        carried += static_cast<int>(data.size());
    }
    ASSERT_TRUE(cable.carried("2 ab", carried));

    // Bytes sent while the partner port is closed are lost, as on a real port.
    {
        Fd a(openPort(cable.port(2)));
        ASSERT_TRUE(put(a.get(), bytes("01 02 03")));
        ASSERT_TRUE(cable.carried("2 ab", carried + 3));
    }
    // Bytes a reader left unread are gone when it closes.
    {
        Fd a(openPort(cable.port(2)));
        Fd b(openPort(cable.port(3)));
        ASSERT_TRUE(put(a.get(), bytes("04 05 06")));
        ASSERT_TRUE(cable.carried("2 ab", carried + 6));
    }
    // An answer on the control channel comes after the program has seen the closes.
    ASSERT_EQ(cable("ping"), "ok");
    Fd a(openPort(cable.port(2)));
    Fd b(openPort(cable.port(3)));
    ASSERT_TRUE(put(a.get(), bytes("55 AA 07")));
    EXPECT_EQ(hex(readBytes(b.get(), 3)), "55 AA 07");
    EXPECT_EQ(hex(stray(b.get())), "");
}

TEST(LoopbackCableProgram, FaultsFromTheControlChannel) {
    TempRoot root(false);
    CableUnderTest cable(root, {"--pairs", "3,1"});
    ASSERT_TRUE(cable.started());
    EXPECT_EQ(cable.readyLine(), "loopbackCable ready pairs=3,1 control=" + cable.controlPath());
    Fd a(openPort(cable.port(4)));
    Fd b(openPort(cable.port(5)));
    Fd other(openPort(cable.port(1)));
    ASSERT_GE(a.get(), 0);
    ASSERT_GE(b.get(), 0);
    ASSERT_GE(other.get(), 0);

    // break: one direction of one pair is dead; the rest works.
    ASSERT_EQ(cable("break 3 ab"), "ok");
    ASSERT_TRUE(put(a.get(), bytes("55 AA 01")));
    ASSERT_TRUE(put(b.get(), bytes("55 AA 02")));
    EXPECT_EQ(hex(readBytes(a.get(), 3)), "55 AA 02");
    EXPECT_EQ(hex(stray(b.get())), "");
    EXPECT_EQ(cable("get 3 ab"), "bytes=0");
    EXPECT_EQ(cable("get 3 ba"), "bytes=3");
    Fd otherA(openPort(cable.port(0)));
    ASSERT_TRUE(put(otherA.get(), bytes("31 32")));
    EXPECT_EQ(hex(readBytes(other.get(), 2)), "31 32");
    ASSERT_EQ(cable("heal 3"), "ok");
    ASSERT_TRUE(put(a.get(), bytes("55 AA 03")));
    EXPECT_EQ(hex(readBytes(b.get(), 3)), "55 AA 03");

    // corrupt: one byte flipped, once.
    ASSERT_EQ(cable("corrupt 3 ba 1"), "ok");
    ASSERT_TRUE(put(b.get(), bytes("55 AA 5A")));
    EXPECT_EQ(hex(readBytes(a.get(), 3)), "55 55 5A");
    ASSERT_TRUE(put(b.get(), bytes("55 AA 5A")));
    EXPECT_EQ(hex(readBytes(a.get(), 3)), "55 AA 5A");

    // droptail: the burst arrives short by its last bytes; the next burst is whole.
    ASSERT_EQ(cable("droptail 3 ab 4"), "ok");
    ASSERT_TRUE(put(a.get(), bytes("55 AA 10 11 12 13 14 15 16 17")));
    EXPECT_EQ(hex(readBytes(b.get(), 6)), "55 AA 10 11 12 13");
    EXPECT_EQ(hex(stray(b.get())), "");
    ASSERT_TRUE(put(a.get(), bytes("55 AA 18")));
    EXPECT_EQ(hex(readBytes(b.get(), 3)), "55 AA 18");
    EXPECT_EQ(cable("get 3 ab"), "bytes=12");

    // heal all: held bytes of a droptail are delivered, the breaks are gone.
    ASSERT_EQ(cable("droptail 3 ba 2"), "ok");
    ASSERT_EQ(cable("break 1 ba"), "ok");
    ASSERT_TRUE(put(b.get(), bytes("20 21")));
    ASSERT_TRUE(cable.carried("3 ba", 9));  // held back, not yet delivered
    ASSERT_EQ(cable("heal all"), "ok");
    EXPECT_EQ(hex(readBytes(a.get(), 2, milliseconds(1000))), "20 21");
    ASSERT_TRUE(put(other.get(), bytes("41")));
    EXPECT_EQ(hex(readBytes(otherA.get(), 1)), "41");
}

TEST(LoopbackCableProgram, BadCommandsAreAnsweredAndChangeNothing) {
    TempRoot root(false);
    CableUnderTest cable(root, {"--pairs", "4"});
    ASSERT_TRUE(cable.started());
    EXPECT_EQ(cable(""), "error empty command");
    EXPECT_EQ(cable("break 4 up"), "error direction must be ab or ba");
    EXPECT_EQ(cable("corrupt 9 ab 1"), "error pair must be 1 to 4");
    EXPECT_EQ(cable("unplug 2"), "error pair 2 is not in place");
    EXPECT_EQ(cable(std::string(70000, 'x')), "error line too long");
    std::mt19937 rng(422);
    std::uniform_int_distribution<int> any(1, 255);
    for (int i = 0; i < 50; ++i) {
        std::string line(static_cast<std::size_t>(any(rng)), '\0');
        for (char& c : line) {
            c = static_cast<char>(any(rng));
            c = c == '\n' ? ' ' : c;
        }
        EXPECT_EQ(cable(line).rfind("error ", 0), 0u);
    }
    EXPECT_EQ(cable("ping"), "ok");
    Fd a(openPort(cable.port(6)));
    Fd b(openPort(cable.port(7)));
    ASSERT_TRUE(put(b.get(), pattern()));
    EXPECT_EQ(hex(readBytes(a.get(), pattern().size())), hex(pattern()));
}

TEST(LoopbackCableProgram, UnplugRemovesThePortsAndPlugBringsThemBack) {
    TempRoot root(false);
    CableUnderTest cable(root, {"--pairs", "1,2"});
    ASSERT_TRUE(cable.started());
    Fd a(openPort(cable.port(0)));
    Fd b(openPort(cable.port(1)));
    ASSERT_EQ(cable("unplug 1"), "ok");
    EXPECT_FALSE(isLink(cable.port(0)));
    EXPECT_FALSE(isLink(cable.port(1)));
    EXPECT_LT(openPort(cable.port(0)), 0);
    EXPECT_TRUE(isLink(cable.port(2)));
    // Ports still open from before carry nothing.
    ASSERT_TRUE(put(a.get(), bytes("55 AA")));
    EXPECT_EQ(hex(stray(b.get())), "");
    EXPECT_EQ(cable("get 1 ab"), "bytes=0");

    ASSERT_EQ(cable("plug 1"), "ok");
    ASSERT_TRUE(isLink(cable.port(0)));
    Fd a2(openPort(cable.port(0)));
    Fd b2(openPort(cable.port(1)));
    ASSERT_GE(a2.get(), 0);
    ASSERT_GE(b2.get(), 0);
    ASSERT_TRUE(put(b2.get(), bytes("55 AA 0D 0A")));
    EXPECT_EQ(hex(readBytes(a2.get(), 4)), "55 AA 0D 0A");

    // heal puts an unplugged pair back as well.
    ASSERT_EQ(cable("unplug 2"), "ok");
    EXPECT_FALSE(isLink(cable.port(3)));
    ASSERT_EQ(cable("heal 2"), "ok");
    EXPECT_TRUE(isLink(cable.port(3)));
}

TEST(LoopbackCableProgram, StaleLinksReplacedAndEverythingRemovedAtStop) {
    TempRoot root(false);
    ASSERT_EQ(::symlink("/nonexistent/ttyUSB0", (root / "dev/ttyUSB0").c_str()), 0);
    CableUnderTest cable(root, {"--pairs", "1"});
    ASSERT_TRUE(cable.started());
    char target[256] = {};
    ASSERT_GT(::readlink(cable.port(0).c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
    cable.stop();
    EXPECT_FALSE(isLink(cable.port(0)));
    EXPECT_FALSE(isLink(cable.port(1)));
    EXPECT_NE(::access(cable.controlPath().c_str(), F_OK), 0);

    // A file that is not a link is not taken over, and bad options stop it at once.
    root.writeFile("dev/ttyUSB3", "not a port");
    EXPECT_FALSE(CableUnderTest(root, {"--pairs", "2"}).started());
    EXPECT_EQ(root.readFile("dev/ttyUSB3"), "not a port");
    EXPECT_FALSE(isLink(cable.port(2)));
    EXPECT_FALSE(CableUnderTest(root, {"--pairs", "1,1"}).started());
    EXPECT_FALSE(CableUnderTest(root, {"--pairs", "5"}).started());
    EXPECT_FALSE(CableUnderTest(root, {"--pairs", ""}).started());
}

}  // namespace
