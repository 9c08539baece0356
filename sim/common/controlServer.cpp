#include "controlServer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kMaxLine = 64 * 1024;

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

ControlServer::~ControlServer() {
    for (const Client& client : clients_) {
        ::close(client.fd);
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(path_.c_str());
    }
}

bool ControlServer::listenAt(const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path)) {
        error = "control socket path too long: " + path;
        return false;
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ::unlink(path.c_str());
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 8) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        return false;
    }
    path_ = path;
    return true;
}

void ControlServer::appendPollFds(std::vector<pollfd>& fds) const {
    fds.push_back({listenFd_, POLLIN, 0});
    for (const Client& client : clients_) {
        fds.push_back({client.fd, POLLIN, 0});
    }
}

void ControlServer::handleEvents(const std::vector<pollfd>& fds) {
    bool acceptPending = false;
    std::vector<int> readable;
    for (const pollfd& p : fds) {
        if (p.revents == 0) {
            continue;
        }
        if (p.fd == listenFd_) {
            acceptPending = true;
        } else {
            readable.push_back(p.fd);
        }
    }
    for (auto it = clients_.begin(); it != clients_.end();) {
        bool ready = false;
        for (int fd : readable) {
            ready = ready || fd == it->fd;
        }
        if (ready && !serveClient(*it)) {
            ::close(it->fd);
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
    if (acceptPending) {
        acceptClient();
    }
}

void ControlServer::acceptClient() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) {
        clients_.push_back({fd, {}});
    }
}

bool ControlServer::serveClient(Client& client) {
    char buffer[4096];
    const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
        return n < 0 && errno == EINTR;
    }
    client.pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t newline = 0;
    while ((newline = client.pending.find('\n')) != std::string::npos) {
        std::string command = client.pending.substr(0, newline);
        client.pending.erase(0, newline + 1);
        if (!command.empty() && command.back() == '\r') {
            command.pop_back();
        }
        writeAll(client.fd, handler_(command) + "\n");
    }
    if (client.pending.size() > kMaxLine) {
        writeAll(client.fd, "error line too long\n");
        return false;
    }
    return true;
}
