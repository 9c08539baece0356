// The daemon's self-update from a stick folder in a temporary root: the version its daemon tells,
// and an installation that either switches "current" to a verified copy or leaves it where it was.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "daemonUpdate.h"
#include "linkLog.h"
#include "tempRoot.h"

namespace {

namespace fs = std::filesystem;

TEST(StickVersion, OnlyThreeDigitsADotAndThreeDigits) {
    struct row {
        const char* output;
        bool read;
        int major;
        int minor;
    };
    const row rows[] = {
        {"current Version:023.036\n", true, 23, 36},
        {"current Version:023.036", true, 23, 36},
        {"current Version:023.036\r\n", true, 23, 36},
        {"current Version:999.999\n", true, 999, 999},
        {"current Version: 23.036\n", false, 0, 0},  // white space
        {"current Version:+23.036\n", false, 0, 0},  // a sign
        {"current Version:023.-36\n", false, 0, 0},
        {"current Version:023.03 \n", false, 0, 0},
        {"current Version:023.0361\n", false, 0, 0},  // more digits
        {"current Version:023,036\n", false, 0, 0},   // another separator
        {"current Version:0x3.036\n", false, 0, 0},
        {"current Version:023.036\nreboot\n", false, 0, 0},
        {"current Version:023.03", false, 0, 0},
        {"current Version 023.036\n", false, 0, 0},  // no colon
        {"", false, 0, 0},
    };
    for (const row& r : rows) {
        std::string version = "untouched";
        int major = 0;
        int minor = 0;
        EXPECT_EQ(parseStickVersion(r.output, version, major, minor), r.read) << r.output;
        if (r.read) {
            EXPECT_EQ(major, r.major) << r.output;
            EXPECT_EQ(minor, r.minor) << r.output;
        } else {
            EXPECT_EQ(version, "untouched") << r.output;
        }
    }
    for (const char* text : {"023.036", "000.000"}) {
        EXPECT_TRUE(isVersionText(text)) << text;
    }
    for (const char* text : {"23.36", "023.036 ", "023.036/..", "../..", "023.03a", ""}) {
        EXPECT_FALSE(isVersionText(text)) << text;
    }
}

class DaemonUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([this](const char*, const std::string& text) { log_ += text; });
        root_.writeFile("home/zek710/software/v-023.035/linkDaemon", "running daemon");
        EXPECT_EQ(::symlink(running().c_str(), current().c_str()), 0);
    }
    void TearDown() override { setLinkLogSink({}); }

    std::string stick() const { return root_ / "home/zek710/usb/zek710-firmware"; }
    std::string current() const { return root_ / "home/zek710/software/current"; }
    std::string running() const { return root_ / "home/zek710/software/v-023.035"; }
    std::string currentTarget() const { return fs::read_symlink(current()).string(); }

    void putStickDaemon(const std::string& script) {
        root_.writeFile("home/zek710/usb/zek710-firmware/linkDaemon", "#!/bin/sh\n" + script);
        ASSERT_EQ(::chmod((stick() + "/linkDaemon").c_str(), 0755), 0);
    }

    TempRoot root_;
    std::string log_;
};

TEST_F(DaemonUpdate, AVerifiedCopyIsSwitchedToInOneStep) {
    putStickDaemon("echo 'current Version:023.036'\n");
    root_.writeFile("home/zek710/usb/zek710-firmware/mcu.bin", std::string(300, 'm'));
    std::string version;
    int major = 0;
    int minor = 0;
    ASSERT_TRUE(isNewerAppInDir(version, major, minor));
    EXPECT_EQ(version, "023.036");

    std::map<std::string, std::uintmax_t> installed;
    ASSERT_TRUE(doUpdateApp(version, &installed)) << log_;
    EXPECT_EQ(currentTarget(), root_ / "home/zek710/software/v-023.036");
    EXPECT_EQ(installed["mcu.bin"], 300u);
    EXPECT_EQ(installed.size(), 2u);
    EXPECT_FALSE(fs::is_symlink(current() + ".new"));
    EXPECT_EQ(root_.recordedCommands(),
              (std::vector<std::string>{
                  "/home/zek710/usb/zek710-firmware/linkDaemon -v",
                  "mkdir -p /home/zek710/software/v-023.036",
                  "cp /home/zek710/usb/zek710-firmware/* /home/zek710/software/v-023.036/",
                  "sync",
                  "sync",
              }));

    // Installing it again before the daemon restarted writes nothing into the version "current"
    // points at.
    fs::remove(root_ / "commands.log");
    EXPECT_TRUE(doUpdateApp(version)) << log_;
    EXPECT_TRUE(root_.recordedCommands().empty());
    root_.writeFile("home/zek710/usb/zek710-firmware/mcu.bin", std::string(301, 'm'));
    EXPECT_FALSE(doUpdateApp(version));
    EXPECT_EQ(fs::file_size(root_ / "home/zek710/software/v-023.036/mcu.bin"), 300u);
}

TEST_F(DaemonUpdate, AFailedStepLeavesCurrentWhereItPointed) {
    struct scenario {
        const char* name;
        std::function<void()> prepare;
        const char* logged;
    };
    const std::string target = root_ / "home/zek710/software/v-023.036";
    const scenario scenarios[] = {
        {"mkdir fails: a plain file where the version directory goes",
         [&] { root_.writeFile("home/zek710/software/v-023.036", "not a directory"); },
         "Error creating version directory!"},
        {"cp fails: the target holds a directory where a file goes",
         [&] { fs::create_directories(target + "/mcu.bin/inside"); }, "Error copy usb file !"},
        {"the stick pulled mid-copy: a file listed is gone when it is copied",
         [&] { fs::create_symlink(stick() + "/gone.bin", stick() + "/part.bin"); },
         "Error copy usb file !"},
        {"a version text that is not NNN.NNN", [] {}, "not NNN.NNN"},
    };
    for (const scenario& s : scenarios) {
        fs::remove_all(root_ / "home/zek710/usb");
        fs::remove_all(target);
        putStickDaemon("echo 'current Version:023.036'\n");
        root_.writeFile("home/zek710/usb/zek710-firmware/mcu.bin", std::string(300, 'm'));
        s.prepare();
        log_.clear();
        const std::string version =
            std::string(s.logged) == "not NNN.NNN" ? "023.036/../../x" : "023.036";
        EXPECT_FALSE(doUpdateApp(version)) << s.name;
        EXPECT_EQ(currentTarget(), running()) << s.name;
        EXPECT_NE(log_.find(s.logged), std::string::npos) << s.name << "\n" << log_;
        fs::remove_all(target);
    }
}

TEST_F(DaemonUpdate, AStickDaemonThatHangsOrFloodsIsKilledAndNotOffered) {
    for (const char* script :
         {"sleep 37.5\necho 'current Version:023.036'\n", "while :; do echo 023.036; done\n",
          "echo 'current Version: 23.036'\n", "echo 'current Version:023.036;reboot'\n"}) {
        fs::remove_all(root_ / "home/zek710/usb");
        putStickDaemon(script);
        std::string version = "none";
        int major = -1;
        int minor = -1;
        const auto began = std::chrono::steady_clock::now();
        EXPECT_FALSE(isNewerAppInDir(version, major, minor)) << script;
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(15)) << script;
        EXPECT_EQ(version, "none") << script;
        EXPECT_EQ(major, -1) << script;
    }
    EXPECT_NE(log_.find("did not answer within 5 s: killed"), std::string::npos) << log_;
    EXPECT_NE(log_.find("printed more than 4096 bytes: killed"), std::string::npos) << log_;
}

}  // namespace
