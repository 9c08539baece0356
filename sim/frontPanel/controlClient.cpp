#include "controlClient.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace frontpanel {

namespace {

using Clock = std::chrono::steady_clock;

// No answer of the simulators comes near this; a longer one means a confused peer.
constexpr std::size_t kLongestAnswer = 65536;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, remainingMs(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

void ControlClient::disconnect() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool ControlClient::connect(std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof address.sun_path) {
        error = "control socket path is empty or too long: " + path_;
        return false;
    }
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return false;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot reach " + path_ + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool ControlClient::call(const std::string& command, std::string& answer, std::string& error) {
    answer.clear();
    if (command.find('\n') != std::string::npos) {
        error = "a command cannot contain a newline";
        return false;
    }
    if (fd_ < 0 && !connect(error)) {
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
    const std::string line = command + '\n';
    std::size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd_, POLLOUT, deadline)) {
            continue;
        }
        error = "cannot send to " + path_ + ": " +
                (n < 0 && errno != EAGAIN ? std::strerror(errno) : "timed out");
        disconnect();
        return false;
    }
    for (;;) {
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n > 0) {
            const auto* end = static_cast<const char*>(std::memchr(buffer, '\n', n));
            answer.append(buffer, end != nullptr ? end - buffer : n);
            if (end != nullptr) {
                if (end + 1 != buffer + n) {
                    // More than one line for one command: the pairing can no longer be
                    // trusted, so start the next call on a fresh connection.
                    disconnect();
                }
                return true;
            }
            if (answer.size() > kLongestAnswer) {
                error = "answer from " + path_ + " is too long";
                break;
            }
            continue;
        }
        if (n == 0) {
            error = path_ + " closed the connection";
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd_, POLLIN, deadline)) {
            continue;
        }
        error = errno == EAGAIN || errno == EWOULDBLOCK
                    ? "no answer from " + path_ + " within " + std::to_string(timeoutMs_) + " ms"
                    : "cannot read from " + path_ + ": " + std::strerror(errno);
        break;
    }
    answer.clear();
    disconnect();
    return false;
}

}  // namespace frontpanel
