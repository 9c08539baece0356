#include "hcipEndpoint.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// One wake-up reads at most this many datagrams per socket, so the other devices and the
// control channel keep their turn during a flood.
constexpr int kReadsPerWake = 64;
// Answers a slow device holds back; beyond that they are dropped with a log line.
constexpr std::size_t kMaxPending = 4096;

std::string endpointText(const sockaddr_in& a) {
    char host[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(a.sin_port));
}

std::string hexText(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (!out.empty()) {
            out += ' ';
        }
        out += kDigits[u >> 4];
        out += kDigits[u & 0x0F];
    }
    return out;
}

int boundSocket(const sockaddr_in& at, bool shared, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    const int on = 1;
    if ((shared && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) ||
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
        const int cause = errno;
        error = "cannot bind UDP " + endpointText(at) + ": " + std::strerror(cause);
        if (cause == EADDRNOTAVAIL) {
            error += " (the address must be on an interface of this network namespace)";
        }
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

HcipEndpoint::HcipEndpoint(HcipIdentity id, std::string label, Log log)
    : identity(std::move(id)), label_(std::move(label)), log_(std::move(log)) {}

HcipEndpoint::~HcipEndpoint() {
    for (const int fd : {unicastFd_, broadcastFd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool HcipEndpoint::open(std::uint16_t port, std::string& error) {
    port_ = port;
    bound_ = sockaddr_in{};
    bound_.sin_family = AF_INET;
    bound_.sin_port = htons(port);
    std::memcpy(&bound_.sin_addr.s_addr, identity.address.data(), identity.address.size());
    if (bound_.sin_addr.s_addr == htonl(INADDR_ANY) ||
        bound_.sin_addr.s_addr == htonl(INADDR_BROADCAST)) {
        // Either would take the broadcasts a second time.
        error = "a device needs an address of its own, not " + dottedText(identity.address);
        return false;
    }
    unicastFd_ = boundSocket(bound_, false, error);
    if (unicastFd_ < 0) {
        return false;
    }
    sockaddr_in everyone = bound_;
    everyone.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    broadcastFd_ = boundSocket(everyone, true, error);
    if (broadcastFd_ < 0) {
        ::close(unicastFd_);
        unicastFd_ = -1;
        return false;
    }
    return true;
}

std::string HcipEndpoint::boundText() const {
    return endpointText(bound_);
}

void HcipEndpoint::appendPollFds(std::vector<pollfd>& fds) const {
    for (const int fd : {unicastFd_, broadcastFd_}) {
        if (fd >= 0) {
            fds.push_back({fd, POLLIN, 0});
        }
    }
}

void HcipEndpoint::handleEvents(const std::vector<pollfd>& fds) {
    for (const pollfd& p : fds) {
        if (p.revents != 0 && p.fd >= 0 && (p.fd == unicastFd_ || p.fd == broadcastFd_)) {
            readSocket(p.fd);
        }
    }
}

void HcipEndpoint::readSocket(int fd) {
    // Larger than any UDP payload, so no datagram is cut; one buffer serves every device of
    // the (single-threaded) program.
    static std::vector<char> buffer(65536);
    for (int i = 0; i < kReadsPerWake; ++i) {
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &size);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                log(std::string("receive failed: ") + std::strerror(errno));
            }
            return;
        }
        const std::size_t length = std::min(static_cast<std::size_t>(n), buffer.size());
        const std::string datagram(buffer.data(), length);
        identity.lastRequest =
            (fd == broadcastFd_ ? "broadcast " : "unicast ") + hexText(datagram.substr(0, 64));
        take(datagram, from);
    }
}

void HcipEndpoint::take(const std::string& datagram, const sockaddr_in& from) {
    const std::string origin =
        "datagram of " + std::to_string(datagram.size()) + " bytes from " + endpointText(from);
    if (ntohs(from.sin_port) == port_) {
        // Only devices send from the protocol's port, and what they send are answers to a
        // requester at that port. Taking them as requests could start an endless exchange
        // between devices whose answers happen to hold a command word.
        ++identity.requests;
        log("ignored " + origin +
            ": it comes from the devices' own port (another device's answer)");
        return;
    }
    const HcipOutcome outcome = hcipRespond(identity, datagram);
    for (const std::string& change : outcome.changes) {
        log(change + " (" + origin + ")");
    }
    if (!outcome.ignored.empty()) {
        log("ignored " + origin + ": " + outcome.ignored);
        return;
    }
    if (silent) {
        log("silent: " + std::to_string(outcome.answers.size()) + " answer(s) to " + origin +
            " not sent");
        return;
    }
    const auto now = Clock::now();
    for (const HcipAnswer& answer : outcome.answers) {
        Pending p{now + std::chrono::milliseconds(delayMs), answer.bytes, from};
        if (answer.toBroadcast) {
            p.to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
        }
        if (delayMs <= 0 && pending_.empty()) {
            send(p);
        } else if (pending_.size() >= kMaxPending) {
            log("answer " + hexText(p.bytes) + " to " + endpointText(p.to) +
                " dropped: " + std::to_string(pending_.size()) + " answers already held back");
        } else {
            // Never before one queued earlier: answers leave in the order they were made.
            p.due = std::max(p.due, pending_.empty() ? now : pending_.back().due);
            pending_.push_back(std::move(p));
        }
    }
}

int HcipEndpoint::msUntilDue() const {
    if (pending_.empty()) {
        return -1;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(pending_.front().due - Clock::now());
    return static_cast<int>(std::max<long long>(0, wait.count()));
}

void HcipEndpoint::sendDue() {
    const auto now = Clock::now();
    while (!pending_.empty() && pending_.front().due <= now) {
        send(pending_.front());
        pending_.pop_front();
    }
}

void HcipEndpoint::send(const Pending& answer) {
    const ssize_t n = ::sendto(unicastFd_, answer.bytes.data(), answer.bytes.size(), 0,
                               reinterpret_cast<const sockaddr*>(&answer.to), sizeof answer.to);
    if (n != static_cast<ssize_t>(answer.bytes.size())) {
        log("answer " + hexText(answer.bytes) + " to " + endpointText(answer.to) +
            " not sent: " + (n < 0 ? std::strerror(errno) : "cut short"));
    }
}

void HcipEndpoint::log(const std::string& text) const {
    if (log_) {
        log_(label_ + ": " + text);
    }
}
