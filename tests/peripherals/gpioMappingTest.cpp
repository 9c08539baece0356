// Mapping the GPIO block when "/dev/gpiomem" is there but cannot be opened: "/dev/mem" as root,
// nothing otherwise.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "gpio.h"
#include "tempRoot.h"

namespace {

// The BCM2711's block: peripheral base 0xFE000000 + 0x200000, above what 32 bits of offset hold.
constexpr off_t kBlockAddress = 0xFE200000;

class GpioFallbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        unmapGpioBlock();
        // A directory: the name is taken, but no device can be opened under it.
        std::filesystem::create_directories(root_ / "dev/gpiomem");
        root_.writeFile("proc/device-tree/soc/ranges",
                        std::string("\x7E\0\0\0\xFE\0\0\0\0\0\0\0", 12));
    }
    void TearDown() override { unmapGpioBlock(); }

    TempRoot root_;
};

TEST_F(GpioFallbackTest, RootReadsTheLevelsThroughDevMem) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may map /dev/mem";
    }
    // A sparse file stands in for the memory device, with the two level registers (words 13 and
    // 14 of the block) set.
    const int fd = ::open((root_ / "dev/mem").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kBlockAddress + 4096), 0);
    const std::uint32_t gplev0 = 0x80000004;  // pins 2 and 31
    const std::uint32_t gplev1 = 0x00000100;  // pin 40
    EXPECT_EQ(::pwrite(fd, &gplev0, 4, kBlockAddress + 13 * 4), 4);
    EXPECT_EQ(::pwrite(fd, &gplev1, 4, kBlockAddress + 14 * 4), 4);
    ::close(fd);

    ::testing::internal::CaptureStdout();
    const bool mapped = mapGpioBlock();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(mapped) << printed;
    EXPECT_EQ(get_gpio_level(2), 1);
    EXPECT_EQ(get_gpio_level(3), 0);
    EXPECT_EQ(get_gpio_level(31), 1);
    EXPECT_EQ(get_gpio_level(40), 1);
    EXPECT_EQ(get_gpio_level(41), 0);
}

TEST_F(GpioFallbackTest, AnyoneElseIsToldToBeRoot) {
    // The mapping runs in a child without root rights; its standard output comes back through a
    // pipe.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    std::fflush(stdout);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (::geteuid() == 0 && ::seteuid(65534) != 0) {
            ::_exit(2);
        }
        const bool mapped = mapGpioBlock();
        std::fflush(stdout);
        ::_exit(mapped ? 1 : 0);
    }
    ::close(pipeFds[1]);
    std::string printed;
    char piece[256];
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], piece, sizeof piece)) > 0) {
        printed.append(piece, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: mapped without root; 2: could not leave root";
    EXPECT_EQ(printed, "Must be root\n");
}

}  // namespace
