#include "mcuCommunicate.h"

#include <array>
#include <cstdio>

namespace mcu {

const char* answerErrorText(AnswerError error) {
    switch (error) {
        case AnswerError::none:
            return "ok";
        case AnswerError::noSync:
            return "no sync bytes";
        case AnswerError::missingHeader:
            return "type or length byte missing";
        case AnswerError::wrongType:
            return "wrong command type";
        case AnswerError::wrongLength:
            return "wrong length byte";
        case AnswerError::truncated:
            return "fewer payload bytes than the length byte promises";
    }
    return "unknown";
}

AnswerError checkAnswer(const std::string& answer, std::uint8_t expectedType,
                        std::uint8_t expectedLength) {
    if (!mcuCommunicate().isSyncByteCorrect(answer)) {
        return AnswerError::noSync;
    }
    if (answer.size() < 4) {
        return AnswerError::missingHeader;
    }
    if (static_cast<std::uint8_t>(answer[2]) != expectedType) {
        return AnswerError::wrongType;
    }
    if (static_cast<std::uint8_t>(answer[3]) != expectedLength) {
        return AnswerError::wrongLength;
    }
    if (answer.size() < static_cast<std::size_t>(expectedLength) + 3) {
        return AnswerError::truncated;
    }
    return AnswerError::none;
}

std::string frame(std::uint8_t type, const std::string& payload) {
    std::string out;
    out.reserve(payload.size() + 4);
    out.push_back(static_cast<char>(kSyncHigh));
    out.push_back(static_cast<char>(kSyncLow));
    out.push_back(static_cast<char>(type));
    // The length byte is one byte wide; a payload too long for it wraps, which no command here
    // comes near (the longest are the 106-byte initialise frame and the 133-byte upgrade pack).
    out.push_back(static_cast<char>(static_cast<std::uint8_t>(payload.size() + 1)));
    out += payload;
    return out;
}

}  // namespace mcu

namespace {

using mcu::AnswerError;
using mcu::frame;

std::uint8_t byteAt(const std::string& s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

int wordAt(const std::string& s, std::size_t i) {
    return byteAt(s, i) * 256 + byteAt(s, i + 1);
}

// 12-bit joystick value: low four bits of the first byte, then the second byte.
int axisValueAt(const std::string& s, std::size_t i) {
    return (byteAt(s, i) & 0x0F) * 256 + byteAt(s, i + 1);
}

bool bitSet(std::uint8_t byte, int bit) {
    return (byte >> bit) & 0x01;
}

// Runs the common checks and says whether the sync bytes were found.
AnswerError check(const std::string& answer, std::uint8_t type, std::uint8_t length, bool& isSync,
                  AnswerError* why) {
    const AnswerError error = mcu::checkAnswer(answer, type, length);
    isSync = error != AnswerError::noSync;
    if (why != nullptr) {
        *why = error;
    }
    return error;
}

}  // namespace

bool mcuCommunicate::isSyncByteCorrect(const std::string& buffer) const {
    return buffer.size() >= 2 && byteAt(buffer, 0) == mcu::kSyncHigh &&
           byteAt(buffer, 1) == mcu::kSyncLow;
}

std::string mcuCommunicate::askVersion() const {
    return frame(mcu::kTypeVersion, "ver");
}

int mcuCommunicate::versionNumber(const std::string& answer, bool& isSync, int& major,
                                  AnswerError* why) const {
    if (check(answer, mcu::kTypeVersion, mcu::kVersionAnswerLength, isSync, why) !=
        AnswerError::none) {
        return -1;
    }
    major = wordAt(answer, 4);
    return wordAt(answer, 6);
}

std::string mcuCommunicate::updateKeyBoardStatus(const std::string& ledMap) const {
    std::string payload = ledMap;
    payload.resize(mcu::kLedMapSize, '\0');
    return frame(mcu::kTypeKeyboardStatus, payload);
}

hardwareState mcuCommunicate::getHardwareStatus(const std::string& answer, bool& isSync,
                                                AnswerError* why) const {
    hardwareState state;
    if (check(answer, mcu::kTypeKeyboardStatus, mcu::kStatusLength, isSync, why) !=
        AnswerError::none) {
        return state;
    }
    state.lockButtonPressed = bitSet(byteAt(answer, 4), 0);
    state.joyStickXDir = bitSet(byteAt(answer, 5), 4);
    state.joyStickX = axisValueAt(answer, 5);
    state.joyStickYDir = bitSet(byteAt(answer, 7), 4);
    state.joyStickY = axisValueAt(answer, 7);
    state.joyStickZDir = bitSet(byteAt(answer, 9), 4);
    state.joyStickZ = axisValueAt(answer, 9);
    state.shuttleDir = bitSet(byteAt(answer, 11), 7);
    state.shuttleValue = byteAt(answer, 11) & 0x7F;
    state.jogDir = bitSet(byteAt(answer, 12), 7);
    state.jogValue = byteAt(answer, 12) & 0x7F;
    state.tBarValue = wordAt(answer, 13);
    state.sliderValue1 = byteAt(answer, 15);
    state.sliderValue2 = byteAt(answer, 16);
    state.sliderValue3 = byteAt(answer, 17);
    state.sliderValue4 = byteAt(answer, 18);
    state.keyPressTable = answer.substr(mcu::kKeyTableOffset);
    return state;
}

std::string mcuCommunicate::calibrateTbar() const {
    return frame(mcu::kTypeTbarCalibrationRead, "tbar");
}

calibrateTbarPar mcuCommunicate::getTbarCalibratePar(const std::string& answer, bool& isSync,
                                                     AnswerError* why) const {
    calibrateTbarPar par;
    if (check(answer, mcu::kTypeTbarCalibrationRead, mcu::kTbarAnswerLength, isSync, why) !=
        AnswerError::none) {
        return par;
    }
    par.maxValue = wordAt(answer, 4);
    par.minValue = wordAt(answer, 6);
    return par;
}

std::string mcuCommunicate::settingTbar(std::uint8_t selector) const {
    return frame(mcu::kTypeTbarSetting, std::string("settingtbar") + static_cast<char>(selector));
}

bool mcuCommunicate::isSettingTbarOk(const std::string& answer) const {
    bool isSync = false;
    return check(answer, mcu::kTypeTbarSetting, mcu::kAckAnswerLength, isSync, nullptr) ==
               AnswerError::none &&
           answer.size() == 5 && byteAt(answer, 4) == mcu::kAck;
}

std::string mcuCommunicate::initZEK(const std::string& colourTable) const {
    return frame(mcu::kTypeInitialise, "INITZEK" + colourTable);
}

bool mcuCommunicate::isInitZekOk(const std::string& answer) const {
    bool isSync = false;
    return check(answer, mcu::kTypeInitialise, mcu::kAckAnswerLength, isSync, nullptr) ==
               AnswerError::none &&
           byteAt(answer, 4) == mcu::kAck;
}

std::string panelColourTable() {
    // Red, green, blue of each LED colour index; the MCU wants every channel byte twice.
    static constexpr std::array<std::array<std::uint8_t, 6>, 16> kColours{{
        {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // 0 off
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 1 idle function keys (white)
        {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00},  // 2 active key (red)
        {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // 3 LED test (green)
        {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF},  // 4 LED test (blue)
        {0x0F, 0x0F, 0xB5, 0xB5, 0x17, 0x17},  // 5 camera keys, preview tool
        {0xDF, 0xDF, 0x69, 0x69, 0x22, 0x22},  // 6 camera keys, programme tool
        {0x26, 0x26, 0x66, 0x66, 0xB9, 0xB9},  // 7 camera keys, auxiliary tool
        {0xFF, 0xFF, 0x73, 0x73, 0x00, 0x00},  // 8 preset keys, switcher preset function
        {0xFF, 0xFF, 0x7D, 0x7D, 0x3E, 0x3E},  // 9 camera keys, normal
        {0xFC, 0xFC, 0x0B, 0x0B, 0xAF, 0xAF},  // 10 preset keys, normal
        {0x00, 0x00, 0xD6, 0xD6, 0x68, 0x68},  // 11 camera keys, camera shift
        {0x06, 0x06, 0xBF, 0xBF, 0xF9, 0xF9},  // 12 preset keys, preset shift
        {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF},  // 13 not used
        {0x7F, 0xFF, 0x00, 0x00, 0xFF, 0xFF},  // 14 not used
        {0x10, 0x10, 0x8E, 0x8E, 0xCE, 0xCE},  // 15 start-up and test map
    }};
    std::string table(2, '\0');
    for (const auto& colour : kColours) {
        for (const std::uint8_t channel : colour) {
            table.push_back(static_cast<char>(channel));
        }
    }
    return table;
}

std::string formatMcuVersion(int major, int minor) {
    char text[48];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", major / 256, major % 256, minor / 256,
                  minor % 256);
    return text;
}
