// The command runner's edges: simulation without a root, and words that are empty.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commandRunner.h"
#include "linkLog.h"
#include "tempRoot.h"

namespace {

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

void restoreEnvironment(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

// ZEK_SIMULATION set and ZEK_ROOT not: the machine's own "/" is the only root there is.
class CommandRunnerWithoutRoot : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("ZEK_ROOT");
        ::setenv("ZEK_SIMULATION", "1", 1);
        setLinkLogSink([this](const char*, const std::string& line) { lines_.push_back(line); });
    }
    void TearDown() override {
        setLinkLogSink({});
        restoreEnvironment("ZEK_ROOT", root_);
        restoreEnvironment("ZEK_SIMULATION", simulation_);
    }

    std::vector<std::string> lines_;

private:
    std::optional<std::string> root_ = environmentValue("ZEK_ROOT");
    std::optional<std::string> simulation_ = environmentValue("ZEK_SIMULATION");
};

TEST_F(CommandRunnerWithoutRoot, NothingIsRecordedAndNothingRuns) {
    const bool logWasThere = ::access("/commands.log", F_OK) == 0;
    TempRoot scratch(false);  // a directory of the test's own; not the root
    const std::string made = scratch / "made";

    EXPECT_EQ(platform::commandLogPath(), "");
    EXPECT_EQ(platform::runCommand("reboot"), 0);
    EXPECT_EQ(platform::runCommand("mkdir " + made), 0);
    EXPECT_FALSE(std::filesystem::exists(made)) << "not even a file command is run";
    if (!logWasThere) {
        EXPECT_FALSE(std::filesystem::exists("/commands.log"))
            << "a command log was written at the machine's own root";
    }
    bool told = false;
    for (const std::string& line : lines_) {
        told = told || line.find("reboot") != std::string::npos;
    }
    EXPECT_TRUE(told) << "the dropped command leaves a log line";
}

TEST(CommandRunnerEmptyWord, IsRefusedAsEmpty) {
    TempRoot root;
    for (const std::string& command : {std::string("rm ''"), "rm '' " + (root / "x")}) {
        const platform::CommandVerdict verdict = platform::judgeSimulatedCommand(command);
        EXPECT_FALSE(verdict.allowed) << command;
        EXPECT_TRUE(verdict.steps.empty()) << command;
        EXPECT_NE(verdict.reason.find("empty"), std::string::npos)
            << command << ": " << verdict.reason;
    }
}

}  // namespace
