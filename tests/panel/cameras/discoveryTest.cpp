// Discovery of the panel application against virtual network devices: cameras that answer the
// scan, and devices that must not become cameras (another panel, a switcher, a recorder). Runs
// inside the namespaces of netns-run.sh; the devices stand in the camera namespace, 10.77.0.2 to
// 10.77.0.99, and the panel is 10.77.0.1.
#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string slotAddress(int slot) {
    return cameraDevice.camera(slot).hcipnetwork.ipadd.toStdString();
}

// Devices that answer the scan but are no cameras, and one camera-like name of another maker.
const std::vector<std::string> kOtherDevices = {
    "otherpanel,02:A4:5C:01:00:50,10.77.0.50",  // a panel by its MAC
    "ZEK-710A,AA:BB:CC:00:00:51,10.77.0.51",    // a panel by its name
    "MX-5800,02:A4:5C:07:00:52,10.77.0.52",     // a switcher, although its MAC is a camera's
    "WXR-100,AA:BB:CC:00:00:53,10.77.0.53",     // a recorder
};

class Discovery : public ::testing::Test {
protected:
    // The given cameras, the other devices and serial camera 1; the start-up scan finds them.
    void startPanel(const std::vector<PanelRig::NetworkCamera>& cameras,
                    const std::vector<std::string>& moreDevices = {}) {
        std::vector<std::string> devices = kOtherDevices;
        devices.insert(devices.end(), moreDevices.begin(), moreDevices.end());
        others = std::make_unique<VirtualHcipDevices>(rigRoot().path(), devices);
        ASSERT_TRUE(others->started());
        rig = std::make_unique<PanelRig>(std::vector<int>{1}, cameras, [this](mainControl& p) {
            QObject::connect(&p, &mainControl::cameraConnectState,
                             [this](int index, const QString& message, int) {
                                 connectStates.emplace_back(index, message.toStdString());
                             });
            QObject::connect(&p, &mainControl::refreshListCameraMapping,
                             [this](const QStringList& names, const QStringList& addresses, int,
                                    const QList<int>&) {
                                 mappingNames = names;
                                 mappingAddresses = addresses;
                             });
        });
        ASSERT_TRUE(rig->ready()) << rig->why();
    }
    void TearDown() override {
        rig.reset();
        others.reset();
    }

    // The scan of the screens runs on the GUI thread's events: started, then waited for.
    void scanFromTheScreens() {
        bool finished = false;
        const auto connection = QObject::connect(&rig->panel(), &mainControl::scanFinished,
                                                 [&finished](int) { finished = true; });
        rig->panel().hcipScan();
        EXPECT_TRUE(waitUntil([&finished] { return finished; })) << "the scan did not end";
        QObject::disconnect(connection);
    }

    // Presses and releases a key on the virtual MCU; the key loop sees both.
    void tapKey(int key) { ASSERT_TRUE(rig->tapKey(key)) << "key " << key; }

    std::unique_ptr<VirtualHcipDevices> others;
    std::unique_ptr<PanelRig> rig;
    std::vector<std::pair<int, std::string>> connectStates;
    QStringList mappingNames;
    QStringList mappingAddresses;
};

const std::vector<PanelRig::NetworkCamera> kThreeCameras = {
    {"far", "10.77.0.30", false, "Cam-Far", "02:A4:5C:07:00:30"},
    {"near", "10.77.0.7", false, "Cam-Near ", "02:A4:5C:05:00:07"},
    {"middle", "10.77.0.12", false, "Cam-Middle", "AA:BB:CC:00:00:12"},
};

// The screens hear of a camera coming without asking for it.
TEST_F(Discovery, ACameraEnteredByHandIsAnnouncedToTheScreens) {
    startPanel(kThreeCameras);
    std::vector<std::pair<int, bool>> announced;
    QObject::connect(
        &rig->panel(), &mainControl::refreshCameraExist,
        [&announced](int camera, bool exist) { announced.emplace_back(camera, exist); });
    rig->panel().setCameraNetworkManual(12, "10.77.0.40", protocolHcip);
    ASSERT_TRUE(waitUntil([&] { return !announced.empty(); }, std::chrono::seconds(5)));
    EXPECT_EQ(announced, (std::vector<std::pair<int, bool>>{{13, true}}));
}

TEST_F(Discovery, StartUpPlacesCamerasByAddressFilesSwitchersAndSkipsTheRest) {
    startPanel(kThreeCameras);
    // Serial control is on: network cameras start at slot 8 (camera 9).
    EXPECT_EQ(cameraCount.load(), 3);
    EXPECT_EQ(slotAddress(8), "10.77.0.7");
    EXPECT_EQ(slotAddress(9), "10.77.0.12");
    EXPECT_EQ(slotAddress(10), "10.77.0.30");
    EXPECT_EQ(cameraDevice.camera(8).hcipnetwork.modelname, "ORB270");
    EXPECT_EQ(cameraDevice.camera(9).hcipnetwork.modelname, "CAMERA");
    EXPECT_EQ(cameraDevice.camera(10).hcipnetwork.modelname, "ORB310");
    EXPECT_EQ(cameraDevice.camera(10).hcipnetwork.macadd, "02:A4:5C:07:00:30");
    for (int slot : {8, 9, 10}) {
        EXPECT_TRUE(rig->panel().getCameraExist(slot)) << slot;
    }
    EXPECT_FALSE(rig->panel().getCameraExist(11));
    EXPECT_EQ(scan.load(), 1);
    EXPECT_TRUE(runRobin.load());
    // The three cameras, the switcher, the recorder and the panel known by its MAC are counted;
    // the panel that names itself one is not even counted.
    EXPECT_EQ(allHcipindex, 6);
    ASSERT_EQ(switcherIndex, 1);
    EXPECT_EQ(switcherDevice[0].orb.hcipnetwork.name, "MX-5800");
    EXPECT_EQ(switcherDevice[0].orb.hcipnetwork.ipadd, "10.77.0.52");
    // The mapping page: the serial cameras, then the network cameras by slot, names trimmed.
    ASSERT_EQ(mappingNames.size(), 11) << mappingNames.join(",").toStdString();
    EXPECT_EQ(mappingNames[0], "Serial CAM 1");
    EXPECT_EQ(mappingNames.mid(8), (QStringList{"Cam-Near", "Cam-Middle", "Cam-Far"}));
    EXPECT_EQ(mappingAddresses.mid(8), (QStringList{"10.77.0.7", "10.77.0.12", "10.77.0.30"}));
    EXPECT_EQ(rig->panel().networkCards(), QStringList{"[10.77.0.1] eth0"});

    // Camera key 10 selects the camera in slot 9, and PST 3 recalls preset 2 on it alone.
    tapKey(30);
    ASSERT_TRUE(waitUntil([] { return currentControl.load() == 10; }));
    tapKey(16);
    EXPECT_TRUE(waitUntil([this] { return rig->networkCamera("middle").get("lastPreset") == "2"; }))
        << rig->networkCamera("middle").command("get messages");
    EXPECT_EQ(rig->networkCamera("near").get("presetRecalls"), "0");
    EXPECT_EQ(rig->networkCamera("far").get("presetRecalls"), "0");
}

// The scan of the screens leaves the GUI thread free: it returns at once with the busy indicator
// up, takes no second scan meanwhile, and ends with the indicator down and the cameras found.
TEST_F(Discovery, ScanOfTheScreensRunsOnTheEventsUnderTheBusyIndicator) {
    startPanel({kThreeCameras[0], kThreeCameras[1]});
    std::vector<bool> busy;
    int finished = 0;
    QObject::connect(&rig->panel(), &mainControl::iAmBusy,
                     [&busy](bool on) { busy.push_back(on); });
    QObject::connect(&rig->panel(), &mainControl::scanFinished, [&finished](int) { ++finished; });
    rig->panel().hcipScan();
    EXPECT_EQ(busy, std::vector<bool>{true});
    EXPECT_EQ(finished, 0);
    rig->panel().hcipScan();  // a second press while it runs
    ASSERT_TRUE(waitUntil([&finished] { return finished > 0; }));
    waitUntil([] { return false; }, std::chrono::milliseconds(700));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(cameraCount.load(), 2);
    EXPECT_TRUE(runRobin.load());
}

TEST_F(Discovery, RescanFollowsACameraThatLeftAndOneThatCame) {
    startPanel({kThreeCameras[0], kThreeCameras[1]});
    ASSERT_EQ(cameraCount.load(), 2);
    auto passing = std::make_unique<VirtualCamera>(VirtualCamera::discoverableHcip(
        rigRoot().path(), "passing", "10.77.0.20", "Cam-Passing", "AA:BB:CC:00:00:20"));
    ASSERT_TRUE(passing->started());
    scanFromTheScreens();
    EXPECT_EQ(cameraCount.load(), 3);
    EXPECT_EQ(slotAddress(9), "10.77.0.20");
    EXPECT_EQ(slotAddress(10), "10.77.0.30");

    // It leaves: the camera behind it moves up, and the slot it freed is no longer present.
    passing.reset();
    scanFromTheScreens();
    EXPECT_EQ(cameraCount.load(), 2);
    EXPECT_EQ(slotAddress(9), "10.77.0.30");
    EXPECT_FALSE(cameraDevice.camera(10).exist);
    EXPECT_TRUE(cameraDevice.camera(9).exist);

    // Another comes, between the two.
    VirtualCamera came = VirtualCamera::discoverableHcip(rigRoot().path(), "came", "10.77.0.9",
                                                         "Cam-Came", "AA:BB:CC:00:00:09");
    ASSERT_TRUE(came.started());
    scanFromTheScreens();
    EXPECT_EQ(cameraCount.load(), 3);
    EXPECT_EQ(slotAddress(8), "10.77.0.7");
    EXPECT_EQ(slotAddress(9), "10.77.0.9");
    EXPECT_EQ(slotAddress(10), "10.77.0.30");
    EXPECT_TRUE(runRobin.load());
    // After all these scans the mapping lists hold each camera once.
    rig->panel().doRefreshListCameraMapping();
    EXPECT_EQ(mappingAddresses.mid(8), (QStringList{"10.77.0.7", "10.77.0.9", "10.77.0.30"}));
    EXPECT_EQ(mappingAddresses.size(), 11);
    // The new camera takes commands.
    currentControl = 10;
    cmdPrev.reset();
    cameraCommandRingBuf.append(QByteArray::fromHex("8101043f0204ff"));
    EXPECT_TRUE(waitUntil([&came] { return came.get("lastPreset") == "4"; }));
}

TEST_F(Discovery, RemoteSetupRewritesTheCamerasIdentity) {
    startPanel({kThreeCameras[1]});
    mainControl& p = rig->panel();
    VirtualCamera& camera = rig->networkCamera("near");
    ASSERT_EQ(slotAddress(8), "10.77.0.7");
    // The panel's own remote-setup lock (saved at once) is about requests to the panel, not
    // from it: the cameras are set up as ever.
    p.setRemoteSetupLocked(true);
    EXPECT_TRUE(zek710aSettings().value("system/remoteSetupLocked").toBool());
    // The camera page's sequence: DHCP mode, host name, address and gateway, netmask, gateway,
    // primary and secondary DNS.
    p.setDhcpMode(8, 1);
    p.setDhcpName(8, "stage-left-camera");
    p.setIpAdr(8, "10.77.0.70", "10.77.0.254");
    p.setNetmask(8, "255.255.0.0");
    p.setGateway(8, "10.77.0.253");
    p.setPrimDNS(8, "9.9.9.9");
    p.setSecDNS(8, "149.112.112.112");
    // The requests go out at once; their answers are read on the GUI thread's events.
    const std::string rewritten =
        "name=stage-left-came mac=02:A4:5C:05:00:07 dhcp=1 address=10.77.0.70 "
        "netmask=255.255.0.0 gateway=10.77.0.253 dns1=9.9.9.9 dns2=149.112.112.112 resets=0";
    EXPECT_TRUE(waitUntil([&] { return camera.command("get identity") == rewritten; }))
        << camera.command("get identity");
    const std::string requests = camera.command("get hcip-requests");

    // An incomplete value, a bad MAC, a slot without a camera: nothing goes out.
    p.setNetmask(8, "255.255.0");
    p.setIpAdr(8, "10.77.0.71", "10.77.0");
    p.setMacAdr(8, "02:A4:5C:05:00");
    p.setDhcpName(9, "nobody");
    p.setDhcpName(40, "nobody");
    EXPECT_EQ(camera.command("get hcip-requests"), requests);

    // The firmware question names the camera of the slot given by its MAC, to everyone.
    p.getFWVersion(8);
    EXPECT_TRUE(waitUntil([&] {
        return camera.command("get hcip-last") ==
               "broadcast 00 13 80 01 02 A4 5C 05 00 07 46 57 56 45 52 5F 52 45 51";
    })) << camera.command("get hcip-last");
    // A reset reaches it.
    p.reset(8);
    EXPECT_TRUE(waitUntil([&] { return contains(camera.command("get identity"), "resets=1"); }));
    p.setMacAdr(8, "02:a4:5c:05:00:77");
    EXPECT_TRUE(waitUntil(
        [&] { return contains(camera.command("get identity"), "mac=02:A4:5C:05:00:77"); }));

    // The next scan finds the camera under its new identity.
    scanFromTheScreens();
    EXPECT_EQ(cameraDevice.camera(8).hcipnetwork.name, "stage-left-came");
    EXPECT_EQ(slotAddress(8), "10.77.0.70");
    EXPECT_TRUE(cameraDevice.camera(8).hcipnetwork.isdhcp);
}

TEST_F(Discovery, ThirtyCamerasFillTheTableWithoutOverflow) {
    std::vector<std::string> thirty;
    for (int i = 0; i < 30; ++i) {
        char device[64];
        std::snprintf(device, sizeof device, "PTZ-%02d,AA:BB:CC:00:01:%02X,10.77.0.%d", i, i,
                      60 + i);
        thirty.push_back(device);
    }
    startPanel({}, thirty);
    // Serial control on: 24 network slots, given to the lowest addresses.
    EXPECT_EQ(cameraCount.load(), 24);
    EXPECT_EQ(slotAddress(8), "10.77.0.60");
    EXPECT_EQ(slotAddress(31), "10.77.0.83");
    EXPECT_EQ(allHcipindex, 33);
    // Serial control off: all 30 fit in the 32 slots.
    useSerialPort = false;
    scanFromTheScreens();
    EXPECT_EQ(cameraCount.load(), 30);
    EXPECT_EQ(slotAddress(0), "10.77.0.60");
    EXPECT_EQ(slotAddress(29), "10.77.0.89");
    for (int slot = 0; slot < 30; ++slot) {
        EXPECT_TRUE(cameraDevice.camera(slot).exist) << slot;
    }
}

TEST_F(Discovery, ACameraOutsideThePanelsNetworkIsReportedSo) {
    startPanel({kThreeCameras[1]});
    // The scan bound the panel to its address; a camera entered by hand on another network.
    EXPECT_EQ(rig->panel().getZEK710AIPADDR(), "10.77.0.1");
    // A protocol past the four, or an address in a form read as another, changes nothing.
    rig->panel().setCameraNetworkManual(9, "10.88.0.6", 4);
    rig->panel().setCameraNetworkManual(9, "10.88.0.06", protocolHcip);
    rig->panel().setCameraNetworkManual(9, "10.88.6", protocolHcip);
    EXPECT_FALSE(cameraDevice.camera(9).hcipnetwork.manual);
    EXPECT_EQ(cameraDevice.camera(9).hcipnetwork.ipadd, "");
    rig->panel().setCameraNetworkManual(9, "10.88.0.5", protocolHcip);
    EXPECT_TRUE(cameraDevice.camera(9).hcipnetwork.manual);
    currentControl = 10;
    cmdPrev.reset();
    cameraCommandRingBuf.append(QByteArray::fromHex("8101043f0201ff"));
    ASSERT_TRUE(waitUntil([this] { return !connectStates.empty(); }));
    EXPECT_EQ(connectStates.front().first, 10);
    EXPECT_EQ(connectStates.front().second,
              "Camera 10 is not in the correct network.\nPlease configure its IP address then "
              "scan again.");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
