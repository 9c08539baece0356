// The virtual MCU as a program: a firmware upgrade over its pseudo-terminal, inspected through the
// control channel.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "mcuModel.h"
#include "simProcess.h"
#include "tempRoot.h"

namespace {

using namespace std::chrono;

std::string unhex(const std::string& text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ') {
            compact += c;
        }
    }
    std::string out;
    EXPECT_TRUE(mcuUnhex(compact, out)) << text;
    return out;
}

class Line {
public:
    explicit Line(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios raw{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(fd_, TCSANOW, &raw);
        }
    }
    ~Line() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    bool open() const { return fd_ >= 0; }

    // Writes a frame and returns the answer in hex: the 5 bytes of a loader answer, or what came
    // before the wait was over.
    std::string exchange(const std::string& frame) {
        if (::write(fd_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            return "write failed";
        }
        std::string answer;
        const auto deadline = steady_clock::now() + seconds(3);
        while (answer.size() < 5) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                break;
            }
            char buffer[64];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        return mcuHex(answer);
    }

private:
    int fd_;
};

TEST(VirtualMcuProcess, UpgradeSeenThroughTheControlChannel) {
    TempRoot root;
    VirtualMcu mcu(root.path());
    ASSERT_TRUE(mcu.started());
    Line line(mcu.linePath());
    ASSERT_TRUE(line.open());

    EXPECT_EQ(mcu.command("get image"), "none");
    ASSERT_EQ(mcu.command("upgrade nak 1"), "ok");
    EXPECT_EQ(line.exchange(unhex("55 AA 83 0A 75 70 67 72 61 64 65 00 03")), "55aa830206");
    EXPECT_EQ(line.exchange(unhex("55 AA 84 05 01 02 FF 02")), "55aa840215");
    EXPECT_EQ(line.exchange(unhex("55 AA 84 05 01 02 FF 02")), "55aa840206");
    EXPECT_EQ(mcu.command("get upgrade"),
              "state=receiving announced=3 received=3 packs=1 repeats=0 naks=1 starts=1 done=0");
    EXPECT_EQ(line.exchange(unhex("55 AA 84 05 01 02 FF 02")), "55aa840206");
    EXPECT_EQ(line.exchange(unhex("55 AA 85 05 64 6F 6E 65")), "55aa850206");
    EXPECT_EQ(mcu.command("get image"), "0102ff");
    EXPECT_EQ(mcu.command("get upgrade"),
              "state=idle announced=3 received=3 packs=1 repeats=1 naks=1 starts=1 done=1");
    EXPECT_EQ(mcu.command("upgrade sideways"), "error bad arguments: upgrade sideways");
}

}  // namespace
