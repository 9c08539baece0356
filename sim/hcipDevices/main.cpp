// virtualHcipDevices: many devices of the UDP configuration protocol in one process, for tests
// and the demo. They stand for what a scan finds besides the cameras that are driven (other
// panels, switchers, recorders) and for cameras that only need to be found. Each device has a
// host name, a MAC and an address of its own and answers the scan and the setup requests there
// and on the broadcast address, port 5002.
//
// usage: virtualHcipDevices --control SOCKET [--port PORT] [--device NAME,MAC,ADDRESS ...]
//   --device   one device: its name (also its host name; up to 16 characters, no blanks or
//              commas), its MAC (02:A4:5C:07:12:AB) and its IPv4 address, which must be on an
//              interface of this network namespace. Netmask 255.255.255.0, gateway the
//              address's first three numbers and 1.
//   --port     the protocol's port (5002 unless given)
//   --control  Unix socket of the control channel
//
// Prints one line once every device and the control channel listen:
//   virtualHcipDevices ready devices=N control=SOCKET
//
// Control commands (one per line; the answer is one line, "ok", a value, or "error ..."):
//   ping                        "pong"
//   list                        the devices' names joined by blanks, "none" when there are none
//   get NAME                    "name=NAME mac=02:A4:5C:07:12:AB dhcp=0|1 address=A.B.C.D
//                               netmask=A.B.C.D gateway=A.B.C.D dns1=A.B.C.D dns2=A.B.C.D
//                               resets=N": what the device tells a scan, as the configuration
//                               requests left it (blanks and odd bytes of the name as \xNN)
//   requests NAME               datagrams the device received, of any kind
//   add NAME,MAC,ADDRESS        one more device
//   remove NAME                 the device is gone
//   silent NAME 0|1             the device takes and applies requests but answers nothing
//   slow NAME MS                every answer of the device leaves MS milliseconds late (0: at once)
//
// NAME is the name the device was given; a host name set over the network changes what it
// answers, not how it is named here. Two devices may share a MAC (to test what a scan makes of
// that), not an address. Everything ignored or refused leaves a line on standard error.
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controlServer.h"
#include "hcipEndpoint.h"
#include "stopSignals.h"

namespace {

void logLine(const std::string& line) {
    std::fprintf(stderr, "virtualHcipDevices: %s\n", line.c_str());
}

constexpr std::size_t kMaxNameLength = 16;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

bool validName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F && c != ',';
    });
}

class Devices {
public:
    explicit Devices(std::uint16_t port) : port_(port) {}

    // "NAME,MAC,ADDRESS": "ok" or "error ...".
    std::string add(const std::string& spec) {
        const std::vector<std::string> parts = split(spec, ',');
        if (parts.size() != 3) {
            return "error a device is NAME,MAC,ADDRESS, not '" + spec + "'";
        }
        const std::string& name = parts[0];
        if (!validName(name)) {
            return "error not a device name (1-16 visible characters, no commas): '" + name + "'";
        }
        if (find(name) != nullptr) {
            return "error there is already a device " + name;
        }
        const std::optional<HcipMac> mac = parseMacText(parts[1]);
        if (!mac) {
            return "error not a MAC (six hex pairs joined by ':'): '" + parts[1] + "'";
        }
        const std::optional<HcipIpv4> address = parseDottedText(parts[2]);
        if (!address) {
            return "error not a dotted IPv4 address: '" + parts[2] + "'";
        }
        HcipIdentity identity;
        identity.hostName = name;
        identity.mac = *mac;
        identity.address = *address;
        identity.gateway = {identity.address[0], identity.address[1], identity.address[2], 1};
        auto device = std::make_unique<HcipEndpoint>(identity, name, logLine);
        std::string error;
        if (!device->open(port_, error)) {
            return "error " + name + ": " + error;
        }
        devices_.push_back(std::move(device));
        return "ok";
    }

    std::string control(const std::string& line) {
        const std::size_t blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (verb == "ping" && rest.empty()) {
            return "pong";
        }
        if (verb == "list" && rest.empty()) {
            std::string names;
            for (const auto& device : devices_) {
                names += (names.empty() ? "" : " ") + device->label();
            }
            return names.empty() ? "none" : names;
        }
        if (verb == "add") {
            return add(rest);
        }
        if (verb == "get" || verb == "requests" || verb == "remove") {
            HcipEndpoint* device = find(rest);
            if (device == nullptr) {
                return "error no device '" + rest + "'";
            }
            if (verb == "get") {
                return identityLine(device->identity);
            }
            if (verb == "requests") {
                return std::to_string(device->identity.requests);
            }
            devices_.erase(std::find_if(devices_.begin(), devices_.end(),
                                        [device](const auto& d) { return d.get() == device; }));
            return "ok";
        }
        if (verb == "silent" || verb == "slow") {
            const std::size_t at = rest.rfind(' ');
            HcipEndpoint* device = at == std::string::npos ? nullptr : find(rest.substr(0, at));
            if (device == nullptr) {
                return "error usage: " + verb + " NAME " + (verb == "silent" ? "0|1" : "MS");
            }
            const std::string value = rest.substr(at + 1);
            char* end = nullptr;
            const long number = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || number < 0 ||
                number > (verb == "silent" ? 1 : 600000)) {
                return "error bad value '" + value + "'";
            }
            if (verb == "silent") {
                device->silent = number == 1;
            } else {
                device->delayMs = static_cast<int>(number);
            }
            return "ok";
        }
        return "error unknown command '" + line + "'";
    }

    std::size_t size() const { return devices_.size(); }

    // Signals blocked outside the wait, so a stop request cannot slip in between the check and
    // the wait; waitMask is the mask to wait with.
    void run(ControlServer& controlServer, const sigset_t& waitMask) {
        while (!stopRequested()) {
            int timeoutMs = -1;
            std::vector<pollfd> fds;
            for (const auto& device : devices_) {
                device->appendPollFds(fds);
                const int due = device->msUntilDue();
                if (due >= 0) {
                    timeoutMs = timeoutMs < 0 ? due : std::min(timeoutMs, due);
                }
            }
            const std::size_t controlStart = fds.size();
            controlServer.appendPollFds(fds);
            const int ready = waitLettingStopIn(fds, timeoutMs, waitMask);
            if (ready < 0 && errno != EINTR) {
                logLine(std::string("poll failed: ") + std::strerror(errno));
                break;
            }
            for (const auto& device : devices_) {
                device->sendDue();
            }
            if (ready <= 0) {
                continue;
            }
            const std::vector<pollfd> deviceFds(fds.begin(),
                                                fds.begin() + static_cast<long>(controlStart));
            for (const auto& device : devices_) {
                device->handleEvents(deviceFds);
            }
            // Last: a command may add or remove devices.
            controlServer.handleEvents(
                std::vector<pollfd>(fds.begin() + static_cast<long>(controlStart), fds.end()));
        }
    }

private:
    HcipEndpoint* find(const std::string& name) const {
        for (const auto& device : devices_) {
            if (device->label() == name) {
                return device.get();
            }
        }
        return nullptr;
    }

    std::uint16_t port_;
    std::vector<std::unique_ptr<HcipEndpoint>> devices_;
};

void usage() {
    std::fprintf(stderr,
                 "usage: virtualHcipDevices --control SOCKET [--port PORT] "
                 "[--device NAME,MAC,ADDRESS ...]\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string controlPath;
    std::vector<std::string> specs;
    long port = HcipEndpoint::kDefaultPort;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "virtualHcipDevices: %s needs a value\n", flag.c_str());
            usage();
            return 2;
        }
        const std::string value = argv[i + 1];
        if (flag == "--control") {
            controlPath = value;
        } else if (flag == "--device") {
            specs.push_back(value);
        } else if (flag == "--port") {
            char* end = nullptr;
            port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port <= 0 || port > 65535) {
                std::fprintf(stderr, "virtualHcipDevices: not a port: %s\n", value.c_str());
                return 2;
            }
        } else {
            std::fprintf(stderr, "virtualHcipDevices: unknown option %s\n", flag.c_str());
            usage();
            return 2;
        }
    }
    if (controlPath.empty()) {
        usage();
        return 2;
    }
    const sigset_t waitMask = blockStopSignalsOutsideWait();

    Devices devices(static_cast<std::uint16_t>(port));
    for (const std::string& spec : specs) {
        const std::string result = devices.add(spec);
        if (result != "ok") {
            std::fprintf(stderr, "virtualHcipDevices: --device %s: %s\n", spec.c_str(),
                         result.c_str());
            return 1;
        }
    }
    ControlServer control(
        [&devices](const std::string& command) { return devices.control(command); });
    std::string error;
    if (!control.listenAt(controlPath, error)) {
        std::fprintf(stderr, "virtualHcipDevices: %s\n", error.c_str());
        return 1;
    }
    std::printf("virtualHcipDevices ready devices=%zu control=%s\n", devices.size(),
                controlPath.c_str());
    std::fflush(stdout);
    devices.run(control, waitMask);
    return 0;
}
