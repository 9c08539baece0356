// Network cameras that reboot or lose their cable while the panel drives them, and serial
// adapters plugged in while it runs. The panel application runs in this process against the
// virtual MCU and virtual cameras; keys are pressed on the virtual MCU. Runs inside the
// namespaces of netns-run.sh: the network cameras stand at 10.77.0.2 to 10.77.0.4.
#include <QCoreApplication>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

using namespace std::chrono_literals;

// Key numbers on the panel: preset keys 14 to 20 recall presets 0 to 6; camera keys 21 to 28
// select cameras 1 to 8, 29 to 32 cameras 9 to 12.
constexpr int kPresetKey2 = 16, kPresetKey3 = 17, kPresetKey4 = 18, kPresetKey5 = 19;

class CameraReconnect : public ::testing::Test {
protected:
    void startRig(const std::vector<int>& serialCameras) {
        rig = std::make_unique<PanelRig>(
            serialCameras, std::vector<PanelRig::NetworkCamera>{{"hcipcam", "10.77.0.2", false},
                                                                {"viscacam", "10.77.0.3", true},
                                                                {"healthy", "10.77.0.4", false}});
        ASSERT_TRUE(rig->ready()) << rig->why();
        // The main screen's part: every message is counted and confirmed at once, as the screen
        // does for an operator who asked not to see it again.
        QObject::connect(&rig->panel(), &mainControl::cameraConnectState,
                         [this](int index, const QString& message, int) {
                             messages.emplace_back(index, message);
                             rig->panel().setRobin(true);
                         });
        QObject::connect(&rig->panel(), &mainControl::cameraLinkChanged,
                         [this](int index, bool up) { linkChanges.emplace_back(index, up); });
    }
    void TearDown() override { rig.reset(); }

    VirtualCamera& camera(const std::string& name) { return rig->networkCamera(name); }

    // Presses and releases a key on the virtual MCU while the GUI thread keeps working.
    void tapKey(int key) { ASSERT_TRUE(rig->tapKey(key)) << "key " << key; }
    bool presetIs(VirtualCamera& cam, int preset, std::chrono::milliseconds limit = 15s) {
        return waitUntil([&] { return cam.get("lastPreset") == std::to_string(preset); }, limit);
    }
    int messagesFor(int cameraNumber) const {
        int n = 0;
        for (const auto& m : messages) {
            n += m.first == cameraNumber ? 1 : 0;
        }
        return n;
    }
    QSettings savedSettings() {
        return QSettings(QString::fromStdString(rig->root().path() +
                                                "/home/zek710a/.config/velmora/zek710a.conf"),
                         QSettings::IniFormat);
    }

    std::unique_ptr<PanelRig> rig;
    std::vector<std::pair<int, QString>> messages;
    std::vector<std::pair<int, bool>> linkChanges;
};

TEST_F(CameraReconnect, HcipCameraRebootsAndItsPresetKeyWorksAgainWithoutRescan) {
    startRig({1});
    rig->panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    VirtualCamera& cam = camera("hcipcam");
    tapKey(29);  // camera 9
    tapKey(kPresetKey2);
    ASSERT_TRUE(presetIs(cam, 2));

    ASSERT_EQ(cam.command("reboot 2500"), "ok");
    // The panel notices at its next use of the camera: the message, once; the tile and the key
    // show the camera down.
    tapKey(kPresetKey3);
    ASSERT_TRUE(waitUntil([this] { return messagesFor(9) == 1; }, 10s));
    EXPECT_EQ(messages.front().second.toStdString(),
              "Cannot connect to Camera 9.\nPlease reboot that device then scan again.");
    ASSERT_TRUE(waitUntil([] { return cameraLinkDown[8].load(); }, 5s));
    // The key of camera 9 (key 29, low nibble of byte 14) blinks: off in one half second.
    EXPECT_TRUE(
        waitUntil([this] { return rig->mcu().command("get leds").substr(29, 1) == "0"; }, 3s))
        << rig->mcu().command("get leds");

    // Back by itself: the waiting recall arrives, and the next key works, no rescan, no restart.
    ASSERT_TRUE(presetIs(cam, 3)) << "camera 9 was not connected again";
    EXPECT_FALSE(cameraLinkDown[8].load());
    tapKey(kPresetKey4);
    EXPECT_TRUE(presetIs(cam, 4));
    EXPECT_EQ(messagesFor(9), 1);
    ASSERT_GE(linkChanges.size(), 2u);
    EXPECT_EQ(linkChanges.front(), std::make_pair(9, false));
    EXPECT_EQ(linkChanges.back(), std::make_pair(9, true));

    // A second loss is a new one: its message appears once again.
    ASSERT_EQ(cam.command("reboot 1500"), "ok");
    tapKey(kPresetKey5);
    ASSERT_TRUE(waitUntil([this] { return messagesFor(9) == 2; }, 10s));
    EXPECT_TRUE(presetIs(cam, 5));
    EXPECT_EQ(messagesFor(9), 2);
}

// Not a write to flash per message: a run of commands within a second leaves the number saved
// behind, and it catches up within a second and at exit.
TEST_F(CameraReconnect, SequenceNumberIsSavedAtMostOnceASecondAndAtExit) {
    startRig({1});
    VirtualCamera& cam = camera("viscacam");
    rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    tapKey(30);  // camera 10
    tapKey(kPresetKey2);
    ASSERT_TRUE(presetIs(cam, 2));
    const auto saved = [this] {
        return savedSettings().value("ViscaSerial/10.77.0.3", -1).toLongLong();
    };
    ASSERT_TRUE(waitUntil([&] { return saved() == cameraDevice.camera(9).viscaSerial; }, 3s));

    // Five recalls queued at once go out in well under a second: the first may be saved at
    // once, the rest wait.
    for (const char* preset : {"03", "04", "05", "06", "07"}) {
        cameraCommandRingBuf.append(QByteArray::fromHex(QByteArray("8101043f02") + preset + "ff"));
    }
    ASSERT_TRUE(presetIs(cam, 7, 5s)) << cam.get("presetRecalls");
    const qint64 now = cameraDevice.camera(9).viscaSerial;
    EXPECT_LT(saved(), now) << "saved with every message";
    EXPECT_TRUE(waitUntil([&] { return saved() == now; }, 3s));

    // At exit whatever was kept is saved.
    tapKey(kPresetKey4);
    ASSERT_TRUE(presetIs(cam, 4));
    const qint64 last = cameraDevice.camera(9).viscaSerial;
    const QString file = savedSettings().fileName();
    rig.reset();
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("ViscaSerial/10.77.0.3").toLongLong(),
              last);
}

TEST_F(CameraReconnect, SimpleViscaEnteredAgainKeepsItsAssociation) {
    startRig({1});
    VirtualCamera& cam = camera("viscacam");
    rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolSimpleVisca);
    tapKey(30);  // camera 10
    tapKey(kPresetKey2);
    ASSERT_TRUE(presetIs(cam, 2));
    const std::string sender = cam.command("get udp-senders");
    ASSERT_EQ(sender.find(' '), std::string::npos) << sender;

    // The same camera entered again: its datagrams still come from the same place.
    rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolSimpleVisca);
    tapKey(kPresetKey3);
    ASSERT_TRUE(presetIs(cam, 3));
    EXPECT_EQ(cam.command("get udp-senders"), sender);

    // VISCA over IP starts afresh.
    rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    tapKey(kPresetKey4);
    ASSERT_TRUE(presetIs(cam, 4));
    EXPECT_NE(cam.command("get udp-senders"), sender);
}

TEST_F(CameraReconnect, ViscaOverIpCameraIsResetOnFirstUseAndAfterItComesBack) {
    startRig({1});
    VirtualCamera& cam = camera("viscacam");
    ASSERT_EQ(cam.command("sequence check on"), "ok");
    // A number saved by an earlier run; the camera counts from 0 since its power-on.
    {
        QSettings settings = savedSettings();
        settings.setValue("ViscaSerial/10.77.0.3", 41);
    }
    rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
    tapKey(30);  // camera 10
    tapKey(kPresetKey2);
    ASSERT_TRUE(presetIs(cam, 2));
    // The reset went first, and the panel's own numbering goes on.
    EXPECT_EQ(cam.command("get sequence-check"), "check=1 expected=42 resets=1 errors=0");
    EXPECT_EQ(cam.command("get sequences"), "41");

    // It reboots while the panel sends: that command is lost, the camera shows as down, and the
    // next key goes after a reset.
    ASSERT_EQ(cam.command("reboot 1000"), "ok");
    tapKey(kPresetKey3);
    ASSERT_TRUE(waitUntil([] { return cameraLinkDown[9].load(); }, 5s));
    ASSERT_TRUE(
        waitUntil([&cam] { return cam.command("get link").rfind("rebooting=0", 0) == 0; }, 5s));
    tapKey(kPresetKey4);
    ASSERT_TRUE(presetIs(cam, 4));
    EXPECT_FALSE(cameraLinkDown[9].load());
    // 42 was lost in the reboot; 43 went after a reset.
    EXPECT_EQ(cam.command("get sequence-check"), "check=1 expected=44 resets=2 errors=0");

    // It reboots unseen: the first command after it is refused for its number, and the panel
    // resets and sends it again, so one key press is enough.
    ASSERT_EQ(cam.command("reboot 300"), "ok");
    ASSERT_TRUE(
        waitUntil([&cam] { return cam.command("get link").rfind("rebooting=0", 0) == 0; }, 5s));
    tapKey(kPresetKey5);
    ASSERT_TRUE(presetIs(cam, 5));
    // 44 refused, then the reset and 45.
    EXPECT_EQ(cam.command("get sequence-check"), "check=1 expected=46 resets=3 errors=1");
    EXPECT_EQ(cam.command("get sequences"), "41 43 44 45");
    // The number saved is the next one, within a second.
    EXPECT_TRUE(waitUntil(
        [this] { return savedSettings().value("ViscaSerial/10.77.0.3").toLongLong() == 46; }, 3s));
    // No unreachable message for a camera driven over UDP.
    EXPECT_EQ(messagesFor(10), 0);
}

TEST_F(CameraReconnect, ADownCameraLeavesTheOthersWorking) {
    startRig({1});
    rig->panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
    rig->panel().setCameraNetworkManual(10, "10.77.0.4", protocolHcip);
    VirtualCamera& down = camera("hcipcam");
    VirtualCamera& healthy = camera("healthy");
    ASSERT_EQ(down.command("reboot 600000"), "ok");  // stays away for this test
    ASSERT_TRUE(waitUntil([] { return cameraLinkDown[8].load(); }, 5s));
    tapKey(31);  // camera 11
    const std::string before = healthy.get("presetRecalls");
    for (const int key : {kPresetKey2, kPresetKey3, kPresetKey4, kPresetKey5}) {
        tapKey(key);
        ASSERT_TRUE(presetIs(healthy, key - 14, 5s)) << key;
    }
    EXPECT_EQ(std::stoi(healthy.get("presetRecalls")), std::stoi(before) + 4);
    EXPECT_TRUE(cameraLinkDown[8].load());
    EXPECT_FALSE(cameraLinkDown[10].load());
    EXPECT_EQ(messagesFor(11), 0);
}

TEST_F(CameraReconnect, SerialAdapterPluggedInAfterStartUpIsUsed) {
    startRig({1});
    tapKey(23);  // camera 3: its line is not there yet
    waitUntil([] { return false; }, 300ms);
    VirtualCamera late = VirtualCamera::serial(rig->root().path(), 3);
    ASSERT_TRUE(late.started());
    tapKey(kPresetKey2);
    ASSERT_TRUE(presetIs(late, 2)) << "the line that appeared was not opened";

    // Pulled out and plugged back in (a new device under the same name): used again.
    ASSERT_EQ(late.command("unplug"), "ok");
    tapKey(kPresetKey3);
    ASSERT_EQ(late.command("plug"), "ok");
    tapKey(kPresetKey4);
    EXPECT_TRUE(presetIs(late, 4));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
