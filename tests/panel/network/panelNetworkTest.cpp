// The panel's own network settings: read from the interfaces file and the boot command line when
// mainControl is built, changed one by one as the network screen does, saved, and reset from the
// backup. Runs inside the test namespaces (the panel binds its configuration service there).
#include <QCoreApplication>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <utility>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

const char* const kStaticInterfaces =
    "auto lo\n"
    "iface lo inet loopback\n"
    "\n"
    "auto eth0\n"
    "iface eth0 inet static\n"
    "address 10.77.0.5\n"
    "gateway 10.77.0.254\n"
    "netmask 255.255.255.0\n"
    "nameserver 9.9.9.9\n"
    "nameserver  8.8.4.4\n"
    "broadcast 10.77.0.255\n";

const char* const kDefaultInterfaces =
    "auto lo\n"
    "iface lo inet loopback\n"
    "\n"
    "auto eth0\n"
    "iface eth0 inet dhcp\n"
    "\n"
    "#auto wlan0\n"
    "iface wlan0 inet dhcp\n"
    "        wireless_mode managed\n"
    "        wpa-conf /etc/wpa_supplicant.conf\n";

class PanelNetworkSettings : public ::testing::Test {
protected:
    void SetUp() override {
        TempRoot& root = rigRoot();
        std::filesystem::create_directories(root / "etc/network");
        std::filesystem::create_directories(root / "boot");
        std::filesystem::remove(root / "etc/network/interfaces_backup");
        std::filesystem::remove_all(root / "etc/network/interfaces");  // a test may leave a folder
        root.writeFile("etc/network/interfaces", kStaticInterfaces);
        root.writeFile("boot/cmdline.txt",
                       "console=tty1 smsc95xx.macaddr=02:a4:5c:01:00:07 rootwait\n");
        rig = std::make_unique<PanelRig>(
            std::vector<int>{1}, std::vector<PanelRig::NetworkCamera>{},
            [this](mainControl& panel) {
                QObject::connect(
                    &panel, &mainControl::refreshSystemNetConfig,
                    [this](const QString& ip, bool dhcp, const QString& host, const QString& mac,
                           const QString& mask, const QString& gate, const QString& pdns,
                           const QString& sdns) {
                        shown << ip << (dhcp ? "dhcp" : "static") << host << mac << mask << gate
                              << pdns << sdns;
                    });
            });
        ASSERT_TRUE(rig->ready()) << rig->why();
    }
    void TearDown() override { rig.reset(); }

    mainControl& panel() { return rig->panel(); }
    std::string interfaces() { return rig->root().readFile("etc/network/interfaces"); }

    // The save and the reset run in the background: their outcome, once it came.
    bool save() {
        std::promise<bool> outcome;
        std::future<bool> told = outcome.get_future();
        const auto connection = QObject::connect(&panel(), &mainControl::networkSaveFinished,
                                                 [&outcome](bool ok) { outcome.set_value(ok); });
        panel().saveZEK710ANetConfig();
        const bool came = told.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        QObject::disconnect(connection);
        EXPECT_TRUE(came) << "no outcome of the save";
        return came && told.get();
    }
    std::pair<int, QString> reset() {
        std::promise<std::pair<int, QString>> message;
        std::future<std::pair<int, QString>> told = message.get_future();
        const auto connection = QObject::connect(&panel(), &mainControl::popMessage,
                                                 [&message](int func, QString text) {
                                                     message.set_value({func, text});
                                                 });
        panel().resetZEK710Network();
        const bool came = told.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        QObject::disconnect(connection);
        EXPECT_TRUE(came) << "no message after the reset";
        return came ? told.get() : std::pair<int, QString>{-1, QString()};
    }

    std::unique_ptr<PanelRig> rig;
    QStringList shown;  // what sysInit told the network screen
};

TEST_F(PanelNetworkSettings, ReadAtStartUp) {
    EXPECT_FALSE(panel().getZEK710ADHCPMODE());
    EXPECT_EQ(panel().getZEK710AIPADDR(), "10.77.0.1");
    EXPECT_EQ(panel().getZEK710AGATEADD(), "10.77.0.254");
    EXPECT_EQ(panel().getZEK710AMASKADD(), "255.255.255.0");
    EXPECT_EQ(panel().getZEK710APRIDNS(), "9.9.9.9");
    EXPECT_EQ(panel().getZEK710ASECDNS(), "8.8.4.4");
    EXPECT_EQ(panel().getZEK710AMACADD(), "02:a4:5c:01:00:07");
    EXPECT_EQ(panel().getZEK710AHOSTNAME(), "ZEK-710A");
    const systemNetSettings copies = systemNetwork();
    EXPECT_FALSE(copies.systemDhcpmode);
    // The file's address is kept as the file's; the panel shows the address it is bound to.
    EXPECT_EQ(copies.systemIp, "10.77.0.5");
    EXPECT_EQ(copies.systemGateway, "10.77.0.254");
    EXPECT_EQ(copies.systemSdns, "8.8.4.4");
    EXPECT_EQ(shown, (QStringList{"10.77.0.1", "static", "ZEK-710A", "02:a4:5c:01:00:07",
                                  "255.255.255.0", "10.77.0.254", "9.9.9.9", "8.8.4.4"}));
}

TEST_F(PanelNetworkSettings, SaveWritesTheScreenValuesAndRefusesBrokenOnes) {
    int dhcpChanged = 0;
    QObject::connect(&panel(), &mainControl::zek710ADHCPMODEChanged, [&] { ++dhcpChanged; });
    panel().setZEK710AIPADDR("10.1.2.3");
    panel().setZEK710AMASKADD("255.255.0.0");
    panel().setZEK710AGATEADD("10.1.2.254");
    panel().setZEK710APRIDNS("1.1.1.1");
    panel().setZEK710ASECDNS("");
    panel().setZEK710AHOSTNAME("renamed");  // the host name is fixed
    ASSERT_TRUE(save());
    EXPECT_EQ(interfaces(),
              "auto lo\n"
              "iface lo inet loopback\n"
              "\n"
              "auto eth0\n"
              "iface eth0 inet static\n"
              "address 10.1.2.3\n"
              "gateway 10.1.2.254\n"
              "netmask 255.255.0.0\n"
              "nameserver 1.1.1.1\n"
              "broadcast 10.1.2.255\n"
              "\n"
              "#auto wlan0\n"
              "iface wlan0 inet dhcp\n"
              "        wireless_mode managed\n"
              "        wpa-conf /etc/wpa_supplicant.conf\n");
    // The first save keeps a backup of the fresh default setup.
    EXPECT_EQ(rig->root().readFile("etc/network/interfaces_backup"), kDefaultInterfaces);
    EXPECT_EQ(panel().getZEK710AHOSTNAME(), "ZEK-710A");

    const std::string saved = interfaces();
    for (const char* broken : {"10.1.2", "10.1.2.3\naddress 6.6.6.6", "300.1.1.1"}) {
        panel().setZEK710AGATEADD(broken);
        EXPECT_FALSE(save()) << broken;
        EXPECT_EQ(interfaces(), saved);
    }
    panel().setZEK710AGATEADD("10.1.2.254");
    // Forms an address parser would take for another address are refused, never written as it.
    for (const char* broken : {"not an address", "10.1", "192.168.1.010", "3232235786"}) {
        panel().setZEK710AIPADDR(broken);
        EXPECT_FALSE(save()) << broken;
        EXPECT_EQ(interfaces(), saved) << broken;
    }

    // With DHCP on, the static values do not matter and are not written.
    panel().setZEK710ADHCPMODE(true);
    EXPECT_EQ(dhcpChanged, 1);
    ASSERT_TRUE(save());
    EXPECT_NE(interfaces().find("iface eth0 inet dhcp\n\n#auto wlan0\n"), std::string::npos)
        << interfaces();
}

TEST_F(PanelNetworkSettings, ResetRestoresTheBackupAndAsksForAReboot) {
    // No backup yet: the default setup becomes the backup and the interfaces file.
    EXPECT_EQ(reset(), std::make_pair(98, QString("Please reboot ZEK710A")));
    EXPECT_EQ(rig->root().readFile("etc/network/interfaces_backup"), kDefaultInterfaces);
    EXPECT_EQ(interfaces(), kDefaultInterfaces);

    // With a backup, that backup comes back.
    rig->root().writeFile("etc/network/interfaces_backup", kStaticInterfaces);
    EXPECT_EQ(reset().first, 98);
    EXPECT_EQ(interfaces(), kStaticInterfaces);
    EXPECT_FALSE(std::filesystem::exists(rig->root() / "etc/network/interfaces.partial"));

    // A backup that cannot be read: nothing changes, and the operator is told so.
    std::filesystem::remove(rig->root() / "etc/network/interfaces_backup");
    std::filesystem::create_directories(rig->root() / "etc/network/interfaces_backup/x");
    EXPECT_EQ(reset(),
              std::make_pair(0, QString("The network settings could not be reset.\nNothing was "
                                        "changed.")));
    EXPECT_EQ(interfaces(), kStaticInterfaces);
    std::filesystem::remove_all(rig->root() / "etc/network/interfaces_backup");
}

// A file that cannot be replaced is a failure the operator is told of, never "Please reboot".
TEST_F(PanelNetworkSettings, SaveAndResetThatCannotWriteSaySo) {
    std::filesystem::remove(rig->root() / "etc/network/interfaces");
    std::filesystem::create_directories(rig->root() / "etc/network/interfaces/in-the-way");
    panel().setZEK710AIPADDR("10.1.2.3");
    EXPECT_FALSE(save());
    const std::pair<int, QString> told = reset();
    EXPECT_EQ(told.first, 0);
    EXPECT_EQ(told.second, "The network settings could not be reset.\nNothing was changed.");
    EXPECT_TRUE(std::filesystem::is_directory(rig->root() / "etc/network/interfaces"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
