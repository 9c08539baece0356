// Frames of the panel MCU protocol: builders and answer parsers, bytes in and bytes out.
//
// Frame layout, both directions:
//   55 AA | type | L | payload (L - 1 bytes)
// L counts the bytes from itself to the end of the frame, so a frame is L + 3 bytes long.
// Multi-byte numbers are big-endian. There is no checksum.
#pragma once

#include <cstdint>
#include <string>

#include "defs.h"

namespace mcu {

constexpr std::uint8_t kSyncHigh = 0x55;
constexpr std::uint8_t kSyncLow = 0xAA;

constexpr std::uint8_t kTypeVersion = 0x80;
constexpr std::uint8_t kTypeKeyboardStatus = 0x81;
constexpr std::uint8_t kTypeTbarCalibrationRead = 0x82;
constexpr std::uint8_t kTypeStartUpgrade = 0x83;
constexpr std::uint8_t kTypeUpgradeData = 0x84;
constexpr std::uint8_t kTypeUpgradeDone = 0x85;
constexpr std::uint8_t kTypeTbarSetting = 0x86;
constexpr std::uint8_t kTypeInitialise = 0x87;

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNack = 0x15;
constexpr std::uint8_t kFatalError = 0x20;

// Length bytes of the answers.
constexpr std::uint8_t kVersionAnswerLength = 5;
constexpr std::uint8_t kStatusLength = 0x15;
constexpr std::uint8_t kTbarAnswerLength = 5;
constexpr std::uint8_t kAckAnswerLength = 2;

// Payload sizes of the keyboard status exchange, both directions.
constexpr std::size_t kLedMapSize = 20;
constexpr std::size_t kStatusPayloadSize = 20;
// Offset of the key bit map inside a whole status answer frame (header 4 + payload byte 15).
constexpr std::size_t kKeyTableOffset = 19;

// Selector of the T-bar setting command.
constexpr std::uint8_t kTbarStoreMaximum = 0x02;
constexpr std::uint8_t kTbarStoreMinimum = 0x03;

// Size of the colour table the panel application sends with the initialise command.
constexpr std::size_t kColourTableSize = 98;

// Why an answer was not accepted. Parsers report it so their callers can say why in the log.
enum class AnswerError {
    none,
    noSync,         // fewer than 2 bytes, or not 55 AA
    missingHeader,  // sync present, type or length byte missing
    wrongType,
    wrongLength,
    truncated,  // fewer payload bytes than the length byte promises
};

const char* answerErrorText(AnswerError error);

// 55 AA, type, the length byte (payload size + 1), payload.
std::string frame(std::uint8_t type, const std::string& payload);

// Checks sync, type, length and that the promised payload is all there.
AnswerError checkAnswer(const std::string& answer, std::uint8_t expectedType,
                        std::uint8_t expectedLength);

}  // namespace mcu

// Stateless builders and parsers. Parsers take the whole answer as an exchange returned it;
// bytes after the frame are ignored, except that a status answer's key table runs to the end.
// A parser never reads a byte that the answer does not hold: an answer shorter than its length
// byte promises is rejected like one of the wrong length.
class mcuCommunicate {
public:
    bool isSyncByteCorrect(const std::string& buffer) const;
    bool isCommandTypeCorrect(std::uint8_t type, std::uint8_t expected) const {
        return type == expected;
    }
    bool isDataLengthCorrect(std::uint8_t length, std::uint8_t expected) const {
        return length == expected;
    }

    // 55 AA 80 04 'v' 'e' 'r'
    std::string askVersion() const;
    // Returns the minor version and sets major, or returns -1 and leaves major alone. isSync is
    // false only when the sync bytes are wrong or missing.
    int versionNumber(const std::string& answer, bool& isSync, int& major,
                      mcu::AnswerError* why = nullptr) const;

    // 55 AA 81 15 and the 20-byte LED map. A map of another size is padded with zeros or cut to
    // 20 bytes, because the length byte is fixed.
    std::string updateKeyBoardStatus(const std::string& ledMap) const;
    // The controls described by a status answer; an all-zero record with an empty key table when
    // the answer is not a valid status answer.
    hardwareState getHardwareStatus(const std::string& answer, bool& isSync,
                                    mcu::AnswerError* why = nullptr) const;

    // 55 AA 82 05 't' 'b' 'a' 'r'
    std::string calibrateTbar() const;
    // Both fields calibrateTbarPar::kUnknown when the answer is not valid.
    calibrateTbarPar getTbarCalibratePar(const std::string& answer, bool& isSync,
                                         mcu::AnswerError* why = nullptr) const;

    // 55 AA 86 0D "settingtbar" selector
    std::string settingTbar(std::uint8_t selector) const;
    // True only for exactly 55 AA 86 02 06.
    bool isSettingTbarOk(const std::string& answer) const;

    // 55 AA 87 L "INITZEK" table, L = table length + 8 as one byte.
    std::string initZEK(const std::string& colourTable) const;
    // True when sync, type 0x87 and length 2 match and the first payload byte is ACK; bytes after
    // it do not matter.
    bool isInitZekOk(const std::string& answer) const;
};

// The colour table the panel application sends with the initialise command: two zero bytes, then
// sixteen colours of six bytes (red, red, green, green, blue, blue).
std::string panelColourTable();

// Version for display: "a.b.c.d" from major / 256, major % 256, minor / 256, minor % 256.
std::string formatMcuVersion(int major, int minor);
