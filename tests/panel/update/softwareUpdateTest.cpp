// The software update from a USB stick with real password-protected archives made by Debian's zip
// in a temporary root: the version check, the install in its order, the directories it leaves and
// the commands it runs, and packages that must not install.
#include "softwareUpdate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <vector>

#include "linkLog.h"
#include "rescueControl.h"
#include "tempRoot.h"

namespace {

namespace fs = std::filesystem;

const std::string kManifestMcuAppScript =
    "1, zek710a_mcu.bin, v1.0.8.0, panel MCU\r\n"
    "2, zek710amgrgui, v1.0.8, application\r\n"
    "5, fix.sh, v1, system script\r\n";

// Runs Debian's zip in folder (no shell): the archive holds "name/..." with the password.
int zipFolder(const std::string& folder, const std::string& name, const std::string& archive,
              const std::string& password) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) == 0) {
            ::execlp("zip", "zip", "-q", "-r", "-P", password.c_str(), archive.c_str(),
                     name.c_str(), static_cast<char*>(nullptr));
        }
        ::_exit(127);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SoftwareUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([](const char*, const std::string&) {});
        root_.writeFile("home/zek710a/application/current/zek710amgrgui", "running build");
        root_.writeFile("home/zek710a/application/current/lang_de.qm", "translation");
        root_.writeFile("home/zek710a/application/prev/zek710amgrgui", "older build");
        fs::create_directories(root_ / "run/media/sda1/velmora");
    }
    void TearDown() override { setLinkLogSink({}); }

    // Packs files (name -> content) and the manifest into the stick's archive.
    void makeArchive(const std::string& manifest, const std::map<std::string, std::string>& files,
                     const std::string& password = "mQ#v_2408T") {
        const std::string staging = root_ / "staging";
        fs::remove_all(staging);
        root_.writeFile("staging/zek710a_fwup/manifest.txt", manifest);
        for (const auto& [name, content] : files) {
            root_.writeFile("staging/zek710a_fwup/" + name, content);
        }
        const std::string archive = root_ / "run/media/sda1/velmora/zek710a_fwup";
        fs::remove(archive);
        ASSERT_EQ(zipFolder(staging, "zek710a_fwup", archive + ".zip", password), 0);
        fs::rename(archive + ".zip", archive);
    }

    std::map<std::string, std::string> standardFiles() const {
        return {{"zek710a_mcu.bin", "mcu image"},
                {"zek710amgrgui", "new build"},
                {"fix.sh", "echo ran > \"$ZEK_ROOT/script-ran\"\n"}};
    }

    update::softwareUpdater updater() {
        update::softwareUpdater::listeners tell;
        tell.progress = [this](int percent) { progress_.push_back(percent); };
        tell.newVersion = [this](bool upable, const std::string& app, const std::string& mcu) {
            offers_.push_back({upable, app, mcu});
        };
        tell.result = [this](const std::string& result) { results_.push_back(result); };
        return update::softwareUpdater(tell, [](std::chrono::milliseconds) {});
    }

    std::vector<std::string> commands() const { return root_.recordedCommands(); }

    std::string file(const std::string& relative) const {
        return fs::exists(root_ / relative) ? root_.readFile(relative) : "(missing)";
    }

    TempRoot root_;
    std::vector<int> progress_;
    std::vector<update::versionOffer> offers_;
    std::vector<std::string> results_;
};

update::manifestReading manifestOf(const std::string& app, const std::string& mcu = "") {
    std::string text = "2,zek710amgrgui," + app + ",application\n";
    if (!mcu.empty()) {
        text = "1,mcu.bin," + mcu + ",MCU\n" + text;
    }
    return update::readManifest(text);
}

TEST(UpdateVersions, NewerIsOfferedComparingWholeVersions) {
    struct row {
        const char* app;
        const char* mcu;
        bool upable;
    };
    const row rows[] = {
        {"v1.0.8", "", true},           // newer application
        {"v1.0.7", "", false},          // the running one
        {"v1.0.6", "", false},          // older
        {"v0.9.9", "", false},          // older, though 9 > 0 and 9 > 7
        {"v2.0.0", "", true},           //
        {"v1.1.0", "", true},           // 0 < 7 in the last number does not matter
        {"v1.0.7", "v0.1.0.8", true},   // same application, newer MCU image
        {"v1.0.7", "v0.1.0.7", false},  // both the running ones
        {"v1.0.7", "v0.0.9.9", false},  // older MCU image
        {"v1.0.7", "v1.0.0.1", true},   // 1.0.0.1 is above 0.1.0.7
        {"v1.0.8", "v0.0.0.1", true},   // newer application, older image
        {"v1.0", "", false},            // fewer than 3 numbers
        {"v1.0.8.1", "", false},        // more than 3
        {"1.0.8", "", false},           // no leading character: "1" is taken as it
        {"v1.0.x", "", false},          //
        {"v1.0.8", "v1.0.8", false},    // an MCU version of fewer than 4 numbers
        {"v1..8", "", false},           //
        {"v99999999.0.0", "", false},   // absurd numbers are not versions
    };
    for (const row& r : rows) {
        const update::versionOffer offer =
            update::offerFor(manifestOf(r.app, r.mcu), "1.0.7", "0.1.0.7");
        EXPECT_EQ(offer.upable, r.upable) << r.app << " " << r.mcu;
        EXPECT_EQ(offer.appVersion, r.app);
        EXPECT_EQ(offer.mcuVersion, r.mcu);
    }
    // Without an application entry nothing is offered.
    const update::versionOffer none =
        update::offerFor(update::readManifest("1,mcu.bin,v9.9.9.9,MCU\n"), "1.0.7", "0.1.0.7");
    EXPECT_FALSE(none.upable);
    EXPECT_EQ(none.appVersion, "");
}

TEST(UpdateManifest, LinesFieldsAndRefusals) {
    const update::manifestReading reading = update::readManifest(
        " 1 , mcu.bin , v0.1.0.8 , MCU image \r\n"
        "2,zek710amgrgui,v1.0.8\r\n"  // three fields: not an entry
        "\n"
        "4,other.sh,v1,script,extra field\n");
    ASSERT_TRUE(reading.refusal.empty());
    ASSERT_EQ(reading.entries.size(), 2u);
    EXPECT_EQ(reading.entries[0].flag, "1");
    EXPECT_EQ(reading.entries[0].filename, "mcu.bin");
    EXPECT_EQ(reading.entries[0].version, "v0.1.0.8");
    EXPECT_EQ(reading.entries[0].desc, "MCU image");
    EXPECT_EQ(reading.entries[1].filename, "other.sh");

    for (const char* name :
         {"../../current/zek710amgrgui", "/etc/passwd", "a b", "a;reboot", "$(reboot)", "`reboot`",
          "a|b", "a&b", "x'y", "x\"y", "..", ".", "-rf", "a\\b", "a\tb"}) {
        const update::manifestReading hostile =
            update::readManifest(std::string("2,") + name + ",v1.0.8,app\n");
        EXPECT_FALSE(hostile.refusal.empty()) << name;
        EXPECT_TRUE(hostile.entries.empty()) << name;
    }
    std::string eleven;
    for (int i = 0; i < 11; ++i) {
        eleven += "4,s" + std::to_string(i) + ".sh,v1,script\n";
    }
    EXPECT_EQ(update::readManifest(eleven).refusal, "more than 10 entries");
}

TEST_F(SoftwareUpdateTest, VersionCheckReadsTheArchiveAndCleansUp) {
    makeArchive(kManifestMcuAppScript, standardFiles());
    EXPECT_EQ(updater().getUpgradeVersion("1.0.7", "0.1.0.7"), "v1.0.8");
    ASSERT_EQ(offers_.size(), 1u);
    EXPECT_TRUE(offers_[0].upable);
    EXPECT_EQ(offers_[0].appVersion, "v1.0.8");
    EXPECT_EQ(offers_[0].mcuVersion, "v1.0.8.0");
    EXPECT_EQ(commands(), (std::vector<std::string>{
                              "mkdir -p /home/zek710a/application/temp/zek710a_fwup",
                              "sync",
                              "unzip -P mQ#v_2408T /run/media/sda1/velmora/zek710a_fwup -d "
                              "/home/zek710a/application/temp/",
                              "sync",
                              "rm -r /home/zek710a/application/temp/zek710a_fwup",
                              "sync",
                              "sync",
                          }));
    EXPECT_FALSE(fs::exists(root_ / "home/zek710a/application/temp/zek710a_fwup"));
    EXPECT_TRUE(results_.empty());

    // No stick folder: nothing offered.
    fs::remove_all(root_ / "run/media/sda1/velmora");
    EXPECT_EQ(updater().getUpgradeVersion("1.0.7", "0.1.0.7"), "");
    EXPECT_FALSE(offers_.back().upable);
    EXPECT_EQ(offers_.back().appVersion, "");
}

TEST_F(SoftwareUpdateTest, InstallsMcuImageApplicationAndScriptInOrder) {
    makeArchive(kManifestMcuAppScript, standardFiles());
    EXPECT_EQ(updater().callUpgrade(), "OK");
    EXPECT_EQ(results_, std::vector<std::string>{"OK"});
    EXPECT_EQ(progress_,
              (std::vector<int>{10, 12, 15, 25, 33, 40, 50, 56, 60, 68, 70, 80, 82, 84, 86, 100}));

    EXPECT_EQ(file("home/zek710a/application/current/zek710amgrgui"), "new build");
    EXPECT_EQ(file("home/zek710a/application/current/zek710a_mcu.bin"), "mcu image");
    EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "running build");
    EXPECT_EQ(file("home/zek710a/application/prev/lang_de.qm"), "translation");
    EXPECT_FALSE(fs::exists(root_ / "home/zek710a/application/new"));
    EXPECT_FALSE(fs::exists(root_ / "home/zek710a/application/update/zek710a_fwup"));
    EXPECT_TRUE(fs::exists(root_ / "home/zek710a/application/update"));
    EXPECT_TRUE(fs::exists(root_ / "home/zek710a/application/update_old"));
    EXPECT_EQ(file("script-ran"), "ran\n");
    struct stat info {};
    ASSERT_EQ(::stat((root_ / "home/zek710a/application/current/zek710amgrgui").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);

    const std::string u = "/home/zek710a/application/update/zek710a_fwup/";
    EXPECT_EQ(commands(),
              (std::vector<std::string>{
                  "mkdir -p /home/zek710a/application/update",
                  "sync",
                  "cp -r /home/zek710a/application/update "
                  "/home/zek710a/application/update_old",
                  "rm -rf /home/zek710a/application/update/",
                  "sync",
                  "unzip -P mQ#v_2408T /run/media/sda1/velmora/zek710a_fwup -d "
                  "/home/zek710a/application/update/",
                  "sync",
                  "mkdir -p /home/zek710a/application/new",
                  "sync",
                  "mv -f " + u + "zek710a_mcu.bin /home/zek710a/application/new/zek710a_mcu.bin",
                  "sync",
                  "mv -f " + u + "zek710amgrgui /home/zek710a/application/new/zek710amgrgui",
                  "rm -r /home/zek710a/application/prev",
                  "mv -f /home/zek710a/application/current /home/zek710a/application/prev",
                  "mv -f /home/zek710a/application/new /home/zek710a/application/current",
                  "chmod +x /home/zek710a/application/current/zek710amgrgui",
                  "sync",
                  "chmod +x " + u + "fix.sh",
                  "sync",
                  "bash " + u + "fix.sh",
                  "sync",
                  "rm -f " + u + "fix.sh",
                  "sync",
                  "rm -r /home/zek710a/application/update/zek710a_fwup",
              }));
}

TEST_F(SoftwareUpdateTest, AnMcuImageAfterTheApplicationIsLeftBehindAndSaysSo) {
    makeArchive("2,zek710amgrgui,v1.0.8,application\n1,zek710a_mcu.bin,v1.0.8.0,MCU\n",
                standardFiles());
    EXPECT_EQ(updater().callUpgrade(), "ERROR");
    EXPECT_EQ(file("home/zek710a/application/current/zek710amgrgui"), "new build");
    EXPECT_FALSE(fs::exists(root_ / "home/zek710a/application/current/zek710a_mcu.bin"));
    EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "running build");
    EXPECT_FALSE(fs::exists(root_ / "home/zek710a/application/update/zek710a_fwup"));
}

TEST_F(SoftwareUpdateTest, AFailingScriptIsAnErrorAndStopsThePackage) {
    makeArchive("4,bad.sh,v1,script\n2,zek710amgrgui,v1.0.8,application\n",
                {{"bad.sh", "exit 3\n"}, {"zek710amgrgui", "new build"}});
    EXPECT_EQ(updater().callUpgrade(), "ERROR");
    EXPECT_EQ(results_, std::vector<std::string>{"ERROR"});
    EXPECT_EQ(file("home/zek710a/application/current/zek710amgrgui"), "running build");
    EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "older build");
}

TEST_F(SoftwareUpdateTest, PackagesThatMustNotInstallLeaveCurrentAndPrevAlone) {
    struct scenario {
        const char* name;
        std::function<void()> prepare;
    };
    const scenario scenarios[] = {
        {"wrong password",
         [this] { makeArchive(kManifestMcuAppScript, standardFiles(), "another password"); }},
        {"file name leaving the folder",
         [this] { makeArchive("2,../../current/zek710amgrgui,v1.0.8,app\n", standardFiles()); }},
        {"file name with a command in it",
         [this] { makeArchive("5,x;reboot,v1,script\n", standardFiles()); }},
        {"more than 10 entries",
         [this] {
             std::string manifest;
             for (int i = 0; i < 11; ++i) {
                 manifest += "4,fix.sh,v1,script\n";
             }
             makeArchive(manifest, standardFiles());
         }},
        {"no stick", [this] { fs::remove_all(root_ / "run/media/sda1"); }},
    };
    for (const scenario& s : scenarios) {
        s.prepare();
        fs::remove(root_ / "commands.log");
        EXPECT_EQ(updater().callUpgrade(), "ERROR") << s.name;
        EXPECT_EQ(file("home/zek710a/application/current/zek710amgrgui"), "running build")
            << s.name;
        EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "older build") << s.name;
        EXPECT_FALSE(fs::exists(root_ / "script-ran")) << s.name;
        for (const std::string& command : commands()) {
            EXPECT_EQ(command.find("mv -f /home/zek710a/application/current"), std::string::npos)
                << s.name;
            EXPECT_EQ(command.find("bash"), std::string::npos) << s.name;
            EXPECT_EQ(command.find("reboot"), std::string::npos) << s.name;
        }
    }
}

// Whatever the sequence of installs and failures before a reboot, the recovery tool puts back a
// build that has run on this panel.
TEST_F(SoftwareUpdateTest, RetriesAndSecondInstallsKeepTheBuildThatRanForTheRescue) {
    const std::string ran = "home/zek710a/application/current/zek710amgrgui";
    const auto rescue = [this] {
        rescueControl tool([](int) {});
        return tool.doRescue();
    };
    struct sequence {
        const char* name;
        std::string manifest;
        std::map<std::string, std::string> files;
        std::vector<std::string> results;
    };
    const sequence sequences[] = {
        {"install, a script failing after the application, Try Again",
         "2,zek710amgrgui,v1.0.8,application\n4,bad.sh,v1,script\n",
         {{"zek710amgrgui", "new build"}, {"bad.sh", "exit 3\n"}},
         {"ERROR", "ERROR"}},
        {"install, install",
         "2,zek710amgrgui,v1.0.8,application\n",
         {{"zek710amgrgui", "new build"}},
         {"OK", "OK"}},
    };
    for (const sequence& q : sequences) {
        fs::remove_all(root_ / "home/zek710a/application");
        root_.writeFile(ran, "running build");
        root_.writeFile("home/zek710a/application/prev/zek710amgrgui", "older build");
        ASSERT_TRUE(update::markVersionRan("1.0.7"));  // the build running now came up
        results_.clear();
        makeArchive(q.manifest, q.files);
        updater().callUpgrade();
        EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "running build") << q.name;
        makeArchive(q.manifest, q.files);
        updater().callUpgrade();
        EXPECT_EQ(results_, q.results) << q.name;
        EXPECT_EQ(file(ran), "new build") << q.name;
        EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "running build")
            << q.name << ": the build that ran is kept, not the one that never ran";
        EXPECT_EQ(file("home/zek710a/application/prev/.ran"), "1.0.7\n") << q.name;
        EXPECT_EQ(rescue(), 0) << q.name;
        EXPECT_EQ(file(ran), "running build") << q.name;
    }

    // Once the new build has come up, the next install makes it the one kept.
    ASSERT_TRUE(update::markVersionRan("1.0.8"));
    root_.writeFile(ran, "new build");
    makeArchive("2,zek710amgrgui,v1.0.9,application\n", {{"zek710amgrgui", "newer build"}});
    EXPECT_EQ(updater().callUpgrade(), "OK");
    EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "new build");
    EXPECT_EQ(file(ran), "newer build");
}

TEST_F(SoftwareUpdateTest, StickWithoutArchiveInstallsNothing) {
    EXPECT_EQ(updater().callUpgrade(), "OK");
    EXPECT_EQ(file("home/zek710a/application/current/zek710amgrgui"), "running build");
    EXPECT_EQ(file("home/zek710a/application/prev/zek710amgrgui"), "older build");
}

}  // namespace
