// Small socket helpers for tests that talk to simulators directly.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

// Owns one descriptor and closes it.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// An IPv4 address and port ("10.77.0.2", 5002).
inline sockaddr_in endpoint(const std::string& address, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

// Reads from fd until n bytes have come, the peer closes, or the wait is over.
inline std::string readBytes(int fd, std::size_t n,
                             std::chrono::milliseconds wait = std::chrono::milliseconds(3000)) {
    using std::chrono::steady_clock;
    std::string out;
    const auto deadline = steady_clock::now() + wait;
    while (out.size() < n) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now())
                .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        char buffer[512];
        const ssize_t r = ::read(fd, buffer, std::min(sizeof buffer, n - out.size()));
        if (r <= 0) {
            break;
        }
        out.append(buffer, static_cast<std::size_t>(r));
    }
    return out;
}
