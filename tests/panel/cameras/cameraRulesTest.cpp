// The transport rules that need no socket: the texts of the unreachable message and the serial
// settings as the screens show them.
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
    const struct {
        int baudRate, charSize, stopBits, parity, flowControl;
        const char *baud, *bits, *stop, *parityText, *flow;
    } cases[] = {
        {13, 0, 1, 0, 0, "9600", "5", "One Stop", "Even", "Hard"},
        {14, 16, 2, 1, 1, "19200", "6", "Two Stop", "Odd", "Soft"},
        {15, 32, 1, 2, 2, "38400", "7", "One Stop", "None", "None"},
        {4097, 48, 2, 0, 1, "57600", "8", "Two Stop", "Even", "Soft"},
        {4098, 48, 1, 1, 0, "115200", "8", "One Stop", "Odd", "Hard"},
        {12, 8, 3, 3, 3, "", "", "", "", ""},
        {4099, 64, 0, -1, -1, "", "", "", "", ""},
    };
    for (const auto& c : cases) {
        serial_port_info info;
        info.baudRate = c.baudRate;
        info.charSize = c.charSize;
        info.stopBits = c.stopBits;
        info.parity = c.parity;
        info.flowControl = c.flowControl;
        const serialInfoTexts t = serialInfoAsText(info);
        EXPECT_EQ(t.baudRate, c.baud) << c.baudRate;
        EXPECT_EQ(t.charSize, c.bits) << c.charSize;
        EXPECT_EQ(t.stopBits, c.stop) << c.stopBits;
        EXPECT_EQ(t.parity, c.parityText) << c.parity;
        EXPECT_EQ(t.flowControl, c.flow) << c.flowControl;
    }
    // A line nobody configured: 38400 8N1 without flow control.
    const serialInfoTexts t = serialInfoAsText(serial_port_info{});
    EXPECT_EQ(t.baudRate, "38400");
    EXPECT_EQ(t.charSize, "8");
    EXPECT_EQ(t.stopBits, "One Stop");
    EXPECT_EQ(t.parity, "None");
    EXPECT_EQ(t.flowControl, "None");
}

TEST(CameraReconnect, BackOffDoublesToItsLimit) {
    const int expectedMs[] = {250, 500, 1000, 2000, 4000, 4000, 4000};
    for (int failures = 0; failures < 7; ++failures) {
        EXPECT_EQ(reconnectDelay(failures).count(), expectedMs[failures]) << failures;
    }
    EXPECT_EQ(reconnectDelay(1000000).count(), 4000);
    EXPECT_EQ(reconnectDelay(-3).count(), 250);
}

}  // namespace
