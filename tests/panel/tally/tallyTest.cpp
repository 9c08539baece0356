// Tally of the panel application end to end: the virtual switcher's program and preview, and the
// contact inputs in the GPIO file, reach the mapped virtual cameras' lamps. Runs inside the
// namespaces of netns-run.sh: the switcher and the network camera stand in the camera namespace
// and the start-up scan finds both.
#include <QCoreApplication>
#include <QSettings>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gpioFile.h"
#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"
#include "virtualSwitcherProcess.h"

namespace {

constexpr const char* kSwitcherAddress = "10.77.0.60";
// With the serial ports in use the first network camera found is camera 9.
const PanelRig::NetworkCamera kNetworkCamera = {"net", "10.77.0.20", false, "Cam-Net",
                                                "02:A4:5C:07:00:20"};

// The tally command with red and green as the cameras log it.
std::string lampCommand(const char* redGreen) {
    return std::string("81017e010a00") + redGreen + "ff";
}

class Tally : public ::testing::Test {
protected:
    // Starts the switcher and the panel with this tally mode and mapping (channel -> camera)
    // saved, as they would be from an earlier run.
    void startPanel(int mode, const std::map<int, int>& channelCamera,
                    const std::vector<std::string>& switcherArgs = {},
                    const std::vector<std::string>& switcherCommands = {}) {
        const std::string root = rigRoot().path();
        switcher = std::make_unique<VirtualSwitcher>(root, kSwitcherAddress, "MX5800",
                                                     "02:A4:5C:07:00:60", switcherArgs);
        ASSERT_TRUE(switcher->started());
        for (const std::string& command : switcherCommands) {
            ASSERT_EQ(switcher->command(command), "ok") << command;
        }
        rig = std::make_unique<PanelRig>(
            std::vector<int>{1, 2}, std::vector<PanelRig::NetworkCamera>{kNetworkCamera},
            [&](mainControl& panel) {
                currTallyMode = mode;
                QSettings& settings = zek710aSettings();
                settings.beginGroup("system");
                for (const auto& [channel, camera] : channelCamera) {
                    settings.setValue(QStringLiteral("tallymap%1").arg(channel - 1), camera);
                }
                settings.endGroup();
                QObject::connect(&panel, &mainControl::refreshSwitcher,
                                 [this](bool connected) { switcherReports.push_back(connected); });
            });
        ASSERT_TRUE(rig->ready()) << rig->why();
    }
    void TearDown() override {
        rig.reset();
        switcher.reset();
        ::unlink((rigRoot().path() + "/dev/gpiomem").c_str());
    }

    VirtualCamera& camera(int number) {
        return number <= 8 ? rig->serialCamera(number) : rig->networkCamera(kNetworkCamera.name);
    }
    // Waits until the camera's lamps are red and green ("1" on, "0" off).
    bool lampsBecome(int number, const char* red, const char* green,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return waitUntil(
            [&] {
                return camera(number).get("tallyRed") == red &&
                       camera(number).get("tallyGreen") == green;
            },
            limit);
    }
    void cut(const std::string& command) { ASSERT_EQ(switcher->command(command), "ok"); }
    std::string switcherState() { return switcher->command("get state"); }

    std::unique_ptr<VirtualSwitcher> switcher;
    std::unique_ptr<PanelRig> rig;
    std::vector<bool> switcherReports;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(Tally, ProgramAndPreviewReachSerialAndNetworkCameras) {
    startPanel(2, {{1, 1}, {2, 9}, {3, 2}});
    // The switcher is the one the scan filed, and it becomes the saved target.
    EXPECT_EQ(switcherDevice[0].orb.hcipnetwork.ipadd, kSwitcherAddress);
    ASSERT_TRUE(waitUntil([&] { return contains(switcherState(), "connected=1"); }));
    ASSERT_TRUE(waitUntil([&] { return !switcherReports.empty(); }));
    EXPECT_TRUE(switcherReports.back());
    zek710aSettings().sync();
    EXPECT_EQ(zek710aSettings().value("switcher/targetip").toString(), kSwitcherAddress);
    EXPECT_EQ(zek710aSettings().value("switcher/targetname").toString(), "MX5800");

    cut("program 1");
    cut("preview 2");
    EXPECT_TRUE(lampsBecome(1, "1", "0"));
    EXPECT_TRUE(lampsBecome(9, "0", "1"));
    EXPECT_TRUE(contains(camera(1).command("get messages"), lampCommand("0203")));
    EXPECT_TRUE(contains(camera(9).command("get messages"), lampCommand("0302")));

    // Channel 2 on program and preview lights red only; channel 1 goes idle.
    cut("program 2");
    EXPECT_TRUE(lampsBecome(9, "1", "0"));
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    EXPECT_TRUE(contains(camera(1).command("get messages"), lampCommand("0303")));

    // A tally byte that means nothing leaves the lamps as they are.
    cut("preview 3");
    EXPECT_TRUE(lampsBecome(2, "0", "1"));
    cut("set 3 2");
    cut("program 1");
    EXPECT_TRUE(lampsBecome(1, "1", "0"));
    EXPECT_EQ(camera(2).get("tallyGreen"), "1");
}

TEST_F(Tally, SwitcherRestartDropsTheLampsAndTallyResumes) {
    startPanel(2, {{1, 1}, {2, 9}});
    cut("program 1");
    cut("preview 2");
    ASSERT_TRUE(lampsBecome(1, "1", "0"));
    ASSERT_TRUE(lampsBecome(9, "0", "1"));

    cut("restart 1500");
    // While the switcher is gone nothing is known: no lamp stays lit.
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    EXPECT_TRUE(lampsBecome(9, "0", "0"));
    // It comes back by itself, and its state lights the lamps again.
    EXPECT_TRUE(lampsBecome(1, "1", "0", std::chrono::seconds(20)));
    EXPECT_TRUE(lampsBecome(9, "0", "1"));
    EXPECT_TRUE(contains(switcherState(), "connections=2"));
    cut("program 2");
    EXPECT_TRUE(lampsBecome(9, "1", "0"));
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
}

TEST_F(Tally, OnAirCameraLightsFromTheFirstAnswerAtStartAndAfterARestart) {
    // This switcher tells its whole state only in its first answer, and its burst is exactly as
    // long as the panel reads, so that answer is the first thing after the burst.
    startPanel(2, {{1, 1}, {2, 9}}, {"--burst", "4000"}, {"program 1", "preview 2"});
    EXPECT_TRUE(lampsBecome(1, "1", "0"));
    EXPECT_TRUE(lampsBecome(9, "0", "1"));

    cut("restart 1500");
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    EXPECT_TRUE(lampsBecome(1, "1", "0", std::chrono::seconds(20)));
    EXPECT_TRUE(lampsBecome(9, "0", "1"));
}

TEST_F(Tally, StartUpTurnsOffWhatAnEarlierRunLeftLit) {
    // The switcher never answers: nothing is known, so every mapped camera is told "off".
    startPanel(2, {{1, 1}, {2, 9}}, {}, {"fault silent"});
    EXPECT_TRUE(waitUntil([&] {
        return contains(camera(1).command("get messages"), lampCommand("0303")) &&
               contains(camera(9).command("get messages"), lampCommand("0303"));
    }));
}

TEST_F(Tally, BusySwitcherKeepsTheLinkAndTheLamps) {
    startPanel(2, {{1, 1}});
    cut("program 1");
    ASSERT_TRUE(lampsBecome(1, "1", "0"));

    // Four seconds without an answer: within what three slow poll cycles may take.
    const int offBefore = countOf(camera(1).command("get messages"), lampCommand("0303"));
    cut("hold 4000");
    QThread::msleep(5000);
    EXPECT_EQ(countOf(camera(1).command("get messages"), lampCommand("0303")), offBefore);
    EXPECT_EQ(camera(1).get("tallyRed"), "1");
    EXPECT_TRUE(contains(switcherState(), "connections=1 "));
    cut("program 2");
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
}

TEST_F(Tally, SwitcherWithFewerChannelsStrandsNoLamp) {
    // Channel 8 lit on a 12-channel switcher.
    startPanel(2, {{8, 1}, {1, 2}});
    cut("program 8");
    cut("preview 1");
    ASSERT_TRUE(lampsBecome(1, "1", "0"));
    ASSERT_TRUE(lampsBecome(2, "0", "1"));

    // A rescan finds a 6-channel switcher instead: channel 8 is gone, and the link follows the
    // switcher filed.
    VirtualSwitcher smaller(rigRoot().path(), "10.77.0.61", "MX2900", "02:A4:5C:07:00:61");
    ASSERT_TRUE(smaller.started());
    ASSERT_EQ(switcher->command("scans ignore"), "ok");
    bool scanned = false;
    QObject::connect(&rig->panel(), &mainControl::scanFinished, [&](int) { scanned = true; });
    rig->panel().hcipScan();
    ASSERT_TRUE(waitUntil([&] { return scanned; }, std::chrono::seconds(15)));
    EXPECT_EQ(switcherDevice[0].orb.hcipnetwork.name, "MX2900");
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    EXPECT_TRUE(waitUntil([&] { return contains(smaller.command("get state"), "connected=1"); }));
    EXPECT_TRUE(contains(switcherState(), "connected=0"));
    // Channel 1's lamp comes from the new switcher.
    ASSERT_EQ(smaller.command("program 1"), "ok");
    EXPECT_TRUE(lampsBecome(2, "1", "0"));
    EXPECT_EQ(camera(1).get("tallyRed"), "0");
}

// The number in "name=N" of the switcher's state.
int stateCount(const std::string& state, const std::string& name) {
    const std::size_t at = state.find(name + "=");
    return at == std::string::npos ? -1 : std::stoi(state.substr(at + name.size() + 1));
}

TEST_F(Tally, PollsArePacedAndTriesBackOff) {
    // Answering: one poll per pause and answer, about 88 ms apart.
    startPanel(2, {{1, 1}});
    ASSERT_TRUE(waitUntil([&] { return stateCount(switcherState(), "polls") > 0; }));
    const int pollsBefore = stateCount(switcherState(), "polls");
    QThread::msleep(2000);
    const int polls = stateCount(switcherState(), "polls") - pollsBefore;
    EXPECT_GE(polls, 12);
    EXPECT_LE(polls, 24);

    // A switcher that names the wrong port: six queries a try, and the pause between tries
    // doubles from half a second.
    cut("fault wrongport");
    cut("drop");
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int seen = stateCount(switcherState(), "queries");
    const int queriesBefore = seen;
    std::vector<std::pair<Clock::time_point, int>> tries;  // first query's time, queries
    Clock::time_point lastChange = start;
    while (Clock::now() - start < std::chrono::seconds(10)) {
        QThread::msleep(20);
        const int now = stateCount(switcherState(), "queries");
        if (now == seen) {
            continue;
        }
        if (tries.empty() || Clock::now() - lastChange > std::chrono::milliseconds(300)) {
            tries.push_back({Clock::now(), 0});
        }
        tries.back().second += now - seen;
        seen = now;
        lastChange = Clock::now();
    }
    ASSERT_GE(tries.size(), 4u);
    EXPECT_LE(tries.size(), 5u);
    EXPECT_LE(seen - queriesBefore, 30);
    for (std::size_t i = 0; i < tries.size(); ++i) {
        EXPECT_LE(tries[i].second, 6) << "try " << i;
    }
    for (std::size_t i = 2; i < tries.size(); ++i) {
        const auto before = tries[i - 1].first - tries[i - 2].first;
        const auto gap = tries[i].first - tries[i - 1].first;
        EXPECT_GT(gap, before * 3 / 2) << "try " << i;
    }
}

TEST_F(Tally, SilentSwitcherTurnsTheLampsOffWithoutHoldingThePanel) {
    startPanel(2, {{1, 1}});
    cut("program 1");
    ASSERT_TRUE(lampsBecome(1, "1", "0"));

    cut("fault silent");
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    // The GUI thread went on all along: a timer of its own still fires at once.
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    EXPECT_TRUE(waitUntil([&] { return fired; }, std::chrono::milliseconds(500)));

    cut("fault none");
    EXPECT_TRUE(lampsBecome(1, "1", "0", std::chrono::seconds(20)));
}

TEST_F(Tally, HostileSwitcherNeitherCrashesThePanelNorKeepsTheLinkDown) {
    startPanel(2, {{1, 1}});
    cut("program 1");
    ASSERT_TRUE(lampsBecome(1, "1", "0"));

    for (const char* fault : {"fault garbage", "fault huge"}) {
        cut(fault);
        const std::string before = switcherState();
        // Several polls answered with the fault.
        QThread::msleep(1500);
        cut("fault none");
        EXPECT_NE(switcherState(), before) << fault;
    }
    // Raw bytes while channel 1 is idle: a header with a record for a channel past the last and
    // one for channel 1 whose r2 is not 0. Neither lights the lamp.
    cut("program 0");
    ASSERT_TRUE(lampsBecome(1, "0", "0"));
    const int redBefore = countOf(camera(1).command("get messages"), lampCommand("0203"));
    EXPECT_EQ(switcher->command("send 18 00 00 00 00 00 00 00 1B 00 00 00 04 00 00 00 0A 00 01 "
                                "00 04 00 00 00"),
              "ok");
    QThread::msleep(500);
    EXPECT_EQ(countOf(camera(1).command("get messages"), lampCommand("0203")), redBefore);
    EXPECT_EQ(camera(1).get("tallyRed"), "0");
    // Then a half-open link.
    cut("halfclose");
    cut("preview 1");
    cut("program 0");
    EXPECT_TRUE(lampsBecome(1, "0", "1", std::chrono::seconds(20)));
    for (const char* fault : {"fault wrongport", "fault shortport", "fault shortburst"}) {
        cut(fault);
        cut("drop");
        QThread::msleep(800);
        cut("fault none");
    }
    cut("program 1");
    EXPECT_TRUE(lampsBecome(1, "1", "0", std::chrono::seconds(30)));
}

TEST_F(Tally, ContactInputsReachTheMappedCamera) {
    GpioFile gpio(rigRoot().path() + "/dev/gpiomem");
    ASSERT_TRUE(gpio.ok());
    startPanel(1, {{3, 2}, {1, 9}});
    gpio.setPin(22, true);  // red of channel 3
    EXPECT_TRUE(lampsBecome(2, "1", "0"));
    gpio.setPin(42, true);  // green of channel 3
    EXPECT_TRUE(lampsBecome(2, "1", "1"));
    gpio.setPin(22, false);
    gpio.setPin(42, false);
    EXPECT_TRUE(lampsBecome(2, "0", "0"));
    gpio.setPin(40, true);  // green of channel 1, a network camera
    EXPECT_TRUE(lampsBecome(9, "0", "1"));

    // An input that stays as it is sends nothing more.
    const int sent = countOf(camera(9).command("get messages"), lampCommand("0302"));
    QThread::msleep(1500);
    EXPECT_EQ(countOf(camera(9).command("get messages"), lampCommand("0302")), sent);
}

TEST_F(Tally, ModeChosenAtRunTimeTakesEffectAtOnce) {
    GpioFile gpio(rigRoot().path() + "/dev/gpiomem");
    ASSERT_TRUE(gpio.ok());
    startPanel(0, {{1, 1}});
    cut("program 1");
    QThread::msleep(500);
    EXPECT_TRUE(contains(switcherState(), "connections=0"));
    EXPECT_EQ(camera(1).get("tallyRed"), "0");

    rig->panel().setTallyMode(2);
    EXPECT_TRUE(lampsBecome(1, "1", "0"));
    zek710aSettings().sync();
    EXPECT_EQ(zek710aSettings().value("system/tallymode").toInt(), 2);

    // Contacts instead: the switcher link ends and its lamps go off; the contact counts now.
    rig->panel().setTallyMode(1);
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    EXPECT_TRUE(waitUntil([&] { return contains(switcherState(), "connected=0"); }));
    gpio.setPin(41, true);  // green of channel 2: not mapped
    gpio.setPin(20, true);  // red of channel 1
    EXPECT_TRUE(lampsBecome(1, "1", "0"));

    // Off: the lamps go off and no input reaches the camera any more.
    rig->panel().setTallyMode(0);
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    const std::string before = camera(1).command("get messages");
    gpio.setPin(20, false);
    cut("program 0");
    QThread::msleep(1500);
    EXPECT_EQ(countOf(camera(1).command("get messages"), "81017e010a"),
              countOf(before, "81017e010a"));

    // And back to the switcher without a restart.
    cut("program 1");
    rig->panel().setTallyMode(2);
    EXPECT_TRUE(lampsBecome(1, "1", "0"));
}

TEST_F(Tally, MappingSavedOnTheScreenAppliesAtOnce) {
    startPanel(2, {{1, 1}});
    cut("program 1");
    ASSERT_TRUE(lampsBecome(1, "1", "0"));
    // Cameras 2 and 7 both on channel 1: camera 7 has it; camera 1 is off every channel.
    QList<int> map;
    for (int m = 0; m < 24; ++m) {
        map.append(0);
    }
    map[1] = 1;
    map[6] = 1;
    EXPECT_EQ(rig->panel().saveTallyMapping(map), 0);
    EXPECT_TRUE(lampsBecome(1, "0", "0"));
    zek710aSettings().sync();
    EXPECT_EQ(zek710aSettings().value("system/tallymap0").toInt(), 7);
    EXPECT_EQ(zek710aSettings().value("system/tallymap11").toInt(), 0);
    // Camera 2 lost channel 1 to camera 7, so it stays dark.
    EXPECT_EQ(camera(2).get("tallyRed"), "0");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
