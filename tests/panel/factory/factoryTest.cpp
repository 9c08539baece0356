// The factory tests of the panel in test mode, end to end in process: the T-bar calibration
// against the virtual MCU, the serial loop-back over the virtual cables, the USB copy test on a
// stick folder in the root, the key LED patterns on the MCU's LED map and the contact inputs.
// Runs inside the namespaces of netns-run.sh, as every panel rig does.
#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "gpioFile.h"
#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"
#include "simProcess.h"
#include "ttyUSB.h"

namespace {

struct Verdict {
    QString message;
    int index;
    bool operator==(const Verdict& other) const {
        return message == other.message && index == other.index;
    }
};

std::ostream& operator<<(std::ostream& out, const Verdict& v) {
    return out << v.message.toStdString() << "@" << v.index;
}

class Factory : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string root = rigRoot().path();
        // Every rig of the process shares the root: no stick or copies from an earlier test.
        std::filesystem::remove_all(root + "/mnt");
        std::filesystem::remove_all(root + "/home/zek710a/application");
        cable = std::make_unique<LoopbackCable>(root);
        ASSERT_TRUE(cable->started());
        rig = std::make_unique<PanelRig>(
            std::vector<int>{}, std::vector<PanelRig::NetworkCamera>{},
            [this](mainControl& panel) {
                QObject::connect(&panel, &mainControl::refreshCaliMsg, [this](QString m, int i) {
                    calibration.push_back({m, i});
                });
                QObject::connect(&panel, &mainControl::refreshRS422Msg, [this](QString m, int i) {
                    loopback.push_back({m, i});
                });
                QObject::connect(&panel, &mainControl::refreshUSBMsg, [this](QString m, int i) {
                    usb.push_back({m, i});
                });
                QObject::connect(&panel, &mainControl::refreshUSBButtonText,
                                 [this](QString m, int i) {
                                     usbButton.push_back({m, i});
                                 });
                QObject::connect(&panel, &mainControl::refreshTallyRed,
                                 [this](int channel) { tallyRed.push_back(channel); });
                QObject::connect(&panel, &mainControl::refreshTallyGreen,
                                 [this](int channel) { tallyGreen.push_back(channel); });
            },
            true);
        ASSERT_TRUE(rig->ready()) << rig->why();
    }
    void TearDown() override {
        rig.reset();
        cable.reset();
    }

    std::string mcu(const std::string& command) { return rig->mcu().command(command); }
    std::vector<Verdict> loopbackAfter(int pair) {
        loopback.clear();
        rig->panel().callRS422Check(pair);
        return loopback;
    }
    // The recorded commands from the first one naming the stick on.
    std::vector<std::string> usbCommands() {
        std::vector<std::string> all = rigRoot().recordedCommands();
        std::vector<std::string> ours;
        bool started = false;
        for (const std::string& command : all) {
            started = started || command.find("sda1") != std::string::npos;
            if (started) {
                ours.push_back(command);
            }
        }
        return ours;
    }
    void putStick(const std::string& picture) {
        ::mkdir((rigRoot().path() + "/mnt").c_str(), 0755);
        ::mkdir((rigRoot().path() + "/mnt/velmora").c_str(), 0755);
        rigRoot().writeFile("mnt/velmora/test.png", picture);
        ::mkdir((rigRoot().path() + "/home").c_str(), 0755);
        ::mkdir((rigRoot().path() + "/home/zek710a").c_str(), 0755);
        ::mkdir((rigRoot().path() + "/home/zek710a/application").c_str(), 0755);
    }

    std::unique_ptr<LoopbackCable> cable;
    std::unique_ptr<PanelRig> rig;
    std::vector<Verdict> calibration, loopback, usb, usbButton;
    std::vector<int> tallyRed, tallyGreen;
};

TEST_F(Factory, CalibrationStoresBothEndsAndVerifiesThemWithTheKeyLoopOffTheLine) {
    ASSERT_EQ(mcu("tbar 10"), "ok");
    // Let the key loop report the position, then watch every frame from here.
    ASSERT_TRUE(rig->keyLoopHasRead());
    ASSERT_EQ(mcu("reset counts"), "ok");
    rig->panel().callCalibration(1);
    EXPECT_TRUE(doingCalibration.load());
    // The key loop stays off the line between the steps, however long they take.
    ASSERT_EQ(mcu("tbar 1100"), "ok");
    QThread::msleep(600);
    rig->panel().callCalibration(2);
    QThread::msleep(600);
    EXPECT_EQ(mcu("get tbarcal"), "1100 10");
    rig->panel().callCalibration(99);
    EXPECT_FALSE(doingCalibration.load());
    EXPECT_EQ(calibration, (std::vector<Verdict>{{"正常", 99}}));

    // Frames: status 81, store 86 (bottom), status 81, store 86 (top), the calibration read 82
    // twice; key-loop status exchanges only before the first step and after the verify.
    const std::string frames = mcu("get frames");
    EXPECT_TRUE(std::regex_match(frames, std::regex("(81 )*81 86 81 86 82 82( 81)*"))) << frames;

    // And the key loop is back on the line.
    mcu("reset counts");
    QThread::msleep(500);
    EXPECT_NE(mcu("get frames"), "");
}

TEST_F(Factory, VerifyComparesTheStoredEndsWithThePositionsTaken) {
    mcu("tbar 10");
    rig->panel().callCalibration(1);
    mcu("tbar 1100");
    rig->panel().callCalibration(2);

    mcu("tbarcal 1012 23");
    rig->panel().callCalibration(99);
    mcu("tbarcal 1300 23");
    rig->panel().callCalibration(99);
    mcu("tbarcal 1100 210");  // the minimum exactly 200 off
    rig->panel().callCalibration(99);
    EXPECT_EQ(calibration, (std::vector<Verdict>{{"正常", 99}, {"異常", 99}, {"異常", 99}}));
    // Verify twice in a row leaves the line free each time.
    EXPECT_FALSE(doingCalibration.load());

    // An MCU that does not answer the read fails the verify.
    mcu("tbarcal 1100 10");
    mcu("fault silent");
    rig->panel().callCalibration(99);
    mcu("fault none");
    EXPECT_EQ(calibration.back(), (Verdict{"異常", 99}));
    EXPECT_FALSE(doingCalibration.load());
}

TEST_F(Factory, LoopbackPassesOnlyWhenBothDirectionsCarryThePatternUnchanged) {
    // Both directions carry the pattern, 147 bytes each, besides what the start-up sent.
    const auto forwarded = [&](const char* direction) {
        return std::stoi(cable->command(std::string("get 1 ") + direction).substr(6));
    };
    const int forth = forwarded("ab");
    const int back = forwarded("ba");
    EXPECT_EQ(loopbackAfter(1), (std::vector<Verdict>{{"正常", 1}}));
    EXPECT_EQ(forwarded("ab") - forth, 147);
    EXPECT_EQ(forwarded("ba") - back, 147);
    EXPECT_EQ(loopbackAfter(4), (std::vector<Verdict>{{"正常", 4}}));

    ASSERT_EQ(cable->command("break 2 ba"), "ok");
    EXPECT_EQ(loopbackAfter(2), (std::vector<Verdict>{{"異常", 2}}));
    cable->command("heal 2");
    ASSERT_EQ(cable->command("break 2 ab"), "ok");
    EXPECT_EQ(loopbackAfter(2), (std::vector<Verdict>{{"異常", 2}}));
    cable->command("heal 2");
    EXPECT_EQ(loopbackAfter(2), (std::vector<Verdict>{{"正常", 2}}));

    ASSERT_EQ(cable->command("corrupt 3 ab 40"), "ok");
    EXPECT_EQ(loopbackAfter(3), (std::vector<Verdict>{{"異常", 3}}));
    ASSERT_EQ(cable->command("droptail 3 ba 1"), "ok");
    EXPECT_EQ(loopbackAfter(3), (std::vector<Verdict>{{"異常", 3}}));
    EXPECT_EQ(loopbackAfter(3), (std::vector<Verdict>{{"正常", 3}}));

    // A line that echoes what it carries: the echo is no answer from the other end.
    ASSERT_EQ(cable->command("echo 1 ab"), "ok");
    ASSERT_EQ(cable->command("break 1 ba"), "ok");
    EXPECT_EQ(loopbackAfter(1), (std::vector<Verdict>{{"異常", 1}}));
    cable->command("heal 1");
    ASSERT_EQ(cable->command("echo 1 ab"), "ok");
    EXPECT_EQ(loopbackAfter(1), (std::vector<Verdict>{{"正常", 1}}));
    cable->command("heal 1");

    // A port that is not there.
    ASSERT_EQ(cable->command("unplug 4"), "ok");
    EXPECT_EQ(loopbackAfter(4), (std::vector<Verdict>{{"異常", 4}}));
    cable->command("plug 4");
    EXPECT_EQ(loopbackAfter(4), (std::vector<Verdict>{{"正常", 4}}));
}

TEST_F(Factory, SerialPortListNamesThePortsThatArePresent) {
    const auto cablePorts = [] {
        QStringList ports;
        for (const QString& name : ttyUSB::getSerialInfoList()) {
            if (name.startsWith("ttyUSB")) {
                ports << name;
            }
        }
        return ports;
    };
    EXPECT_EQ(cablePorts(), (QStringList{"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyUSB4",
                                         "ttyUSB5", "ttyUSB6", "ttyUSB7"}));
    ASSERT_EQ(cable->command("unplug 2"), "ok");
    EXPECT_EQ(cablePorts(),
              (QStringList{"ttyUSB0", "ttyUSB1", "ttyUSB4", "ttyUSB5", "ttyUSB6", "ttyUSB7"}));
    cable->command("plug 2");
}

TEST_F(Factory, UsbCopyTestCopiesBothWaysComparesAndCleansUp) {
    putStick(std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, '\x5a'));
    rig->panel().callUSBCheck(1);
    EXPECT_EQ(usbButton, (std::vector<Verdict>{{"請稍候", 1}}));
    EXPECT_EQ(usb, (std::vector<Verdict>{{"正常", 1}}));
    EXPECT_EQ(usbCommands(),
              (std::vector<std::string>{
                  "mount /dev/sda1 /mnt",
                  "cp -f /mnt/velmora/test.png /home/zek710a/application/test.png", "sync",
                  "cp -f /home/zek710a/application/test.png /mnt/velmora/test2.png", "sync",
                  "rm -f /home/zek710a/application/test.png", "sync",
                  "rm -f /mnt/velmora/test2.png", "sync"}));
    struct stat info {};
    EXPECT_NE(::stat((rigRoot().path() + "/mnt/velmora/test2.png").c_str(), &info), 0);
    EXPECT_NE(::stat((rigRoot().path() + "/home/zek710a/application/test.png").c_str(), &info), 0);

    std::remove((rigRoot().path() + "/commands.log").c_str());
    rig->panel().callUSBCheck(2);
    EXPECT_EQ(usb.back(), (Verdict{"正常", 2}));
    const std::vector<std::string> second = usbCommands();
    ASSERT_GE(second.size(), 2u);
    EXPECT_EQ(second[0], "umount /dev/sda1 /mnt");
    EXPECT_EQ(second[1], "mount /dev/sdb1 /mnt");
}

TEST_F(Factory, UsbCopyTestNamesTheFileThatCannotBeRead) {
    // No stick folder at all: the source.
    rig->panel().callUSBCheck(1);
    EXPECT_EQ(usb.back(), (Verdict{"來源檔異常", 1}));

    // The panel's folder is missing, so no copy is made there: the temporary file.
    ::mkdir((rigRoot().path() + "/mnt").c_str(), 0755);
    ::mkdir((rigRoot().path() + "/mnt/velmora").c_str(), 0755);
    rigRoot().writeFile("mnt/velmora/test.png", "picture");
    ::rmdir((rigRoot().path() + "/home/zek710a/application").c_str());
    rig->panel().callUSBCheck(1);
    EXPECT_EQ(usb.back(), (Verdict{"暫存檔異常", 1}));

    // The copy back cannot be written as a file (a folder stands in its way): the destination.
    putStick("picture");
    ::mkdir((rigRoot().path() + "/mnt/velmora/test2.png").c_str(), 0755);
    rig->panel().callUSBCheck(2);
    EXPECT_EQ(usb.back(), (Verdict{"目的檔異常", 2}));
    // The copy on the panel does not stay behind.
    struct stat info {};
    EXPECT_NE(::stat((rigRoot().path() + "/home/zek710a/application/test.png").c_str(), &info), 0);
    ::rmdir((rigRoot().path() + "/mnt/velmora/test2.png").c_str());
}

TEST_F(Factory, LedPatternsReachTheMcuLedMap) {
    const auto ledMapBecomes = [&](const std::string& hex) {
        return waitUntil([&] { return mcu("get ledmap") == hex; }, std::chrono::seconds(5));
    };
    rig->panel().callTestLed(1);
    EXPECT_TRUE(ledMapBecomes(std::string(40, '2'))) << mcu("get ledmap");
    rig->panel().callTestLed(2);
    EXPECT_TRUE(
        ledMapBecomes("22222222222222"
                      "333333333333333333"
                      "32"
                      "222222"))
        << mcu("get ledmap");
    rig->panel().callTestLed(3);
    EXPECT_TRUE(
        ledMapBecomes("22222222222222"
                      "444444444444444444"
                      "42"
                      "222222"))
        << mcu("get ledmap");
    rig->panel().callTestLed(4);
    EXPECT_TRUE(ledMapBecomes(std::string(40, '1'))) << mcu("get ledmap");
    EXPECT_TRUE(waitUntil([] { return testLED.load() == 0; }, std::chrono::seconds(5)));
    // Pattern 0: the key pressed last goes dark (key 3: the low nibble of byte 1, so 0x11 becomes
    // 0x10).
    mcu("press 3");
    EXPECT_TRUE(ledMapBecomes("1110" + std::string(36, '1'))) << mcu("get ledmap");
    mcu("release all");
}

TEST_F(Factory, TallyCheckReportsTheContactInputsThatAreHigh) {
    GpioFile gpio(rigRoot().path() + "/dev/gpiomem");
    ASSERT_TRUE(gpio.ok());
    gpio.setPin(22, true);  // red of input 3
    gpio.setPin(45, true);  // green of input 6
    rig->panel().callTallyCheck();
    EXPECT_TRUE(waitUntil([&] { return !tallyRed.empty() && !tallyGreen.empty(); },
                          std::chrono::seconds(8)));
    for (const int channel : tallyRed) {
        EXPECT_EQ(channel, 3);
    }
    for (const int channel : tallyGreen) {
        EXPECT_EQ(channel, 6);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
