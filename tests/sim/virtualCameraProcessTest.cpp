// The virtual camera as a program, one transport at a time: a pseudo-terminal, or loopback with
// ports the system picks. Envelopes, answers and connection faults as the panel meets them.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "cameraModel.h"
#include "simProcess.h"
#include "socketHelpers.h"
#include "tempRoot.h"

namespace {

using namespace std::chrono;

constexpr milliseconds kWait(3000);

std::string bytes(const std::string& hex) {
    std::string out;
    EXPECT_TRUE(viscaUnhex(hex, out)) << hex;
    return out;
}

std::string hx(const std::string& spaced) {
    return viscaHex(bytes(spaced));
}

// True when the peer has closed the stream (read gives 0) within the wait.
bool closedByPeer(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(kWait.count())) <= 0) {
        return false;
    }
    char c = 0;
    const ssize_t r = ::recv(fd, &c, 1, 0);
    return r == 0 || (r < 0 && errno == ECONNRESET);
}

bool writeBytes(int fd, const std::string& data) {
    return ::send(fd, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
}

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A TCP connection to the camera on loopback; -1 with errno set when refused.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

class CameraUnderTest {
public:
    // "@ROOT/" at the start of an argument stands for the camera's own temporary root.
    explicit CameraUnderTest(std::vector<std::string> args) : root_(false) {
        control_ = root_ / "run/camera.sock";
        for (std::string& arg : args) {
            if (arg.rfind("@ROOT/", 0) == 0) {
                arg = root_ / arg.substr(6);
            }
        }
        args.push_back("--control");
        args.push_back(control_);
        started_ = process_.start(ZEK_VIRTUAL_CAMERA_PATH, args);
    }
    bool started() const { return started_; }
    const std::string& readyLine() const { return process_.readyLine(); }
    int port() const {
        const std::size_t at = readyLine().find(" port=");
        return at == std::string::npos ? -1 : std::stoi(readyLine().substr(at + 6));
    }
    std::string operator()(const std::string& command) const {
        return simCommand(control_, command);
    }
    std::string path(const std::string& relative) const { return root_ / relative; }
    void stop() { process_.stop(); }

private:
    TempRoot root_;
    std::string control_;
    SimProcess process_;
    bool started_ = false;
};

TEST(VirtualCameraProgram, HcipOverTcp) {
    CameraUnderTest camera({"--hcip", "127.0.0.1:0"});
    ASSERT_TRUE(camera.started());
    EXPECT_EQ(
        camera.readyLine().rfind("virtualCamera ready transport=hcip address=127.0.0.1 port=", 0),
        0u)
        << camera.readyLine();
    const int port = camera.port();
    ASSERT_GT(port, 0);

    // One envelope split over two writes, the second carrying a whole command as well.
    Fd first(connectTo(port));
    ASSERT_GE(first.get(), 0);
    ASSERT_TRUE(writeBytes(first.get(), bytes("00 08 81 09")));
    ASSERT_TRUE(writeBytes(first.get(), bytes("7E 7E 70 FF 00 09 81 01 04 3F 02 09 FF")));
    EXPECT_EQ(viscaHex(readBytes(first.get(), 27)),
              hx("00 11 90 50 00 01 00 08 00 08 00 02 00 00 00 02 FF"
                 " 00 05 90 41 FF 00 05 90 51 FF"));
    EXPECT_EQ(camera("get lastPreset"), "9");
    EXPECT_EQ(camera("get messages"), "81097e7e70ff 8101043f0209ff");

    // A new connection replaces the old one.
    Fd second(connectTo(port));
    ASSERT_GE(second.get(), 0);
    ASSERT_TRUE(writeBytes(second.get(), bytes("00 07 81 09 04 4A FF")));
    EXPECT_EQ(viscaHex(readBytes(second.get(), 9)), hx("00 09 90 50 00 00 01 00 FF"));
    EXPECT_TRUE(closedByPeer(first.get()));

    // Garbage in the envelope is skipped and the stream goes on.
    ASSERT_TRUE(writeBytes(second.get(), bytes("00 00 00 08 81 01 04 08 02 FF")));
    EXPECT_EQ(viscaHex(readBytes(second.get(), 10)), hx("00 05 90 41 FF 00 05 90 51 FF"));
    EXPECT_EQ(camera("get discarded"), "2");
    EXPECT_EQ(camera("get focusSteps"), "1");

    // drop: the connection goes now, and every new one right after it is taken.
    ASSERT_EQ(camera("fault drop"), "ok");
    EXPECT_TRUE(closedByPeer(second.get()));
    Fd third(connectTo(port));
    ASSERT_GE(third.get(), 0);
    EXPECT_TRUE(closedByPeer(third.get()));

    // refuse: nobody listens.
    ASSERT_EQ(camera("fault none"), "ok");
    ASSERT_EQ(camera("fault refuse"), "ok");
    EXPECT_EQ(connectTo(port), -1);
    EXPECT_EQ(errno, ECONNREFUSED);

    // Back to normal on the same port.
    ASSERT_EQ(camera("fault none"), "ok");
    Fd fourth(connectTo(port));
    ASSERT_GE(fourth.get(), 0);
    ASSERT_TRUE(writeBytes(fourth.get(), bytes("00 07 81 09 00 02 FF")));
    EXPECT_EQ(viscaHex(readBytes(fourth.get(), 13)), hx("00 0D 90 50 00 20 05 20 01 07 00 02 FF"));
}

TEST(VirtualCameraProgram, ViscaOverUdp) {
    CameraUnderTest camera({"--visca", "127.0.0.1:0"});
    ASSERT_TRUE(camera.started());
    EXPECT_EQ(
        camera.readyLine().rfind("virtualCamera ready transport=visca address=127.0.0.1 port=", 0),
        0u)
        << camera.readyLine();
    const sockaddr_in to = loopback(camera.port());
    Fd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const sockaddr_in self = loopback(0);
    ASSERT_EQ(::bind(socket.get(), reinterpret_cast<const sockaddr*>(&self), sizeof self), 0);
    auto exchange = [&](const std::string& hex, int answers) {
        const std::string d = bytes(hex);
        EXPECT_EQ(::sendto(socket.get(), d.data(), d.size(), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(d.size()));
        std::vector<std::string> got;
        for (int i = 0; i < answers; ++i) {
            pollfd p{socket.get(), POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(kWait.count())) <= 0) {
                break;
            }
            char buffer[2048];
            const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
            got.push_back(
                viscaHex(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)))));
        }
        return got;
    };

    EXPECT_EQ(exchange("01 00 00 06 00 00 00 29 81 01 04 07 23 FF", 2),
              (std::vector<std::string>{hx("01 11 00 03 00 00 00 29 90 41 FF"),
                                        hx("01 11 00 03 00 00 00 29 90 51 FF")}));
    EXPECT_EQ(exchange("81 09 7E 7E 70 FF", 1),
              std::vector<std::string>{hx("90 50 00 01 00 08 00 08 00 02 00 00 00 02 FF")});
    EXPECT_EQ(exchange("01 10 00 05 00 00 00 2A 81 09 04 4C FF", 1),
              std::vector<std::string>{hx("01 11 00 07 00 00 00 2A 90 50 00 00 00 00 FF")});
    EXPECT_EQ(exchange("01 00 00 04 00 00 00 2B 81 01 04 FF", 1),
              std::vector<std::string>{hx("01 11 00 04 00 00 00 2B 90 60 02 FF")});

    // A broken envelope is not answered; the next datagram is, so the first was seen.
    const std::string broken = bytes("01 00 00 09 00 00 00 2C 81 01 04 07 00 FF");
    ::sendto(socket.get(), broken.data(), broken.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
    EXPECT_EQ(exchange("81 01 04 07 00 FF", 2),
              (std::vector<std::string>{hx("90 41 FF"), hx("90 51 FF")}));
    EXPECT_EQ(camera("get rejected"), "2");  // the envelope and the short zoom command
    EXPECT_EQ(camera("get sequences"), "41 42 43");
    EXPECT_EQ(camera("get zoomDir"), "stop");
    EXPECT_EQ(camera("get zoomSpeed"), "3");

    // refuse: datagrams are ignored.
    ASSERT_EQ(camera("fault refuse"), "ok");
    ::sendto(socket.get(), broken.data(), broken.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
    const std::string count = camera("get count");
    ASSERT_EQ(camera("fault none"), "ok");
    EXPECT_EQ(exchange("01 00 00 06 00 00 00 2D 81 01 04 66 02 FF", 2).size(), 2u);
    EXPECT_EQ(camera("get count"), std::to_string(std::stoi(count) + 1));
    EXPECT_EQ(camera("get rejected"), "2");
    EXPECT_EQ(camera("get vflip"), "1");
}

// Sequence numbers over VISCA over IP, a reboot and a pulled cable, as a panel that keeps
// driving the camera meets them.
TEST(VirtualCameraProgram, SequenceCheckingRebootAndCablePullOverUdp) {
    CameraUnderTest camera({"--visca", "127.0.0.1:0"});
    ASSERT_TRUE(camera.started());
    const sockaddr_in to = loopback(camera.port());
    Fd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const sockaddr_in self = loopback(0);
    ASSERT_EQ(::bind(socket.get(), reinterpret_cast<const sockaddr*>(&self), sizeof self), 0);
    // Sends a datagram and collects the answers that come within the wait.
    auto exchange = [&](const std::string& hex, milliseconds wait = milliseconds(300)) {
        const std::string d = bytes(hex);
        ::sendto(socket.get(), d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
        std::vector<std::string> got;
        const auto deadline = steady_clock::now() + wait;
        for (;;) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            pollfd p{socket.get(), POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                break;
            }
            char buffer[2048];
            const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
            got.push_back(
                viscaHex(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)))));
        }
        return got;
    };
    const std::vector<std::string> resetDone{hx("02 01 00 01 00 00 00 00 01")};

    // Off at start: any number is taken.
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 29 81 01 04 3F 02 01 FF").size(), 2u);
    ASSERT_EQ(camera("sequence check on"), "ok");
    EXPECT_EQ(camera("get sequence-check"), "check=1 expected=0 resets=0 errors=0");
    // A number other than the expected one is refused with the sequence error, not applied.
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 05 81 01 04 3F 02 03 FF"),
              std::vector<std::string>{hx("02 01 00 02 00 00 00 05 0F 01")});
    EXPECT_EQ(camera("get lastPreset"), "1");
    // The reset, then numbers from 0.
    EXPECT_EQ(exchange("02 00 00 01 00 00 00 00 01"), resetDone);
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 00 81 01 04 3F 02 03 FF"),
              (std::vector<std::string>{hx("01 11 00 03 00 00 00 00 90 41 FF"),
                                        hx("01 11 00 03 00 00 00 00 90 51 FF")}));
    EXPECT_EQ(exchange("01 00 00 06 00 00 00 01 81 01 04 07 00 FF").size(), 2u);
    EXPECT_EQ(camera("get lastPreset"), "3");
    EXPECT_EQ(camera("get sequence-check"), "check=1 expected=2 resets=1 errors=1");
    // A control message the camera does not know.
    EXPECT_EQ(exchange("02 00 00 01 00 00 00 07 05"),
              std::vector<std::string>{hx("02 01 00 02 00 00 00 07 0F 02")});

    // A reboot: nothing is answered while it lasts, and afterwards the old numbering is gone.
    ASSERT_EQ(camera("reboot 600"), "ok");
    EXPECT_EQ(camera("get link"), "rebooting=1 cable=in adapter=in");
    EXPECT_TRUE(exchange("01 00 00 07 00 00 00 02 81 01 04 3F 02 04 FF").empty());
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_EQ(camera("get link"), "rebooting=0 cable=in adapter=in");
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 03 81 01 04 3F 02 04 FF"),
              std::vector<std::string>{hx("02 01 00 02 00 00 00 03 0F 01")});
    // After the reset the next number, whatever it is, starts the count.
    EXPECT_EQ(exchange("02 00 00 01 00 00 00 00 01"), resetDone);
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 03 81 01 04 3F 02 04 FF").size(), 2u);
    EXPECT_EQ(camera("get lastPreset"), "4");
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 03 81 01 04 3F 02 05 FF"),
              std::vector<std::string>{hx("02 01 00 02 00 00 00 03 0F 01")});
    EXPECT_EQ(camera("get sequence-check"), "check=1 expected=4 resets=2 errors=3");

    // A pulled cable throws datagrams away, the reset included; plugged in, it answers again.
    ASSERT_EQ(camera("cable pull"), "ok");
    EXPECT_TRUE(exchange("02 00 00 01 00 00 00 00 01").empty());
    EXPECT_TRUE(exchange("01 00 00 07 00 00 00 04 81 01 04 3F 02 05 FF").empty());
    ASSERT_EQ(camera("cable plug"), "ok");
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 04 81 01 04 3F 02 05 FF").size(), 2u);
    EXPECT_EQ(camera("get lastPreset"), "5");
    EXPECT_EQ(camera("reboot 0"), "error bad arguments: reboot 0");
    EXPECT_EQ(camera("unplug"), "error only a serial camera has an adapter to unplug");
}

TEST(VirtualCameraProgram, RebootDropsTheHcipConnectionAndRefusesUntilBack) {
    CameraUnderTest camera({"--hcip", "127.0.0.1:0"});
    ASSERT_TRUE(camera.started());
    Fd first(connectTo(camera.port()));
    ASSERT_GE(first.get(), 0);
    ASSERT_TRUE(writeBytes(first.get(), bytes("00 09 81 01 04 3F 02 02 FF")));
    EXPECT_EQ(viscaHex(readBytes(first.get(), 10)), hx("00 05 90 41 FF 00 05 90 51 FF"));
    ASSERT_EQ(camera("reboot 700"), "ok");
    EXPECT_TRUE(closedByPeer(first.get()));
    EXPECT_LT(connectTo(camera.port()), 0);
    EXPECT_EQ(errno, ECONNREFUSED);
    // Back after the reboot, and it takes commands again.
    const auto deadline = steady_clock::now() + kWait;
    int again = -1;
    while (again < 0 && steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(50));
        again = connectTo(camera.port());
    }
    Fd second(again);
    ASSERT_GE(second.get(), 0);
    ASSERT_TRUE(writeBytes(second.get(), bytes("00 09 81 01 04 3F 02 06 FF")));
    EXPECT_EQ(viscaHex(readBytes(second.get(), 10)), hx("00 05 90 41 FF 00 05 90 51 FF"));
    EXPECT_EQ(camera("get lastPreset"), "6");
}

TEST(VirtualCameraProgram, SerialAdapterUnpluggedAndPluggedBack) {
    CameraUnderTest cam({"--serial", "@ROOT/dev/ttyUSB2", "--unplugged"});
    ASSERT_TRUE(cam.started());
    const std::string link = cam.path("dev/ttyUSB2");
    EXPECT_NE(cam.readyLine().find(" pty=none "), std::string::npos) << cam.readyLine();
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    EXPECT_EQ(cam("get link"), "rebooting=0 cable=in adapter=out");
    auto openLine = [&link] {
        const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        ::tcgetattr(fd, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
        return fd;
    };
    ASSERT_EQ(cam("plug"), "ok");
    Fd first(openLine());
    ASSERT_GE(first.get(), 0);
    const std::string recall = bytes("81 01 04 3F 02 01 FF");
    ASSERT_EQ(::write(first.get(), recall.data(), recall.size()), 7);
    EXPECT_EQ(viscaHex(readBytes(first.get(), 6)), hx("90 41 FF 90 51 FF"));

    // Unplugged: the link is gone and the line that was open is dead.
    ASSERT_EQ(cam("unplug"), "ok");
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    pollfd p{first.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, static_cast<int>(kWait.count())), 1);
    EXPECT_NE(p.revents & (POLLHUP | POLLERR), 0);

    // Plugged back in: a new device under the same path.
    ASSERT_EQ(cam("plug"), "ok");
    Fd second(openLine());
    ASSERT_GE(second.get(), 0);
    const std::string recall2 = bytes("81 01 04 3F 02 02 FF");
    ASSERT_EQ(::write(second.get(), recall2.data(), recall2.size()), 7);
    EXPECT_EQ(viscaHex(readBytes(second.get(), 6)), hx("90 41 FF 90 51 FF"));
    EXPECT_EQ(cam("get lastPreset"), "2");
}

TEST(VirtualCameraProgram, SerialLineAndCleanStop) {
    EXPECT_FALSE(CameraUnderTest({"--serial", ""}).started());  // a line needs a path

    CameraUnderTest cam(
        {"--serial", "@ROOT/dev/ttyUSB3", "--model", "0a0b", "--version-length", "16"});
    ASSERT_TRUE(cam.started());
    const std::string link = cam.path("dev/ttyUSB3");
    EXPECT_EQ(cam.readyLine().rfind("virtualCamera ready transport=serial pty=/dev/pts/", 0), 0u)
        << cam.readyLine();
    EXPECT_NE(cam.readyLine().find(" path=" + link + " "), std::string::npos);

    Fd line(::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_GE(line.get(), 0);
    termios raw{};
    ::tcgetattr(line.get(), &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(line.get(), TCSANOW, &raw);
    auto put = [&line](const std::string& hex) {
        const std::string d = bytes(hex);
        EXPECT_EQ(::write(line.get(), d.data(), d.size()), static_cast<ssize_t>(d.size()));
    };

    put("81 09 00 02 FF");
    EXPECT_EQ(viscaHex(readBytes(line.get(), 16)),
              hx("90 50 00 20 0A 0B 01 07 00 02 00 00 00 00 00 FF"));

    put("81 01 04");
    put("35 03 FF 81 01 04 10 05 FF");
    EXPECT_EQ(viscaHex(readBytes(line.get(), 12)), hx("90 41 FF 90 51 FF 90 41 FF 90 51 FF"));
    EXPECT_EQ(cam("get onePushApplied"), "1");

    // A run with no end is given up as far as its FF; the inquiry after it is answered.
    std::string run;
    for (int i = 0; i < 70; ++i) {
        run += "11 ";
    }
    put(run + "FF 81 09 04 4A FF");
    EXPECT_EQ(viscaHex(readBytes(line.get(), 7)), hx("90 50 00 00 01 00 FF"));
    EXPECT_EQ(cam("get discarded"), "71");

    ASSERT_EQ(cam("fault wronglength"), "ok");
    put("81 09 7E 7E 70 FF 81 09 00 02 FF");
    EXPECT_EQ(viscaHex(readBytes(line.get(), 24)),
              hx("90 50 00 01 03 08 00 08 00 02 00 00 02 FF 90 50 00 20 0A 0B 01 07 02 FF"));

    // SIGTERM ends it in order: the line and the control socket are gone.
    cam.stop();
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    EXPECT_NE(::access(cam.path("run/camera.sock").c_str(), F_OK), 0);
}

// Random bytes on each transport; afterwards the camera still answers a version inquiry. The
// answer is looked for at the end of everything read, after the answers to whatever the noise
// happened to hold.
std::string noise(std::mt19937& rng, std::size_t length) {
    std::uniform_int_distribution<int> pick(0, 7);
    std::uniform_int_distribution<int> any(0, 255);
    const char steering[] = {'\xFF', '\x81', '\x00', '\x01'};
    std::string out(length, '\0');
    for (char& c : out) {
        const int p = pick(rng);
        c = p < 4 ? steering[p] : static_cast<char>(any(rng));
    }
    return out;
}

bool readUntilEndsWith(int fd, const std::string& tail) {
    std::string got;
    const auto deadline = steady_clock::now() + kWait;
    while (got.size() < tail.size() || got.compare(got.size() - tail.size(), tail.size(), tail)) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t r = ::read(fd, buffer, sizeof buffer);
        if (r <= 0) {
            return false;
        }
        got.append(buffer, static_cast<std::size_t>(r));
    }
    return true;
}

TEST(VirtualCameraProgram, NoiseOnEveryTransportLeavesItAnswering) {
    std::mt19937 rng(710);
    const std::string version = bytes("90 50 00 20 05 20 01 07 00 02 FF");
    {
        CameraUnderTest camera({"--hcip", "127.0.0.1:0"});
        ASSERT_TRUE(camera.started());
        Fd noisy(connectTo(camera.port()));
        ASSERT_GE(noisy.get(), 0);
        for (int i = 0; i < 8; ++i) {
            ASSERT_TRUE(writeBytes(noisy.get(), noise(rng, 1024)));
        }
        Fd clean(connectTo(camera.port()));
        ASSERT_GE(clean.get(), 0);
        ASSERT_TRUE(writeBytes(clean.get(), bytes("00 07 81 09 00 02 FF")));
        EXPECT_TRUE(readUntilEndsWith(clean.get(), bytes("00 0D") + version));
        EXPECT_EQ(camera("ping"), "pong");
    }
    {
        CameraUnderTest camera({"--visca", "127.0.0.1:0"});
        ASSERT_TRUE(camera.started());
        const sockaddr_in to = loopback(camera.port());
        Fd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        const sockaddr_in self = loopback(0);
        ASSERT_EQ(::bind(socket.get(), reinterpret_cast<const sockaddr*>(&self), sizeof self), 0);
        std::uniform_int_distribution<std::size_t> length(0, 1500);
        for (int i = 0; i < 200; ++i) {
            std::string d = noise(rng, length(rng));
            if (i % 3 == 0 && d.size() >= 8) {
                d[0] = '\x01';  // a header, mostly with the wrong length
                d[1] = '\x00';
            }
            ::sendto(socket.get(), d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to);
        }
        // A burst this size can overflow the camera's receive buffer, and loopback UDP then
        // drops datagrams: let it work through what arrived before asking.
        std::string settled;
        for (int i = 0; i < 100; ++i) {
            const std::string now = camera("get rejected");
            if (now == settled) {
                break;
            }
            settled = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const std::string inquiry = bytes("01 10 00 05 00 00 03 E8 81 09 00 02 FF");
        ASSERT_EQ(::sendto(socket.get(), inquiry.data(), inquiry.size(), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(inquiry.size()));
        // Datagrams keep their borders: the answer is the last one, whole.
        std::string last;
        for (;;) {
            pollfd p{socket.get(), POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(kWait.count())) <= 0) {
                break;
            }
            char buffer[2048];
            const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
            last.assign(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            if (viscaHex(last) == hx("01 11 00 0B 00 00 03 E8") + viscaHex(version)) {
                break;
            }
        }
        EXPECT_EQ(viscaHex(last), hx("01 11 00 0B 00 00 03 E8") + viscaHex(version));
        EXPECT_EQ(camera("ping"), "pong");
    }
    {
        CameraUnderTest camera({"--serial", "@ROOT/dev/ttyUSB0"});
        ASSERT_TRUE(camera.started());
        Fd line(::open(camera.path("dev/ttyUSB0").c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
        ASSERT_GE(line.get(), 0);
        termios raw{};
        ::tcgetattr(line.get(), &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(line.get(), TCSANOW, &raw);
        // An FF after the noise ends whatever it left half done.
        const std::string all = noise(rng, 8192) + bytes("FF 81 09 00 02 FF");
        std::size_t done = 0;
        std::string answers;
        while (done < all.size()) {
            const ssize_t n = ::write(line.get(), all.data() + done,
                                      std::min<std::size_t>(256, all.size() - done));
            ASSERT_GT(n, 0);
            done += static_cast<std::size_t>(n);
        }
        EXPECT_TRUE(readUntilEndsWith(line.get(), version));
        EXPECT_EQ(camera("ping"), "pong");
    }
}

}  // namespace
