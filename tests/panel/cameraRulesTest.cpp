#include "cameraRules.h"

#include <gtest/gtest.h>

namespace {

TEST(UnreachableMessage, OneTextPerCause) {
    EXPECT_EQ(unreachableMessage(9, "", "192.168.1.20"),
              "No device connect to Camera 9.\nPlease select another one.");
    EXPECT_EQ(unreachableMessage(10, "10.0.0.7", "192.168.1.20"),
              "Camera 10 is not in the correct network.\nPlease configure its IP address then "
              "scan again.");
    EXPECT_EQ(unreachableMessage(11, "192.168.1.77", "192.168.1.20"),
              "Cannot connect to Camera 11.\nPlease reboot that device then scan again.");
    // Without a four-part panel address there is no network to compare with.
    EXPECT_EQ(unreachableMessage(1, "10.0.0.7", ""),
              "Cannot connect to Camera 1.\nPlease reboot that device then scan again.");
}

TEST(SerialInfoText, EveryCodeAndUnknownOnes) {
    serial_port_info info;
    serialInfoTexts t = serialInfoAsText(info);
    EXPECT_EQ(t.baudRate, "38400");
    EXPECT_EQ(t.charSize, "8");
    EXPECT_EQ(t.parity, "None");
    EXPECT_EQ(t.stopBits, "One Stop");
    EXPECT_EQ(t.flowControl, "None");
    info = {"", 4098, 0, 2, 0, 0, false};
    t = serialInfoAsText(info);
    EXPECT_EQ(t.baudRate, "115200");
    EXPECT_EQ(t.charSize, "5");
    EXPECT_EQ(t.parity, "Even");
    EXPECT_EQ(t.stopBits, "Two Stop");
    EXPECT_EQ(t.flowControl, "Hard");
    info = {"", 12, 8, 3, 7, 9, false};
    t = serialInfoAsText(info);
    EXPECT_TRUE(t.baudRate.isEmpty() && t.charSize.isEmpty() && t.parity.isEmpty() &&
                t.stopBits.isEmpty() && t.flowControl.isEmpty());
}

std::array<hcip_device_info, kCameraSlots> numberedTable() {
    std::array<hcip_device_info, kCameraSlots> table{};
    for (int slot = 0; slot < kCameraSlots; ++slot) {
        table[slot].orb.exist = true;
        table[slot].orb.hcipnetwork.ipadd = QString("10.0.0.%1").arg(slot);
    }
    return table;
}

TEST(SerialModeSwitch, NetworkRecordsMoveByEightSlots) {
    auto table = numberedTable();
    moveNetworkRecords(table, false);
    for (int slot = 0; slot < 24; ++slot) {
        EXPECT_EQ(table[slot].orb.hcipnetwork.ipadd, QString("10.0.0.%1").arg(slot + 8)) << slot;
    }
    for (int slot = 24; slot < kCameraSlots; ++slot) {
        EXPECT_FALSE(table[slot].orb.exist) << slot;
    }

    table = numberedTable();
    moveNetworkRecords(table, true);
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_FALSE(table[slot].orb.exist) << slot;
        EXPECT_TRUE(table[slot].orb.hcipnetwork.ipadd.isEmpty());
    }
    for (int slot = 8; slot < kCameraSlots; ++slot) {
        EXPECT_EQ(table[slot].orb.hcipnetwork.ipadd, QString("10.0.0.%1").arg(slot - 8)) << slot;
    }

    // Off then on brings camera 9 back to slot 8.
    table = numberedTable();
    moveNetworkRecords(table, false);
    moveNetworkRecords(table, true);
    EXPECT_EQ(table[8].orb.hcipnetwork.ipadd, "10.0.0.8");
    EXPECT_EQ(networkCameraSlot(0, true), 8);
    EXPECT_EQ(networkCameraSlot(0, false), 0);
    EXPECT_EQ(serialCameraDevice(5), "/dev/ttyUSB4");
}

}  // namespace
