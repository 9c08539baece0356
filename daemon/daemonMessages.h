// The link daemon's network messages on bytes: finding the command in what a client sent, the
// answers, and the serial settings "INITZEK" carries.
//
// A message is whatever one receive returned; its command is a word found anywhere in it, and its
// data the bytes behind the word. Answers use the response envelope: length (2 bytes, big-endian),
// 0x82, response code, an ACK (06) or NACK (15) byte for some, then data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "defs.h"

namespace daemonmsg {

// The daemon's own version: 23.35, 23035 as one number.
constexpr int kDaemonMajor = 23;
constexpr int kDaemonMinor = 35;
constexpr int kDaemonVersionNumber = kDaemonMajor * 1000 + kDaemonMinor;

constexpr int kControlPort = 7000;

enum class command {
    none,
    askForControl,    // "ASKFORCONTROL", control port only
    registResource,   // "REGIST_RC" mask
    releaseResource,  // "RELEASE_RC" mask
    initZek,          // "INITZEK" mode baud table...
    caliZek,          // "CALIZEK"
    updateStatus,     // "UPDATESTATUS" LED map
    getVersion,       // "GET_VERSION"
    settingTbar,      // "SETTINGTBAR" selector text
    needFwUpdate,     // "NEEDFWUPD"
    startFwUpdate,    // "STARTFWUPD"
};

struct request {
    command what = command::none;
    std::string data;  // the bytes behind the word
};

// The control port knows "ASKFORCONTROL" only.
request controlPortRequest(const std::string& message);
// On a pool port the first word of the command table that the message holds wins.
request poolPortRequest(const std::string& message);

// 00 08 82 65, port / 100, port % 100, free mask: 7 bytes, although the length says 8. Port 0
// tells the client that no pool port is free.
std::string askForControlAnswer(int port, std::uint8_t freeMask);
std::string registAnswer(std::uint8_t freeMask);                 // 00 06 82 66 06 mask
std::string releaseAnswer(std::uint8_t freeMask);                // 00 06 82 67 06 mask
std::string initZekAnswer(bool ack);                             // 00 05 82 68 06|15
std::string caliZekAnswer(const calibrateTbarPar& calibration);  // 00 09 82 69 06 max min
// 00 14 82 42, 23, 35, the MCU's major and minor (FF FF when unknown), 8 zero bytes.
std::string versionAnswer(int mcuMajor, int mcuMinor);
// 00 0D 82 6C 06, the stick's daemon major and minor, the MCU file's major and minor.
std::string needFwUpdateAnswer(int appMajor, int appMinor, int mcuFileMajor, int mcuFileMinor);
std::string startFwUpdateAnswer(bool ack);  // 00 05 82 6D 06|15

// A client's reply to a progress message asking to stop: bytes 2-3 82 6E and byte 4 NACK.
bool isStopRequest(const std::string& reply);

// Serial settings of "INITZEK"'s mode and baud bytes; each field is absent when the code leaves
// the setting unchanged. lines are the messages printed for the settings applied, in order.
struct lineSettings {
    std::optional<int> stopBits;  // 1 or 2
    std::optional<int> dataBits;  // 5 to 8
    std::optional<int> parity;    // 0 none, 1 odd, 2 even, 3 the library's invalid value,
                                  // 4 the library's default
    std::optional<int> baudRate;  // bits per second
    std::vector<std::string> lines;
};
lineSettings decodeLineSettings(std::uint8_t mode, std::uint8_t baudCode);

// The MCU initialisation table rides behind the mode and baud bytes: "INITZEK" takes exactly
// this many bytes behind the word.
constexpr std::size_t kInitZekTableSize = 98;

}  // namespace daemonmsg
