// The panels' network setup as the operating system keeps it.
//
// Two file families: the connection manager's service file ("/var/lib/connman/default.config",
// new setups go to "default.config_new"), written by the UDP configuration service of both
// programs, and the classic "/etc/network/interfaces" of the panel application with the MAC
// address in the boot command line "/boot/cmdline.txt". Nothing here reconfigures an interface:
// the system reads these files when it next starts its network.
//
// The text builders and readers are pure; the files are read and written through systemFiles.h.
#pragma once

#include <optional>
#include <string>

namespace netconfig {

constexpr const char* kServiceFile = "/var/lib/connman/default.config";
constexpr const char* kNewServiceFile = "/var/lib/connman/default.config_new";
constexpr const char* kInterfacesFile = "/etc/network/interfaces";
constexpr const char* kInterfacesBackup = "/etc/network/interfaces_backup";
constexpr const char* kBootCommandLine = "/boot/cmdline.txt";

// Lines 6 to 8 of the service file.
constexpr const char* kSearchDomain = "zek710.lan";
constexpr const char* kTimeServerPool = "pool.ntp.org";
constexpr const char* kMakerDomain = "velmora.lan";

// The factory setup of the service file's reset form.
constexpr const char* kResetAddress = "192.168.100.200";
constexpr const char* kResetNetmask = "255.255.255.0";
constexpr const char* kResetGateway = "192.168.100.1";
constexpr const char* kDefaultDns1 = "8.8.8.8";
constexpr const char* kDefaultDns2 = "1.1.1.1";

// The one check for an IPv4 address from a person or the network: four decimal numbers 0-255
// joined by '.', without leading zeros, nothing else ("10.0.0.1"; not "10.0.1", " 10.0.0.1",
// "10.0.0.256", "1.2.3.4\n", "10.0.0.01", which other readers take for octal, or "167772161").
bool isDottedQuad(const std::string& text);
// Why text is not such an address, for the log and the screen; empty when it is one.
std::string dottedQuadFault(const std::string& text);

// A host name that can stand on a line of a generated file without changing its structure:
// 1 to 63 characters, letters, digits, '-', '_' and '.'.
bool isAcceptableHostName(const std::string& name);

// The model name of the running program: "ZEK-710" in the link daemon, "ZEK-710A" in the panel
// application.
std::string programModelName();

// ---- Connection-manager service file ----

struct serviceFileSetup {
    bool dhcp = false;
    std::string address;
    std::string netmask;
    std::string gateway;
    std::string dns1;
    std::string dns2;
    std::string hostName;  // no host-name line when empty
    bool reset = false;    // the factory setup, whatever the values say
};

// The nine (or eight, without a host name) lines of the service file, or nothing with the reason
// in why when a value would not make a well-formed file: a host name that is not acceptable, a
// static setup whose address, netmask or gateway is not a dotted quad, a DNS value that is
// neither empty nor a dotted quad.
std::optional<std::string> serviceFileText(const serviceFileSetup& setup, std::string* why);

// Host name of a service file's text: the text behind the first "HOSTNAME=" up to the line end,
// or nothing when the text has none.
std::optional<std::string> hostNameOfServiceText(const std::string& text);

// ---- The panel application's interfaces file ----

// What the panel reads from the eth0 stanza. Values that are absent stay empty; values present
// but not dotted quads read as the defaults (address 192.168.100.100, gateway 192.168.100.1,
// netmask 255.255.255.0, DNS 8.8.8.8 and 4.4.4.4).
struct interfacesSettings {
    bool dhcp = false;
    std::string address;
    std::string gateway;
    std::string netmask;
    std::string dns1;
    std::string dns2;
};
interfacesSettings parseInterfacesText(const std::string& text);

// The interfaces file rewritten with a new setup: the lines before "eth0 inet" kept, that line
// switched between "dhcp" and "static", the static lines, and the fixed wlan0 tail. A text
// without an "eth0 inet" line is kept whole, followed by one empty line.
std::string rewrittenInterfacesText(const std::string& oldText, const interfacesSettings& setup);

// The ten lines of a fresh interfaces file (eth0 on DHCP).
std::string defaultInterfacesText();

// ---- Boot command line ----

// The MAC text behind the first "macaddr=" of the text, up to the next blank or line end; empty
// when there is none.
std::string macOfCommandLine(const std::string& text);

// The MAC as written into the boot command line: lower-case hex pairs joined by ':'.
std::string macText(const std::string& sixBytes);

// The command line with the 17 characters behind "macaddr=" (on the first line that has it)
// replaced by macText; every other character stays. Nothing when no line carries "macaddr=" or
// macText is not 17 characters.
std::optional<std::string> commandLineWithMac(const std::string& text, const std::string& macText);

}  // namespace netconfig

// Writes the service file (system path) with the setup above; runs "sync" afterwards. False when
// the setup is refused or the file could not be written (a log line says which).
bool genNetWorkConfigFile(const std::string& filename, bool bDHCP, const std::string& setIP,
                          const std::string& netMask, const std::string& gateWay,
                          const std::string& dns1, const std::string& dns2,
                          const std::string& hostName, bool bReset = false);

// Host name of a service file; the program's model name when the file has no host-name line; an
// empty text when the file cannot be read.
std::string readHostName(const std::string& filename);

// Reads a service file: returns its host name like readHostName and fills the address, netmask
// and gateway of a static "IPv4" line and the two "Nameservers" values; fields the file does not
// give are left as they were.
std::string readNetWorkConfigs(const std::string& filename, std::string& hostName,
                               std::string& setIP, std::string& netMask, std::string& gateWay,
                               std::string& dns1, std::string& dns2);
