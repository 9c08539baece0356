#include "switcherSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

int millisecondsUntil(switcherSocket::clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - switcherSocket::clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

bool switcherSocket::connectTo(const QString& address, std::uint16_t port) {
    close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &to.sin_addr) != 1) {
        return false;
    }
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        return false;
    }
    const int lowDelay = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &lowDelay, sizeof lowDelay);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
        state_ = state::connected;
    } else if (errno == EINPROGRESS) {
        state_ = state::connecting;
    } else {
        // Refused at once: the socket is usable but not connected, as after a failed attempt.
        state_ = state::unconnected;
    }
    return true;
}

int switcherSocket::waitFor(short events, clock::time_point deadline) {
    pollfd watched[2] = {{fd_, events, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, 2, millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || (watched[1].revents & POLLIN) != 0) {
            return -1;
        }
        return ready == 0 ? 0 : watched[0].revents;
    }
}

bool switcherSocket::finishConnect() {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        fail();
        return false;
    }
    state_ = state::connected;
    return true;
}

bool switcherSocket::waitForConnected(clock::time_point deadline) {
    if (state_ != state::connecting) {
        return isConnected();
    }
    const int events = waitFor(POLLOUT, deadline);
    if (events <= 0) {
        return false;
    }
    return finishConnect();
}

bool switcherSocket::write(const QByteArray& data, clock::time_point deadline) {
    if (!waitForConnected(deadline)) {
        return false;
    }
    int written = 0;
    while (written < data.size()) {
        const ssize_t sent = ::send(fd_, data.constData() + written,
                                    static_cast<std::size_t>(data.size() - written), MSG_NOSIGNAL);
        if (sent > 0) {
            written += static_cast<int>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitFor(POLLOUT, deadline) <= 0) {
                return false;
            }
            continue;
        }
        fail();
        return false;
    }
    return true;
}

bool switcherSocket::waitForReadyRead(clock::time_point deadline) {
    if (!waitForConnected(deadline)) {
        return false;
    }
    return waitFor(POLLIN, deadline) > 0;
}

QByteArray switcherSocket::readAvailable(int limit) {
    QByteArray bytes;
    if (!isConnected()) {
        return bytes;
    }
    char chunk[4096];
    while (bytes.size() < limit) {
        const std::size_t want = std::min<std::size_t>(sizeof chunk, limit - bytes.size());
        const ssize_t got = ::recv(fd_, chunk, want, MSG_DONTWAIT);
        if (got > 0) {
            bytes.append(chunk, static_cast<int>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        fail();  // the end of the stream, or a reset
        break;
    }
    return bytes;
}

void switcherSocket::fail() {
    state_ = state::unconnected;
}

void switcherSocket::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    state_ = state::unconnected;
}

const char* switcherSocket::stateName() const {
    switch (state_) {
        case state::connected:
            return "ConnectedState";
        case state::connecting:
            return "ConnectingState";
        case state::unconnected:
            break;
    }
    return "UnconnectedState";
}
