// What a status block of the control camera does to the panel's speed mode and mode keys.
#include <QByteArray>

#include <gtest/gtest.h>

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

}  // namespace
