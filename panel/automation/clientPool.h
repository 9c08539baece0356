// The threads that serve the automation interface's clients, and the watch over their
// connections. A bounded number of connections is served at once and a bounded number waits;
// beyond that the server stops accepting, and further clients wait in the kernel's backlog
// instead of in the panel's memory. A connection that does not complete a request within
// kRequestDeadline (a client sending a byte now and then, "slowloris") is answered 408 and
// closed, so a few such clients cannot hold every thread.
#pragma once
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace automation {

class clientPool : public httplib::TaskQueue {
public:
    static constexpr int kThreads = 8;
    static constexpr std::size_t kWaitingConnections = 8;
    static constexpr std::chrono::seconds kRequestDeadline{10};

    // localPort: the port the server listens on, to tell its connections among the program's
    // sockets.
    explicit clientPool(int localPort);
    ~clientPool() override;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

    // A request from this peer was read whole and is being answered.
    void answering(const std::string& address, int port);
    // This peer's connection carries the event stream: no request deadline.
    void streaming(const std::string& address, int port);
    // Connections closed by the watch so far.
    int closedForSlowness() const;

private:
    struct connection {
        int watchFd = -1;  // our own descriptor of the connection's socket
        std::string address;
        int port = 0;
        std::chrono::steady_clock::time_point since;  // accepted, or last request answered
        bool streaming = false;
        bool closing = false;
    };
    using entry = std::pair<std::function<void()>, int>;  // the work and its connection's id

    void serve();
    void watch();
    int trackNewConnection();  // the id of the connection accepted last, or -1
    void forget(int id);

    const int localPort_;
    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable room_;
    std::condition_variable watchWake_;
    std::deque<entry> waiting_;
    std::map<int, connection> connections_;
    int nextId_ = 1;
    int closedForSlowness_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    std::thread watcher_;
};

}  // namespace automation
