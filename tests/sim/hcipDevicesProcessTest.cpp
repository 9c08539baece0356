// Discoverable cameras and virtual network devices in the camera namespace, found and set up
// from the panel's namespace the way the panel does it: the scan leaves a socket bound to the
// panel's address at an ephemeral port, and the answers, broadcast back to that port, are read
// from a second socket bound to any address at the same port. Runs under scripts/netns-run.sh.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "simProcess.h"
#include "socketHelpers.h"
#include "spelledBytes.h"
#include "tempRoot.h"

extern char** environ;

namespace {

using namespace std::chrono;
using Clock = steady_clock;

constexpr milliseconds kWait(3000);

std::string addressText(const sockaddr_in& a) {
    char text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

struct Received {
    std::string from;  // "A.B.C.D:PORT"
    std::string bytes;
    bool onReceiveSocket;  // else on the socket that sent the requests
};

// The panel's pair of sockets.
class PanelSockets {
public:
    PanelSockets() {
        const char* own = std::getenv("ZEK_PANEL_ADDRESS");
        const int on = 1;
        sockaddr_in local = endpoint(own != nullptr ? own : "10.77.0.1", 0);
        socklen_t size = sizeof local;
        ok_ = ::setsockopt(send_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
              ::setsockopt(send_.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 &&
              ::bind(send_.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
              ::getsockname(send_.get(), reinterpret_cast<sockaddr*>(&local), &size) == 0;
        sockaddr_in any = endpoint("0.0.0.0", ntohs(local.sin_port));
        ok_ = ok_ && ::setsockopt(receive_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
              ::bind(receive_.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) == 0;
    }
    bool ok() const { return ok_; }

    bool send(const std::string& datagram, const std::string& to = "255.255.255.255") {
        const sockaddr_in a = endpoint(to, 5002);
        return ::sendto(send_.get(), datagram.data(), datagram.size(), 0,
                        reinterpret_cast<const sockaddr*>(&a),
                        sizeof a) == static_cast<ssize_t>(datagram.size());
    }

    // Everything that arrives on either socket until `count` datagrams have come or the wait is
    // over; then whatever else arrives within `linger` (answers that should not come).
    std::vector<Received> collect(std::size_t count, milliseconds linger = milliseconds(300),
                                  milliseconds wait = kWait) {
        std::vector<Received> got;
        auto deadline = Clock::now() + wait;
        bool lingering = false;
        for (;;) {
            if (!lingering && got.size() >= count) {
                lingering = true;
                deadline = Clock::now() + linger;
            }
            const auto left = duration_cast<milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                return got;
            }
            pollfd fds[2] = {{receive_.get(), POLLIN, 0}, {send_.get(), POLLIN, 0}};
            if (::poll(fds, 2, static_cast<int>(left)) <= 0) {
                continue;
            }
            for (int i = 0; i < 2; ++i) {
                if ((fds[i].revents & POLLIN) == 0) {
                    continue;
                }
                char buffer[65536];
                sockaddr_in from{};
                socklen_t size = sizeof from;
                const ssize_t n = ::recvfrom(fds[i].fd, buffer, sizeof buffer, 0,
                                             reinterpret_cast<sockaddr*>(&from), &size);
                if (n >= 0) {
                    got.push_back({addressText(from),
                                   std::string(buffer, static_cast<std::size_t>(n)), i == 0});
                }
            }
        }
    }

private:
    Fd send_{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
    Fd receive_{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
    bool ok_ = false;
};

// Sender -> answer in hex, for answers that came on the receive socket.
std::map<std::string, std::string> bySender(const std::vector<Received>& got) {
    std::map<std::string, std::string> out;
    for (const Received& r : got) {
        EXPECT_TRUE(r.onReceiveSocket) << r.from << " " << hex(r.bytes);
        EXPECT_EQ(out.count(r.from), 0u) << "second answer from " << r.from;
        out[r.from] = hex(r.bytes);
    }
    return out;
}

const std::string kScan = bytes("00 0B 80 00 'ETH_REQ'");

// The four devices of the scene, as they answer a scan.
const char kCamA[] =
    "00 2F 80 00 00 'CAM-A' 00 00 00 00 00 00 00 00 00 00 00 02 A4 5C 07 00 02 0A 4D 00 02 "
    "FF FF FF 00 0A 4D 00 01 00 00 00 00 00 00 00 00";
const char kCamB[] =
    "00 2F 80 00 00 'CAM-B' 00 00 00 00 00 00 00 00 00 00 00 02 A4 5C 05 00 03 0A 4D 00 03 "
    "FF FF FF 00 0A 4D 00 01 00 00 00 00 00 00 00 00";
const char kSwitcher[] =
    "00 2F 80 00 00 'MX-5800' 00 00 00 00 00 00 00 00 00 02 A4 5C 07 00 28 0A 4D 00 28 "
    "FF FF FF 00 0A 4D 00 01 00 00 00 00 00 00 00 00";
const char kRecorder[] =
    "00 2F 80 00 00 'WXR-100' 00 00 00 00 00 00 00 00 00 02 11 22 33 44 29 0A 4D 00 29 "
    "FF FF FF 00 0A 4D 00 01 00 00 00 00 00 00 00 00";

class CameraNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("ZEK_CAMERA_NS") == nullptr || std::getenv("ZEK_CAMERA_IFACE") == nullptr) {
            GTEST_SKIP() << "needs the test namespaces: run it through scripts/netns-run.sh";
        }
    }

    // Two cameras and two devices that are not cameras.
    void startScene() {
        camA_ = std::make_unique<VirtualCamera>(VirtualCamera::discoverableHcip(
            root_.path(), "camA", "10.77.0.2", "CAM-A", "02:A4:5C:07:00:02"));
        camB_ = std::make_unique<VirtualCamera>(VirtualCamera::discoverableHcip(
            root_.path(), "camB", "10.77.0.3", "CAM-B", "02:a4:5c:05:00:03"));
        others_ = std::make_unique<VirtualHcipDevices>(
            root_.path(), std::vector<std::string>{"MX-5800,02:A4:5C:07:00:28,10.77.0.40",
                                                   "WXR-100,02:11:22:33:44:29,10.77.0.41"});
        ASSERT_TRUE(camA_->started());
        ASSERT_TRUE(camB_->started());
        ASSERT_TRUE(others_->started());
    }

    TempRoot root_{false};
    std::unique_ptr<VirtualCamera> camA_;
    std::unique_ptr<VirtualCamera> camB_;
    std::unique_ptr<VirtualHcipDevices> others_;
};

TEST_F(CameraNetwork, ScanFindsEveryDeviceAndAHostNameChanges) {
    startScene();
    PanelSockets panel;
    ASSERT_TRUE(panel.ok());

    ASSERT_TRUE(panel.send(kScan));
    std::map<std::string, std::string> answers = bySender(panel.collect(4));
    EXPECT_EQ(answers, (std::map<std::string, std::string>{
                           {"10.77.0.2:5002", hex(bytes(kCamA))},
                           {"10.77.0.3:5002", hex(bytes(kCamB))},
                           {"10.77.0.40:5002", hex(bytes(kSwitcher))},
                           {"10.77.0.41:5002", hex(bytes(kRecorder))},
                       }));

    // A unicast request: the answer comes back to the sender itself, so to the socket bound to
    // the panel's address rather than to the one bound to any address.
    ASSERT_TRUE(panel.send(bytes("00 20 81 09 'SET_DHCPNAME' 'STUDIO-B' 00 00 00 00 00 00 00 00"),
                           "10.77.0.3"));
    const std::vector<Received> ack = panel.collect(1);
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack[0].from, "10.77.0.3:5002");
    EXPECT_EQ(hex(ack[0].bytes), hex(bytes("00 05 81 09 06")));
    EXPECT_FALSE(ack[0].onReceiveSocket);
    EXPECT_EQ(camB_->command("get identity"),
              "name=STUDIO-B mac=02:A4:5C:05:00:03 dhcp=0 address=10.77.0.3 netmask=255.255.255.0 "
              "gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0 resets=0");
    EXPECT_EQ(camA_->command("get identity"),
              "name=CAM-A mac=02:A4:5C:07:00:02 dhcp=0 address=10.77.0.2 netmask=255.255.255.0 "
              "gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0 resets=0");
    EXPECT_EQ(camB_->command("get hcip-requests"), "2");
    EXPECT_EQ(camA_->command("get hcip-requests"), "1");

    ASSERT_TRUE(panel.send(kScan));
    answers = bySender(panel.collect(4));
    EXPECT_EQ(answers["10.77.0.3:5002"],
              hex(bytes("00 2F 80 00 00 'STUDIO-B' 00 00 00 00 00 00 00 00 02 A4 5C 05 00 03 "
                        "0A 4D 00 03 FF FF FF 00 0A 4D 00 01 00 00 00 00 00 00 00 00")));
    EXPECT_EQ(answers.size(), 4u);
    // The cameras still speak VISCA.
    EXPECT_EQ(camA_->command("ping"), "pong");
    EXPECT_EQ(others_->command("list"), "MX-5800 WXR-100");
}

// Runs a program to its end (or kills it at the deadline) and returns what it printed.
std::string runToEnd(const std::vector<std::string>& argv,
                     milliseconds wait = milliseconds(10000)) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return {};
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    const auto deadline = Clock::now() + wait;
    while (spawned == 0) {
        const auto left = duration_cast<milliseconds>(deadline - Clock::now()).count();
        pollfd p{out[0], POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (spawned == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    return text;
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        if (text.compare(at, start.size(), start) == 0) {
            lines.push_back(text.substr(at, end - at));
        }
        at = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A configuration tool inside the camera network: its broadcast comes back to the devices there,
// and their broadcast answers to it.
TEST_F(CameraNetwork, ConfigurationToolFindsThem) {
    startScene();
    const std::string out =
        runToEnd({"/usr/sbin/ip", "netns", "exec", std::getenv("ZEK_CAMERA_NS"), ZEK_HCIP_TOOL_PATH,
                  "--interface", std::getenv("ZEK_CAMERA_IFACE"), "--timeout", "1000", "scan"});
    EXPECT_EQ(linesStartingWith(out, "device "),
              (std::vector<std::string>{
                  "device mac=02:11:22:33:44:29 name=WXR-100 dhcp=0 ip=10.77.0.41 "
                  "mask=255.255.255.0 gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0",
                  "device mac=02:A4:5C:05:00:03 name=CAM-B dhcp=0 ip=10.77.0.3 "
                  "mask=255.255.255.0 gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0",
                  "device mac=02:A4:5C:07:00:02 name=CAM-A dhcp=0 ip=10.77.0.2 "
                  "mask=255.255.255.0 gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0",
                  "device mac=02:A4:5C:07:00:28 name=MX-5800 dhcp=0 ip=10.77.0.40 "
                  "mask=255.255.255.0 gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0",
              }))
        << out;
}

// A full studio: thirty devices in one process, each answering the one scan from its address.
TEST_F(CameraNetwork, ThirtyDevicesAnswerOneScan) {
    std::vector<std::string> specs;
    std::map<std::string, std::string> expected;
    for (int i = 0; i < 30; ++i) {
        char spec[64];
        std::snprintf(spec, sizeof spec, "CAM-%02d,02:A4:5C:07:01:%02X,10.77.0.%d", i + 1, i + 50,
                      i + 50);
        specs.push_back(spec);
        char answer[256];
        std::snprintf(answer, sizeof answer,
                      "00 2F 80 00 00 'CAM-%02d' 00 00 00 00 00 00 00 00 00 00 "
                      "02 A4 5C 07 01 %02X 0A 4D 00 %02X FF FF FF 00 0A 4D 00 01 "
                      "00 00 00 00 00 00 00 00",
                      i + 1, i + 50, i + 50);
        expected["10.77.0." + std::to_string(i + 50) + ":5002"] = hex(bytes(answer));
    }
    VirtualHcipDevices devices(root_.path(), specs);
    ASSERT_TRUE(devices.started());
    PanelSockets panel;
    ASSERT_TRUE(panel.ok());
    ASSERT_TRUE(panel.send(kScan));
    EXPECT_EQ(bySender(panel.collect(30)), expected);
}

// Setup requests addressed by MAC from the panel's side, and the devices' control commands.
TEST_F(CameraNetwork, SetupByMacAndControlCommands) {
    VirtualHcipDevices devices(root_.path(), {"MX-5800,02:A4:5C:07:00:28,10.77.0.40"});
    ASSERT_TRUE(devices.started());
    EXPECT_EQ(devices.command("ping"), "pong");
    EXPECT_EQ(devices.command("add WXR-100,02:11:22:33:44:29,10.77.0.41"), "ok");
    EXPECT_EQ(devices.command("list"), "MX-5800 WXR-100");
    PanelSockets panel;
    ASSERT_TRUE(panel.ok());

    // The address setting: only the device addressed answers, to the broadcast address.
    ASSERT_TRUE(
        panel.send(bytes("00 1B 80 03 02 11 22 33 44 29 'SET_IPADR' 0A 4D 00 33 0A 4D 00 FE")));
    std::vector<Received> got = panel.collect(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].from, "10.77.0.41:5002");
    EXPECT_EQ(hex(got[0].bytes), hex(bytes("00 05 80 03 06")));
    EXPECT_TRUE(got[0].onReceiveSocket);
    EXPECT_EQ(devices.command("get WXR-100"),
              "name=WXR-100 mac=02:11:22:33:44:29 dhcp=0 address=10.77.0.51 netmask=255.255.255.0 "
              "gateway=10.77.0.254 dns1=0.0.0.0 dns2=0.0.0.0 resets=0");

    // The DHCP setting: every device answers, the one addressed with ACK.
    ASSERT_TRUE(panel.send(bytes("00 17 80 02 02 A4 5C 07 00 28 'SET_DHCPMODE' 01")));
    EXPECT_EQ(bySender(panel.collect(2)), (std::map<std::string, std::string>{
                                              {"10.77.0.40:5002", hex(bytes("00 05 80 02 06"))},
                                              {"10.77.0.41:5002", hex(bytes("00 05 80 02 15"))}}));

    // silent: the request is taken and applied, nothing is answered.
    EXPECT_EQ(devices.command("silent MX-5800 1"), "ok");
    ASSERT_TRUE(panel.send(bytes("00 0F 80 04 02 A4 5C 07 00 28 'RESET'")));
    EXPECT_TRUE(panel.collect(1, milliseconds(0), milliseconds(500)).empty());
    EXPECT_EQ(devices.command("get MX-5800"),
              "name=MX-5800 mac=02:A4:5C:07:00:28 dhcp=1 address=10.77.0.40 netmask=255.255.255.0 "
              "gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0 resets=1");
    EXPECT_EQ(devices.command("requests MX-5800"), "3");
    EXPECT_EQ(devices.command("silent MX-5800 0"), "ok");

    // slow: the answer leaves late, after what the panel reads 500 ms after its scan.
    EXPECT_EQ(devices.command("slow WXR-100 700"), "ok");
    const auto sent = Clock::now();
    ASSERT_TRUE(panel.send(kScan));
    got = panel.collect(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].from, "10.77.0.40:5002");
    EXPECT_EQ(got[1].from, "10.77.0.41:5002");
    EXPECT_GE(Clock::now() - sent, milliseconds(700));
    EXPECT_EQ(devices.command("slow WXR-100 0"), "ok");

    EXPECT_EQ(devices.command("remove MX-5800"), "ok");
    EXPECT_EQ(devices.command("list"), "WXR-100");
    ASSERT_TRUE(panel.send(kScan));
    got = panel.collect(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].from, "10.77.0.41:5002");

    EXPECT_EQ(devices.command("remove WXR-100"), "ok");
    EXPECT_EQ(devices.command("list"), "none");

    // Two devices may share a MAC (a scan has to cope with that), not an address.
    EXPECT_EQ(devices.command("add A,02:11:22:33:44:29,10.77.0.42"), "ok");
    EXPECT_EQ(devices.command("add B,02:11:22:33:44:29,10.77.0.43"), "ok");
    // Refused commands say why and change nothing.
    const char* const refused[] = {
        "add C,02:11:22:33:44:2A,10.77.0.42",  // the address is taken
        "add A,02:11:22:33:44:2A,10.77.0.44",  // the name is taken
        "add X,02:11:22:33:44:29",
        "add X,02:11:22:33:44,10.77.0.44",
        "add X,02:11:22:33:44:29,10.77.0",
        "add X Y,02:11:22:33:44:29,10.77.0.44",
        "add X,02:11:22:33:44:29,0.0.0.0",
        "add X,02:11:22:33:44:29,10.99.0.1",  // on no interface here
        "get MX-5800",
        "remove MX-5800",
        "silent A 2",
        "silent A",
        "slow A -1",
        "requests",
        "frobnicate",
    };
    for (const char* command : refused) {
        EXPECT_EQ(devices.command(command).rfind("error ", 0), 0u) << command;
    }
    EXPECT_EQ(devices.command("list"), "A B");
    ASSERT_TRUE(panel.send(kScan));
    EXPECT_EQ(bySender(panel.collect(2)).size(), 2u);
}

// Noise on both sockets of a device, then a scan: still answered, every datagram counted or
// logged.
TEST_F(CameraNetwork, NoiseLeavesThemAnswering) {
    startScene();
    PanelSockets panel;
    ASSERT_TRUE(panel.ok());
    std::mt19937 rng(710);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    for (int i = 0; i < 60; ++i) {
        std::string d(length(rng), '\0');
        for (char& c : d) {
            c = static_cast<char>(byte(rng));
        }
        if (d.size() > 3 && i % 2 == 0) {
            d[2] = static_cast<char>(i % 4 == 0 ? 0x80 : 0x81);
        }
        ASSERT_TRUE(panel.send(d, i % 3 == 0 ? "255.255.255.255" : "10.77.0.2"));
    }
    // Noise asks nothing: the only answers are those to the scan.
    ASSERT_TRUE(panel.send(kScan));
    EXPECT_EQ(bySender(panel.collect(4)).size(), 4u);
    EXPECT_EQ(camA_->command("get hcip-requests"), "61");
    EXPECT_EQ(others_->command("requests WXR-100"), "21");
}

// The options that make a camera discoverable, and a camera without them.
TEST_F(CameraNetwork, DiscoveryOptions) {
    const std::vector<std::vector<std::string>> refused = {
        {"--hcip", "10.77.0.5", "--hcip-name", "CAM"},
        {"--hcip", "10.77.0.5", "--mac", "02:A4:5C:07:00:05"},
        {"--hcip", "10.77.0.5", "--hcip-name", "CAM", "--mac", "02:A4:5C:07:00"},
        {"--hcip", "10.77.0.5", "--hcip-name", "ABCDEFGHIJKLMNOPQ", "--mac", "02:A4:5C:07:00:05"},
        {"--serial", root_ / "dev/ttyUSB0", "--hcip-name", "CAM", "--mac", "02:A4:5C:07:00:05"},
        {"--hcip", "0.0.0.0", "--hcip-name", "CAM", "--mac", "02:A4:5C:07:00:05"},
    };
    for (std::vector<std::string> args : refused) {
        args.insert(args.begin(), {"/usr/sbin/ip", "netns", "exec", std::getenv("ZEK_CAMERA_NS"),
                                   ZEK_VIRTUAL_CAMERA_PATH});
        args.push_back("--control");
        args.push_back(root_ / "run/refused.sock");
        SimProcess camera;
        EXPECT_FALSE(
            camera.start(args.front(), {args.begin() + 1, args.end()}, "ready", milliseconds(3000)))
            << args[6];
    }

    VirtualCamera plain = VirtualCamera::hcip(root_.path(), "plain", "10.77.0.5");
    ASSERT_TRUE(plain.started());
    EXPECT_EQ(plain.command("get identity").rfind("error ", 0), 0u);

    SimProcess custom;
    ASSERT_TRUE(custom.start(
        "/usr/sbin/ip",
        {"netns", "exec", std::getenv("ZEK_CAMERA_NS"), ZEK_VIRTUAL_CAMERA_PATH, "--visca",
         "10.77.0.6", "--hcip-name", "CAM-V", "--mac", "02:A4:5C:09:00:06", "--netmask",
         "255.255.0.0", "--gateway", "10.77.255.254", "--control", root_ / "run/v.sock"}));
    EXPECT_EQ(custom.readyLine(),
              "virtualCamera ready transport=visca address=10.77.0.6 port=52381 control=" +
                  (root_ / "run/v.sock") + " config=10.77.0.6:5002");
    EXPECT_EQ(simCommand(root_ / "run/v.sock", "get identity"),
              "name=CAM-V mac=02:A4:5C:09:00:06 dhcp=0 address=10.77.0.6 netmask=255.255.0.0 "
              "gateway=10.77.255.254 dns1=0.0.0.0 dns2=0.0.0.0 resets=0");
}

}  // namespace
