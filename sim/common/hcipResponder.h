// The device side of the UDP configuration protocol (port 5002) as a network camera speaks it:
// one datagram in, the answers out, the device's identity updated. No sockets here.
//
// Frame: bytes 0-1 the total length (big-endian, header included), byte 2 the class (0x80
// broadcast, 0x81 unicast), byte 3 a code, the body from byte 4. Like the protocol's own
// service, a device looks at byte 2 only and recognises a command by finding its word anywhere
// in the datagram; the length field and byte 3 of a request are not checked. Broadcast-class
// requests other than the scan name their device by MAC in bytes 4-9 (a datagram shorter than 10
// bytes names none). Values sit at fixed datagram offsets.
//
//   class  word             value (datagram offset)        answer (ACK 06, NAK 15)
//   0x80   "ETH_REQ"        -                              device information, 47 bytes
//   0x80   "FWVER_REQ"      -                              00 05 80 01 06; other MAC: none
//   0x80   "SET_DHCPMODE"   flag at 22                     00 05 80 02 06; other MAC or no
//                                                          flag: 00 05 80 02 15
//   0x80   "GET_MODEL_NAME" -                              00 14 80 41 name(16); other MAC: none
//   0x80   "GET_MODEL"      - (only without the above)     00 08 80 40 codes(4); other MAC: none
//   0x80   "SET_IPADR"      address at 19, gateway at 23   00 05 80 03 06; short: NAK; other
//                                                          MAC: none
//   0x80   "RESET"          -                              00 05 80 04 06; other MAC: none
//   0x81   "SET_DHCPNAME"   name behind the word           00 05 81 09 06
//   0x81   "SET_MACADR"     6 bytes behind the word        00 05 81 0A 06; short: NAK
//   0x81   "SET_NETMASK"    4 at 15                        00 05 81 0B 06; short: NAK
//   0x81   "SET_GATEWAY"    4 at 15                        00 05 81 0C 06; short: NAK
//   0x81   "SET_PRIDNS"     4 at 14                        00 05 81 0D 06; short: NAK
//   0x81   "SET_SECDNS"     4 at 14                        00 05 81 0E 06; short: NAK
//
// A datagram holding several words is answered for each, in the order of the table. Answers to
// the broadcast class go to the limited broadcast address, answers to the unicast class back to
// the sender. A refused value (NAK) leaves the identity as it was.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using HcipMac = std::array<std::uint8_t, 6>;
using HcipIpv4 = std::array<std::uint8_t, 4>;  // network order: the first byte is the first number

// What a device tells about itself, and what the configuration requests change.
struct HcipIdentity {
    std::string hostName;  // the first 16 characters go out
    HcipMac mac{};
    bool dhcp = false;
    HcipIpv4 address{};
    HcipIpv4 netmask{255, 255, 255, 0};
    HcipIpv4 gateway{};
    HcipIpv4 dns1{};
    HcipIpv4 dns2{};
    std::string modelName = "VIRTUAL PTZ";  // the first 16 characters go out
    // vendor category, vendor id, product category, product id
    std::array<std::uint8_t, 4> modelCodes{0x05, 0x99, 0x41, 0x02};
    std::uint64_t requests = 0;  // datagrams handed to the device, of any kind
    std::uint64_t resets = 0;    // "RESET" requests taken
    // The last configuration datagram received, in hex, after "broadcast " or "unicast " by the
    // address it came to; empty before the first.
    std::string lastRequest;
};

struct HcipAnswer {
    std::string bytes;
    bool toBroadcast = false;  // to 255.255.255.255 at the sender's port, else to the sender
};

struct HcipOutcome {
    std::vector<HcipAnswer> answers;
    std::vector<std::string> changes;  // what the datagram changed in the identity, for the log
    std::string ignored;               // when no answer came of it: why
};

// Takes one received datagram (any bytes, any length).
HcipOutcome hcipRespond(HcipIdentity& identity, const std::string& datagram);

// "02:A4:5C:07:12:AB": six hex pairs joined by ':' (either case in, upper case out).
std::optional<HcipMac> parseMacText(const std::string& text);
std::string macText(const HcipMac& mac);
// Four decimal numbers 0-255 joined by dots, nothing else.
std::optional<HcipIpv4> parseDottedText(const std::string& text);
std::string dottedText(const HcipIpv4& address);

// The identity as one control-channel line: "name=NAME mac=02:A4:5C:07:12:AB dhcp=0|1
// address=A.B.C.D netmask=... gateway=... dns1=... dns2=... resets=N". Bytes of the name that
// are not visible ASCII (blanks included) and the backslash are written as \xNN, so the line
// always splits at its blanks.
std::string identityLine(const HcipIdentity& identity);
// A name as identityLine writes it.
std::string visibleText(const std::string& text);
