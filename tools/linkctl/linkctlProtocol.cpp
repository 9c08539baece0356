#include "linkctlProtocol.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "hexDigits.h"

namespace linkctl {

namespace {

// ---------------------------------------------------------------------------------------------
// Resources.

struct ResourceRow {
    hardwareResource resource;
    const char* name;
};

// clang-format off
constexpr ResourceRow kResources[] = {
    {hardwareResource::keyBoardArea1, "keyBoardArea1"},  // bit 0x01
    {hardwareResource::keyBoardArea2, "keyBoardArea2"},  // bit 0x02
    {hardwareResource::keyBoardArea3, "keyBoardArea3"},  // bit 0x04
    {hardwareResource::keyBoardArea4, "keyBoardArea4"},  // bit 0x08
    {hardwareResource::TBar,          "TBar"},           // bit 0x10
    {hardwareResource::joyStick,      "joyStick"},       // bit 0x20
    {hardwareResource::shuttleJog,    "shuttleJog"},     // bit 0x40
    {hardwareResource::slider,        "slider"},         // bit 0x80
};
// clang-format on

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// Requests: the command word, then the bytes behind it.

// clang-format off
constexpr const char* kAskForControl = "ASKFORCONTROL";  // control port, nothing behind
constexpr const char* kRegistRc      = "REGIST_RC";      // 1 byte: resource mask
constexpr const char* kReleaseRc     = "RELEASE_RC";     // 1 byte: resource mask
constexpr const char* kInitZek       = "INITZEK";        // 98 bytes: MCU initialisation table
constexpr const char* kCaliZek       = "CALIZEK";        // nothing behind
constexpr const char* kUpdateStatus  = "UPDATESTATUS";   // 20 bytes: LED map
constexpr const char* kGetVersion    = "GET_VERSION";    // nothing behind
constexpr const char* kSettingTbar   = "SETTINGTBAR";    // selector text "2" (max) or "3" (min)
constexpr const char* kNeedFwUpd     = "NEEDFWUPD";      // nothing behind
constexpr const char* kStartFwUpd    = "STARTFWUPD";     // nothing behind
// clang-format on

Bytes wordRequest(const char* word, const Bytes& behind = {}) {
    Bytes request(word, word + std::strlen(word));
    request.insert(request.end(), behind.begin(), behind.end());
    return request;
}

// ---------------------------------------------------------------------------------------------
// Answers. One form per answer: the response code, whether an answer byte follows it, what
// the length field says and how long the message really is.

enum class AnswerByte { None, AckOnly, AckOrNack };

struct AnswerForm {
    const char* subject;  // how errors name the message
    uint8_t code;
    AnswerByte answerByte;
    unsigned lengthField;
    size_t messageLength;
    bool keyTableTail;  // the hardware state table: its key table is as long as the daemon had
};

// clang-format off
//                                  subject                             code  answer byte             field bytes tail
constexpr AnswerForm kAskForControlAnswer{"answer to \"ASKFORCONTROL\"", 0x65, AnswerByte::None,      8,    7,    false};
constexpr AnswerForm kRegistAnswer       {"answer to \"REGIST_RC\"",     0x66, AnswerByte::AckOnly,   6,    6,    false};
constexpr AnswerForm kReleaseAnswer      {"answer to \"RELEASE_RC\"",    0x67, AnswerByte::AckOnly,   6,    6,    false};
constexpr AnswerForm kInitZekAnswer      {"answer to \"INITZEK\"",       0x68, AnswerByte::AckOrNack, 5,    5,    false};
constexpr AnswerForm kCaliZekAnswer      {"answer to \"CALIZEK\"",       0x69, AnswerByte::AckOnly,   9,    9,    false};
constexpr AnswerForm kStateTable         {"answer to \"UPDATESTATUS\"",  0x6A, AnswerByte::None,      24,   24,   true};
constexpr AnswerForm kGetVersionAnswer   {"answer to \"GET_VERSION\"",   0x42, AnswerByte::None,      20,   20,   false};
constexpr AnswerForm kNeedFwUpdAnswer    {"answer to \"NEEDFWUPD\"",     0x6C, AnswerByte::AckOnly,   13,   13,   false};
constexpr AnswerForm kStartFwUpdAnswer   {"answer to \"STARTFWUPD\"",    0x6D, AnswerByte::AckOrNack, 5,    5,    false};
constexpr AnswerForm kProgress           {"progress message",            0x6E, AnswerByte::None,      15,   15,   false};
// clang-format on
// The answer to "ASKFORCONTROL" is 7 bytes although its length field says 8: the daemon counts
// a status byte it never sends.

const AnswerForm* const kAllForms[] = {
    &kAskForControlAnswer, &kRegistAnswer, &kReleaseAnswer,    &kInitZekAnswer,
    &kCaliZekAnswer,       &kStateTable,   &kGetVersionAnswer, &kNeedFwUpdAnswer,
    &kStartFwUpdAnswer,    &kProgress,
};

constexpr size_t kEnvelopeHeader = 4;       // length (2), type, response code
constexpr size_t kStateTableShortest = 19;  // no key table: the daemon's MCU did not answer
constexpr char kProgressText[] = "FWUPDSTATE";
constexpr size_t kProgressTextLength = sizeof kProgressText - 1;

std::string hexByte(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

unsigned bigEndian16(const Bytes& bytes, size_t offset) {
    return (static_cast<unsigned>(bytes[offset]) << 8) | bytes[offset + 1];
}

std::string codeText(uint8_t code) {
    std::string text = "0x" + hexByte(code);
    for (const AnswerForm* form : kAllForms) {
        if (form->code == code) {
            text += std::string(" (the ") + form->subject + ")";
            break;
        }
    }
    return text;
}

// Empty when the message has the form's envelope and size; otherwise the error line. Every
// offset a parser reads afterwards lies within the size checked here.
std::string checkEnvelope(const Bytes& m, const AnswerForm& form) {
    const std::string subject = form.subject;
    const size_t expected = form.keyTableTail ? kStateTableShortest : form.messageLength;
    const std::string expectedText =
        std::to_string(expected) + (form.keyTableTail ? " at least" : "") + " expected";
    if (m.empty()) {
        return "empty " + subject;
    }
    if (m.size() < kEnvelopeHeader) {
        return subject + " too short: " + std::to_string(m.size()) + " bytes, " + expectedText;
    }
    if (m[2] != kTypeCode) {
        return subject + ": type byte 0x" + hexByte(m[2]) + ", not 0x" + hexByte(kTypeCode);
    }
    if (m[3] != form.code) {
        return subject + ": wrong response code " + codeText(m[3]) + ", expected 0x" +
               hexByte(form.code);
    }
    const unsigned field = bigEndian16(m, 0);
    if (field != form.lengthField) {
        return subject + ": length field says " + std::to_string(field) + ", expected " +
               std::to_string(form.lengthField);
    }
    if (m.size() < expected) {
        return subject + " too short: " + std::to_string(m.size()) + " bytes, " + expectedText;
    }
    if (!form.keyTableTail && m.size() != form.messageLength && m.size() != form.lengthField) {
        return subject + " too long: " + std::to_string(m.size()) + " bytes, " +
               std::to_string(form.messageLength) + " expected";
    }
    if (form.answerByte != AnswerByte::None) {
        const uint8_t answer = m[kEnvelopeHeader];
        if (answer == kNack && form.answerByte == AnswerByte::AckOnly) {
            return subject + ": NACK";
        }
        if (answer != kAck && answer != kNack) {
            return subject + ": answer byte 0x" + hexByte(answer) +
                   ", neither ACK 0x06 nor NACK 0x15";
        }
    }
    return {};
}

template <typename T>
Parsed<T> failed(std::string error) {
    Parsed<T> parsed;
    parsed.error = std::move(error);
    return parsed;
}

// Joystick axis: direction in bit 4 of the first byte, 12-bit magnitude in its low nibble and
// the second byte.
void decodeAxis(const Bytes& m, size_t offset, int& value, bool& direction) {
    direction = (m[offset] & 0x10) != 0;
    value = (m[offset] & 0x0F) * 256 + m[offset + 1];
}

// Shuttle and jog: direction in bit 7, magnitude 0-127 below it.
void decodeDirValue(uint8_t byte, int& value, bool& direction) {
    direction = (byte & 0x80) != 0;
    value = byte & 0x7F;
}

// ---------------------------------------------------------------------------------------------
// Keys.

// clang-format off
constexpr const char* kKeyLabels[36] = {
    "FAST",  "MID",   "SLOW",     "LOCK",       "REC",       "STOP",  "CAM OSD", "STR",   // 0-7
    "AWB",   "ONE PUSH", "AE+",   "AUTO FOCUS", "AUTO IRIS", "AE-",   "PST 1",   "PST 2", // 8-15
    "PST 3", "PST 4", "PST 5",    "PST 6",      "PST 7",     "1",     "2",       "3",     // 16-23
    "4",     "5",     "6",        "7",          "8",         "9",     "10",      "11",    // 24-31
    "12",    "CUT",   "AUTO",     "M/W",                                                  // 32-35
};
// clang-format on

std::string signedMagnitude(bool direction, int value) {
    if (value == 0) {
        return "0";
    }
    return (direction ? "+" : "-") + std::to_string(value);
}

std::string padLeft(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Resources.

std::string resourceNames(uint8_t mask) {
    std::string text;
    for (const ResourceRow& row : kResources) {
        if (mask & resourceBit(row.resource)) {
            text += (text.empty() ? "" : " ") + std::string(row.name);
        }
    }
    return text.empty() ? "none" : text;
}

bool parseResourceMask(const std::vector<std::string>& args, uint8_t& mask, std::string& error) {
    unsigned combined = 0;
    size_t words = 0;
    for (const std::string& arg : args) {
        size_t start = 0;
        while (start <= arg.size()) {
            size_t end = arg.find(',', start);
            end = end == std::string::npos ? arg.size() : end;
            const std::string word = arg.substr(start, end - start);
            start = end + 1;
            if (word.empty()) {
                continue;
            }
            ++words;
            unsigned long number = 0;
            if (lowerCase(word) == "all") {
                combined |= kAllResources;
                continue;
            }
            if (parseNumber(word, 255, number)) {
                combined |= static_cast<unsigned>(number);
                continue;
            }
            bool known = false;
            for (const ResourceRow& row : kResources) {
                if (lowerCase(word) == lowerCase(row.name)) {
                    combined |= resourceBit(row.resource);
                    known = true;
                }
            }
            if (!known) {
                error = "not a resource mask (0x00-0xFF or 0-255) or name: '" + word +
                        "'; names: " + resourceNames(kAllResources) + ", all";
                return false;
            }
        }
    }
    if (words == 0) {
        error = "no resources given: a mask (0x41) or names (keyBoardArea1 shuttleJog)";
        return false;
    }
    mask = static_cast<uint8_t>(combined);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Requests.

Bytes askForControlRequest() {
    return wordRequest(kAskForControl);
}

Bytes registRequest(uint8_t mask) {
    return wordRequest(kRegistRc, {mask});
}

Bytes releaseRequest(uint8_t mask) {
    return wordRequest(kReleaseRc, {mask});
}

Bytes initZekRequest(const Bytes& table) {
    return wordRequest(kInitZek, table);
}

Bytes caliZekRequest() {
    return wordRequest(kCaliZek);
}

Bytes updateStatusRequest(const LedMap& leds) {
    return wordRequest(kUpdateStatus, Bytes(leds.begin(), leds.end()));
}

Bytes getVersionRequest() {
    return wordRequest(kGetVersion);
}

// The selector goes as text: the daemon compares it with "2" and "3".
Bytes settingTbarRequest(TbarEnd end) {
    return wordRequest(kSettingTbar, {static_cast<uint8_t>(end == TbarEnd::Max ? '2' : '3')});
}

Bytes needFwUpdRequest() {
    return wordRequest(kNeedFwUpd);
}

Bytes startFwUpdRequest() {
    return wordRequest(kStartFwUpd);
}

// The daemon looks at bytes 2-4 of whatever it reads right after a progress message: 82 6E 15
// means stop.
Bytes cancelUpgradeReply() {
    return {0x00, 0x05, kTypeCode, 0x6E, kNack};
}

// ---------------------------------------------------------------------------------------------
// The MCU initialisation table.

Bytes defaultInitTable() {
    // clang-format off
    return {
        kDefaultSerialMode, kDefaultBaudCode,
        //  R     R     G     G     B     B       index: use on the panel
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //  0: off
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  //  1: idle keys (white)
        0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,  //  2: active key (red)
        0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,  //  3: green (LED test)
        0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,  //  4: blue (LED test)
        0x0F, 0x0F, 0xB5, 0xB5, 0x17, 0x17,  //  5: camera keys, preview tool
        0xDF, 0xDF, 0x69, 0x69, 0x22, 0x22,  //  6: camera keys, programme tool
        0x26, 0x26, 0x66, 0x66, 0xB9, 0xB9,  //  7: camera keys, auxiliary tool
        0xFF, 0xFF, 0x73, 0x73, 0x00, 0x00,  //  8: preset keys, switcher presets
        0xFF, 0xFF, 0x7D, 0x7D, 0x3E, 0x3E,  //  9: camera keys, normal
        0xFC, 0xFC, 0x0B, 0x0B, 0xAF, 0xAF,  // 10: preset keys, normal
        0x00, 0x00, 0xD6, 0xD6, 0x68, 0x68,  // 11: camera keys, camera shift
        0x06, 0x06, 0xBF, 0xBF, 0xF9, 0xF9,  // 12: preset keys, preset shift
        0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,  // 13: not used
        0x7F, 0xFF, 0x00, 0x00, 0xFF, 0xFF,  // 14: not used
        0x10, 0x10, 0x8E, 0x8E, 0xCE, 0xCE,  // 15: start-up and test map
    };
    // clang-format on
}

std::string describeSerialMode(uint8_t mode) {
    static const char* const kStopBits[4] = {"1 stop bit", "stop bits unchanged", "2 stop bits",
                                             "stop bits unchanged"};
    static const char* const kParity[8] = {"parity none",
                                           "parity odd",
                                           "parity even",
                                           "parity set to the serial library's invalid value",
                                           "parity set to the serial library's default",
                                           "parity unchanged",
                                           "parity unchanged",
                                           "parity unchanged"};
    return std::string(kStopBits[mode & 0x03]) + ", " + std::to_string(5 + ((mode >> 2) & 0x03)) +
           " data bits, " + kParity[(mode >> 4) & 0x07];
}

std::string describeBaudCode(uint8_t code) {
    // clang-format off
    static const long kRates[16] = {
        0,      0,      110,    150,                // codes 0-3 (0 and 1: unknown)
        2400,   4800,   230400, 460800,             // codes 4-7
        921600, 300,    1200,   9600,               // codes 8-11
        19200,  38400,  57600,  115200,             // codes 12-15
    };
    // clang-format on
    if (code >= 16 || kRates[code] == 0) {
        return "rate unchanged";
    }
    return std::to_string(kRates[code]) + " baud";
}

// ---------------------------------------------------------------------------------------------
// Answers.

Parsed<ControlGrant> parseAskForControlAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kAskForControlAnswer);
    if (!error.empty()) {
        return failed<ControlGrant>(error);
    }
    // The pool port travels as hundreds and units: 7001 is 70, 1.
    const uint8_t hundreds = answer[4];
    const uint8_t units = answer[5];
    if (units > 99) {
        return failed<ControlGrant>(std::string(kAskForControlAnswer.subject) +
                                    ": pool port bytes " + hexByte(hundreds) + " " +
                                    hexByte(units) + " are not hundreds and units");
    }
    Parsed<ControlGrant> parsed;
    parsed.value.poolPort = hundreds * 100 + units;
    parsed.value.freeMask = answer[6];
    if (parsed.value.poolPort == 0) {
        return failed<ControlGrant>(std::string(kAskForControlAnswer.subject) +
                                    ": no pool port offered (port 0)");
    }
    return parsed;
}

Parsed<uint8_t> parseRegistAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kRegistAnswer);
    if (!error.empty()) {
        return failed<uint8_t>(error);
    }
    Parsed<uint8_t> parsed;
    parsed.value = answer[5];
    return parsed;
}

Parsed<uint8_t> parseReleaseAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kReleaseAnswer);
    if (!error.empty()) {
        return failed<uint8_t>(error);
    }
    Parsed<uint8_t> parsed;
    parsed.value = answer[5];
    return parsed;
}

Parsed<bool> parseInitZekAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kInitZekAnswer);
    if (!error.empty()) {
        return failed<bool>(error);
    }
    Parsed<bool> parsed;
    parsed.value = answer[4] == kAck;
    return parsed;
}

Parsed<calibrateTbarPar> parseCaliZekAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kCaliZekAnswer);
    if (!error.empty()) {
        return failed<calibrateTbarPar>(error);
    }
    Parsed<calibrateTbarPar> parsed;
    parsed.value.maxValue = static_cast<int>(bigEndian16(answer, 5));
    parsed.value.minValue = static_cast<int>(bigEndian16(answer, 7));
    return parsed;
}

Parsed<hardwareState> parseHardwareStateTable(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kStateTable);
    if (!error.empty()) {
        return failed<hardwareState>(error);
    }
    Parsed<hardwareState> parsed;
    hardwareState& s = parsed.value;
    s.lockButtonPressed = (answer[4] & 0x01) != 0;
    decodeAxis(answer, 5, s.joyStickX, s.joyStickXDir);
    decodeAxis(answer, 7, s.joyStickY, s.joyStickYDir);
    decodeAxis(answer, 9, s.joyStickZ, s.joyStickZDir);
    decodeDirValue(answer[11], s.shuttleValue, s.shuttleDir);
    decodeDirValue(answer[12], s.jogValue, s.jogDir);
    s.tBarValue = static_cast<int>(bigEndian16(answer, 13));
    s.sliderValue1 = answer[15];
    s.sliderValue2 = answer[16];
    s.sliderValue3 = answer[17];
    s.sliderValue4 = answer[18];
    s.keyPressTable.assign(answer.begin() + kStateTableShortest, answer.end());
    return parsed;
}

Parsed<VersionInfo> parseGetVersionAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kGetVersionAnswer);
    if (!error.empty()) {
        return failed<VersionInfo>(error);
    }
    Parsed<VersionInfo> parsed;
    parsed.value.daemonMajor = static_cast<int>(bigEndian16(answer, 4));
    parsed.value.daemonMinor = static_cast<int>(bigEndian16(answer, 6));
    parsed.value.mcuMajor = static_cast<int>(bigEndian16(answer, 8));
    parsed.value.mcuMinor = static_cast<int>(bigEndian16(answer, 10));
    return parsed;
}

Parsed<StickVersions> parseNeedFwUpdAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kNeedFwUpdAnswer);
    if (!error.empty()) {
        return failed<StickVersions>(error);
    }
    Parsed<StickVersions> parsed;
    parsed.value.appMajor = static_cast<int>(bigEndian16(answer, 5));
    parsed.value.appMinor = static_cast<int>(bigEndian16(answer, 7));
    parsed.value.mcuFileMajor = static_cast<int>(bigEndian16(answer, 9));
    parsed.value.mcuFileMinor = static_cast<int>(bigEndian16(answer, 11));
    return parsed;
}

Parsed<bool> parseStartFwUpdAnswer(const Bytes& answer) {
    std::string error = checkEnvelope(answer, kStartFwUpdAnswer);
    if (!error.empty()) {
        return failed<bool>(error);
    }
    Parsed<bool> parsed;
    parsed.value = answer[4] == kAck;
    return parsed;
}

Parsed<ImageFacts> checkMcuImage(const Bytes& file) {
    if (file.size() <= kImageHeaderLength) {
        return failed<ImageFacts>("the file is " + std::to_string(file.size()) +
                                  " bytes; an MCU image is a 16-byte header and at least one "
                                  "image byte: check that it is the right file (mcu.bin)");
    }
    if (file.size() - kImageHeaderLength > kMaxImageSize) {
        return failed<ImageFacts>(
            "the image is larger than the 65535 bytes an upgrade can "
            "announce to the MCU: check that it is an MCU image (mcu.bin)");
    }
    Parsed<ImageFacts> parsed;
    parsed.value.major = static_cast<int>(bigEndian16(file, 10));
    parsed.value.minor = static_cast<int>(bigEndian16(file, 12));
    parsed.value.imageSize = file.size() - kImageHeaderLength;
    const bool erased = parsed.value.major == 0xFFFF && parsed.value.minor == 0xFFFF;
    const bool blank = parsed.value.major == 0 && parsed.value.minor == 0;
    if (erased || blank) {
        return failed<ImageFacts>(std::string("the header carries no version (bytes 10-13 are ") +
                                  (erased ? "FF FF FF FF" : "00 00 00 00") +
                                  "): the file is damaged or not an MCU image");
    }
    return parsed;
}

Parsed<int> parseProgressMessage(const Bytes& message) {
    std::string error = checkEnvelope(message, kProgress);
    if (!error.empty()) {
        return failed<int>(error);
    }
    if (std::memcmp(message.data() + kEnvelopeHeader, kProgressText, kProgressTextLength) != 0) {
        return failed<int>(std::string(kProgress.subject) + ": no \"" + kProgressText +
                           "\" behind the response code");
    }
    Parsed<int> parsed;
    parsed.value = message[kEnvelopeHeader + kProgressTextLength];
    return parsed;
}

std::string describeAnswer(const Bytes& m) {
    if (const auto grant = parseAskForControlAnswer(m); grant.ok()) {
        return "ASKFORCONTROL answer: pool port " + std::to_string(grant.value.poolPort) +
               ", free: " + resourceNames(grant.value.freeMask);
    }
    if (const auto free = parseRegistAnswer(m); free.ok()) {
        return "REGIST_RC answer: free " + resourceNames(free.value);
    }
    if (const auto free = parseReleaseAnswer(m); free.ok()) {
        return "RELEASE_RC answer: free " + resourceNames(free.value);
    }
    if (const auto ack = parseInitZekAnswer(m); ack.ok()) {
        return std::string("INITZEK answer: ") + (ack.value ? "ACK" : "NACK");
    }
    if (const auto tbar = parseCaliZekAnswer(m); tbar.ok()) {
        return "CALIZEK answer: T-bar maximum " + std::to_string(tbar.value.maxValue) +
               ", minimum " + std::to_string(tbar.value.minValue);
    }
    if (const auto state = parseHardwareStateTable(m); state.ok()) {
        return "hardware state: " + stateLine(state.value);
    }
    if (const auto version = parseGetVersionAnswer(m); version.ok()) {
        return "GET_VERSION answer: daemon " + std::to_string(version.value.daemonMajor) + "." +
               std::to_string(version.value.daemonMinor) + ", MCU " +
               std::to_string(version.value.mcuMajor) + "." +
               std::to_string(version.value.mcuMinor);
    }
    if (const auto stick = parseNeedFwUpdAnswer(m); stick.ok()) {
        return "NEEDFWUPD answer: stick linkDaemon " + std::to_string(stick.value.appMajor) + "." +
               std::to_string(stick.value.appMinor) + ", MCU file " +
               std::to_string(stick.value.mcuFileMajor) + "." +
               std::to_string(stick.value.mcuFileMinor);
    }
    if (const auto ack = parseStartFwUpdAnswer(m); ack.ok()) {
        return std::string("STARTFWUPD answer: ") + (ack.value ? "ACK" : "NACK");
    }
    if (const auto progress = parseProgressMessage(m); progress.ok()) {
        return "progress " + std::to_string(progress.value) + ": " +
               progressMeaning(progress.value);
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Upgrade progress.

std::string progressMeaning(int value) {
    if (value >= 0 && value < kProgressFinished) {
        return std::to_string(value) + "% of the image sent";
    }
    switch (value) {
        case 100:
            return "upgrade finished";
        case 101:
            return "image file cannot be opened";
        case 102:
            return "image empty";
        case 103:
            return "MCU did not accept the start";
        case 104:
            return "transfer failed";
        case 105:
            return "MCU firmware not older than the image, nothing done";
        default:
            return "unknown progress value";
    }
}

bool progressIsFinal(int value) {
    return value >= kProgressFinished || value < 0;
}

std::vector<Bytes> MessageSplitter::feed(const Bytes& received) {
    buffer_.insert(buffer_.end(), received.begin(), received.end());
    std::vector<Bytes> messages;
    while (buffer_.size() >= 2) {
        const size_t length = bigEndian16(buffer_, 0);
        const bool foreignType = buffer_.size() >= 3 && buffer_[2] != kTypeCode;
        if (length < kEnvelopeHeader || length > kMaxMessage || foreignType) {
            messages.push_back(std::move(buffer_));
            buffer_.clear();
            break;
        }
        if (buffer_.size() < length) {
            break;
        }
        messages.emplace_back(buffer_.begin(), buffer_.begin() + static_cast<long>(length));
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(length));
    }
    return messages;
}

// ---------------------------------------------------------------------------------------------
// Keys, LED maps and the state on screen.

bool keyPressed(const hardwareState& state, int key) {
    if (key < 0) {
        return false;
    }
    const size_t byte = static_cast<size_t>(key) / 8;
    if (byte >= state.keyPressTable.size()) {
        return false;
    }
    return (state.keyPressTable[byte] >> (7 - key % 8)) & 1;
}

std::vector<int> pressedKeys(const hardwareState& state) {
    std::vector<int> keys;
    for (int key = 0; key < kKeyCount; ++key) {
        if (keyPressed(state, key)) {
            keys.push_back(key);
        }
    }
    return keys;
}

std::string keyLabel(int key) {
    if (key < 0 || key >= static_cast<int>(sizeof kKeyLabels / sizeof kKeyLabels[0])) {
        return {};
    }
    return kKeyLabels[key];
}

LedMap initialLedMap() {
    LedMap leds;
    leds.fill(0x11);
    return leds;
}

LedMap ledMapWithKeys(const LedMap& base, const std::vector<int>& keys, uint8_t colour) {
    LedMap leds = base;
    for (int key : keys) {
        if (key < 0 || key >= kKeyCount) {
            continue;
        }
        uint8_t& byte = leds[static_cast<size_t>(key) / 2];
        if (key % 2 == 0) {
            byte = static_cast<uint8_t>((byte & 0x0F) | ((colour & 0x0F) << 4));
        } else {
            byte = static_cast<uint8_t>((byte & 0xF0) | (colour & 0x0F));
        }
    }
    return leds;
}

// keys=3,21 lock=1 x=+2603 y=-100 z=+5 tbar=1012 sliders=12,0,255,7 shuttle=+5 jog=-3
// (keys=- when none is pressed, keys=? when the daemon sent no key table).
std::string stateLine(const hardwareState& s) {
    std::string keys;
    for (int key : pressedKeys(s)) {
        keys += (keys.empty() ? "" : ",") + std::to_string(key);
    }
    if (s.keyPressTable.empty()) {
        keys = "?";
    } else if (keys.empty()) {
        keys = "-";
    }
    return "keys=" + keys + " lock=" + (s.lockButtonPressed ? "1" : "0") +
           " x=" + signedMagnitude(s.joyStickXDir, s.joyStickX) +
           " y=" + signedMagnitude(s.joyStickYDir, s.joyStickY) +
           " z=" + signedMagnitude(s.joyStickZDir, s.joyStickZ) +
           " tbar=" + std::to_string(s.tBarValue) + " sliders=" + std::to_string(s.sliderValue1) +
           "," + std::to_string(s.sliderValue2) + "," + std::to_string(s.sliderValue3) + "," +
           std::to_string(s.sliderValue4) +
           " shuttle=" + signedMagnitude(s.shuttleDir, s.shuttleValue) +
           " jog=" + signedMagnitude(s.jogDir, s.jogValue);
}

std::vector<std::string> stateBlock(const hardwareState& s) {
    std::string keys;
    for (int key : pressedKeys(s)) {
        const std::string label = keyLabel(key);
        keys += (keys.empty() ? "" : "  ") + std::to_string(key) +
                (label.empty() ? "" : " \"" + label + "\"");
    }
    if (s.keyPressTable.empty()) {
        keys = "unknown (no key table: the daemon had no answer from the MCU)";
    } else if (keys.empty()) {
        keys = "none";
    }
    const auto axis = [](int value, bool direction, const char* set, const char* clear) {
        return padLeft(std::to_string(value), 4) + " " + (direction ? set : clear);
    };
    const auto dirValue = [](int value, bool direction) {
        return padLeft(std::to_string(value), 3) +
               (direction ? " (direction set)  " : " (direction clear)");
    };
    return {
        "keys      " + keys,
        std::string("lock      ") + (s.lockButtonPressed ? "pressed" : "released"),
        "joystick  x " + axis(s.joyStickX, s.joyStickXDir, "right", "left ") + "   y " +
            axis(s.joyStickY, s.joyStickYDir, "up  ", "down") + "   z " +
            axis(s.joyStickZ, s.joyStickZDir, "tele", "wide"),
        "T-bar     " + std::to_string(s.tBarValue),
        "sliders   " + padLeft(std::to_string(s.sliderValue1), 3) + " " +
            padLeft(std::to_string(s.sliderValue2), 3) + " " +
            padLeft(std::to_string(s.sliderValue3), 3) + " " +
            padLeft(std::to_string(s.sliderValue4), 3),
        "shuttle   " + dirValue(s.shuttleValue, s.shuttleDir) + "   jog " +
            dirValue(s.jogValue, s.jogDir),
    };
}

// ---------------------------------------------------------------------------------------------
// Text.

std::string hexBytes(const Bytes& bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += hexByte(bytes[i]);
    }
    return text;
}

bool parseHex(const std::vector<std::string>& parts, Bytes& out) {
    std::optional<Bytes> bytes = hexPairs(parts);
    if (!bytes) {
        return false;
    }
    out = std::move(*bytes);
    return true;
}

bool parseNumber(const std::string& text, unsigned long maximum, unsigned long& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 10) {
        return false;
    }
    unsigned long result = 0;
    for (char c : digits) {
        const int digit = hex ? hexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) {
            return false;
        }
        result = result * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    if (result > maximum) {
        return false;
    }
    value = result;
    return true;
}

}  // namespace linkctl
