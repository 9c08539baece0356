#include "networkConfig.h"

#include <algorithm>
#include <vector>

#include "commandRunner.h"
#include "linkLog.h"
#include "pathResolver.h"
#include "systemFiles.h"

namespace netconfig {

namespace {

constexpr const char* kCategory = "zek.net";

constexpr const char* kInterfacesAddressDefault = "192.168.100.100";
constexpr const char* kInterfacesGatewayDefault = "192.168.100.1";
constexpr const char* kInterfacesNetmaskDefault = "255.255.255.0";
constexpr const char* kInterfacesDns1Default = "8.8.8.8";
constexpr const char* kInterfacesDns2Default = "4.4.4.4";

constexpr const char* kWlanTail =
    "\n"
    "#auto wlan0\n"
    "iface wlan0 inet dhcp\n"
    "        wireless_mode managed\n"
    "        wpa-conf /etc/wpa_supplicant.conf\n";

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The value behind keyword on an interfaces line ("address 10.0.0.1"), or nothing when the line
// is not about keyword.
std::optional<std::string> valueOf(const std::string& line, const std::string& keyword) {
    const std::string content = platform::trimmedText(line);
    if (!startsWith(content, keyword) || content.size() == keyword.size() ||
        (content[keyword.size()] != ' ' && content[keyword.size()] != '\t')) {
        return std::nullopt;
    }
    return platform::trimmedText(content.substr(keyword.size()));
}

std::string dottedOr(const std::string& value, const char* fallback) {
    return isDottedQuad(value) ? value : std::string(fallback);
}

bool isBlankOrDotted(const std::string& value) {
    return value.empty() || isDottedQuad(value);
}

}  // namespace

std::string dottedQuadFault(const std::string& text) {
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        const std::size_t start = i;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 4) {
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        const std::size_t digits = i - start;
        if (digits == 0) {
            return "not four decimal numbers joined by dots";
        }
        if (digits > 3 || value > 255) {
            return "a part above 255";
        }
        if (digits > 1 && text[start] == '0') {
            return "a part with a leading zero";
        }
        ++parts;
        if (i == text.size()) {
            return parts == 4 ? std::string() : "not four decimal numbers joined by dots";
        }
        if (text[i] != '.' || parts == 4) {
            return "not four decimal numbers joined by dots";
        }
        ++i;
    }
}

bool isDottedQuad(const std::string& text) {
    return dottedQuadFault(text).empty();
}

bool isAcceptableHostName(const std::string& name) {
    if (name.empty() || name.size() > 63) {
        return false;
    }
    for (const char c : name) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '-' && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

std::string programModelName() {
    return linkProgram() == LinkProgram::daemon ? "ZEK-710" : "ZEK-710A";
}

std::optional<std::string> serviceFileText(const serviceFileSetup& given, std::string* why) {
    serviceFileSetup setup = given;
    if (setup.reset) {
        setup.address = kResetAddress;
        setup.netmask = kResetNetmask;
        setup.gateway = kResetGateway;
        setup.dns1 = kDefaultDns1;
        setup.dns2 = kDefaultDns2;
    }
    auto refuse = [why](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (!setup.hostName.empty() && !isAcceptableHostName(setup.hostName)) {
        return refuse("host name is not a plain name");
    }
    if (!setup.dhcp) {
        if (!isDottedQuad(setup.address)) {
            return refuse("address is not an IPv4 address");
        }
        if (!isDottedQuad(setup.netmask)) {
            return refuse("netmask is not an IPv4 address");
        }
        if (!isDottedQuad(setup.gateway)) {
            return refuse("gateway is not an IPv4 address");
        }
    }
    if (!isBlankOrDotted(setup.dns1) || !isBlankOrDotted(setup.dns2)) {
        return refuse("DNS server is not an IPv4 address");
    }
    if (setup.dns1.empty() && setup.dns2.empty()) {
        setup.dns1 = kDefaultDns1;
        setup.dns2 = kDefaultDns2;
    } else if (setup.dns1.empty()) {
        setup.dns1 = setup.dns2;
        setup.dns2.clear();
    }

    std::string text = "[service_default_ethernet]\n";
    text += "Type = ethernet\n";
    text += "IPv4 = ";
    text += setup.dhcp ? std::string("dhcp")
                       : setup.address + "/" + setup.netmask + "/" + setup.gateway;
    text += "\n";
    text += "IPv6 = auto\n";
    text += "Nameservers = " + setup.dns1 + "," + setup.dns2 + "\n";
    text += std::string("SearchDomains = ") + kSearchDomain + "\n";
    text += std::string("Timeservers = ") + kTimeServerPool + "\n";
    text += std::string("Domain = ") + kMakerDomain + "\n";
    if (!setup.hostName.empty()) {
        text += "#HOSTNAME=" + setup.hostName + "\n";
    }
    return text;
}

std::optional<std::string> hostNameOfServiceText(const std::string& text) {
    const std::string key = "HOSTNAME=";
    const std::size_t at = text.find(key);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t start = at + key.size();
    const std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

interfacesSettings parseInterfacesText(const std::string& text) {
    interfacesSettings settings;
    bool inEth0 = false;
    int nameservers = 0;
    for (const std::string& line : splitLines(text)) {
        if (!inEth0) {
            if (line.find("eth0 inet") != std::string::npos) {
                inEth0 = true;
                if (line.find("static") != std::string::npos) {
                    settings.dhcp = false;
                } else if (line.find("dhcp") != std::string::npos) {
                    settings.dhcp = true;
                }
            }
            continue;
        }
        // The eth0 stanza ends where the next interface begins.
        if (startsWith(platform::trimmedText(line), "iface ") ||
            startsWith(platform::trimmedText(line), "auto ")) {
            break;
        }
        if (const auto value = valueOf(line, "address")) {
            settings.address = dottedOr(*value, kInterfacesAddressDefault);
        } else if (const auto value = valueOf(line, "gateway")) {
            settings.gateway = dottedOr(*value, kInterfacesGatewayDefault);
        } else if (const auto value = valueOf(line, "netmask")) {
            settings.netmask = dottedOr(*value, kInterfacesNetmaskDefault);
        } else if (const auto value = valueOf(line, "nameserver")) {
            if (nameservers == 0) {
                settings.dns1 = dottedOr(*value, kInterfacesDns1Default);
            } else if (nameservers == 1) {
                settings.dns2 = dottedOr(*value, kInterfacesDns2Default);
            }
            ++nameservers;
        }
    }
    return settings;
}

std::string rewrittenInterfacesText(const std::string& oldText, const interfacesSettings& setup) {
    std::string text;
    for (std::string line : splitLines(oldText)) {
        if (line.find("eth0 inet") == std::string::npos) {
            text += line + "\n";
            continue;
        }
        const std::string from = setup.dhcp ? "static" : "dhcp";
        const std::string to = setup.dhcp ? "dhcp" : "static";
        const std::size_t at = line.find(from);
        if (at != std::string::npos) {
            line.replace(at, from.size(), to);
        }
        text += line + "\n";
        if (!setup.dhcp) {
            text += "address " + setup.address + "\n";
            if (!setup.gateway.empty()) {
                text += "gateway " + setup.gateway + "\n";
            }
            if (!setup.netmask.empty()) {
                text += "netmask " + setup.netmask + "\n";
            }
            if (!setup.dns1.empty()) {
                text += "nameserver " + setup.dns1 + "\n";
            }
            if (!setup.dns2.empty()) {
                text += "nameserver  " + setup.dns2 + "\n";
            }
            if (!setup.gateway.empty()) {
                text += "broadcast " + setup.gateway.substr(0, setup.gateway.rfind('.')) + ".255\n";
            }
        }
        return text + kWlanTail;
    }
    return text + "\n";
}

std::string defaultInterfacesText() {
    return std::string(
               "auto lo\n"
               "iface lo inet loopback\n"
               "\n"
               "auto eth0\n"
               "iface eth0 inet dhcp\n") +
           kWlanTail;
}

std::string macOfCommandLine(const std::string& text) {
    const std::string key = "macaddr=";
    const std::size_t at = text.find(key);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + key.size();
    const std::size_t end = text.find_first_of(" \t\r\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string macText(const std::string& sixBytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < sixBytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(sixBytes[i]);
        if (i > 0) {
            text += ':';
        }
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

std::optional<std::string> commandLineWithMac(const std::string& text, const std::string& newMac) {
    const std::string key = "macaddr=";
    if (newMac.size() != 17) {
        return std::nullopt;
    }
    const std::size_t at = text.find(key);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::string changed = text;
    const std::size_t start = at + key.size();
    const std::size_t lineEnd = changed.find('\n', start);
    const std::size_t available = (lineEnd == std::string::npos ? changed.size() : lineEnd) - start;
    changed.replace(start, std::min<std::size_t>(17, available), newMac);
    return changed;
}

}  // namespace netconfig

bool genNetWorkConfigFile(const std::string& filename, bool bDHCP, const std::string& setIP,
                          const std::string& netMask, const std::string& gateWay,
                          const std::string& dns1, const std::string& dns2,
                          const std::string& hostName, bool bReset) {
    netconfig::serviceFileSetup setup;
    setup.dhcp = bDHCP;
    setup.address = setIP;
    setup.netmask = netMask;
    setup.gateway = gateWay;
    setup.dns1 = dns1;
    setup.dns2 = dns2;
    setup.hostName = hostName;
    setup.reset = bReset;
    std::string why;
    const auto text = netconfig::serviceFileText(setup, &why);
    if (!text) {
        linkLog(netconfig::kCategory, "network config not written to " + filename + ": " + why);
        return false;
    }
    const bool written = platform::writeSystemFileAtomically(filename, *text);
    // The file itself is already flushed; the sync is for the rest of the file system.
    try {
        exec("sync");
    } catch (const std::exception& failure) {
        linkLog(netconfig::kCategory, std::string("sync not run: ") + failure.what());
    }
    if (written && linkProgram() == LinkProgram::daemon) {
        linkLog(netconfig::kCategory, "write network config:\n " + *text + "\n");
    }
    return written;
}

std::string readHostName(const std::string& filename) {
    const auto text = platform::readSystemFile(filename);
    if (!text) {
        if (linkProgram() == LinkProgram::daemon) {
            linkLog(netconfig::kCategory, "read hostName  fail \n");
        }
        return {};
    }
    return netconfig::hostNameOfServiceText(*text).value_or(netconfig::programModelName());
}

std::string readNetWorkConfigs(const std::string& filename, std::string& hostName,
                               std::string& setIP, std::string& netMask, std::string& gateWay,
                               std::string& dns1, std::string& dns2) {
    const auto text = platform::readSystemFile(filename);
    if (!text) {
        return readHostName(filename);
    }
    const bool daemon = linkProgram() == LinkProgram::daemon;
    for (const std::string& line : netconfig::splitLines(*text)) {
        if (netconfig::startsWith(line, "IPv4 = ")) {
            if (daemon) {
                linkLog(netconfig::kCategory, "ipv4 line in file " + line + " \n");
            }
            const std::string value = line.substr(7);
            const std::size_t first = value.find('/');
            const std::size_t second =
                first == std::string::npos ? std::string::npos : value.find('/', first + 1);
            if (second != std::string::npos) {
                setIP = value.substr(0, first);
                netMask = value.substr(first + 1, second - first - 1);
                gateWay = value.substr(second + 1);
            }
        } else if (netconfig::startsWith(line, "Nameservers = ")) {
            if (daemon) {
                linkLog(netconfig::kCategory, "Nameserver line in file " + line + " \n");
            }
            const std::string value = line.substr(14);
            const std::size_t comma = value.find(',');
            dns1 = value.substr(0, comma);
            dns2 = comma == std::string::npos ? std::string() : value.substr(comma + 1);
        }
    }
    hostName = netconfig::hostNameOfServiceText(*text).value_or(netconfig::programModelName());
    return hostName;
}
