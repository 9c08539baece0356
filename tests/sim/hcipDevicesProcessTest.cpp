// Discoverable cameras and virtual network devices in the camera namespace, found and set up
// from the panel's namespace the way the panel does it: the scan leaves a socket bound to the
// panel's address at an ephemeral port, and the answers, broadcast back to that port, are read
// from a second socket bound to any address at the same port. What arrives where, and what the
// devices tell of the requests they got, is what the panel's own discovery tests rest on. Runs
// under scripts/netns-run.sh.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simProcess.h"
#include "socketHelpers.h"
#include "spelledBytes.h"
#include "tempRoot.h"

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
    // over; then whatever else arrives within 300 ms (answers that should not come).
    std::vector<Received> collect(std::size_t count) {
        std::vector<Received> got;
        auto deadline = Clock::now() + kWait;
        bool lingering = false;
        for (;;) {
            if (!lingering && got.size() >= count) {
                lingering = true;
                deadline = Clock::now() + milliseconds(300);
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

class CameraNetwork : public ::testing::Test {
protected:
    // Two cameras and two devices that are not cameras.
    void SetUp() override {
        if (std::getenv("ZEK_CAMERA_NS") == nullptr || std::getenv("ZEK_CAMERA_IFACE") == nullptr) {
            GTEST_SKIP() << "needs the test namespaces: run it through scripts/netns-run.sh";
        }
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

TEST_F(CameraNetwork, ScanAndAUnicastSettingComeBackWhereThePanelReads) {
    PanelSockets panel;
    ASSERT_TRUE(panel.ok());
    ASSERT_TRUE(panel.send(kScan));
    EXPECT_EQ(
        bySender(panel.collect(4)),
        (std::map<std::string, std::string>{
            {"10.77.0.2:5002", hex(bytes("00 2F 80 00 00 'CAM-A' 00 00 00 00 00 00 00 00 00 00 00 "
                                         "02 A4 5C 07 00 02 0A 4D 00 02 FF FF FF 00 0A 4D 00 01 "
                                         "00 00 00 00 00 00 00 00"))},
            {"10.77.0.3:5002", hex(bytes("00 2F 80 00 00 'CAM-B' 00 00 00 00 00 00 00 00 00 00 00 "
                                         "02 A4 5C 05 00 03 0A 4D 00 03 FF FF FF 00 0A 4D 00 01 "
                                         "00 00 00 00 00 00 00 00"))},
            {"10.77.0.40:5002", hex(bytes("00 2F 80 00 00 'MX-5800' 00 00 00 00 00 00 00 00 00 "
                                          "02 A4 5C 07 00 28 0A 4D 00 28 FF FF FF 00 0A 4D 00 01 "
                                          "00 00 00 00 00 00 00 00"))},
            {"10.77.0.41:5002", hex(bytes("00 2F 80 00 00 'WXR-100' 00 00 00 00 00 00 00 00 00 "
                                          "02 11 22 33 44 29 0A 4D 00 29 FF FF FF 00 0A 4D 00 01 "
                                          "00 00 00 00 00 00 00 00"))},
        }));

    // A unicast request: the answer comes back to the sender itself, so to the socket bound to
    // the panel's address rather than to the one bound to any address.
    const std::string rename =
        bytes("00 20 81 09 'SET_DHCPNAME' 'STUDIO-B' 00 00 00 00 00 00 00 00");
    ASSERT_TRUE(panel.send(rename, "10.77.0.3"));
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
    // Every datagram counts, and the last one is told with the way it came.
    EXPECT_EQ(camB_->command("get hcip-requests"), "2");
    EXPECT_EQ(camA_->command("get hcip-requests"), "1");
    EXPECT_EQ(camB_->command("get hcip-last"), "unicast " + hex(rename));
    EXPECT_EQ(camA_->command("get hcip-last"), "broadcast " + hex(kScan));
}

// Broadcast-class settings name their device by MAC: only it takes them.
TEST_F(CameraNetwork, SettingsByMacAreTakenByTheDeviceNamed) {
    PanelSockets panel;
    ASSERT_TRUE(panel.ok());
    // The address setting: only the device addressed answers, to the broadcast address.
    ASSERT_TRUE(
        panel.send(bytes("00 1B 80 03 02 11 22 33 44 29 'SET_IPADR' 0A 4D 00 33 0A 4D 00 FE")));
    const std::vector<Received> got = panel.collect(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].from, "10.77.0.41:5002");
    EXPECT_EQ(hex(got[0].bytes), hex(bytes("00 05 80 03 06")));
    EXPECT_TRUE(got[0].onReceiveSocket);
    EXPECT_EQ(others_->command("get WXR-100"),
              "name=WXR-100 mac=02:11:22:33:44:29 dhcp=0 address=10.77.0.51 netmask=255.255.255.0 "
              "gateway=10.77.0.254 dns1=0.0.0.0 dns2=0.0.0.0 resets=0");

    // The DHCP setting: every device answers, the one addressed with ACK, the others with NAK.
    ASSERT_TRUE(panel.send(bytes("00 17 80 02 02 A4 5C 07 00 28 'SET_DHCPMODE' 01")));
    EXPECT_EQ(bySender(panel.collect(4)), (std::map<std::string, std::string>{
                                              {"10.77.0.2:5002", hex(bytes("00 05 80 02 15"))},
                                              {"10.77.0.3:5002", hex(bytes("00 05 80 02 15"))},
                                              {"10.77.0.40:5002", hex(bytes("00 05 80 02 06"))},
                                              {"10.77.0.41:5002", hex(bytes("00 05 80 02 15"))}}));
    EXPECT_EQ(others_->command("get MX-5800"),
              "name=MX-5800 mac=02:A4:5C:07:00:28 dhcp=1 address=10.77.0.40 netmask=255.255.255.0 "
              "gateway=10.77.0.1 dns1=0.0.0.0 dns2=0.0.0.0 resets=0");
    EXPECT_NE(camA_->command("get identity").find(" dhcp=0 "), std::string::npos);
}

}  // namespace
