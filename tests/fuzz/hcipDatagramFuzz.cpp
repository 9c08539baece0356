// The configuration service over any sequence of datagrams: the input is cut into datagrams by a
// two-byte length before each, and the first byte picks the panel's or the daemon's differences.
//
// Invariants, from the protocol's byte tables: every answer is one of the four answer sizes with
// its own size in bytes 0-1; every file the service writes has exactly the service file's lines,
// whatever host name or value arrived.
#include <netinet/in.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzCheck.h"
#include "hcipService.h"
#include "linkLog.h"

namespace {

const char* const kLinePrefixes[] = {
    "[service_default_ethernet]", "Type = ethernet", "IPv4 = ",   "IPv6 = auto", "Nameservers = ",
    "SearchDomains = ",           "Timeservers = ",  "Domain = ", "#HOSTNAME="};

void checkServiceFile(const std::string& text) {
    std::size_t line = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        FUZZ_REQUIRE(end != std::string::npos);
        FUZZ_REQUIRE(line < 9);
        FUZZ_REQUIRE(
            text.compare(start, std::string(kLinePrefixes[line]).size(), kLinePrefixes[line]) == 0);
        FUZZ_REQUIRE(text.find('\0', start) == std::string::npos || text.find('\0', start) > end);
        start = end + 1;
        ++line;
    }
    FUZZ_REQUIRE(line == 8 || line == 9);
}

class checkingSystem : public hcipSystem {
public:
    std::optional<ifcfg_t> currentInterface() override {
        ifcfg_t ifc;
        ifc.hwaddr = std::string("\x02\xA4\x5C\x01\x12\xAB", 6);
        ifc.ipaddr = "10.77.0.1";
        ifc.netmask = "255.255.255.0";
        return ifc;
    }
    std::string hardwareAddress() override { return std::string("\x02\xA4\x5C\x01\x12\xAB", 6); }
    std::string netmask() override { return "255.255.255.0"; }
    bool writeNewServiceFile(const netconfig::serviceFileSetup& setup) override {
        const auto text = netconfig::serviceFileText(setup, nullptr);
        if (text) {
            checkServiceFile(*text);
        }
        return text.has_value();
    }
    bool writeBootMac(const std::string& macText) override {
        FUZZ_REQUIRE(macText.size() == 17);
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        setLinkLogSink([](const char*, const std::string&) {});
        return true;
    }();
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    hcipServiceProfile profile = panelHcipProfile({});
    if ((data[0] & 1) != 0) {
        // The daemon's differences, without running its outside script.
        profile.appMajor = 23;
        profile.appMinor = 35;
        profile.modelName = "ZEK-710";
        profile.modelNameAlsoAnswersModel = true;
        profile.setsBootMac = false;
    }
    checkingSystem system;
    hcipService service(profile, system, "", std::string("\x02\xA4\x5C\x01\x12\xAB", 6),
                        "255.255.255.0");
    const auto send = [](const std::string& answer, const sockaddr_in&) {
        FUZZ_REQUIRE(answer.size() == 5 || answer.size() == 8 || answer.size() == 20 ||
                     answer.size() == 47);
        FUZZ_REQUIRE((static_cast<std::uint8_t>(answer[0]) << 8 |
                      static_cast<std::uint8_t>(answer[1])) == static_cast<int>(answer.size()));
        return true;
    };
    sockaddr_in sender{};
    sender.sin_family = AF_INET;
    std::size_t at = 1;
    while (at + 2 <= size) {
        const std::size_t length = std::min<std::size_t>(data[at] << 8 | data[at + 1], 1024);
        at += 2;
        const std::size_t take = std::min(length, size - at);
        service.handleDatagram(std::string(reinterpret_cast<const char*>(data + at), take), sender,
                               send);
        at += take;
    }
    return 0;
}
