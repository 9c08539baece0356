#include "viscaCommands.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

struct MessageCase {
    const char* name;
    QByteArray message;
    const char* expectedHex;
};

class ViscaCatalogueTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ViscaCatalogueTest, BuildsExactBytes) {
    EXPECT_EQ(GetParam().message.toHex(' ').toStdString(),
              hex(GetParam().expectedHex).toHex(' ').toStdString());
}

using namespace visca;

INSTANTIATE_TEST_SUITE_P(
    Messages, ViscaCatalogueTest,
    ::testing::Values(
        MessageCase{"statusInquiry", camStatusInquiry(), "81 09 7E 7E 70 FF"},
        MessageCase{"shutterInquiry", cmdShutter(), "81 09 04 4A FF"},
        MessageCase{"gainInquiry", cmdGain(), "81 09 04 4C FF"},
        MessageCase{"versionInquiry", cmdVersion(), "81 09 00 02 FF"},
        MessageCase{"zoomStop", zStopCommand(), "81 01 04 07 00 FF"},
        MessageCase{"panTiltStop", xyStopCommand(), "81 01 06 01 01 01 03 03 FF"},
        MessageCase{"focusStop", cmdFocusStop(), "81 01 04 08 00 FF"},
        MessageCase{"menuEnter", osdEnterCommand(), "81 01 7E 01 02 00 01 FF"},
        MessageCase{"tallyBuffer", cmdTallyBuffer(), "81 01 7E 01 0A 00 00 00 FF"},
        MessageCase{"panTiltDrive", panTiltDrive(0x12, 0x05, panRight, tiltUp),
                    "81 01 06 01 12 05 02 01 FF"},
        MessageCase{"zoomTele", zoomTeleVariable(7), "81 01 04 07 27 FF"},
        MessageCase{"zoomWide", zoomWideVariable(1), "81 01 04 07 31 FF"},
        MessageCase{"focusFar", focusFar(), "81 01 04 08 02 FF"},
        MessageCase{"focusNear", focusNear(), "81 01 04 08 03 FF"},
        MessageCase{"shutterUp", shutterUp(), "81 01 04 0A 02 FF"},
        MessageCase{"shutterDown", shutterDown(), "81 01 04 0A 03 FF"},
        MessageCase{"irisUp", irisUp(), "81 01 04 0B 02 FF"},
        MessageCase{"irisDown", irisDown(), "81 01 04 0B 03 FF"},
        MessageCase{"gainUp", gainUp(), "81 01 04 0C 02 FF"},
        MessageCase{"gainDown", gainDown(), "81 01 04 0C 03 FF"},
        MessageCase{"wbAuto", whiteBalanceAuto(), "81 01 04 35 00 FF"},
        MessageCase{"wbManual", whiteBalanceManual(), "81 01 04 35 05 FF"},
        MessageCase{"wbOnePush", whiteBalanceOnePushMode(), "81 01 04 35 03 FF"},
        MessageCase{"onePushTrigger", onePushTrigger(), "81 01 04 10 05 FF"},
        MessageCase{"focusAuto", focusAuto(), "81 01 04 38 02 FF"},
        MessageCase{"focusManual", focusManual(), "81 01 04 38 03 FF"},
        MessageCase{"exposureAuto", exposureFullAuto(), "81 01 04 39 00 FF"},
        MessageCase{"exposureManual", exposureManual(), "81 01 04 39 03 FF"},
        MessageCase{"presetStore", presetStore(13), "81 01 04 3F 01 0D FF"},
        // Preset key 3 with preset shift: number 2 + 7.
        MessageCase{"presetRecallShifted", presetRecall(9), "81 01 04 3F 02 09 FF"},
        MessageCase{"pictureFormat", pictureFormat(29), "81 01 04 24 72 1D FF"},
        MessageCase{"verticalFlipOn", verticalFlip(2), "81 01 04 66 02 FF"},
        MessageCase{"mirrorOff", horizontalMirror(3), "81 01 04 61 03 FF"},
        MessageCase{"redGain", redGainDirect(0xA7), "81 01 04 43 00 00 0A 07 FF"},
        MessageCase{"blueGain", blueGainDirect(0x0F), "81 01 04 44 00 00 00 0F FF"},
        MessageCase{"menuOn", cameraMenuOn(), "81 01 06 06 02 FF"},
        MessageCase{"menuOff", cameraMenuOff(), "81 01 06 06 03 FF"},
        MessageCase{"speedFast", speedModeFast(), "81 01 7E 01 0B 7E 03 FF"},
        MessageCase{"speedMid", speedModeMid(), "81 01 7E 01 0B 7E 02 FF"},
        MessageCase{"speedSlow", speedModeSlow(), "81 01 7E 01 0B 7E 01 FF"},
        MessageCase{"tally", tallyLamps(2, 3), "81 01 7E 01 0A 00 02 03 FF"},
        MessageCase{"hcipStatus", hcipEnvelope(camStatusInquiry()), "00 08 81 09 7E 7E 70 FF"},
        MessageCase{"hcipShutter", hcipEnvelope(cmdShutter()), "00 07 81 09 04 4A FF"},
        MessageCase{"viscaOverIp", viscaOverIpEnvelope(zStopCommand(), 0x0102),
                    "01 00 00 06 00 00 01 02 81 01 04 07 00 FF"},
        MessageCase{"viscaOverIpWraps", viscaOverIpEnvelope(zStopCommand(), 0x1'FFFF'FFFFLL),
                    "01 00 00 06 FF FF FF FF 81 01 04 07 00 FF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ViscaStatusBlock, FillsTheRecord) {
    // flags: bars, tally, menu | format 0x34 -> 0x14 | wb 5 | r 0xA7 | b 0x3C | focus manual |
    // exposure bright | - | reversed, mirror, flip | speed fast
    const QByteArray answer = hex("90 50 16 34 05 0A 07 03 0C 03 0D 00 31 03 FF");
    orb_camera_info record;
    ASSERT_TRUE(applyStatusBlock(answer, record, speedRule::controlCamera));
    EXPECT_TRUE(record.colorbaron);
    EXPECT_TRUE(record.tallyon);
    EXPECT_TRUE(record.osdon);
    EXPECT_EQ(record.videomode, 0x14);
    EXPECT_EQ(record.wbmode, 5);
    EXPECT_EQ(record.rgain, 0xA7);
    EXPECT_EQ(record.bgain, 0x3C);
    EXPECT_EQ(record.fmode, 3);
    EXPECT_EQ(record.irismode, 0x0D);
    EXPECT_EQ(record.ptdir, 1);
    EXPECT_TRUE(record.hflip);
    EXPECT_TRUE(record.vflip);
    EXPECT_EQ(record.speed, 3);
}

TEST(ViscaStatusBlock, FocusAndSpeedRules) {
    orb_camera_info record;
    record.fmode = 3;
    record.speed = 2;
    // Focus byte 4 keeps the previous mode; speed byte 7 is ignored for the control camera.
    const QByteArray answer = hex("90 50 00 01 00 00 00 00 00 04 00 00 00 07 FF");
    ASSERT_TRUE(applyStatusBlock(answer, record, speedRule::controlCamera));
    EXPECT_EQ(record.fmode, 3);
    EXPECT_EQ(record.speed, 2);
    ASSERT_TRUE(applyStatusBlock(answer, record, speedRule::onScreenCamera));
    EXPECT_EQ(record.speed, 7);
}

TEST(ViscaStatusBlock, AnyOtherLengthIsDroppedWhole) {
    orb_camera_info record;
    record.wbmode = 3;
    for (const char* text : {"", "90 50 16 34 05 0A 07 03 0C 03 0D 00 31 03",
                             "90 50 16 34 05 0A 07 03 0C 03 0D 00 31 03 FF FF"}) {
        EXPECT_FALSE(applyStatusBlock(hex(text), record, speedRule::onScreenCamera)) << text;
        EXPECT_EQ(record.wbmode, 3);
    }
}

TEST(ViscaAnswers, PositionsAndVersion) {
    EXPECT_EQ(positionFromAnswer(hex("90 50 00 00 0A 07 FF"), 4), 0xA7);
    EXPECT_EQ(positionFromAnswer(hex("00 09 90 50 00 00 0F 0F FF"), 6), 0xFF);
    EXPECT_EQ(positionFromAnswer(hex("90 50 00 00 0A"), 4), -1);
    EXPECT_EQ(positionFromAnswer(hex("00 09 90 50 00 00 0F"), 6), -1);
    // Only the low nibble of each byte counts.
    EXPECT_EQ(positionFromAnswer(hex("90 50 00 00 FA 37 FF"), 4), 0xA7);

    EXPECT_EQ(modelFromVersionAnswer(hex("90 50 00 20 05 20 01 00 00 00 FF")), "020");
    EXPECT_EQ(modelFromVersionAnswer(hex("90 50 AB 0C 05 20 01 00 00 00 00 00 00 00 00 FF")),
              "abc");
    EXPECT_TRUE(modelFromVersionAnswer(hex("90 50 00 20 05 20 01 00 00 FF")).isNull());
    EXPECT_TRUE(modelFromVersionAnswer(QByteArray()).isNull());
}

TEST(ViscaDuplicateRule, RepeatsOnlyForStepsAndPresets) {
    const QByteArray recall = presetRecall(3);
    EXPECT_TRUE(passesDuplicateRule(recall, recall, 3));
    const QByteArray zoomStop = zStopCommand();
    EXPECT_FALSE(passesDuplicateRule(zoomStop, zoomStop, 3));
    EXPECT_TRUE(passesDuplicateRule(zoomStop, recall, 3));
    EXPECT_TRUE(passesDuplicateRule(zoomStop, "ABC", 3));
    // Behind the HCIP length the command byte is at 5.
    EXPECT_TRUE(passesDuplicateRule(hcipEnvelope(irisUp()), hcipEnvelope(irisUp()), 5));
    EXPECT_FALSE(
        passesDuplicateRule(hcipEnvelope(cameraMenuOn()), hcipEnvelope(cameraMenuOn()), 5));
    // An index past the message drops the repeat.
    EXPECT_FALSE(passesDuplicateRule(hex("81 01 FF"), hex("81 01 FF"), 3));
    for (const quint8 allowed : {0x01, 0x03, 0x04, 0x08, 0x0A, 0x0B, 0x0C, 0x39, 0x3F}) {
        EXPECT_TRUE(isRepeatAllowed(allowed));
    }
    for (const quint8 refused : {0x00, 0x02, 0x06, 0x07, 0x35, 0x38, 0x66, 0x7E}) {
        EXPECT_FALSE(isRepeatAllowed(refused));
    }
}

TEST(ViscaPictureFormats, NamesOfTheOfferedCodes) {
    EXPECT_EQ(pictureFormatName(6), "1080p29.97");
    EXPECT_EQ(pictureFormatName(2), "1080p29.97");
    EXPECT_EQ(pictureFormatName(30), "2160p25");
    EXPECT_EQ(pictureFormatName(3), "");
}

// The sequence reset of VISCA over IP, and what a camera's datagrams say about the session.
TEST(ViscaOverIpSession, ResetBytes) {
    EXPECT_EQ(viscaOverIpSequenceReset().toHex(' ').toStdString(), "02 00 00 01 00 00 00 00 01");
}

TEST(ViscaOverIpSession, AnswersClassified) {
    const struct {
        const char* datagram;
        viscaOverIpAnswer expected;
    } rows[] = {
        {"01 11 00 03 00 00 00 29 90 41 FF", viscaOverIpAnswer::reply},
        {"01 11 00 03 00 00 00 29 90 60 02 FF",
         viscaOverIpAnswer::malformed},  // length 3, 4 follow
        {"02 01 00 01 00 00 00 00 01", viscaOverIpAnswer::resetAcknowledged},
        {"02 01 00 02 00 00 00 05 0F 01", viscaOverIpAnswer::sequenceError},
        {"02 01 00 02 FF FF FF FF 0F 01", viscaOverIpAnswer::sequenceError},
        {"02 01 00 02 00 00 00 05 0F 02", viscaOverIpAnswer::otherControlError},
        {"02 01 00 01 00 00 00 00 0F", viscaOverIpAnswer::otherControlError},
        {"02 00 00 01 00 00 00 00 01", viscaOverIpAnswer::otherType},  // a request, not a reply
        {"01 00 00 01 00 00 00 00 01", viscaOverIpAnswer::otherType},
        {"02 01 00 02 00 00 00 05 0F", viscaOverIpAnswer::malformed},
        {"02 01 00 00 00 00 00", viscaOverIpAnswer::malformed},
        {"90 41 FF", viscaOverIpAnswer::malformed},  // bare VISCA
        {"", viscaOverIpAnswer::malformed},
        {"02 01 FF FF 00 00 00 00 0F 01", viscaOverIpAnswer::malformed},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(classifyViscaOverIpAnswer(hex(row.datagram)), row.expected) << row.datagram;
    }
}

}  // namespace
