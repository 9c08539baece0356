#include "daemonMessages.h"

#include <array>

#include "hcipService.h"
#include "mcuCommunicate.h"
#include "stateEncoding.h"

namespace daemonmsg {

namespace {

struct commandWord {
    const char* word;
    command what;
};

// The order in which a pool port looks for its commands.
constexpr std::array<commandWord, 9> kPoolCommands{{
    {"REGIST_RC", command::registResource},
    {"RELEASE_RC", command::releaseResource},
    {"INITZEK", command::initZek},
    {"CALIZEK", command::caliZek},
    {"UPDATESTATUS", command::updateStatus},
    {"GET_VERSION", command::getVersion},
    {"SETTINGTBAR", command::settingTbar},
    {"NEEDFWUPD", command::needFwUpdate},
    {"STARTFWUPD", command::startFwUpdate},
}};

request find(const std::string& message, const char* word, command what) {
    const std::string w(word);
    const std::size_t at = message.find(w);
    if (at == std::string::npos) {
        return {};
    }
    return {what, message.substr(at + w.size())};
}

std::string answer(int length, std::uint8_t code, std::uint8_t ack, const std::string& data) {
    return makeResponseString(length, response::TYPECODE, code, ack, data);
}

using mcu::kAck;
using mcu::kNack;

}  // namespace

request controlPortRequest(const std::string& message) {
    return find(message, "ASKFORCONTROL", command::askForControl);
}

request poolPortRequest(const std::string& message) {
    for (const commandWord& c : kPoolCommands) {
        request r = find(message, c.word, c.what);
        if (r.what != command::none) {
            return r;
        }
    }
    return {};
}

std::string askForControlAnswer(int port, std::uint8_t freeMask) {
    return answer(8, 0x65, 0,
                  makeOneByteValueStr(port / 100) + makeOneByteValueStr(port % 100) +
                      makeOneByteValueStr(freeMask));
}

std::string registAnswer(std::uint8_t freeMask) {
    return answer(6, 0x66, kAck, makeOneByteValueStr(freeMask));
}

std::string releaseAnswer(std::uint8_t freeMask) {
    return answer(6, 0x67, kAck, makeOneByteValueStr(freeMask));
}

std::string initZekAnswer(bool ack) {
    return answer(5, 0x68, ack ? kAck : kNack, "");
}

std::string caliZekAnswer(const calibrateTbarPar& calibration) {
    return answer(9, 0x69, kAck,
                  makeHighByteLowByteStr(calibration.maxValue) +
                      makeHighByteLowByteStr(calibration.minValue));
}

std::string versionAnswer(int mcuMajor, int mcuMinor) {
    return packetHCIPVersion(kDaemonMajor, kDaemonMinor, mcuMajor, mcuMinor, response::TYPECODE);
}

std::string needFwUpdateAnswer(int appMajor, int appMinor, int mcuFileMajor, int mcuFileMinor) {
    return answer(13, 0x6C, kAck,
                  makeHighByteLowByteStr(appMajor) + makeHighByteLowByteStr(appMinor) +
                      makeHighByteLowByteStr(mcuFileMajor) + makeHighByteLowByteStr(mcuFileMinor));
}

std::string startFwUpdateAnswer(bool ack) {
    return answer(5, 0x6D, ack ? kAck : kNack, "");
}

bool isStopRequest(const std::string& reply) {
    return reply.size() >= 5 && static_cast<std::uint8_t>(reply[2]) == response::TYPECODE &&
           static_cast<std::uint8_t>(reply[3]) == response::kResponseFirmwareUpgradeState &&
           static_cast<std::uint8_t>(reply[4]) == kNack;
}

lineSettings decodeLineSettings(std::uint8_t mode, std::uint8_t baudCode) {
    lineSettings s;
    switch (mode & 0x03) {
        case 0:
            s.stopBits = 1;
            s.lines.push_back("serial port set to stop bit 1\n");
            break;
        case 2:
            s.stopBits = 2;
            s.lines.push_back("serial port set to stop bit 2\n");
            break;
        default:
            break;
    }
    s.dataBits = 5 + ((mode >> 2) & 0x03);
    s.lines.push_back("serial port set to data bit " + std::to_string(*s.dataBits) + "\n");
    const int parity = (mode >> 4) & 0x07;
    static const char* const kParityNames[] = {"none", "odd", "even"};
    if (parity <= 4) {
        s.parity = parity;
        if (parity <= 2) {
            s.lines.push_back(std::string("serial port set to parity ") + kParityNames[parity] +
                              "\n");
        }
    }
    static const std::array<int, 16> kBaudOfCode{0,      0,      110,    150,   2400, 4800,
                                                 230400, 460800, 921600, 300,   1200, 9600,
                                                 19200,  38400,  57600,  115200};
    if (baudCode < kBaudOfCode.size() && kBaudOfCode[baudCode] != 0) {
        s.baudRate = kBaudOfCode[baudCode];
        s.lines.push_back("serial port set to " + std::to_string(*s.baudRate) + " \n");
    }
    return s;
}

}  // namespace daemonmsg
