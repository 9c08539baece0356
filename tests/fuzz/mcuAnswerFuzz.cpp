// Every answer parser of the panel MCU link over the same bytes, as an exchange may hand them
// over from a noisy line, a half-sent frame or a misbehaving MCU. Beyond not crashing, a parser
// must accept only a frame with the sync pair, its type, its length byte and all the payload that
// length promises, and what it reads out must stay within the field's bit width. The hex trace
// of an answer must render every byte.
//
// The expected values are written here from the frame layout (55 AA, type, L, L - 1 payload
// bytes, big-endian numbers), apart from the parsers, so that the two check each other.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "commonFunctions.h"
#include "defs.h"
#include "fuzzCheck.h"
#include "mcuCommunicate.h"

namespace {

unsigned byteAt(const std::string& s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

unsigned wordAt(const std::string& s, std::size_t i) {
    return byteAt(s, i) * 256 + byteAt(s, i + 1);
}

bool hasSync(const std::string& a) {
    return a.size() >= 2 && byteAt(a, 0) == 0x55 && byteAt(a, 1) == 0xAA;
}

// A whole frame of this type and length byte: sync, type, L, then L - 1 payload bytes.
bool isWholeFrame(const std::string& a, unsigned type, unsigned length) {
    return hasSync(a) && a.size() >= 4 && byteAt(a, 2) == type && byteAt(a, 3) == length &&
           a.size() >= length + 3;
}

void requireKnownReason(mcu::AnswerError why) {
    FUZZ_REQUIRE(std::strcmp(mcu::answerErrorText(why), "unknown") != 0);
}

// 55 AA 80 05, major high, major low, minor high, minor low.
void checkVersion(const mcuCommunicate& protocol, const std::string& a) {
    bool isSync = !hasSync(a);  // the wrong value, so a parser that forgets to set it shows
    int major = -7;
    auto why = mcu::AnswerError::noSync;
    const int minor = protocol.versionNumber(a, isSync, major, &why);
    FUZZ_REQUIRE(isSync == hasSync(a));
    FUZZ_REQUIRE((why == mcu::AnswerError::noSync) == !isSync);
    requireKnownReason(why);

    const bool whole = isWholeFrame(a, 0x80, 0x05);
    FUZZ_REQUIRE((why == mcu::AnswerError::none) == whole);
    int majorWithoutReason = -7;
    FUZZ_REQUIRE(protocol.versionNumber(a, isSync, majorWithoutReason) == minor);
    FUZZ_REQUIRE(majorWithoutReason == major);
    if (!whole) {
        FUZZ_REQUIRE(minor == -1);
        FUZZ_REQUIRE(major == -7);
        return;
    }
    FUZZ_REQUIRE(major == static_cast<int>(wordAt(a, 4)));
    FUZZ_REQUIRE(minor == static_cast<int>(wordAt(a, 6)));
    // Shown as the four answer bytes in decimal.
    char expected[32];
    std::snprintf(expected, sizeof expected, "%u.%u.%u.%u", byteAt(a, 4), byteAt(a, 5),
                  byteAt(a, 6), byteAt(a, 7));
    FUZZ_REQUIRE(formatMcuVersion(major, minor) == expected);
}

// 55 AA 81 15 and the 20-byte hardware status; the key table runs to the end of the answer.
void checkHardwareStatus(const mcuCommunicate& protocol, const std::string& a) {
    bool isSync = !hasSync(a);
    auto why = mcu::AnswerError::noSync;
    const hardwareState state = protocol.getHardwareStatus(a, isSync, &why);
    FUZZ_REQUIRE(isSync == hasSync(a));
    requireKnownReason(why);

    const bool whole = isWholeFrame(a, 0x81, 0x15);
    FUZZ_REQUIRE((why == mcu::AnswerError::none) == whole);
    if (!whole) {
        FUZZ_REQUIRE(state == hardwareState{});
        FUZZ_REQUIRE(state.keyPressTable.empty());
        return;
    }
    FUZZ_REQUIRE(a.size() >= 24);
    // Payload byte n is answer byte n + 4.
    auto payload = [&a](std::size_t n) { return byteAt(a, n + 4); };
    auto axis = [&](std::size_t n) {
        return static_cast<int>((payload(n) & 0x0F) * 256 + payload(n + 1));
    };
    FUZZ_REQUIRE(state.lockButtonPressed == ((payload(0) & 0x01) != 0));
    FUZZ_REQUIRE(state.joyStickXDir == ((payload(1) & 0x10) != 0));
    FUZZ_REQUIRE(state.joyStickX == axis(1));
    FUZZ_REQUIRE(state.joyStickYDir == ((payload(3) & 0x10) != 0));
    FUZZ_REQUIRE(state.joyStickY == axis(3));
    FUZZ_REQUIRE(state.joyStickZDir == ((payload(5) & 0x10) != 0));
    FUZZ_REQUIRE(state.joyStickZ == axis(5));
    FUZZ_REQUIRE(state.shuttleDir == ((payload(7) & 0x80) != 0));
    FUZZ_REQUIRE(state.shuttleValue == static_cast<int>(payload(7) & 0x7F));
    FUZZ_REQUIRE(state.jogDir == ((payload(8) & 0x80) != 0));
    FUZZ_REQUIRE(state.jogValue == static_cast<int>(payload(8) & 0x7F));
    FUZZ_REQUIRE(state.tBarValue == static_cast<int>(payload(9) * 256 + payload(10)));
    FUZZ_REQUIRE(state.sliderValue1 == static_cast<int>(payload(11)));
    FUZZ_REQUIRE(state.sliderValue2 == static_cast<int>(payload(12)));
    FUZZ_REQUIRE(state.sliderValue3 == static_cast<int>(payload(13)));
    FUZZ_REQUIRE(state.sliderValue4 == static_cast<int>(payload(14)));

    // Bit widths, whatever the bytes: a sign taken from a char would break these first.
    for (const int axisValue : {state.joyStickX, state.joyStickY, state.joyStickZ}) {
        FUZZ_REQUIRE(axisValue >= 0 && axisValue <= 4095);
    }
    FUZZ_REQUIRE(state.shuttleValue >= 0 && state.shuttleValue <= 127);
    FUZZ_REQUIRE(state.jogValue >= 0 && state.jogValue <= 127);
    FUZZ_REQUIRE(state.tBarValue >= 0 && state.tBarValue <= 65535);
    for (const int slider :
         {state.sliderValue1, state.sliderValue2, state.sliderValue3, state.sliderValue4}) {
        FUZZ_REQUIRE(slider >= 0 && slider <= 255);
    }

    // The key table is the answer from payload byte 15 on, never more than the answer holds.
    FUZZ_REQUIRE(state.keyPressTable.size() == a.size() - 19);
    FUZZ_REQUIRE(state.keyPressTable.size() <= a.size());
    FUZZ_REQUIRE(std::memcmp(state.keyPressTable.data(), a.data() + 19, a.size() - 19) == 0);
    for (int key = 0; key < kKeyCount; ++key) {
        const std::size_t index = 19 + static_cast<std::size_t>(key) / 8;
        const bool expected = index < a.size() && ((byteAt(a, index) >> (7 - key % 8)) & 1) != 0;
        FUZZ_REQUIRE(isKeyPressed(state.keyPressTable, key) == expected);
    }
}

// 55 AA 82 05, maximum high, maximum low, minimum high, minimum low.
void checkTbarCalibration(const mcuCommunicate& protocol, const std::string& a) {
    bool isSync = !hasSync(a);
    auto why = mcu::AnswerError::noSync;
    const calibrateTbarPar par = protocol.getTbarCalibratePar(a, isSync, &why);
    FUZZ_REQUIRE(isSync == hasSync(a));
    requireKnownReason(why);

    const bool whole = isWholeFrame(a, 0x82, 0x05);
    FUZZ_REQUIRE((why == mcu::AnswerError::none) == whole);
    if (!whole) {
        FUZZ_REQUIRE(par.maxValue == calibrateTbarPar::kUnknown);
        FUZZ_REQUIRE(par.minValue == calibrateTbarPar::kUnknown);
        FUZZ_REQUIRE(!par.isKnown());
        return;
    }
    FUZZ_REQUIRE(par.isKnown());
    FUZZ_REQUIRE(par.maxValue == static_cast<int>(wordAt(a, 4)));
    FUZZ_REQUIRE(par.minValue == static_cast<int>(wordAt(a, 6)));
}

// The one-byte answers: the T-bar setting wants exactly 55 AA 86 02 06; the initialisation looks
// at 55 AA 87 02 06 and nothing after it.
void checkAcknowledgements(const mcuCommunicate& protocol, const std::string& a) {
    static const std::string settingOk("\x55\xAA\x86\x02\x06", 5);
    static const std::string initOk("\x55\xAA\x87\x02\x06", 5);
    FUZZ_REQUIRE(protocol.isSettingTbarOk(a) == (a == settingOk));
    FUZZ_REQUIRE(protocol.isInitZekOk(a) == (a.compare(0, 5, initOk) == 0));
}

// The common check with the type and length the answer itself claims: it must never pass an
// answer shorter than its length byte promises.
void checkOwnHeader(const std::string& a) {
    if (a.size() < 4) {
        return;
    }
    const auto type = static_cast<std::uint8_t>(a[2]);
    const auto length = static_cast<std::uint8_t>(a[3]);
    const mcu::AnswerError why = mcu::checkAnswer(a, type, length);
    requireKnownReason(why);
    FUZZ_REQUIRE((why == mcu::AnswerError::none) == isWholeFrame(a, type, length));
    FUZZ_REQUIRE((why == mcu::AnswerError::truncated) == (hasSync(a) && a.size() < length + 3u));
}

// Key numbers come from tables and tests; the key table from the line. Any key against any table
// is a plain bit or false.
void checkKeyLookup(const std::string& a) {
    if (a.size() < 4) {
        return;
    }
    std::int32_t key = 0;
    std::memcpy(&key, a.data(), sizeof key);
    const bool pressed = isKeyPressed(a, key);
    if (key < 0 || static_cast<std::size_t>(key) / 8 >= a.size()) {
        FUZZ_REQUIRE(!pressed);
    }
}

// Answers are traced in hex as they arrive, every byte of them: two digits a byte, with ':'
// between bytes for the panel application and "0X" before each for the link daemon.
void checkHexTrace(const std::string& a) {
    const std::string panel = string_to_hex(a, LinkProgram::panel);
    const std::string daemon = string_to_hex(a, LinkProgram::daemon);
    FUZZ_REQUIRE(panel.size() == (a.empty() ? 0 : a.size() * 3 - 1));
    FUZZ_REQUIRE(daemon.size() == a.size() * 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    const mcuCommunicate protocol;
    FUZZ_REQUIRE(protocol.isSyncByteCorrect(answer) == hasSync(answer));
    checkVersion(protocol, answer);
    checkHardwareStatus(protocol, answer);
    checkTbarCalibration(protocol, answer);
    checkAcknowledgements(protocol, answer);
    checkOwnHeader(answer);
    checkKeyLookup(answer);
    checkHexTrace(answer);
    return 0;
}
