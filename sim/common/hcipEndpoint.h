// One virtual device of the UDP configuration protocol on the network: an identity and its two
// sockets, for the caller's poll loop. The protocol itself is hcipResponder's.
//
// Sockets, for a device at address A and the protocol's port (5002):
//   A:5002               takes unicast requests, and sends every answer. Broadcast answers go to
//                        255.255.255.255 at the requester's port; a socket bound to A sends the
//                        limited broadcast out of A's interface, with A as the sender.
//                        No SO_REUSEADDR: a second device at the same address is refused by
//                        the system instead of silently taking half of the first one's requests.
//   255.255.255.255:5002 takes the broadcast requests (the scan). SO_REUSEADDR lets every device
//                        of every process bind it, and each of them gets its own copy.
// A socket bound to A does not see broadcasts, and the broadcast socket sees nothing sent to A,
// so no request arrives twice.
#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "hcipResponder.h"

class HcipEndpoint {
public:
    using Log = std::function<void(const std::string& line)>;
    static constexpr std::uint16_t kDefaultPort = 5002;

    // label names the device in log lines.
    HcipEndpoint(HcipIdentity identity, std::string label, Log log);
    ~HcipEndpoint();
    HcipEndpoint(const HcipEndpoint&) = delete;
    HcipEndpoint& operator=(const HcipEndpoint&) = delete;

    // Binds both sockets at the identity's address (which must be on an interface here).
    bool open(std::uint16_t port, std::string& error);

    // Descriptors to watch for reading; pass the poll results back to handleEvents, which reads
    // a bounded number of datagrams from each ready socket.
    void appendPollFds(std::vector<pollfd>& fds) const;
    void handleEvents(const std::vector<pollfd>& fds);

    // Answers held back by delayMs: milliseconds until the next is due (-1 when none waits),
    // and sending those that are due.
    int msUntilDue() const;
    void sendDue();

    const std::string& label() const { return label_; }
    // Where the sockets are: "SET_IPADR" changes the address the device reports, not where it
    // listens (the device takes its new address only at a restart, which a simulator never does).
    std::string boundText() const;

    HcipIdentity identity;
    bool silent = false;  // takes requests and applies them, answers nothing
    int delayMs = 0;      // every answer leaves this long after its request

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        std::string bytes;
        sockaddr_in to;
    };

    void readSocket(int fd);
    void take(const std::string& datagram, const sockaddr_in& from);
    void send(const Pending& answer);
    void log(const std::string& text) const;

    std::string label_;
    Log log_;
    std::uint16_t port_ = kDefaultPort;
    sockaddr_in bound_{};
    int unicastFd_ = -1;
    int broadcastFd_ = -1;
    std::deque<Pending> pending_;
};
