// What a status block of the control camera does to the panel's speed mode and mode keys.
#include <QByteArray>

#include <gtest/gtest.h>

#include <array>
#include <mutex>
#include <ostream>
#include <string>

#include "panelState.h"

namespace {

std::string bytesOf(const char* hex) {
    return QByteArray::fromHex(hex).toStdString();
}

std::string hexOf(const std::string& bytes) {
    return QByteArray::fromStdString(bytes).toHex(' ').toStdString();
}

struct speedCase {
    int reported;  // byte 13 of the status block
    int mode;
    const char* ledMap;
};

void PrintTo(const speedCase& row, std::ostream* out) {
    *out << "speed " << row.reported << " reported";
}

class ControlCameraSpeedTest : public ::testing::TestWithParam<speedCase> {
protected:
    void SetUp() override {
        iCurrentSpeedMode = 3;  // FAST chosen on the panel
        camOSD = false;
        awb = true;
        autofocus = true;
        autoiris = true;
        std::lock_guard<std::mutex> lock(ledMapMutex);
        testKeyboardStatusStr[0] =
            bytesOf("11 11 11 11 11 11 11 aa aa aa a9 99 99 99 99 99 91 11 11 11");
    }
};

TEST_P(ControlCameraSpeedTest, SpeedModeOnlyFromTheReportedSpeed) {
    // Menu off, auto white balance, auto focus, auto exposure; the record still holds the slow
    // speed of an older answer.
    orb_camera_info record;
    record.speed = 1;
    record.osdon = false;
    record.wbmode = 0;
    record.fmode = 2;
    record.irismode = 0;
    applyControlCameraRules(record, GetParam().reported);
    EXPECT_EQ(iCurrentSpeedMode.load(), GetParam().mode);
    EXPECT_EQ(hexOf(liveLedMap()), GetParam().ledMap);
}

INSTANTIATE_TEST_SUITE_P(
    Reported, ControlCameraSpeedTest,
    ::testing::Values(
        // No speed in 1..3: the panel keeps FAST, lit.
        speedCase{0, 3, "21 11 11 11 21 12 21 aa aa aa a9 99 99 99 99 99 91 11 11 11"},
        speedCase{7, 3, "21 11 11 11 21 12 21 aa aa aa a9 99 99 99 99 99 91 11 11 11"},
        speedCase{1, 1, "11 21 11 11 21 12 21 aa aa aa a9 99 99 99 99 99 91 11 11 11"},
        speedCase{2, 2, "12 11 11 11 21 12 21 aa aa aa a9 99 99 99 99 99 91 11 11 11"},
        speedCase{3, 3, "21 11 11 11 21 12 21 aa aa aa a9 99 99 99 99 99 91 11 11 11"}));

// The camera keys of cameras that are down blink: in the dark half their LED is off, every
// other key and the lit half keep the map's colours.
TEST(DownCameraKeys, BlinkOnlyTheKeysOfDownCameras) {
    // Keys 21..32 are the low nibble of byte 10 up to the low nibble of byte 16.
    const std::string map = bytesOf("11111111111111aaaaaaa9999999999991111111");
    std::array<bool, kUsedCameraSlots> down{};
    EXPECT_EQ(hexOf(withDownCameraKeys(map, down, false, true)), hexOf(map));
    down[0] = true;   // camera 1: key 21
    down[1] = true;   // camera 2: key 22
    down[11] = true;  // camera 12: key 32
    down[12] = true;  // camera 13: key 21 with camera shift
    EXPECT_EQ(hexOf(withDownCameraKeys(map, down, false, false)), hexOf(map));
    EXPECT_EQ(hexOf(withDownCameraKeys(map, down, false, true)),
              "11 11 11 11 11 11 11 aa aa aa a0 09 99 99 99 99 01 11 11 11");
    EXPECT_EQ(hexOf(withDownCameraKeys(map, down, true, true)),
              "11 11 11 11 11 11 11 aa aa aa a0 99 99 99 99 99 91 11 11 11");
    // A short map loses nothing and gains nothing.
    EXPECT_EQ(hexOf(withDownCameraKeys(bytesOf("1111"), down, false, true)), "11 11");
}

}  // namespace
