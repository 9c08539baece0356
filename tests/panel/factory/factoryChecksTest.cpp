// The factory tests' rules on values: the loop-back pattern's bytes, the calibration tolerance,
// the port pairs and the USB copy verdicts.
#include <gtest/gtest.h>

#include <optional>

#include "factoryChecks.h"

namespace {

TEST(LoopbackPattern, StartsWithTheMarkerAndNamesThenCountsUp) {
    const QByteArray pattern = factory::loopbackPattern();
    ASSERT_EQ(pattern.size(), 147);
    EXPECT_EQ(pattern.left(17), QByteArray("\x55\xAAVelmoraZEK-710A"));
    EXPECT_EQ(static_cast<unsigned char>(pattern[17]), 0x00);
    EXPECT_EQ(static_cast<unsigned char>(pattern[18]), 0x01);
    EXPECT_EQ(static_cast<unsigned char>(pattern[146]), 0x81);
    // The same bytes every time: both directions and both ends compare against it.
    EXPECT_EQ(factory::loopbackPattern(), pattern);
}

TEST(Calibration, StoredEndsMustLieWithinTwoHundredOfThePositionsTaken) {
    struct Case {
        int takenMax, takenMin, storedMax, storedMin;
        bool pass;
    };
    const Case cases[] = {
        {1100, 10, 1012, 23, true},    // both within
        {1100, 10, 1312, 23, false},   // the maximum 212 off
        {1012, 23, 1212, 23, false},   // exactly 200 is too far
        {1012, 23, 1211, 23, true},    // 199 is close enough
        {1100, 10, 1100, 210, false},  // the minimum exactly 200 off
        {1100, 210, 1100, 11, true},   // 199 the other way
        {0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(factory::calibrationPasses(c.takenMax, c.takenMin, c.storedMax, c.storedMin),
                  c.pass)
            << c.takenMax << "/" << c.takenMin << " stored " << c.storedMax << "/" << c.storedMin;
    }
}

TEST(LoopbackPorts, FourPairsOfNeighbouringPorts) {
    EXPECT_EQ(factory::loopbackPorts(1).first, "/dev/ttyUSB0");
    EXPECT_EQ(factory::loopbackPorts(1).second, "/dev/ttyUSB1");
    EXPECT_EQ(factory::loopbackPorts(3).first, "/dev/ttyUSB4");
    EXPECT_EQ(factory::loopbackPorts(4).second, "/dev/ttyUSB7");
    for (const int outside : {0, 5, -1}) {
        EXPECT_TRUE(factory::loopbackPorts(outside).first.isEmpty()) << outside;
    }
}

TEST(UsbCopy, TheFirstMissingFileIsNamedAndTheCopiesMustMatch) {
    const QByteArray picture("\x89PNG\r\n\x1a\n picture", 17);
    const QByteArray damaged("\x89PNG\r\n\x1a\n pictura", 17);
    const std::optional<QByteArray> none;
    EXPECT_EQ(factory::judgeUsbCopy(none, picture, picture).message, "來源檔異常");
    EXPECT_EQ(factory::judgeUsbCopy(picture, none, picture).message, "暫存檔異常");
    EXPECT_EQ(factory::judgeUsbCopy(picture, picture, none).message, "目的檔異常");
    EXPECT_EQ(factory::judgeUsbCopy(none, none, none).message, "來源檔異常");
    EXPECT_EQ(factory::judgeUsbCopy(picture, picture, picture).message, "正常");
    // Read check: the copy on the panel differs from the stick's file.
    EXPECT_EQ(factory::judgeUsbCopy(picture, damaged, damaged).message, "異常");
    // Write check: the copy back differs from the copy on the panel.
    EXPECT_EQ(factory::judgeUsbCopy(picture, picture, damaged).message, "異常");
    // Empty files are still files.
    EXPECT_EQ(factory::judgeUsbCopy(QByteArray(), QByteArray(), QByteArray()).message, "正常");

    const factory::usbCopyVerdict verdict = factory::judgeUsbCopy(picture, picture, damaged);
    EXPECT_EQ(verdict.sourceHash, verdict.temporaryHash);
    EXPECT_NE(verdict.temporaryHash, verdict.destinationHash);
    // SHA-1 of the empty input, as hex.
    EXPECT_EQ(factory::judgeUsbCopy(QByteArray(), QByteArray(), QByteArray()).sourceHash,
              "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

}  // namespace
