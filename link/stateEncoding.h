// Byte encodings of the hardware state for the link daemon's network messages, and the key
// tables used at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "defs.h"

namespace response {

// Type code of every response message, and the base of the response codes.
constexpr std::uint8_t TYPECODE = 0x82;
constexpr std::uint8_t RESPONSECODE = 0x65;
constexpr std::uint8_t kResponseHardwareStateTable = RESPONSECODE + 5;    // 0x6A
constexpr std::uint8_t kResponseFirmwareUpgradeState = RESPONSECODE + 9;  // 0x6E

// Length the hardware state table message always announces.
constexpr int kHardwareStateTableLength = 24;
// Highest upgrade progress value sent as it is; anything outside 0..115 is sent as 0.
constexpr int kMaxUpgradeProgress = 115;

}  // namespace response

// 2 bytes: (n / 256) & 0xFF, n & 0xFF.
std::string makeHighByteLowByteStr(int n);
// 1 byte: n & 0x7F, with 0x80 set when dir is non-zero.
std::string makeOneByteDirValueStr(int n, int dir);
// 1 byte: n & 0xFF.
std::string makeOneByteValueStr(int n);

// Response envelope: length (big-endian, as given by the caller: the whole message length),
// type code, response code, the answer byte when ack is non-zero, then data.
std::string makeResponseString(int length, std::uint8_t typeCode, std::uint8_t responseCode,
                               std::uint8_t ack, const std::string& data);

// 00 18 82 6A and the MCU's 20-byte status payload rebuilt from the record (of the lock byte
// only bit 0). The length field says 24 whatever the key table holds.
std::string genHardwareStateTableToStr(const hardwareState& state);

// 00 0F 82 6E "FWUPDSTATE" progress; progress outside 0..115 is sent as 0.
std::string fwUpgradeState(int progress);

// Initial LED map: all 40 keys colour 1, 20 bytes of 0x11.
std::string genKeyInitialedTable();

// Diagnostic key table: 20 bytes; each listed key sets 1 in byte k / 2, low nibble for even k,
// high nibble for odd k. Keys outside 0..39 are ignored.
std::string keyPressedTable(const std::vector<int>& keys);

// Walks a diagnostic key table and returns the keys marked in it, in table order. The link
// daemon also prints what it finds.
std::vector<int> parserKeyPressedStr(const std::string& table);

// The start-up self-check of both programs: build the table of keys 3, 6, 7, 10, 21 and walk it.
std::vector<int> runKeyTableSelfCheck();
