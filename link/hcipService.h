// The HCIP device-configuration service on UDP port 5002.
//
// A configuration tool on the network (a PC program, or a panel looking for cameras) broadcasts a
// scan; every device answers with its network identity. The tool can then ask for versions and
// model and write a new network setup, which the device never applies at once: it writes a fresh
// connection-manager service file, "/var/lib/connman/default.config_new", that the system picks
// up later.
//
// Frame of every request and answer: bytes 0-1 total length (big-endian, header included), byte
// 2 the class (0x80 broadcast, 0x81 unicast), byte 3 the code, then the body. The service looks
// at byte 2 only and recognises a command by its word anywhere in the datagram; values sit at
// fixed datagram offsets.
//
// Both programs carry the service; what differs between them is an hcipServiceProfile. The
// protocol code (builders, readers, hcipService::handleDatagram) is pure: the machine's
// interface, files and boot command line are reached through hcipSystem, answers leave through a
// send function.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "networkConfig.h"

namespace LibSerial {
class SerialStream;
}

constexpr std::uint8_t BROADCAST_TYPECODE = 0x80;
constexpr std::uint8_t UDP_TYPECODE = 0x81;

namespace hcip {

constexpr int kServicePort = 5002;
constexpr const char* kServiceInterface = "eth0";
constexpr std::size_t kLargestRequest = 1024;  // longer datagrams are cut to this size

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;

// Answer codes.
constexpr std::uint8_t kCodeDeviceInfo = 0x00;
constexpr std::uint8_t kCodeFirmwareVersion = 0x01;
constexpr std::uint8_t kCodeDhcpMode = 0x02;
constexpr std::uint8_t kCodeSetAddress = 0x03;
constexpr std::uint8_t kCodeFactoryDefault = 0x06;
constexpr std::uint8_t kCodeDhcpName = 0x09;
constexpr std::uint8_t kCodeMacAddress = 0x0A;
constexpr std::uint8_t kCodeNetmask = 0x0B;
constexpr std::uint8_t kCodeGateway = 0x0C;
constexpr std::uint8_t kCodePrimaryDns = 0x0D;
constexpr std::uint8_t kCodeSecondaryDns = 0x0E;
constexpr std::uint8_t kCodeModelInfo = 0x40;
constexpr std::uint8_t kCodeModelName = 0x41;
constexpr std::uint8_t kCodeVersion = 0x42;

// Fixed datagram offsets of the values.
constexpr std::size_t kMacOffset = 4;
constexpr std::size_t kDhcpFlagOffset = 22;
constexpr std::size_t kSetAddressOffset = 19;
constexpr std::size_t kSetGatewayOffset = 23;
constexpr std::size_t kNetmaskOffset = 15;
constexpr std::size_t kGatewayOffset = 15;
constexpr std::size_t kDnsOffset = 14;

// What the device reports about itself in the device-information answer.
struct deviceInfoRecord {
    bool dhcp = false;
    std::string hostName;  // at most 16 bytes go out
    std::string mac;       // 6 raw bytes
    std::string address;   // dotted text; a value that is not a dotted quad goes out as FF FF FF FF
    std::string netmask;
    std::string gateway;
    std::string dns1;
    std::string dns2;
};

// Where the DHCP byte, gateway and DNS of the device information come from.
struct deviceInfoValues {
    bool dhcp = false;
    std::string gateway;
    std::string dns1;
    std::string dns2;
};

// The 4 network-order bytes of a dotted quad; FF FF FF FF for anything else.
std::string addressBytes(const std::string& dotted);

// The daemon's reading of "netsetup.sh getinfo": mode token from behind the first '=' to the
// first blank, less its last character ("dhcp" in it means DHCP); behind the first blank the
// gateway, DNS-1 and DNS-2 separated by single blanks.
deviceInfoValues parseNetsetupInfo(const std::string& output);

}  // namespace hcip

// ---- Interface queries (eth0 of the running system) ----

struct ifcfg_t {
    std::string ifname;
    std::string hwaddr;     // 6 raw bytes
    std::string ipaddr;     // dotted text
    std::string broadaddr;  // dotted text
    std::string netmask;    // dotted text
    int mtu = 0;
};

// Creates an IPv4 datagram socket with SO_BROADCAST bound to any address at port. -1 when the
// socket or the option fails ("socket failed !"), -2 when binding fails ("bind failed ").
int createUDPSocket(int port);

// Fills ifc (ifc->ifname names the interface) with its hardware address, address, broadcast
// address, netmask and MTU. 0, or -1 at the first query that fails ("ioctl():" and the error).
int get_local_info(int socket, ifcfg_t* ifc);

// The 6 raw MAC bytes of eth0, or an empty text when the interface cannot be read.
std::string getHCIPMacAddr(int socket);
// The netmask of eth0 in dotted text, or an empty text.
std::string getNetMaskAddr(int socket);

// ---- Frame builders ----

std::string packHCIPDeviceInfo(const hcip::deviceInfoRecord& info);
std::string packetHCIPVersion(int appMajor, int appMinor, int mcuMajor, int mcuMinor,
                              std::uint8_t typeCode);
// Firmware version answer: 00 0C 80 01 and the 8 version bytes (cut or zero-padded to 8).
std::string packFWVersion(const std::string& versionBytes);
std::string packHCIPModelInfo(std::uint8_t vendorCategory, std::uint8_t vendorId,
                              std::uint8_t productCategory, std::uint8_t productId);
std::string packHCIPModelName(const std::string& name);
std::string packBroadCastReturnAck(bool ack, std::uint8_t code);
std::string packUdpReturnAck(bool ack, std::uint8_t code);

// ---- Body readers (text = the datagram less its first 4 bytes for the MAC, 3 for the rest) ----

// The first 6 bytes of text; empty when text is shorter.
std::string unPackHCIPHardwareAddr(const std::string& text);
// Byte 19 of text, non-zero meaning enable; nothing when text is shorter.
std::optional<bool> unPackHCIP_DHCPModeEnable(const std::string& text);
// 4 bytes from start as dotted text; nothing when text is shorter.
std::optional<std::string> unPackHCIPAddr(const std::string& text, std::size_t start);

// ---- The service ----

// The points where the two programs differ.
struct hcipServiceProfile {
    int appMajor = 1;
    int appMinor = 0;
    std::string modelName = "ZEK-710A";
    // The daemon answers "GET_MODEL_NAME" with both model answers, since the word "GET_MODEL" is
    // found in it too; the panel answers it with the model name only.
    bool modelNameAlsoAnswersModel = false;
    // The scan answer names the device by its model whatever its host name: other panels'
    // discovery tells a panel from a camera by that name (panel application only). The host name
    // still goes into the service file.
    bool scanNamesTheModel = false;
    // "SET_MACADR" rewrites the MAC in the boot command line (panel application only).
    bool setsBootMac = true;
    // The daemon logs every datagram and command it acts on.
    bool logsEveryDatagram = false;
    // Host name kept by the service, taken once when it starts.
    std::function<std::string()> startHostName;
    // DHCP byte, gateway and DNS of the device information, taken at every scan.
    std::function<hcip::deviceInfoValues()> deviceInfo;
    // Remote setup locked by the operator, read at every request (shared with whoever sets it;
    // none: never locked). Scans, version and model questions are answered as ever; a request
    // that would change the setup is answered NAK where it has an answer, changes nothing and
    // is logged.
    std::shared_ptr<const std::atomic<bool>> setupLock;
};

namespace hcip {

// Keeps a flood of refused requests from filling the log: at most kLines lines in a window of
// kWindow; the lines held back are counted and told with the next line let through.
class refusalLogLimit {
public:
    static constexpr std::size_t kLines = 10;
    static constexpr std::chrono::seconds kWindow{60};

    // The line to log now, or nothing.
    std::optional<std::string> admit(const std::string& line,
                                     std::chrono::steady_clock::time_point now);

private:
    std::optional<std::chrono::steady_clock::time_point> windowStart_;
    std::size_t linesInWindow_ = 0;
    std::size_t heldBack_ = 0;
};

}  // namespace hcip

// The panel application: host name "ZEK-710A"; the device information carries the panel's own
// DHCP setting, gateway and DNS as it read them at start-up (fixed 192.168.100.1, 1.1.1.1 and
// 2.2.2.2 where it has none).
hcipServiceProfile panelHcipProfile(std::function<hcip::deviceInfoValues()> savedSettings);
// The link daemon: host name from "/var/lib/connman/default.config", device information from
// "netsetup.sh getinfo".
hcipServiceProfile daemonHcipProfile();

// What the service needs of the system it runs on.
class hcipSystem {
public:
    virtual ~hcipSystem() = default;
    // eth0 as it is now; nothing when it cannot be read.
    virtual std::optional<ifcfg_t> currentInterface() = 0;
    // eth0's 6 raw hardware address bytes and its netmask, each read on its own; empty when not
    // (yet) there.
    virtual std::string hardwareAddress() = 0;
    virtual std::string netmask() = 0;
    // Writes "/var/lib/connman/default.config_new"; false when refused or not written.
    virtual bool writeNewServiceFile(const netconfig::serviceFileSetup& setup) = 0;
    // Puts the MAC text (17 characters) into the boot command line; false when it could not.
    virtual bool writeBootMac(const std::string& macText) = 0;
};

// The running system: eth0 through the socket's interface queries, the files under the root.
std::unique_ptr<hcipSystem> makeSystemHcip(int socket);

// The state the service keeps for the life of its thread.
struct hcipServiceState {
    std::string ownMac;          // 6 raw bytes; empty until eth0 could be read
    std::string defaultNetmask;  // netmask of eth0 when first read
    std::string hostName;
    bool bsetDhcp = false;
    bool bManualSetIp = false;
    bool bsetNetMask = false;
    bool bsetDns1 = false;
    bool bsetDns2 = false;
    std::string address;
    std::string netmask;
    std::string gateway;
    std::string dns1;
    std::string dns2;
};

class hcipService {
public:
    // Sends one answer; false when the send failed.
    using sendFunction = std::function<bool(const std::string& datagram, const sockaddr_in& to)>;

    hcipService(hcipServiceProfile profile, hcipSystem& system, std::string mcuVersionAnswer,
                std::string ownMac, std::string defaultNetmask);

    // Acts on one received datagram (any bytes) from sender and sends its answers in order.
    // Answers to broadcast-class requests go to the limited broadcast address at the sender's
    // port, answers to unicast-class requests to the sender.
    void handleDatagram(const std::string& datagram, const sockaddr_in& sender,
                        const sendFunction& send);

    const hcipServiceState& state() const { return state_; }

private:
    bool handleBroadcast(const std::string& datagram, const sockaddr_in& to,
                         const sendFunction& send);
    bool handleUnicast(const std::string& datagram, const sockaddr_in& to,
                       const sendFunction& send);
    bool macMatches(const std::string& datagram) const;
    // True, with the refusal logged, when the setup is locked: `word` is then answered NAK.
    // A request meant for another device (`forUs` false) is not logged: this panel refuses
    // nothing of it.
    bool refusedWhileLocked(const char* word, bool forUs = true);
    bool writeStaticFile(const std::string& netmask);
    // The MAC and netmask not read yet (no lease when the service started) are read again.
    void readMissingInterfaceValues();
    // The system's writes; a write that cannot even be tried (a command that cannot be started)
    // is logged and counts as not written.
    bool writeServiceFile(const netconfig::serviceFileSetup& setup);
    bool writeBootMac(const std::string& macText);
    void log(const std::string& text) const;

    hcipServiceProfile profile_;
    hcipSystem& system_;
    int mcuMajor_ = -1;
    int mcuMinor_ = -1;
    hcipServiceState state_;
    sockaddr_in sender_{};  // of the datagram being handled
    hcip::refusalLogLimit refusalLog_;
};

// Receives datagrams on socket and hands them to service until stopFd (when not -1) becomes
// readable or the socket fails for good. Waits on both with poll; never spins.
void serveHcipDatagrams(int socket, hcipService& service, int stopFd = -1);

// The service loop of a program: binds socket to eth0, reads the default netmask, and serves.
// It only comes back when the socket is unusable (a log line says so).
void udpServerService(int socket, const std::string& versionData, const std::string& mac,
                      LibSerial::SerialStream* serial, const hcipServiceProfile& profile);

// Thread body: creates the socket on port 5002, waits startDelay (10 s on the panel and the
// daemon, so the network is up), reads eth0's MAC into mac and serves. Returns only when the
// socket could not be created or fails for good.
void udpHcipProcess(std::string versionData, std::string mac, LibSerial::SerialStream* serial,
                    hcipServiceProfile profile,
                    std::chrono::milliseconds startDelay = std::chrono::seconds(10));
