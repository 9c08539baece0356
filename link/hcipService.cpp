#include "hcipService.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fmt/format.h>

#include "commandRunner.h"
#include "linkLog.h"
#include "mcuCommunicate.h"
#include "pathResolver.h"
#include "systemFiles.h"

namespace {

constexpr const char* kCategory = "zek.hcip";

// Values the panel application reports where its own settings give none.
constexpr const char* kPanelFixedGateway = "192.168.100.1";
constexpr const char* kPanelFixedDns1 = "1.1.1.1";
constexpr const char* kPanelFixedDns2 = "2.2.2.2";

constexpr std::uint8_t kVendorCategory = 0x05;
constexpr std::uint8_t kVendorId = 0x88;
constexpr std::uint8_t kProductCategory = 0x40;
constexpr std::uint8_t kProductId = 0x01;

// Datagrams read per wake-up before the stop descriptor is looked at again.
constexpr int kDatagramsPerWake = 64;

bool holds(const std::string& datagram, const char* word) {
    return datagram.find(word) != std::string::npos;
}

std::string header(std::size_t length, std::uint8_t typeCode, std::uint8_t code) {
    std::string frame;
    frame += static_cast<char>((length >> 8) & 0xFF);
    frame += static_cast<char>(length & 0xFF);
    frame += static_cast<char>(typeCode);
    frame += static_cast<char>(code);
    return frame;
}

void appendWord(std::string& frame, int value) {
    const auto word = static_cast<std::uint16_t>(value);
    frame += static_cast<char>(word >> 8);
    frame += static_cast<char>(word & 0xFF);
}

// text cut or zero-padded to width bytes.
std::string field(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, '\0');
    return out;
}

std::string dottedOf(const std::string& fourBytes) {
    return fmt::format("{}.{}.{}.{}", static_cast<unsigned char>(fourBytes[0]),
                       static_cast<unsigned char>(fourBytes[1]),
                       static_cast<unsigned char>(fourBytes[2]),
                       static_cast<unsigned char>(fourBytes[3]));
}

std::string dottedOf(const sockaddr* address) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    return text;
}

sockaddr_in broadcastAt(const sockaddr_in& sender) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    to.sin_port = sender.sin_port;
    return to;
}

std::string senderText(const sockaddr_in& sender) {
    return dottedOf(reinterpret_cast<const sockaddr*>(&sender));
}

// A MAC that may stand for one device: not all zero, not a group address.
bool isAssignableMac(const std::string& sixBytes) {
    if (sixBytes.size() != 6 || (static_cast<unsigned char>(sixBytes[0]) & 0x01) != 0) {
        return false;
    }
    return sixBytes != std::string(6, '\0');
}

}  // namespace

namespace hcip {

std::string addressBytes(const std::string& dotted) {
    in_addr address{};
    if (!netconfig::isDottedQuad(dotted) || ::inet_pton(AF_INET, dotted.c_str(), &address) != 1) {
        return std::string(4, '\xFF');
    }
    return std::string(reinterpret_cast<const char*>(&address.s_addr), 4);
}

deviceInfoValues parseNetsetupInfo(const std::string& output) {
    deviceInfoValues values;
    std::string line = output.substr(0, output.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    const std::size_t equals = line.find('=');
    const std::size_t blank = line.find(' ');
    if (equals != std::string::npos) {
        const std::size_t end = blank == std::string::npos || blank < equals ? line.size() : blank;
        std::string mode = line.substr(equals + 1, end - equals - 1);
        if (!mode.empty()) {
            mode.pop_back();
        }
        values.dhcp = mode.find("dhcp") != std::string::npos;
    }
    if (blank == std::string::npos) {
        return values;
    }
    std::string* const targets[] = {&values.gateway, &values.dns1, &values.dns2};
    std::size_t start = blank + 1;
    for (std::string* target : targets) {
        if (start > line.size()) {
            break;
        }
        const std::size_t next = line.find(' ', start);
        *target = line.substr(start, next == std::string::npos ? std::string::npos : next - start);
        if (next == std::string::npos) {
            break;
        }
        start = next + 1;
    }
    return values;
}

}  // namespace hcip

// ---- Interface queries ----

int createUDPSocket(int port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        linkLog(kCategory, "socket failed !\n");
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        linkLog(kCategory, "bind failed \n");
        ::close(fd);
        return -2;
    }
    return fd;
}

int get_local_info(int socket, ifcfg_t* ifc) {
    ifreq request{};
    std::strncpy(request.ifr_name, ifc->ifname.c_str(), IFNAMSIZ - 1);
    auto query = [&](unsigned long what) {
        if (::ioctl(socket, what, &request) != 0) {
            linkLog(kCategory, std::string("ioctl(): ") + std::strerror(errno));
            return false;
        }
        return true;
    };
    if (!query(SIOCGIFHWADDR)) {
        return -1;
    }
    ifc->hwaddr.assign(request.ifr_hwaddr.sa_data, 6);
    if (!query(SIOCGIFADDR)) {
        return -1;
    }
    ifc->ipaddr = dottedOf(&request.ifr_addr);
    if (!query(SIOCGIFBRDADDR)) {
        return -1;
    }
    ifc->broadaddr = dottedOf(&request.ifr_broadaddr);
    if (!query(SIOCGIFNETMASK)) {
        return -1;
    }
    ifc->netmask = dottedOf(&request.ifr_netmask);
    if (!query(SIOCGIFMTU)) {
        return -1;
    }
    ifc->mtu = request.ifr_mtu;
    return 0;
}

namespace {

// One query of eth0 on its own, so a value that is there does not wait for one that is not (the
// hardware address is there before any IPv4 address is).
bool queryServiceInterface(int socket, unsigned long what, ifreq& request) {
    request = ifreq{};
    std::strncpy(request.ifr_name, hcip::kServiceInterface, IFNAMSIZ - 1);
    return ::ioctl(socket, what, &request) == 0;
}

}  // namespace

std::string getHCIPMacAddr(int socket) {
    ifreq request{};
    if (!queryServiceInterface(socket, SIOCGIFHWADDR, request)) {
        return {};
    }
    return std::string(request.ifr_hwaddr.sa_data, 6);
}

std::string getNetMaskAddr(int socket) {
    ifreq request{};
    if (!queryServiceInterface(socket, SIOCGIFNETMASK, request)) {
        return {};
    }
    return dottedOf(&request.ifr_netmask);
}

// ---- Frame builders ----

std::string packHCIPDeviceInfo(const hcip::deviceInfoRecord& info) {
    std::string frame = header(47, BROADCAST_TYPECODE, hcip::kCodeDeviceInfo);
    frame += static_cast<char>(info.dhcp ? 0x01 : 0x00);
    frame += field(info.hostName, 16);
    frame += field(info.mac, 6);
    frame += hcip::addressBytes(info.address);
    frame += hcip::addressBytes(info.netmask);
    frame += hcip::addressBytes(info.gateway);
    frame += hcip::addressBytes(info.dns1);
    frame += hcip::addressBytes(info.dns2);
    return frame;
}

std::string packetHCIPVersion(int appMajor, int appMinor, int mcuMajor, int mcuMinor,
                              std::uint8_t typeCode) {
    std::string frame = header(20, typeCode, hcip::kCodeVersion);
    appendWord(frame, appMajor);
    appendWord(frame, appMinor);
    appendWord(frame, mcuMajor);
    appendWord(frame, mcuMinor);
    frame.append(8, '\0');
    return frame;
}

std::string packFWVersion(const std::string& versionBytes) {
    return header(12, BROADCAST_TYPECODE, hcip::kCodeFirmwareVersion) + field(versionBytes, 8);
}

std::string packHCIPModelInfo(std::uint8_t vendorCategory, std::uint8_t vendorId,
                              std::uint8_t productCategory, std::uint8_t productId) {
    std::string frame = header(8, BROADCAST_TYPECODE, hcip::kCodeModelInfo);
    frame += static_cast<char>(vendorCategory);
    frame += static_cast<char>(vendorId);
    frame += static_cast<char>(productCategory);
    frame += static_cast<char>(productId);
    return frame;
}

std::string packHCIPModelName(const std::string& name) {
    return header(20, BROADCAST_TYPECODE, hcip::kCodeModelName) + field(name, 16);
}

std::string packBroadCastReturnAck(bool ack, std::uint8_t code) {
    return header(5, BROADCAST_TYPECODE, code) + static_cast<char>(ack ? hcip::kAck : hcip::kNak);
}

std::string packUdpReturnAck(bool ack, std::uint8_t code) {
    return header(5, UDP_TYPECODE, code) + static_cast<char>(ack ? hcip::kAck : hcip::kNak);
}

// ---- Body readers ----

std::string unPackHCIPHardwareAddr(const std::string& text) {
    return text.size() < 6 ? std::string() : text.substr(0, 6);
}

std::optional<bool> unPackHCIP_DHCPModeEnable(const std::string& text) {
    if (text.size() < 20) {
        return std::nullopt;
    }
    return text[19] != '\0';
}

std::optional<std::string> unPackHCIPAddr(const std::string& text, std::size_t start) {
    if (start > text.size() || text.size() - start < 4) {
        return std::nullopt;
    }
    return dottedOf(text.substr(start, 4));
}

// ---- Profiles ----

hcipServiceProfile panelHcipProfile(std::function<hcip::deviceInfoValues()> savedSettings) {
    hcipServiceProfile profile;
    profile.appMajor = 1;
    profile.appMinor = 0;
    profile.modelName = "ZEK-710A";
    profile.modelNameAlsoAnswersModel = false;
    profile.scanNamesTheModel = true;
    profile.setsBootMac = true;
    profile.logsEveryDatagram = false;
    profile.startHostName = [] { return std::string("ZEK-710A"); };
    profile.deviceInfo = [savedSettings] {
        hcip::deviceInfoValues values = savedSettings ? savedSettings() : hcip::deviceInfoValues{};
        auto orFixed = [](std::string& value, const char* fixed) {
            if (!netconfig::isDottedQuad(value)) {
                value = fixed;
            }
        };
        orFixed(values.gateway, kPanelFixedGateway);
        orFixed(values.dns1, kPanelFixedDns1);
        orFixed(values.dns2, kPanelFixedDns2);
        return values;
    };
    return profile;
}

hcipServiceProfile daemonHcipProfile() {
    hcipServiceProfile profile;
    profile.appMajor = 23;
    profile.appMinor = 35;
    profile.modelName = "ZEK-710";
    profile.modelNameAlsoAnswersModel = true;
    profile.setsBootMac = false;
    profile.logsEveryDatagram = true;
    profile.startHostName = [] {
        const std::string name = readHostName(netconfig::kServiceFile);
        return name.empty() ? std::string("ZEK-710") : name;
    };
    profile.deviceInfo = [] {
        const std::string command =
            platform::resolvePath("/home/zek710") + "/software/current/" + "netsetup.sh getinfo";
        return hcip::parseNetsetupInfo(exec(command.c_str()));
    };
    return profile;
}

// ---- The running system ----

namespace {

class systemHcip : public hcipSystem {
public:
    explicit systemHcip(int socket) : socket_(socket) {}

    std::string hardwareAddress() override { return getHCIPMacAddr(socket_); }
    std::string netmask() override { return getNetMaskAddr(socket_); }

    std::optional<ifcfg_t> currentInterface() override {
        ifcfg_t ifc;
        ifc.ifname = hcip::kServiceInterface;
        if (get_local_info(socket_, &ifc) != 0) {
            return std::nullopt;
        }
        return ifc;
    }

    bool writeNewServiceFile(const netconfig::serviceFileSetup& setup) override {
        return genNetWorkConfigFile(netconfig::kNewServiceFile, setup.dhcp, setup.address,
                                    setup.netmask, setup.gateway, setup.dns1, setup.dns2,
                                    setup.hostName, setup.reset);
    }

    bool writeBootMac(const std::string& macText) override {
        platform::runCommand("sudo mount /dev/mmcblk0p1 /boot");
        platform::runCommand("sync");
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        const auto text = platform::readSystemFile(netconfig::kBootCommandLine);
        if (!text) {
            linkLog(kCategory, "SET_MACADR: cannot read the boot command line");
            return false;
        }
        const auto changed = netconfig::commandLineWithMac(*text, macText);
        if (!changed || changed->find("macaddr=" + macText) == std::string::npos) {
            linkLog(kCategory, "SET_MACADR: no macaddr= in the boot command line");
            return false;
        }
        if (!platform::writeSystemFileAtomically(netconfig::kBootCommandLine, *changed)) {
            return false;
        }
        platform::runCommand("sync");
        return true;
    }

private:
    int socket_;
};

}  // namespace

std::unique_ptr<hcipSystem> makeSystemHcip(int socket) {
    return std::make_unique<systemHcip>(socket);
}

// ---- The service ----

hcipService::hcipService(hcipServiceProfile profile, hcipSystem& system,
                         std::string mcuVersionAnswer, std::string ownMac,
                         std::string defaultNetmask)
    : profile_(std::move(profile)), system_(system) {
    const mcuCommunicate protocol;
    bool isSync = false;
    int major = -1;
    const int minor = protocol.versionNumber(mcuVersionAnswer, isSync, major);
    if (minor != -1) {
        mcuMajor_ = major;
        mcuMinor_ = minor;
    }
    state_.ownMac = std::move(ownMac);
    state_.defaultNetmask = std::move(defaultNetmask);
    state_.hostName = profile_.startHostName ? profile_.startHostName() : profile_.modelName;
    if (!netconfig::isAcceptableHostName(state_.hostName)) {
        log("host name \"" + state_.hostName.substr(0, 64) + "\" is not a plain name; using " +
            profile_.modelName);
        state_.hostName = profile_.modelName;
    }
}

void hcipService::log(const std::string& text) const {
    linkLog(kCategory, text);
}

std::optional<std::string> hcip::refusalLogLimit::admit(const std::string& line,
                                                        std::chrono::steady_clock::time_point now) {
    if (!windowStart_ || now - *windowStart_ >= kWindow) {
        windowStart_ = now;
        linesInWindow_ = 0;
    }
    if (linesInWindow_ >= kLines) {
        ++heldBack_;
        return std::nullopt;
    }
    ++linesInWindow_;
    if (heldBack_ == 0) {
        return line;
    }
    const std::string told =
        fmt::format("{} ({} more refused before, not logged)", line, heldBack_);
    heldBack_ = 0;
    return told;
}

bool hcipService::refusedWhileLocked(const char* word, bool forUs) {
    if (!profile_.setupLock || !profile_.setupLock->load()) {
        return false;
    }
    // A setup half made before the lock cannot be completed through it either.
    state_.bManualSetIp = false;
    state_.bsetNetMask = false;
    state_.bsetDns1 = false;
    state_.bsetDns2 = false;
    if (forUs) {
        if (const auto line = refusalLog_.admit(
                fmt::format("remote setup locked: {} from {} refused", word, senderText(sender_)),
                std::chrono::steady_clock::now())) {
            log(*line);
        }
    }
    return true;
}

bool hcipService::macMatches(const std::string& datagram) const {
    return state_.ownMac.size() == 6 && datagram.size() >= hcip::kMacOffset + 6 &&
           datagram.compare(hcip::kMacOffset, 6, state_.ownMac) == 0;
}

bool hcipService::writeServiceFile(const netconfig::serviceFileSetup& setup) {
    try {
        return system_.writeNewServiceFile(setup);
    } catch (const std::exception& failure) {
        log(std::string("network setup not written: ") + failure.what());
        return false;
    }
}

bool hcipService::writeBootMac(const std::string& macText) {
    try {
        return system_.writeBootMac(macText);
    } catch (const std::exception& failure) {
        log(std::string("SET_MACADR not written: ") + failure.what());
        return false;
    }
}

bool hcipService::writeStaticFile(const std::string& netmask) {
    netconfig::serviceFileSetup setup;
    setup.dhcp = state_.bsetDhcp;
    setup.address = state_.address;
    setup.netmask = netmask;
    setup.gateway = state_.gateway;
    setup.dns1 = state_.dns1;
    setup.dns2 = state_.dns2;
    setup.hostName = state_.hostName;
    return writeServiceFile(setup);
}

void hcipService::readMissingInterfaceValues() {
    if (state_.ownMac.empty()) {
        state_.ownMac = system_.hardwareAddress();
        if (state_.ownMac.size() == 6) {
            log("eth0 hardware address read: " + netconfig::macText(state_.ownMac));
        } else {
            state_.ownMac.clear();
        }
    }
    if (state_.defaultNetmask.empty()) {
        state_.defaultNetmask = system_.netmask();
        if (!state_.defaultNetmask.empty()) {
            log("eth0 netmask read: " + state_.defaultNetmask);
        }
    }
}

void hcipService::handleDatagram(const std::string& datagram, const sockaddr_in& sender,
                                 const sendFunction& send) {
    readMissingInterfaceValues();
    sender_ = sender;
    if (profile_.logsEveryDatagram) {
        log(fmt::format("Received Udp data form {} : {}\n", senderText(sender),
                        ntohs(sender.sin_port)));
    }
    if (datagram.size() < 3) {
        log(fmt::format("hcip: {}-byte datagram from {} ignored: no header", datagram.size(),
                        senderText(sender)));
        return;
    }
    const auto typeCode = static_cast<std::uint8_t>(datagram[2]);
    bool carryOn = true;
    sockaddr_in replyTo = sender;
    if (typeCode == BROADCAST_TYPECODE) {
        replyTo = broadcastAt(sender);
        carryOn = handleBroadcast(datagram, replyTo, send);
    } else if (typeCode == UDP_TYPECODE) {
        carryOn = handleUnicast(datagram, replyTo, send);
    }
    if (!carryOn) {
        return;
    }

    // A complete manual setup: an address with its gateway, a netmask and both DNS servers.
    if (state_.bManualSetIp && state_.bsetNetMask && state_.bsetDns1 && state_.bsetDns2) {
        const bool written = writeStaticFile(state_.netmask);
        state_.bManualSetIp = false;
        state_.bsetNetMask = false;
        log(written ? "manual network setup written" : "manual network setup not written");
        if (!send(packBroadCastReturnAck(written, hcip::kCodeSetAddress), replyTo)) {
            log("SET IP ADDR: Could not send ack back!\n");
        }
    }
}

bool hcipService::handleBroadcast(const std::string& datagram, const sockaddr_in& to,
                                  const sendFunction& send) {
    auto answer = [&](const std::string& frame, const char* failure) {
        if (send(frame, to)) {
            return true;
        }
        log(failure);
        return false;
    };
    const std::string body = datagram.substr(3);

    if (holds(datagram, "GET_VERSION")) {
        if (!answer(packetHCIPVersion(profile_.appMajor, profile_.appMinor, mcuMajor_, mcuMinor_,
                                      BROADCAST_TYPECODE),
                    "Could not send get_version datagram!\n")) {
            return false;
        }
    }

    if (holds(datagram, "ETH_REQ")) {
        const auto ifc = system_.currentInterface();
        std::optional<hcip::deviceInfoValues> values;
        try {
            if (ifc) {
                values = profile_.deviceInfo ? profile_.deviceInfo() : hcip::deviceInfoValues{};
            }
        } catch (const std::exception& failure) {
            // Without its DHCP, gateway and DNS values the answer would tell wrong ones.
            log(std::string("ETH_REQ not answered: device information not read: ") +
                failure.what());
        }
        if (!ifc) {
            log("Unable to get network device info\n");
        } else if (values) {
            hcip::deviceInfoRecord info;
            info.dhcp = values->dhcp;
            info.hostName = profile_.scanNamesTheModel ? profile_.modelName : state_.hostName;
            info.mac = ifc->hwaddr;
            info.address = ifc->ipaddr;
            info.netmask = ifc->netmask;
            info.gateway = values->gateway;
            info.dns1 = values->dns1;
            info.dns2 = values->dns2;
            if (!send(packHCIPDeviceInfo(info), to)) {
                log("Could not send eth_req info!\n");
                log(std::string("Error while sending a packet.\n") + std::strerror(errno));
                return false;
            }
        }
    }

    if (holds(datagram, "SET_DHCPMODE")) {
        bool ack = false;
        if (refusedWhileLocked("SET_DHCPMODE", macMatches(datagram))) {
            // answered NAK below
        } else if (macMatches(datagram)) {
            const auto enable = unPackHCIP_DHCPModeEnable(body);
            if (!enable) {
                log("SET_DHCPMODE without its flag byte: refused");
            } else {
                state_.bsetDhcp = *enable;
                ack = true;
                if (profile_.logsEveryDatagram) {
                    log(fmt::format("set DHCP MODE : {} \n", *enable ? "on" : "off"));
                }
                if (*enable) {
                    netconfig::serviceFileSetup setup;
                    setup.dhcp = true;
                    setup.hostName = state_.hostName;
                    ack = writeServiceFile(setup);
                    state_.bManualSetIp = false;
                    state_.bsetNetMask = false;
                }
            }
        }
        if (!answer(packBroadCastReturnAck(ack, hcip::kCodeDhcpMode),
                    "Could not send ack back!\n")) {
            return false;
        }
    }

    const bool nameAsked = holds(datagram, "GET_MODEL_NAME");
    const bool modelAsked =
        holds(datagram, "GET_MODEL") && (profile_.modelNameAlsoAnswersModel || !nameAsked);
    if ((nameAsked || modelAsked) && macMatches(datagram)) {
        if (nameAsked &&
            !answer(packHCIPModelName(profile_.modelName), "Could not send get model name!\n")) {
            return false;
        }
        if (modelAsked &&
            !answer(packHCIPModelInfo(kVendorCategory, kVendorId, kProductCategory, kProductId),
                    "Could not send get model name!\n")) {
            return false;
        }
    }

    // Any broadcast-class datagram cancels a manual setup that is still waiting for its netmask
    // and DNS servers; only a taken address setting starts one.
    state_.bManualSetIp = false;
    if (holds(datagram, "SET_IPADR") && macMatches(datagram) && refusedWhileLocked("SET_IPADR")) {
        if (!answer(packBroadCastReturnAck(false, hcip::kCodeSetAddress),
                    "SET IP ADDR: Could not send ack back!\n")) {
            return false;
        }
    } else if (holds(datagram, "SET_IPADR") && macMatches(datagram)) {
        const auto address = unPackHCIPAddr(body, hcip::kSetAddressOffset - 3);
        const auto gateway = unPackHCIPAddr(body, hcip::kSetGatewayOffset - 3);
        if (!address || !gateway) {
            log("SET_IPADR without its address and gateway: refused");
            if (!answer(packBroadCastReturnAck(false, hcip::kCodeSetAddress),
                        "SET IP ADDR: Could not send ack back!\n")) {
                return false;
            }
        } else {
            state_.address = *address;
            state_.gateway = *gateway;
            state_.bManualSetIp = true;
            if (profile_.logsEveryDatagram) {
                log("set IP ADR\n");
            }
            const bool written = writeStaticFile(state_.defaultNetmask);
            answer(packBroadCastReturnAck(written, hcip::kCodeSetAddress),
                   "SET IP ADDR: Could not send ack back!\n");
            return false;  // the datagram is finished
        }
    }

    if (holds(datagram, "E2P_DEFAULT")) {
        bool ack = false;
        if (refusedWhileLocked("E2P_DEFAULT", macMatches(datagram))) {
            // answered NAK below
        } else if (macMatches(datagram)) {
            if (profile_.logsEveryDatagram) {
                log("factory default \n");
            }
            netconfig::serviceFileSetup setup;
            setup.reset = true;
            ack = writeServiceFile(setup);
        }
        if (!answer(packBroadCastReturnAck(ack, hcip::kCodeFactoryDefault),
                    "RESET: Could not send ack back!\n")) {
            return false;
        }
    }
    return true;
}

bool hcipService::handleUnicast(const std::string& datagram, const sockaddr_in& to,
                                const sendFunction& send) {
    auto answer = [&](bool ack, std::uint8_t code, const char* failure) {
        if (send(packUdpReturnAck(ack, code), to)) {
            return true;
        }
        log(failure);
        return false;
    };
    const std::string body = datagram.substr(3);
    // Takes the 4-byte value at a fixed datagram offset; a cut-short body takes nothing.
    auto takeAddress = [&](std::size_t offset, const char* word, std::string& value, bool* flag) {
        const auto taken = unPackHCIPAddr(body, offset - 3);
        if (!taken) {
            log(fmt::format("{} without its value ({} bytes): refused", word, datagram.size()));
            return false;
        }
        value = *taken;
        if (flag != nullptr) {
            *flag = true;
        }
        return true;
    };

    if (holds(datagram, "GET_VERSION")) {
        if (profile_.logsEveryDatagram) {
            log("get udp Command\n");
        }
        if (!send(packetHCIPVersion(profile_.appMajor, profile_.appMinor, mcuMajor_, mcuMinor_,
                                    UDP_TYPECODE),
                  to)) {
            log("Could not send get_version datagram!\n");
            return false;
        }
    }

    if (profile_.setsBootMac && holds(datagram, "SET_MACADR")) {
        const std::size_t behind = datagram.find("SET_MACADR") + std::strlen("SET_MACADR");
        const std::string newMac = datagram.substr(behind, 6);
        bool written = false;
        if (refusedWhileLocked("SET_MACADR")) {
            // answered NAK below
        } else if (!isAssignableMac(newMac)) {
            log(fmt::format("SET_MACADR with {}: refused, not a device address",
                            newMac.size() == 6 ? netconfig::macText(newMac) : "a cut-short MAC"));
        } else {
            written = writeBootMac(netconfig::macText(newMac));
        }
        if (!answer(written, hcip::kCodeMacAddress, "SET MAC: Could not send ack back!\n")) {
            return false;
        }
    }

    if (holds(datagram, "SET_NETMASK")) {
        const bool taken =
            !refusedWhileLocked("SET_NETMASK") &&
            takeAddress(hcip::kNetmaskOffset, "SET_NETMASK", state_.netmask, &state_.bsetNetMask);
        if (taken && profile_.logsEveryDatagram) {
            log("set NetMask\n");
        }
        if (!answer(taken, hcip::kCodeNetmask, "netMask : Could not send ack back!\n")) {
            return false;
        }
    }

    if (holds(datagram, "SET_DHCPNAME")) {
        const std::size_t behind = datagram.find("SET_DHCPNAME") + std::strlen("SET_DHCPNAME");
        const std::string rest = datagram.substr(behind);
        const std::string name = rest.substr(0, rest.find('\0'));
        const bool locked = refusedWhileLocked("SET_DHCPNAME");
        const bool taken = !locked && netconfig::isAcceptableHostName(name);
        if (locked) {
            // answered NAK below
        } else if (taken) {
            state_.hostName = name;
            if (profile_.logsEveryDatagram) {
                log(fmt::format("set DHCPNAME {}\n", name));
            }
        } else {
            log(fmt::format("SET_DHCPNAME refused: {} bytes that are not a plain host name",
                            name.size()));
        }
        if (!answer(taken, hcip::kCodeDhcpName, "netMask : Could not send ack back!\n")) {
            return false;
        }
    }

    if (holds(datagram, "SET_GATEWAY")) {
        const bool taken =
            !refusedWhileLocked("SET_GATEWAY") &&
            takeAddress(hcip::kGatewayOffset, "SET_GATEWAY", state_.gateway, nullptr);
        if (taken && profile_.logsEveryDatagram) {
            log("set GateWay\n");
        }
        if (!answer(taken, hcip::kCodeGateway, "udp gateway : Could not send ack back!\n")) {
            return false;
        }
    }

    if (holds(datagram, "SET_PRIDNS")) {
        const bool taken =
            !refusedWhileLocked("SET_PRIDNS") &&
            takeAddress(hcip::kDnsOffset, "SET_PRIDNS", state_.dns1, &state_.bsetDns1);
        if (taken && profile_.logsEveryDatagram) {
            log("set primary dns\n");
        }
        if (!answer(taken, hcip::kCodePrimaryDns, "udp dns : Could not send ack back!\n")) {
            return false;
        }
    }

    if (holds(datagram, "SET_SECDNS")) {
        const bool taken =
            !refusedWhileLocked("SET_SECDNS") &&
            takeAddress(hcip::kDnsOffset, "SET_SECDNS", state_.dns2, &state_.bsetDns2);
        if (taken && profile_.logsEveryDatagram) {
            log("set secondary dns\n");
        }
        if (!answer(taken, hcip::kCodeSecondaryDns, "udp dns2 : Could not send ack back!\n")) {
            return false;
        }
    }
    return true;
}

// ---- The loop ----

void serveHcipDatagrams(int socket, hcipService& service, int stopFd) {
    const auto send = [socket](const std::string& datagram, const sockaddr_in& to) {
        const ssize_t sent = ::sendto(socket, datagram.data(), datagram.size(), 0,
                                      reinterpret_cast<const sockaddr*>(&to), sizeof to);
        return sent == static_cast<ssize_t>(datagram.size());
    };
    char buffer[hcip::kLargestRequest];
    pollfd waits[2] = {{socket, POLLIN, 0}, {stopFd, POLLIN, 0}};
    const nfds_t count = stopFd >= 0 ? 2 : 1;
    while (true) {
        if (::poll(waits, count, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            linkLog(kCategory, std::string("hcip service stopped: poll: ") + std::strerror(errno));
            return;
        }
        if (count == 2 && waits[1].revents != 0) {
            return;
        }
        if ((waits[0].revents & POLLNVAL) != 0) {
            linkLog(kCategory, "hcip service stopped: the socket is not open");
            return;
        }
        for (int n = 0; n < kDatagramsPerWake; ++n) {
            sockaddr_in sender{};
            socklen_t senderSize = sizeof sender;
            const ssize_t got = ::recvfrom(socket, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                                           reinterpret_cast<sockaddr*>(&sender), &senderSize);
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                    break;
                }
                if (errno == EBADF || errno == ENOTSOCK) {
                    linkLog(kCategory, "hcip service stopped: the socket is not usable");
                    return;
                }
                linkLog(kCategory, "could not read datagram!! \n");
                break;
            }
            std::size_t kept = static_cast<std::size_t>(got);
            if (kept > sizeof buffer) {
                linkLog(kCategory, fmt::format("hcip: {}-byte datagram from {} cut to {} bytes",
                                               kept, senderText(sender), sizeof buffer));
                kept = sizeof buffer;
            }
            try {
                service.handleDatagram(std::string(buffer, kept), sender, send);
            } catch (const std::exception& failure) {
                linkLog(kCategory, fmt::format("hcip: datagram from {} not handled: {}",
                                               senderText(sender), failure.what()));
            }
        }
    }
}

void udpServerService(int socket, const std::string& versionData, const std::string& mac,
                      LibSerial::SerialStream* serial, const hcipServiceProfile& profile) {
    (void)serial;  // the MCU stream travels with the service; it does not use it
    linkLog(kCategory, "[udpServerService]");
    const char* device = hcip::kServiceInterface;
    // Answers to 255.255.255.255 leave through eth0 even without a default route.
    (void)::setsockopt(socket, SOL_SOCKET, SO_BINDTODEVICE, device, std::strlen(device));
    const std::string defaultNetmask = getNetMaskAddr(socket);
    const auto system = makeSystemHcip(socket);
    hcipService service(profile, *system, versionData, mac, defaultNetmask);
    serveHcipDatagrams(socket, service);
}

void udpHcipProcess(std::string versionData, std::string mac, LibSerial::SerialStream* serial,
                    hcipServiceProfile profile, std::chrono::milliseconds startDelay) {
    const int socket = createUDPSocket(hcip::kServicePort);
    if (socket < 0) {
        linkLog(kCategory, "UDP configuration service not started: port 5002 is not available");
        return;
    }
    std::this_thread::sleep_for(startDelay);
    mac = getHCIPMacAddr(socket);
    udpServerService(socket, versionData, mac, serial, profile);
    ::close(socket);
}
