// Client of a simulator's line-based control channel (Unix stream socket, one command line in,
// one answer line out). Every call is bounded by a time-out so a stuck simulator cannot hold up
// the caller; after any failure the connection is dropped and the next call connects afresh,
// which also discards a late answer that would otherwise pair with the wrong command.
#pragma once

#include <string>

namespace frontpanel {

class ControlClient {
public:
    explicit ControlClient(std::string socketPath, int timeoutMs = 200)
        : path_(std::move(socketPath)), timeoutMs_(timeoutMs) {}
    ~ControlClient() { disconnect(); }
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Sends command (no newline in it) and reads the answer line, without its newline.
    bool call(const std::string& command, std::string& answer, std::string& error);

    bool connected() const { return fd_ >= 0; }
    void disconnect();

private:
    bool connect(std::string& error);

    std::string path_;
    int timeoutMs_;
    int fd_ = -1;
};

}  // namespace frontpanel
