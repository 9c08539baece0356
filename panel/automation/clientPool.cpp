#include "clientPool.h"

#include <QDebug>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace automation {

namespace {

// The highest descriptor looked at for a new connection: the panel holds some tens of
// descriptors, and the connections it serves at once are bounded.
constexpr int kHighestDescriptor = 4096;

struct peer {
    std::string address;
    int port = 0;
};

bool peerOf(int fd, int localPort, peer& out) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_family != AF_INET || ntohs(local.sin_port) != localPort) {
        return false;
    }
    sockaddr_in remote{};
    length = sizeof remote;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &length) != 0 ||
        remote.sin_family != AF_INET) {
        return false;
    }
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &remote.sin_addr, text, sizeof text);
    out.address = text;
    out.port = ntohs(remote.sin_port);
    return true;
}

}  // namespace

clientPool::clientPool(int localPort) : localPort_(localPort) {
    for (int i = 0; i < kThreads; ++i) {
        threads_.emplace_back([this] { serve(); });
    }
    watcher_ = std::thread([this] { watch(); });
}

clientPool::~clientPool() {
    shutdown();
}

int clientPool::trackNewConnection() {
    rlimit limit{};
    int highest = kHighestDescriptor;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < rlim_t(kHighestDescriptor)) {
        highest = static_cast<int>(limit.rlim_cur);
    }
    // Called on the accepting thread right after accept(): the one socket of this server's port
    // with a peer not yet known is the connection just accepted.
    std::lock_guard<std::mutex> lock(mutex_);
    for (int fd = 0; fd < highest; ++fd) {
        peer p;
        if (!peerOf(fd, localPort_, p)) {
            continue;
        }
        const bool known = std::any_of(connections_.begin(), connections_.end(), [&](auto& c) {
            return c.second.address == p.address && c.second.port == p.port;
        });
        if (known) {
            continue;
        }
        // Our own descriptor of the socket: the watch may shut it down at any time, and the
        // number cannot pass to another socket while we hold it.
        const int watchFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        peer again;
        if (watchFd < 0 || !peerOf(watchFd, localPort_, again) || again.address != p.address ||
            again.port != p.port) {
            if (watchFd >= 0) {
                ::close(watchFd);
            }
            continue;
        }
        const int id = nextId_++;
        connections_[id] = {watchFd, p.address, p.port, std::chrono::steady_clock::now()};
        return id;
    }
    return -1;
}

void clientPool::enqueue(std::function<void()> fn) {
    const int id = trackNewConnection();
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [this] { return stopping_ || waiting_.size() < kWaitingConnections; });
    if (stopping_ && id >= 0) {
        ::shutdown(connections_[id].watchFd, SHUT_RDWR);  // served at once, and closed
    }
    waiting_.emplace_back(std::move(fn), id);
    work_.notify_one();
}

void clientPool::serve() {
    for (;;) {
        entry next;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            work_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (waiting_.empty()) {
                return;  // stopping, and nothing left to serve
            }
            next = std::move(waiting_.front());
            waiting_.pop_front();
            room_.notify_one();
        }
        next.first();
        forget(next.second);
    }
}

void clientPool::forget(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = connections_.find(id);
    if (it != connections_.end()) {
        ::close(it->second.watchFd);
        connections_.erase(it);
    }
}

void clientPool::answering(const std::string& address, int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& c : connections_) {
        if (c.second.address == address && c.second.port == port) {
            c.second.since = std::chrono::steady_clock::now();
        }
    }
}

void clientPool::streaming(const std::string& address, int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& c : connections_) {
        if (c.second.address == address && c.second.port == port) {
            c.second.streaming = true;
        }
    }
}

int clientPool::closedForSlowness() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closedForSlowness_;
}

void clientPool::watch() {
    static const std::string kBody = R"({"error":"no whole request came in 10 s"})";
    static const std::string kTimeout =
        "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Type: application/json\r\n"
        "Content-Length: " +
        std::to_string(kBody.size()) + "\r\n\r\n" + kBody;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        watchWake_.wait_for(lock, std::chrono::milliseconds(500));
        const auto now = std::chrono::steady_clock::now();
        for (auto& c : connections_) {
            connection& conn = c.second;
            if (conn.streaming || conn.closing || now - conn.since < kRequestDeadline) {
                continue;
            }
            // Nothing of a response was written on it (its request is not whole), so the
            // answer cannot mix with one.
            (void)::send(conn.watchFd, kTimeout.data(), kTimeout.size(),
                         MSG_DONTWAIT | MSG_NOSIGNAL);
            ::shutdown(conn.watchFd, SHUT_RDWR);
            conn.closing = true;
            ++closedForSlowness_;
            qDebug().noquote() << "automation: closed the connection of" << conn.address.c_str()
                               << "that sent no whole request in 10 s";
        }
    }
}

void clientPool::shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ && threads_.empty()) {
            return;
        }
        stopping_ = true;
        // Every connection ends now: an idle keep-alive or an event stream would otherwise hold
        // its thread for seconds.
        for (auto& c : connections_) {
            ::shutdown(c.second.watchFd, SHUT_RDWR);
        }
    }
    work_.notify_all();
    room_.notify_all();
    watchWake_.notify_all();
    for (std::thread& t : threads_) {
        if (t.joinable()) {
            t.join();
        }
    }
    threads_.clear();
    if (watcher_.joinable()) {
        watcher_.join();
    }
}

}  // namespace automation
