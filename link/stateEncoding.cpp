#include "stateEncoding.h"

#include <fmt/format.h>

#include "linkLog.h"
#include "mcuCommunicate.h"

namespace {

std::string axisBytes(int value, bool direction) {
    std::string out(2, '\0');
    out[0] = static_cast<char>(((direction ? 1 : 0) << 4) | ((value / 256) & 0x0F));
    out[1] = static_cast<char>(value & 0xFF);
    return out;
}

}  // namespace

std::string makeHighByteLowByteStr(int n) {
    std::string out(2, '\0');
    out[0] = static_cast<char>((n / 256) & 0xFF);
    out[1] = static_cast<char>(n & 0xFF);
    return out;
}

std::string makeOneByteDirValueStr(int n, int dir) {
    return std::string(1, static_cast<char>((n & 0x7F) | (dir != 0 ? 0x80 : 0x00)));
}

std::string makeOneByteValueStr(int n) {
    return std::string(1, static_cast<char>(n & 0xFF));
}

std::string makeResponseString(int length, std::uint8_t typeCode, std::uint8_t responseCode,
                               std::uint8_t ack, const std::string& data) {
    std::string out = makeHighByteLowByteStr(length);
    out.push_back(static_cast<char>(typeCode));
    out.push_back(static_cast<char>(responseCode));
    if (ack != 0) {
        out.push_back(static_cast<char>(ack));
    }
    out += data;
    return out;
}

std::string genHardwareStateTableToStr(const hardwareState& state) {
    std::string data;
    data += makeOneByteValueStr(state.lockButtonPressed ? 1 : 0);
    data += axisBytes(state.joyStickX, state.joyStickXDir);
    data += axisBytes(state.joyStickY, state.joyStickYDir);
    data += axisBytes(state.joyStickZ, state.joyStickZDir);
    data += makeOneByteDirValueStr(state.shuttleValue, state.shuttleDir);
    data += makeOneByteDirValueStr(state.jogValue, state.jogDir);
    data += makeHighByteLowByteStr(state.tBarValue);
    data += makeOneByteValueStr(state.sliderValue1);
    data += makeOneByteValueStr(state.sliderValue2);
    data += makeOneByteValueStr(state.sliderValue3);
    data += makeOneByteValueStr(state.sliderValue4);
    data += state.keyPressTable;
    return makeResponseString(response::kHardwareStateTableLength, response::TYPECODE,
                              response::kResponseHardwareStateTable, 0, data);
}

std::string fwUpgradeState(int progress) {
    if (progress < 0 || progress > response::kMaxUpgradeProgress) {
        progress = 0;
    }
    return makeResponseString(15, response::TYPECODE, response::kResponseFirmwareUpgradeState, 0,
                              "FWUPDSTATE" + makeOneByteValueStr(progress));
}

std::string genKeyInitialedTable() {
    return std::string(mcu::kLedMapSize, '\x11');
}

std::string keyPressedTable(const std::vector<int>& keys) {
    std::string table(mcu::kLedMapSize, '\0');
    for (const int key : keys) {
        if (key < 0 || key >= kKeyCount) {
            continue;
        }
        const auto shift = key % 2 == 0 ? 0 : 4;
        table[key / 2] =
            static_cast<char>(static_cast<unsigned char>(table[key / 2]) | (1 << shift));
    }
    return table;
}

std::vector<int> parserKeyPressedStr(const std::string& table) {
    const bool print = linkProgram() == LinkProgram::daemon;
    if (print) {
        linkLog("zek.link", fmt::format("key numbers {} \n", table.size() * 2));
    }
    std::vector<int> keys;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto byte = static_cast<unsigned char>(table[i]);
        if (byte == 0) {
            continue;
        }
        const int evenKey = static_cast<int>(i * 2);
        const int evenState = byte & 0x0F;
        const int oddState = byte >> 4;
        if (print) {
            linkLog("zek.link",
                    fmt::format("key index {},  key state {}, key index {} key state {} \n",
                                evenKey, evenState, evenKey + 1, oddState));
        }
        if (evenState != 0) {
            keys.push_back(evenKey);
        }
        if (oddState != 0) {
            keys.push_back(evenKey + 1);
        }
    }
    return keys;
}

std::vector<int> runKeyTableSelfCheck() {
    return parserKeyPressedStr(keyPressedTable({3, 6, 7, 10, 21}));
}
