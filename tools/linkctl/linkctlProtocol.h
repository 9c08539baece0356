// The client side of linkDaemon's TCP resource-booking protocol on bytes alone: the requests a
// control program sends, the answers it reads, the hardware state table and the resource masks.
// No sockets here. The bytes come from this file's own tables, on purpose independent of the
// daemon's builders, so a mistake in one shows up against the other.
//
// Messages carry no framing: one send is one message. A request is an ASCII command word,
// optionally followed by raw bytes. An answer is an envelope: length (2 bytes, big-endian, the
// whole message), type 0x82, response code, an optional answer byte (ACK 06 / NACK 15), data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace linkctl {

using Bytes = std::vector<uint8_t>;
using LedMap = std::array<uint8_t, 20>;

constexpr uint8_t kTypeCode = 0x82;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNack = 0x15;

// ---------------------------------------------------------------------------------------------
// Panel resources. The value is the bit position in a resource mask.

enum class hardwareResource : uint8_t {
    keyBoardArea1 = 0,
    keyBoardArea2 = 1,
    keyBoardArea3 = 2,
    keyBoardArea4 = 3,
    TBar = 4,
    joyStick = 5,
    shuttleJog = 6,
    slider = 7,
};

constexpr uint8_t kAllResources = 0xFF;

constexpr uint8_t resourceBit(hardwareResource resource) {
    return static_cast<uint8_t>(1u << static_cast<unsigned>(resource));
}

// The resources of a mask by name, bit 0 first, blank-separated; "none" for 0.
std::string resourceNames(uint8_t mask);

// Reads resource arguments: masks (0x41 or 65), names in any case ("TBar", "tbar"), "all",
// several per argument when joined by ','. Returns false with a message naming the bad word.
bool parseResourceMask(const std::vector<std::string>& args, uint8_t& mask, std::string& error);

// ---------------------------------------------------------------------------------------------
// Requests.

// Which end of its travel the T-bar stores as its present position.
enum class TbarEnd { Max, Min };

Bytes askForControlRequest();
Bytes registRequest(uint8_t mask);
Bytes releaseRequest(uint8_t mask);
// The table goes out as given; the daemon takes only exactly 98 bytes (mode byte, baud code,
// 16 colours of 6 bytes) and answers anything else with NACK.
Bytes initZekRequest(const Bytes& table);
Bytes caliZekRequest();
Bytes updateStatusRequest(const LedMap& leds);
Bytes getVersionRequest();
Bytes settingTbarRequest(TbarEnd end);
Bytes needFwUpdRequest();
Bytes startFwUpdRequest();
// The client's reply to a progress message that asks the daemon to stop the upgrade.
Bytes cancelUpgradeReply();

// ---------------------------------------------------------------------------------------------
// The MCU initialisation table.

constexpr size_t kInitTableLength = 98;
constexpr size_t kColourTableLength = 96;  // 16 colours of 6 bytes (R R G G B B)
// Line settings kept as the daemon opens the MCU line: 1 stop bit, 8 data bits, no parity;
// 115200 baud. Anything else would cut the daemon off from the MCU.
constexpr uint8_t kDefaultSerialMode = 0x0C;
constexpr uint8_t kDefaultBaudCode = 15;

// Mode byte, baud code, then the colours the panel application itself uses, so LED maps
// (the daemon's own start map of colour 1 included) show the panel's familiar colours.
Bytes defaultInitTable();
// "1 stop bit, 8 data bits, parity none" (parts the daemon leaves unchanged say so).
std::string describeSerialMode(uint8_t mode);
// "115200 baud", or "rate unchanged" for codes the daemon does not know.
std::string describeBaudCode(uint8_t code);

// ---------------------------------------------------------------------------------------------
// Answers. Every parser takes any bytes: a malformed answer gives `error` (one line, naming the
// request) and a default value, never a read beyond the bytes given.

template <typename T>
struct Parsed {
    T value{};
    std::string error;  // empty when the answer was understood
    bool ok() const { return error.empty(); }
};

struct ControlGrant {
    int poolPort = 0;
    uint8_t freeMask = 0;
};

struct VersionInfo {
    int daemonMajor = 0;
    int daemonMinor = 0;
    int mcuMajor = 0;  // 0xFFFF when the daemon never had a valid answer from its MCU
    int mcuMinor = 0;
};

struct calibrateTbarPar {
    int maxValue = 0;
    int minValue = 0;
};

// What a USB stick in the daemon's panel offers.
struct StickVersions {
    int appMajor = 0;
    int appMinor = 0;
    int mcuFileMajor = 0;
    int mcuFileMinor = 0;
};

// One snapshot of the panel controls. Magnitudes with a separate direction flag: X set = pan
// right, Y set = tilt up, Z set = zoom tele.
struct hardwareState {
    bool lockButtonPressed = false;
    int joyStickX = 0;
    int joyStickY = 0;
    int joyStickZ = 0;
    int sliderValue1 = 0;
    int sliderValue2 = 0;
    int sliderValue3 = 0;
    int sliderValue4 = 0;
    bool shuttleDir = false;
    int shuttleValue = 0;
    bool jogDir = false;
    int jogValue = 0;
    int tBarValue = 0;
    bool joyStickXDir = false;
    bool joyStickYDir = false;
    bool joyStickZDir = false;
    Bytes keyPressTable;  // key k is bit 7 - (k mod 8) of byte k / 8; normally 5 bytes
};

Parsed<ControlGrant> parseAskForControlAnswer(const Bytes& answer);
Parsed<uint8_t> parseRegistAnswer(const Bytes& answer);   // the free mask after booking
Parsed<uint8_t> parseReleaseAnswer(const Bytes& answer);  // the free mask after release
Parsed<bool> parseInitZekAnswer(const Bytes& answer);     // true ACK, false NACK
Parsed<calibrateTbarPar> parseCaliZekAnswer(const Bytes& answer);
Parsed<hardwareState> parseHardwareStateTable(const Bytes& answer);
Parsed<VersionInfo> parseGetVersionAnswer(const Bytes& answer);
Parsed<StickVersions> parseNeedFwUpdAnswer(const Bytes& answer);
Parsed<bool> parseStartFwUpdAnswer(const Bytes& answer);  // true ACK, false NACK
Parsed<int> parseProgressMessage(const Bytes& message);   // the progress value 0-255

// An MCU image file ("mcu.bin"): a 16-byte header whose bytes 10-13 are the version (major,
// minor, big-endian), then the image proper that the daemon sends to the MCU. The upgrade's
// start command announces the image's size in 16 bits, so a larger image cannot be sent whole.
struct ImageFacts {
    int major = 0;
    int minor = 0;
    size_t imageSize = 0;
};
constexpr size_t kImageHeaderLength = 16;
constexpr size_t kMaxImageSize = 65535;
// Enough of a file to know it is too large.
constexpr size_t kImageReadLimit = kImageHeaderLength + kMaxImageSize + 1;

// Checks an image file's bytes (at most kImageReadLimit of them) before an upgrade is asked for.
Parsed<ImageFacts> checkMcuImage(const Bytes& file);

// A one-line name for any received message that parses as one of the answers above ("" when
// none does); for printing what comes back to raw bytes.
std::string describeAnswer(const Bytes& message);

// ---------------------------------------------------------------------------------------------
// Upgrade progress.

constexpr int kProgressFinished = 100;

// "upgrade finished and confirmed by the MCU", "transfer failed ...", "45% sent", ...
std::string progressMeaning(int value);
// 100 and 101-105 end an upgrade; unknown values above 100 end it too.
bool progressIsFinal(int value);

// Cuts a received byte stream into messages by their length fields, for the upgrade's answer
// and progress messages, which can arrive in one read. Bytes that cannot start a message (a
// type other than 0x82, a length under 4 or over kMaxMessage) come out as one message of their
// own, so the parser names them.
class MessageSplitter {
public:
    static constexpr size_t kMaxMessage = 1024;
    std::vector<Bytes> feed(const Bytes& received);
    const Bytes& pending() const { return buffer_; }

private:
    Bytes buffer_;
};

// ---------------------------------------------------------------------------------------------
// Keys, LED maps and the state on screen.

constexpr int kKeyCount = 40;  // bits in the key table; keys 36-39 have no key cap

bool keyPressed(const hardwareState& state, int key);  // a missing byte counts as not pressed
std::vector<int> pressedKeys(const hardwareState& state);
// The key cap's label ("FAST", "PST 1", "1" for camera 1), "" for keys without one.
std::string keyLabel(int key);

// The daemon's own start map: every key colour 1.
LedMap initialLedMap();
// `base` with the pressed keys in colour `colour` (key k: byte k / 2, high nibble for even k).
LedMap ledMapWithKeys(const LedMap& base, const std::vector<int>& keys, uint8_t colour);

// One line of the whole state, for logs and pipes.
std::string stateLine(const hardwareState& state);
// The state as aligned lines with labels, for a terminal; always the same number of lines.
std::vector<std::string> stateBlock(const hardwareState& state);

// ---------------------------------------------------------------------------------------------
// Text.

std::string hexBytes(const Bytes& bytes);  // "00 08 82 65"
// Hex digits in pairs; blanks, ':' and '-' may separate pairs; several arguments are joined.
bool parseHex(const std::vector<std::string>& parts, Bytes& out);
// A decimal number or one with 0x in front, up to `maximum`.
bool parseNumber(const std::string& text, unsigned long maximum, unsigned long& value);

}  // namespace linkctl
