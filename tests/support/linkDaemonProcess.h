// linkDaemon as a program for tests and benchmarks, and a client connection to its ports on
// 127.0.0.1. The process must run inside a network namespace of its own (scripts/netns-run.sh):
// the daemon listens on ports 7000 to 7006 and 5002 of every address.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class LinkDaemonProcess {
public:
    LinkDaemonProcess() = default;
    ~LinkDaemonProcess() { stop(); }
    LinkDaemonProcess(const LinkDaemonProcess&) = delete;
    LinkDaemonProcess& operator=(const LinkDaemonProcess&) = delete;

    // Starts the daemon with ZEK_ROOT=root and ZEK_SIMULATION=1 plus environment ("NAME=value"),
    // its output in <root>/daemon.log, and waits until its control port takes a connection.
    bool start(const std::string& root, const std::vector<std::string>& environment = {});
    // SIGTERM, then SIGKILL after 5 s.
    void stop();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// One TCP connection to 127.0.0.1:port, from the loopback address source when given; not open
// when the connection was refused.
class daemonConnection {
public:
    explicit daemonConnection(int port, const char* source = nullptr);
    ~daemonConnection() { close(); }
    daemonConnection(const daemonConnection&) = delete;
    daemonConnection& operator=(const daemonConnection&) = delete;

    bool open() const { return fd_ >= 0; }
    void close();
    bool send(const std::string& bytes) const;
    // Everything that arrives until size bytes are there or the time is up.
    std::string receive(std::size_t size,
                        std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const;
    std::string ask(const std::string& request, std::size_t answerSize,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) const {
        return send(request) ? receive(answerSize, limit) : std::string();
    }

private:
    int fd_ = -1;
};
