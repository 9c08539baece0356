// The virtual camera as a program, one transport at a time: a pseudo-terminal, or loopback with
// ports the system picks. Each transport's envelope around the answers, as the panel meets them;
// reboots, cable and adapter faults are met by the panel's own tests.
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
#include <string>

#include "cameraModel.h"
#include "simProcess.h"
#include "socketHelpers.h"
#include "tempRoot.h"

namespace {

constexpr std::chrono::milliseconds kWait(3000);

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

// A TCP connection to the camera on loopback; -1 when refused.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
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
    ASSERT_TRUE(writeBytes(second.get(), bytes("00 07 81 09 04 4A FF 00 07 81 09 00 02 FF")));
    EXPECT_EQ(viscaHex(readBytes(second.get(), 22)),
              hx("00 09 90 50 00 00 01 00 FF 00 0D 90 50 00 20 05 20 01 07 00 02 FF"));
    EXPECT_TRUE(closedByPeer(first.get()));
}

TEST(VirtualCameraProgram, ViscaOverUdpWithAndWithoutTheHeader) {
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
    auto put = [&](const std::string& hex) {
        const std::string d = bytes(hex);
        EXPECT_EQ(::sendto(socket.get(), d.data(), d.size(), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(d.size()));
    };
    // Sends a datagram and takes as many answers; a datagram left unanswered before it shows as
    // an answer too many at the next exchange.
    auto exchange = [&](const std::string& hex, int answers) {
        put(hex);
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
    using Answers = std::vector<std::string>;

    EXPECT_EQ(
        exchange("01 00 00 06 00 00 00 29 81 01 04 07 23 FF", 2),
        (Answers{hx("01 11 00 03 00 00 00 29 90 41 FF"), hx("01 11 00 03 00 00 00 29 90 51 FF")}));
    EXPECT_EQ(exchange("81 09 7E 7E 70 FF", 1),
              Answers{hx("90 50 00 01 00 08 00 08 00 02 00 00 00 02 FF")});
    EXPECT_EQ(exchange("01 10 00 05 00 00 00 2A 81 09 04 4C FF", 1),
              Answers{hx("01 11 00 07 00 00 00 2A 90 50 00 00 00 00 FF")});
    EXPECT_EQ(exchange("01 00 00 04 00 00 00 2B 81 01 04 FF", 1),
              Answers{hx("01 11 00 04 00 00 00 2B 90 60 02 FF")});
    // A broken envelope is not answered.
    put("01 00 00 09 00 00 00 2C 81 01 04 07 00 FF");
    EXPECT_EQ(exchange("81 01 04 07 00 FF", 2), (Answers{hx("90 41 FF"), hx("90 51 FF")}));
    EXPECT_EQ(camera("get sequences"), "41 42 43");

    // Sequence numbers checked: 0 is expected, any other is refused and not applied; after a
    // reset the next number, whatever it is, starts the count.
    ASSERT_EQ(camera("sequence check on"), "ok");
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 05 81 01 04 3F 02 03 FF", 1),
              Answers{hx("02 01 00 02 00 00 00 05 0F 01")});
    EXPECT_EQ(camera("get lastPreset"), "-1");
    EXPECT_EQ(exchange("02 00 00 01 00 00 00 00 01", 1), Answers{hx("02 01 00 01 00 00 00 00 01")});
    EXPECT_EQ(
        exchange("01 00 00 07 00 00 00 2C 81 01 04 3F 02 03 FF", 2),
        (Answers{hx("01 11 00 03 00 00 00 2C 90 41 FF"), hx("01 11 00 03 00 00 00 2C 90 51 FF")}));
    EXPECT_EQ(exchange("01 00 00 07 00 00 00 2E 81 01 04 3F 02 04 FF", 1),
              Answers{hx("02 01 00 02 00 00 00 2E 0F 01")});
    // A control message the camera does not know.
    EXPECT_EQ(exchange("02 00 00 01 00 00 00 07 05", 1),
              Answers{hx("02 01 00 02 00 00 00 07 0F 02")});
    EXPECT_EQ(camera("get lastPreset"), "3");
    EXPECT_EQ(camera("get sequence-check"), "check=1 expected=45 resets=1 errors=2");
}

TEST(VirtualCameraProgram, SerialLineAndCleanStop) {
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

    // A run with no end is given up as far as its FF; the inquiry after it is answered.
    std::string run;
    for (int i = 0; i < 70; ++i) {
        run += "11 ";
    }
    put(run + "FF 81 09 04 4A FF");
    EXPECT_EQ(viscaHex(readBytes(line.get(), 7)), hx("90 50 00 00 01 00 FF"));

    // SIGTERM ends it in order: the line and the control socket are gone.
    cam.stop();
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    EXPECT_NE(::access(cam.path("run/camera.sock").c_str(), F_OK), 0);
}

}  // namespace
