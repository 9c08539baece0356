#include "commandRunner.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "linkLog.h"
#include "tempRoot.h"

namespace {

class CommandRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([](const char*, const std::string&) {});
    }
    void TearDown() override { setLinkLogSink({}); }

    std::string under(const std::string& relative) const { return root_ / relative; }
    std::vector<std::string> recorded() const {
        std::vector<std::string> lines;
        std::string all = root_.readFile("commands.log");
        std::size_t start = 0;
        std::size_t end = 0;
        while ((end = all.find('\n', start)) != std::string::npos) {
            lines.push_back(all.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    TempRoot root_;
};

TEST_F(CommandRunnerTest, SystemCommandsAreRecordedAndNeverRun) {
    // Each of these would act on the machine; in simulation they are recorded only.
    const std::vector<std::string> dangerous = {
        "reboot",
        "shutdown -h now",
        "sudo reboot",
        "i2cset -y 1 0x20 0x01 0xfe",
        "mount /dev/sda1 /run/media/sda1",
        "umount /run/media/sda1",
        "kill -9 1",
        "echo 50000 > " + under("sys/class/pwm/pwmchip0/pwm0/duty_cycle"),
        "bash -c 'reboot'",
        "cp " + under("a") + " /etc/zek-should-not-exist",
        "rm -rf " + under("../zek-should-not-exist"),
        "cp a b",
        "sync; reboot",
        "cp " + under("a") + " " + under("b") + " | sh",
    };
    for (const std::string& command : dangerous) {
        const platform::CommandVerdict verdict = platform::judgeSimulatedCommand(command);
        EXPECT_FALSE(verdict.allowed) << command;
        EXPECT_FALSE(verdict.reason.empty()) << command;
        EXPECT_EQ(platform::runCommand(command), 0) << command;
    }
    EXPECT_EQ(recorded(), dangerous);
    EXPECT_FALSE(std::filesystem::exists("/etc/zek-should-not-exist"));
    EXPECT_FALSE(std::filesystem::exists(root_.path() + "/sys/class/pwm/pwmchip0/pwm0/duty_cycle"));
}

TEST_F(CommandRunnerTest, FileCommandsInsideTheRootRun) {
    root_.writeFile("run/media/sda1/update/app.bin", "new build");
    const std::string commands[] = {
        "mkdir -p " + under("home/zek710a/application/new"),
        "cp -f " + under("run/media/sda1/update/app.bin") + " " +
            under("home/zek710a/application/new/app.bin") + " && sync",
        "chmod 755 " + under("home/zek710a/application/new/app.bin"),
        "mv " + under("home/zek710a/application/new") + " " +
            under("home/zek710a/application/current"),
        "rm -f " + under("run/media/sda1/update/*.bin"),
    };
    for (const std::string& command : commands) {
        EXPECT_TRUE(platform::judgeSimulatedCommand(command).allowed) << command;
        EXPECT_EQ(platform::runCommand(command), 0) << command;
    }
    EXPECT_EQ(root_.readFile("home/zek710a/application/current/app.bin"), "new build");
    struct stat info {};
    ASSERT_EQ(::stat(under("home/zek710a/application/current/app.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_FALSE(std::filesystem::exists(under("run/media/sda1/update/app.bin")));
    EXPECT_EQ(recorded(), std::vector<std::string>(std::begin(commands), std::end(commands)));
}

TEST_F(CommandRunnerTest, AndChainStopsAtTheFirstFailure) {
    const std::string command =
        "cp " + under("missing") + " " + under("copy") + " && mkdir " + under("made");
    EXPECT_NE(platform::runCommand(command), 0);
    EXPECT_FALSE(std::filesystem::exists(under("made")));
    EXPECT_EQ(platform::runCommand("cp " + under("missing") + " " + under("copy") + " ; mkdir " +
                                   under("made")),
              0);
    EXPECT_TRUE(std::filesystem::exists(under("made")));
}

TEST_F(CommandRunnerTest, LinksOutOfTheRootAreNotFollowed) {
    std::filesystem::create_directories(under("mnt"));
    ASSERT_EQ(::symlink("/tmp", under("mnt/outside").c_str()), 0);
    root_.writeFile("a", "x");
    EXPECT_FALSE(
        platform::judgeSimulatedCommand("cp " + under("a") + " " + under("mnt/outside/zek-x"))
            .allowed);
    // Removing the link itself stays inside.
    EXPECT_TRUE(platform::judgeSimulatedCommand("rm " + under("mnt/outside")).allowed);
}

TEST_F(CommandRunnerTest, ExecReturnsWhatAScriptInsideTheRootPrinted) {
    root_.writeFile("run/media/sda1/velmora/update.sh", "echo \"$1 done\"\n");
    EXPECT_EQ(exec(("bash " + under("run/media/sda1/velmora/update.sh") + " install").c_str()),
              "install done\n");
    EXPECT_EQ(exec("reboot"), "");
}

TEST(CommandRunnerOnTheBoard, PipeOutputIsReturnedWhole) {
    ::unsetenv("ZEK_SIMULATION");
    ASSERT_FALSE(platform::simulationMode());
    // Longer than one 128-byte piece.
    EXPECT_EQ(platform::runCommandOutput("printf '%0300d' 0").size(), 300u);
    EXPECT_EQ(platform::runCommand("exit 3"), 3);
}

}  // namespace

namespace {

TEST_F(CommandRunnerTest, SudoOfAFileCommandAndUnzipsPasswordRunInsideTheRoot) {
    root_.writeFile("home/zek710a/application/prev/zek710amgrgui", "previous build");
    const std::string copy = "sudo cp -f " + under("home/zek710a/application/prev/zek710amgrgui") +
                             " " + under("home/zek710a/application/zek710amgrgui");
    EXPECT_TRUE(platform::judgeSimulatedCommand(copy).allowed);
    EXPECT_EQ(platform::runCommand(copy), 0);
    EXPECT_EQ(root_.readFile("home/zek710a/application/zek710amgrgui"), "previous build");
    // A copy that fails says so.
    EXPECT_NE(platform::runCommand("sudo cp -f " + under("missing") + " " + under("x")), 0);

    const platform::CommandVerdict unzip = platform::judgeSimulatedCommand(
        "unzip -P mQ#v_2408T " + under("stick/pkg") + " -d " + under("update/"));
    ASSERT_TRUE(unzip.allowed) << unzip.reason;
    EXPECT_EQ(unzip.steps.at(0).at(2), "mQ#v_2408T");
    EXPECT_FALSE(platform::judgeSimulatedCommand("sudo mount /dev/sda1 " + under("mnt")).allowed);
    EXPECT_FALSE(platform::judgeSimulatedCommand("sudo -s").allowed);
}

}  // namespace

namespace {

// Programs from a USB stick are run under limits: one that hangs or prints without end is killed
// and reported as such, on the board (through the shell) and in simulation (a script in the root).
TEST_F(CommandRunnerTest, LimitedRunsEndProgramsThatHangOrFlood) {
    root_.writeFile("stick/hangs", "#!/bin/sh\necho started\nsleep 37.25 &\nsleep 37.25\n");
    root_.writeFile("stick/floods", "#!/bin/sh\nwhile :; do echo flood; done\n");
    root_.writeFile("stick/answers", "#!/bin/sh\necho 'current Version:023.036'\nexit 2\n");
    for (const char* name : {"stick/hangs", "stick/floods", "stick/answers"}) {
        ASSERT_EQ(::chmod(under(name).c_str(), 0755), 0);
    }
    const platform::outputLimits limits{std::chrono::milliseconds(300), 1000};
    for (const bool simulation : {true, false}) {
        if (!simulation) {
            ::unsetenv("ZEK_SIMULATION");
        }
        const auto began = std::chrono::steady_clock::now();
        const platform::limitedOutput hung =
            platform::runCommandOutputLimited(under("stick/hangs"), limits);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
        EXPECT_TRUE(hung.started);
        EXPECT_TRUE(hung.timedOut) << simulation;
        EXPECT_FALSE(hung.overflowed);
        EXPECT_EQ(hung.status, -1);
        EXPECT_EQ(hung.output, "started\n");

        const platform::limitedOutput flood =
            platform::runCommandOutputLimited(under("stick/floods"), limits);
        EXPECT_TRUE(flood.overflowed) << simulation;
        EXPECT_EQ(flood.output.size(), 1000u);
        EXPECT_EQ(flood.status, -1);

        const platform::limitedOutput answer =
            platform::runCommandOutputLimited(under("stick/answers") + " -v", limits);
        EXPECT_FALSE(answer.timedOut || answer.overflowed) << simulation;
        EXPECT_EQ(answer.output, "current Version:023.036\n");
        EXPECT_EQ(answer.status, 2);
    }
    ::setenv("ZEK_SIMULATION", "1", 1);
    // Neither the program nor its child is left running.
    EXPECT_NE(std::system("pgrep -f 'sleep 37[.]25' >/dev/null"), 0);
}

}  // namespace
